// The inputs of a session as the session thread applies them: keys, text,
// clicks, focus and selection, the page's focus leaving and coming back, the
// close box, answers to message boxes and host property sets. Every field
// comes from a browser and is checked; a refusal is an `error` naming the
// input, and nothing in it shows the server.
#include <cstdint>
#include <string>

#include "apps/dorvane-script/script_words.h"
#include "apps/dorvane-web/session.h"
#include "services/base/runtime_error.h"
#include "services/screen/controls.h"
#include "services/screen/dispatcher.h"
#include "services/screen/host_screen.h"
#include "services/screen/keys.h"

namespace dorvaneweb {
namespace {

using nlohmann::json;

// A refusal of the input being applied.
struct Refusal {
  std::string message;
};

// The whole number `key` of message, within [low, high].
int64_t WholeNumber(const json& message, const char* key, int64_t low, int64_t high) {
  if (!message.contains(key) || !message[key].is_number_integer())
    throw Refusal{std::string("\"") + key + "\" must be a whole number."};
  const int64_t value = message[key].get<int64_t>();
  if (value < low || value > high)
    throw Refusal{std::string("\"") + key + "\" is out of range (" + std::to_string(low) + " to " +
                  std::to_string(high) + ")."};
  return value;
}

// The text `key` of message, at most `longest` bytes.
std::string Text(const json& message, const char* key, size_t longest) {
  if (!message.contains(key) || !message[key].is_string())
    throw Refusal{std::string("\"") + key + "\" must be a text."};
  std::string text = message[key].get<std::string>();
  if (text.size() > longest) throw Refusal{std::string("\"") + key + "\" is too long."};
  return text;
}

// The user control or modal form of the screen named `name`.
screen::Container& ContainerNamed(screen::Screen& window, const std::string& name) {
  for (screen::UserControl* control : window.Placed()) {
    if (control->Name() == name) return *control;
  }
  for (screen::Form* form : window.ModalForms()) {
    if (form->Name() == name) return *form;
  }
  throw Refusal{"There is no form or control \"" + name.substr(0, 60) + "\" on the screen."};
}

// The visible control `control` of the container `container` of message.
screen::Control& ControlNamed(screen::Screen& window, const json& message) {
  screen::Container& container = ContainerNamed(window, Text(message, "container", 100));
  const std::string word = Text(message, "control", 100);
  std::string name;
  int index = -1;
  screen::Control* control = nullptr;
  try {
    scripthost::ParseControlName(word, name, index);
    control = container.Find(name, index);
  } catch (const scripthost::ScriptError&) {
  }
  if (control == nullptr || !control->Visible())
    throw Refusal{"There is no control \"" + word + "\" on " + container.Name() + "."};
  return *control;
}

// The focused text box, for text and selections.
screen::TextBox& FocusedTextBox(const char* what) {
  screen::Control* focused = screen::FocusedControl();
  if (focused == nullptr || focused->Kind() != screen::ControlKind::TextBox)
    throw Refusal{std::string(what) + " needs a text box with the focus."};
  return static_cast<screen::TextBox&>(*focused);
}

// Sets the selection of a text box from selStart and selLength, when given.
void Select(screen::TextBox& box, const json& message) {
  if (!message.contains("selStart")) return;
  box.SetSelStart(static_cast<int>(WholeNumber(message, "selStart", 0, 65535)));
  if (message.contains("selLength"))
    box.SetSelLength(static_cast<int>(WholeNumber(message, "selLength", 0, 65535)));
}

// The characters of UTF-8 text; a malformed sequence is refused.
std::vector<char32_t> Characters(const std::string& text) {
  std::vector<char32_t> out;
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int extra = lead < 0x80         ? 0
                      : (lead >> 5) == 6  ? 1
                      : (lead >> 4) == 14 ? 2
                      : (lead >> 3) == 30 ? 3
                                          : -1;
    if (extra < 0 || i + extra + 1 > text.size()) throw Refusal{"The text is not UTF-8."};
    char32_t ch = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) throw Refusal{"The text is not UTF-8."};
      ch = (ch << 6) | (next & 0x3F);
    }
    out.push_back(ch);
    i += extra + 1;
  }
  return out;
}

// Each character goes in as a typed one: the key of the US layout that gives
// it, else a KeyPress alone (characters no key gives); control characters
// and characters beyond 16 bits are left out.
void TypeText(const std::string& text) {
  FocusedTextBox("Text");
  for (char32_t ch : Characters(text)) {
    if (ch < 0x20 || ch == 0x7F || ch > 0x7FFF) continue;
    if (ch < 0x80) {
      if (auto key = screen::KeyOfCharacter(static_cast<char>(ch))) {
        screen::PressKey(key->keyCode, key->shift, static_cast<int16_t>(ch));
        continue;
      }
    }
    screen::PressKey(0, 0, static_cast<int16_t>(ch));
  }
}

}  // namespace

void Session::Apply(const Input& input) {
  const json& message = input.message;
  const std::string type = message["type"].get<std::string>();
  try {
    if (type == "refused") {
      throw Refusal{"Too much input at once: this input was refused. Slow down and try again."};
    } else if (type == "key") {
      const auto code = static_cast<int16_t>(WholeNumber(message, "code", 0, 255));
      const auto shift =
          static_cast<int16_t>(message.contains("shift") ? WholeNumber(message, "shift", 0, 7) : 0);
      if (screen::ActiveContainer() == nullptr)
        throw Refusal{"There is nothing on the screen to type into."};
      // A Tab the browser sent before it knew where the focus is: on the
      // control's last tab stop (first, with Shift) it leaves the control,
      // and the browser moves its focus on to the page's neighbouring field.
      const bool back = (shift & screen::kShiftMask) != 0;
      if (code == 9 && (shift & ~screen::kShiftMask) == 0 &&
          message.value("mayLeave", false) == true && screen::ActiveModalForm() == nullptr &&
          window_->TabLeavesUserControl(back)) {
        window_->FocusHost();
        Send(json{{"type", "tabbedOut"}, {"to", back ? "previous" : "next"}});
        return;
      }
      if (message.contains("char")) {
        screen::PressKey(code, shift,
                         static_cast<int16_t>(WholeNumber(message, "char", 0, 0x7FFF)));
      } else {
        screen::PressKey(code, shift);
      }
    } else if (type == "text") {
      TypeText(Text(message, "text", 4096));
    } else if (type == "click" || type == "dblclick") {
      screen::Control& control = ControlNamed(*window_, message);
      // A browser's double click clicked with its first press already: with
      // "second" it is the DblClick alone, as the Qt front end sends it.
      if (type == "click") {
        screen::ClickControl(control);
      } else if (message.value("second", false) == true) {
        window_->SecondClick(control);
      } else {
        screen::DoubleClickControl(control);
      }
    } else if (type == "focus") {
      screen::Control& control = ControlNamed(*window_, message);
      if (control.Kind() != screen::ControlKind::TextBox)
        throw Refusal{"Only a text box takes the focus this way."};
      if (!control.HasFocus()) screen::ClickControl(control);
      if (control.HasFocus()) Select(static_cast<screen::TextBox&>(control), message);
    } else if (type == "select") {
      Select(FocusedTextBox("A selection"), message);
    } else if (type == "leave") {
      // The page's focus went to a field of its own: the control loses it
      // (not to a dialog of the control that opened meanwhile: that keeps it).
      if (screen::ActiveModalForm() == nullptr) window_->FocusHost();
    } else if (type == "enter") {
      // The page's focus came back: Tab enters at the first tab stop,
      // Shift+Tab at the last, anything else where the focus was.
      const std::string at = message.contains("at") ? Text(message, "at", 20) : "";
      if (window_->Placed().empty()) throw Refusal{"There is no control to give the focus to."};
      window_->Focus(*window_->Placed().front(), at == "first"  ? screen::FocusEntry::FirstTabStop
                                                 : at == "last" ? screen::FocusEntry::LastTabStop
                                                                : screen::FocusEntry::Remembered);
    } else if (type == "closeForm") {
      screen::Form* top = screen::ActiveModalForm();
      if (top == nullptr || top->Name() != Text(message, "form", 100))
        throw Refusal{"That form is not the open dialog."};
      screen::CloseForm(*top);
    } else if (type == "set") {
      ApplySet(input);
    } else if (type == "answer") {
      throw Refusal{"No message box is waiting for an answer."};
    } else if (type == "hello") {
      throw Refusal{"This session is open already."};
    } else {
      throw Refusal{"Unknown message type \"" + type.substr(0, 40) + "\"."};
    }
  } catch (const Refusal& refusal) {
    SendError(refusal.message, input.n);
  }
}

// While a box waits only its answer is taken; Enter, Esc and Space answer it
// with OK as they would on the desktop.
void Session::ApplyBoxInput(const Input& input, size_t box, std::optional<int>& answer) {
  const json& message = input.message;
  const std::string type = message["type"].get<std::string>();
  try {
    if (type == "answer") {
      if (WholeNumber(message, "box", 0, 1000) != static_cast<int64_t>(box))
        throw Refusal{"That message box is not the one waiting for an answer."};
      answer =
          static_cast<int>(message.contains("button") ? WholeNumber(message, "button", 1, 7) : 1);
    } else if (type == "key") {
      const int64_t code = WholeNumber(message, "code", 0, 255);
      if (code == screen::kKeyReturn || code == screen::kKeyEscape || code == screen::kKeySpace) {
        answer = 1;
      } else {
        throw Refusal{"A message box is waiting for an answer."};
      }
    } else {
      throw Refusal{"A message box is waiting for an answer."};
    }
  } catch (const Refusal& refusal) {
    SendError(refusal.message, input.n);
  }
}

// A host property Let: PathText takes a source name (mapped to its place),
// the tags whole numbers, ControlsEnabled true or false. A value of the wrong
// type is the classic type mismatch; a run-time error of the Let is the
// result's error.
void Session::ApplySet(const Input& input) {
  const json& message = input.message;
  json result{{"type", "result"}, {"n", input.n}, {"ok", true}};
  auto fail = [&](int number, const std::string& description) {
    result["ok"] = false;
    result["error"] = json{{"number", number}, {"description", description}};
  };
  const std::string property = message.contains("property") && message["property"].is_string()
                                   ? message["property"].get<std::string>()
                                   : std::string();
  const json value = message.contains("value") ? message["value"] : json();
  if (hosted_ == nullptr) {
    fail(91, "There is no control to set.");
  } else if (screen::ActiveModalForm() != nullptr) {
    // A host cannot reach the control while its dialog is open.
    fail(5, "The control has a dialog open: close it first.");
  } else if (property == "PathText" && value.is_string() &&
             value.get<std::string>().size() <= 260) {
    const std::string name = value.get<std::string>();
    const std::string place = setup_.places->PlaceOf(name, setup_.ticket);
    {
      std::lock_guard lock(outMutex_);
      scrubNames_ = place != name ? setup_.places->NamesWith(place, name) : setup_.places->Names();
    }
    pathName_ = name;
    try {
      hosted_->Let(property, recordstore::Variant::String(place));
    } catch (const base::RuntimeError& error) {
      fail(error.Number(), error.Description());
    }
  } else if ((property == "SelectedBPETAG" || property == "SelectedEPETAG") &&
             value.is_number_integer() && value.get<int64_t>() >= INT32_MIN &&
             value.get<int64_t>() <= INT32_MAX) {
    try {
      hosted_->Let(property,
                   recordstore::Variant::Long(static_cast<int32_t>(value.get<int64_t>())));
    } catch (const base::RuntimeError& error) {
      fail(error.Number(), error.Description());
    }
  } else if (property == "ControlsEnabled" && value.is_boolean()) {
    try {
      hosted_->Let(property, recordstore::Variant::Boolean(value.get<bool>()));
      controlsEnabled_ = value.get<bool>();
    } catch (const base::RuntimeError& error) {
      fail(error.Number(), error.Description());
    }
  } else if (property == "PathText" || property == "SelectedBPETAG" ||
             property == "SelectedEPETAG" || property == "ControlsEnabled") {
    fail(13, "Type mismatch: " + property + " does not take that value.");
  } else {
    fail(438, "The control has no property \"" + property.substr(0, 40) + "\" to set.");
  }
  Flush();
  Send(std::move(result));
}

}  // namespace dorvaneweb
