#pragma once
// Screens that only remember what they were told, in flat arrays, so that
// what is measured is the logic and not the fake.
#include <array>

#include "core/screen_port.h"

namespace kiroku::bench {

class LeanScreens : public ScreenPort {
 public:
  void showForm(Form f) override { shown[static_cast<int>(f)] = true; }
  void closeForm(Form f) override { shown[static_cast<int>(f)] = false; }
  void setButtonEnabled(Form f, int b, bool on) override { enabled[static_cast<int>(f)][b & 63] = on; }
  void setButtonVisible(Form f, int b, bool on) override { visible[static_cast<int>(f)][b & 63] = on; }
  void setButtonCaption(Form, int, const Text&) override {}
  void setPanelCaption(Form, int p, const Text& c) override {
    if (p == 1) clock = c;
  }
  Text panelCaption(Form, int) const override { return clock; }
  void setTimerEnabled(Form, int, bool) override {}

  std::array<bool, 6> shown{};
  std::array<std::array<bool, 64>, 6> enabled{}, visible{};
  Text clock = "12:34";
};

}  // namespace kiroku::bench
