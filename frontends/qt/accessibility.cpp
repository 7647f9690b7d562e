// The accessible interfaces of views, control widgets, row lists and rows, the
// factory that hands them to Qt, and the events raised after each sync. The
// model is read at every question, so an interface never holds a stale copy.
// Relies on QtGui's and QtWidgets' accessibility, the toolkit, ContainerView
// and the arrow pictures of control_painting.
#include "frontends/qt/accessibility.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <QWidget>
#include <cstdlib>

#include "frontends/qt/container_view.h"
#include "frontends/qt/control_painting.h"
#include "services/base/text_case.h"

namespace qtfront {
namespace {

using screen::Container;
using screen::Control;
using screen::ControlKind;

// Where a control stands in a row list of its container ({-1, -1}: nowhere).
struct CellPlace {
  int list = -1;
  int row = -1;
};

CellPlace PlaceOf(const Control& control) {
  const Container* owner = control.Owner();
  if (owner == nullptr || control.Index() < 0) return {};
  const auto& lists = owner->RowLists();
  for (size_t l = 0; l < lists.size(); ++l) {
    for (const std::string& column : lists[l].columns) {
      if (base::SameName(column, control.Name())) return {static_cast<int>(l), control.Index()};
    }
  }
  return {};
}

// The number of rows of a list: the members of its first column.
int RowCount(const Container& c, const Container::RowList& list) {
  int rows = 0;
  while (!list.columns.empty() && c.Find(list.columns.front(), rows) != nullptr) ++rows;
  return rows;
}

int SelectedRow(const Container::RowList& list) {
  return list.selectedRow ? list.selectedRow() : -1;
}

QString Trimmed(const std::string& text) { return QString::fromStdString(text).trimmed(); }

// A caption as it is read: "&Add" is "Add", "&&" stands for "&".
QString WithoutAccessMark(const std::string& caption) {
  const QString in = QString::fromStdString(caption);
  QString out;
  for (qsizetype i = 0; i < in.size(); ++i) {
    if (in[i] == QLatin1Char('&') && i + 1 < in.size()) ++i;
    out += in[i];
  }
  return out.trimmed();
}

bool HasLetterOrDigit(const QString& text) {
  for (QChar ch : text) {
    if (ch.isLetterOrNumber()) return true;
  }
  return false;
}

// The words for an arrow picture.
QString PictureWords(ArrowPicture picture) {
  switch (picture) {
    case ArrowPicture::Up:
      return QStringLiteral("Up");
    case ArrowPicture::Down:
      return QStringLiteral("Down");
    case ArrowPicture::PageUp:
      return QStringLiteral("Page up");
    case ArrowPicture::PageDown:
      return QStringLiteral("Page down");
    case ArrowPicture::First:
      return QStringLiteral("First");
    case ArrowPicture::Last:
      return QStringLiteral("Last");
    case ArrowPicture::Action:
      return QStringLiteral("Select");
    case ArrowPicture::None:
      break;
  }
  return {};
}

// The label that names a text box, as a sighted user pairs them: the nearest
// captioned label on its left on the same line, else the nearest one above it
// in the same column. Array members hold data, not names, and do not count.
QString LabelOf(const Control& box) {
  const Container* owner = box.Owner();
  if (owner == nullptr) return {};
  const int32_t middle = box.Top() + box.Height() / 2;
  const screen::Label* best = nullptr;
  int64_t bestScore = 0;
  for (const Control* c : owner->Controls()) {
    if (c->Kind() != ControlKind::Label || c->Index() >= 0 || !c->Visible()) continue;
    const auto* label = static_cast<const screen::Label*>(c);
    if (Trimmed(label->Caption()).isEmpty()) continue;
    const bool onLine = c->Top() <= middle && middle < c->Top() + c->Height() &&
                        c->Left() + c->Width() <= box.Left() + 30;
    const bool above = c->Top() + c->Height() <= box.Top() + 30 &&
                       std::abs(c->Left() - box.Left()) <= box.Width() / 2;
    if (!onLine && !above) continue;
    // Any label on the line beats every label above it.
    const int64_t score = onLine ? box.Left() - (c->Left() + c->Width())
                                 : 1000000 + box.Top() - (c->Top() + c->Height());
    if (best == nullptr || score < bestScore) {
      best = label;
      bestScore = score;
    }
  }
  if (best == nullptr) return {};
  QString caption = Trimmed(best->Caption());
  if (caption.endsWith(QLatin1Char(':'))) caption.chop(1);
  return caption.trimmed();
}

// What a control is called: a text box by its label (else its tooltip), a
// button by its caption (a caption of signs only by its tooltip), a picture
// button by its arrow, a label by its caption.
QString NameOf(const Control& control) {
  QString tip = Trimmed(control.ToolTipText());
  switch (control.Kind()) {
    case ControlKind::TextBox: {
      const QString label = LabelOf(control);
      return label.isEmpty() ? tip : label;
    }
    case ControlKind::Label:
      return Trimmed(static_cast<const screen::Label&>(control).Caption());
    case ControlKind::CommandButton: {
      const auto& button = static_cast<const screen::CommandButton&>(control);
      QString caption = WithoutAccessMark(button.Caption());
      if (HasLetterOrDigit(caption) || (tip.isEmpty() && !caption.isEmpty())) return caption;
      if (!tip.isEmpty()) return tip;
      return button.Picture().empty() ? caption
                                      : PictureWords(PictureOf(button.Picture(), button.Name()));
    }
    case ControlKind::HScrollBar:
      return tip;
  }
  return {};
}

// The screen rectangle of a group of widgets (the cells of a row or a list).
QRect UnionOf(const std::vector<QWidget*>& widgets) {
  QRect r;
  for (QWidget* w : widgets) {
    if (w->isVisible()) r |= QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
  }
  return r;
}

// A row list or one of its rows: no widget of its own; its children are
// rows (for the list) or the widgets of its cells (for a row).
class ListPartInterface : public QAccessibleInterface {
 public:
  ListPartInterface(ContainerView& view, int list, int row)
      : view_(&view), list_(list), row_(row) {}

  bool isValid() const override {
    const Container* c = Model();
    return c != nullptr && list_ < static_cast<int>(c->RowLists().size()) &&
           row_ < RowCount(*c, c->RowLists()[list_]);
  }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override {
    return view_ != nullptr && view_->window() != nullptr ? view_->window()->windowHandle()
                                                          : nullptr;
  }
  QAccessibleInterface* parent() const override {
    if (view_ == nullptr) return nullptr;
    if (row_ < 0) return QAccessible::queryAccessibleInterface(view_.data());
    return view_->Accessibility().ListPart(list_, -1);
  }
  int childCount() const override {
    if (!isValid()) return 0;
    return row_ < 0 ? RowCount(*Model(), List()) : static_cast<int>(Cells().size());
  }
  QAccessibleInterface* child(int index) const override {
    if (index < 0 || index >= childCount()) return nullptr;
    if (row_ < 0) return view_->Accessibility().ListPart(list_, index);
    return QAccessible::queryAccessibleInterface(Cells()[static_cast<size_t>(index)]);
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    for (int i = 0; i < childCount(); ++i) {
      if (this->child(i) == child) return i;
    }
    return -1;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    for (int i = 0; i < childCount(); ++i) {
      if (child(i)->rect().contains(x, y)) return child(i);
    }
    return nullptr;
  }
  QString text(QAccessible::Text t) const override {
    if (!isValid()) return {};
    QStringList parts;
    if (row_ < 0) {
      if (t == QAccessible::Name) return QString::fromStdString(List().name);
      if (t != QAccessible::Description) return {};
      for (const screen::Label* header : List().headers) {
        if (header->Visible() && !Trimmed(header->Caption()).isEmpty())
          parts << Trimmed(header->Caption());
      }
    } else {
      if (t != QAccessible::Name) return {};
      for (QWidget* cell : Cells()) {
        const QString caption = NameOf(*view_->ControlOf(cell));
        if (!caption.isEmpty()) parts << caption;
      }
    }
    return parts.join(QStringLiteral(", "));
  }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override {
    if (!isValid()) return {};
    if (row_ >= 0) return UnionOf(Cells());
    QRect r;
    for (int i = 0; i < childCount(); ++i) r |= child(i)->rect();
    return r;
  }
  QAccessible::Role role() const override {
    return row_ < 0 ? QAccessible::List : QAccessible::ListItem;
  }
  QAccessible::State state() const override {
    QAccessible::State s;
    if (!isValid()) {
      s.invalid = true;
      return s;
    }
    s.invisible = rect().isEmpty();
    if (row_ >= 0) {
      s.selectable = true;
      s.selected = SelectedRow(List()) == row_;
      s.focused = s.selected && HoldsListFocus();
    }
    return s;
  }

  // True when the list keys reach this list now: the view's container has the
  // Qt focus on its scroll bar (in this system a scroll bar only holds the
  // focus for the list keys).
  bool HoldsListFocus() const {
    const Control* focused = view_ != nullptr ? view_->Screen().FocusedControl() : nullptr;
    if (focused == nullptr || focused->Owner() != Model()) return false;
    QWidget* w = view_->WidgetOf(*focused);
    return focused->Kind() == ControlKind::HScrollBar && w != nullptr && w->hasFocus();
  }

 private:
  const Container* Model() const { return view_ != nullptr ? view_->Model() : nullptr; }
  const Container::RowList& List() const { return Model()->RowLists()[list_]; }
  // The widgets of the row's visible cells, left to right.
  std::vector<QWidget*> Cells() const {
    std::vector<QWidget*> cells;
    for (const std::string& column : List().columns) {
      const Control* c = Model()->Find(column, row_);
      QWidget* w = c != nullptr && c->Visible() ? view_->WidgetOf(*c) : nullptr;
      if (w != nullptr) cells.push_back(w);
    }
    return cells;
  }

  QPointer<ContainerView> view_;
  int list_;
  int row_;
};

// A control widget: role, name, value and state from its toolkit control; a
// text box also answers the text interface.
class ControlInterface : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  ControlInterface(QWidget* widget, ContainerView& view)
      : QAccessibleWidget(widget, RoleOf(view.ControlOf(widget))), view_(&view) {}

  bool isValid() const override { return QAccessibleWidget::isValid() && Model() != nullptr; }
  void* interface_cast(QAccessible::InterfaceType t) override {
    if (t == QAccessible::TextInterface && IsTextBox()) {
      return static_cast<QAccessibleTextInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(t);
  }
  QAccessibleInterface* parent() const override {
    const Control* c = Model();
    const CellPlace place = c != nullptr ? PlaceOf(*c) : CellPlace{};
    if (place.list >= 0) return view_->Accessibility().ListPart(place.list, place.row);
    return QAccessibleWidget::parent();
  }
  QString text(QAccessible::Text t) const override {
    const Control* c = Model();
    if (c == nullptr) return {};
    switch (t) {
      case QAccessible::Name:
        return NameOf(*c);
      case QAccessible::Value:
        return IsTextBox() ? QString::fromStdString(Box().Text()) : QString();
      case QAccessible::Description:
        return NameOf(*c) == Trimmed(c->ToolTipText()) ? QString() : Trimmed(c->ToolTipText());
      default:
        return {};
    }
  }
  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    const Control* c = Model();
    if (c == nullptr) return s;
    s.invisible = !c->Visible() || !widget()->isVisible();
    s.disabled = !c->Enabled();
    s.focusable = c->CanHoldFocus() && c->Visible() && c->Enabled();
    s.focused = view_->Screen().FocusedControl() == c && widget()->hasFocus();
    s.editable = IsTextBox();
    s.defaultButton = c->Kind() == ControlKind::CommandButton &&
                      static_cast<const screen::CommandButton*>(c)->Default();
    const CellPlace place = PlaceOf(*c);
    if (place.list >= 0) {
      s.selectable = true;
      s.selected = SelectedRow(c->Owner()->RowLists()[place.list]) == place.row;
    }
    return s;
  }

  // --- The text of a text box (offsets in characters) ---
  void selection(int index, int* start, int* end) const override {
    *start = *end = 0;
    if (index == 0 && IsTextBox() && Box().SelLength() > 0) {
      *start = Box().SelStart();
      *end = Box().SelStart() + Box().SelLength();
    }
  }
  int selectionCount() const override { return IsTextBox() && Box().SelLength() > 0 ? 1 : 0; }
  void addSelection(int start, int end) override { setSelection(0, start, end); }
  void removeSelection(int) override { setCursorPosition(cursorPosition()); }
  // Assistive technology may move the caret and the selection, as a mouse
  // may; the text itself changes only through keys.
  void setSelection(int, int start, int end) override {
    if (!IsTextBox()) return;
    Box().SetSelStart(start);
    Box().SetSelLength(end - start);
    view_->Sync();
  }
  int cursorPosition() const override {
    return IsTextBox() ? Box().SelStart() + Box().SelLength() : 0;
  }
  void setCursorPosition(int position) override {
    if (!IsTextBox()) return;
    Box().SetSelStart(position);
    view_->Sync();
  }
  QString text(int start, int end) const override {
    const QString all = IsTextBox() ? QString::fromStdString(Box().Text()) : QString();
    return all.mid(start, end - start);
  }
  int characterCount() const override {
    return IsTextBox() ? static_cast<int>(QString::fromStdString(Box().Text()).size()) : 0;
  }
  QRect characterRect(int) const override { return {}; }
  int offsetAtPoint(const QPoint&) const override { return -1; }
  void scrollToSubstring(int, int) override {}
  QString attributes(int offset, int* start, int* end) const override {
    *start = *end = offset;
    return {};
  }

 private:
  static QAccessible::Role RoleOf(const Control* c) {
    if (c == nullptr) return QAccessible::Client;
    switch (c->Kind()) {
      case ControlKind::TextBox:
        return QAccessible::EditableText;
      case ControlKind::Label:
        return QAccessible::StaticText;
      case ControlKind::CommandButton:
        return QAccessible::PushButton;
      case ControlKind::HScrollBar:
        return QAccessible::ScrollBar;
    }
    return QAccessible::Client;
  }
  Control* Model() const { return view_ != nullptr ? view_->ControlOf(widget()) : nullptr; }
  bool IsTextBox() const { return Model() != nullptr && Model()->Kind() == ControlKind::TextBox; }
  screen::TextBox& Box() const { return *static_cast<screen::TextBox*>(Model()); }

  QPointer<ContainerView> view_;
};

// A view: a grouping named by its container, whose children are its control
// widgets in design order, each row list standing in for its cells at the
// place of its first one.
class ViewInterface : public QAccessibleWidget {
 public:
  explicit ViewInterface(ContainerView* view)
      : QAccessibleWidget(view, QAccessible::Grouping), view_(view) {}

  QString text(QAccessible::Text t) const override {
    const Container* c = view_ != nullptr ? view_->Model() : nullptr;
    if (t != QAccessible::Name || c == nullptr) return QAccessibleWidget::text(t);
    return QString::fromStdString(c->Caption().empty() ? c->Name() : c->Caption());
  }
  int childCount() const override { return static_cast<int>(Items().size()); }
  QAccessibleInterface* child(int index) const override {
    const auto items = Items();
    return index >= 0 && index < static_cast<int>(items.size()) ? items[index] : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    const auto items = Items();
    for (size_t i = 0; i < items.size(); ++i) {
      if (items[i] == child) return static_cast<int>(i);
    }
    return -1;
  }

 private:
  std::vector<QAccessibleInterface*> Items() const {
    std::vector<QAccessibleInterface*> items;
    if (view_ == nullptr) return items;
    std::vector<bool> listPlaced;
    for (QWidget* w : view_->ControlWidgets()) {
      const Control* c = view_->ControlOf(w);
      const CellPlace place = c != nullptr ? PlaceOf(*c) : CellPlace{};
      if (place.list < 0) {
        items.push_back(QAccessible::queryAccessibleInterface(w));
        continue;
      }
      if (listPlaced.size() <= static_cast<size_t>(place.list)) listPlaced.resize(place.list + 1);
      if (listPlaced[place.list]) continue;
      listPlaced[place.list] = true;
      items.push_back(view_->Accessibility().ListPart(place.list, -1));
    }
    return items;
  }

  QPointer<ContainerView> view_;
};

// Gives views and their control widgets their interfaces; other objects are
// left to Qt.
QAccessibleInterface* Factory(const QString&, QObject* object) {
  auto* widget = qobject_cast<QWidget*>(object);
  if (widget == nullptr) return nullptr;
  if (auto* view = dynamic_cast<ContainerView*>(widget)) return new ViewInterface(view);
  auto* view = dynamic_cast<ContainerView*>(widget->parentWidget());
  if (view != nullptr && view->ControlOf(widget) != nullptr) {
    return new ControlInterface(widget, *view);
  }
  return nullptr;
}

std::function<void(QAccessibleEvent*)>& Listener() {
  static std::function<void(QAccessibleEvent*)> listener;
  return listener;
}

// Hands an event to assistive technology through Qt (unless Qt raised it
// itself, as it does for a widget taking the Qt focus) and to the listener.
void Raise(QAccessibleEvent&& event, bool raisedByQt = false) {
  if (Listener()) Listener()(&event);
  if (!raisedByQt && QAccessible::isActive()) QAccessible::updateAccessibility(&event);
}

}  // namespace

void InstallAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(Factory);
    return true;
  }();
  (void)installed;
}

void SetAccessibilityListener(std::function<void(QAccessibleEvent*)> listener) {
  Listener() = std::move(listener);
}

ViewAccessibility::~ViewAccessibility() {
  for (const auto& [key, id] : parts_) QAccessible::deleteAccessibleInterface(id);
}

QAccessibleInterface* ViewAccessibility::ListPart(int list, int row) {
  const auto key = std::make_pair(list, row);
  auto found = parts_.find(key);
  if (found != parts_.end()) return QAccessible::accessibleInterface(found->second);
  auto* part = new ListPartInterface(view_, list, row);
  if (!part->isValid()) {
    delete part;
    return nullptr;
  }
  parts_[key] = QAccessible::registerAccessibleInterface(part);
  return part;
}

// Text boxes report their text and caret, labels and buttons their captions
// (their names), every control its enabled state; the control that took the
// focus reports it; a list reports its new selected row, and its focus when
// the list keys reach it.
void ViewAccessibility::Notice() {
  const Container* c = view_.Model();
  if (c == nullptr) return;
  const bool noted = QAccessible::isActive() || Listener();  // someone hears
  for (const Control* control : c->Controls()) {
    QWidget* w = view_.WidgetOf(*control);
    if (w == nullptr) continue;
    Seen now;
    now.enabled = control->Enabled();
    if (control->Kind() == ControlKind::TextBox) {
      const auto& box = static_cast<const screen::TextBox&>(*control);
      now.text = box.Text();
      now.selStart = box.SelStart() + box.SelLength();
    } else {
      now.text = NameOf(*control).toStdString();
    }
    auto it = seen_.find(control);
    if (it == seen_.end()) {
      seen_.emplace(control, now);
      continue;
    }
    const Seen was = it->second;
    it->second = now;
    if (!noted) continue;
    if (was.text != now.text) {
      if (control->Kind() == ControlKind::TextBox) {
        Raise(QAccessibleTextUpdateEvent(w, 0, QString::fromStdString(was.text),
                                         QString::fromStdString(now.text)));
      } else {
        Raise(QAccessibleEvent(w, QAccessible::NameChanged));
      }
    }
    if (control->Kind() == ControlKind::TextBox && was.selStart != now.selStart) {
      Raise(QAccessibleTextCursorEvent(w, now.selStart));
    }
    if (was.enabled != now.enabled) {
      QAccessible::State changed;
      changed.disabled = true;
      Raise(QAccessibleStateChangeEvent(w, changed));
    }
  }
  // The focus: Qt raised the event itself when the widget took the Qt focus.
  const Control* focused = view_.Screen().FocusedControl();
  QWidget* focusWidget = focused != nullptr ? view_.WidgetOf(*focused) : nullptr;
  if (focusWidget == nullptr || !focusWidget->hasFocus()) focused = nullptr;
  if (focused != focused_) {
    focused_ = focused;
    if (noted && focused != nullptr) Raise(QAccessibleEvent(focusWidget, QAccessible::Focus), true);
  }
  const auto& lists = c->RowLists();
  selectedRows_.resize(lists.size(), -1);
  for (size_t l = 0; l < lists.size(); ++l) {
    const int row = SelectedRow(lists[l]);
    if (row == selectedRows_[l]) continue;
    selectedRows_[l] = row;
    if (!noted || row < 0) continue;
    auto* part = static_cast<ListPartInterface*>(ListPart(static_cast<int>(l), row));
    if (part == nullptr) continue;
    Raise(QAccessibleEvent(part, QAccessible::Selection));
    if (part->HoldsListFocus()) Raise(QAccessibleEvent(part, QAccessible::Focus));
  }
}

}  // namespace qtfront
