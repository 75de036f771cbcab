#pragma once
#include <filesystem>
#include <functional>
#include <string>

#include "files/platform_file.h"
#include "files/text_file.h"

namespace kiroku::testing {

// A fresh folder that is the working directory while the object lives.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string path() const { return path_.string(); }

 private:
  std::filesystem::path path_, previous_;
};

// Makes matching file operations fail while the object lives.
class ScopedIoFaults {
 public:
  explicit ScopedIoFaults(IoFaults faults) : faults_(std::move(faults)) { SetIoFaults(&faults_); }
  ~ScopedIoFaults() { SetIoFaults(nullptr); }

 private:
  IoFaults faults_;
};

// Makes the next attempts at a step of the platform's file layer fail with a
// platform error while the object lives.
class ScopedFaults {
 public:
  ScopedFaults(platform::Step step, int count, unsigned long error) : step_(step), faults_{count, error, 0} {
    platform::SetFaults(step_, &faults_);
  }
  ~ScopedFaults() { platform::SetFaults(step_, nullptr); }
  ScopedFaults(const ScopedFaults&) = delete;
  ScopedFaults& operator=(const ScopedFaults&) = delete;
  int attempts() const { return faults_.attempts; }

 private:
  platform::Step step_;
  platform::Faults faults_;
};

// The code of the file error that the work raises; 0 when it raises none.
int IoErrorCode(const std::function<void()>& work);

// Names in these helpers are UTF-8, as the desktop shows them on every platform.
std::filesystem::path NativePath(const std::string& utf8);
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
void MakeFolder(const std::string& path);
void MakeReadOnly(const std::string& path);  // no one may write it
// Names in the working directory (dot files included), sorted.
std::string ListDirectory(const std::string& path = ".");

}  // namespace kiroku::testing
