#pragma once
#include <functional>

#include "setup/setup_sheet.h"

namespace kiroku {

inline constexpr int kListLines = 300, kListCells = 10;
inline constexpr int kTableLines = 900, kTableCells = 15;

// Both teams' event grids side by side, into <prefix>list.xls.
void ExportEventList(SetupSheet& sheet, const Recording& recording);
// Totals, then one cross table per team and item-3 category, into <prefix>table.xls.
void ExportTallyTable(SetupSheet& sheet, Recording& recording);
// "データ保存": both files, and the totals cleared again whatever happened.
// listWritten is called once the event list file is in place.
void SaveResults(SetupSheet& sheet, Recording& recording, const std::function<void()>& listWritten = {});

}  // namespace kiroku
