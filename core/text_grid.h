#pragma once
#include <functional>
#include <vector>

#include "core/text.h"

namespace kiroku {

// Told of every change to a grid, so that a view can follow the values.
class GridObserver {
 public:
  virtual ~GridObserver() = default;
  virtual void cellChanged(int col, int row) = 0;
  virtual void shapeChanged() = 0;  // counts, fixed rows/cols, widths, heights
  virtual void currentRowChanged() = 0;
};

// A grid of text cells at [column, row], both from 0. Cells outside the row
// and column counts can still be written and read: the hidden layout grids of
// the exports are never resized and rely on it.
class TStringGrid {
 public:
  static constexpr int kDefaultColWidth = 64;
  static constexpr int kDefaultRowHeight = 24;

  TStringGrid(int colCount = 5, int rowCount = 5, int fixedCols = 1, int fixedRows = 1);

  const Text& cell(int col, int row) const;
  void setCell(int col, int row, Text value);

  // Clears the whole row (or column), then fills it from index 0 with the
  // items of a comma-separated text; "..." quotes an item such as one blank.
  void setRowCommaText(int row, std::string_view commaText);
  void setColCommaText(int col, std::string_view commaText);

  int colCount() const { return colCount_; }
  int rowCount() const { return rowCount_; }
  int fixedCols() const { return fixedCols_; }
  int fixedRows() const { return fixedRows_; }
  int row() const { return row_; }
  void setColCount(int n);
  void setRowCount(int n);
  void setRow(int r);

  int colWidth(int col) const;
  int rowHeight(int row) const;
  void setColWidth(int col, int px);
  void setRowHeight(int row, int px);
  // Rows from 0 up to this one may have a height of their own.
  int customRowHeights() const { return static_cast<int>(rowHeights_.size()); }

  void setObserver(GridObserver* observer) { observer_ = observer; }
  // Told of every cell written, with its new text, whoever wrote it.
  using CellHook = std::function<void(int col, int row, const Text& value)>;
  void setCellHook(CellHook hook) { cellHook_ = std::move(hook); }

 private:
  void clearRowCells(int row);
  void clearColCells(int col);

  int colCount_, rowCount_, fixedCols_, fixedRows_;
  int row_;
  std::vector<std::vector<Text>> cells_;  // [row][col], grown on demand
  std::vector<int> colWidths_, rowHeights_;
  GridObserver* observer_ = nullptr;
  CellHook cellHook_;
};

// Splits a comma text the way the grid reads it: blanks and control
// characters also separate unquoted items, "" inside quotes is one quote.
std::vector<Text> SplitCommaText(std::string_view text);

}  // namespace kiroku
