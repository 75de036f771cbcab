// CP932 through the platform's own converter, the one that also makes the
// file system's names.
#include <windows.h>

#include "files/cp932_codec.h"

namespace kiroku::codec {

namespace {
// The code page, looked up once. The seam asks for a number that names no
// code page, so that the same calls fail as where 932 is missing.
struct CodePage {
  UINT number;
  bool there;
};
CodePage& Cp932() {
  static CodePage cp{932, ::IsValidCodePage(932) != 0};
  return cp;
}

bool DecodeStrict(std::string_view piece, std::u16string& out) {
  const UINT cp = Cp932().number;
  const int size = static_cast<int>(piece.size());
  const int n = ::MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, piece.data(), size, nullptr, 0);
  if (n <= 0) return false;
  std::wstring wide(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, piece.data(), size, wide.data(), n);
  out.append(wide.begin(), wide.end());
  return true;
}
}  // namespace

bool Available() { return Cp932().there; }

void ReopenForTest(bool missing) {
  const UINT number = missing ? 59999 : 932;
  Cp932() = {number, ::IsValidCodePage(number) != 0};
}

std::u16string Decode(std::string_view bytes, bool* ok) {
  if (ok) *ok = true;
  std::u16string out;
  // The whole text at once where every piece is a character; the lone bytes
  // and bad pieces piece by piece, as the other platform reads them.
  if (bytes.empty() || DecodeStrict(bytes, out)) return out;
  return DecodeEach(bytes, ok, DecodeStrict);
}

Text Encode(std::u16string_view text, bool* ok) {
  if (ok) *ok = true;
  if (text.empty()) return {};
  const std::wstring wide(text.begin(), text.end());
  const UINT cp = Cp932().number;
  const int size = static_cast<int>(wide.size());
  BOOL usedDefault = FALSE;
  const int n = ::WideCharToMultiByte(cp, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0, nullptr, &usedDefault);
  Text out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0)
    ::WideCharToMultiByte(cp, WC_NO_BEST_FIT_CHARS, wide.data(), size, out.data(), n, nullptr, &usedDefault);
  if (ok && (n <= 0 || usedDefault)) *ok = false;
  return out;
}

}  // namespace kiroku::codec
