#include "core/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace kiroku {

namespace {

const IoFaults* g_faults = nullptr;

const IoFaults* FaultsFor(const std::string& path) {
  if (!g_faults) return nullptr;
  const auto& suffix = g_faults->pathSuffix;
  if (suffix.size() > path.size() || path.compare(path.size() - suffix.size(), suffix.size(), suffix) != 0)
    return nullptr;
  return g_faults;
}

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
  return IoCodeFromErrno(err);
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

Text IoMessage(int code) {
  Text m;
  switch (code) {
    case 2: m = "\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x8c\xa9\x82\xc2\x82\xa9\x82\xe8\x82\xdc\x82\xb9\x82\xf1"; break;
    case 3: m = "\x83\x74\x83\x40\x83\x43\x83\x8b\x96\xbc\x82\xcc\x8e\x77\x92\xe8\x82\xaa\x8a\xd4\x88\xe1\x82\xc1\x82\xc4\x82\xa2\x82\xdc\x82\xb7"; break;
    case 4: m = "\x83\x49\x81\x5b\x83\x76\x83\x93\x82\xb5\x82\xbd\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x91\xbd\x82\xb7\x82\xac\x82\xdc\x82\xb7"; break;
    case 5: m = "\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xd6\x82\xcc\x83\x41\x83\x4e\x83\x5a\x83\x58\x82\xaa\x8b\x91\x94\xdb\x82\xb3\x82\xea\x82\xdc\x82\xb5\x82\xbd"; break;
    case 100: m = "\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xcc\x96\x96\x94\xf6\x88\xc8\x8d\x7e\x82\xf0\x93\xc7\x82\xdd\x8d\x9e\x82\xdd\x82\xdc\x82\xb5\x82\xbd"; break;
    case 101: m = "\x83\x66\x83\x42\x83\x58\x83\x4e\x82\xaa\x82\xa2\x82\xc1\x82\xcf\x82\xa2\x82\xc5\x82\xb7"; break;
    case 106: m = "\x93\xfc\x97\xcd\x92\x6c\x82\xaa\x90\x94\x92\x6c\x82\xc5\x82\xcd\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1"; break;
    default: {
      char buf[64];
      // I/O エラー (%d)
      std::snprintf(buf, sizeof buf, "I/O \x83\x47\x83\x89\x81\x5b (%d)", code);
      m = buf;
    }
  }
  // The period goes after any message whose last byte sorts after it.
  if (!m.empty() && static_cast<unsigned char>(m.back()) > '.') m += '.';
  return m;
}

IoError::IoError(int code) : code_(code), message_(IoMessage(code)) {}

int IoCodeFromErrno(int err) {
  switch (err) {
    case ENOENT: return 2;
    case ENOTDIR:
    case ENAMETOOLONG: return 3;
    case EMFILE:
    case ENFILE: return 4;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY: return 5;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return 101;
    default: return err;
  }
}

void SetIoFaults(const IoFaults* faults) { g_faults = faults; }

// ---------------------------------------------------------------- writing

TextFileWriter::TextFileWriter(std::string path) : path_(std::move(path)), faults_(FaultsFor(path_)) {
  if (faults_ && faults_->openCode) throw IoError(faults_->openCode);
  struct stat st {};
  const bool exists = ::stat(path_.c_str(), &st) == 0;
  if (exists) {
    // A folder, or a file nobody may write (even as root): refuse as the
    // operator's platform would, rather than silently replace it.
    if (S_ISDIR(st.st_mode) || (st.st_mode & 0222) == 0 || ::access(path_.c_str(), W_OK) != 0)
      throw IoError(5);
  }
  const std::string folder = FolderOf(path_);
  const auto slash = path_.rfind('/');
  const std::string base = slash == std::string::npos ? path_ : path_.substr(slash + 1);
  std::string tmpl = folder + "/." + base + ".XXXXXX";
  fd_ = ::mkstemp(tmpl.data());
  if (fd_ < 0) throw IoError(OpenFailureCode(errno, path_));
  tempPath_ = tmpl;
  mode_t mode;
  if (exists) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ::fchmod(fd_, mode);
}

TextFileWriter::~TextFileWriter() { discard(); }

void TextFileWriter::discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
  tempPath_.clear();
}

void TextFileWriter::append(std::string_view bytes) { buffer_.append(bytes); }

void TextFileWriter::endLine() {
  ++lines_;
  if (faults_ && faults_->lineNumber == lines_ && faults_->lineCode) {
    const int code = faults_->lineCode;
    discard();
    throw IoError(code);
  }
  buffer_ += "\r\n";
  if (buffer_.size() >= (1u << 16)) flush();
}

void TextFileWriter::flush() {
  int err = 0;
  if (!WriteAll(fd_, buffer_.data(), buffer_.size(), err)) {
    discard();
    throw IoError(IoCodeFromErrno(err));
  }
  buffer_.clear();
}

void TextFileWriter::commit() {
  if (fd_ < 0) throw IoError(103);  // already failed or committed: not open
  flush();
  if (faults_ && faults_->closeCode) {
    const int code = faults_->closeCode;
    discard();
    throw IoError(code);
  }
  // On disk before it replaces anything: a power cut must not cost the old file.
  if (::fsync(fd_) != 0 || ::close(fd_) != 0) {
    const int err = errno;
    fd_ = -1;
    discard();
    throw IoError(IoCodeFromErrno(err));
  }
  fd_ = -1;
  if (::rename(tempPath_.c_str(), path_.c_str()) != 0) {
    const int err = errno;
    discard();
    throw IoError(IoCodeFromErrno(err));
  }
  tempPath_.clear();
}

// ---------------------------------------------------------------- reading

TextFileReader::TextFileReader(std::string path) : path_(std::move(path)), faults_(FaultsFor(path_)) {
  if (faults_ && faults_->openCode) throw IoError(faults_->openCode);
  fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) throw IoError(OpenFailureCode(errno, path_));
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    throw IoError(5);
  }
}

TextFileReader::~TextFileReader() {
  if (fd_ >= 0) ::close(fd_);
}

bool TextFileReader::fill() {
  if (eof_) return false;
  if (pos_ > 0) {
    buffer_.erase(0, pos_);
    pos_ = 0;
  }
  char chunk[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd_, chunk, sizeof chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw IoError(IoCodeFromErrno(errno));
    }
    if (n == 0) {
      eof_ = true;
      return false;
    }
    buffer_.append(chunk, static_cast<size_t>(n));
    return true;
  }
}

Text TextFileReader::readLine() {
  ++lines_;
  if (faults_ && faults_->lineNumber == lines_ && faults_->lineCode) throw IoError(faults_->lineCode);
  if (fd_ < 0) throw IoError(103);
  size_t searched = pos_;
  for (;;) {
    const auto lf = buffer_.find('\n', searched);
    if (lf != std::string::npos) {
      size_t end = lf;
      if (end > pos_ && buffer_[end - 1] == '\r') --end;
      Text line = buffer_.substr(pos_, end - pos_);
      pos_ = lf + 1;
      return line;
    }
    searched = buffer_.size() - pos_;  // relative to the start after fill() compacts
    if (!fill()) {
      Text line = buffer_.substr(pos_);
      pos_ = buffer_.size();
      return line;  // last line without its end, or the empty text past the end
    }
    searched += pos_;
  }
}

void TextFileReader::close() {
  if (faults_ && faults_->closeCode) throw IoError(faults_->closeCode);
  if (fd_ >= 0 && ::close(fd_) != 0) {
    fd_ = -1;
    throw IoError(IoCodeFromErrno(errno));
  }
  fd_ = -1;
}

}  // namespace kiroku
