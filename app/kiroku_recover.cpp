// kiroku-recover: lists the journals of kiroku's runs, and rebuilds the files
// of a run from its journal with no screen, through the same logic.
#include <QCoreApplication>
#include <QDir>
#include <cstdarg>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "app/journal_folder.h"
#include "core/number.h"
#include "files/cp932_codec.h"
#include "files/platform_file.h"
#include "files/text_file.h"
#include "journal/run_names.h"
#include "recovery/journal_replay.h"
#include "recovery/unsaved_run.h"

namespace {

using kiroku::JournalReplay;
using kiroku::Text;

// The one contract of the exit status, as the README states it.
constexpr int kWritten = 0, kFault = 1, kUsage = 2, kPartial = 3, kSomeWritten = 4;

const char* const kUsageText =
    "usage: kiroku-recover --list\n"
    "       kiroku-recover [JOURNAL] --out DIR [--force]\n"
    "       kiroku-recover --version\n"
    "\n"
    "  --list      one line per journal, newest first\n"
    "  JOURNAL     a number from --list, a journal's file name, or a path; if left out, the\n"
    "              newest run with events not saved by データ保存, as kiroku would offer it\n"
    "  --out DIR   writes the two result files and morvane.txt into DIR, as データ保存\n"
    "              and データ登録 would have written them at the journal's last record\n"
    "  --force     replaces files of those names in DIR (never through a symbolic link)\n"
    "  --version   the version and the licence\n"
    "\n"
    "exit status: 0 written or listed; 1 a fault, nothing written; 2 wrong arguments;\n"
    "3 written, but only up to a damaged line of the journal; 4 a fault after some of\n"
    "the files were written, which the message names\n";

// Text for the operator, UTF-8 within the program. A Windows console is
// given UTF-16, and anything else there the system's code page (CP932).
void Put(FILE* stream, const std::string& utf8) {
  std::fflush(stream);
#ifdef _WIN32
  const HANDLE h = ::GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  const int size = static_cast<int>(utf8.size());
  const int n = utf8.empty() ? 0 : ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  if (n > 0) ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), n);
  if (h != INVALID_HANDLE_VALUE && h != nullptr && ::GetConsoleMode(h, &mode)) {
    DWORD written = 0;
    ::WriteConsoleW(h, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  const int m = n > 0 ? ::WideCharToMultiByte(932, 0, wide.data(), n, nullptr, 0, nullptr, nullptr) : 0;
  std::string bytes(static_cast<std::size_t>(m), '\0');
  if (m > 0) ::WideCharToMultiByte(932, 0, wide.data(), n, bytes.data(), m, nullptr, nullptr);
  if (m <= 0) bytes = utf8;  // a system without the code page still gets the message
  std::fwrite(bytes.data(), 1, bytes.size(), stream);
#else
  std::fwrite(utf8.data(), 1, utf8.size(), stream);
#endif
  std::fflush(stream);
}

[[gnu::format(printf, 2, 3)]] void Say(FILE* stream, const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
  if (n > 0) std::vsnprintf(text.data(), text.size() + 1, format, again);
  va_end(again);
  Put(stream, text);
}

std::string Shown(const Text& cp932) { return kiroku::codec::Utf8(kiroku::codec::Decode(cp932)); }

std::string ShownStart(const std::string& text) {
  kiroku::run_names::Stamp s;
  if (!kiroku::run_names::ParseStamp(text, s)) return text;
  char shown[32];
  std::snprintf(shown, sizeof shown, "%04d-%02d-%02d %02d:%02d:%02d", s.year, s.month, s.day, s.hour, s.minute,
                s.second);
  return shown;
}

// The journals, newest first by the count in their names, as kiroku
// orders them.
std::vector<std::string> Journals(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : kiroku::run_names::Journals(kiroku::platform::ListFiles(folder))) names.push_back(e.name);
  return names;
}

// The part of a file-name prefix after its last folder separator, read as
// CP932 so that a second byte that looks like a backslash is not taken for one.
Text FileNamePart(const Text& prefix) {
  size_t start = 0;
  for (size_t i = 0, n = 1; i < prefix.size(); i += n) {
    n = kiroku::cp932::CharLength(prefix, i);
    if (n == 2) continue;
    const char c = prefix[i];
#ifdef _WIN32
    if (c == '\\' || c == ':') start = i + 1;
#endif
    if (c == '/') start = i + 1;
  }
  return prefix.substr(start);
}

int List(const std::string& folder) {
  const auto names = Journals(folder);
  if (names.empty()) {
    Say(stdout, "no journals in %s\n", folder.c_str());
    return kWritten;
  }
  Say(stdout, "journals in %s, newest first:\n", folder.c_str());
  int n = 0;
  for (const auto& name : names) {
    ++n;
    std::string bytes;
    if (!kiroku::platform::ReadAll(folder + "/" + name, bytes)) {
      Say(stdout, "%3d  %s  cannot be read\n", n, name.c_str());
      continue;
    }
    const JournalReplay replay(bytes);
    const auto& s = replay.summary();
    const char* exported = !s.changed ? "nothing recorded" : s.exportedAfterLastChange ? "yes" : "no";
    const char* ended = s.endedNormally ? "normally" : "not normally (still running, killed or crashed)";
    const std::string damaged = s.stoppedAtLine ? " [damaged at line " + std::to_string(s.stoppedAtLine) + "]" : "";
    Say(stdout, "%3d  %s  team 1: %d events  team 2: %d events  exported after last event: %s  ended: %s  %s%s\n", n,
        ShownStart(s.started).c_str(), s.events[0], s.events[1], exported, ended, name.c_str(), damaged.c_str());
  }
  return kWritten;
}

// The journal's path for JOURNAL, or empty after saying why there is none.
std::string ChosenJournal(const std::string& folder, const std::optional<std::string>& which) {
  if (!which) {
    if (const auto run = kiroku::FindUnsavedRun(folder)) return run->path;
    Say(stderr,
        "kiroku-recover: no run in %s has events that データ保存 did not save; name the journal to rebuild "
        "(its number or name from kiroku-recover --list)\n",
        folder.c_str());
    return {};
  }
  if (kiroku::IsDigits(*which)) {
    const auto names = Journals(folder);
    std::size_t n = 0;
    if (which->size() > 9 || !kiroku::ParseNumber(*which, n)) n = 0;
    if (n < 1 || n > names.size()) {
      Say(stderr, "kiroku-recover: there is no journal number %s (there are %s; see --list)\n", which->c_str(),
          std::to_string(names.size()).c_str());
      return {};
    }
    return folder + "/" + names[n - 1];
  }
  if (which->find_first_of("/\\") != std::string::npos) return *which;
  const bool hasSuffix = !kiroku::run_names::Base(*which).empty();
  return folder + "/" + *which + (hasSuffix ? "" : std::string(kiroku::run_names::kJournalSuffix));
}

bool IsLink(const Text& name) {
  std::error_code error;
  return std::filesystem::is_symlink(
      std::filesystem::symlink_status(std::filesystem::path(kiroku::platform::ToNativeName(name)), error));
}

int Recover(const std::string& folder, const std::optional<std::string>& which, const QString& outFolder,
            bool force) {
  const std::string out = outFolder.toStdString();
  const std::string path = ChosenJournal(folder, which);
  if (path.empty()) return kFault;

  std::string bytes;
  if (!kiroku::platform::ReadAll(path, bytes)) {
    Say(stderr, "kiroku-recover: cannot read the journal %s\n", path.c_str());
    return kFault;
  }
  JournalReplay replay(bytes);
  const auto& s = replay.summary();
  if (s.records == 0) {
    Say(stderr, "kiroku-recover: %s: %s\n", path.c_str(), s.problem.c_str());
    return kFault;
  }
  // The damage is told first: it holds whatever happens to DIR.
  if (s.stoppedAtLine)
    Say(stderr, "kiroku-recover: the journal's %s: the replay stops there, and the files hold the game up to line %d only\n",
        s.problem.c_str(), s.stoppedAtLine - 1);

  // The files are written by their names relative to DIR, as kiroku writes them in its working folder.
  if (!QDir().mkpath(outFolder) || !QDir::setCurrent(outFolder)) {
    Say(stderr, "kiroku-recover: cannot make or enter the folder %s\n", out.c_str());
    return kFault;
  }
  const Text prefix = replay.sheet().edit(21);
  const Text namePart = FileNamePart(prefix);
  if (namePart != prefix) {
    Say(stdout, "the file-name prefix \"%s\" names a folder; the files are written into %s as \"%s...\"\n",
        Shown(prefix).c_str(), out.c_str(), Shown(namePart).c_str());
    replay.sheet().setEdit(21, namePart);
  }
  const auto names = replay.fileNames();
  std::size_t written = 0;
  try {
    std::vector<Text> taken, links;
    for (const auto& name : names) {
      if (IsLink(name))
        links.push_back(name);
      else if (!force && kiroku::platform::Exists(name))
        taken.push_back(name);
    }
    for (const auto& name : links)
      Say(stderr, "kiroku-recover: %s/%s is a symbolic link; it is not written through\n", out.c_str(),
          Shown(name).c_str());
    for (const auto& name : taken) Say(stderr, "kiroku-recover: %s/%s exists\n", out.c_str(), Shown(name).c_str());
    if (!links.empty() || !taken.empty()) {
      Say(stderr, "kiroku-recover: nothing was written%s\n",
          taken.empty() ? "" : " (--force replaces existing files)");
      return kFault;
    }
    replay.writeFiles(&written);
  } catch (const kiroku::IoError& e) {
    Say(stderr, "kiroku-recover: writing into %s failed: %s (code %d)\n", out.c_str(), Shown(e.message()).c_str(),
        e.code());
    if (written == 0) return kFault;
    for (std::size_t i = 0; i < written; ++i)
      Say(stderr, "kiroku-recover: %s/%s was written before the failure\n", out.c_str(), Shown(names[i]).c_str());
    for (std::size_t i = written; i < names.size(); ++i)
      Say(stderr, "kiroku-recover: %s/%s was not written\n", out.c_str(), Shown(names[i]).c_str());
    return kSomeWritten;
  }
  Say(stdout, "run of %s (process %ld): %s records replayed; team 1: %d events, team 2: %d events\n",
      ShownStart(s.started).c_str(), s.pid, std::to_string(s.records).c_str(), s.events[0], s.events[1]);
  if (s.tornTail) Say(stdout, "the last record was incomplete (cut off by the end of the run) and was skipped\n");
  for (const auto& name : names) Say(stdout, "wrote %s/%s\n", out.c_str(), Shown(name).c_str());
  return s.stoppedAtLine ? kPartial : kWritten;
}

int Run() {
  const std::string folder = JournalFolder();
  bool list = false, force = false;
  std::optional<std::string> which;
  std::optional<QString> out;
  const auto args = QCoreApplication::arguments();
  for (qsizetype i = 1; i < args.size(); ++i) {
    const std::string a = args[i].toUtf8().toStdString();
    if (a == "--list") {
      list = true;
    } else if (a == "--force") {
      force = true;
    } else if (a == "--out" && i + 1 < args.size()) {
      out = args[++i];
    } else if (a == "--help" || a == "-h") {
      Put(stdout, kUsageText);
      return kWritten;
    } else if (a == "--version") {
      Put(stdout, "kiroku-recover " KIROKU_VERSION "\n"
                  "kiroku is free software under the GNU General Public License, version 3 or later.\n");
      return kWritten;
    } else if (!a.empty() && a[0] != '-' && !which) {
      which = a;
    } else {
      Say(stderr, "kiroku-recover: unexpected argument \"%s\"\n%s", a.c_str(), kUsageText);
      return kUsage;
    }
  }
  // Without the converter every name and text would come out wrong.
  if ((list || out) && !kiroku::codec::Available()) {
    Put(stderr, "kiroku-recover: this system cannot convert the code page CP932 (its converter is missing), so no "
                "journal can be read; nothing was written\n");
    return kFault;
  }
  if (list && !out && !which && !force) return List(folder);
  if (!list && out) return Recover(folder, which, *out, force);
  Put(stderr, kUsageText);
  return kUsage;
}

}  // namespace

int main(int argc, char** argv) {
  // Every fault is a message, whatever it is: a journal too big for memory too.
  try {
    QCoreApplication app(argc, argv);
    return Run();
  } catch (const std::bad_alloc&) {
    Put(stderr, "kiroku-recover: not enough memory (is the journal that big?)\n");
  } catch (const std::exception& e) {
    Say(stderr, "kiroku-recover: %s\n", e.what());
  } catch (...) {
    Put(stderr, "kiroku-recover: an unexpected fault\n");
  }
  return kFault;
}
