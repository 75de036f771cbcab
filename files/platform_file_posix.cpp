// The file system of POSIX platforms: names in UTF-8, codes as the same
// failure has on the platform where the operator's codes come from.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include "files/cp932_codec.h"
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

// True, with errno set, when a test makes this attempt at a step fail.
bool Fails(Step step) {
  unsigned long injected = 0;
  if (!Injected(step, injected)) return false;
  errno = static_cast<int>(injected);
  return true;
}

// Some of the bytes: how many, or -1 with errno set.
ssize_t WriteSome(int fd, const char* data, size_t size) {
  for (;;) {
    const ssize_t n = ::write(fd, data, size);
    if (n >= 0 || errno != EINTR) return n;
  }
}

bool WriteAll(int fd, const char* data, size_t size, int& err) {
  while (size > 0) {
    const ssize_t n = WriteSome(fd, data, size);
    if (n < 0) {
      err = errno;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// The file's bytes on the disk (its data only, when that is all that changed);
// false with errno set.
bool Sync(int fd, bool dataOnly) {
  if (Fails(Step::Sync)) return false;
  for (;;) {
    if ((dataOnly ? ::fdatasync(fd) : ::fsync(fd)) == 0) return true;
    if (errno != EINTR) return false;
  }
}

// A new name in a folder survives a power cut only once the folder is synced.
void SyncFolder(const std::string& folder) {
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

int OpenForReading(const std::string& path) {
  for (;;) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0 || errno != EINTR) return fd;
  }
}

// A new file in a folder that no other program can find: without a name where
// the file system allows it, so that nothing is left behind even by a crash;
// else under a hidden name of its own, set in `named`. -1 with errno set.
int OpenUnseen(const std::string& folder, std::string& named) {
  named.clear();
#ifdef O_TMPFILE
  const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  // Only a file system without unnamed files is asked again.
  if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) return fd;
#endif
  std::string name = folder + "/.kiroku-XXXXXX";
  const int fd2 = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd2 >= 0) named = name;
  return fd2;
}

}  // namespace

NativeName ToNativeName(const Text& cp932Name) {
  if (cp932Name.empty() || cp932Name.find('\0') != Text::npos) throw IoError(3);
  bool ok = true;
  const std::u16string name = codec::Decode(cp932Name, &ok);
  if (!ok) throw IoError(3);
  return codec::Utf8(name);
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
int Rename(const char* from, const char* to) { return Fails(Step::Rename) ? -1 : ::rename(from, to); }
}  // namespace

bool CanCreateFilesIn(const Text& cp932Folder) {
  std::string named;
  const int fd = OpenUnseen(ToNativeName(cp932Folder), named);
  if (fd < 0) return false;
  ::close(fd);
  if (!named.empty()) ::unlink(named.c_str());
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

ReplacingFile::ReplacingFile(const Text& cp932Name) : s_(std::make_unique<State>()) { open(ToNativeName(cp932Name)); }

ReplacingFile::ReplacingFile(Utf8Path path) : s_(std::make_unique<State>()) {
  if (path.path.empty() || path.path.find('\0') != std::string::npos) throw IoError(3);
  open(path.path);
}

void ReplacingFile::open(const NativeName& name) {
  s_->target = FollowLinks(name);
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
  // Closed whatever the sync did, and the first failure is the one told.
  const bool synced = Sync(s_->fd, false);
  int err = synced ? 0 : errno;
  if (::close(s_->fd) != 0 && synced) err = errno;
  s_->fd = -1;
  if (err != 0) {
    discard();
    throw IoError(WriteCode(err));
  }
  if (Rename(s_->temp.c_str(), s_->target.c_str()) != 0) {
    const int err = errno;
    discard();
    throw IoError(CodeOf(err));
  }
  s_->temp.clear();
  SyncFolder(FolderOf(s_->target));
}

// ---------------------------------------------------------------- reading

struct ReadingFile::State {
  int fd = -1;
};

ReadingFile::ReadingFile(const Text& cp932Name) : s_(std::make_unique<State>()) {
  const std::string name = ToNativeName(cp932Name);
  s_->fd = OpenForReading(name);
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

// ---------------------------------------------------------------- the program's own files

namespace {

class PosixAppendFile : public AppendFile {
 public:
  explicit PosixAppendFile(int fd) : fd_(fd) {}
  ~PosixAppendFile() override { ::close(fd_); }  // the lock goes with it
  long write(const char* data, std::size_t size) override { return static_cast<long>(WriteSome(fd_, data, size)); }
  bool sync() override { return Sync(fd_, true); }

 private:
  int fd_;
};

// The lock that tells other runs a file is alive, never waited for; false
// with errno set.
bool TryLock(int fd) {
  int rc;
  while ((rc = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
  }
  return rc == 0;
}

bool Lock(int fd) { return !Fails(Step::Lock) && TryLock(fd); }

// How one way of making a new locked file under a name ended.
enum class Made { File, Taken, Unlocked, Failed };

Made Named(int fd, int& file) {
  file = fd;
  CreateStep();
  return Made::File;
}

// Without a name, locked, then named through /proc: a crash leaves nothing.
Made MakeUnnamed([[maybe_unused]] const std::string& folder, [[maybe_unused]] const std::string& path,
                 [[maybe_unused]] int& file) {
#ifdef O_TMPFILE
  const int fd = Fails(Step::Unnamed) ? -1 : ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0) return Made::Failed;
  CreateStep();
  if (!Lock(fd)) {
    ::close(fd);
    return Made::Unlocked;
  }
  CreateStep();
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  if (!Fails(Step::NameUnnamed) && ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0)
    return Named(fd, file);
  const int err = errno;
  ::close(fd);
  return err == EEXIST ? Made::Taken : Made::Failed;
#else
  return Made::Failed;
#endif
}

// Under a hidden name, locked while it has it (a run's tidy-up removes only
// an unlocked one), then linked to its name; the hidden name goes.
Made MakeHidden(const std::string& folder, const std::string& path, int& file) {
  std::string hidden = folder + "/.kiroku-XXXXXX";
  const int fd = Fails(Step::Temporary) ? -1 : ::mkostemp(hidden.data(), O_CLOEXEC);
  if (fd < 0) return Made::Failed;
  CreateStep();
  Made made = Made::Unlocked;
  if (Lock(fd)) {
    CreateStep();
    made = !Fails(Step::Link) && ::link(hidden.c_str(), path.c_str()) == 0 ? Made::File
           : errno == EEXIST                                               ? Made::Taken
                                                                           : Made::Failed;
  }
  ::unlink(hidden.c_str());
  if (made == Made::File) return Named(fd, file);
  ::close(fd);
  return made;
}

// Under its own name, then locked: the one way left where a file system has
// neither files without a name nor hard links. Another run may see it
// unlocked meanwhile, but empty, which it takes for nothing to offer and
// removes only once it is old.
Made MakeUnderItsName(const std::string& path, int& file) {
  int fd;
  while ((fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600)) < 0 && errno == EINTR) {
  }
  if (fd < 0) return errno == EEXIST ? Made::Taken : Made::Failed;
  CreateStep();
  if (!Lock(fd)) {
    ::unlink(path.c_str());  // made by this run alone: O_EXCL
    ::close(fd);
    return Made::Unlocked;
  }
  file = fd;
  CreateStep();
  return Made::File;
}

}  // namespace

std::unique_ptr<AppendFile> CreateNew(const std::string& path, bool& exists) {
  exists = false;
  const std::string folder = FolderOf(path);
  // Made and locked before another run can see it under its name, where the
  // file system allows; each way that it does not allow falls to the next.
  // Only the user may read it: it holds the names of players.
  int fd = -1;
  Made made = MakeUnnamed(folder, path, fd);
  if (made == Made::Failed) made = MakeHidden(folder, path, fd);
  if (made == Made::Failed) made = MakeUnderItsName(path, fd);
  if (made != Made::File) {
    exists = made == Made::Taken;
    return nullptr;
  }
  // Appends: the file is new and written by this run alone, so its end is where
  // the next write goes.
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_APPEND);
  SyncFolder(folder);
  return std::make_unique<PosixAppendFile>(fd);
}

namespace {
class PosixHeldFile : public HeldFile {
 public:
  explicit PosixHeldFile(int fd) : fd_(fd) {}
  ~PosixHeldFile() override { ::close(fd_); }

 private:
  int fd_;
};
}  // namespace

std::unique_ptr<HeldFile> Hold(const std::string& path) {
  // Opened for writing where it may be: a network file system locks only so.
  int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) fd = OpenForReading(path);
  if (fd < 0) return nullptr;
  if (!TryLock(fd)) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<PosixHeldFile>(fd);
}

// A shared lock, which a file opened only to read takes everywhere (NFS
// refuses it an exclusive one), is refused while the run holds its own. A
// question that gets no answer counts as held: such a file is neither removed
// nor offered.
bool HeldOpen(const std::string& path) {
  const int fd = OpenForReading(path);
  if (fd < 0) return errno != ENOENT && errno != ENOTDIR;
  int rc = -1;
  if (!Fails(Step::Probe))
    while ((rc = ::flock(fd, LOCK_SH | LOCK_NB)) != 0 && errno == EINTR) {
    }
  ::close(fd);  // the shared lock goes with it
  return rc != 0;
}

bool IsLeftover(const std::string& name) {
  constexpr std::string_view kPrefix = ".kiroku-";  // and mkostemp's six letters or digits
  if (name.size() != kPrefix.size() + 6 || !name.starts_with(kPrefix)) return false;
  return std::all_of(name.begin() + kPrefix.size(), name.end(),
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
}

bool MakeFolders(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  const auto slash = path.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash))) return false;
  if (::mkdir(path.c_str(), 0700) != 0) return errno == EEXIST;
  SyncFolder(FolderOf(path));
  return true;
}

std::vector<Entry> ListFiles(const std::string& folder) {
  std::vector<Entry> entries;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return entries;
  while (const dirent* e = ::readdir(dir)) {
    const std::string name = e->d_name;
    struct stat st {};
    if (::lstat((folder + "/" + name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    entries.push_back({name, static_cast<std::int64_t>(st.st_mtime), static_cast<std::int64_t>(st.st_size)});
  }
  ::closedir(dir);
  return entries;
}

bool Remove(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool ReadAll(const std::string& path, std::string& bytes) {
  return ReadRange(path, 0, static_cast<std::size_t>(-1), bytes);
}

bool ReadRange(const std::string& path, std::int64_t offset, std::size_t size, std::string& bytes) {
  const int fd = OpenForReading(path);
  if (fd < 0) return false;
  bytes.clear();
  bool ok = offset <= 0 || ::lseek(fd, static_cast<off_t>(offset), SEEK_SET) >= 0;
  char buf[1 << 16];
  while (ok && bytes.size() < size) {
    const std::size_t want = size - bytes.size() < sizeof buf ? size - bytes.size() : sizeof buf;
    const ssize_t n = ::read(fd, buf, want);
    if (n < 0 && errno == EINTR) continue;
    ok = n >= 0;
    if (n <= 0) break;
    bytes.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return ok;
}

std::string LocalStamp() {
  const std::time_t now = std::time(nullptr);
  std::tm tm {};
  ::localtime_r(&now, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y%m%d-%H%M%S", &tm);
  return buf;
}

long ProcessId() { return static_cast<long>(::getpid()); }

// ---------------------------------------------------------------- folders of the operator's files

int ListFolder(const std::string& folder, std::vector<Entry>& entries) {
  entries.clear();
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return OpenFailureCode(errno, folder + "/.");
  const int fd = ::dirfd(dir);
  for (;;) {
    errno = 0;
    const dirent* e = ::readdir(dir);
    if (!e) {
      const int err = errno;
      ::closedir(dir);
      return err == 0 ? 0 : ReadCode(err);
    }
    struct stat st {};
    if (::fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) continue;
    entries.push_back({e->d_name, static_cast<std::int64_t>(st.st_mtime), static_cast<std::int64_t>(st.st_size)});
  }
}

int ReadHead(const std::string& path, std::size_t limit, std::string& bytes) {
  bytes.clear();
  const int fd = OpenForReading(path);
  if (fd < 0) return OpenFailureCode(errno, path);
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return 5;
  }
  char buf[1 << 16];
  int err = 0;
  while (bytes.size() < limit) {
    const ssize_t n = ::read(fd, buf, std::min(sizeof buf, limit - bytes.size()));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) err = errno;
    if (n <= 0) break;
    bytes.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return err == 0 ? 0 : ReadCode(err);
}

std::string ListedName(const Text& cp932Name) { return ToNativeName(cp932Name); }

std::string LocalMinute(std::int64_t seconds) {
  const auto t = static_cast<std::time_t>(seconds);
  std::tm tm {};
  ::localtime_r(&t, &tm);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                tm.tm_hour, tm.tm_min);
  return buf;
}

std::string NewTemporaryBeside(const std::string& utf8Path) {
  std::string name = FolderOf(utf8Path) + "/.kiroku-XXXXXX";
  const int fd = ::mkstemp(name.data());
  if (fd < 0) throw IoError(OpenFailureCode(errno, utf8Path));
  ::close(fd);
  return name;
}


}  // namespace kiroku::platform
