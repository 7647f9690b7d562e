// Formatting of the scripted host's output lines. Relies on the toolkit's
// controls and dispatcher, and on Variant's conversions.
#include "apps/dorvane-script/script_output.h"

#include <cstdio>

namespace scripthost {
namespace {

const char* BoolText(bool b) { return b ? "True" : "False"; }

}  // namespace

std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (char ch : text) {
    switch (ch) {
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(ch));
          out += hex;
        } else {
          out += ch;
        }
    }
  }
  return out + "\"";
}

std::string FormatValue(const recordstore::Variant& value) {
  using recordstore::VarType;
  switch (value.Type()) {
    case VarType::Empty:
      return "Empty";
    case VarType::Null:
      return "Null";
    case VarType::Boolean:
      return BoolText(value.ToBoolean());
    case VarType::String:
      return Quote(value.ToString());
    case VarType::Date:
      return "#" + value.ToString() + "#";
    default:
      return value.ToString();
  }
}

std::string FormatColour(uint32_t colour) {
  char text[16];
  std::snprintf(text, sizeof text, "&H%08X", static_cast<unsigned>(colour));
  return text;
}

std::string FormLine(const screen::Container& form) {
  return "form " + form.Name() + " caption=" + Quote(form.Caption()) +
         " width=" + std::to_string(form.Width()) + " keypreview=" + BoolText(form.KeyPreview());
}

std::string ControlLine(const screen::Control& c) {
  std::string line = c.QualifiedName() + " " + screen::KindName(c.Kind()) +
                     " visible=" + BoolText(c.Visible()) + " enabled=" + BoolText(c.Enabled()) +
                     " left=" + std::to_string(c.Left()) + " top=" + std::to_string(c.Top()) +
                     " width=" + std::to_string(c.Width()) + " back=" + FormatColour(c.BackColor());
  switch (c.Kind()) {
    case screen::ControlKind::TextBox: {
      const auto& box = static_cast<const screen::TextBox&>(c);
      line += " text=" + Quote(box.Text()) + " sel=" + std::to_string(box.SelStart()) + "," +
              std::to_string(box.SelLength());
      break;
    }
    case screen::ControlKind::Label:
      line += " caption=" + Quote(static_cast<const screen::Label&>(c).Caption());
      break;
    case screen::ControlKind::CommandButton:
      line += " caption=" + Quote(static_cast<const screen::CommandButton&>(c).Caption());
      break;
    case screen::ControlKind::HScrollBar:
      break;
  }
  return line;
}

std::string FocusLine() {
  if (screen::Control* c = screen::FocusedControl()) return "focus = " + c->QualifiedName();
  if (screen::ActiveModalForm() == nullptr && !screen::UserControlHasFocus()) {
    return "focus = (host)";
  }
  return "focus = (none)";
}

}  // namespace scripthost
