// Accessibility of the front end: every ContainerView and each of its control
// widgets answers Qt's accessibility API (QAccessible::queryAccessibleInterface)
// with the role of its toolkit control (editable text, push button, static
// text, scroll bar), its name (a button's caption without the access-key
// mark, a text box's label or tooltip), its value and its state read from the
// model. A container's row lists (Container::RowLists) show as lists whose
// items are the rows of labels. ViewAccessibility raises the accessibility
// events for what the model changed since the view last synced.
// Threads: the GUI thread only.
// Relies on QtGui's and QtWidgets' accessibility classes, the toolkit and the
// front end's ContainerView.
#pragma once

#include <QAccessible>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace screen {
class Control;
}

namespace qtfront {

class ContainerView;

// Installs, once for the process, the factory that gives views and their
// control widgets their interfaces.
void InstallAccessibility();

// Hears every accessibility event the views raise (focus moves included),
// whether or not assistive technology listens: Qt hands events on only while
// a platform bridge is active, which a log or a test on the offscreen
// platform cannot make so. nullptr for none.
void SetAccessibilityListener(std::function<void(QAccessibleEvent*)> listener);

// What assistive technology has been told about one view, and the interfaces
// of its row lists and rows (which have no widget of their own).
class ViewAccessibility {
 public:
  explicit ViewAccessibility(ContainerView& view) : view_(view) {}
  ~ViewAccessibility();
  ViewAccessibility(const ViewAccessibility&) = delete;
  ViewAccessibility& operator=(const ViewAccessibility&) = delete;

  // Raises the events for what changed in the model since the last call:
  // text and caret of text boxes, captions, enabled states, selected rows,
  // the focus. Nothing while neither assistive technology nor a listener
  // listens.
  void Notice();
  // The interface of row list `list` of the view's container, or of row `row`
  // of it (row -1: the list itself); nullptr when out of range.
  QAccessibleInterface* ListPart(int list, int row);

 private:
  struct Seen {
    std::string text;
    int selStart = 0;
    bool enabled = true;
  };

  ContainerView& view_;
  std::map<const screen::Control*, Seen> seen_;
  std::vector<int> selectedRows_;
  const screen::Control* focused_ = nullptr;
  std::map<std::pair<int, int>, QAccessible::Id> parts_;
};

}  // namespace qtfront
