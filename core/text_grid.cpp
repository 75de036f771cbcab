#include "core/text_grid.h"

#include <algorithm>

namespace kiroku {

namespace {
const Text kEmpty;
bool IsBlank(char c) { return c != '\0' && static_cast<unsigned char>(c) <= ' '; }
}  // namespace

std::vector<Text> SplitCommaText(std::string_view s) {
  std::vector<Text> items;
  size_t p = 0;
  const size_t n = s.size();
  auto skipBlanks = [&] {
    while (p < n && IsBlank(s[p])) ++p;
  };
  skipBlanks();
  while (p < n) {
    Text item;
    if (s[p] == '"') {
      ++p;
      while (p < n) {
        if (s[p] == '"') {
          if (p + 1 < n && s[p + 1] == '"') {
            item += '"';
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        item += s[p++];
      }
    } else {
      const size_t start = p;
      while (p < n && static_cast<unsigned char>(s[p]) > ' ' && s[p] != ',') ++p;
      item.assign(s.substr(start, p - start));
    }
    items.push_back(std::move(item));
    skipBlanks();
    if (p < n && s[p] == ',') {
      if (p + 1 == n) items.emplace_back();  // a trailing comma ends in one empty item
      ++p;
      skipBlanks();
    }
  }
  return items;
}

TStringGrid::TStringGrid(int colCount, int rowCount, int fixedCols, int fixedRows)
    : colCount_(colCount),
      rowCount_(rowCount),
      fixedCols_(fixedCols),
      fixedRows_(fixedRows),
      row_(fixedRows) {}

const Text& TStringGrid::cell(int col, int row) const {
  if (row < 0 || col < 0 || row >= static_cast<int>(cells_.size())) return kEmpty;
  const auto& r = cells_[row];
  if (col >= static_cast<int>(r.size())) return kEmpty;
  return r[col];
}

void TStringGrid::setCell(int col, int row, Text value) {
  if (row < 0 || col < 0) return;
  if (row >= static_cast<int>(cells_.size())) {
    if (value.empty()) return;  // nothing stored there: already empty
    cells_.resize(row + 1);
  }
  auto& r = cells_[row];
  if (col >= static_cast<int>(r.size())) {
    if (value.empty()) return;
    r.resize(std::max<size_t>(col + 1, 4));
  }
  r[col] = std::move(value);
  if (cellHook_) cellHook_(col, row, r[col]);
  if (observer_) observer_->cellChanged(col, row);
}

void TStringGrid::clearRowCells(int row) {
  const int width = row < static_cast<int>(cells_.size())
                        ? std::max(colCount_, static_cast<int>(cells_[row].size()))
                        : 0;
  for (int c = 0; c < width; ++c)
    if (!cell(c, row).empty()) setCell(c, row, Text());
}

void TStringGrid::clearColCells(int col) {
  for (int r = 0; r < static_cast<int>(cells_.size()); ++r)
    if (!cell(col, r).empty()) setCell(col, r, Text());
}

void TStringGrid::setRowCommaText(int row, std::string_view commaText) {
  clearRowCells(row);
  int c = 0;
  for (auto& item : SplitCommaText(commaText)) setCell(c++, row, std::move(item));
}

void TStringGrid::setColCommaText(int col, std::string_view commaText) {
  clearColCells(col);
  int r = 0;
  for (auto& item : SplitCommaText(commaText)) setCell(col, r++, std::move(item));
}

void TStringGrid::setColCount(int n) {
  colCount_ = std::max(n, 1);
  if (observer_) observer_->shapeChanged();
}

void TStringGrid::setRowCount(int n) {
  rowCount_ = std::max(n, fixedRows_ + 1);
  if (observer_) observer_->shapeChanged();
  if (row_ >= rowCount_) setRow(rowCount_ - 1);
}

void TStringGrid::setRow(int r) {
  r = std::clamp(r, fixedRows_, std::max(fixedRows_, rowCount_ - 1));
  if (r == row_) return;
  row_ = r;
  if (observer_) observer_->currentRowChanged();
}

int TStringGrid::colWidth(int col) const {
  return col >= 0 && col < static_cast<int>(colWidths_.size()) ? colWidths_[col] : kDefaultColWidth;
}

int TStringGrid::rowHeight(int row) const {
  return row >= 0 && row < static_cast<int>(rowHeights_.size()) ? rowHeights_[row]
                                                                 : kDefaultRowHeight;
}

void TStringGrid::setColWidth(int col, int px) {
  if (col < 0) return;
  if (col >= static_cast<int>(colWidths_.size())) colWidths_.resize(col + 1, kDefaultColWidth);
  colWidths_[col] = px;
  if (observer_) observer_->shapeChanged();
}

void TStringGrid::setRowHeight(int row, int px) {
  if (row < 0) return;
  if (row >= static_cast<int>(rowHeights_.size())) rowHeights_.resize(row + 1, kDefaultRowHeight);
  rowHeights_[row] = px;
  if (observer_) observer_->shapeChanged();
}

}  // namespace kiroku
