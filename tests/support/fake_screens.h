#pragma once
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/game_clock.h"
#include "core/screen_port.h"

namespace kiroku::testing {

// Screens as plain state, with a log of shows and closes.
class FakeScreens : public ScreenPort {
 public:
  struct Button {
    bool enabled = true;
    bool visible = true;
    Text caption;
  };
  using Key = std::pair<Form, int>;

  void showForm(Form form) override {
    shown[form] = true;
    log.push_back("show " + std::to_string(static_cast<int>(form)));
  }
  void closeForm(Form form) override {
    shown[form] = false;
    log.push_back("close " + std::to_string(static_cast<int>(form)));
  }
  void setButtonEnabled(Form form, int button, bool enabled) override { buttons[{form, button}].enabled = enabled; }
  void setButtonVisible(Form form, int button, bool visible) override { buttons[{form, button}].visible = visible; }
  void setButtonCaption(Form form, int button, const Text& caption) override {
    buttons[{form, button}].caption = caption;
  }
  void setPanelCaption(Form form, int panel, const Text& caption) override { panels[{form, panel}] = caption; }
  Text panelCaption(Form form, int panel) const override {
    auto it = panels.find({form, panel});
    return it == panels.end() ? Text() : it->second;
  }
  void setTimerEnabled(Form form, int timer, bool enabled) override { timers[{form, timer}] = enabled; }

  Button& button(Form form, int n) { return buttons[{form, n}]; }
  bool isShown(Form form) { return shown[form]; }
  bool timerOn(Form form, int n) { return timers[{form, n}]; }
  // How many of Form2's player buttons are enabled.
  int enabledPlayers() {
    int n = 0;
    for (int b = 1; b <= 32; ++b) n += button(Form::Form2, b).enabled;
    return n;
  }

  std::map<Key, Button> buttons;
  std::map<Key, Text> panels;
  std::map<Key, bool> timers;
  std::map<Form, bool> shown;
  std::vector<std::string> log;
};

class FakeTime : public TimeSource {
 public:
  double now() override { return days; }
  void advanceSeconds(double s) { days += s / 86400.0; }
  double days = 0.3;  // some time of day; only differences matter
};

}  // namespace kiroku::testing
