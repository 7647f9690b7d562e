// Control: what every toolkit control has in common (name and array index,
// position and size in twips, visibility, enabled state, colour, tab order,
// tooltip and font) and the events a control can raise. The kinds (text box,
// label, command button, scroll bar) build on it in controls.h; the form or user
// control that holds a control is its Container. Relies on the standard library.
// Threads: the thread that runs its screen only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace screen {

class Container;

enum class ControlKind { TextBox, Label, CommandButton, HScrollBar };

// The text of a kind as the scripted host prints it ("TextBox", "Label", ...).
const char* KindName(ControlKind kind);

class Control {
 public:
  Control(ControlKind kind, std::string name, int index = -1);
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  ControlKind Kind() const { return kind_; }
  const std::string& Name() const { return name_; }
  // Position in a control array, -1 when the control is not in one.
  int Index() const { return index_; }
  // The name as scripts write it: "txtCONO", or "lblCONO(2)" for array members.
  std::string QualifiedName() const;
  // True for the kinds that can hold the focus (all but labels).
  bool CanHoldFocus() const { return kind_ != ControlKind::Label; }

  // The form or user control the control was added to (nullptr before).
  Container* Owner() const { return owner_; }

  bool Visible() const { return props_.visible; }
  // Hiding the control that has the focus leaves the focus there, with no event.
  void SetVisible(bool visible) { props_.visible = visible; }
  bool Enabled() const { return props_.enabled; }
  void SetEnabled(bool enabled) { props_.enabled = enabled; }
  int32_t Left() const { return props_.left; }
  void SetLeft(int32_t twips) { props_.left = twips; }
  int32_t Top() const { return props_.top; }
  void SetTop(int32_t twips) { props_.top = twips; }
  int32_t Width() const { return props_.width; }
  void SetWidth(int32_t twips) { props_.width = twips; }
  int32_t Height() const { return props_.height; }
  void SetHeight(int32_t twips) { props_.height = twips; }
  // Sets Left, Top, Width and Height at once (design values).
  void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height);
  // Colour stored as &H00BBGGRR.
  uint32_t BackColor() const { return props_.backColor; }
  void SetBackColor(uint32_t colour) { props_.backColor = colour; }
  int TabIndex() const { return props_.tabIndex; }
  void SetTabIndex(int tabIndex) { props_.tabIndex = tabIndex; }
  bool TabStop() const { return props_.tabStop; }
  void SetTabStop(bool tabStop) { props_.tabStop = tabStop; }
  const std::string& ToolTipText() const { return props_.toolTipText; }
  void SetToolTipText(std::string text) { props_.toolTipText = std::move(text); }
  const std::string& FontName() const { return props_.fontName; }
  double FontSize() const { return props_.fontSize; }
  void SetFont(std::string name, double size);

  // Gives the control the focus: LostFocus of the control that had it, then
  // GotFocus of this one. Nothing happens when it has the focus already. A hidden
  // or disabled control (or a label) raises base::RuntimeError 5.
  void SetFocus();
  // True when the control holds the keyboard focus.
  bool HasFocus() const;
  // Asks the front end to repaint now (no effect on the model).
  void Refresh();

  // Events, set by the owner of the control. Click and DblClick of array
  // members are bound per member (the handler captures the index).
  std::function<void()> GotFocus;
  std::function<void()> LostFocus;
  std::function<void()> Click;
  std::function<void()> DblClick;
  std::function<void(int16_t& keyCode, int16_t shift)> KeyDown;
  std::function<void(int16_t& keyAscii)> KeyPress;
  std::function<void(int16_t& keyCode, int16_t shift)> KeyUp;

  // Records the current properties as the design values (done by the container
  // the first time its form loads) and puts them back (every later load).
  virtual void SaveDesign();
  virtual void RestoreDesign();

 private:
  friend class Container;

  struct Props {
    bool visible = true;
    bool enabled = true;
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint32_t backColor = 0x00FFFFFF;
    int tabIndex = 0;
    bool tabStop = true;
    std::string toolTipText;
    std::string fontName = "MS Sans Serif";
    double fontSize = 8.25;
  };

  ControlKind kind_;
  std::string name_;
  int index_;
  Container* owner_ = nullptr;
  Props props_;
  Props design_;
};

}  // namespace screen
