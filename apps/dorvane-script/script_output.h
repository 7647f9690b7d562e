// The output side of the script language: quoted texts with their escapes,
// values, colours, and the lines that describe a form, a control and the focus.
// Relies on the toolkit and the record store's Variant.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "services/recordstore/variant.h"
#include "services/screen/screen.h"

namespace scripthost {

// A text in double quotes with \\ \" \r \n \t, and \xHH for other control
// characters.
std::string Quote(std::string_view text);
// A value as scripts print it: True/False, whole numbers in decimal, texts
// quoted, Null, Empty, dates as #M/D/YYYY#, other numbers in decimal.
std::string FormatValue(const recordstore::Variant& value);
// A colour as &H00BBGGRR (eight upper-case hex digits).
std::string FormatColour(uint32_t colour);
// "form NAME caption="..." width=N keypreview=B".
std::string FormLine(const screen::Container& form);
// The properties of a control line after NAME and KIND, each as its name and
// printed value, in the order the line gives them: visible enabled left top
// width back, then caption (labels, buttons) or text and sel (text boxes).
using PropertyList = std::vector<std::pair<std::string, std::string>>;
PropertyList ControlProperties(const screen::Control& control);
// "NAME(I) KIND" and then each of properties as " name=value".
std::string ControlLine(const screen::Control& control, const PropertyList& properties);
// The full line: "NAME(I) KIND visible=B enabled=B left=N top=N width=N
// back=&H... caption=..." (text boxes give text= and sel= instead of caption,
// scroll bars neither).
std::string ControlLine(const screen::Control& control);
// Whether name is a property that a control line of some kind gives.
bool IsControlProperty(std::string_view name);
// "focus = NAME", "focus = (host)" when the host holds the focus, or
// "focus = (none)" when no control of the active form has it.
std::string FocusLine();

}  // namespace scripthost
