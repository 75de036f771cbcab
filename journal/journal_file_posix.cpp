#include <dirent.h>
#include <fcntl.h>
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
  ~PosixAppendFile() override { ::close(fd_); }
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

bool EndsWith(const std::string& s, const char* suffix) {
  const std::string t(suffix);
  return s.size() > t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
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
  // The new name itself must survive a power cut, not only what the file holds.
  const auto slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return std::make_unique<PosixAppendFile>(fd);
}

bool MakeFolders(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  const auto slash = path.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash))) return false;
  return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

std::vector<Entry> List(const std::string& folder) {
  std::vector<Entry> entries;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return entries;
  while (const dirent* e = ::readdir(dir)) {
    const std::string name = e->d_name;
    if (!EndsWith(name, ".journal")) continue;
    struct stat st {};
    if (::stat((folder + "/" + name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    entries.push_back({name, static_cast<std::int64_t>(st.st_mtime), static_cast<std::int64_t>(st.st_size)});
  }
  ::closedir(dir);
  return entries;
}

bool Remove(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool ReadAll(const std::string& path, std::string& bytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bytes.clear();
  char buf[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
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
