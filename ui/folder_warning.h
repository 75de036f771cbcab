#pragma once
#include <QString>
#include <QTimer>
#include <functional>

#include "core/text.h"

namespace kiroku::ui {

// Shows the warning about the working folder. Tests put their own box in its
// place, so that none of them waits on a modal dialog.
using WarningBox = std::function<void(const QString& caption, const QString& message)>;
void SetWarningBox(WarningBox box);  // an empty box restores the message box

// What the operator is told when saves would fail, or vanish later.
QString FolderWarningText();

// At start: when nothing can be saved in the folder, or what is saved there
// would be deleted by the system (a zip opened in place), says so before
// anything is recorded. The start-up timer is held while the box is up, so
// that nothing is shown behind it.
void WarnIfFolderKeepsNoFiles(QTimer* startup, const Text& cp932Folder = ".");

}  // namespace kiroku::ui
