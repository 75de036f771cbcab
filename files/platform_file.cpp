// The parts of the file layer that every platform shares: its test seams.
#include "files/platform_file.h"

#include <utility>

namespace kiroku::platform {

namespace {
Faults* g_faults[static_cast<int>(Step::Count)] = {};
std::function<void()> g_createSteps;
}  // namespace

void SetFaults(Step step, Faults* faults) { g_faults[static_cast<int>(step)] = faults; }

bool Injected(Step step, unsigned long& error) {
  Faults* faults = g_faults[static_cast<int>(step)];
  if (!faults) return false;
  ++faults->attempts;
  if (faults->count <= 0) return false;
  --faults->count;
  error = faults->error;
  return true;
}

void SetCreateSteps(std::function<void()> between) { g_createSteps = std::move(between); }

void CreateStep() {
  if (g_createSteps) g_createSteps();
}

}  // namespace kiroku::platform
