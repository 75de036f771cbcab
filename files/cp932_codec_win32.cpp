// CP932 through the platform's own converter, the one that also makes the
// file system's names.
#include <windows.h>

#include "files/cp932_codec.h"

namespace kiroku::codec {

namespace {
constexpr UINT kCodePage = 932;

bool DecodeStrict(const char* data, int size, std::u16string& out) {
  const int n = ::MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, data, size, nullptr, 0);
  if (n <= 0) return false;
  std::wstring wide(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, data, size, wide.data(), n);
  out.append(wide.begin(), wide.end());
  return true;
}
}  // namespace

std::u16string Decode(std::string_view bytes, bool* ok) {
  if (ok) *ok = true;
  std::u16string out;
  if (bytes.empty() || DecodeStrict(bytes.data(), static_cast<int>(bytes.size()), out)) return out;
  // Character by character, so that one bad pair costs only itself.
  return DecodeEach(bytes, ok, [](std::string_view rest, std::u16string& text) -> Piece {
    const size_t n = cp932::CharLength(rest, 0);
    if (DecodeStrict(rest.data(), static_cast<int>(n), text)) return {n, true};
    text += u'\uFFFD';
    return {n, false};
  });
}

Text Encode(std::u16string_view text, bool* ok) {
  if (ok) *ok = true;
  if (text.empty()) return {};
  const std::wstring wide(text.begin(), text.end());
  BOOL usedDefault = FALSE;
  const int n = ::WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, &usedDefault);
  Text out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0)
    ::WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                          nullptr, &usedDefault);
  if (ok && (n <= 0 || usedDefault)) *ok = false;
  return out;
}

}  // namespace kiroku::codec
