#include "files/cp932_codec.h"

namespace kiroku::codec {

std::u16string DecodeEach(std::string_view bytes, bool* ok,
                          const std::function<Piece(std::string_view rest, std::u16string& out)>& read) {
  if (ok) *ok = true;
  std::u16string out;
  for (std::size_t i = 0; i < bytes.size();) {
    const Piece piece = read(bytes.substr(i), out);
    if (!piece.character && ok) *ok = false;
    i += piece.size;
  }
  return out;
}

std::string Utf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    if (c < 0x80) {
      out += static_cast<char>(c);
      continue;
    }
    if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | c >> 18);
      out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    }
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

}  // namespace kiroku::codec
