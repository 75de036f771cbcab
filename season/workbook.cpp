#include "season/workbook.h"

#include <xlsxwriter.h>

#ifdef KIROKU_XLSXWRITER_SONAME
#include <dlfcn.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "core/number.h"
#include "files/cp932_codec.h"
#include "files/platform_file.h"
#include "files/text_file.h"

namespace kiroku::season {

namespace {

constexpr std::string_view kGamesSheet = "\x8e\x8e\x8d\x87";  // 試合
constexpr std::string_view kGamesHeader[] = {
    "\x93\xfa\x95\x74",                  // 日付
    "\x83\x74\x83\x40\x83\x43\x83\x8b",  // ファイル
    "\x83\x60\x81\x5b\x83\x80\x31",      // チーム1
    "\x83\x60\x81\x5b\x83\x80\x32",      // チーム2
};
constexpr std::size_t kSheetNameMax = 31;

// The library's calls, looked up when the first workbook is written: on
// Linux the shared library brings a cryptography library along that would
// cost every start; the one linked into kiroku.exe costs nothing.
#define KIROKU_LXW_CALLS(X)                                                                                  \
  X(workbook_new_opt) X(workbook_add_format) X(workbook_add_worksheet) X(workbook_close) X(format_set_bold) \
  X(format_set_num_format) X(worksheet_freeze_panes) X(worksheet_set_column) X(worksheet_write_datetime)    \
  X(worksheet_write_number) X(worksheet_write_string)

struct Lxw {
#define KIROKU_LXW_MEMBER(name) decltype(&::name) name = nullptr;
  KIROKU_LXW_CALLS(KIROKU_LXW_MEMBER)
#undef KIROKU_LXW_MEMBER
};

#ifdef KIROKU_XLSXWRITER_SONAME
std::string g_soname = KIROKU_XLSXWRITER_SONAME;
#endif
const Lxw* g_loaded = nullptr;  // workbooks are written on the screen thread alone

const Lxw* Load() {
  static Lxw calls;
#ifdef KIROKU_XLSXWRITER_SONAME
  void* library = ::dlopen(g_soname.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) return nullptr;
#define KIROKU_LXW_FIND(name)                                                  \
  calls.name = reinterpret_cast<decltype(&::name)>(::dlsym(library, #name)); \
  if (!calls.name) return ::dlclose(library), nullptr;
#else
#define KIROKU_LXW_FIND(name) calls.name = &::name;
#endif
  KIROKU_LXW_CALLS(KIROKU_LXW_FIND)
#undef KIROKU_LXW_FIND
  return &calls;
}

// Tried again at each workbook until it loads.
const Lxw& Library() {
  if (!g_loaded) g_loaded = Load();
  if (!g_loaded) throw IoError(126);  // ERROR_MOD_NOT_FOUND
  return *g_loaded;
}

// The workbook's text is UTF-8, read from CP932 as the screens read it.
std::string Utf8(std::string_view cp932) { return codec::Utf8(codec::Decode(cp932)); }

// A text as characters (a surrogate pair is one).
std::vector<std::u16string> Characters(const std::u16string& s) {
  std::vector<std::u16string> out;
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t n = s[i] >= 0xD800 && s[i] < 0xDC00 && i + 1 < s.size() ? 2 : 1;
    out.push_back(s.substr(i, n));
    i += n;
  }
  return out;
}

std::u16string Join(const std::vector<std::u16string>& chars, std::size_t count) {
  std::u16string out;
  for (std::size_t i = 0; i < count && i < chars.size(); ++i) out += chars[i];
  return out;
}

// Upper and lower case as one, for the scripts that have both.
std::u16string Folded(std::u16string s) {
  for (auto& c : s) {
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3A9) ||
        (c >= 0x410 && c <= 0x42F))
      c = static_cast<char16_t>(c + 0x20);
    else if (c >= 0xFF21 && c <= 0xFF3A)  // full-width Latin
      c = static_cast<char16_t>(c + 0x20);
    else if (c >= 0x400 && c <= 0x40F)
      c = static_cast<char16_t>(c + 0x50);
  }
  return s;
}

// Sheet names in order: the characters a sheet name cannot hold made "_",
// cut to 31 characters, a repeat (case ignored) numbered within those 31.
class SheetNames {
 public:
  std::string next(std::string_view cp932) {
    std::u16string name = codec::Decode(cp932);
    for (auto& c : name)
      if (c == u'[' || c == u']' || c == u':' || c == u'*' || c == u'?' || c == u'/' || c == u'\\') c = u'_';
    // A name may neither begin nor end with an apostrophe.
    if (!name.empty() && name.front() == u'\'') name.front() = u'_';
    if (!name.empty() && name.back() == u'\'') name.back() = u'_';
    const auto chars = Characters(name);
    std::u16string candidate = Join(chars, kSheetNameMax);
    for (int n = 2; taken(candidate); ++n) {
      const std::string suffix = " (" + std::to_string(n) + ")";
      candidate = Join(chars, kSheetNameMax - suffix.size()) + std::u16string(suffix.begin(), suffix.end());
    }
    used_.push_back(Folded(candidate));
    return codec::Utf8(candidate);
  }

 private:
  bool taken(const std::u16string& name) const {
    return std::find(used_.begin(), used_.end(), Folded(name)) != used_.end();
  }
  std::vector<std::u16string> used_;
};

// A column's width in the sheet's character widths: two for a character of
// two bytes, and room either side.
double Width(std::string_view cp932) {
  std::size_t w = 0;
  for (std::size_t i = 0; i < cp932.size();) {
    const std::size_t n = cp932::CharLength(cp932, i);
    w += n;
    i += n;
  }
  return static_cast<double>(w) + 2;
}

class Columns {
 public:
  void fit(std::size_t col, std::string_view text) {
    if (col >= widths_.size()) widths_.resize(col + 1, 0);
    widths_[col] = std::max(widths_[col], Width(text));
  }
  void apply(lxw_worksheet* sheet) const {
    for (std::size_t c = 0; c < widths_.size(); ++c)
      Library().worksheet_set_column(sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c), widths_[c], nullptr);
  }

 private:
  std::vector<double> widths_;
};

// A failure of the library: its own file work, or memory.
[[noreturn]] void Fail(lxw_error err) {
  throw IoError(err == LXW_ERROR_MEMORY_MALLOC_FAILED ? 8 : 29);  // ERROR_NOT_ENOUGH_MEMORY, ERROR_WRITE_FAULT
}

void Check(lxw_error err) {
  if (err != LXW_NO_ERROR) Fail(err);
}

void WriteTable(lxw_worksheet* sheet, const Season::Table& table, lxw_format* bold) {
  Columns columns;
  for (std::size_t r = 0; r < table.size(); ++r) {
    const auto row = static_cast<lxw_row_t>(r);
    for (std::size_t c = 0; c < table[r].size(); ++c) {
      const auto col = static_cast<lxw_col_t>(c);
      const Text& cell = table[r][c];
      columns.fit(c, cell);
      std::int64_t number = 0;
      if (r > 0 && c > 0 && ParseNumber(cell, number))
        Check(Library().worksheet_write_number(sheet, row, col, static_cast<double>(number), nullptr));
      else
        Check(Library().worksheet_write_string(sheet, row, col, Utf8(cell).c_str(), r == 0 ? bold : nullptr));
    }
  }
  columns.apply(sheet);
  Library().worksheet_freeze_panes(sheet, 1, 1);
}

void WriteGames(lxw_worksheet* sheet, const Season& season, lxw_format* bold, lxw_format* date) {
  Columns columns;
  for (std::size_t c = 0; c < std::size(kGamesHeader); ++c) {
    Check(Library().worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(c), Utf8(kGamesHeader[c]).c_str(), bold));
    columns.fit(c, kGamesHeader[c]);
  }
  lxw_row_t row = 1;
  for (const Game* g : season.games()) {
    lxw_datetime when{};
    if (std::sscanf(g->stamp.c_str(), "%d/%d/%d %d:%d", &when.year, &when.month, &when.day, &when.hour,
                    &when.min) == 5)
      Check(Library().worksheet_write_datetime(sheet, row, 0, &when, date));
    else
      Check(Library().worksheet_write_string(sheet, row, 0, Utf8(g->stamp).c_str(), nullptr));
    columns.fit(0, g->stamp);
    const Text* cells[] = {&g->prefix, &g->teams[0], &g->teams[1]};
    for (std::size_t c = 0; c < std::size(cells); ++c) {
      const auto col = static_cast<lxw_col_t>(c + 1);
      Check(Library().worksheet_write_string(sheet, row, col, Utf8(*cells[c]).c_str(), nullptr));
      columns.fit(c + 1, *cells[c]);
    }
    ++row;
  }
  columns.apply(sheet);
  Library().worksheet_freeze_panes(sheet, 1, 0);
}

// The library writes by name: a file of its own beside the target, gone
// again however this ends.
class Scratch {
 public:
  explicit Scratch(const std::string& beside) : path_(platform::NewTemporaryBeside(beside)) {}
  ~Scratch() { platform::Remove(path_); }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

class Workbook {
 public:
  explicit Workbook(const std::string& utf8Path) {
    // The library takes UTF-8 names on every platform (on Windows through
    // the patch it is built with), so any name the folder can hold works.
    const std::string& path = utf8Path;
    // Its own scratch files go beside the workbook too, where writing is known to work.
    const auto slash = utf8Path.find_last_of("/\\");
    // "/" and "C:\\" keep their separator.
    const bool root = slash == 0 || (slash != std::string::npos && utf8Path[slash - 1] == ':');
    tmpdir_ = slash == std::string::npos ? std::string(".") : utf8Path.substr(0, root ? slash + 1 : slash);
    lxw_workbook_options options{};
    options.tmpdir = tmpdir_.data();
    wb_ = Library().workbook_new_opt(path.c_str(), &options);
    if (!wb_) throw IoError(29);
  }
  ~Workbook() {
    if (wb_) Library().workbook_close(wb_);
  }
  Workbook(const Workbook&) = delete;
  Workbook& operator=(const Workbook&) = delete;
  lxw_workbook* get() const { return wb_; }
  lxw_worksheet* sheet(const std::string& name) {
    lxw_worksheet* s = Library().workbook_add_worksheet(wb_, name.c_str());
    if (!s) throw IoError(29);
    return s;
  }
  void close() {
    lxw_workbook* wb = wb_;
    wb_ = nullptr;
    Check(Library().workbook_close(wb));
  }

 private:
  std::string tmpdir_;  // the library keeps the pointer
  lxw_workbook* wb_ = nullptr;
};

}  // namespace

void WriteWorkbook(const std::string& utf8Path, const Season& season, const Text& team) {
  Library();  // a library that cannot be loaded is told before any file is touched
  // Opened first, so that a missing folder or a file that may not be
  // replaced is told before any work.
  platform::ReplacingFile target(platform::ReplacingFile::Utf8Path{utf8Path});
  std::string bytes;
  {
    Scratch scratch(utf8Path);
    {
      Workbook wb(scratch.path());
      lxw_format* bold = Library().workbook_add_format(wb.get());
      Library().format_set_bold(bold);
      lxw_format* date = Library().workbook_add_format(wb.get());
      Library().format_set_num_format(date, "yyyy/mm/dd hh:mm");
      SheetNames names;
      std::vector<std::optional<Text>> categories{std::nullopt};
      for (auto& c : season.categories(team)) categories.emplace_back(std::move(c));
      for (const auto& category : categories)
        WriteTable(wb.sheet(names.next(category ? *category : Text(cp932::kTotal))),
                   season.table(team, category, View::Counts), bold);
      WriteGames(wb.sheet(names.next(kGamesSheet)), season, bold, date);
      wb.close();
    }
    if (!platform::ReadAll(scratch.path(), bytes)) throw IoError(30);  // ERROR_READ_FAULT
  }
  target.write(bytes.data(), bytes.size());
  target.commit();
}

void SetWorkbookLibraryName(const char* soname) {
#ifdef KIROKU_XLSXWRITER_SONAME
  g_soname = soname ? soname : KIROKU_XLSXWRITER_SONAME;
  g_loaded = nullptr;
#else
  (void)soname;
#endif
}

Text WorkbookName(const Text& team) {
  Text name = "\x92\xca\x8e\x5a\x8f\x57\x8c\x76_";  // 通算集計_
  // Character by character: a trail byte may be any of these and is kept.
  for (std::size_t i = 0; i < team.size();) {
    const std::size_t n = cp932::CharLength(team, i);
    if (n == 1 && std::strchr("\\/:*?\"<>|", team[i]) && team[i] != '\0')
      name += '_';
    else
      name.append(team, i, n);
    i += n;
  }
  return name + ".xlsx";
}

}  // namespace kiroku::season
