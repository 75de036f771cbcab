#pragma once
#include <QHash>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include "core/text.h"

namespace kiroku::ui {

inline const QColor clBlue{0, 0, 255}, clLime{0, 255, 0}, clAqua{0, 255, 255}, clFuchsia{255, 0, 255};

// What every screen shares: its place and size, colour, font, optional
// cross-hatched background, and its numbered buttons, panels and timers.
class KForm : public QWidget {
  Q_OBJECT

 public:
  // left, top, width and height are those of the outer window.
  KForm(const char* name, const QString& caption, int left, int top, int width, int height, QColor colour);

  // The outer frame on the screen; before the first show, the designed one.
  QRect outerFrame() const;

  QPushButton* button(int n) const { return buttons_.value(n); }
  QLabel* panel(int n) const { return panels_.value(n); }
  QTimer* timer(int n) const { return timers_.value(n); }

  // Captions are kept as the bytes they were set with, shown converted.
  static Text Caption(const QWidget* control);
  static void SetCaption(QPushButton* button, const Text& bytes);
  static void SetCaption(QLabel* panel, const Text& bytes);

  QPushButton* addButton(int n, const QString& caption, int left, int top, int width, int height,
                         QWidget* parent = nullptr);

 protected:
  void setHatched() { hatched_ = true; update(); }
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;

  QLabel* addPanel(int n, const QString& caption, int left, int top, int width, int height,
                   QColor colour = QColor(), QWidget* parent = nullptr);
  QTimer* addTimer(int n, int intervalMs);
  // Sets the tab order to the widgets' order in the list.
  static void SetTabChain(const QList<QWidget*>& order);

 private:
  // Moves the window, frame and all, into its monitor's work area.
  void fitToScreen();

  QColor colour_;
  bool hatched_ = false;
  QPixmap hatchTile_;
  QHash<int, QPushButton*> buttons_;
  QHash<int, QLabel*> panels_;
  QHash<int, QTimer*> timers_;
};

// The screens' font: the face asked for, at a pixel height.
QFont ScreenFont(int pixelHeight = 12);

}  // namespace kiroku::ui
