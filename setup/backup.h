#pragma once
#include <string>

#include "setup/setup_sheet.h"

namespace kiroku {

inline constexpr const char* kBackupFileName = "morvane.txt";
inline constexpr int kBackupLines = 54;

// The place on the sheet that backup line n (1 to 54) holds.
Text BackupLine(const SetupSheet& sheet, int n);
void SetBackupLine(SetupSheet& sheet, int n, Text text);

void SaveSetupBackup(const SetupSheet& sheet, const std::string& path = kBackupFileName);
// Each line is stored as soon as it is read: a failure midway keeps what came before.
void LoadSetupBackup(SetupSheet& sheet, const std::string& path = kBackupFileName);

// The setup sheet's start-up timer: puts the start-up choice in front.
void ShowStartupChoice(ScreenPort& screens);
// The start-up choice's "OK" with the radio group's item index.
void StartupChoiceOk(int itemIndex, SetupSheet& sheet, ScreenPort& screens,
                     const std::string& path = kBackupFileName);

}  // namespace kiroku
