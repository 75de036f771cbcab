// Files through the wide Win32 API. Names are converted from CP932 with the
// system's own code page 932 tables, and the codes are GetLastError()'s, which
// are the operator's codes already.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string_view>
#include <string>

#include "files/cp932_codec.h"
#include "files/platform_file.h"
#include "files/text_file.h"

namespace kiroku::platform {

namespace {

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  const int size = static_cast<int>(utf8.size());
  const int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide.data(), n);
  return wide;
}

std::string Utf8(const wchar_t* wide) {
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return std::string();
  std::string utf8(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), n, nullptr, nullptr);
  utf8.resize(static_cast<std::size_t>(n - 1));
  return utf8;
}

[[noreturn]] void ThrowLastError() { throw IoError(CodeFromPlatformError(::GetLastError())); }

// The folder part of a name, with its separator ("" for the working directory).
std::wstring FolderOf(const std::wstring& name) {
  const auto sep = name.find_last_of(L"\\/:");
  return sep == std::wstring::npos ? std::wstring() : name.substr(0, sep + 1);
}

// Where the bytes really go: for a symbolic link, the file it points to, so
// that the link stays a link. A link that leads nowhere is replaced itself.
std::wstring ResolveTarget(const std::wstring& name, DWORD attributes) {
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return name;
  const HANDLE h = ::CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return name;
  std::wstring path(MAX_PATH, L'\0');
  DWORD n = ::GetFinalPathNameByHandleW(h, path.data(), static_cast<DWORD>(path.size()), FILE_NAME_NORMALIZED);
  if (n >= path.size()) {
    path.resize(n);
    n = ::GetFinalPathNameByHandleW(h, path.data(), static_cast<DWORD>(path.size()), FILE_NAME_NORMALIZED);
  }
  ::CloseHandle(h);
  if (n == 0 || n >= path.size()) return name;
  path.resize(n);
  return path;
}

// Codes that older MinGW headers leave out, with their documented values.
constexpr DWORD kFileSystemLimitation = 665;  // ERROR_FILE_SYSTEM_LIMITATION
constexpr DWORD kDiskQuotaExceeded = 1295;    // ERROR_DISK_QUOTA_EXCEEDED

// The longest name one folder entry may have on Windows' file systems.
constexpr std::size_t kMaxComponent = 255;

// The full path of a name, as the system resolves it against the working
// folder; the name itself when it cannot be resolved.
std::wstring FullPathOf(const std::wstring& name) {
  const DWORD n = ::GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
  if (n == 0) return name;
  std::wstring full(n, L'\0');
  const DWORD got = ::GetFullPathNameW(name.c_str(), n, full.data(), nullptr);
  if (got == 0 || got >= n) return name;
  full.resize(got);
  return full;
}

// Past MAX_PATH the plain API fails; the same path in its long form does not.
// What counts is the full path, so a relative name in a deep folder is
// long as well.
std::wstring LongForm(const std::wstring& name) {
  if (name.rfind(L"\\\\?\\", 0) == 0) return name;
  const std::wstring full = FullPathOf(name);
  if (full.size() + 14 < MAX_PATH) return name;  // room for the temporary's name
  if (full.rfind(L"\\\\", 0) == 0) {
    if (full.rfind(L"\\\\?\\", 0) == 0 || full.rfind(L"\\\\.\\", 0) == 0) return full;
    return L"\\\\?\\UNC\\" + full.substr(2);
  }
  return L"\\\\?\\" + full;
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Device names that open the device, not a file, in any folder and with any
// extension ("nul.txt" too).
bool IsDeviceName(std::wstring_view part) {
  part = part.substr(0, part.find(L'.'));
  while (!part.empty() && part.back() == L' ') part.remove_suffix(1);
  auto upper = [](wchar_t c) { return c >= L'a' && c <= L'z' ? wchar_t(c - L'a' + L'A') : c; };
  std::wstring u;
  for (wchar_t c : part) u += upper(c);
  if (u == L"CON" || u == L"PRN" || u == L"AUX" || u == L"NUL") return true;
  return u.size() == 4 && (u.compare(0, 3, L"COM") == 0 || u.compare(0, 3, L"LPT") == 0) && u[3] >= L'1' &&
         u[3] <= L'9';
}

// A name that Windows' file systems would refuse, or take for something else
// (a stream, a device, a shorter name), after the fact. Checked on the UTF-16
// name, where a CP932 trail byte can no longer pass for a separator.
bool IsRefusedName(const std::wstring& name) {
  std::size_t start = 0;
  // "C:" opens a path on a drive; anywhere else a colon names a stream.
  if (name.size() >= 2 && name[1] == L':' &&
      ((name[0] >= L'A' && name[0] <= L'Z') || (name[0] >= L'a' && name[0] <= L'z')))
    start = 2;
  for (;;) {
    std::size_t end = start;
    while (end < name.size() && !IsSeparator(name[end])) ++end;
    const std::wstring_view part(name.data() + start, end - start);
    if (part.size() > kMaxComponent) return true;
    if (!part.empty() && part != L"." && part != L"..") {
      for (wchar_t c : part)
        if (c < 0x20 || std::wcschr(L"<>:\"|?*", c)) return true;
      if (part.back() == L'.' || part.back() == L' ' || IsDeviceName(part)) return true;
    }
    if (end == name.size()) return false;
    start = end + 1;
  }
}

// The layout of FILE_RENAME_INFO when its first member holds flags; older
// MinGW headers know only the plain form.
struct RenameInfoEx {
  DWORD Flags;
  HANDLE RootDirectory;
  DWORD FileNameLength;
  WCHAR FileName[1];
};
constexpr auto kFileRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
constexpr DWORD kRenameReplaceIfExists = 0x1, kRenamePosixSemantics = 0x2;

// Puts the open file in the target's place, even while another program reads
// the old one (a scanner, the indexer, a sync client): POSIX semantics let a
// file that is held open with delete sharing be replaced. Returns the error,
// ERROR_NOT_SUPPORTED where the system or file system has no such rename.
DWORD RenameByHandle(HANDLE h, const std::wstring& target) {
  const std::size_t bytes = target.size() * sizeof(wchar_t);
  std::wstring buffer((sizeof(RenameInfoEx) + bytes) / sizeof(wchar_t) + 1, L'\0');
  auto* info = reinterpret_cast<RenameInfoEx*>(buffer.data());
  info->Flags = kRenameReplaceIfExists | kRenamePosixSemantics;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(bytes);
  std::memcpy(info->FileName, target.data(), bytes);
  if (::SetFileInformationByHandle(h, kFileRenameInfoEx, info, static_cast<DWORD>(buffer.size() * sizeof(wchar_t))))
    return ERROR_SUCCESS;
  const DWORD err = ::GetLastError();
  switch (err) {
    case ERROR_INVALID_PARAMETER:    // an information class older systems do not know
    case ERROR_INVALID_FUNCTION:     // a file system without it (FAT, exFAT, some shares)
    case ERROR_NOT_SUPPORTED:
    case ERROR_CALL_NOT_IMPLEMENTED:
    case kFileSystemLimitation: return ERROR_NOT_SUPPORTED;
    default: return err;
  }
}

// Another program's brief hold on a file (5 or 32) usually ends within a
// second: the work is tried again for about that long before its failure counts.
template <class Attempt>
DWORD Retrying(Attempt&& attempt) {
  DWORD err = ERROR_SUCCESS;
  for (int round = 0; round < 20; ++round) {
    if (round > 0) ::Sleep(50);
    err = attempt();
    if (err != ERROR_ACCESS_DENIED && err != ERROR_SHARING_VIOLATION) break;
  }
  return err;
}

// True, with the error in GetLastError(), when a test makes this attempt at a step fail.
bool Fails(Step step) {
  unsigned long injected = 0;
  if (!Injected(step, injected)) return false;
  ::SetLastError(static_cast<DWORD>(injected));
  return true;
}

// One try at the rename, or the failure a test asked for.
template <class Rename>
DWORD RenameOnce(Rename&& rename) {
  return Fails(Step::Rename) ? ::GetLastError() : rename();
}

// Some of the bytes: how many, or -1 with the error in GetLastError().
long WriteSome(HANDLE h, const char* data, std::size_t size) {
  const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
  DWORD written = 0;
  return ::WriteFile(h, data, chunk, &written, nullptr) ? static_cast<long>(written) : -1;
}

bool WriteAll(HANDLE h, const char* data, std::size_t size) {
  while (size > 0) {
    const long n = WriteSome(h, data, size);
    if (n < 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// The file's bytes on the disk; false with the error in GetLastError().
bool Sync(HANDLE h) { return !Fails(Step::Sync) && ::FlushFileBuffers(h) != 0; }

// A new file of a short 8.3 name of its own in a folder ("" for the working
// one, else ending in its separator), so that it fits wherever the folder is.
HANDLE CreateTemporary(const std::wstring& folder, const wchar_t* prefix, DWORD access, DWORD share, DWORD flags,
                       std::wstring& name) {
  static std::uint32_t counter = ::GetCurrentProcessId() * 2654435761u;
  for (int attempt = 0; attempt <= 64; ++attempt) {
    wchar_t base[16];
    std::swprintf(base, 16, L"%ls%05x.tmp", prefix, static_cast<unsigned>(++counter & 0xfffff));
    name = folder + base;
    const HANDLE h = ::CreateFileW(name.c_str(), access, share, nullptr, CREATE_NEW, flags, nullptr);
    if (h != INVALID_HANDLE_VALUE) return h;
    const DWORD err = ::GetLastError();
    if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS) break;
  }
  name.clear();
  return INVALID_HANDLE_VALUE;
}

// Opens a file to read it, while others read, write or rename it.
HANDLE OpenForReading(const std::wstring& name, DWORD flags) {
  return ::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, flags, nullptr);
}

}  // namespace

NativeName ToNativeName(const Text& cp932Name) {
  if (cp932Name.empty()) throw IoError(3);
  bool ok = true;
  const std::u16string name = codec::Decode(cp932Name, &ok);
  if (!ok) throw IoError(3);
  const NativeName wide(name.begin(), name.end());
  // A NUL would cut the name short, a colon make it a stream, a trailing dot
  // vanish, and too long a name is "not found" on some file systems only when
  // the finished file is renamed: the operator is told it is a bad name, at
  // once, before anything is created.
  if (IsRefusedName(wide)) throw IoError(3);
  return LongForm(wide);
}

int CodeFromPlatformError(unsigned long err) {
  switch (err) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case kDiskQuotaExceeded: return 101;
    default: return static_cast<int>(err);
  }
}

bool Exists(const Text& cp932Name) {
  return ::GetFileAttributesW(ToNativeName(cp932Name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CanCreateFilesIn(const Text& cp932Folder) {
  std::wstring folder = ToNativeName(cp932Folder);
  if (!IsSeparator(folder.back())) folder += L'\\';
  std::wstring name;
  // Deleted by the system as the handle closes, however the program ends.
  const HANDLE h = CreateTemporary(folder, L"~kw", GENERIC_WRITE, 0,
                                   FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, name);
  if (h == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(h);
  return true;
}

namespace {
// A path as it can be compared: full, with long names for 8.3 ones (the
// temporary folder often comes as "C:\Users\RUNNER~1\..."), one separator
// at its end.
std::wstring ComparablePath(const std::wstring& name) {
  std::wstring full = FullPathOf(name);
  const DWORD n = ::GetLongPathNameW(full.c_str(), nullptr, 0);
  if (n > 0) {
    std::wstring longName(n, L'\0');
    const DWORD got = ::GetLongPathNameW(full.c_str(), longName.data(), n);
    if (got > 0 && got < n) {
      longName.resize(got);
      full = longName;
    }
  }
  if (full.empty() || !IsSeparator(full.back())) full += L'\\';
  for (auto& c : full)
    if (c == L'/') c = L'\\';
  return full;
}
}  // namespace

bool IsInTemporaryFolder(const Text& cp932Folder) {
  wchar_t temp[MAX_PATH + 1];
  const DWORD n = ::GetTempPathW(MAX_PATH + 1, temp);
  if (n == 0 || n > MAX_PATH) return false;
  const std::wstring tempPath = ComparablePath(std::wstring(temp, n));
  const std::wstring folder = ComparablePath(ToNativeName(cp932Folder));
  if (folder.size() < tempPath.size()) return false;
  // Names on Windows are the same in either case.
  return ::CompareStringOrdinal(folder.data(), static_cast<int>(tempPath.size()), tempPath.data(),
                                static_cast<int>(tempPath.size()), TRUE) == CSTR_EQUAL;
}

// ---------------------------------------------------------------- writing

struct ReplacingFile::State {
  std::wstring target, temp;
  HANDLE handle = INVALID_HANDLE_VALUE;
  DWORD keepAttributes = 0;  // of the file being replaced
};

ReplacingFile::ReplacingFile(const Text& cp932Name) : s_(std::make_unique<State>()) { open(ToNativeName(cp932Name)); }

ReplacingFile::ReplacingFile(Utf8Path path) : s_(std::make_unique<State>()) {
  const std::wstring wide = Wide(path.path);
  if (wide.empty()) throw IoError(3);
  open(LongForm(wide));
}

void ReplacingFile::open(const NativeName& name) {
  WIN32_FILE_ATTRIBUTE_DATA old{};
  const bool exists = ::GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &old) != 0;
  const DWORD attributes = exists ? old.dwFileAttributes : INVALID_FILE_ATTRIBUTES;
  s_->target = ResolveTarget(name, attributes);
  if (s_->target != name && !::GetFileAttributesExW(s_->target.c_str(), GetFileExInfoStandard, &old))
    ThrowLastError();
  if (exists) {
    // A folder of that name, or a read-only file: refused as a plain open would be.
    if (old.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) throw IoError(5);
    s_->keepAttributes = old.dwFileAttributes & (FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                                                 FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    // A file that another program holds open without write sharing (a
    // spreadsheet showing the last export) is reported with the platform's
    // code before anything is written, once a brief hold would have ended.
    const DWORD err = Retrying([&]() -> DWORD {
      const HANDLE probe = ::CreateFileW(s_->target.c_str(), GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (probe == INVALID_HANDLE_VALUE) return ::GetLastError();
      ::CloseHandle(probe);
      return ERROR_SUCCESS;
    });
    if (err != ERROR_SUCCESS) throw IoError(CodeFromPlatformError(err));
  }
  // DELETE, so that the open file itself can be renamed into place.
  s_->handle =
      CreateTemporary(FolderOf(s_->target), L"~kr", GENERIC_WRITE | DELETE, 0, FILE_ATTRIBUTE_NORMAL, s_->temp);
  if (s_->handle == INVALID_HANDLE_VALUE) ThrowLastError();
  if (exists) ::SetFileTime(s_->handle, &old.ftCreationTime, nullptr, nullptr);
}

ReplacingFile::~ReplacingFile() { discard(); }

void ReplacingFile::discard() {
  if (s_->handle != INVALID_HANDLE_VALUE) ::CloseHandle(s_->handle);
  s_->handle = INVALID_HANDLE_VALUE;
  if (!s_->temp.empty()) ::DeleteFileW(s_->temp.c_str());
  s_->temp.clear();
}

void ReplacingFile::write(const char* data, std::size_t size) {
  if (s_->handle == INVALID_HANDLE_VALUE) throw IoError(103);
  if (!WriteAll(s_->handle, data, size)) {
    const DWORD err = ::GetLastError();
    discard();
    throw IoError(CodeFromPlatformError(err));
  }
}

void ReplacingFile::commit() {
  if (s_->handle == INVALID_HANDLE_VALUE) throw IoError(103);  // already failed or committed
  // On disk before it replaces anything: a power cut must not cost the old file.
  if (!Sync(s_->handle)) {
    const DWORD err = ::GetLastError();
    discard();
    throw IoError(CodeFromPlatformError(err));
  }
  if (s_->keepAttributes) {
    FILE_BASIC_INFO basic{};  // times of 0 stay as they are
    basic.FileAttributes = s_->keepAttributes;
    ::SetFileInformationByHandle(s_->handle, FileBasicInfo, &basic, sizeof basic);
  }
  bool byHandle = true;
  DWORD err = Retrying([&] {
    return RenameOnce([&]() -> DWORD {
      if (byHandle) {
        const DWORD e = RenameByHandle(s_->handle, s_->target);
        if (e != ERROR_NOT_SUPPORTED) return e;
        byHandle = false;
      }
      // Without a rename by handle the file is closed and renamed by name.
      if (s_->handle != INVALID_HANDLE_VALUE) {
        const BOOL closed = ::CloseHandle(s_->handle);
        s_->handle = INVALID_HANDLE_VALUE;
        if (!closed) return ::GetLastError();
      }
      if (!::MoveFileExW(s_->temp.c_str(), s_->target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return ::GetLastError();
      return ERROR_SUCCESS;
    });
  });
  if (err != ERROR_SUCCESS) {
    discard();
    throw IoError(CodeFromPlatformError(err));
  }
  s_->temp.clear();  // it is the target now
  if (s_->handle != INVALID_HANDLE_VALUE) {
    const BOOL closed = ::CloseHandle(s_->handle);
    err = ::GetLastError();
    s_->handle = INVALID_HANDLE_VALUE;
    // The new bytes are on disk and in place; a failing close is still said.
    if (!closed) throw IoError(CodeFromPlatformError(err));
  }
}

// ---------------------------------------------------------------- reading

struct ReadingFile::State {
  HANDLE handle = INVALID_HANDLE_VALUE;
};

ReadingFile::ReadingFile(const Text& cp932Name) : s_(std::make_unique<State>()) {
  const std::wstring name = ToNativeName(cp932Name);
  // A folder fails here with 5, as the operator's platform reports it.
  s_->handle = OpenForReading(name, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN);
  if (s_->handle == INVALID_HANDLE_VALUE) ThrowLastError();
}

ReadingFile::~ReadingFile() {
  if (s_->handle != INVALID_HANDLE_VALUE) ::CloseHandle(s_->handle);
}

std::size_t ReadingFile::read(char* buffer, std::size_t size) {
  if (s_->handle == INVALID_HANDLE_VALUE) throw IoError(103);
  const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
  DWORD got = 0;
  if (!::ReadFile(s_->handle, buffer, chunk, &got, nullptr)) ThrowLastError();
  return got;
}

void ReadingFile::close() {
  if (s_->handle == INVALID_HANDLE_VALUE) return;
  const HANDLE h = s_->handle;
  s_->handle = INVALID_HANDLE_VALUE;
  if (!::CloseHandle(h)) ThrowLastError();
}

// ---------------------------------------------------------------- the program's own files

namespace {

class Win32AppendFile : public AppendFile {
 public:
  explicit Win32AppendFile(HANDLE h) : h_(h) {}
  ~Win32AppendFile() override { ::CloseHandle(h_); }
  long write(const char* data, std::size_t size) override { return WriteSome(h_, data, size); }
  bool sync() override { return Sync(h_); }

 private:
  HANDLE h_;
};

// Seconds since 1970 for a FILETIME (100 ns steps since 1601).
std::int64_t UnixSeconds(const FILETIME& t) {
  const std::int64_t ticks = (static_cast<std::int64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  return (ticks - 116444736000000000LL) / 10000000LL;
}

// The run's lock is one byte far beyond any journal's end: Windows locks are
// mandatory, and one over the file's bytes would keep others from reading them.
constexpr DWORD kLockOffsetHigh = 0x7FFFFFFF;

OVERLAPPED LockPlace() {
  OVERLAPPED at{};
  at.OffsetHigh = kLockOffsetHigh;
  return at;
}

bool TryLock(HANDLE h) {
  OVERLAPPED at = LockPlace();
  return ::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != 0;
}

bool Lock(HANDLE h) { return !Fails(Step::Lock) && TryLock(h); }

// How one way of making a new locked file under a name ended.
enum class Made { File, Taken, Unlocked, Failed };

bool IsTaken(DWORD err) { return err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS; }

// Readable by others only as far as the user's own data folder allows: it
// holds the names of players. Delete sharing lets the open file be renamed;
// no other kiroku removes it while its lock is held.
constexpr DWORD kAccess = FILE_APPEND_DATA | GENERIC_READ, kSharing = FILE_SHARE_READ | FILE_SHARE_DELETE;

// Under a name that is no run's, locked while it has it (a run's tidy-up
// removes only an unlocked one), then renamed in one step that fails if the
// name is taken.
Made MakeHidden(const std::wstring& target, HANDLE& file) {
  std::wstring temp;
  const HANDLE h = Fails(Step::Temporary)
                       ? INVALID_HANDLE_VALUE
                       : CreateTemporary(FolderOf(target), L"~kj", kAccess, kSharing, FILE_ATTRIBUTE_NORMAL, temp);
  if (h == INVALID_HANDLE_VALUE) return Made::Failed;
  CreateStep();
  Made made = Made::Unlocked;
  if (Lock(h)) {
    CreateStep();
    // Without MOVEFILE_REPLACE_EXISTING: fails if another file has the name.
    if (!Fails(Step::Link) && ::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
      file = h;
      CreateStep();
      return Made::File;
    }
    made = IsTaken(::GetLastError()) ? Made::Taken : Made::Failed;
  }
  ::CloseHandle(h);
  ::DeleteFileW(temp.c_str());
  return made;
}

// Under its own name, then locked, where the file system renames no open
// file. Another run may see it unlocked meanwhile, but empty, which it takes
// for nothing to offer and removes only once it is old.
Made MakeUnderItsName(const std::wstring& target, HANDLE& file) {
  const HANDLE h = ::CreateFileW(target.c_str(), kAccess, kSharing, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return IsTaken(::GetLastError()) ? Made::Taken : Made::Failed;
  CreateStep();
  if (!Lock(h)) {
    ::CloseHandle(h);
    ::DeleteFileW(target.c_str());  // made by this run alone: CREATE_NEW
    return Made::Unlocked;
  }
  file = h;
  CreateStep();
  return Made::File;
}

}  // namespace

std::unique_ptr<AppendFile> CreateNew(const std::string& path, bool& exists) {
  exists = false;
  const std::wstring target = Wide(path);
  if (target.empty()) return nullptr;
  // Made and locked before another run can see it under its name, where the
  // file system allows; else under the name, then locked.
  HANDLE h = INVALID_HANDLE_VALUE;
  Made made = MakeHidden(target, h);
  if (made == Made::Failed) made = MakeUnderItsName(target, h);
  if (made != Made::File) {
    exists = made == Made::Taken;
    return nullptr;
  }
  return std::make_unique<Win32AppendFile>(h);
}

namespace {
class Win32HeldFile : public HeldFile {
 public:
  explicit Win32HeldFile(HANDLE h) : h_(h) {}
  ~Win32HeldFile() override {
    OVERLAPPED at = LockPlace();
    ::UnlockFileEx(h_, 0, 1, 0, &at);  // at once: a closed handle's locks may linger a while
    ::CloseHandle(h_);
  }

 private:
  HANDLE h_;
};
}  // namespace

std::unique_ptr<HeldFile> Hold(const std::string& path) {
  const HANDLE h = OpenForReading(Wide(path), FILE_ATTRIBUTE_NORMAL);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  if (!TryLock(h)) {
    ::CloseHandle(h);
    return nullptr;
  }
  return std::make_unique<Win32HeldFile>(h);
}

// A shared lock, which a handle opened only to read takes, is refused while
// the run holds its own. A question that gets no answer counts as held: such
// a file is neither removed nor offered.
bool HeldOpen(const std::string& path) {
  const HANDLE h = OpenForReading(Wide(path), FILE_ATTRIBUTE_NORMAL);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD err = ::GetLastError();
    return err != ERROR_FILE_NOT_FOUND && err != ERROR_PATH_NOT_FOUND;
  }
  OVERLAPPED at = LockPlace();
  const bool held = Fails(Step::Probe) || !::LockFileEx(h, LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at);
  if (!held) {  // unlocked at once: a closed handle's locks may linger a while
    at = LockPlace();
    ::UnlockFileEx(h, 0, 1, 0, &at);
  }
  ::CloseHandle(h);
  return held;
}

bool IsLeftover(const std::string& name) {
  // "~kj", CreateTemporary's five hexadecimal digits, ".tmp"
  if (name.size() != 12 || !name.starts_with("~kj") || !name.ends_with(".tmp")) return false;
  return std::all_of(name.begin() + 3, name.begin() + 8,
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

bool MakeFolders(const std::string& path) {
  const std::wstring wide = Wide(path);
  if (wide.empty()) return false;
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  const auto sep = path.find_last_of("\\/");
  // Stop at a drive ("C:") or the root; those are never made.
  if (sep != std::string::npos && sep > 0 && path[sep - 1] != ':' && !MakeFolders(path.substr(0, sep))) return false;
  // NTFS makes a new folder durable by itself: there is no handle to flush.
  return ::CreateDirectoryW(wide.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

std::vector<Entry> ListFiles(const std::string& folder) {
  std::vector<Entry> entries;
  WIN32_FIND_DATAW found{};
  const HANDLE h = ::FindFirstFileW((Wide(folder) + L"\\*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return entries;
  do {
    if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
    const std::int64_t size = (static_cast<std::int64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    entries.push_back({Utf8(found.cFileName), UnixSeconds(found.ftLastWriteTime), size});
  } while (::FindNextFileW(h, &found));
  ::FindClose(h);
  return entries;
}

bool Remove(const std::string& path) { return ::DeleteFileW(Wide(path).c_str()) != 0; }

bool ReadAll(const std::string& path, std::string& bytes) {
  return ReadRange(path, 0, static_cast<std::size_t>(-1), bytes);
}

bool ReadRange(const std::string& path, std::int64_t offset, std::size_t size, std::string& bytes) {
  const HANDLE h = OpenForReading(Wide(path), FILE_ATTRIBUTE_NORMAL);
  if (h == INVALID_HANDLE_VALUE) return false;
  bytes.clear();
  LARGE_INTEGER at{};
  at.QuadPart = offset;
  bool ok = offset <= 0 || ::SetFilePointerEx(h, at, nullptr, FILE_BEGIN);
  char buf[1 << 16];
  while (ok && bytes.size() < size) {
    const DWORD want = size - bytes.size() < sizeof buf ? static_cast<DWORD>(size - bytes.size()) : sizeof buf;
    DWORD got = 0;
    ok = ::ReadFile(h, buf, want, &got, nullptr);
    if (got == 0) break;
    bytes.append(buf, got);
  }
  ::CloseHandle(h);
  return ok;
}

std::string LocalStamp() {
  SYSTEMTIME t{};
  ::GetLocalTime(&t);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04u%02u%02u-%02u%02u%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                t.wSecond);
  return buf;
}

long ProcessId() { return static_cast<long>(::GetCurrentProcessId()); }

// ---------------------------------------------------------------- folders of the operator's files

int ListFolder(const std::string& folder, std::vector<Entry>& entries) {
  entries.clear();
  std::wstring pattern = Wide(folder);
  if (pattern.empty()) return 3;
  // One separator before the pattern: the long form takes no doubled ones.
  while (!pattern.empty() && IsSeparator(pattern.back())) pattern.pop_back();
  pattern += L"\\*";
  WIN32_FIND_DATAW found{};
  const HANDLE h = ::FindFirstFileW(LongForm(pattern).c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD err = ::GetLastError();
    return err == ERROR_FILE_NOT_FOUND ? 0 : CodeFromPlatformError(err);  // a drive's empty root
  }
  do {
    if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
    const std::int64_t size = (static_cast<std::int64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    entries.push_back({Utf8(found.cFileName), UnixSeconds(found.ftLastWriteTime), size});
  } while (::FindNextFileW(h, &found));
  const DWORD err = ::GetLastError();
  ::FindClose(h);
  return err == ERROR_NO_MORE_FILES ? 0 : CodeFromPlatformError(err);
}

int ReadHead(const std::string& path, std::size_t limit, std::string& bytes) {
  bytes.clear();
  const std::wstring wide = Wide(path);
  if (wide.empty()) return 3;
  // Excel holds the file it shows without read sharing: that is its code, 32.
  const HANDLE h = OpenForReading(LongForm(wide), FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN);
  if (h == INVALID_HANDLE_VALUE) return CodeFromPlatformError(::GetLastError());
  char buf[1 << 16];
  DWORD err = ERROR_SUCCESS;
  while (bytes.size() < limit) {
    const std::size_t want = limit - bytes.size() < sizeof buf ? limit - bytes.size() : sizeof buf;
    DWORD n = 0;
    if (!::ReadFile(h, buf, static_cast<DWORD>(want), &n, nullptr)) {
      err = ::GetLastError();
      break;
    }
    if (n == 0) break;
    bytes.append(buf, n);
  }
  ::CloseHandle(h);
  return err == ERROR_SUCCESS ? 0 : CodeFromPlatformError(err);
}

std::string ListedName(const Text& cp932Name) {
  const std::wstring native = ToNativeName(cp932Name);
  // A long working folder makes the name a full path: only its last part is listed.
  return Utf8(native.c_str() + (native.find_last_of(L"\\/") + 1));
}

std::string LocalMinute(std::int64_t seconds) {
  const std::int64_t ticks = seconds * 10000000LL + 116444736000000000LL;
  FILETIME ft{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME utc{}, local{};
  if (!::FileTimeToSystemTime(&ft, &utc) || !::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) local = utc;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04u/%02u/%02u %02u:%02u", local.wYear, local.wMonth, local.wDay, local.wHour,
                local.wMinute);
  return buf;
}

std::string NewTemporaryBeside(const std::string& utf8Path) {
  const std::wstring wide = Wide(utf8Path);
  if (wide.empty()) throw IoError(3);
  std::wstring name;
  const HANDLE h = CreateTemporary(FolderOf(wide), L"~kx", GENERIC_WRITE, 0, FILE_ATTRIBUTE_NORMAL, name);
  if (h == INVALID_HANDLE_VALUE) ThrowLastError();
  ::CloseHandle(h);
  return Utf8(name.c_str());
}

}  // namespace kiroku::platform
