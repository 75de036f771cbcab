// Files through the wide Win32 API. Names are converted from CP932 with the
// system's own code page 932 tables, and the codes are GetLastError()'s, which
// are the operator's codes already.
#include <windows.h>

#include <cstdint>
#include <cwchar>
#include <string>

#include "files/platform_file.h"
#include "files/text_file.h"

namespace kiroku::platform {

namespace {

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

// The longest name one folder entry may have on Windows' file systems.
constexpr std::size_t kMaxComponent = 255;

// Past MAX_PATH the plain API fails; the same path in its long form does not.
std::wstring LongForm(const std::wstring& name) {
  if (name.size() < MAX_PATH - 14) return name;  // room for the temporary's name
  const DWORD n = ::GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
  if (n == 0) return name;
  std::wstring full(n, L'\0');
  const DWORD got = ::GetFullPathNameW(name.c_str(), n, full.data(), nullptr);
  if (got == 0 || got >= n) return name;
  full.resize(got);
  if (full.rfind(L"\\\\", 0) == 0) {
    if (full.rfind(L"\\\\?\\", 0) == 0 || full.rfind(L"\\\\.\\", 0) == 0) return full;
    return L"\\\\?\\UNC\\" + full.substr(2);
  }
  return L"\\\\?\\" + full;
}

bool WriteAll(HANDLE h, const char* data, std::size_t size) {
  while (size > 0) {
    const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!::WriteFile(h, data, chunk, &written, nullptr)) return false;
    data += written;
    size -= written;
  }
  return true;
}

}  // namespace

NativeName ToNativeName(const Text& cp932Name) {
  if (cp932Name.empty()) throw IoError(3);
  const int size = static_cast<int>(cp932Name.size());
  const int n = ::MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, cp932Name.data(), size, nullptr, 0);
  if (n <= 0) throw IoError(3);
  NativeName wide(static_cast<std::size_t>(n), L'\0');
  if (::MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, cp932Name.data(), size, wide.data(), n) != n)
    throw IoError(3);
  // A NUL cuts a name short on Windows: the operator's whole name cannot be used.
  if (wide.find(L'\0') != NativeName::npos) throw IoError(3);
  // Too long a name is "not found" on some file systems, and only when the
  // finished file is renamed; the operator is told it is a bad name, at once.
  std::size_t start = 0;
  for (;;) {
    const auto sep = wide.find_first_of(L"\\/", start);
    if ((sep == NativeName::npos ? wide.size() : sep) - start > kMaxComponent) throw IoError(3);
    if (sep == NativeName::npos) break;
    start = sep + 1;
  }
  return LongForm(wide);
}

int CodeFromPlatformError(unsigned long err) {
  switch (err) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return 101;
    default: return static_cast<int>(err);
  }
}

bool Exists(const Text& cp932Name) {
  return ::GetFileAttributesW(ToNativeName(cp932Name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// ---------------------------------------------------------------- writing

struct ReplacingFile::State {
  std::wstring target, temp;
  HANDLE handle = INVALID_HANDLE_VALUE;
  DWORD keepAttributes = 0;  // of the file being replaced
};

ReplacingFile::ReplacingFile(const Text& cp932Name) : s_(std::make_unique<State>()) {
  const std::wstring name = ToNativeName(cp932Name);
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
    // A file that another program holds open (a spreadsheet showing the last
    // export) is reported with the platform's code before anything is written.
    const HANDLE probe = ::CreateFileW(s_->target.c_str(), GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) ThrowLastError();
    ::CloseHandle(probe);
  }
  // A short 8.3 name, so that it fits wherever the target's folder is.
  const std::wstring folder = FolderOf(s_->target);
  static std::uint32_t counter = ::GetCurrentProcessId() * 2654435761u;
  for (int attempt = 0;; ++attempt) {
    wchar_t base[16];
    std::swprintf(base, 16, L"~kr%05x.tmp", static_cast<unsigned>(++counter & 0xfffff));
    s_->temp = folder + base;
    s_->handle = ::CreateFileW(s_->temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (s_->handle != INVALID_HANDLE_VALUE) break;
    const DWORD err = ::GetLastError();
    if ((err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS) || attempt > 64) {
      s_->temp.clear();
      throw IoError(CodeFromPlatformError(err));
    }
  }
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
  const BOOL flushed = ::FlushFileBuffers(s_->handle);
  DWORD err = ::GetLastError();
  const BOOL closed = ::CloseHandle(s_->handle);
  if (flushed && !closed) err = ::GetLastError();
  s_->handle = INVALID_HANDLE_VALUE;
  if (!flushed || !closed) {
    discard();
    throw IoError(CodeFromPlatformError(err));
  }
  if (s_->keepAttributes) ::SetFileAttributesW(s_->temp.c_str(), s_->keepAttributes);
  if (!::MoveFileExW(s_->temp.c_str(), s_->target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    err = ::GetLastError();
    discard();
    throw IoError(CodeFromPlatformError(err));
  }
  s_->temp.clear();
}

// ---------------------------------------------------------------- reading

struct ReadingFile::State {
  HANDLE handle = INVALID_HANDLE_VALUE;
};

ReadingFile::ReadingFile(const Text& cp932Name) : s_(std::make_unique<State>()) {
  const std::wstring name = ToNativeName(cp932Name);
  // A folder fails here with 5, as the operator's platform reports it.
  s_->handle = ::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
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

}  // namespace kiroku::platform
