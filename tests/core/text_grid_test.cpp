#include "core/text_grid.h"

#include <gtest/gtest.h>

namespace kiroku {
namespace {

TEST(TextGrid, CellsReadEmptyUntilSetAndEmptyTextClears) {
  TStringGrid g(4, 6, 0, 1);
  EXPECT_EQ(g.cell(2, 3), "");
  g.setCell(2, 3, "x");
  EXPECT_EQ(g.cell(2, 3), "x");
  g.setCell(2, 3, "");
  EXPECT_EQ(g.cell(2, 3), "");
  EXPECT_EQ(g.cell(-1, 0), "");
}

TEST(TextGrid, CellsBeyondTheCountsKeepTheirValues) {
  TStringGrid g;  // 5 x 5
  g.setCell(14, 899, "far");
  g.setCell(0, 0, "near");
  EXPECT_EQ(g.cell(14, 899), "far");
  EXPECT_EQ(g.cell(0, 0), "near");
  EXPECT_EQ(g.rowCount(), 5);
  EXPECT_EQ(g.colCount(), 5);
}

TEST(TextGrid, RowFromCommaTextClearsThenFillsFromZero) {
  TStringGrid g(4, 18, 1, 1);
  for (int c = 0; c < 6; ++c) g.setCell(c, 0, "old");
  g.setRowCommaText(0, "\" \",a,\" \",b");
  EXPECT_EQ(g.cell(0, 0), " ");
  EXPECT_EQ(g.cell(1, 0), "a");
  EXPECT_EQ(g.cell(2, 0), " ");
  EXPECT_EQ(g.cell(3, 0), "b");
  EXPECT_EQ(g.cell(4, 0), "");  // beyond the count, cleared all the same
  EXPECT_EQ(g.cell(5, 0), "");
}

TEST(TextGrid, ColumnFromCommaTextKeepsMultibyteItems) {
  TStringGrid g(4, 18, 1, 1);
  g.setCell(0, 20, "stale");
  // 項目1,"a b" (CP932 bytes; trail byte 0x80 is no separator)
  g.setColCommaText(0, "\x8d\x80\x96\xda\x31,\"a b\",3");
  EXPECT_EQ(g.cell(0, 0), "\x8d\x80\x96\xda\x31");
  EXPECT_EQ(g.cell(0, 1), "a b");
  EXPECT_EQ(g.cell(0, 2), "3");
  EXPECT_EQ(g.cell(0, 20), "");
}

TEST(TextGrid, CommaTextSplitting) {
  using V = std::vector<Text>;
  EXPECT_EQ(SplitCommaText("a b,c"), (V{"a", "b", "c"}));       // blanks separate too
  EXPECT_EQ(SplitCommaText("a,"), (V{"a", ""}));                // trailing comma
  EXPECT_EQ(SplitCommaText("\"say \"\"hi\"\"\""), (V{"say \"hi\""}));
  EXPECT_EQ(SplitCommaText(""), V{});
  EXPECT_EQ(SplitCommaText("a,,b"), (V{"a", "", "b"}));
}

TEST(TextGrid, CurrentRowStaysInsideTheGrid) {
  TStringGrid g(4, 6, 0, 1);
  EXPECT_EQ(g.row(), 1);
  g.setRow(0);
  EXPECT_EQ(g.row(), 1);  // never the header row
  g.setRow(9);
  EXPECT_EQ(g.row(), 5);
  g.setRowCount(3);
  EXPECT_EQ(g.row(), 2);
  g.setColWidth(2, 90);
  EXPECT_EQ(g.colWidth(2), 90);
  EXPECT_EQ(g.colWidth(1), TStringGrid::kDefaultColWidth);
}

}  // namespace
}  // namespace kiroku
