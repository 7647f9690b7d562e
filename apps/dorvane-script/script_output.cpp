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

PropertyList ControlProperties(const screen::Control& c) {
  PropertyList list = {{"visible", BoolText(c.Visible())},   {"enabled", BoolText(c.Enabled())},
                       {"left", std::to_string(c.Left())},   {"top", std::to_string(c.Top())},
                       {"width", std::to_string(c.Width())}, {"back", FormatColour(c.BackColor())}};
  switch (c.Kind()) {
    case screen::ControlKind::TextBox: {
      const auto& box = static_cast<const screen::TextBox&>(c);
      list.emplace_back("text", Quote(box.Text()));
      list.emplace_back("sel",
                        std::to_string(box.SelStart()) + "," + std::to_string(box.SelLength()));
      break;
    }
    case screen::ControlKind::Label:
      list.emplace_back("caption", Quote(static_cast<const screen::Label&>(c).Caption()));
      break;
    case screen::ControlKind::CommandButton:
      list.emplace_back("caption", Quote(static_cast<const screen::CommandButton&>(c).Caption()));
      break;
    case screen::ControlKind::HScrollBar:
      break;
  }
  return list;
}

std::string ControlLine(const screen::Control& c, const PropertyList& properties) {
  std::string line = c.QualifiedName() + " " + screen::KindName(c.Kind());
  for (const auto& [name, value] : properties) line += " " + name + "=" + value;
  return line;
}

std::string ControlLine(const screen::Control& c) { return ControlLine(c, ControlProperties(c)); }

bool IsControlProperty(std::string_view name) {
  for (const char* known :
       {"visible", "enabled", "left", "top", "width", "back", "caption", "text", "sel"}) {
    if (name == known) return true;
  }
  return false;
}

std::string FocusLine() {
  if (screen::Control* c = screen::FocusedControl()) return "focus = " + c->QualifiedName();
  if (screen::ActiveModalForm() == nullptr && !screen::UserControlHasFocus()) {
    return "focus = (host)";
  }
  return "focus = (none)";
}

}  // namespace scripthost
