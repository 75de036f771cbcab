#pragma once
// Text is kept as CP932 bytes exactly as typed or read; only the screens convert.
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
}  // namespace cp932

}  // namespace kiroku
