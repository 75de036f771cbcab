#pragma once
// Screens that only hold what they are told: the recording core runs on them
// with no window, as when a journal is replayed.
#include <map>
#include <utility>

#include "core/screen_port.h"

namespace kiroku {

class HeadlessScreens : public ScreenPort {
 public:
  void showForm(Form form) override { shown_[form] = true; }
  void closeForm(Form form) override { shown_[form] = false; }
  void setButtonEnabled(Form form, int button, bool enabled) override { enabled_[{form, button}] = enabled; }
  void setButtonVisible(Form form, int button, bool visible) override { visible_[{form, button}] = visible; }
  void setButtonCaption(Form form, int button, const Text& caption) override { captions_[{form, button}] = caption; }
  void setPanelCaption(Form form, int panel, const Text& caption) override { panels_[{form, panel}] = caption; }
  Text panelCaption(Form form, int panel) const override {
    const auto it = panels_.find({form, panel});
    return it == panels_.end() ? Text() : it->second;
  }
  void setTimerEnabled(Form form, int timer, bool enabled) override { timers_[{form, timer}] = enabled; }

 private:
  using Key = std::pair<Form, int>;
  std::map<Form, bool> shown_;
  std::map<Key, bool> enabled_, visible_, timers_;
  std::map<Key, Text> captions_, panels_;
};

}  // namespace kiroku
