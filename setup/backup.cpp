#include "setup/backup.h"

#include "files/record_result.h"
#include "files/text_file.h"

namespace kiroku {

// Lines 1-17 team 1 (name, players), 18-34 team 2, 35-44 item 2, 45-54 item 3.
Text BackupLine(const SetupSheet& sheet, int n) {
  if (n <= 17) return sheet.StringGrid1.cell(1, n);
  if (n <= 34) return sheet.StringGrid1.cell(3, n - 17);
  return sheet.edit(n - 34);
}

void SetBackupLine(SetupSheet& sheet, int n, Text text) {
  if (n <= 17)
    sheet.StringGrid1.setCell(1, n, std::move(text));
  else if (n <= 34)
    sheet.StringGrid1.setCell(3, n - 17, std::move(text));
  else
    sheet.setEdit(n - 34, std::move(text));
}

void SaveSetupBackup(const SetupSheet& sheet, const std::string& path) {
  RecordResult(sheet.journal(), record::kRegister, [&] {
    TextFileWriter file(path);
    for (int n = 1; n <= kBackupLines; ++n) file.writeLine(BackupLine(sheet, n));
    file.commit();
  });
}

void LoadSetupBackup(SetupSheet& sheet, const std::string& path) {
  TextFileReader file(path);
  for (int n = 1; n <= kBackupLines; ++n) SetBackupLine(sheet, n, file.readLine());
  file.close();
}

void ShowStartupChoice(ScreenPort& screens) {
  screens.setTimerEnabled(Form::Form1, 1, false);
  screens.setTimerEnabled(Form::Form5, 1, true);
  screens.showForm(Form::Form5);
}

void StartupChoiceOk(int itemIndex, SetupSheet& sheet, ScreenPort& screens, const std::string& path) {
  if (itemIndex == 0) {
    screens.showForm(Form::Form1);
    screens.closeForm(Form::Form5);
  } else if (itemIndex == 1) {
    // What it loads is recorded cell by cell and field by field as it is stored.
    RecordResult(sheet.journal(), record::kBackup, [&] { LoadSetupBackup(sheet, path); });
    screens.showForm(Form::Form1);
    screens.closeForm(Form::Form5);
  }
}

}  // namespace kiroku
