#pragma once
// Text is kept as CP932 bytes exactly as typed or read; only the screens convert.
#include <cstddef>
#include <string>
#include <string_view>

namespace kiroku {

using Text = std::string;

// The system's own texts, as CP932 bytes.
namespace cp932 {
inline constexpr std::string_view kFullWidthColon = "\x81\x46";                    // ：
inline constexpr std::string_view kEventGridHeader =                               // 時間,項目1,項目2,項目3
    "\x8e\x9e\x8a\xd4\x2c\x8d\x80\x96\xda\x31\x2c\x8d\x80\x96\xda\x32\x2c\x8d\x80\x96\xda\x33";
inline constexpr std::string_view kTeamDefault = "\x92\x63\x91\xcc\x96\xbc";       // 団体名
inline constexpr std::string_view kTeamHeader = "\x8d\x80\x96\xda\x82\x50";        // 項目１
inline constexpr std::string_view kTeamNameRow = "\x83\x60\x81\x5b\x83\x80\x96\xbc";  // チーム名
inline constexpr std::string_view kFileNameDefault =                               // ファイル名
    "\x83\x74\x83\x40\x83\x43\x83\x8b\x96\xbc";
inline constexpr std::string_view kTotal = "\x8d\x87\x8c\x76";                     // 合計

// A byte that opens a two-byte character.
constexpr bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// The bytes of the character at i: two for a lead byte with a byte after it.
constexpr std::size_t CharLength(std::string_view bytes, std::size_t i) {
  return IsLeadByte(static_cast<unsigned char>(bytes[i])) && i + 1 < bytes.size() ? 2 : 1;
}

// Five single bytes that the code page's tables leave out and the operator's
// platform reads all the same: 80 as U+0080, A0 and FD to FF as U+F8F0 to U+F8F3.
struct LoneByte {
  unsigned char byte;
  char16_t ch;
};
inline constexpr LoneByte kLoneBytes[] = {
    {0x80, u'\u0080'}, {0xA0, u'\uF8F0'}, {0xFD, u'\uF8F1'}, {0xFE, u'\uF8F2'}, {0xFF, u'\uF8F3'}};
}  // namespace cp932

}  // namespace kiroku
