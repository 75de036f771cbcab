#pragma once
// The CP932 code page as this platform's converter has it, the one that also
// makes the file system's names, so that the screens and kiroku-recover read
// every character as file names do. One backend per platform.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "core/text.h"

namespace kiroku::codec {

// Bytes are read as Windows reads the code page: a lead byte with the byte
// after it, unless that is NUL or there is none; any other byte alone. A
// piece that is no character shows as one U+FFFD, and ok turns false; none
// is dropped, so both platforms show the same text for the same bytes.
std::u16string Decode(std::string_view bytes, bool* ok = nullptr);
// ok turns false when a character has no CP932 form.
Text Encode(std::u16string_view text, bool* ok = nullptr);

// Whether this system has its converter for CP932. It is opened once, when
// first needed; without it every text would come out wrong, so the programs
// refuse to start.
bool Available();
// A test seam: the converter is opened again, as a system without it has it
// (missing) or as this one does.
void ReopenForTest(bool missing);

// Reads bytes piece by piece, as Decode cuts them. The lone bytes are read
// here; every other piece is given to `convert`, which appends its character,
// or is false for a piece that is no character.
std::u16string DecodeEach(std::string_view bytes, bool* ok,
                          const std::function<bool(std::string_view piece, std::u16string& out)>& convert);

// UTF-16 as UTF-8, for names and messages outside the screens.
std::string Utf8(std::u16string_view text);
// UTF-8 as UTF-16, for the names that a folder lists; ok turns false for
// bytes that are no UTF-8 (they come out as U+FFFD).
std::u16string Utf16(std::string_view utf8, bool* ok = nullptr);

}  // namespace kiroku::codec
