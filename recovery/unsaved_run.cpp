#include "recovery/unsaved_run.h"

#include <algorithm>
#include <set>

#include "journal/journal.h"
#include "files/platform_file.h"
#include "journal/run_names.h"
#include "recovery/journal_replay.h"

namespace kiroku {

namespace {

enum class Tail { Unsaved, Saved };

bool IsChange(std::string_view kind) {
  return kind == record::kPlayer || kind == record::kItem2 || kind == record::kItem3 || kind == record::kFix1 ||
         kind == record::kFix2 || kind == record::kFix3;
}

// Reads a journal backwards from its end, a small piece at a time, up to the
// newest record that decides: an event or a correction (unsaved), a
// successful データ保存 or the header (saved, or nothing to save). Most
// journals are decided by their last few lines.
Tail ReadTail(const std::string& path, std::int64_t size) {
  constexpr std::int64_t kPiece = 4096;
  constexpr std::size_t kLongestLine = 1 << 20;
  std::string buf;  // from the piece's start up to the lines not yet read
  std::int64_t from = size;
  bool atEnd = true;
  while (from > 0) {
    const std::int64_t start = std::max<std::int64_t>(0, from - kPiece);
    std::string piece;
    if (!platform::ReadRange(path, start, static_cast<std::size_t>(from - start), piece)) return Tail::Saved;
    buf = piece + buf;
    from = start;
    if (atEnd) {  // a last line without its LF was cut short: it never happened
      atEnd = false;
      buf.erase(buf.find_last_of('\n') == std::string::npos ? 0 : buf.find_last_of('\n') + 1);
      if (buf.empty() && from > 0) {
        atEnd = true;
        continue;
      }
    }
    while (!buf.empty()) {
      const auto begin = buf.size() < 2 ? std::string::npos : buf.rfind('\n', buf.size() - 2);
      if (begin == std::string::npos && from > 0) break;  // the line began in the piece before
      const std::size_t lineStart = begin == std::string::npos ? 0 : begin + 1;
      JournalRecord r;
      if (ParseJournalLine(std::string_view(buf).substr(lineStart, buf.size() - 1 - lineStart), r)) {
        if (IsChange(r.kind)) return Tail::Unsaved;
        if (r.kind == record::kHeader) return Tail::Saved;
        if (r.kind == record::kSave && r.fields.size() == 1 && r.fields[0] == "0") return Tail::Saved;
      }
      buf.erase(lineStart);
    }
    if (buf.size() > kLongestLine) return Tail::Saved;  // not a journal's line
  }
  return Tail::Saved;
}

std::string AnsweredMark(const std::string& folder, const std::string& name) {
  return folder + "/" + name + std::string(run_names::kAnsweredSuffix);
}

std::string FileName(const std::string& path) {
  const auto sep = path.find_last_of("/\\");
  return sep == std::string::npos ? path : path.substr(sep + 1);
}

}  // namespace

std::optional<UnsavedRun> FindUnsavedRun(const std::string& folder, const std::string& ownPath) {
  const auto files = platform::ListFiles(folder);
  std::set<std::string_view> answered;  // each by a mark of its own
  std::string_view uncounted;  // the newest mark of a run named before the count
  for (const auto& e : files)
    if (const auto base = run_names::Base(e.name, run_names::kAnsweredSuffix); !base.empty()) {
      answered.insert(base);
      if (run_names::Parse(base).sequence == 0 && (uncounted.empty() || run_names::Newer(base, uncounted)))
        uncounted = base;
    }
  const std::string own = FileName(ownPath);
  for (const auto& e : run_names::Journals(files)) {
    const std::string name(run_names::Base(e.name));
    if (answered.contains(name) || e.name == own) continue;
    if (!uncounted.empty() && run_names::Parse(name).sequence == 0 && !run_names::Newer(name, uncounted)) break;
    const std::string path = folder + "/" + e.name;
    if (ReadTail(path, e.size) != Tail::Unsaved || platform::HeldOpen(path)) continue;
    // Taken, not only looked at: two kiroku started at once never both offer it.
    std::shared_ptr<platform::HeldFile> hold = platform::Hold(path);
    if (!hold) continue;
    std::string bytes;
    if (!platform::ReadAll(path, bytes)) continue;
    JournalReplay replay(bytes);
    UnsavedRun run;
    run.path = path;
    run.name = name;
    run.started = replay.summary().started.empty() ? run_names::Parse(name).stamp : replay.summary().started;
    run.team1 = replay.sheet().StringGrid1.cell(1, 1);
    run.team2 = replay.sheet().StringGrid1.cell(3, 1);
    run.events[0] = replay.summary().events[0];
    run.events[1] = replay.summary().events[1];
    run.hold = std::move(hold);
    return run;
  }
  return std::nullopt;
}

bool RetireRun(const std::string& folder, const UnsavedRun& run) {
  bool exists = false;
  const auto mark = platform::CreateNew(AnsweredMark(folder, run.name), exists);
  return mark ? mark->sync() : exists;
}

}  // namespace kiroku
