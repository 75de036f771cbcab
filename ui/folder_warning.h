#pragma once
#include <QString>
#include <QTimer>

#include "core/text.h"

namespace kiroku::ui {

// What the operator is told when saves would fail, or vanish later.
QString FolderWarningText();

// At start (through the screens' warning box, which tests replace): when nothing can be saved in the folder, or what is saved there
// would be deleted by the system (a zip opened in place), says so before
// anything is recorded. The start-up timer is held while the box is up, so
// that nothing is shown behind it.
void WarnIfFolderKeepsNoFiles(QTimer* startup, const Text& cp932Folder = ".");

}  // namespace kiroku::ui
