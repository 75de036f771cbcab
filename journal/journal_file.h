#pragma once
// The journal's own files: one per run, appended to and made durable. Paths
// are UTF-8 (they come from the user's data folder, never from CP932 text).
// One backend per platform implements this.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kiroku::journal_file {

class AppendFile {
 public:
  virtual ~AppendFile() = default;
  // Writes some of the bytes: how many, or -1 when nothing could be written.
  virtual long write(const char* data, std::size_t size) = 0;
  virtual bool sync() = 0;  // what was written is on the disk
};

// A new file, opened for appending and locked for as long as it is open, so
// that another kiroku sees the run is alive. Never opens a file that exists:
// then exists is set and the result is empty.
std::unique_ptr<AppendFile> CreateNew(const std::string& path, bool& exists);

// True when a file that CreateNew opened is still open, in this process or
// another. Never waits for the lock.
bool HeldOpen(const std::string& path);

// The folder and those above it, made where missing; true when it is there.
bool MakeFolders(const std::string& path);

struct Entry {
  std::string name;       // file name within the folder
  std::int64_t modified;  // seconds since 1970-01-01 UTC
  std::int64_t size;
};
// The plain files in a folder; empty when there is no such folder.
std::vector<Entry> ListFiles(const std::string& folder);

bool Remove(const std::string& path);
bool ReadAll(const std::string& path, std::string& bytes);
// Up to size bytes from offset on; fewer at the file's end.
bool ReadRange(const std::string& path, std::int64_t offset, std::size_t size, std::string& bytes);

// The name parts of this run: its local start time as "YYYYMMDD-HHMMSS", and
// the process id.
std::string LocalStamp();
long ProcessId();

}  // namespace kiroku::journal_file
