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

// Bytes that are no CP932 character come out as U+FFFD, or as the converter
// reads them; ok turns false for them.
std::u16string Decode(std::string_view bytes, bool* ok = nullptr);
// ok turns false when a character has no CP932 form.
Text Encode(std::u16string_view text, bool* ok = nullptr);

// What a backend read at the start of some bytes: how many it took, and
// whether they were a character.
struct Piece {
  std::size_t size;
  bool character;
};
// Reads bytes one piece after another, each appended to the text by `read`;
// ok turns false at a piece that is no character.
std::u16string DecodeEach(std::string_view bytes, bool* ok,
                          const std::function<Piece(std::string_view rest, std::u16string& out)>& read);

// UTF-16 as UTF-8, for names and messages outside the screens.
std::string Utf8(std::u16string_view text);
// UTF-8 as UTF-16, for the names that a folder lists; ok turns false for
// bytes that are no UTF-8 (they come out as U+FFFD).
std::u16string Utf16(std::string_view utf8, bool* ok = nullptr);

}  // namespace kiroku::codec
