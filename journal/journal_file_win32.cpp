// The journal's files through the wide Win32 API; paths arrive in UTF-8.
#include <windows.h>

#include <cstdio>

#include "journal/journal_file.h"

namespace kiroku::journal_file {

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

class Win32AppendFile : public AppendFile {
 public:
  explicit Win32AppendFile(HANDLE h) : h_(h) {}
  ~Win32AppendFile() override { ::CloseHandle(h_); }
  long write(const char* data, std::size_t size) override {
    const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    DWORD written = 0;
    return ::WriteFile(h_, data, chunk, &written, nullptr) ? static_cast<long>(written) : -1;
  }
  bool sync() override { return ::FlushFileBuffers(h_) != 0; }

 private:
  HANDLE h_;
};

// Seconds since 1970 for a FILETIME (100 ns steps since 1601).
std::int64_t UnixSeconds(const FILETIME& t) {
  const std::int64_t ticks = (static_cast<std::int64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  return (ticks - 116444736000000000LL) / 10000000LL;
}

}  // namespace

// The run's lock is one byte far beyond any journal's end: Windows locks are
// mandatory, and one over the file's bytes would keep others from reading them.
constexpr DWORD kLockOffsetHigh = 0x7FFFFFFF;

bool LockRun(HANDLE h, DWORD flags) {
  OVERLAPPED at{};
  at.OffsetHigh = kLockOffsetHigh;
  return ::LockFileEx(h, flags, 0, 1, 0, &at) != 0;
}

std::unique_ptr<AppendFile> CreateNew(const std::string& path, bool& exists) {
  exists = false;
  // Readable by others only as far as the user's own data folder allows:
  // it holds the names of players.
  const HANDLE h = ::CreateFileW(Wide(path).c_str(), FILE_APPEND_DATA | GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD err = ::GetLastError();
    exists = err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS;
    return nullptr;
  }
  LockRun(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY);  // the handle is new: nobody holds it
  return std::make_unique<Win32AppendFile>(h);
}

bool HeldOpen(const std::string& path) {
  const HANDLE h = ::CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_SHARING_VIOLATION;
  const bool held = !LockRun(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY);
  if (!held) {
    OVERLAPPED at{};
    at.OffsetHigh = kLockOffsetHigh;
    ::UnlockFileEx(h, 0, 1, 0, &at);
  }
  ::CloseHandle(h);
  return held;
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
  const HANDLE h = ::CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bytes.clear();
  LARGE_INTEGER at{};
  at.QuadPart = offset;
  if (offset > 0 && !::SetFilePointerEx(h, at, nullptr, FILE_BEGIN)) {
    ::CloseHandle(h);
    return false;
  }
  char buf[1 << 16];
  while (bytes.size() < size) {
    const DWORD want = size - bytes.size() < sizeof buf ? static_cast<DWORD>(size - bytes.size()) : sizeof buf;
    DWORD got = 0;
    if (!::ReadFile(h, buf, want, &got, nullptr)) {
      ::CloseHandle(h);
      return false;
    }
    if (got == 0) break;
    bytes.append(buf, got);
  }
  ::CloseHandle(h);
  return true;
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

}  // namespace kiroku::journal_file
