#include "ui/folder_warning.h"

#include "files/platform_file.h"
#include "files/text_file.h"
#include "ui/screens.h"

namespace kiroku::ui {

namespace {
bool FolderKeepsNoFiles(const Text& folder) {
  try {
    return !platform::CanCreateFilesIn(folder) || platform::IsInTemporaryFolder(folder);
  } catch (const IoError&) {
    return false;  // a name it cannot even check: the saves will say what is wrong
  }
}
}  // namespace

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
  WarnAndWait(FolderWarningText());
  if (ticking) startup->start();
}

}  // namespace kiroku::ui
