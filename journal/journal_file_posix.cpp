#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "journal/journal_file.h"

namespace kiroku::journal_file {

namespace {

class PosixAppendFile : public AppendFile {
 public:
  explicit PosixAppendFile(int fd) : fd_(fd) {}
  ~PosixAppendFile() override { ::close(fd_); }  // the lock goes with it
  long write(const char* data, std::size_t size) override {
    for (;;) {
      const ssize_t n = ::write(fd_, data, size);
      if (n < 0 && errno == EINTR) continue;
      return n < 0 ? -1 : static_cast<long>(n);
    }
  }
  bool sync() override {
    for (;;) {
      if (::fdatasync(fd_) == 0) return true;
      if (errno != EINTR) return false;
    }
  }

 private:
  int fd_;
};

std::string Parent(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
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

}  // namespace

std::unique_ptr<AppendFile> CreateNew(const std::string& path, bool& exists) {
  exists = false;
  // Only the user may read it: it holds the names of players.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
  if (fd < 0) {
    exists = errno == EEXIST;
    return nullptr;
  }
  // Nobody else has it yet: the lock cannot be refused.
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EINTR) {
  }
  SyncFolder(Parent(path));
  return std::make_unique<PosixAppendFile>(fd);
}

bool HeldOpen(const std::string& path) {
  const int fd = OpenForReading(path);
  if (fd < 0) return false;
  int rc;
  while ((rc = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
  }
  const bool held = rc != 0 && errno == EWOULDBLOCK;
  ::close(fd);
  return held;
}

bool MakeFolders(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  const auto slash = path.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash))) return false;
  if (::mkdir(path.c_str(), 0700) != 0) return errno == EEXIST;
  SyncFolder(Parent(path));
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
  if (offset > 0 && ::lseek(fd, static_cast<off_t>(offset), SEEK_SET) < 0) {
    ::close(fd);
    return false;
  }
  char buf[1 << 16];
  while (bytes.size() < size) {
    const std::size_t want = size - bytes.size() < sizeof buf ? size - bytes.size() : sizeof buf;
    const ssize_t n = ::read(fd, buf, want);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    bytes.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return true;
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

}  // namespace kiroku::journal_file
