#include "core/text_file.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace kiroku {
namespace {

using testing::ListDirectory;
using testing::ReadFileBytes;
using testing::ScopedIoFaults;
using testing::TempDir;
using testing::WriteFileBytes;


void WriteTwoLines(const std::string& path) {
  TextFileWriter w(path);
  w.writeLine("a");
  w.writeLine("\x83\x74");
  w.commit();
}

TEST(IoMessages, CarryThePeriodExceptAfterAClosingParenthesis) {
  // ファイルが見つかりません.
  EXPECT_EQ(IoMessage(2),
            "\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x8c\xa9\x82\xc2\x82\xa9\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x2e");
  // ファイルへのアクセスが拒否されました.
  EXPECT_EQ(IoMessage(5), "\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xd6\x82\xcc\x83\x41\x83\x4e\x83\x5a\x83\x58\x82\xaa"
                          "\x8b\x91\x94\xdb\x82\xb3\x82\xea\x82\xdc\x82\xb5\x82\xbd\x2e");
  // ディスクがいっぱいです.
  EXPECT_EQ(IoMessage(101), "\x83\x66\x83\x42\x83\x58\x83\x4e\x82\xaa\x82\xa2\x82\xc1\x82\xcf\x82\xa2\x82\xc5\x82\xb7\x2e");
  // I/O エラー (32), no period
  EXPECT_EQ(IoMessage(32), "\x49\x2f\x4f\x20\x83\x47\x83\x89\x81\x5b\x20\x28\x33\x32\x29");
  for (int code : {3, 4, 100, 106}) EXPECT_EQ(IoMessage(code).back(), '.') << code;
}

TEST(TextFileWriter, WritesLinesWithCrLfAndReplacesTheWholeFile) {
  TempDir dir;
  WriteFileBytes("f.txt", std::string(1000, 'x'));
  WriteTwoLines("f.txt");
  EXPECT_EQ(ReadFileBytes("f.txt"), "\x61\x0d\x0a\x83\x74\x0d\x0a");
  EXPECT_EQ(ListDirectory(), "f.txt\n");  // no temporary file left behind
}

TEST(TextFileWriter, KeepsTheModeOfTheFileItReplaces) {
  TempDir dir;
  WriteFileBytes("f.txt", "old");
  ::chmod("f.txt", 0640);
  WriteTwoLines("f.txt");
  struct stat st {};
  ASSERT_EQ(::stat("f.txt", &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(TextFileWriter, FailuresGiveTheirCodesAndLeaveTheOldFileUntouched) {
  TempDir dir;
  EXPECT_EQ(testing::IoErrorCode([] { WriteTwoLines("no-such-folder/f.txt"); }), 3);

  WriteFileBytes("ro.txt", "keep");
  ::chmod("ro.txt", 0444);
  EXPECT_EQ(testing::IoErrorCode([] { WriteTwoLines("ro.txt"); }), 5);
  EXPECT_EQ(ReadFileBytes("ro.txt"), "keep");

  ::mkdir("folder", 0755);
  EXPECT_EQ(testing::IoErrorCode([] { WriteTwoLines("folder"); }), 5);

  WriteFileBytes("f.txt", "previous");
  {
    ScopedIoFaults faults({.pathSuffix = "f.txt", .lineNumber = 2, .lineCode = 101});
    EXPECT_EQ(testing::IoErrorCode([] { WriteTwoLines("f.txt"); }), 101);
  }
  {
    ScopedIoFaults faults({.closeCode = 29});
    EXPECT_EQ(testing::IoErrorCode([] { WriteTwoLines("f.txt"); }), 29);
  }
  {
    ScopedIoFaults faults({.openCode = 4});
    EXPECT_EQ(testing::IoErrorCode([] { WriteTwoLines("f.txt"); }), 4);
  }
  EXPECT_EQ(ReadFileBytes("f.txt"), "previous");
  EXPECT_EQ(ListDirectory(), "f.txt\nfolder\nro.txt\n");
}

TEST(IoMessages, PlatformErrorsMapToTheOperatorsCodes) {
  EXPECT_EQ(IoCodeFromErrno(ENOSPC), 101);
  EXPECT_EQ(IoCodeFromErrno(EMFILE), 4);
  EXPECT_EQ(IoCodeFromErrno(EACCES), 5);
  EXPECT_EQ(IoCodeFromErrno(EIO), EIO);
}

TEST(TextFileReader, SplitsAtLfDropsTheCrBeforeItAndReadsEmptyPastTheEnd) {
  TempDir dir;
  WriteFileBytes("r.txt", std::string("one\r\ntwo\nthree\rstill\n\r\nlast", 27));
  TextFileReader r("r.txt");
  EXPECT_EQ(r.readLine(), "one");
  EXPECT_EQ(r.readLine(), "two");
  EXPECT_EQ(r.readLine(), "three\rstill");  // a lone CR is text
  EXPECT_EQ(r.readLine(), "");
  EXPECT_EQ(r.readLine(), "last");  // no final line end
  EXPECT_EQ(r.readLine(), "");
  EXPECT_EQ(r.readLine(), "");
  r.close();
}

TEST(TextFileReader, KeepsNulBytesAndLongLines) {
  TempDir dir;
  const std::string big(3 << 20, '\xb1');  // 3 MiB of half-width katakana
  WriteFileBytes("r.txt", std::string("a\0b\n", 4) + big + "\r\nz");
  TextFileReader r("r.txt");
  EXPECT_EQ(r.readLine(), std::string("a\0b", 3));
  EXPECT_EQ(r.readLine(), big);
  EXPECT_EQ(r.readLine(), "z");
}

TEST(TextFileReader, OpenFailures) {
  TempDir dir;
  EXPECT_EQ(testing::IoErrorCode([] { TextFileReader r("missing.txt"); }), 2);
  EXPECT_EQ(testing::IoErrorCode([] { TextFileReader r("missing/f.txt"); }), 3);
  ::mkdir("d", 0755);
  EXPECT_EQ(testing::IoErrorCode([] { TextFileReader r("d"); }), 5);
  WriteFileBytes("f.txt", "1\n2\n3\n");
  ScopedIoFaults faults({.lineNumber = 2, .lineCode = 100});
  TextFileReader r("f.txt");
  EXPECT_EQ(r.readLine(), "1");
  EXPECT_EQ(testing::IoErrorCode([&] { r.readLine(); }), 100);
}

}  // namespace
}  // namespace kiroku
