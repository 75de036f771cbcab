#pragma once
#include <array>

#include "setup/setup_sheet.h"

namespace kiroku {

inline constexpr int kBlockRows = 18, kBlockCells = 12;
using TallyBlockCells = std::array<std::array<Text, kBlockCells>, kBlockRows>;

// Block (team, k) of the table file as データ保存 would write it now: names and
// labels from the sheet, totals summed from the counts alone. k = 11 is the
// block over all categories. The tally's total slices are neither read nor
// written, so that a view during the game never disturbs the next save.
TallyBlockCells TallyBlock(const SetupSheet& sheet, const TallyTableT& tally, int team, int k);

// Whether either team has a count in category k (1 to 10).
bool HasCounts(const TallyTableT& tally, int k);

// Team 1's block k, an empty row, team 2's: each row's cells joined by TAB
// and ended by CR LF, as a spreadsheet takes a pasted range.
Text TallyBlocksText(const SetupSheet& sheet, const TallyTableT& tally, int k);

}  // namespace kiroku
