#include "tests/support/temp_dir.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace kiroku::testing {

std::filesystem::path NativePath(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

namespace {
std::string Utf8Of(const std::filesystem::path& path) {
  const std::u8string name = path.u8string();
  return std::string(name.begin(), name.end());
}
}  // namespace

TempDir::TempDir() {
  previous_ = std::filesystem::current_path();
  std::random_device random;
  const auto base = std::filesystem::temp_directory_path();
  for (int attempt = 0;; ++attempt) {
    path_ = base / ("kiroku-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(path_)) break;
    if (attempt > 100) throw std::runtime_error("no temporary folder");
  }
  std::filesystem::current_path(path_);
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::current_path(previous_, ec);
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
  std::ifstream in(NativePath(path), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(NativePath(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(NativePath(path), ec);
}

void MakeFolder(const std::string& path) { std::filesystem::create_directory(NativePath(path)); }

void MakeReadOnly(const std::string& path) {
  using std::filesystem::perms;
  std::filesystem::permissions(NativePath(path), perms::owner_write | perms::group_write | perms::others_write,
                               std::filesystem::perm_options::remove);
}

std::string ListDirectory(const std::string& path) {
  std::vector<std::string> names;
  for (auto& e : std::filesystem::directory_iterator(NativePath(path))) names.push_back(Utf8Of(e.path().filename()));
  std::sort(names.begin(), names.end());
  std::string out;
  for (auto& n : names) out += n + "\n";
  return out;
}

}  // namespace kiroku::testing
