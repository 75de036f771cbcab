#pragma once
// The CP932 code page as this platform's converter has it, the one that also
// makes the file system's names, so that the screens and kiroku-recover read
// every character as file names do. One backend per platform.
#include <string>
#include <string_view>

#include "core/text.h"

namespace kiroku::codec {

// Bytes that are no CP932 character come out as U+FFFD, or as the converter
// reads them; ok turns false for them.
std::u16string Decode(std::string_view bytes, bool* ok = nullptr);
// ok turns false when a character has no CP932 form.
Text Encode(std::u16string_view text, bool* ok = nullptr);

// UTF-16 as UTF-8, for names and messages outside the screens.
std::string Utf8(std::u16string_view text);

}  // namespace kiroku::codec
