#pragma once
#include <QApplication>

namespace kiroku::ui {

// Application-wide settings: its name (the error box's caption) and the
// Japanese faces that stand in for the screens' font where it is missing.
void InitApplication();

// Makes the five screens in order, each reference set before its creation
// handler runs; DestroyForms takes them down in reverse.
void CreateForms();
void DestroyForms();

}  // namespace kiroku::ui
