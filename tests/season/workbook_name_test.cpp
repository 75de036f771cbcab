#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "files/platform_file.h"
#include "season/workbook.h"
#include "tests/support/temp_dir.h"

namespace kiroku::season {
namespace {

std::filesystem::path U8(const std::string& utf8) { return std::u8string(utf8.begin(), utf8.end()); }

// The workbook lands under the UTF-8 name it is given, in a Japanese folder,
// and nothing else is left there. MinGW's build of libxlsxwriter, as it comes,
// opens that name in the ANSI code page and does not find it.
TEST(SeasonWorkbook, LandsUnderAJapaneseName) {
  testing::TempDir dir;
  const std::string folder = "\xe3\x82\xb7\xe3\x83\xbc\xe3\x82\xba\xe3\x83\xb3";             // シーズン
  const std::string name = "\xe9\x80\x9a\xe7\xae\x97\xe9\x9b\x86\xe8\xa8\x88_\xe8\xb5\xa4.xlsx";  // 通算集計_赤.xlsx
  std::filesystem::create_directory(U8(folder));
  Game game;
  game.stamp = "2026/12/08 09:05";
  game.teams[0] = "\x90\xd4";  // 赤
  game.teams[1] = "\x90\xc2";  // 青
  game.blocks[0][0].item3 = "k";
  game.blocks[0][0].item2[0] = "x";
  game.blocks[0][0].players[0] = "A";
  game.blocks[0][0].counts[0][0] = 3;
  WriteWorkbook(folder + "/" + name, Season({&game}), game.teams[0]);

  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(U8(folder))) {
    const std::u8string n = entry.path().filename().u8string();
    names.emplace_back(n.begin(), n.end());
  }
  EXPECT_EQ(names, std::vector<std::string>{name});
  std::string bytes;
  ASSERT_TRUE(platform::ReadAll(folder + "/" + name, bytes));
  EXPECT_EQ(bytes.substr(0, 4), std::string("PK\x03\x04", 4));
}

}  // namespace
}  // namespace kiroku::season
