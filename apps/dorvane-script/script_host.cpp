// The command executor of dorvane-script: one routine per command, the modal
// run that reads commands until a form unloads, and the end-of-script close of
// an open dialog. Relies on the toolkit, the record store (Workspaces), the
// words and output helpers, the `sql` command and the hosted control.
#include "apps/dorvane-script/script_host.h"

#include <algorithm>
#include <cassert>
#include <exception>

#include "apps/dorvane-script/script_output.h"
#include "apps/dorvane-script/script_sql.h"
#include "services/base/runtime_error.h"
#include "services/recordstore/db_engine.h"
#include "services/screen/screen.h"

namespace scripthost {
namespace {

const char* const kLetProperties[] = {"PathText", "SelectedBPETAG", "SelectedEPETAG",
                                      "ControlsEnabled"};
const char* const kGetProperties[] = {"SelectedBPETAG",  "SelectedEPETAG", "SelectedBPEDATE",
                                      "SelectedEPEDATE", "IsListOK",       "ArePEDatesOK"};

template <size_t N>
bool IsOneOf(const std::string& name, const char* const (&names)[N]) {
  for (const char* n : names) {
    if (name == n) return true;
  }
  return false;
}

// Checks the number of words after the command.
void ExpectArguments(const std::vector<Word>& words, size_t minimum, size_t maximum,
                     const char* usage) {
  const size_t count = words.size() - 1;
  if (count < minimum || count > maximum) throw ScriptError{std::string("usage: ") + usage};
}

// The words after the command joined by single blanks.
std::string RestOfLine(const std::vector<Word>& words) {
  std::string text;
  for (size_t i = 1; i < words.size(); ++i) {
    if (i > 1) text += ' ';
    text += words[i].text;
  }
  return text;
}

}  // namespace

ScriptHost::ScriptHost(HostedControlFactory factory, std::ostream& out, std::ostream& err)
    : factory_(std::move(factory)),
      out_(out),
      err_(err),
      desktop_(out, [this](screen::Form& form) { RunModal(form); }) {}

ScriptHost::~ScriptHost() = default;

int ScriptHost::Run(std::istream& in) {
  in_ = &in;
  lineNumber_ = 0;
  workspacesAtStart_ = recordstore::DBEngine::Instance()->WorkspacesCreated();
  screen::ResetScreen();
  screen::SetThreadDesktop(&desktop_);
  int status = 0;
  try {
    NewControl();
    std::vector<Word> words;
    while (ReadCommand(words)) Execute(words);
  } catch (const ScriptError& error) {
    out_.flush();
    err_ << "ERROR line " << lineNumber_ << ": " << error.message << "\n";
    status = 2;
  }
  screen::ResetScreen();
  control_.reset();
  screen::SetThreadDesktop(nullptr);
  out_.flush();
  return status;
}

bool ScriptHost::ReadCommand(std::vector<Word>& words) {
  std::string line;
  while (std::getline(*in_, line)) {
    ++lineNumber_;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;
    words = SplitWords(line);
    return true;
  }
  return false;
}

// At the end of the script the dialog gets its close box and the control
// finishes what it was doing.
void ScriptHost::RunModal(screen::Form& form) {
  std::vector<Word> words;
  while (form.IsLoaded()) {
    if (!ReadCommand(words)) {
      screen::CloseForm(form);
      return;
    }
    Execute(words);
  }
}

template <class Action>
void ScriptHost::HostAction(const Action& action) {
  try {
    action();
  } catch (const base::RuntimeError& error) {
    desktop_.ReportError(error);
  } catch (const std::exception& error) {
    desktop_.ReportError(base::RuntimeError(51, error.what()));
  }
}

// The commands of the language: each word and the routine that runs it.
struct ScriptHost::Command {
  const char* word;
  void (ScriptHost::*run)(const std::vector<Word>& words);
};

const ScriptHost::Command ScriptHost::kCommands[] = {
    {"new", &ScriptHost::New},
    {"let", &ScriptHost::Let},
    {"get", &ScriptHost::Get},
    {"state", &ScriptHost::State},
    {"press", &ScriptHost::Press},
    {"type", &ScriptHost::Type},
    {"click", &ScriptHost::Click},
    {"dblclick", &ScriptHost::Click},
    {"close", &ScriptHost::Close},
    {"focus-host", &ScriptHost::MoveHostFocus},
    {"focus-control", &ScriptHost::MoveHostFocus},
    {"show", &ScriptHost::Show},
    {"screen", &ScriptHost::Screen},
    {"focused", &ScriptHost::Focused},
    {"opensearch", &ScriptHost::OpenSearch},
    {"today", &ScriptHost::Today},
    {"sql", &ScriptHost::Sql},
    {"echo", &ScriptHost::Echo},
};

std::vector<std::string> ScriptHost::CommandWords() {
  std::vector<std::string> list;
  for (const Command& command : kCommands) list.emplace_back(command.word);
  return list;
}

void ScriptHost::Execute(const std::vector<Word>& words) {
  assert(!words.empty());
  const std::string& command = words[0].text;
  for (const Command& known : kCommands) {
    if (command == known.word) return (this->*known.run)(words);
  }
  throw ScriptError{"unknown command " + command};
}

void ScriptHost::New(const std::vector<Word>& words) {
  ExpectArguments(words, 0, 0, "new");
  RefuseDuringDialog("new");
  NewControl();
}

void ScriptHost::Close(const std::vector<Word>& words) {
  ExpectArguments(words, 0, 0, "close");
  screen::Form* form = screen::ActiveModalForm();
  if (form == nullptr) throw ScriptError{"close: no dialog is open"};
  screen::CloseForm(*form);
}

// focus-host and focus-control: the host takes the focus or gives it back.
void ScriptHost::MoveHostFocus(const std::vector<Word>& words) {
  const std::string& command = words[0].text;
  ExpectArguments(words, 0, 0, command.c_str());
  RefuseDuringDialog(command);
  ActiveForm();
  command == "focus-host" ? screen::FocusHost() : screen::FocusUserControl();
}

void ScriptHost::Focused(const std::vector<Word>& words) {
  ExpectArguments(words, 0, 0, "focused");
  out_ << FocusLine() << "\n";
}

void ScriptHost::Sql(const std::vector<Word>& words) {
  ExpectArguments(words, 2, 2, "sql DB \"STATEMENT\"");
  if (pathText_.empty()) throw ScriptError{"sql: no PathText has been set"};
  RunSql(pathText_, words[1].text, words[2].text, out_);
}

void ScriptHost::Echo(const std::vector<Word>& words) { out_ << RestOfLine(words) << "\n"; }

void ScriptHost::RefuseDuringDialog(const std::string& command) {
  if (screen::ActiveModalForm() != nullptr) {
    throw ScriptError{command + ": refused while a dialog is open"};
  }
}

// Drops the control, makes a fresh one and gives it the focus.
void ScriptHost::NewControl() {
  screen::PlaceUserControl(nullptr);
  control_.reset();
  if (!factory_) throw ScriptError{"no control is available in this program"};
  HostAction([&] { control_ = factory_(); });
  if (!control_) throw ScriptError{"the control could not be created"};
  screen::PlaceUserControl(&control_->Surface());
  screen::FocusUserControl();
}

screen::Container& ScriptHost::ActiveForm() {
  screen::Container* form = screen::ActiveContainer();
  if (form == nullptr) throw ScriptError{"no control is placed on the host"};
  return *form;
}

void ScriptHost::Let(const std::vector<Word>& words) {
  ExpectArguments(words, 2, 2, "let PROP VALUE");
  RefuseDuringDialog("let");
  const std::string& property = words[1].text;
  const std::string& text = words[2].text;
  if (!IsOneOf(property, kLetProperties)) throw ScriptError{"let: unknown property " + property};
  recordstore::Variant value;
  if (property == "PathText") {
    pathText_ = sources_.In(text);
    value = recordstore::Variant::String(pathText_);
  } else if (property == "ControlsEnabled") {
    if (text != "True" && text != "False")
      throw ScriptError{"let: ControlsEnabled is True or False"};
    value = recordstore::Variant::Boolean(text == "True");
  } else {
    value = recordstore::Variant::Long(static_cast<int32_t>(
        ParseWholeNumber(text, INT32_MIN, INT32_MAX, "let: the value of " + property)));
  }
  HostAction([&] { control_->Let(property, value); });
}

void ScriptHost::Get(const std::vector<Word>& words) {
  ExpectArguments(words, 1, 1, "get PROP");
  RefuseDuringDialog("get");
  const std::string& property = words[1].text;
  if (!IsOneOf(property, kGetProperties)) throw ScriptError{"get: unknown property " + property};
  HostAction([&] { out_ << property << " = " << FormatValue(control_->Get(property)) << "\n"; });
}

// KeyPreview and Workspaces (those created since the script started) are the
// same for both forms; the rest comes from
// the active form's own state.
void ScriptHost::State(const std::vector<Word>& words) {
  ExpectArguments(words, 1, 1, "state FIELD");
  const std::string& field = words[1].text;
  screen::Container& form = ActiveForm();
  std::optional<recordstore::Variant> value;
  if (field == "KeyPreview") {
    value = recordstore::Variant::Boolean(form.KeyPreview());
  } else if (field == "Workspaces") {
    value = recordstore::Variant::Long(recordstore::DBEngine::Instance()->WorkspacesCreated() -
                                       workspacesAtStart_);
  } else {
    HostAction([&] {
      value = control_->StateField(form, field);
      if (!value) throw ScriptError{"state: unknown field " + field + " of " + form.Name()};
    });
  }
  if (value) out_ << field << " = " << FormatValue(*value) << "\n";
}

void ScriptHost::Press(const std::vector<Word>& words) {
  ExpectArguments(words, 1, SIZE_MAX, "press KEY...");
  std::vector<ScriptKey> keys;
  for (size_t i = 1; i < words.size(); ++i) keys.push_back(ParseKey(words[i].text));
  ActiveForm();
  if (userInput_) {
    UserInput input{"press", {}, nullptr};
    for (size_t i = 1; i < words.size(); ++i) input.words.push_back(words[i].text);
    userInput_(input);
    return;
  }
  for (const ScriptKey& key : keys) screen::PressKey(key.keyCode, key.shift, key.keyAscii);
}

void ScriptHost::Type(const std::vector<Word>& words) {
  ExpectArguments(words, 1, SIZE_MAX, "type TEXT");
  const std::string text = RestOfLine(words);
  std::vector<screen::KeyStroke> keys;
  for (char ch : text) {
    auto key = screen::KeyOfCharacter(ch);
    if (!key) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(ch));
      throw ScriptError{std::string("type: no key gives the character ") + hex};
    }
    keys.push_back(*key);
  }
  ActiveForm();
  if (userInput_) {
    userInput_(UserInput{"type", {text}, nullptr});
    return;
  }
  for (const auto& key : keys) screen::PressKey(key.keyCode, key.shift);
}

screen::Control& ScriptHost::FindControl(const std::string& word) {
  std::string name;
  int index = -1;
  ParseControlName(word, name, index);
  screen::Container& form = ActiveForm();
  screen::Control* control = form.Find(name, index);
  if (control != nullptr) return *control;
  if (index < 0 && form.IsArrayName(name)) {
    throw ScriptError{name + " is a control array of " + form.Name() + ": give an index"};
  }
  throw ScriptError{"no control " + word + " on " + form.Name()};
}

void ScriptHost::Click(const std::vector<Word>& words) {
  const bool twice = words[0].text == "dblclick";
  ExpectArguments(words, 1, 1, twice ? "dblclick NAME(I)" : "click NAME");
  screen::Control& control = FindControl(words[1].text);
  const bool clicked = userInput_ ? userInput_(UserInput{words[0].text, {}, &control})
                       : twice    ? screen::DoubleClickControl(control)
                                  : screen::ClickControl(control);
  if (!clicked) out_ << "NOCLICK " << control.QualifiedName() << "\n";
}

// Without property names the whole control line; with them only those
// properties, in the order given.
void ScriptHost::Show(const std::vector<Word>& words) {
  ExpectArguments(words, 1, SIZE_MAX, "show NAME [PROP...]");
  const screen::Control& control = FindControl(words[1].text);
  const PropertyList all = ControlProperties(control);
  if (words.size() == 2) {
    out_ << ControlLine(control, all) << "\n";
    if (shown_) shown_(control);
    return;
  }
  PropertyList chosen;
  for (size_t i = 2; i < words.size(); ++i) {
    const std::string& name = words[i].text;
    auto found =
        std::find_if(all.begin(), all.end(), [&](const auto& p) { return p.first == name; });
    if (found != all.end()) {
      chosen.push_back(*found);
    } else if (IsControlProperty(name)) {
      throw ScriptError{"show: " + control.QualifiedName() + " (" +
                        screen::KindName(control.Kind()) + ") has no property " + name};
    } else {
      throw ScriptError{"show: unknown property " + name};
    }
  }
  out_ << ControlLine(control, chosen) << "\n";
  if (shown_) shown_(control);
}

void ScriptHost::Screen(const std::vector<Word>& words) {
  ExpectArguments(words, 0, 0, "screen");
  screen::Container& form = ActiveForm();
  out_ << FormLine(form) << "\n";
  for (const screen::Control* control : form.Controls()) out_ << ControlLine(*control) << "\n";
  out_ << FocusLine() << "\n";
}

void ScriptHost::OpenSearch(const std::vector<Word>& words) {
  const char* usage =
      "opensearch PATH DB TABLE INDEXES CAPTION TITLE FIELDS TYPES SIZES "
      "HEADERS WIDTHS ALIGNS SEARCHCOL [KEY FIELD]...";
  ExpectArguments(words, 13, 21, usage);
  if ((words.size() - 14) % 2 != 0) throw ScriptError{"opensearch: a key without its field"};
  RefuseDuringDialog("opensearch");
  const auto searchCol = static_cast<int16_t>(
      ParseWholeNumber(words[13].text, -32768, 32767, "opensearch: SEARCHCOL"));
  std::vector<ztSearchMod::IndexKey> keys;
  for (size_t i = 14; i + 1 < words.size(); i += 2) {
    const Word& key = words[i];
    recordstore::Variant value =
        key.quoted ? recordstore::Variant::String(key.text)
                   : recordstore::Variant::Integer(static_cast<int16_t>(
                         ParseWholeNumber(key.text, -32768, 32767, "opensearch: a bare KEY")));
    keys.push_back({value, words[i + 1].text});
  }
  auto text = [&](size_t i) -> const std::string& { return words[i].text; };
  const ztSearchMod::SearchRequest request = ztSearchMod::RequestFromTexts(
      sources_.In(text(1)), text(2), text(3), text(4), text(5), text(6), text(7), text(8), text(9),
      text(10), text(11), text(12), searchCol, keys, "");
  if (!openSearch_) throw ScriptError{"opensearch: search dialog not available"};
  ActiveForm();
  HostAction([&] {
    SearchOutcome outcome = openSearch_(request);
    std::string line = "SEARCH RESULT";
    if (!outcome.chosen) line += " none";
    for (const auto& [field, value] : outcome.fields)
      line += " " + field + "=" + FormatValue(value);
    out_ << line << "\n";
  });
}

void ScriptHost::Today(const std::vector<Word>& words) {
  ExpectArguments(words, 1, 1, "today YYYY-MM-DD");
  const std::string& text = words[1].text;
  auto bad = [&] { return ScriptError{"today: " + text + " is not a date YYYY-MM-DD"}; };
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') throw bad();
  int year = 0;
  int month = 0;
  int day = 0;
  try {
    year = static_cast<int>(ParseWholeNumber(text.substr(0, 4), 1, 9999, "year"));
    month = static_cast<int>(ParseWholeNumber(text.substr(5, 2), 1, 12, "month"));
    day = static_cast<int>(ParseWholeNumber(text.substr(8, 2), 1, 31, "day"));
  } catch (const ScriptError&) {
    throw bad();
  }
  const double serial = base::DateSerialFromYMD(year, month, day);
  int y = 0;
  int m = 0;
  int d = 0;
  base::YMDFromDateSerial(serial, y, m, d);
  if (y != year || m != month || d != day) throw bad();
  desktop_.SetToday(serial);
}

}  // namespace scripthost
