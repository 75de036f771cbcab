// kiroku-recover: lists the journals of kiroku's runs, and rebuilds the files
// of a run from its journal with no screen, through the same logic.
#include <QCoreApplication>
#include <QDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/journal_folder.h"
#include "journal/journal_file.h"
#include "files/platform_file.h"
#include "files/text_file.h"
#include "journal/journal_replay.h"
#include "ui/cp932_codec.h"

namespace {

using kiroku::JournalReplay;
using kiroku::Text;

constexpr int kFault = 1, kUsage = 2, kPartial = 3;

const char* const kUsageText =
    "usage: kiroku-recover --list\n"
    "       kiroku-recover [JOURNAL] --out DIR [--force]\n"
    "\n"
    "  --list      one line per journal, newest first\n"
    "  JOURNAL     a number from --list, a journal's file name, or a path; the newest if left out\n"
    "  --out DIR   writes the two result files and morvane.txt into DIR, as データ保存\n"
    "              and データ登録 would have written them at the journal's last record\n"
    "  --force     replaces files of those names in DIR\n";

std::string Shown(const Text& cp932) { return kiroku::ui::codec::Decode(cp932).toStdString(); }

std::string ShownStart(const std::string& stamp) {  // YYYYMMDD-HHMMSS
  if (stamp.size() != 15) return stamp;
  return stamp.substr(0, 4) + "-" + stamp.substr(4, 2) + "-" + stamp.substr(6, 2) + " " + stamp.substr(9, 2) + ":" +
         stamp.substr(11, 2) + ":" + stamp.substr(13, 2);
}

// The journals, newest first: their names begin with the run's start time.
std::vector<std::string> Journals(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : kiroku::journal_file::List(folder)) names.push_back(e.name);
  std::sort(names.begin(), names.end(), std::greater<>());
  return names;
}

bool IsNumber(const std::string& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
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
    std::printf("no journals in %s\n", folder.c_str());
    return 0;
  }
  std::printf("journals in %s, newest first:\n", folder.c_str());
  int n = 0;
  for (const auto& name : names) {
    ++n;
    std::string bytes;
    if (!kiroku::journal_file::ReadAll(folder + "/" + name, bytes)) {
      std::printf("%3d  %s  cannot be read\n", n, name.c_str());
      continue;
    }
    const JournalReplay replay(bytes);
    const auto& s = replay.summary();
    const char* exported = !s.changed ? "nothing recorded" : s.exportedAfterLastChange ? "yes" : "no";
    const char* ended = s.endedNormally ? "normally" : "not normally (still running, killed or crashed)";
    const std::string damaged = s.stoppedAtLine ? " [damaged at line " + std::to_string(s.stoppedAtLine) + "]" : "";
    std::printf("%3d  %s  team 1: %d events  team 2: %d events  exported after last event: %s  ended: %s  %s%s\n", n,
                ShownStart(s.started).c_str(), s.events[0], s.events[1], exported, ended, name.c_str(),
                damaged.c_str());
  }
  return 0;
}

int Recover(const std::string& folder, const std::optional<std::string>& which, const QString& outFolder,
            bool force) {
  const std::string out = outFolder.toStdString();
  std::string path;
  if (!which || IsNumber(*which)) {
    const auto names = Journals(folder);
    const size_t n = which ? std::stoul(*which) : 1;
    if (names.empty()) {
      std::fprintf(stderr, "kiroku-recover: no journals in %s\n", folder.c_str());
      return kFault;
    }
    if (n < 1 || n > names.size()) {
      std::fprintf(stderr, "kiroku-recover: there is no journal number %zu (there are %zu; see --list)\n", n,
                   names.size());
      return kFault;
    }
    path = folder + "/" + names[n - 1];
  } else if (which->find_first_of("/\\") != std::string::npos) {
    path = *which;
  } else {
    const bool hasSuffix = which->size() > 8 && which->compare(which->size() - 8, 8, ".journal") == 0;
    path = folder + "/" + *which + (hasSuffix ? "" : ".journal");
  }

  std::string bytes;
  if (!kiroku::journal_file::ReadAll(path, bytes)) {
    std::fprintf(stderr, "kiroku-recover: cannot read the journal %s\n", path.c_str());
    return kFault;
  }
  JournalReplay replay(bytes);
  const auto& s = replay.summary();
  if (s.records == 0) {
    std::fprintf(stderr, "kiroku-recover: %s: %s\n", path.c_str(), s.problem.c_str());
    return kFault;
  }

  // The files are written by their names relative to DIR, as kiroku writes them in its working folder.
  if (!QDir().mkpath(outFolder) || !QDir::setCurrent(outFolder)) {
    std::fprintf(stderr, "kiroku-recover: cannot make or enter the folder %s\n", out.c_str());
    return kFault;
  }
  const Text prefix = replay.sheet().edit(21);
  const Text namePart = FileNamePart(prefix);
  if (namePart != prefix) {
    std::printf("the file-name prefix \"%s\" names a folder; the files are written into %s as \"%s...\"\n",
                Shown(prefix).c_str(), out.c_str(), Shown(namePart).c_str());
    replay.sheet().setEdit(21, namePart);
  }
  const auto names = replay.fileNames();
  try {
    if (!force) {
      std::vector<Text> taken;
      for (const auto& name : names)
        if (kiroku::platform::Exists(name)) taken.push_back(name);
      for (const auto& name : taken)
        std::fprintf(stderr, "kiroku-recover: %s/%s exists\n", out.c_str(), Shown(name).c_str());
      if (!taken.empty()) {
        std::fprintf(stderr, "kiroku-recover: nothing was written (--force replaces existing files)\n");
        return kFault;
      }
    }
    replay.writeFiles();
  } catch (const kiroku::IoError& e) {
    std::fprintf(stderr, "kiroku-recover: writing into %s failed: %s (code %d)\n", out.c_str(),
                 Shown(e.message()).c_str(), e.code());
    return kFault;
  }
  std::printf("run of %s (process %ld): %zu records replayed; team 1: %d events, team 2: %d events\n",
              ShownStart(s.started).c_str(), s.pid, s.records, s.events[0], s.events[1]);
  if (s.tornTail) std::printf("the last record was incomplete (cut off by the end of the run) and was skipped\n");
  for (const auto& name : names) std::printf("wrote %s/%s\n", out.c_str(), Shown(name).c_str());
  if (s.stoppedAtLine) {
    std::fprintf(stderr,
                 "kiroku-recover: the journal's %s: the replay stopped there, and the files hold the game up to "
                 "line %d only\n",
                 s.problem.c_str(), s.stoppedAtLine - 1);
    return kPartial;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
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
      std::fputs(kUsageText, stdout);
      return 0;
    } else if (!a.empty() && a[0] != '-' && !which) {
      which = a;
    } else {
      std::fprintf(stderr, "kiroku-recover: unexpected argument \"%s\"\n%s", a.c_str(), kUsageText);
      return kUsage;
    }
  }
  if (list && !out && !which && !force) return List(folder);
  if (!list && out) return Recover(folder, which, *out, force);
  std::fputs(kUsageText, stderr);
  return kUsage;
}
