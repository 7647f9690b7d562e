// The four kinds of toolkit control (text box, label, command button,
// horizontal scroll bar) and control arrays addressed by index. A text box
// keeps its text, caret and selection and does its own editing when the
// dispatcher hands it a key. Relies on Control and base::RuntimeError.
// Threads: the thread that runs its screen only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "services/screen/control.h"

namespace screen {

class TextBox : public Control {
 public:
  explicit TextBox(std::string name, int index = -1);

  const std::string& Text() const { return state_.text; }
  // Sets the text by code: raises Change when it differs from the old text and
  // always leaves the caret at the start with nothing selected.
  void SetText(const std::string& text);
  // Most characters the user may type; 0 means no limit. Text set by code is
  // not cut.
  int MaxLength() const { return state_.maxLength; }
  void SetMaxLength(int maxLength) { state_.maxLength = maxLength; }
  // Caret and selection in characters (a UTF-8 character counts once).
  int SelStart() const { return state_.selStart; }
  // Moves the caret (clamped to the text) and empties the selection.
  void SetSelStart(int start);
  int SelLength() const { return state_.selLength; }
  // Selects from the caret on (clamped to the end of the text).
  void SetSelLength(int length);
  // Number of characters of the text.
  int TextLength() const;
  int16_t Alignment() const { return state_.alignment; }
  void SetAlignment(int16_t alignment) { state_.alignment = alignment; }

  // The box's own editing, called by the dispatcher with what the handlers left
  // of a key: a character replaces the selection or goes in at the caret within
  // MaxLength, Backspace removes; Delete, Left, Right, Home and End act on
  // KeyDown. An edit raises Change even when the text comes out the same.
  void ApplyCharacter(int16_t keyAscii);
  void ApplyKey(int16_t keyCode, int16_t shift);

  std::function<void()> Change;

  void SaveDesign() override;
  void RestoreDesign() override;

 private:
  struct State {
    std::string text;
    int maxLength = 0;
    int selStart = 0;
    int selLength = 0;
    int16_t alignment = 0;
  };
  // Replaces the selection with text (characters) and raises Change.
  void ReplaceSelection(const std::string& text);

  State state_;
  State design_;
};

class Label : public Control {
 public:
  explicit Label(std::string name, int index = -1);

  const std::string& Caption() const { return state_.caption; }
  void SetCaption(std::string caption) { state_.caption = std::move(caption); }
  // 0 left, 1 right, 2 centre.
  int16_t Alignment() const { return state_.alignment; }
  void SetAlignment(int16_t alignment) { state_.alignment = alignment; }

  void SaveDesign() override;
  void RestoreDesign() override;

 private:
  struct State {
    std::string caption;
    int16_t alignment = 0;
  };
  State state_;
  State design_;
};

class CommandButton : public Control {
 public:
  explicit CommandButton(std::string name, int index = -1);

  // Caption; "&" marks the access key ("&Add" is pressed by Alt+A).
  const std::string& Caption() const { return state_.caption; }
  void SetCaption(std::string caption) { state_.caption = std::move(caption); }
  // Name of the picture of a picture button ("" for none).
  const std::string& Picture() const { return state_.picture; }
  void SetPicture(std::string picture) { state_.picture = std::move(picture); }
  // The default button is pressed by Enter; making one button the default
  // clears the flag of the others in the same container.
  bool Default() const { return state_.isDefault; }
  void SetDefault(bool isDefault);
  // The cancel button is pressed by Esc; one per container, as Default.
  bool Cancel() const { return state_.isCancel; }
  void SetCancel(bool isCancel);

  void SaveDesign() override;
  void RestoreDesign() override;

 private:
  struct State {
    std::string caption;
    std::string picture;
    bool isDefault = false;
    bool isCancel = false;
  };
  State state_;
  State design_;
};

// A horizontal scroll bar; in this system it only holds the focus.
class HScrollBar : public Control {
 public:
  explicit HScrollBar(std::string name, int index = -1);
};

// Raises run-time error 340 when index is not a member of the array.
void CheckIndex(const std::string& arrayName, int index, int count);

// A control array: members 0..count-1 sharing one name, addressed by index
// (lblCONO(2)). A missing member raises base::RuntimeError 340.
template <class T>
class ControlArray {
 public:
  ControlArray(const std::string& name, int count) : name_(name) {
    for (int i = 0; i < count; ++i) members_.push_back(std::make_unique<T>(name, i));
  }
  const std::string& Name() const { return name_; }
  int Count() const { return static_cast<int>(members_.size()); }
  T& operator()(int index) const {
    CheckIndex(name_, index, Count());
    return *members_[static_cast<size_t>(index)];
  }
  // Sets the same handler on every member; it receives the member's index.
  void SetClick(const std::function<void(int)>& handler) {
    for (auto& m : members_) m->Click = [handler, i = m->Index()] { handler(i); };
  }
  void SetDblClick(const std::function<void(int)>& handler) {
    for (auto& m : members_) m->DblClick = [handler, i = m->Index()] { handler(i); };
  }

 private:
  std::string name_;
  std::vector<std::unique_ptr<T>> members_;
};

}  // namespace screen
