#pragma once
// Once the program is ending (終了, the setup sheet's close control, a signal,
// the end of the session), the windows that Qt closes then are closed by no
// operator: a picker closed is no 修正, and the offer's box closed is no answer.
namespace kiroku::ui {

// At a run's start: not ending, and any quit of the application is heard.
void WatchForQuit();

void SetProgramEnding();
bool ProgramEnding();

}  // namespace kiroku::ui
