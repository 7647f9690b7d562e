// Container: what a form and the user control have in common: a name and
// caption, size and colour, the controls in design order, key preview with its
// KeyDown handler, the control that holds (or will get back) the focus, the
// lists drawn as rows of labels (for front ends that describe the screen) and
// the hook told of the run-time errors reported for the container.
// Relies on Control and base::RuntimeError.
// Threads: the thread that runs its screen only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "services/base/runtime_error.h"
#include "services/screen/controls.h"

namespace screen {

class Container {
 public:
  explicit Container(std::string name);
  virtual ~Container();
  Container(const Container&) = delete;
  Container& operator=(const Container&) = delete;

  // True for a dialog form, false for the user control.
  virtual bool IsForm() const = 0;

  const std::string& Name() const { return name_; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption) { caption_ = std::move(caption); }
  int32_t Width() const { return width_; }
  void SetWidth(int32_t twips) { width_ = twips; }
  int32_t Height() const { return height_; }
  void SetHeight(int32_t twips) { height_ = twips; }
  uint32_t BackColor() const { return backColor_; }
  void SetBackColor(uint32_t colour) { backColor_ = colour; }
  // When on, every key-down reaches KeyDown before the control with the focus.
  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool on) { keyPreview_ = on; }

  // Adds controls in design order (the order of Controls() and of `screen`).
  void Add(Control& control);
  template <class T>
  void Add(const ControlArray<T>& array) {
    for (int i = 0; i < array.Count(); ++i) Add(array(i));
  }
  const std::vector<Control*>& Controls() const { return controls_; }
  // The control of that name (without regard to case) and index (-1 for a
  // control outside arrays), or nullptr.
  Control* Find(std::string_view name, int index = -1) const;
  // True when name is the name of a control array of this container.
  bool IsArrayName(std::string_view name) const;

  // The control that holds the focus while this container is active, and to
  // which the focus returns when it becomes active again; nullptr for none.
  Control* ActiveControl() const { return focused_; }
  // The first visible, enabled tab stop in TabIndex order, or nullptr.
  Control* FirstTabStop() const { return NextTabStop(nullptr, false); }
  // The visible, enabled tab stop that Tab (Shift+Tab when backwards) moves to
  // from `from`, in TabIndex order, ties in design order; from nullptr, the
  // first (last) one. Past the last (first) stop it wraps round, and sets
  // *wrapped (when given) to true; nullptr when there is no tab stop.
  Control* NextTabStop(const Control* from, bool backwards, bool* wrapped = nullptr) const;
  // The default (or cancel) button of the container, or nullptr.
  CommandButton* DefaultButton() const;
  CommandButton* CancelButton() const;

  // Asks the front end to repaint now.
  void Refresh();

  // A list drawn as rows of labels: the label arrays that are its columns,
  // left to right (member i of each is row i), their header labels and the
  // row shown as the selected one. Front ends read it to describe the list.
  struct RowList {
    std::string name;
    std::vector<std::string> columns;
    std::vector<const Label*> headers;
    std::function<int()> selectedRow;  // -1 when no row is selected
  };
  void AddRowList(RowList list) { rowLists_.push_back(std::move(list)); }
  const std::vector<RowList>& RowLists() const { return rowLists_; }

  // Tells ErrorReported (when set) of a run-time error just reported to the
  // user for this container.
  void NoteReportedError(const base::RuntimeError& error) const {
    if (ErrorReported) ErrorReported(error);
  }

  std::function<void(int16_t& keyCode, int16_t shift)> KeyDown;
  // Told of every run-time error reported to the user while one of the
  // container's events ran or a dialog it opened was up, and of the errors the
  // container reports itself: a host that follows errors sets it.
  std::function<void(const base::RuntimeError& error)> ErrorReported;

 protected:
  // Puts every control back to its design values (the first call records them)
  // and forgets which control had the focus: a form's load.
  void ResetToDesign();

 private:
  friend class Dispatcher;

  std::string name_;
  std::string caption_;
  int32_t width_ = 0;
  int32_t height_ = 0;
  uint32_t backColor_ = 0x00C0C0C0;
  bool keyPreview_ = false;
  std::vector<Control*> controls_;
  std::vector<RowList> rowLists_;
  Control* focused_ = nullptr;
  bool designSaved_ = false;
};

}  // namespace screen
