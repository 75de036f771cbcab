#include "files/cp932_codec.h"

#include <algorithm>
#include <iterator>

namespace kiroku::codec {

namespace {
// A lead byte takes the byte after it, whatever it is, except a NUL, which
// stays a character of its own, as Windows reads them.
std::size_t PieceLength(std::string_view rest) {
  return cp932::IsLeadByte(static_cast<unsigned char>(rest[0])) && rest.size() > 1 && rest[1] != '\0' ? 2 : 1;
}
}  // namespace

std::u16string DecodeEach(std::string_view bytes, bool* ok,
                          const std::function<bool(std::string_view piece, std::u16string& out)>& convert) {
  if (ok) *ok = true;
  std::u16string out;
  for (std::size_t i = 0; i < bytes.size();) {
    const std::string_view piece = bytes.substr(i, PieceLength(bytes.substr(i)));
    i += piece.size();
    if (piece.size() == 1) {
      const auto lone = std::find_if(std::begin(cp932::kLoneBytes), std::end(cp932::kLoneBytes),
                                     [&](const auto& m) { return m.byte == static_cast<unsigned char>(piece[0]); });
      if (lone != std::end(cp932::kLoneBytes)) {
        out += lone->ch;
        continue;
      }
    }
    if (convert(piece, out)) continue;
    out += u'\uFFFD';
    if (ok) *ok = false;
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
