#pragma once
// The one place where the program meets the platform's file system. Names
// arrive as CP932 bytes, exactly as typed on the setup sheet, and become the
// platform's own names only here. One backend per platform implements this.
#include <cstddef>
#include <memory>
#include <string>

#include "core/text.h"

namespace kiroku::platform {

#ifdef _WIN32
using NativeName = std::wstring;  // UTF-16, for the wide API
#else
using NativeName = std::string;  // UTF-8
#endif

// The platform's name for a CP932 name; IoError(3) when it cannot be converted.
NativeName ToNativeName(const Text& cp932Name);

// The operator's code for the platform's error number (errno, GetLastError()).
int CodeFromPlatformError(unsigned long err);

// True when something of that name exists (a file, a folder, a link).
bool Exists(const Text& cp932Name);

// Whether a file can be created in a folder. Tries with a file of its own,
// which is gone again when this returns.
bool CanCreateFilesIn(const Text& cp932Folder);

// Whether a folder lies in the platform's folder for temporary files, which
// the platform empties behind the program's back (never, where it has none).
bool IsInTemporaryFolder(const Text& cp932Folder);

// A test seam: the next `count` attempts to put a finished file in its
// target's place fail with the platform error `error`; `attempts` counts
// every attempt made while the seam is set.
struct RenameFaults {
  int count = 0;
  unsigned long error = 0;
  int attempts = 0;
};
void SetRenameFaults(RenameFaults* faults);

// A whole file being written: the bytes go to a temporary beside the target
// (beside the file a link points to), which takes the target's place only on
// commit. Every failure throws IoError and leaves the target as it was.
class ReplacingFile {
 public:
  explicit ReplacingFile(const Text& cp932Name);
  ~ReplacingFile();  // removes the temporary unless committed
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  void write(const char* data, std::size_t size);
  void commit();  // durable first, then atomically in the target's place
  void discard();

 private:
  struct State;
  std::unique_ptr<State> s_;
};

// A file being read from its start.
class ReadingFile {
 public:
  explicit ReadingFile(const Text& cp932Name);
  ~ReadingFile();
  ReadingFile(const ReadingFile&) = delete;
  ReadingFile& operator=(const ReadingFile&) = delete;

  std::size_t read(char* buffer, std::size_t size);  // 0 at the end
  void close();

 private:
  struct State;
  std::unique_ptr<State> s_;
};

}  // namespace kiroku::platform
