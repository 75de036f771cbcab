#include "season/season.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "core/number.h"
#include "files/cp932_codec.h"
#include "files/platform_file.h"
#include "files/text_file.h"

namespace kiroku::season {

namespace {

constexpr std::string_view kTotal = cp932::kTotal;
constexpr std::string_view kGamesHeader = "\x8e\x8e\x8d\x87\x90\x94";                    // 試合数
constexpr std::string_view kNoName = "\x81\x69\x96\xbc\x91\x4f\x82\xc8\x82\xb5\x81\x6a";  // （名前なし）
constexpr std::string_view kUnreadable =                                                  // 読めません（コード
    "\x93\xc7\x82\xdf\x82\xdc\x82\xb9\x82\xf1\x81\x69\x83\x52\x81\x5b\x83\x68 ";
constexpr std::string_view kNotTable =  // 集計表の形ではありません（
    "\x8f\x57\x8c\x76\x95\x5c\x82\xcc\x8c\x60\x82\xc5\x82\xcd\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x81\x69";
constexpr std::string_view kLineNumber = " \x8d\x73\x96\xda\x81\x6a";  //  行目）
constexpr std::string_view kClose = "\x81\x6a";                         // ）
constexpr std::string_view kNotList =                                   // 一覧表の形ではありません
    "\x88\xea\x97\x97\x95\x5c\x82\xcc\x8c\x60\x82\xc5\x82\xcd\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1";
constexpr std::string_view kItemHeaders[3] = {"\x8d\x80\x96\xda\x31", "\x8d\x80\x96\xda\x32",
                                              "\x8d\x80\x96\xda\x33"};  // 項目1 項目2 項目3

// The table file's layout: team t's block k starts after line 209 (t - 1) +
// 19 (k - 1) and has 18 lines of 12 cells; the last line read is team 2's
// block 10's last.
constexpr int kTeamLines = 209, kBlockLines = 19, kBlockRows = 18, kBlockCells = 12;
constexpr int kTableLinesRead = kTeamLines + kBlockLines * (kItem3 - 1) + kBlockRows;
// Real files are 20 to 40 KB; nothing past these is read.
constexpr std::size_t kTableCap = 1 << 20, kListCap = 1 << 16;

// The lines of a file's bytes; past the end every line is empty. Of a file
// read only in part, the lines from the one that was cut on are not known.
class Lines {
 public:
  Lines(std::string_view bytes, bool cut, int wanted) {
    std::size_t at = 0;
    while (static_cast<int>(lines_.size()) < wanted && at < bytes.size()) {
      const auto lf = bytes.find('\n', at);
      if (lf == std::string_view::npos) {
        std::string_view last = bytes.substr(at);
        if (last.ends_with('\r')) last.remove_suffix(1);
        if (!cut) lines_.push_back(last);
        break;
      }
      std::size_t end = lf;
      if (end > at && bytes[end - 1] == '\r') --end;
      lines_.push_back(bytes.substr(at, end - at));
      at = lf + 1;
    }
    if (cut && static_cast<int>(lines_.size()) < wanted) firstUnknown_ = static_cast<int>(lines_.size()) + 1;
  }
  // 0 when line n (from 1) is known; else the first line that is not.
  int unknown(int n) const { return firstUnknown_ != 0 && n >= firstUnknown_ ? firstUnknown_ : 0; }
  // The cells 1 to N of line n, missing ones empty.
  template <std::size_t N>
  std::array<std::string_view, N + 1> cells(int n) const {
    std::array<std::string_view, N + 1> out{};
    if (n < 1 || n > static_cast<int>(lines_.size())) return out;
    std::string_view line = lines_[static_cast<std::size_t>(n - 1)];
    for (std::size_t j = 1; j <= N; ++j) {
      const auto tab = line.find('\t');
      out[j] = line.substr(0, tab);
      if (tab == std::string_view::npos) break;
      line.remove_prefix(tab + 1);
    }
    return out;
  }

 private:
  std::vector<std::string_view> lines_;
  int firstUnknown_ = 0;
};

// An optional minus and one to nine digits.
bool WholeNumber(std::string_view s, std::int32_t& value) {
  const std::string_view digits = !s.empty() && s[0] == '-' ? s.substr(1) : s;
  return digits.size() <= 9 && IsDigits(digits) && ParseNumber(s, value);
}

Text LineRefusal(int line) { return Text(kNotTable) + std::to_string(line) + Text(kLineNumber); }

Text Unreadable(int code) { return Text(kUnreadable) + std::to_string(code) + Text(kClose); }

// The table file's blocks into the game; the line that refuses it, or 0.
int ReadBlocks(const Lines& table, Game& game) {
  for (int t = 0; t < 2; ++t) {
    for (int k = 0; k < kItem3; ++k) {
      Block& block = game.blocks[t][k];
      const int base = kTeamLines * t + kBlockLines * k;
      for (int r = 1; r <= kBlockRows; ++r) {
        const int line = base + r;
        if (const int unknown = table.unknown(line)) return unknown;
        const auto cells = table.cells<kBlockCells>(line);
        if (r == 1) {
          if (cells[12] != kTotal) return line;
          block.item3 = cells[1];
          for (int i = 0; i < kItem2; ++i) block.item2[i] = cells[i + 2];
        } else if (r == kBlockRows) {
          if (cells[1] != kTotal) return line;
        } else {
          block.players[r - 2] = cells[1];
          for (int i = 0; i < kItem2; ++i)
            if (!WholeNumber(cells[i + 2], block.counts[r - 2][i])) return line;
        }
      }
    }
  }
  return 0;
}

void Read(std::string_view listBytes, bool listCut, std::string_view tableBytes, bool tableCut, Game& game) {
  game.refusal.clear();
  game.teams[0].clear();
  game.teams[1].clear();
  for (auto& side : game.blocks)
    for (auto& block : side) block = Block{};
  const Lines list(listBytes, listCut, 2);
  const auto line2 = list.cells<4>(2);
  if (list.unknown(2) || line2[2] != kItemHeaders[0] || line2[3] != kItemHeaders[1] ||
      line2[4] != kItemHeaders[2]) {
    game.refusal = kNotList;
    return;
  }
  const auto line1 = list.cells<6>(1);
  game.teams[0] = line1[1];
  game.teams[1] = line1[6];
  if (const int line = ReadBlocks(Lines(tableBytes, tableCut, kTableLinesRead), game)) {
    game.refusal = LineRefusal(line);
    for (auto& side : game.blocks)
      for (auto& block : side) block = Block{};
  }
}

// ---------------------------------------------------------------- names

// Without the spaces (20, and 81 40) at either end. Read character by
// character, so that a trail byte 81 before 40 is never taken for a space.
std::string_view Trim(std::string_view s) {
  std::size_t begin = 0;
  for (;;) {
    if (begin < s.size() && s[begin] == ' ') {
      ++begin;
    } else if (begin + 1 < s.size() && s[begin] == '\x81' && s[begin + 1] == '\x40') {
      begin += 2;
    } else {
      break;
    }
  }
  std::size_t end = begin;
  for (std::size_t i = begin; i < s.size();) {
    const std::size_t n = cp932::CharLength(s, i);
    const bool space = s[i] == ' ' || (n == 2 && s[i] == '\x81' && s[i + 1] == '\x40');
    i += n;
    if (!space) end = i;
  }
  return s.substr(begin, end - begin);
}

bool RowHasCounts(const Block& b, int p) {
  return std::any_of(std::begin(b.counts[p]), std::end(b.counts[p]), [](std::int32_t v) { return v != 0; });
}

bool ColumnHasCounts(const Block& b, int i) {
  for (int p = 0; p < kPlayers; ++p)
    if (b.counts[p][i] != 0) return true;
  return false;
}

bool BlockHasCounts(const Block& b) {
  for (int p = 0; p < kPlayers; ++p)
    if (RowHasCounts(b, p)) return true;
  return false;
}

// A name as it is matched: trimmed, and （名前なし） for an empty one that
// carries counts; empty when it is left out.
std::string_view Key(std::string_view name, bool hasCounts) {
  const std::string_view t = Trim(name);
  return t.empty() && hasCounts ? kNoName : t;
}

// The sides (bit 0 team 1, bit 1 team 2) on which a game names the team.
int Sides(const Game& g, std::string_view team) {
  if (team.empty()) return 0;
  return (Trim(g.teams[0]) == team ? 1 : 0) | (Trim(g.teams[1]) == team ? 2 : 0);
}

// First appearances in order, each name once.
class Names {
 public:
  int add(std::string_view name) {
    const auto [it, added] = index_.try_emplace(name, static_cast<int>(names_.size()));
    if (added) names_.push_back(name);
    return it->second;
  }
  int find(std::string_view name) const {
    const auto it = index_.find(name);
    return it == index_.end() ? -1 : it->second;
  }
  const std::vector<std::string_view>& names() const { return names_; }
  int size() const { return static_cast<int>(names_.size()); }

 private:
  std::unordered_map<std::string_view, int> index_;
  std::vector<std::string_view> names_;
};

// ---------------------------------------------------------------- the views

// num / den rounded to the nearest whole, halves away from zero (den > 0).
std::int64_t RoundedDivision(std::int64_t num, std::int64_t den) {
  return num >= 0 ? (2 * num + den) / (2 * den) : -((-2 * num + den) / (2 * den));
}

// Tenths as "12.3".
Text Tenths(std::int64_t tenths) {
  const std::int64_t a = tenths < 0 ? -tenths : tenths;
  return (tenths < 0 ? "-" : "") + std::to_string(a / 10) + "." + std::to_string(a % 10);
}

Text PerGame(std::int64_t count, std::int64_t games) {
  return games == 0 ? Text() : Tenths(RoundedDivision(10 * count, games));
}

Text Share(std::int64_t count, std::int64_t all) {
  if (all == 0) return Text();
  if (all < 0) count = -count, all = -all;
  return Tenths(RoundedDivision(1000 * count, all)) + "%";
}

}  // namespace

void ReadGame(std::string_view listBytes, std::string_view tableBytes, Game& game) {
  Read(listBytes, false, tableBytes, false, game);
}

Folder ReadFolder(const std::string& utf8Folder) {
  Folder folder;
  std::vector<platform::Entry> entries;
  if (const int code = platform::ListFolder(utf8Folder, entries)) {
    folder.error = Unreadable(code);
    return folder;
  }
  std::unordered_set<std::string_view> names;
  for (const auto& e : entries) names.insert(e.name);
  struct Found {
    std::int64_t modified;
    Text prefix;
    const std::string* table;
    std::string list;
  };
  std::vector<Found> found;
  constexpr std::string_view kTable = "table.xls";
  for (const auto& e : entries) {
    if (!e.name.ends_with(kTable)) continue;
    // Only the names that データ保存 makes of a CP932 prefix: back to CP932
    // and forth again to the same name.
    bool ok = true;
    const std::u16string wide = codec::Utf16(e.name, &ok);
    if (!ok) continue;
    const Text cp932 = codec::Encode(wide, &ok);
    if (!ok || !cp932.ends_with(kTable)) continue;
    Found f{e.modified, cp932.substr(0, cp932.size() - kTable.size()), &e.name, {}};
    try {
      if (platform::ListedName(cp932) != e.name) continue;
      f.list = platform::ListedName(f.prefix + "list.xls");
    } catch (const IoError&) {
      continue;
    }
    if (names.count(f.list)) found.push_back(std::move(f));
  }
  std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
    return a.modified != b.modified ? a.modified < b.modified : a.prefix < b.prefix;
  });

  const bool endsInSeparator = !utf8Folder.empty() && (utf8Folder.back() == '/' || utf8Folder.back() == '\\');
  const std::string base = endsInSeparator ? utf8Folder : utf8Folder + "/";
  folder.games.resize(found.size());
  std::string tableBytes, listBytes;
  for (std::size_t n = 0; n < found.size(); ++n) {
    Game& game = folder.games[n];
    const Found& f = found[n];
    game.prefix = f.prefix;
    game.tableFile = base + *f.table;
    game.modified = f.modified;
    game.stamp = platform::LocalMinute(f.modified);
    int code = platform::ReadHead(game.tableFile, kTableCap + 1, tableBytes);
    if (code == 0) code = platform::ReadHead(base + f.list, kListCap + 1, listBytes);
    if (code != 0) {
      game.refusal = Unreadable(code);
      continue;
    }
    const bool tableCut = tableBytes.size() > kTableCap, listCut = listBytes.size() > kListCap;
    if (tableCut) tableBytes.resize(kTableCap);
    if (listCut) listBytes.resize(kListCap);
    Read(listBytes, listCut, tableBytes, tableCut, game);
  }
  return folder;
}

// ---------------------------------------------------------------- the season

Season::Season(std::vector<const Game*> checkedOldestFirst) {
  for (const Game* g : checkedOldestFirst)
    if (g && g->readable()) games_.push_back(g);
  Names teams;
  std::vector<int> games;
  for (const Game* g : games_) {
    const std::string_view t[2] = {Trim(g->teams[0]), Trim(g->teams[1])};
    for (int s = 0; s < 2; ++s) {
      if (t[s].empty() || (s == 1 && t[1] == t[0])) continue;  // the same team on both sides counts once
      const int id = teams.add(t[s]);
      if (id == static_cast<int>(games.size())) games.push_back(0);
      ++games[static_cast<std::size_t>(id)];
    }
  }
  std::vector<int> order(static_cast<std::size_t>(teams.size()));
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return games[a] > games[b]; });
  for (const int id : order) teams_.emplace_back(teams.names()[static_cast<std::size_t>(id)]);
}

std::vector<Text> Season::categories(const Text& team) const {
  const std::string_view chosen = Trim(team);
  Names names;
  for (const Game* g : games_) {
    const int sides = Sides(*g, chosen);
    for (int s = 0; s < 2; ++s) {
      if (!(sides >> s & 1)) continue;
      for (const Block& b : g->blocks[s]) {
        const std::string_view key = Key(b.item3, BlockHasCounts(b));
        if (!key.empty()) names.add(key);
      }
    }
  }
  return {names.names().begin(), names.names().end()};
}

Season::Table Season::table(const Text& team, const std::optional<Text>& category, View view) const {
  const std::string_view chosen = Trim(team);
  const std::optional<std::string_view> wanted =
      category ? std::optional<std::string_view>(Trim(*category)) : std::nullopt;
  // First the rows and columns, in first appearance, and where each block's
  // rows and cells go.
  struct Placed {
    const Block* block;
    int rows[kPlayers];
    int cols[kItem2];
    bool chosen;
  };
  std::vector<Placed> placed;
  placed.reserve(games_.size() * 2 * kItem3);  // never moved: a block points at the one before
  Names rows, cols;
  std::vector<std::int64_t> rowGames;
  std::vector<std::size_t> rowSeen;  // the last game (from 1) that counted for the row
  std::int64_t teamGames = 0;
  for (std::size_t gi = 0; gi < games_.size(); ++gi) {
    const Game& g = *games_[gi];
    const int sides = Sides(g, chosen);
    if (!sides) continue;
    ++teamGames;
    for (int s = 0; s < 2; ++s) {
      if (!(sides >> s & 1)) continue;
      // The blocks of one side mostly repeat the names of the one before:
      // those keep its rows and columns without being looked up again.
      const Placed* before = nullptr;
      for (const Block& b : g.blocks[s]) {
        Placed& p = placed.emplace_back();
        p.block = &b;
        for (int r = 0; r < kPlayers; ++r) {
          if (before && before->rows[r] >= 0 && before->block->players[r] == b.players[r] &&
              rows.names()[static_cast<std::size_t>(before->rows[r])] != kNoName) {
            p.rows[r] = before->rows[r];
          } else {
            const std::string_view key = Key(b.players[r], RowHasCounts(b, r));
            p.rows[r] = key.empty() ? -1 : rows.add(key);
          }
          if (p.rows[r] < 0) continue;
          const auto id = static_cast<std::size_t>(p.rows[r]);
          if (id == rowGames.size()) rowGames.push_back(0), rowSeen.push_back(0);
          if (rowSeen[id] != gi + 1) rowSeen[id] = gi + 1, ++rowGames[id];
        }
        for (int i = 0; i < kItem2; ++i) {
          if (before && before->cols[i] >= 0 && before->block->item2[i] == b.item2[i] &&
              cols.names()[static_cast<std::size_t>(before->cols[i])] != kNoName) {
            p.cols[i] = before->cols[i];
          } else {
            const std::string_view key = Key(b.item2[i], ColumnHasCounts(b, i));
            p.cols[i] = key.empty() ? -1 : cols.add(key);
          }
        }
        before = &p;
        const std::string_view label = Trim(b.item3);
        p.chosen = !wanted || (label.empty() ? kNoName : label) == *wanted;
      }
    }
  }

  // Then the counts: of the chosen category, and for 割合 of all of them.
  const std::size_t R = static_cast<std::size_t>(rows.size()), C = static_cast<std::size_t>(cols.size());
  const bool share = view == View::Share;
  // One more row and column each for the totals.
  std::vector<std::int64_t> counts((R + 1) * (C + 1)), all(share ? (R + 1) * (C + 1) : 0);
  auto at = [C](std::size_t r, std::size_t c) { return r * (C + 1) + c; };
  for (const Placed& p : placed) {
    if (!p.chosen && !share) continue;
    for (int r = 0; r < kPlayers; ++r) {
      if (p.rows[r] < 0) continue;
      for (int i = 0; i < kItem2; ++i) {
        const std::int32_t v = p.block->counts[r][i];
        if (v == 0 || p.cols[i] < 0) continue;
        const std::size_t cell = at(static_cast<std::size_t>(p.rows[r]), static_cast<std::size_t>(p.cols[i]));
        if (p.chosen) counts[cell] += v;
        if (share) all[cell] += v;
      }
    }
  }
  auto addTotals = [&](std::vector<std::int64_t>& m) {
    for (std::size_t r = 0; r < R; ++r)
      for (std::size_t c = 0; c < C; ++c) {
        m[at(r, C)] += m[at(r, c)];
        m[at(R, c)] += m[at(r, c)];
        m[at(R, C)] += m[at(r, c)];
      }
  };
  addTotals(counts);
  if (share) addTotals(all);

  Table table;
  table.reserve(R + 2);
  auto& header = table.emplace_back();
  header.reserve(C + 3);
  header.emplace_back(wanted ? *wanted : kTotal);
  header.emplace_back(kGamesHeader);
  for (const auto& name : cols.names()) header.emplace_back(name);
  header.emplace_back(kTotal);
  for (std::size_t r = 0; r <= R; ++r) {
    const std::int64_t games = r < R ? rowGames[r] : teamGames;
    auto& row = table.emplace_back();
    row.reserve(C + 3);
    row.emplace_back(r < R ? rows.names()[r] : kTotal);
    row.push_back(std::to_string(games));
    for (std::size_t c = 0; c <= C; ++c) {
      const std::int64_t v = counts[at(r, c)];
      switch (view) {
        case View::Counts: row.push_back(std::to_string(v)); break;
        case View::PerGame: row.push_back(PerGame(v, games)); break;
        case View::Share: row.push_back(Share(v, all[at(r, c)])); break;
      }
    }
  }
  return table;
}

Text TableText(const Season::Table& rows) {
  Text text;
  for (const auto& row : rows) {
    for (std::size_t j = 0; j < row.size(); ++j) {
      if (j > 0) text += '\t';
      text += row[j];
    }
    text += "\r\n";
  }
  return text;
}

}  // namespace kiroku::season
