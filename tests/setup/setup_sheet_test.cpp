#include "setup/setup_sheet.h"

#include <gtest/gtest.h>

#include "tests/support/fake_screens.h"

namespace kiroku {
namespace {

using testing::FakeScreens;

const Text kDantai = "\x92\x63\x91\xcc\x96\xbc";  // 団体名

class SetupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateSetupSheet(sheet, rec);
    rec.SetUpEventGrids();
  }
  int hiddenButtons() {
    int n = 0;
    for (auto& [key, b] : screens.buttons) n += !b.visible;
    return n;
  }

  FakeScreens screens;
  Recording rec{screens};
  SetupSheet sheet;
};

TEST_F(SetupTest, Defaults) {
  const auto& g = sheet.StringGrid1;
  EXPECT_EQ(g.colCount(), 4);
  EXPECT_EQ(g.rowCount(), 18);
  EXPECT_EQ(g.cell(0, 0), " ");
  EXPECT_EQ(g.cell(1, 0), "\x8d\x80\x96\xda\x82\x50");  // 項目１
  EXPECT_EQ(g.cell(2, 0), " ");
  EXPECT_EQ(g.cell(3, 0), "\x8d\x80\x96\xda\x82\x50");
  EXPECT_EQ(g.cell(0, 1), "\x83\x60\x81\x5b\x83\x80\x96\xbc");  // チーム名
  EXPECT_EQ(g.cell(0, 2), "1");
  EXPECT_EQ(g.cell(0, 17), "16");
  EXPECT_EQ(g.cell(1, 1), kDantai);
  EXPECT_EQ(g.cell(3, 1), kDantai);
  for (int r = 2; r <= 17; ++r) {
    EXPECT_EQ(g.cell(1, r), "");
    EXPECT_EQ(g.cell(3, r), "");
  }
  EXPECT_EQ(g.colWidth(0), 60);
  EXPECT_EQ(g.colWidth(1), 100);
  EXPECT_EQ(g.colWidth(2), 15);
  EXPECT_EQ(g.colWidth(3), 100);
  EXPECT_EQ(g.rowHeight(17), 20);
  EXPECT_EQ(sheet.edit(21), "\x83\x74\x83\x40\x83\x43\x83\x8b\x96\xbc");  // ファイル名
  EXPECT_EQ(sheet.edit(22), "'");
  for (int k = 1; k <= 20; ++k) EXPECT_EQ(sheet.edit(k), "");
  EXPECT_EQ(rec.LabelsPending, 1);
}

TEST_F(SetupTest, DefaultsHideEveryLabelledButtonAndNameAllFourPanels) {
  SwitchToRecording(sheet, rec);
  for (int p : {2, 3, 4, 5}) EXPECT_EQ(screens.panelCaption(Form::Form2, p), kDantai);
  EXPECT_EQ(hiddenButtons(), 52);
  EXPECT_EQ(screens.enabledPlayers(), 0);
  EXPECT_TRUE(screens.button(Form::Form3, 11).visible);
  EXPECT_TRUE(screens.button(Form::Form2, 36).visible);
  EXPECT_EQ(rec.LabelsPending, 0);
  EXPECT_TRUE(screens.isShown(Form::Form2));
}

TEST_F(SetupTest, LabelsAreCarriedOnceAtTheFirstSwitch) {
  sheet.StringGrid1.setCell(1, 2, "Ann");
  sheet.StringGrid1.setCell(3, 17, " ");  // one blank keeps its button
  sheet.StringGrid1.setCell(3, 1, "");    // an empty team name empties its panels
  sheet.setEdit(1, "Shot");
  sheet.setEdit(20, "Goal");
  SwitchToRecording(sheet, rec);
  EXPECT_EQ(screens.button(Form::Form2, 1).caption, "Ann");
  EXPECT_TRUE(screens.button(Form::Form2, 1).visible);
  EXPECT_EQ(screens.button(Form::Form2, 32).caption, " ");
  EXPECT_TRUE(screens.button(Form::Form2, 32).visible);
  EXPECT_FALSE(screens.button(Form::Form2, 2).visible);
  EXPECT_EQ(screens.button(Form::Form2, 2).caption, "");
  EXPECT_EQ(screens.button(Form::Form3, 1).caption, "Shot");
  EXPECT_EQ(screens.button(Form::Form4, 10).caption, "Goal");
  EXPECT_FALSE(screens.button(Form::Form4, 9).visible);
  EXPECT_EQ(screens.panelCaption(Form::Form2, 3), "");
  EXPECT_EQ(screens.panelCaption(Form::Form2, 5), "");
  EXPECT_EQ(hiddenButtons(), 52 - 4);

  const auto buttonsBefore = screens.buttons;
  const auto panelsBefore = screens.panels;
  sheet.StringGrid1.setCell(1, 3, "Bob");
  sheet.setEdit(1, "Pass");
  screens.closeForm(Form::Form2);
  SwitchToRecording(sheet, rec);
  EXPECT_TRUE(screens.isShown(Form::Form2));
  EXPECT_EQ(screens.panels, panelsBefore);
  for (auto& [key, b] : buttonsBefore) {
    EXPECT_EQ(screens.buttons[key].caption, b.caption);
    EXPECT_EQ(screens.buttons[key].visible, b.visible);
  }
}

TEST_F(SetupTest, CopyOverwritesEveryPlayerRowOfTeamTwo) {
  auto& g = sheet.StringGrid1;
  for (int r = 2; r <= 5; ++r) g.setCell(1, r, "p" + std::to_string(r));
  for (int r = 2; r <= 17; ++r) g.setCell(3, r, "old");
  g.setCell(3, 1, "Reds");
  CopyPlayerNames(sheet);
  for (int r = 2; r <= 5; ++r) EXPECT_EQ(g.cell(3, r), "p" + std::to_string(r));
  for (int r = 6; r <= 17; ++r) EXPECT_EQ(g.cell(3, r), "");
  EXPECT_EQ(g.cell(3, 1), "Reds");
  EXPECT_EQ(g.cell(3, 0), "\x8d\x80\x96\xda\x82\x50");
  for (int r = 0; r <= 17; ++r) EXPECT_EQ(g.cell(2, r), r == 0 ? " " : "");
}

}  // namespace
}  // namespace kiroku
