#include "export/export.h"

#include <string>

#include "files/record_result.h"
#include "files/text_file.h"

namespace kiroku {

namespace {

constexpr int kEventRows = 299;  // event grid rows 0 to 298: the header and 298 events

void WriteGrid(const TStringGrid& grid, const std::string& path, int lines, int cells) {
  TextFileWriter file(path);
  for (int n = 1; n <= lines; ++n) {
    for (int j = 1; j <= cells; ++j) {
      file.append(grid.cell(j, n));
      file.append("\t");
    }
    file.endLine();
  }
  file.commit();
}

void AddTotals(TallyTableT& t) {
  for (int team = 1; team <= 2; ++team)
    for (int k = 1; k <= 10; ++k)
      for (int p = 1; p <= 16; ++p)
        for (int i = 1; i <= 10; ++i) t.at(team, p, 11, k) += t.at(team, p, i, k);
  for (int team = 1; team <= 2; ++team)
    for (int k = 1; k <= 10; ++k)
      for (int i = 1; i <= 11; ++i)
        for (int p = 1; p <= 16; ++p) t.at(team, 17, i, k) += t.at(team, p, i, k);
  for (int team = 1; team <= 2; ++team)
    for (int p = 1; p <= 17; ++p)
      for (int i = 1; i <= 11; ++i)
        for (int k = 1; k <= 10; ++k) t.at(team, p, i, 11) += t.at(team, p, i, k);
}

}  // namespace

void ExportEventList(SetupSheet& sheet, const Recording& recording) {
  const std::string path = sheet.edit(21) + "list.xls";
  const Text& timePrefix = sheet.edit(22);
  auto& list = sheet.StringGrid2;
  list.setCell(1, 1, sheet.StringGrid1.cell(1, 1));
  list.setCell(6, 1, sheet.StringGrid1.cell(3, 1));
  for (int s = 0; s <= 3; ++s) {
    for (int m = 0; m < kEventRows; ++m) {
      for (int team = 1; team <= 2; ++team) {
        const Text& value = recording.eventGrid(team).cell(s, m);
        const int col = s + (team == 1 ? 1 : 6);
        list.setCell(col, m + 2, s == 0 && !value.empty() ? timePrefix + value : value);
      }
    }
  }
  WriteGrid(list, path, kListLines, kListCells);
}

void ExportTallyTable(SetupSheet& sheet, Recording& recording) {
  auto& setup = sheet.StringGrid1;
  setup.setCell(1, 18, Text(cp932::kTotal));

  auto& labels = sheet.StringGrid4;
  for (int j = 2; j <= 11; ++j) labels.setCell(j, 1, sheet.edit(j - 1));
  labels.setCell(12, 1, Text(cp932::kTotal));
  for (int j = 2; j <= 11; ++j) labels.setCell(j, 2, sheet.edit(j + 9));
  labels.setCell(12, 2, Text(cp932::kTotal));

  auto& tally = recording.TallyTable;
  AddTotals(tally);

  auto& table = sheet.StringGrid3;
  for (int t = 1; t <= 2; ++t) {
    for (int k = 1; k <= 11; ++k) {
      const int base = 209 * (t - 1) + 19 * (k - 1);
      for (int r = 1; r <= 18; ++r) {
        for (int j = 1; j <= 12; ++j) {
          Text value;
          if (r == 1)
            value = j == 1 ? labels.cell(k + 1, 2) : labels.cell(j, 1);
          else if (j == 1)
            value = r == 18 ? setup.cell(1, 18) : setup.cell(t == 1 ? 1 : 3, r);
          else
            value = std::to_string(tally.at(t, r - 1, j - 1, k));
          table.setCell(j, base + r, std::move(value));
        }
      }
    }
  }
  WriteGrid(table, sheet.edit(21) + "table.xls", kTableLines, kTableCells);
}

void SaveResults(SetupSheet& sheet, Recording& recording, const std::function<void()>& listWritten) {
  RecordResult(sheet.journal(), record::kSave, [&] {
    ExportEventList(sheet, recording);
    if (listWritten) listWritten();
    try {
      ExportTallyTable(sheet, recording);
    } catch (...) {
      // Totals left behind would be counted again by the next export.
      recording.ClearTallyTotals();
      throw;
    }
    recording.ClearTallyTotals();
  });
}

}  // namespace kiroku
