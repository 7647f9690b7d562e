// ztBasicSet: the shared text, date, job-number and keystroke routines that the
// control, the search dialog and the other modules use. The routines hold no
// state. Values come from the record store (Variant, RuntimeError); the two
// keystroke routines act on toolkit controls (screen::Control).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "services/recordstore/variant.h"

namespace screen {
class Control;
}

namespace ztBasicSet {

// --- Text entry (ztBasicSet_text.cpp) ---

// The text without its leading and trailing spaces (only blanks are removed,
// not tabs or line breaks).
std::string TrimSpaces(std::string_view text);
// True when the text holds nothing but spaces.
bool IsBlank(const std::string& text);
// The opposite of IsBlank.
bool IsNotBlank(const std::string& text);
// The file in a data folder: folder (trimmed) + "\\" + file, or the file alone
// when the folder is blank.
std::string FileInFolder(const std::string& folder, const std::string& file);
// True when searching is allowed, the text is not blank and it begins with "/" or "?".
bool IsSearchRequest(const std::string& text, bool searchAllowed);
// The decimal text of value preceded by spaces up to width; never cut.
std::string RightAlignInteger(int16_t value, int16_t width);
// The same for a 32-bit value.
std::string RightAlignLong(int32_t value, int16_t width);
// text repeated count times; "" when count is below 1.
std::string RepeatText(const std::string& text, int16_t count);
// The items of a text separated by "|", in order and untrimmed; always at
// least one ("" is one empty item, "a|" two).
std::vector<std::string> SplitAtBars(std::string_view text);

// --- Keystrokes (ztBasicSet_keys.cpp) ---

// Selects the whole text of a text box; other kinds of control are left alone.
void SelectAllText(screen::Control& ctl);
// Turns Enter into a move to the next control (returns 0) and, when upperCase
// is set, small letters into capitals (written back into keyAscii).
int16_t TranslateKeyPress(int16_t& keyAscii, bool upperCase);

// --- Dates (ztBasicSet_dates.cpp) ---

// Checks a typed month/day/year date and returns it normalised: form 6 gives
// "MMDDYY", form 8 "MM/DD/YY", any other form "MM/DD/YYYY"; " " when the entry
// is not a date. centuryPivot is normalised (see DateTextToYMD) and written back.
// Never raises.
std::string ValidateDateText(const std::string& dateText, int16_t& outputForm,
                             int16_t& centuryPivot);
// Turns a normalised month/day/year text into its "yyyymmdd" key; eight spaces
// when the text does not have exactly two "/" or "-" separators. A two-digit
// year above the pivot is placed in the 1900s, any other in the 2000s; the pivot
// is first made positive, and 0 or a value above 99 becomes 70. Raises
// base::RuntimeError 6 when the year's value does not fit 16 bits.
std::string DateTextToYMD(const std::string& dateText, int16_t& centuryPivot);
// The value written with formatText (see format_text.h), or "-" / " " (by
// dashWhenEmpty) when the value is Null or equal to 0.
std::string FormatValueOrBlank(const recordstore::Variant& value, const std::string& formatText,
                               bool dashWhenEmpty);

// --- Job numbers (ztBasicSet_jobno.cpp) ---

// Brings a typed or stored job number into the stored form: right-aligned in
// jobNoSize characters, a whole number for type "N", capitals for type "C";
// left-aligned and padded with spaces instead when leftAlign is set.
std::string FormatJobNumber(const std::string& jobNo, const std::string& jobNoType,
                            int16_t jobNoSize, bool leftAlign);

}  // namespace ztBasicSet
