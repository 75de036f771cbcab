#pragma once
// The one place where the program meets the platform's file system. Names
// typed on the setup sheet arrive as CP932 bytes and become the platform's own
// names only here; the program's own files (the journals) are named by UTF-8
// paths. One backend per platform implements this.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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

// A test seam: the next `count` attempts at a step fail with the platform
// error `error`; `attempts` counts every attempt made while the seam is set.
struct Faults {
  int count = 0;
  unsigned long error = 0;
  int attempts = 0;
};
using RenameFaults = Faults;
enum class Step {
  Rename,       // a finished file into its target's place
  Sync,         // a file's bytes onto the disk
  Lock,         // the lock of a new file of CreateNew
  Unnamed,      // CreateNew's file without a name (O_TMPFILE)
  NameUnnamed,  // that file's name, given through /proc/self/fd
  Temporary,    // CreateNew's file under a hidden name of its own
  Link,         // the hidden file's name given to it (a hard link; a rename on Windows)
  Probe,        // HeldOpen's question for another run's lock
  Count
};
void SetFaults(Step step, Faults* faults);
inline void SetRenameFaults(Faults* faults) { SetFaults(Step::Rename, faults); }
// True, with the error to report, when the seam makes this attempt fail.
bool Injected(Step step, unsigned long& error);

// A test seam: called between the steps of CreateNew, to look at the folder
// as another program would see it then.
void SetCreateSteps(std::function<void()> between);
void CreateStep();

// A whole file being written: the bytes go to a temporary beside the target
// (beside the file a link points to), which takes the target's place only on
// commit. Every failure throws IoError and leaves the target as it was.
class ReplacingFile {
 public:
  explicit ReplacingFile(const Text& cp932Name);
  // The same for a UTF-8 path, as the system's folder and save choices give them.
  struct Utf8Path {
    const std::string& path;
  };
  explicit ReplacingFile(Utf8Path path);
  ~ReplacingFile();  // removes the temporary unless committed
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  void write(const char* data, std::size_t size);
  void commit();  // durable first, then atomically in the target's place
  void discard();

 private:
  void open(const NativeName& name);
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

// ---------------------------------------------------------------- the program's own files

// Paths here are UTF-8: they come from the user's data folder, never from
// CP932 text.

class AppendFile {
 public:
  virtual ~AppendFile() = default;
  // Writes some of the bytes: how many, or -1 when nothing could be written.
  virtual long write(const char* data, std::size_t size) = 0;
  virtual bool sync() = 0;  // what was written is on the disk
};

// A new file, opened for appending and locked for as long as it is open, so
// that another kiroku sees the run is alive. It appears under its name only
// once it is locked, so nobody ever sees it unlocked. Never opens a file that
// exists: then exists is set and the result is empty, as it is when the lock
// cannot be taken.
std::unique_ptr<AppendFile> CreateNew(const std::string& path, bool& exists);

// True when a file that CreateNew opened is still open, in this process or
// another. Never waits for the lock.
bool HeldOpen(const std::string& path);

// Holds a file that CreateNew made, once the run that made it has ended, as
// its lock did: HeldOpen says it is held and no other Hold gets it until the
// result goes. Empty when it is held already or cannot be locked.
class HeldFile {
 public:
  virtual ~HeldFile() = default;
};
std::unique_ptr<HeldFile> Hold(const std::string& path);
// Whether a file name is one that CreateNew gives its file only until the
// file has its own: one left behind by a run that ended in between.
bool IsLeftover(const std::string& name);

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

// ---------------------------------------------------------------- folders of the operator's files

// Paths here are UTF-8 as well; the names found in them are matched against
// the CP932 names that the program writes.

// The plain files in a folder: 0, or the operator's code when the folder
// cannot be read.
int ListFolder(const std::string& folder, std::vector<Entry>& entries);

// A file's first bytes, at most limit of them: 0, or the operator's code
// when it cannot be read (held open by another program included).
int ReadHead(const std::string& path, std::size_t limit, std::string& bytes);

// The name that ListFiles shows for the file that a CP932 name makes here;
// IoError(3) when the name cannot be made.
std::string ListedName(const Text& cp932Name);

// A moment (seconds since 1970 UTC) in local time, as "yyyy/mm/dd hh:mm".
std::string LocalMinute(std::int64_t seconds);

// A new empty file of a name of its own in the folder of a UTF-8 path, for
// work that writes by name before the result takes its place; its UTF-8 path.
// Throws IoError with the code of the failure.
std::string NewTemporaryBeside(const std::string& utf8Path);

// The name parts of this run: its local start time as "YYYYMMDD-HHMMSS", and
// the process id.
std::string LocalStamp();
long ProcessId();

}  // namespace kiroku::platform
