// CP932 through iconv, the converter that makes the file system's names here.
// It reads and writes every character as the code page's own tables do; the
// few places where iconv's tables differ from them are set right around it.
#include <iconv.h>

#include <mutex>

#include "files/cp932_codec.h"

namespace kiroku::codec {

namespace {

// Characters of other Japanese code pages that iconv writes as CP932 and the
// code page itself has no place for; the screens turn them into CP932's own.
constexpr char16_t kNotCp932[] = {u'\u00A2', u'\u00A3', u'\u00A5', u'\u00AC', u'\u2014',
                                  u'\u2016', u'\u203E', u'\u2212', u'\u301C'};
// A character the code page's tables write in another one's place.
constexpr char16_t kNumeroVariant = u'\uF86F';  // as 87 82, NUMERO SIGN
// What a character without a CP932 form becomes.
constexpr std::string_view kNoForm = "\xFC\xFC";

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

// One direction of the code page, opened once and shared by the threads
// (the journal's names are made on its own), one conversion at a time.
class Converter {
 public:
  void open(const char* to, const char* from) {
    const std::lock_guard lock(busy_);
    if (opened()) ::iconv_close(cd_);
    cd_ = ::iconv_open(to, from);
  }
  bool opened() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  bool convert(const char* in, std::size_t size, std::string& out) {
    const std::lock_guard lock(busy_);
    return opened() && Convert(cd_, in, size, out);
  }

 private:
  iconv_t cd_ = reinterpret_cast<iconv_t>(-1);
  std::mutex busy_;
};

struct Cp932 {
  Converter decode, encode;
  void open(bool missing) {
    // The seam asks for a name no system has, so that the same call fails.
    const char* name = missing ? "KIROKU-NO-CP932" : "CP932";
    decode.open("UTF-16LE", name);
    encode.open(name, "UTF-16LE");
  }
};

// Never closed: the journal's thread may still name a file at the exit.
Cp932& Opened() {
  static Cp932* const cp932 = [] {
    auto* c = new Cp932;
    c->open(false);
    return c;
  }();
  return *cp932;
}

void AppendUtf16(std::u16string& out, const std::string& le) {
  for (std::size_t i = 0; i + 1 < le.size(); i += 2)
    out += static_cast<char16_t>(static_cast<unsigned char>(le[i]) | static_cast<unsigned char>(le[i + 1]) << 8);
}

}  // namespace

bool Available() { return Opened().decode.opened() && Opened().encode.opened(); }

void ReopenForTest(bool missing) { Opened().open(missing); }

std::u16string Decode(std::string_view bytes, bool* ok) {
  Converter& cd = Opened().decode;
  std::string le;
  return DecodeEach(bytes, ok, [&](std::string_view piece, std::u16string& out) {
    le.clear();
    if (!cd.convert(piece.data(), piece.size(), le)) return false;
    AppendUtf16(out, le);
    return true;
  });
}

Text Encode(std::u16string_view text, bool* ok) {
  if (ok) *ok = true;
  Converter& cd = Opened().encode;
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
