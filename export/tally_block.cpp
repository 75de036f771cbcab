#include "export/tally_block.h"

#include <string>

namespace kiroku {

namespace {

// A count, or where an index is the totals index (player 17, item 11) the
// sum over that index's counts, as the table file's totals passes add them.
int32_t Count(const TallyTableT& t, int team, int p, int i, int k) {
  int32_t sum = 0;
  if (p == TallyTableT::kItem1) {
    for (int q = 1; q < TallyTableT::kItem1; ++q) sum += Count(t, team, q, i, k);
  } else if (i == TallyTableT::kItem2) {
    for (int q = 1; q < TallyTableT::kItem2; ++q) sum += Count(t, team, p, q, k);
  } else if (k == TallyTableT::kItem3) {
    for (int q = 1; q < TallyTableT::kItem3; ++q) sum += Count(t, team, p, i, q);
  } else {
    sum = t.at(team, p, i, k);
  }
  return sum;
}

}  // namespace

TallyBlockCells TallyBlock(const SetupSheet& sheet, const TallyTableT& tally, int team, int k) {
  const Text total(cp932::kTotal);
  TallyBlockCells block;
  auto& header = block[0];
  header[0] = k == TallyTableT::kItem3 ? total : sheet.item3Label(k);
  for (int i = 1; i < TallyTableT::kItem2; ++i) header[i] = sheet.item2Label(i);
  header[TallyTableT::kItem2] = total;
  for (int p = 1; p <= TallyTableT::kItem1; ++p) {
    auto& row = block[p];
    row[0] = p == TallyTableT::kItem1 ? total : sheet.playerName(team, p);
    for (int i = 1; i <= TallyTableT::kItem2; ++i) row[i] = std::to_string(Count(tally, team, p, i, k));
  }
  return block;
}

bool HasCounts(const TallyTableT& tally, int k) {
  for (int team = 1; team <= 2; ++team)
    for (int p = 1; p < TallyTableT::kItem1; ++p)
      for (int i = 1; i < TallyTableT::kItem2; ++i)
        if (tally.at(team, p, i, k) != 0) return true;
  return false;
}

Text TallyBlocksText(const SetupSheet& sheet, const TallyTableT& tally, int k) {
  Text text;
  for (int team = 1; team <= 2; ++team) {
    if (team == 2) text += "\r\n";
    for (const auto& row : TallyBlock(sheet, tally, team, k)) {
      for (int j = 0; j < kBlockCells; ++j) {
        if (j > 0) text += '\t';
        text += row[j];
      }
      text += "\r\n";
    }
  }
  return text;
}

}  // namespace kiroku
