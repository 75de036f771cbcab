#pragma once
// The season: the games that データ保存 left in one folder, read back from
// their two files and added up by team, player and label names. Nothing here
// writes into the folder; only the workbook (season/workbook.h) is written,
// where the operator says.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/text.h"

namespace kiroku::season {

inline constexpr int kPlayers = 16, kItem2 = 10, kItem3 = 10;

// One team's block k of a table file, as データ保存 laid it out.
struct Block {
  Text item3;                      // row 1, cell 1
  Text item2[kItem2];              // row 1, cells 2 to 11
  Text players[kPlayers];          // rows 2 to 17, cell 1
  std::int32_t counts[kPlayers][kItem2] = {};  // rows 2 to 17, cells 2 to 11
};

// One game: a prefix P with both "P table.xls" and "P list.xls" in the folder.
struct Game {
  Text prefix;                  // P, CP932 as データ保存 had it
  std::string tableFile;        // the table file's path, UTF-8
  std::int64_t modified = 0;    // the table file's last change, seconds since 1970 UTC
  Text stamp;                   // that time, local, "yyyy/mm/dd hh:mm"
  Text teams[2];                // list file line 1, cells 1 and 6, as they stand
  Text refusal;                 // empty for a readable game; else why not (CP932)
  Block blocks[2][kItem3];      // [team 1, 2][k = 1 to 10]
  bool readable() const { return refusal.empty(); }
};

// The games of a folder (not its subfolders), oldest table file first, ties
// by P. A folder that cannot be read gives no games and its reason in error.
struct Folder {
  std::vector<Game> games;
  Text error;  // "読めません（コード N）", or empty
};
Folder ReadFolder(const std::string& utf8Folder);

// Reading one game from the bytes of its two files; refusal set when refused.
// Split out so that the table of cases needs no files.
void ReadGame(std::string_view listBytes, std::string_view tableBytes, Game& game);

enum class View { Counts, PerGame, Share };  // 回数, 1試合あたり, 割合

// The checked games added up. Names are matched after trimming spaces (20,
// and 81 40) at both ends, byte for byte otherwise.
class Season {
 public:
  explicit Season(std::vector<const Game*> checkedOldestFirst);

  // Every team name once, in most games first, ties by first appearance.
  const std::vector<Text>& teams() const { return teams_; }
  // The item-3 labels of that team's games once, in first appearance; the
  // choice before them, 合計, is not in the list.
  std::vector<Text> categories(const Text& team) const;
  // The table for a team and a category (nullopt for 合計, all of them) in
  // a view: row 0 the header, a row per player, the totals row "合計"; cells
  // as the screen shows them. In rows 1 on, cells 1 on are numbers.
  using Table = std::vector<std::vector<Text>>;
  Table table(const Text& team, const std::optional<Text>& category, View view) const;
  // The checked games, oldest first.
  const std::vector<const Game*>& games() const { return games_; }

 private:
  std::vector<const Game*> games_;
  std::vector<Text> teams_;
};

// A table's rows, cells joined by TAB and ended by CR LF, CP932.
Text TableText(const Season::Table& rows);

}  // namespace kiroku::season
