#pragma once
// Where the recording, the clock and the setup sheet report every operation
// that changes what the result files or the backup file would hold, so that
// a run can be rebuilt from it. The journal implements it.
#include <initializer_list>
#include <string_view>

namespace kiroku {

namespace record {
inline constexpr std::string_view kHeader = "journal";   // version, start time, process id
inline constexpr std::string_view kPlayer = "player";    // team, index, clock text, caption
inline constexpr std::string_view kItem2 = "item2";      // index, caption
inline constexpr std::string_view kItem3 = "item3";      // index, caption
inline constexpr std::string_view kFix1 = "fix1";        // the item-2 picker's 修正
inline constexpr std::string_view kFix2 = "fix2";        // the item-3 picker's 修正
inline constexpr std::string_view kFix3 = "fix3";        // the recording screen's 修正
inline constexpr std::string_view kStart = "start";      // スタート
inline constexpr std::string_view kPause = "pause";      // 中断/再開, pausing
inline constexpr std::string_view kResume = "resume";    // 中断/再開, resuming
inline constexpr std::string_view kClock = "clock";      // the clock stands paused at this playing time, in ms
inline constexpr std::string_view kCell = "cell";        // column, row, text: a setup grid cell
inline constexpr std::string_view kField = "field";      // number, text: Edit1 to Edit22
inline constexpr std::string_view kCopy = "copy";        // コピー (its cells follow)
inline constexpr std::string_view kBackup = "backup";    // Back Up done (its cells and fields came before): code
inline constexpr std::string_view kSwitch = "switch";    // 入力切替
inline constexpr std::string_view kSave = "save";        // データ保存: 0 or the file error's code
inline constexpr std::string_view kRegister = "register";  // データ登録: 0 or the file error's code
inline constexpr std::string_view kEnd = "end";          // the run ended normally
}  // namespace record

// Called on the screen thread only.
class RecordPort {
 public:
  virtual ~RecordPort() = default;
  virtual void record(std::string_view kind, std::initializer_list<std::string_view> fields = {}) = 0;
};

}  // namespace kiroku
