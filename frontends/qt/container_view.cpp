// ContainerView and its ControlWidget children: placement at twips / 15
// pixels, painting through control_painting, Qt input turned into toolkit
// events, and the Qt focus kept on the widget of the toolkit's focused control.
// Child widgets never take the Qt focus by themselves (Qt::NoFocus); the view
// takes the keys of the whole surface, so Tab never reaches Qt's own focus
// chain, except where the view hands Tab on to the host (a user control's
// last or first tab stop). Relies on QtWidgets, the toolkit, control_painting,
// key_translation, accessibility and the front end (SyncViews,
// UserInputEnabled).
#include "frontends/qt/container_view.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cassert>

#include "frontends/qt/accessibility.h"
#include "frontends/qt/control_painting.h"
#include "frontends/qt/front_end.h"
#include "frontends/qt/key_translation.h"

namespace qtfront {

// One toolkit control on the screen.
class ControlWidget : public QWidget {
 public:
  ControlWidget(screen::Control& control, ContainerView& view)
      : QWidget(&view), control_(&control), view_(view) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

  screen::Control* Control() const { return control_; }
  void Detach() { control_ = nullptr; }

  // Geometry, visibility and tooltip from the model.
  void Sync() {
    if (control_ == nullptr) return;
    const QRect bounds(Pixels(control_->Left()), Pixels(control_->Top()),
                       std::max(1, Pixels(control_->Width())),
                       std::max(1, Pixels(control_->Height())));
    if (geometry() != bounds) setGeometry(bounds);
    const QString tip = QString::fromStdString(control_->ToolTipText());
    if (toolTip() != tip) setToolTip(tip);
    if (isVisibleTo(&view_) != control_->Visible()) setVisible(control_->Visible());
    update();
  }

 protected:
  bool event(QEvent* event) override {
    if (event->type() == QEvent::ShortcutOverride) {
      if (view_.IsAccessKey(static_cast<QKeyEvent*>(event))) event->accept();
      return true;
    }
    if (event->type() == QEvent::KeyPress && view_.ForwardKey(static_cast<QKeyEvent*>(event))) {
      return true;
    }
    return QWidget::event(event);
  }

  void paintEvent(QPaintEvent*) override {
    if (control_ == nullptr) return;
    QPainter painter(this);
    PaintState state;
    state.focused = view_.Screen().FocusedControl() == control_;
    state.pressed = pressed_ && rect().contains(mapFromGlobal(QCursor::pos()));
    PaintControl(painter, *control_, state);
  }

  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) return;
    pressed_ = true;
    update();
  }

  // A click is a press and a release over the same control, as on the classic
  // platform; the release sends it.
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton || !pressed_) return;
    pressed_ = false;
    update();
    if (control_ != nullptr && rect().contains(event->position().toPoint())) {
      view_.ClickFrom(*control_);
    }
  }

  // The first click of the pair has clicked already: only DblClick remains.
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton && control_ != nullptr) {
      view_.DoubleClickFrom(*control_);
    }
  }

 private:
  screen::Control* control_;
  ContainerView& view_;
  bool pressed_ = false;
};

namespace {

// True when the toolkit sends keys to this container now.
bool IsActive(const screen::Container* container) {
  if (container == nullptr) return false;
  const screen::Screen* s = screen::Screen::Of(*container);
  return (s != nullptr ? s->ActiveContainer() : screen::ActiveContainer()) == container;
}

// True when a click on this container reaches it: it is the active one, or a
// user control of a window no dialog covers (the click moves the focus there).
bool TakesClicks(const screen::Container* container) {
  if (IsActive(container)) return true;
  const screen::Screen* s = container != nullptr ? screen::Screen::Of(*container) : nullptr;
  return s != nullptr && !container->IsForm() && s->ActiveModalForm() == nullptr;
}

}  // namespace

ContainerView::ContainerView(screen::Container& container, QWidget* parent)
    : QWidget(parent),
      container_(&container),
      accessibility_(std::make_unique<ViewAccessibility>(*this)) {
  InstallRepaintHook();
  InstallAccessibility();
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  const auto& controls = container.Controls();
  widgets_.resize(controls.size(), nullptr);
  // Creation order is stacking order: labels first, so the others lie above.
  for (int pass = 0; pass < 2; ++pass) {
    for (size_t i = 0; i < controls.size(); ++i) {
      const bool isLabel = controls[i]->Kind() == screen::ControlKind::Label;
      if (isLabel == (pass == 0)) widgets_[i] = new ControlWidget(*controls[i], *this);
    }
  }
  connect(qApp, &QApplication::focusChanged, this,
          [this](QWidget* old, QWidget* now) { OnQtFocusChanged(old, now); });
  AddView(this);
  Sync();
}

// The accessible parts go before the widgets they describe.
ContainerView::~ContainerView() {
  accessibility_.reset();
  RemoveView(this);
}

void ContainerView::Detach() {
  container_ = nullptr;
  for (ControlWidget* w : widgets_) w->Detach();
}

QSize ContainerView::SurfaceSize() const {
  if (container_ == nullptr) return size();
  int height = Pixels(container_->Height());
  if (height <= 0) {
    for (const screen::Control* c : container_->Controls()) {
      if (c->Visible()) height = std::max(height, Pixels(c->Top() + c->Height()) + 8);
    }
  }
  return QSize(std::max(1, Pixels(container_->Width())), std::max(1, height));
}

void ContainerView::Sync() {
  if (container_ == nullptr) return;
  syncing_ = true;
  const QSize surface = SurfaceSize();
  if (size() != surface) {
    setFixedSize(surface);
    updateGeometry();
  }
  // A widget about to be hidden hands the Qt focus to the view first, so Qt
  // does not pass it on to a host widget by itself.
  QWidget* qtFocus = QApplication::focusWidget();
  for (ControlWidget* w : widgets_) {
    if (w == qtFocus && !w->Control()->Visible()) setFocus(Qt::OtherFocusReason);
    w->Sync();
  }
  // The Qt focus goes where the toolkit's focus is.
  screen::Screen& s = Screen();
  const bool holdsFocus =
      IsActive(container_) && (container_->IsForm() || s.FocusedUserControl() == container_);
  if (holdsFocus) {
    QWidget* target = this;
    if (screen::Control* focused = s.FocusedControl()) {
      QWidget* w = WidgetOf(*focused);
      if (w != nullptr && w->isVisibleTo(this)) target = w;
    }
    if (QApplication::focusWidget() != target && isVisible())
      target->setFocus(Qt::OtherFocusReason);
  }
  update();
  accessibility_->Notice();
  syncing_ = false;
}

screen::Screen& ContainerView::Screen() const {
  screen::Screen* s = container_ != nullptr ? screen::Screen::Of(*container_) : nullptr;
  return s != nullptr ? *s : screen::Screen::Current();
}

QWidget* ContainerView::WidgetOf(const screen::Control& control) const {
  for (ControlWidget* w : widgets_) {
    if (w->Control() == &control) return w;
  }
  return nullptr;
}

screen::Control* ContainerView::ControlOf(const QWidget* widget) const {
  for (ControlWidget* w : widgets_) {
    if (w == widget) return w->Control();
  }
  return nullptr;
}

std::vector<QWidget*> ContainerView::ControlWidgets() const {
  return std::vector<QWidget*>(widgets_.begin(), widgets_.end());
}

// Tab past the control's last stop (Shift+Tab before its first) goes to the
// host's neighbouring widget, as on a classic form; Tabs the control
// synthesises itself (Enter-to-Tab) never come here and still wrap.
bool ContainerView::ForwardKey(QKeyEvent* event) {
  const auto key = TranslateKey(event->key(), event->modifiers(), event->text());
  if (!key) return false;
  event->accept();
  if (!UserInputEnabled() || !IsActive(container_)) return true;
  const bool plainTab =
      key->keyCode == screen::kKeyTab && (key->shift & (screen::kCtrlMask | screen::kAltMask)) == 0;
  if (plainTab && followsHostFocus_ && !container_->IsForm()) {
    const bool backwards = (key->shift & screen::kShiftMask) != 0;
    if (Screen().TabLeavesUserControl(backwards) && FocusNeighbour(!backwards)) return true;
  }
  Screen().PressKey(key->keyCode, key->shift, key->keyAscii);
  SyncViews();
  return true;
}

void ContainerView::ClickFrom(screen::Control& control) {
  if (!UserInputEnabled() || !TakesClicks(container_)) return;
  Screen().Click(control);
  SyncViews();
}

// Only the DblClick event: the first click of the pair went through
// ClickFrom.
void ContainerView::DoubleClickFrom(screen::Control& control) {
  if (!UserInputEnabled() || !IsActive(container_)) return;
  Screen().SecondClick(control);
  SyncViews();
}

bool ContainerView::IsAccessKey(QKeyEvent* event) const {
  if (container_ == nullptr) return false;
  const Qt::KeyboardModifiers mods = event->modifiers();
  if (!(mods & Qt::AltModifier) || (mods & Qt::ControlModifier)) return false;
  const auto key = TranslateKey(event->key(), mods, event->text());
  if (!key) return false;
  for (const screen::Control* c : container_->Controls()) {
    if (c->Kind() != screen::ControlKind::CommandButton || !c->Visible() || !c->Enabled()) continue;
    const char letter =
        screen::AccessKeyOf(static_cast<const screen::CommandButton*>(c)->Caption());
    if (letter != 0 && letter == key->keyCode) return true;
  }
  return false;
}

bool ContainerView::event(QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride) {
    if (IsAccessKey(static_cast<QKeyEvent*>(event))) event->accept();
    return true;
  }
  if (event->type() == QEvent::KeyPress && ForwardKey(static_cast<QKeyEvent*>(event))) return true;
  return QWidget::event(event);
}

void ContainerView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), container_ != nullptr ? ColorOf(container_->BackColor()) : Qt::gray);
}

// A click on the background of the user control gives it the focus, as a
// click on any other windowed control of the host would.
void ContainerView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !UserInputEnabled() || container_ == nullptr) return;
  screen::Screen* s = screen::Screen::Of(*container_);
  if (!container_->IsForm() && s != nullptr) {
    s->Focus(static_cast<screen::UserControl&>(*container_));
    SyncViews();
  }
}

// Remembers whether Tab or Shift+Tab brought the focus, for the entry.
void ContainerView::focusInEvent(QFocusEvent* event) {
  entryReason_ = event->reason();
  QWidget::focusInEvent(event);
}

// A widget counts when it, or the widget it passes its focus to, takes Tab
// focus, is enabled and shown, lies outside the view and on the same window.
bool ContainerView::FocusNeighbour(bool next) {
  QWidget* w = this;
  for (;;) {
    w = next ? w->nextInFocusChain() : w->previousInFocusChain();
    if (w == nullptr || w == this) return false;
    QWidget* target = w;
    while (target->focusProxy() != nullptr) target = target->focusProxy();
    if (Contains(w) || Contains(target) || target->window() != window()) continue;
    if ((target->focusPolicy() & Qt::TabFocus) == 0 || !target->isEnabled() ||
        !target->isVisibleTo(window()) || !w->isVisibleTo(window())) {
      continue;
    }
    w->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
  }
}

bool ContainerView::Contains(const QWidget* widget) const {
  return widget != nullptr && (widget == this || isAncestorOf(widget));
}

void ContainerView::OnQtFocusChanged(QWidget* old, QWidget* now) {
  if (!followsHostFocus_ || syncing_ || container_ == nullptr || !UserInputEnabled()) return;
  screen::Screen* s = screen::Screen::Of(*container_);
  if (container_->IsForm() || s == nullptr) return;
  if (s->ActiveModalForm() != nullptr) return;  // a dialog owns the focus
  auto& uc = static_cast<screen::UserControl&>(*container_);
  if (Contains(now) && !Contains(old)) {
    // Tab from the host enters at the first tab stop, Shift+Tab at the last.
    const screen::FocusEntry entry =
        entryReason_ == Qt::TabFocusReason       ? screen::FocusEntry::FirstTabStop
        : entryReason_ == Qt::BacktabFocusReason ? screen::FocusEntry::LastTabStop
                                                 : screen::FocusEntry::Remembered;
    entryReason_ = Qt::OtherFocusReason;
    if (s->FocusedUserControl() != &uc) {
      s->Focus(uc, entry);
      SyncViews();
    }
  } else if (Contains(old) && now != nullptr && !Contains(now) && now->window() == window()) {
    // Another control of the same screen taking the focus moves it itself.
    if (s->FocusedUserControl() == &uc) {
      s->FocusHost();
      SyncViews();
    }
  }
}

}  // namespace qtfront
