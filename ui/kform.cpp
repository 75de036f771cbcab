#include "ui/kform.h"

#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>

#include "ui/cp932.h"
#include "ui/native_frame.h"
#include "ui/screen_fit.h"

namespace kiroku::ui {

namespace {
// The outer frame of a sizeable window on the operators' desktop: borders and
// title bar, taken off to get the client area the controls are laid out in.
constexpr int kFrameWidth = 16, kFrameHeight = 39;
const char* kBytesProperty = "cp932";

// A button shows '&' as a mnemonic unless doubled.
QString ButtonText(const Text& bytes) { return FromCp932(bytes).replace('&', QStringLiteral("&&")); }
}  // namespace

QFont ScreenFont(int pixelHeight) {
  QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
  font.setPixelSize(pixelHeight);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

KForm::KForm(const char* name, const QString& caption, int left, int top, int width, int height, QColor colour)
    : QWidget(nullptr), colour_(colour) {
  setObjectName(QString::fromLatin1(name));
  setWindowTitle(caption);
  setFont(ScreenFont());
  QPalette pal = palette();
  pal.setColor(QPalette::Window, colour);
  setPalette(pal);
  setAutoFillBackground(false);
  setAttribute(Qt::WA_OpaquePaintEvent);  // paintEvent covers every pixel
  move(left, top);
  resize(width - kFrameWidth, height - kFrameHeight);
}

QRect KForm::outerFrame() const {
  return isVisible() ? frameGeometry() : QRect(pos(), size() + QSize(kFrameWidth, kFrameHeight));
}

void KForm::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  if (!hatched_) {
    p.fillRect(event->rect(), colour_);
    return;
  }
  // The cross-hatch drawn once into a tile, then only copied: a picker must
  // appear at once when a player is pressed.
  if (hatchTile_.isNull()) {
    hatchTile_ = QPixmap(64, 64);
    hatchTile_.fill(Qt::white);
    QPainter t(&hatchTile_);
    t.fillRect(hatchTile_.rect(), QBrush(colour_, Qt::CrossPattern));
  }
  p.drawTiledPixmap(event->rect(), hatchTile_, event->rect().topLeft());
}

void KForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  fitToScreen();
  // Some window systems tell the frame's size only once the window is up.
  QTimer::singleShot(0, this, &KForm::fitToScreen);
}

void KForm::fitToScreen() {
  if (!isVisible()) return;
  const QRect frame(frameGeometry().topLeft(), NativeFrameSize(this));
  QScreen* where = QGuiApplication::screenAt(frame.center());
  if (!where) where = screen();
  if (!where) return;
  // The work area leaves out the taskbar; at a large display scale the
  // fixed layouts can be taller than it.
  const QPoint to = FittedTopLeft(frame, where->availableGeometry());
  if (to != frame.topLeft()) move(to);  // a window's position is its frame's
}

Text KForm::Caption(const QWidget* control) {
  const QByteArray b = control->property(kBytesProperty).toByteArray();
  return Text(b.constData(), static_cast<size_t>(b.size()));
}

void KForm::SetCaption(QPushButton* button, const Text& bytes) {
  button->setProperty(kBytesProperty, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
  button->setText(ButtonText(bytes));
}

void KForm::SetCaption(QLabel* panel, const Text& bytes) {
  panel->setProperty(kBytesProperty, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
  panel->setText(FromCp932(bytes));
}

QPushButton* KForm::addButton(int n, const QString& caption, int left, int top, int width, int height,
                              QWidget* parent) {
  auto* b = new QPushButton(parent ? parent : this);
  b->setObjectName(QStringLiteral("Button%1").arg(n));
  b->setGeometry(left, top, width, height);
  SetCaption(b, ToCp932(caption));
  buttons_.insert(n, b);
  return b;
}

QLabel* KForm::addPanel(int n, const QString& caption, int left, int top, int width, int height, QColor colour,
                        QWidget* parent) {
  auto* l = new QLabel(parent ? parent : this);
  l->setObjectName(QStringLiteral("Panel%1").arg(n));
  l->setGeometry(left, top, width, height);
  l->setTextFormat(Qt::PlainText);
  l->setAlignment(Qt::AlignCenter);
  l->setFrameStyle(QFrame::Panel | QFrame::Raised);
  l->setLineWidth(1);
  l->setAutoFillBackground(true);
  QPalette pal = l->palette();
  pal.setColor(QPalette::Window, colour.isValid() ? colour : QColor(240, 240, 240));
  pal.setColor(QPalette::WindowText, Qt::black);
  l->setPalette(pal);
  SetCaption(l, ToCp932(caption));
  panels_.insert(n, l);
  return l;
}

void KForm::SetTabChain(const QList<QWidget*>& order) {
  for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

QTimer* KForm::addTimer(int n, int intervalMs) {
  auto* t = new QTimer(this);
  t->setObjectName(QStringLiteral("Timer%1").arg(n));
  t->setInterval(intervalMs);
  timers_.insert(n, t);
  return t;
}

}  // namespace kiroku::ui
