#include "tests/support/temp_dir.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace kiroku::testing {

TempDir::TempDir() {
  char cwd[4096];
  if (!::getcwd(cwd, sizeof cwd)) throw std::runtime_error("getcwd");
  previous_ = cwd;
  std::string tmpl = (std::filesystem::temp_directory_path() / "kiroku-test-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp");
  path_ = tmpl;
  if (::chdir(path_.c_str()) != 0) throw std::runtime_error("chdir");
}

TempDir::~TempDir() {
  (void)::chdir(previous_.c_str());
  std::error_code ec;
  // Read-only files left by a test must not stop the clean-up.
  for (auto& e : std::filesystem::recursive_directory_iterator(path_, ec))
    std::filesystem::permissions(e.path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

int IoErrorCode(const std::function<void()>& work) {
  try {
    work();
  } catch (const IoError& e) {
    return e.code();
  }
  return 0;
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

std::string ListDirectory(const std::string& path) {
  std::vector<std::string> names;
  for (auto& e : std::filesystem::directory_iterator(path)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  std::string out;
  for (auto& n : names) out += n + "\n";
  return out;
}

}  // namespace kiroku::testing
