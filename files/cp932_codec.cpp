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

std::u16string Utf16(std::string_view utf8, bool* ok) {
  if (ok) *ok = true;
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    const std::size_t n = b < 0x80 ? 1 : b >= 0xC2 && b < 0xE0 ? 2 : b >= 0xE0 && b < 0xF0 ? 3 : b >= 0xF0 && b < 0xF5 ? 4 : 0;
    char32_t c = n == 1 ? b : n == 2 ? b & 0x1F : n == 3 ? b & 0x0F : b & 0x07;
    bool good = n > 0 && i + n <= utf8.size();
    for (std::size_t k = 1; good && k < n; ++k) {
      const auto t = static_cast<unsigned char>(utf8[i + k]);
      good = (t & 0xC0) == 0x80;
      c = c << 6 | (t & 0x3F);
    }
    // Too long a form, a surrogate, or past the last character.
    if (good && ((n == 3 && c < 0x800) || (n == 4 && (c < 0x10000 || c > 0x10FFFF)) || (c >= 0xD800 && c < 0xE000)))
      good = false;
    if (!good) {
      if (ok) *ok = false;
      out += u'\uFFFD';
      ++i;
      continue;
    }
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
    i += n;
  }
  return out;
}

}  // namespace kiroku::codec
