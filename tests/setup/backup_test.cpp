#include "setup/backup.h"


#include <gtest/gtest.h>

#include "files/text_file.h"
#include "tests/support/fake_screens.h"
#include "tests/support/temp_dir.h"

namespace kiroku {
namespace {

using testing::FakeScreens;
using testing::ReadFileBytes;
using testing::ScopedIoFaults;
using testing::TempDir;
using testing::WriteFileBytes;

const Text kDantai = "\x92\x63\x91\xcc\x96\xbc";  // 団体名

class BackupTest : public ::testing::Test {
 protected:
  void SetUp() override { CreateSetupSheet(sheet, rec); }
  // The 54 places in file order, read straight from the sheet.
  std::vector<Text> places() {
    std::vector<Text> v;
    for (int r = 1; r <= 17; ++r) v.push_back(sheet.StringGrid1.cell(1, r));
    for (int r = 1; r <= 17; ++r) v.push_back(sheet.StringGrid1.cell(3, r));
    for (int k = 1; k <= 20; ++k) v.push_back(sheet.edit(k));
    return v;
  }

  TempDir dir;
  FakeScreens screens;
  Recording rec{screens};
  SetupSheet sheet;
};

TEST_F(BackupTest, DefaultsSaveTheHundredAndTwentyByteFile) {
  SaveSetupBackup(sheet);
  std::string expected = kDantai + "\r\n";
  for (int i = 0; i < 16; ++i) expected += "\r\n";
  expected += kDantai + "\r\n";
  for (int i = 0; i < 36; ++i) expected += "\r\n";
  EXPECT_EQ(expected.size(), 120u);
  EXPECT_EQ(ReadFileBytes("morvane.txt"), expected);
}

TEST_F(BackupTest, SaveThenLoadGivesBackEveryPlaceExactly) {
  int n = 0;
  for (int r = 1; r <= 17; ++r) {
    sheet.StringGrid1.setCell(1, r, " lead" + std::to_string(n++));
    sheet.StringGrid1.setCell(3, r, r % 3 ? "trail " + std::to_string(n++) + "  " : "");
  }
  sheet.StringGrid1.setCell(1, 9, "\xb1\xb2\xb3");  // ｱｲｳ half-width katakana
  sheet.StringGrid1.setCell(3, 17, std::string(5000, 'L'));
  for (int k = 1; k <= 20; ++k) sheet.setEdit(k, k % 4 ? "\x8e\x9e\x8a\xd4 " + std::to_string(k) : " ");
  sheet.setEdit(7, "");
  const auto saved = places();
  SaveSetupBackup(sheet);

  SetupSheet fresh;
  Recording rec2{screens};
  CreateSetupSheet(fresh, rec2);
  LoadSetupBackup(fresh);
  std::swap(sheet, fresh);
  EXPECT_EQ(places(), saved);
}

TEST_F(BackupTest, ShortAndOddFilesLoadWhatTheLinesSay) {
  sheet.setEdit(3, "before");
  WriteFileBytes("morvane.txt", "");
  LoadSetupBackup(sheet);
  for (auto& p : places()) EXPECT_EQ(p, "");

  std::string seventeen;
  for (int i = 1; i <= 17; ++i) seventeen += "t" + std::to_string(i) + "\r\n";
  WriteFileBytes("morvane.txt", seventeen);
  sheet.setEdit(20, "x");
  LoadSetupBackup(sheet);
  auto p = places();
  EXPECT_EQ(p[0], "t1");
  EXPECT_EQ(p[16], "t17");
  for (int i = 17; i < 54; ++i) EXPECT_EQ(p[i], "") << i;

  std::string lfOnly, crlf;
  for (int i = 1; i <= 60; ++i) {
    lfOnly += "v" + std::to_string(i) + "\n";
    crlf += "v" + std::to_string(i) + "\r\n";
  }
  WriteFileBytes("morvane.txt", lfOnly);
  LoadSetupBackup(sheet);
  const auto fromLf = places();
  WriteFileBytes("morvane.txt", crlf);
  LoadSetupBackup(sheet);
  EXPECT_EQ(places(), fromLf);
  EXPECT_EQ(fromLf[53], "v54");  // lines after 54 never read

  WriteFileBytes("morvane.txt", std::string("a\0\xff\x81\r b\rc", 10));  // no LF at all
  LoadSetupBackup(sheet);
  EXPECT_EQ(sheet.StringGrid1.cell(1, 1), std::string("a\0\xff\x81\r b\rc", 10));
  EXPECT_EQ(sheet.StringGrid1.cell(1, 2), "");
}

TEST_F(BackupTest, MissingFileOrFolderNameFailsAndChangesNothing) {
  sheet.setEdit(1, "typed");
  const auto before = places();
  EXPECT_EQ(testing::IoErrorCode([&] { LoadSetupBackup(sheet); }), 2);
  EXPECT_EQ(places(), before);
  testing::MakeFolder("morvane.txt");
  EXPECT_EQ(testing::IoErrorCode([&] { LoadSetupBackup(sheet); }), 5);
  EXPECT_EQ(testing::IoErrorCode([&] { SaveSetupBackup(sheet); }), 5);
  EXPECT_EQ(places(), before);
}

TEST_F(BackupTest, AReadFailingMidwayKeepsTheLinesReadBeforeIt) {
  std::string file;
  for (int i = 1; i <= 54; ++i) file += "n" + std::to_string(i) + "\r\n";
  WriteFileBytes("morvane.txt", file);
  ScopedIoFaults faults({.lineNumber = 4, .lineCode = 100});
  EXPECT_EQ(testing::IoErrorCode([&] { LoadSetupBackup(sheet); }), 100);
  EXPECT_EQ(sheet.StringGrid1.cell(1, 1), "n1");
  EXPECT_EQ(sheet.StringGrid1.cell(1, 3), "n3");
  EXPECT_EQ(sheet.StringGrid1.cell(1, 4), "");
  EXPECT_EQ(sheet.StringGrid1.cell(3, 1), kDantai);
}

TEST_F(BackupTest, AFailedSaveKeepsThePreviousBackup) {
  WriteFileBytes("morvane.txt", "previous\r\n");
  sheet.setEdit(1, "new");
  {
    ScopedIoFaults faults({.lineNumber = 30, .lineCode = 101});
    EXPECT_EQ(testing::IoErrorCode([&] { SaveSetupBackup(sheet); }), 101);
  }
  testing::MakeReadOnly("morvane.txt");
  EXPECT_EQ(testing::IoErrorCode([&] { SaveSetupBackup(sheet); }), 5);
  EXPECT_EQ(ReadFileBytes("morvane.txt"), "previous\r\n");
  EXPECT_EQ(testing::ListDirectory(), "morvane.txt\n");
}

TEST_F(BackupTest, StartupChoice) {
  ShowStartupChoice(screens);
  EXPECT_FALSE(screens.timerOn(Form::Form1, 1));
  EXPECT_TRUE(screens.timerOn(Form::Form5, 1));
  EXPECT_TRUE(screens.isShown(Form::Form5));

  screens.log.clear();
  StartupChoiceOk(-1, sheet, screens);
  EXPECT_TRUE(screens.log.empty());
}

TEST_F(BackupTest, StartupChoiceBackUpWithoutAFileLeavesEverythingAsItWas) {
  ShowStartupChoice(screens);
  sheet.setEdit(2, "typed");
  const auto before = places();
  EXPECT_EQ(testing::IoErrorCode([&] { StartupChoiceOk(1, sheet, screens); }), 2);
  EXPECT_TRUE(screens.isShown(Form::Form5));
  EXPECT_EQ(places(), before);

  SaveSetupBackup(sheet);
  sheet.setEdit(2, "changed");
  StartupChoiceOk(1, sheet, screens);
  EXPECT_EQ(sheet.edit(2), "typed");
  EXPECT_FALSE(screens.isShown(Form::Form5));
  EXPECT_TRUE(screens.isShown(Form::Form1));
}

TEST_F(BackupTest, NewListKeepsWhatWasTyped) {
  SaveSetupBackup(sheet);
  sheet.setEdit(5, "typed");
  StartupChoiceOk(0, sheet, screens);
  EXPECT_EQ(sheet.edit(5), "typed");
  EXPECT_EQ(screens.log, (std::vector<std::string>{"show 1", "close 5"}));
}

}  // namespace
}  // namespace kiroku
