// The file system of POSIX platforms: names in UTF-8, codes as the same
// failure has on the platform where the operator's codes come from.
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "files/platform_file.h"
#include "files/text_file.h"

namespace kiroku::platform {

namespace {

// The platform's codes for failures that have no errno of their own.
constexpr int kWriteFault = 29;  // ERROR_WRITE_FAULT
constexpr int kReadFault = 30;   // ERROR_READ_FAULT
// Codes outside the operator's table for failures with no counterpart there:
// the range that the platform leaves to applications.
constexpr int kUnmapped = 0x20000000;

int CodeOf(int err) { return CodeFromPlatformError(static_cast<unsigned long>(err)); }

// EIO is the one error whose code depends on what failed.
int ReadCode(int err) { return err == EIO ? kReadFault : CodeOf(err); }
int WriteCode(int err) { return err == EIO ? kWriteFault : CodeOf(err); }

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A missing file and a missing folder are told apart, as the operator needs
// to know which of the two to mend.
int OpenFailureCode(int err, const std::string& path) {
  if (err == ENOENT && !IsDirectory(FolderOf(path))) return 3;
  return CodeOf(err);
}

// The file a chain of links ends at, so that replacing it keeps the links.
std::string FollowLinks(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::string target(static_cast<size_t>(st.st_size > 0 ? st.st_size : 4096), '\0');
    const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n < 0) throw IoError(CodeOf(errno));
    target.resize(static_cast<size_t>(n));
    path = target.front() == '/' ? target : FolderOf(path) + "/" + target;
  }
  throw IoError(CodeOf(ELOOP));
}

// The character of a single byte that iconv's tables leave out, in UTF-8; false for any other byte.
bool AppendLoneByte(std::string& out, unsigned char b) {
  for (const auto& m : cp932::kLoneBytes) {
    if (m.byte != b) continue;
    const unsigned c = m.ch;  // U+0080 to U+FFFF
    if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
    } else {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    }
    out += static_cast<char>(0x80 | (c & 0x3F));
    return true;
  }
  return false;
}

bool WriteAll(int fd, const char* data, size_t size, int& err) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      err = errno;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

NativeName ToNativeName(const Text& cp932Name) {
  if (cp932Name.empty() || cp932Name.find('\0') != Text::npos) throw IoError(3);
  iconv_t cd = ::iconv_open("UTF-8", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw IoError(3);
  std::string out;
  bool ok = true;
  for (size_t i = 0; ok && i < cp932Name.size();) {
    const size_t n = cp932::CharLength(cp932Name, i);
    if (n == 2 || !AppendLoneByte(out, static_cast<unsigned char>(cp932Name[i]))) {
      char buf[8];
      char* in = const_cast<char*>(cp932Name.data() + i);
      size_t inLeft = n, outLeft = sizeof buf;
      char* o = buf;
      ok = ::iconv(cd, &in, &inLeft, &o, &outLeft) != static_cast<size_t>(-1) && inLeft == 0;
      out.append(buf, sizeof buf - outLeft);
    }
    i += n;
  }
  ::iconv_close(cd);
  if (!ok) throw IoError(3);
  return out;
}

int CodeFromPlatformError(unsigned long err) {
  switch (static_cast<int>(err)) {
    case ENOENT: return 2;
    case ENOTDIR:
    case ENAMETOOLONG: return 3;
    case EMFILE:
    case ENFILE: return 4;
    case EACCES:
    case EPERM:
    case EISDIR:
    case ETXTBSY: return 5;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return 101;
    case EROFS: return 19;        // ERROR_WRITE_PROTECT
    case EBADF: return 6;         // ERROR_INVALID_HANDLE
    case ENOMEM: return 8;        // ERROR_NOT_ENOUGH_MEMORY
    case EXDEV: return 17;        // ERROR_NOT_SAME_DEVICE
    case ENXIO:
    case ENODEV: return 21;       // ERROR_NOT_READY
    case EIO: return 31;          // ERROR_GEN_FAILURE
    case EBUSY: return 32;        // ERROR_SHARING_VIOLATION
    case EAGAIN: return 33;       // ERROR_LOCK_VIOLATION
    case EEXIST: return 80;       // ERROR_FILE_EXISTS
    case EINVAL: return 87;       // ERROR_INVALID_PARAMETER
    case EILSEQ: return 123;      // ERROR_INVALID_NAME
    case ENOTEMPTY: return 145;   // ERROR_DIR_NOT_EMPTY
    case ELOOP: return 1921;      // ERROR_CANT_RESOLVE_FILENAME
    default: return kUnmapped | static_cast<int>(err);
  }
}

namespace {
RenameFaults* g_renameFaults = nullptr;

int Rename(const char* from, const char* to) {
  if (g_renameFaults) {
    ++g_renameFaults->attempts;
    if (g_renameFaults->count > 0) {
      --g_renameFaults->count;
      errno = static_cast<int>(g_renameFaults->error);
      return -1;
    }
  }
  return ::rename(from, to);
}
}  // namespace

void SetRenameFaults(RenameFaults* faults) { g_renameFaults = faults; }

bool CanCreateFilesIn(const Text& cp932Folder) {
  const std::string folder = ToNativeName(cp932Folder);
#ifdef O_TMPFILE
  // A file without a name: nothing can be left behind, even by a crash.
  int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (fd >= 0) {
    ::close(fd);
    return true;
  }
  // Only a file system without unnamed files is asked again.
  if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return false;
#endif
  std::string name = folder + "/.kiroku-XXXXXX";
  const int named = ::mkstemp(name.data());
  if (named < 0) return false;
  ::close(named);
  ::unlink(name.c_str());
  return true;
}

bool IsInTemporaryFolder(const Text&) { return false; }

bool Exists(const Text& cp932Name) {
  struct stat st {};
  return ::lstat(ToNativeName(cp932Name).c_str(), &st) == 0;
}

// ---------------------------------------------------------------- writing

struct ReplacingFile::State {
  std::string target, temp;
  int fd = -1;
};

ReplacingFile::ReplacingFile(const Text& cp932Name) : s_(std::make_unique<State>()) {
  s_->target = FollowLinks(ToNativeName(cp932Name));
  const std::string& target = s_->target;
  struct stat st {};
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists) {
    // A folder, or a file nobody may write (even as root): refuse as the
    // operator's platform would, rather than silently replace it.
    if (S_ISDIR(st.st_mode) || (st.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0)
      throw IoError(5);
  }
  // Short, so that any name the file system takes can be saved.
  std::string tmpl = FolderOf(target) + "/.kiroku-XXXXXX";
  s_->fd = ::mkstemp(tmpl.data());
  if (s_->fd < 0) throw IoError(OpenFailureCode(errno, target));
  s_->temp = tmpl;
  mode_t mode;
  if (exists) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ::fchmod(s_->fd, mode);
}

ReplacingFile::~ReplacingFile() { discard(); }

void ReplacingFile::discard() {
  if (s_->fd >= 0) ::close(s_->fd);
  s_->fd = -1;
  if (!s_->temp.empty()) ::unlink(s_->temp.c_str());
  s_->temp.clear();
}

void ReplacingFile::write(const char* data, std::size_t size) {
  if (s_->fd < 0) throw IoError(103);  // already failed or committed: not open
  int err = 0;
  if (!WriteAll(s_->fd, data, size, err)) {
    discard();
    throw IoError(WriteCode(err));
  }
}

void ReplacingFile::commit() {
  if (s_->fd < 0) throw IoError(103);
  // On disk before it replaces anything: a power cut must not cost the old file.
  if (::fsync(s_->fd) != 0 || ::close(s_->fd) != 0) {
    const int err = errno;
    s_->fd = -1;
    discard();
    throw IoError(WriteCode(err));
  }
  s_->fd = -1;
  if (Rename(s_->temp.c_str(), s_->target.c_str()) != 0) {
    const int err = errno;
    discard();
    throw IoError(CodeOf(err));
  }
  s_->temp.clear();
  // The new name itself survives a power cut only once the folder is on disk.
  const int dir = ::open(FolderOf(s_->target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

// ---------------------------------------------------------------- reading

struct ReadingFile::State {
  int fd = -1;
};

ReadingFile::ReadingFile(const Text& cp932Name) : s_(std::make_unique<State>()) {
  const std::string name = ToNativeName(cp932Name);
  s_->fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (s_->fd < 0) throw IoError(OpenFailureCode(errno, name));
  struct stat st {};
  if (::fstat(s_->fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(s_->fd);
    s_->fd = -1;
    throw IoError(5);
  }
}

ReadingFile::~ReadingFile() {
  if (s_->fd >= 0) ::close(s_->fd);
}

std::size_t ReadingFile::read(char* buffer, std::size_t size) {
  if (s_->fd < 0) throw IoError(103);
  for (;;) {
    const ssize_t n = ::read(s_->fd, buffer, size);
    if (n >= 0) return static_cast<size_t>(n);
    if (errno != EINTR) throw IoError(ReadCode(errno));
  }
}

void ReadingFile::close() {
  const int fd = s_->fd;
  s_->fd = -1;
  if (fd >= 0 && ::close(fd) != 0) throw IoError(ReadCode(errno));
}

}  // namespace kiroku::platform
