// CP932 through iconv, the converter that makes the file system's names here.
// It reads and writes every character as the code page's own tables do; the
// few places where iconv's tables differ from them are set right around it.
#include <iconv.h>

#include "files/cp932_codec.h"

namespace kiroku::codec {

namespace {

// Characters of other Japanese code pages that iconv writes as CP932 and the
// code page itself has no place for; the screens turn them into CP932's own.
constexpr char16_t kNotCp932[] = {u'\u00A2', u'\u00A3', u'\u00A5', u'\u00AC', u'\u2014',
                                  u'\u2016', u'\u203E', u'\u2212', u'\u301C'};
// A character the code page's tables write in another one's place.
constexpr char16_t kNumeroVariant = u'\uF86F';  // as 87 82, NUMERO SIGN
// What a character without a CP932 form becomes, and a lead byte whose
// second byte can be no character's.
constexpr std::string_view kNoForm = "\xFC\xFC";
constexpr char16_t kBadPair = u'\u007F';

bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

// One character through iconv: false when it has no counterpart.
bool Convert(iconv_t cd, const char* in, std::size_t size, std::string& out) {
  char buf[8];
  char* from = const_cast<char*>(in);
  char* to = buf;
  std::size_t inLeft = size, outLeft = sizeof buf;
  const bool ok = ::iconv(cd, &from, &inLeft, &to, &outLeft) != static_cast<std::size_t>(-1) && inLeft == 0;
  ::iconv(cd, nullptr, nullptr, nullptr, nullptr);  // no state left for the next one
  if (ok) out.append(buf, to);
  return ok;
}

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) ::iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool convert(const char* in, std::size_t size, std::string& out) {
    return cd_ != reinterpret_cast<iconv_t>(-1) && Convert(cd_, in, size, out);
  }

 private:
  iconv_t cd_;
};

void AppendUtf16(std::u16string& out, const std::string& le) {
  for (std::size_t i = 0; i + 1 < le.size(); i += 2)
    out += static_cast<char16_t>(static_cast<unsigned char>(le[i]) | static_cast<unsigned char>(le[i + 1]) << 8);
}

}  // namespace

std::u16string Decode(std::string_view bytes, bool* ok) {
  Converter cd("UTF-16LE", "CP932");
  std::string le;
  return DecodeEach(bytes, ok, [&](std::string_view rest, std::u16string& out) -> Piece {
    const auto b = static_cast<unsigned char>(rest[0]);
    const std::size_t n = cp932::CharLength(rest, 0);
    if (cp932::IsLeadByte(b) && n == 1) return {1, false};  // a lead byte at the end is half a character
    if (n == 2 && !IsTrailByte(static_cast<unsigned char>(rest[1]))) {
      // The second byte is read on its own, except FD to FF: they are bad too.
      out += kBadPair;
      if (static_cast<unsigned char>(rest[1]) < 0xFD) return {1, false};
      out += kBadPair;
      return {2, false};
    }
    if (n == 1) {
      for (const auto& m : cp932::kLoneBytes) {
        if (m.byte != b) continue;
        out += m.ch;
        return {1, true};
      }
    }
    le.clear();
    if (!cd.convert(rest.data(), n, le)) {
      out += u'\uFFFD';
      return {n, false};
    }
    AppendUtf16(out, le);
    return {n, true};
  });
}

Text Encode(std::u16string_view text, bool* ok) {
  if (ok) *ok = true;
  Converter cd("CP932", "UTF-16LE");
  Text out;
  for (std::size_t i = 0; i < text.size();) {
    const char16_t c = text[i];
    const std::size_t n =
        c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000 ? 2 : 1;
    bool done = false;
    if (n == 1) {
      for (const auto& m : cp932::kLoneBytes) {
        if (m.ch != c) continue;
        out += static_cast<char>(m.byte);
        done = true;
      }
      if (c == kNumeroVariant) {
        out += "\x87\x82";
        done = true;
      }
    }
    bool refused = n == 1 && std::u16string_view(kNotCp932, std::size(kNotCp932)).find(c) != std::u16string_view::npos;
    if (!done && !refused) {
      char le[4];
      for (std::size_t k = 0; k < n; ++k) {
        le[2 * k] = static_cast<char>(text[i + k] & 0xFF);
        le[2 * k + 1] = static_cast<char>(text[i + k] >> 8);
      }
      refused = !cd.convert(le, 2 * n, out);
    }
    if (refused) {
      out += kNoForm;
      if (ok) *ok = false;
    }
    i += n;
  }
  return out;
}

}  // namespace kiroku::codec
