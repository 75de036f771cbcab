#include "files/text_file.h"
#include "files/platform_file.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cctype>
#include <cerrno>
#include <filesystem>
#include <set>

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
#ifdef _WIN32
  const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
  ASSERT_TRUE(::SetFileAttributesW(L"f.txt", kept));
  WriteTwoLines("f.txt");
  EXPECT_EQ(::GetFileAttributesW(L"f.txt"), kept);
#else
  ::chmod("f.txt", 0640);
  WriteTwoLines("f.txt");
  struct stat st {};
  ASSERT_EQ(::stat("f.txt", &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
#endif
  EXPECT_EQ(ReadFileBytes("f.txt"), "\x61\x0d\x0a\x83\x74\x0d\x0a");
}

TEST(TextFileWriter, FailuresGiveTheirCodesAndLeaveTheOldFileUntouched) {
  TempDir dir;
  EXPECT_EQ(testing::IoErrorCode([] { WriteTwoLines("no-such-folder/f.txt"); }), 3);

  WriteFileBytes("ro.txt", "keep");
  testing::MakeReadOnly("ro.txt");
  EXPECT_EQ(testing::IoErrorCode([] { WriteTwoLines("ro.txt"); }), 5);
  EXPECT_EQ(ReadFileBytes("ro.txt"), "keep");

  testing::MakeFolder("folder");
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

#ifdef _WIN32
TEST(TextFileWriter, AFileAnotherProgramHoldsOpenGivesItsCodeAndIsKept) {
  TempDir dir;
  WriteFileBytes("list.xls", "open elsewhere");
  const HANDLE held = ::CreateFileW(L"list.xls", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(testing::IoErrorCode([] { WriteTwoLines("list.xls"); }), 32);  // ERROR_SHARING_VIOLATION
  ::CloseHandle(held);
  EXPECT_EQ(ReadFileBytes("list.xls"), "open elsewhere");
  EXPECT_EQ(ListDirectory(), "list.xls\n");
}
#endif

#ifdef _WIN32
// Whether this system renames an open file over another by its handle with
// POSIX semantics (Windows 10 1607 and later on NTFS; Wine 8 has no such call).
bool RenamesByHandle() {
  const HANDLE h = ::CreateFileW(L"probe.tmp", GENERIC_WRITE | DELETE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  struct {
    DWORD flags;
    HANDLE root;
    DWORD length;
    WCHAR name[16];
  } info{0x1 | 0x2, nullptr, 18, L"probe2.tmp"};
  const bool ok = ::SetFileInformationByHandle(h, static_cast<FILE_INFO_BY_HANDLE_CLASS>(22), &info, sizeof info);
  ::CloseHandle(h);
  ::DeleteFileW(L"probe2.tmp");
  return ok;
}

TEST(TextFileWriter, ReplacesAFileThatAScannerIsReading) {
  TempDir dir;
  if (!RenamesByHandle()) GTEST_SKIP() << "this system cannot replace a file that another program has open";
  WriteFileBytes("list.xls", "old export");
  // As a virus scanner or a sync client opens it: every kind of sharing allowed.
  const HANDLE reader = ::CreateFileW(L"list.xls", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  EXPECT_EQ(testing::IoErrorCode([] { WriteTwoLines("list.xls"); }), 0);
  char got[16] = {};
  DWORD n = 0;
  EXPECT_TRUE(::ReadFile(reader, got, sizeof got, &n, nullptr));  // the reader still has the old bytes
  ::CloseHandle(reader);
  EXPECT_EQ(std::string(got, n), "old export");
  EXPECT_EQ(ReadFileBytes("list.xls"), "\x61\x0d\x0a\x83\x74\x0d\x0a");
  EXPECT_EQ(ListDirectory(), "list.xls\n");
}
#endif

TEST(IoMessages, PlatformErrorsNeverShowAnotherFailuresMessage) {
  using platform::CodeFromPlatformError;
#ifdef _WIN32
  // The platform's own codes are the operator's; only a full disk, or a full
  // quota, has a code of its own.
  EXPECT_EQ(CodeFromPlatformError(ERROR_DISK_FULL), 101);
  EXPECT_EQ(CodeFromPlatformError(ERROR_HANDLE_DISK_FULL), 101);
  EXPECT_EQ(CodeFromPlatformError(1295), 101);  // ERROR_DISK_QUOTA_EXCEEDED
  for (unsigned long err : {2ul, 3ul, 4ul, 5ul, 19ul, 32ul, 33ul, 123ul}) EXPECT_EQ(CodeFromPlatformError(err), int(err));
#else
  EXPECT_EQ(CodeFromPlatformError(ENOSPC), 101);
  EXPECT_EQ(CodeFromPlatformError(EDQUOT), 101);
  EXPECT_EQ(CodeFromPlatformError(EMFILE), 4);
  EXPECT_EQ(CodeFromPlatformError(EACCES), 5);
  EXPECT_EQ(CodeFromPlatformError(ENAMETOOLONG), 3);
  EXPECT_EQ(CodeFromPlatformError(EROFS), 19);  // a write-protected medium, as Windows says it
  // Only the errors that are those failures may take the table's codes.
  const std::set<int> table{2, 3, 4, 5, 100, 101, 106};
  const std::set<int> tabled{ENOENT, ENOTDIR, ENAMETOOLONG, EMFILE, ENFILE, EACCES, EPERM,
                             EISDIR, ETXTBSY, ENOSPC,       EDQUOT, EFBIG};
  for (int err = 1; err < 200; ++err) {
    if (!tabled.count(err)) {
      EXPECT_FALSE(table.count(CodeFromPlatformError(err))) << err;
    }
  }
#endif
}

// While it lives, the next renames into place fail with a platform error.
struct ScopedRenameFaults : testing::ScopedFaults {
  ScopedRenameFaults(int count, unsigned long error) : ScopedFaults(platform::Step::Rename, count, error) {}
};

TEST(TextFileWriter, ARenameThatFailsKeepsTheOldFileAndLeavesNothingBehind) {
  TempDir dir;
  WriteFileBytes("f.txt", "previous");
#ifdef _WIN32
  {
    // A scanner or a sync client holding the old file for a moment.
    ScopedRenameFaults held(3, ERROR_SHARING_VIOLATION);
    WriteTwoLines("f.txt");
    EXPECT_EQ(held.attempts(), 4);
  }
  EXPECT_EQ(ReadFileBytes("f.txt"), "\x61\x0d\x0a\x83\x74\x0d\x0a");
  {
    ScopedRenameFaults held(2, ERROR_ACCESS_DENIED);
    WriteTwoLines("f.txt");
    EXPECT_EQ(held.attempts(), 3);
  }
  WriteFileBytes("f.txt", "previous");
  {
    // Held for longer than the retries last: its own code, after them.
    ScopedRenameFaults held(1000, ERROR_SHARING_VIOLATION);
    EXPECT_EQ(testing::IoErrorCode([] { WriteTwoLines("f.txt"); }), 32);
    EXPECT_GT(held.attempts(), 10);
  }
  {
    // Other failures are not waited out.
    ScopedRenameFaults locked(1000, ERROR_LOCK_VIOLATION);
    EXPECT_EQ(testing::IoErrorCode([] { WriteTwoLines("f.txt"); }), 33);
    EXPECT_EQ(locked.attempts(), 1);
  }
#else
  {
    ScopedRenameFaults held(1, EACCES);
    EXPECT_EQ(testing::IoErrorCode([] { WriteTwoLines("f.txt"); }), 5);
    EXPECT_EQ(held.attempts(), 1);
  }
  {
    // A sync that fails before the rename: the temporary's descriptor is closed all the same.
    const auto nextDescriptor = [] {
      const int fd = ::open("/dev/null", O_RDONLY);
      ::close(fd);
      return fd;
    };
    const int next = nextDescriptor();
    testing::ScopedFaults failing(platform::Step::Sync, 1, EIO);
    EXPECT_EQ(testing::IoErrorCode([] { WriteTwoLines("f.txt"); }), 29);
    EXPECT_EQ(nextDescriptor(), next);
  }
#endif
  EXPECT_EQ(ReadFileBytes("f.txt"), "previous");
  EXPECT_EQ(ListDirectory(), "f.txt\n");
}

TEST(PlatformFile, TellsAFolderThatTakesNoFilesAndLeavesNothingInOneThatDoes) {
  TempDir dir;
  EXPECT_TRUE(platform::CanCreateFilesIn("."));
  EXPECT_EQ(ListDirectory(), "");
  WriteFileBytes("file", "x");
  EXPECT_FALSE(platform::CanCreateFilesIn("file"));
  EXPECT_FALSE(platform::CanCreateFilesIn("missing"));
  EXPECT_EQ(ListDirectory(), "file\n");
#ifdef _WIN32
  // The tests' folders are in the temporary folder, whatever case it is written in.
  EXPECT_TRUE(platform::IsInTemporaryFolder("."));
  std::string upper = dir.path();
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_TRUE(platform::IsInTemporaryFolder(upper));
  // A folder beside it whose name only starts like it is not in it.
  wchar_t temp[MAX_PATH + 1];
  const DWORD n = ::GetTempPathW(MAX_PATH + 1, temp);
  ASSERT_GT(n, 1u);
  std::string sibling;
  for (DWORD i = 0; i + 1 < n; ++i) sibling += static_cast<char>(temp[i]);  // ASCII under the test runner
  EXPECT_FALSE(platform::IsInTemporaryFolder(sibling + "x"));
  EXPECT_FALSE(platform::IsInTemporaryFolder(sibling.substr(0, 3)));  // the drive's root
#else
  EXPECT_FALSE(platform::IsInTemporaryFolder("."));
#endif
}

#ifdef _WIN32
TEST(TextFileWriter, NamesThatWindowsRefusesFailWith3BeforeAnythingIsCreated) {
  TempDir dir;
  for (const std::string name : {
           "12:30list.xls", "a?list.xls", "a*list.xls", "a<list.xls", "a>list.xls", "a|list.xls", "a\"list.xls",
           "a\x01list.xls", "a\tlist.xls", "\x1flist.xls",
           "nul.list.xls", "CON.list.xls", "Com1.list.xls", "prn .list.xls", "LPT9/list.xls", "aux/list.xls",
           "dot./list.xls", "blank /list.xls", "list.xls.", "list.xls ", "C:/x/a:b.xls", "x/C:list.xls"}) {
    EXPECT_EQ(testing::IoErrorCode([&] { WriteTwoLines(name); }), 3) << name;
    EXPECT_EQ(ListDirectory(), "") << name;
  }
  // Names that only look like those are files like any other: ポ ends in "|",
  // 表 in "\\", and only the bare device names are devices.
  testing::MakeFolder("sub");
  for (const std::string name : {"\x83\x7clist.xls", "\x95\x5clist.xls", "nullist.xls", "COM0.list.xls",
                                 "COM10.list.xls", "./sub/../a.xls", "sub\\b.xls", "C.D list.xls"})
    EXPECT_EQ(testing::IoErrorCode([&] { WriteTwoLines(name); }), 0) << name;
  // A drive's colon at the start is no stream.
  WriteTwoLines(dir.path() + "\\abs.xls");
  EXPECT_EQ(ListDirectory(), "C.D list.xls\nCOM0.list.xls\nCOM10.list.xls\na.xls\nabs.xls\nnullist.xls\nsub\n"
                             "\xe3\x83\x9dlist.xls\n\xe8\xa1\xa8list.xls\n");
  EXPECT_EQ(ListDirectory("sub"), "b.xls\n");
}

TEST(TextFileWriter, ALongPathIsTakenFromTheFullPathNotTheGivenName) {
  TempDir dir;
  // A working folder deep enough that a short relative name passes MAX_PATH.
  std::string deep;
  while (dir.path().size() + deep.size() < 200) {
    deep += std::string(20, 'd') + "/";
    testing::MakeFolder(deep);
  }
  std::filesystem::current_path(testing::NativePath(deep));
  const std::string prefix(60, 'p');
  const std::wstring native = platform::ToNativeName(prefix + "list.xls");
  wchar_t cwd[MAX_PATH];
  ASSERT_GT(::GetCurrentDirectoryW(MAX_PATH, cwd), 0u);
  EXPECT_EQ(native, L"\\\\?\\" + std::wstring(cwd) + L"\\" + std::wstring(prefix.begin(), prefix.end()) + L"list.xls");
  EXPECT_EQ(platform::ToNativeName("short.xls"), L"short.xls");
  WriteTwoLines(prefix + "list.xls");
  EXPECT_EQ(ListDirectory(), prefix + "list.xls\n");
  // A share's long form has a form of its own.
  const std::string share = "\\\\server\\share\\" + std::string(250, 's');
  EXPECT_EQ(platform::ToNativeName(share), L"\\\\?\\UNC\\server\\share\\" + std::wstring(250, L's'));
  std::filesystem::current_path(testing::NativePath(dir.path()));
}
#else
TEST(TextFileWriter, NamesThatOnlyWindowsRefusesAreFilesHere) {
  TempDir dir;
  for (const std::string name : {"12:30list.xls", "a?*<>|\"list.xls", "nul.list.xls", "CON", "dot.", "blank "})
    EXPECT_EQ(testing::IoErrorCode([&] { WriteTwoLines(name); }), 0) << name;
  EXPECT_EQ(ListDirectory(), "12:30list.xls\nCON\na?*<>|\"list.xls\nblank \ndot.\nnul.list.xls\n");
}
#endif

TEST(TextFileReader, AReadFaultShowsAnIoErrorOutsideTheTable) {
#ifdef _WIN32
  GTEST_SKIP() << "a read fault needs the POSIX /proc";
#endif
  if (!testing::FileExists("/proc/self/mem")) {
    GTEST_SKIP() << "no /proc";
  }
  // The process's own memory at address 0 is never mapped: reading it fails with EIO.
  TextFileReader r("/proc/self/mem");
  try {
    r.readLine();
    FAIL() << "read did not fail";
  } catch (const IoError& e) {
    EXPECT_EQ(e.code(), 30);  // the platform's read fault
    EXPECT_EQ(e.message(), "\x49\x2f\x4f\x20\x83\x47\x83\x89\x81\x5b\x20\x28\x33\x30\x29");  // I/O エラー (30)
  }
}

// The name as the desktop shows it: the CP932 name's text in UTF-8, also in a folder.
TEST(TextFileWriter, NamesFilesInThePlatformsEncoding) {
  TempDir dir;
  const std::string prefix = "\x83\x74\x83\x40\x83\x43\x83\x8b\x96\xbc";  // ファイル名
  const std::string utf8 = "\xe3\x83\x95\xe3\x82\xa1\xe3\x82\xa4\xe3\x83\xab\xe5\x90\x8d";
  WriteTwoLines(prefix + "list.xls");
  EXPECT_EQ(ListDirectory(), utf8 + "list.xls\n");
  EXPECT_EQ(ReadFileBytes(utf8 + "list.xls"), "\x61\x0d\x0a\x83\x74\x0d\x0a");

  // 表 has a trail byte that is "\\" in ASCII; it is part of the character, not a separator.
  testing::MakeFolder("\xe8\xa1\xa8");
  WriteTwoLines("\x95\x5c/" + prefix + "table.xls");
  EXPECT_EQ(ListDirectory("\xe8\xa1\xa8"), utf8 + "table.xls\n");
  TextFileReader r("\x95\x5c/" + prefix + "table.xls");
  EXPECT_EQ(r.readLine(), "a");

  // A pair that CP932 leaves unassigned is no text: nothing is written.
  EXPECT_EQ(testing::IoErrorCode([] { WriteTwoLines("\x85\x40list.xls"); }), 3);
  EXPECT_EQ(ListDirectory(), utf8 + "list.xls\n\xe8\xa1\xa8\n");
}

TEST(TextFileWriter, ReplacesTheFileALinkPointsToAndKeepsTheLink) {
#ifdef _WIN32
  GTEST_SKIP() << "symbolic links need a privilege that operators' accounts lack";
#else
  TempDir dir;
  ::mkdir("real", 0755);
  WriteFileBytes("real/f.txt", "old");
  ASSERT_EQ(::symlink("real/f.txt", "link.txt"), 0);
  WriteTwoLines("link.txt");
  struct stat st {};
  ASSERT_EQ(::lstat("link.txt", &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(ReadFileBytes("real/f.txt"), "\x61\x0d\x0a\x83\x74\x0d\x0a");
  EXPECT_EQ(ListDirectory("real"), "f.txt\n");
#endif
}

TEST(TextFileWriter, SavesUnderTheLongestNameTheFileSystemTakes) {
  TempDir dir;
  const std::string longest(255, 'n');
  WriteTwoLines(longest);
  EXPECT_EQ(ListDirectory(), longest + "\n");
  EXPECT_EQ(testing::IoErrorCode([&] { WriteTwoLines(longest + "n"); }), 3);
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
  testing::MakeFolder("d");
  EXPECT_EQ(testing::IoErrorCode([] { TextFileReader r("d"); }), 5);
  WriteFileBytes("f.txt", "1\n2\n3\n");
  ScopedIoFaults faults({.lineNumber = 2, .lineCode = 100});
  TextFileReader r("f.txt");
  EXPECT_EQ(r.readLine(), "1");
  EXPECT_EQ(testing::IoErrorCode([&] { r.readLine(); }), 100);
}

}  // namespace
}  // namespace kiroku
