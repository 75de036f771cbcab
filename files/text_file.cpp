#include "files/text_file.h"

#include <cstdio>

#include "files/platform_file.h"

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

void SetIoFaults(const IoFaults* faults) { g_faults = faults; }

// ---------------------------------------------------------------- writing

TextFileWriter::TextFileWriter(std::string path) : path_(std::move(path)), faults_(FaultsFor(path_)) {
  if (faults_ && faults_->openCode) throw IoError(faults_->openCode);
  file_ = std::make_unique<platform::ReplacingFile>(path_);
}

TextFileWriter::~TextFileWriter() = default;

void TextFileWriter::discard() {
  if (file_) file_->discard();
  file_.reset();
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
  if (!file_) throw IoError(103);  // already failed or committed: not open
  try {
    file_->write(buffer_.data(), buffer_.size());
  } catch (const IoError&) {
    discard();
    throw;
  }
  buffer_.clear();
}

void TextFileWriter::commit() {
  flush();
  if (faults_ && faults_->closeCode) {
    const int code = faults_->closeCode;
    discard();
    throw IoError(code);
  }
  try {
    file_->commit();
  } catch (const IoError&) {
    discard();
    throw;
  }
  file_.reset();
}

// ---------------------------------------------------------------- reading

TextFileReader::TextFileReader(std::string path) : path_(std::move(path)), faults_(FaultsFor(path_)) {
  if (faults_ && faults_->openCode) throw IoError(faults_->openCode);
  file_ = std::make_unique<platform::ReadingFile>(path_);
}

TextFileReader::~TextFileReader() = default;

bool TextFileReader::fill() {
  if (eof_) return false;
  if (pos_ > 0) {
    buffer_.erase(0, pos_);
    pos_ = 0;
  }
  char chunk[1 << 16];
  const size_t n = file_->read(chunk, sizeof chunk);
  if (n == 0) {
    eof_ = true;
    return false;
  }
  buffer_.append(chunk, n);
  return true;
}

Text TextFileReader::readLine() {
  ++lines_;
  if (faults_ && faults_->lineNumber == lines_ && faults_->lineCode) throw IoError(faults_->lineCode);
  if (!file_) throw IoError(103);
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
  if (!file_) return;
  auto file = std::move(file_);
  file->close();
}

}  // namespace kiroku
