#pragma once
#include <exception>
#include <memory>
#include <string>

#include "core/text.h"

namespace kiroku {

namespace platform {
class ReplacingFile;
class ReadingFile;
}  // namespace platform

// The one kind of failure the program meets: a file operation that did not
// succeed. Carries the code and the message shown to the operator.
class IoError : public std::exception {
 public:
  explicit IoError(int code);
  int code() const { return code_; }
  const Text& message() const { return message_; }  // CP932 bytes
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  int code_;
  Text message_;
};

// The message for a code, with the closing period where it belongs.
Text IoMessage(int code);

// A test seam: makes the open, a given line or the close of a matching file
// fail with a chosen code. Only one set of faults is active at a time.
struct IoFaults {
  std::string pathSuffix;  // only files whose path ends with this; empty: every file
  int openCode = 0;
  int lineNumber = 0;  // 1-based line whose read or write fails
  int lineCode = 0;
  int closeCode = 0;
};
void SetIoFaults(const IoFaults* faults);

// Writes a text file as a whole, by a CP932 name. The lines go to a temporary file beside the
// target, which takes the target's place only when it is complete and closed:
// a failure at any point leaves the file that was there before untouched.
class TextFileWriter {
 public:
  explicit TextFileWriter(std::string path);
  ~TextFileWriter();
  TextFileWriter(const TextFileWriter&) = delete;
  TextFileWriter& operator=(const TextFileWriter&) = delete;

  void append(std::string_view bytes);  // part of the current line
  void endLine();                       // CR LF
  void writeLine(std::string_view text) {
    append(text);
    endLine();
  }
  void commit();

 private:
  void flush();
  void discard();

  std::string path_;
  std::unique_ptr<platform::ReplacingFile> file_;
  int lines_ = 0;
  std::string buffer_;
  const IoFaults* faults_ = nullptr;
};

// Reads a text file line by line. A line ends at LF; a CR just before it is
// not part of the text. Past the end every line reads as the empty text.
class TextFileReader {
 public:
  explicit TextFileReader(std::string path);
  ~TextFileReader();
  TextFileReader(const TextFileReader&) = delete;
  TextFileReader& operator=(const TextFileReader&) = delete;

  Text readLine();
  void close();

 private:
  bool fill();

  std::string path_;
  std::unique_ptr<platform::ReadingFile> file_;
  int lines_ = 0;
  bool eof_ = false;
  std::string buffer_;
  size_t pos_ = 0;
  const IoFaults* faults_ = nullptr;
};

}  // namespace kiroku
