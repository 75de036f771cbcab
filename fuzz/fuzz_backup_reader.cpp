// Feeds arbitrary bytes to the backup reader as "morvane.txt" and checks that
// every place gets exactly its line: cut at LF, a CR before it dropped, empty
// past the end, nothing after line 54.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>

#include "files/text_file.h"
#include "setup/backup.h"

namespace {

struct NullScreens : kiroku::ScreenPort {
  void showForm(kiroku::Form) override {}
  void closeForm(kiroku::Form) override {}
  void setButtonEnabled(kiroku::Form, int, bool) override {}
  void setButtonVisible(kiroku::Form, int, bool) override {}
  void setButtonCaption(kiroku::Form, int, const kiroku::Text&) override {}
  void setPanelCaption(kiroku::Form, int, const kiroku::Text&) override {}
  kiroku::Text panelCaption(kiroku::Form, int) const override { return {}; }
  void setTimerEnabled(kiroku::Form, int, bool) override {}
};

const std::string& Folder() {
  static const std::string folder = [] {
    char tmpl[] = "/tmp/kiroku-fuzz-XXXXXX";
    if (!::mkdtemp(tmpl)) std::abort();
    return std::string(tmpl);
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string path = Folder() + "/morvane.txt";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);

  NullScreens screens;
  kiroku::Recording rec(screens);
  kiroku::SetupSheet sheet;
  kiroku::CreateSetupSheet(sheet, rec);
  kiroku::LoadSetupBackup(sheet, path);  // a regular file: must not fail

  size_t pos = 0;
  for (int n = 1; n <= kiroku::kBackupLines; ++n) {
    std::string expected;
    if (pos < bytes.size()) {
      const size_t lf = bytes.find('\n', pos);
      const size_t end = lf == std::string::npos ? bytes.size() : lf;
      expected = bytes.substr(pos, end - pos);
      if (lf != std::string::npos && !expected.empty() && expected.back() == '\r') expected.pop_back();
      pos = lf == std::string::npos ? bytes.size() : lf + 1;
    }
    if (kiroku::BackupLine(sheet, n) != expected) std::abort();
  }
  return 0;
}
