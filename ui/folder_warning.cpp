#include "ui/folder_warning.h"

#include <QApplication>
#include <QMessageBox>

#include "files/platform_file.h"
#include "files/text_file.h"

namespace kiroku::ui {

namespace {
WarningBox g_warningBox;

void MessageBoxWarning(const QString& caption, const QString& message) {
  QMessageBox box(QMessageBox::Warning, caption, message, QMessageBox::Ok, QApplication::activeWindow());
  box.exec();
}

bool FolderKeepsNoFiles(const Text& folder) {
  try {
    return !platform::CanCreateFilesIn(folder) || platform::IsInTemporaryFolder(folder);
  } catch (const IoError&) {
    return false;  // a name it cannot even check: the saves will say what is wrong
  }
}
}  // namespace

void SetWarningBox(WarningBox box) { g_warningBox = std::move(box); }

QString FolderWarningText() {
#ifdef _WIN32
  return QStringLiteral(
      "このフォルダーには記録を保存できません（zip の中から起動したときは、保存したファイルが後で消えてしまいます）。"
      "kiroku.exe を書き込みのできるフォルダーにコピーしてから起動してください。");
#else
  return QStringLiteral("このフォルダーには記録を保存できません。書き込みのできるフォルダーで kiroku を起動してください。");
#endif
}

void WarnIfFolderKeepsNoFiles(QTimer* startup, const Text& cp932Folder) {
  if (!FolderKeepsNoFiles(cp932Folder)) return;
  const bool ticking = startup && startup->isActive();
  if (ticking) startup->stop();
  const QString caption = QApplication::applicationName();
  if (g_warningBox)
    g_warningBox(caption, FolderWarningText());
  else
    MessageBoxWarning(caption, FolderWarningText());
  if (ticking) startup->start();
}

}  // namespace kiroku::ui
