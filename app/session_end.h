#pragma once
// A run that the system ends (SIGTERM or SIGINT on Linux; logoff or shutdown
// on Windows) ends as if "終了" were pressed: the journal is left whole, with
// its end recorded.
namespace kiroku {
class JournalWriter;
}

// Once, after the journal is made and before the event loop runs.
void EndNormallyWhenTheSystemEndsTheRun(kiroku::JournalWriter& journal);
