#pragma once
// The season of one team as an Office Open XML workbook: a sheet of 回数 per
// category (合計 first, then the categories in the screen's order), then the
// sheet "試合" listing the checked games.
#include <string>

#include "season/season.h"

namespace kiroku::season {

// Writes the workbook under a temporary name beside the target and puts it
// in the target's place only once it is complete. Throws IoError with the
// code to show; a file already there then stays as it was.
void WriteWorkbook(const std::string& utf8Path, const Season& season, const Text& team);

// Where the library is loaded by name (Linux): another name to load it by,
// as tests of a missing library do; nullptr restores its own.
void SetWorkbookLibraryName(const char* soname);

// "通算集計_" + the team's name + ".xlsx", any of \ / : * ? " < > | made "_".
Text WorkbookName(const Text& team);

}  // namespace kiroku::season
