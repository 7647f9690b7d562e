// The toolkit's dispatch rules, one row each, written as steps on a user
// control and a dialog that log every event: where the focus goes and in
// which order LostFocus and GotFocus come (clicks, labels, SetFocus, hidden
// and disabled controls, Tab, the host), how a key runs through key preview,
// KeyDown, KeyPress and KeyUp (its target, the synthesised Tab, button and
// access keys, trapped run-time errors), modal dialogs (the focus, input,
// loads from the design values, the close box, a reset), and the text box's
// own editing and Change rules.
#include <cctype>
#include <sstream>

#include "services/base/user_action.h"
#include "tests/screen/test_forms.h"

namespace screentest {
namespace {

using testsupport::FocusName;

// The placed user control and a dialog writing into its log. Steps are
// "verb argument" separated by ";"; a handler's or a modal run's steps follow
// a ":" and are separated by ",". Notes say what a step observes.
class World {
 public:
  explicit World(screen::HeadlessDesktop& desktop) : desktop_(desktop) {
    testsupport::PlaceWithFocus(s_);
    s_.log.clear();
  }

  // Runs the steps of `text`; `key` is the key code or character of the
  // handler running them.
  void Run(const std::string& text, char separator, int16_t* key = nullptr) {
    std::istringstream steps(text);
    std::string step;
    while (std::getline(steps, step, separator))
      Step(step.substr(step.find_first_not_of(' ')), key);
  }
  // The events and notes so far.
  Log& log() { return s_.log; }

 private:
  // Adds what a step observed to the log, between the events.
  void Note(const std::string& text) { s_.log.push_back(text); }
  // "txtA", "lblRow(1)" on the user control, "frm.CmdSelect" on the dialog.
  screen::Control& C(std::string name) {
    screen::Container& where = name.starts_with("frm.") ? static_cast<screen::Container&>(d_) : s_;
    if (name.starts_with("frm.")) name = name.substr(4);
    const size_t paren = name.find('(');
    const int index = paren == std::string::npos ? -1 : std::stoi(name.substr(paren + 1));
    screen::Control* c = where.Find(name.substr(0, paren), index);
    if (c == nullptr) throw std::invalid_argument("no control " + name);
    return *c;
  }
  // The named control as a text box or a button.
  screen::TextBox& Box(const std::string& name) { return static_cast<screen::TextBox&>(C(name)); }
  screen::CommandButton& Button(const std::string& name) {
    return static_cast<screen::CommandButton&>(C(name));
  }
  // Runs action, noting the run-time error (or the abandoned run) it ends with.
  template <class F>
  void Try(F action) {
    try {
      action();
    } catch (const base::RuntimeError& e) {
      Note("error " + std::to_string(e.Number()) + " " + e.Description());
    } catch (int) {
      Note("abandoned");
    }
  }
  // Installs a handler ("on txtA.KeyPress: upper") that runs its steps.
  void On(const std::string& what, const std::string& steps) {
    const std::string target = what.substr(0, what.find('.'));
    const std::string event = what.substr(what.find('.') + 1);
    auto run = [this, steps] { Run(steps, ','); };
    auto runKey = [this, steps](int16_t& k, int16_t) { Run(steps, ',', &k); };
    if (target == "ztTest" && event == "GotFocus") s_.GotFocus = run;
    if (target == "ztTest" && event == "KeyDown") s_.KeyDown = runKey;
    if (target == "frm" && event == "KeyDown") d_.KeyDown = runKey;
    if (target == "frm" && event == "Load") d_.OnLoad = run;
    if (target == "frm" && event == "Unload") d_.OnUnload = run;
    if (target == "ztTest" || target == "frm") return;
    screen::Control& c = C(target);
    if (event == "GotFocus") c.GotFocus = run;
    if (event == "Click") c.Click = run;
    if (event == "DblClick") c.DblClick = run;
    if (event == "KeyPress") c.KeyPress = [this, steps](int16_t& a) { Run(steps, ',', &a); };
  }

  // Runs one step, "verb argument"; every verb is one of kVerbs.
  void Step(const std::string& step, int16_t* key) {
    const size_t space = step.find(' ');
    const std::string verb = step.substr(0, space);
    const std::string arg = space == std::string::npos ? "" : step.substr(space + 1);
    static const std::string kVerbs =
        " on queue: click dbl second setfocus member key type focus text set sel hide disable "
        "visible tabindex preview default cancel caption setcaption host enter synth show close "
        "unload loaded reset ran errors repaint stamp note clear nofocus zero upper throw abandon ";
    if (kVerbs.find(" " + verb + " ") == std::string::npos) ADD_FAILURE() << "no step " << step;
    std::istringstream args(arg);
    std::string name, value;
    args >> name >> value;
    if (verb == "on") On(arg.substr(0, arg.find(':')), arg.substr(arg.find(':') + 2));
    if (verb == "queue:") desktop_.QueueModalAction([this, arg] { Run(arg, ','); });
    if (verb == "click" && !screen::ClickControl(C(arg))) Note("noclick " + arg);
    if (verb == "dbl" && !screen::DoubleClickControl(C(arg))) Note("noclick " + arg);
    if (verb == "second" && !screen::Screen::Current().SecondClick(C(arg))) Note("noclick " + arg);
    if (verb == "setfocus") Try([&] { C(arg).SetFocus(); });
    if (verb == "member") Try([&] { s_.lblRow(std::stoi(arg)); });
    if (verb == "key") {
      const int16_t code = name.size() == 1 && !std::isdigit(name[0]) ? name[0] : std::stoi(name);
      screen::PressKey(code, static_cast<int16_t>(value.empty() ? 0 : std::stoi(value)));
    }
    if (verb == "type") testsupport::TypeText(arg);
    if (verb == "focus") Note("focus=" + FocusName());
    if (verb == "text") {
      screen::TextBox& box = Box(arg);
      Note("text=" + box.Text() + " sel " + std::to_string(box.SelStart()) + "+" +
           std::to_string(box.SelLength()));
    }
    if (verb == "set") Box(name).SetText(value);
    if (verb == "sel") {
      Box(name).SetSelStart(std::stoi(value));
      Box(name).SetSelLength(std::stoi(arg.substr(arg.rfind(' '))));
    }
    if (verb == "hide") C(arg).SetVisible(false);
    if (verb == "disable") C(arg).SetEnabled(false);
    if (verb == "visible") Note(C(arg).Visible() ? "visible" : "hidden");
    if (verb == "tabindex") C(name).SetTabIndex(std::stoi(value));
    if (verb == "preview")
      (arg == "frm" ? static_cast<screen::Container&>(d_) : s_).SetKeyPreview(true);
    if (verb == "default") Button(arg).SetDefault(true);
    if (verb == "cancel") Button(arg).SetCancel(true);
    if (verb == "caption") Note(Button(arg).Caption());
    if (verb == "setcaption") Button(name).SetCaption(value);
    if (verb == "host") screen::FocusHost();
    if (verb == "enter") screen::FocusUserControl();
    if (verb == "synth") screen::SynthesizeTab();
    if (verb == "show") Try([&] { d_.ShowModal(); });
    if (verb == "close") screen::CloseForm(d_);
    if (verb == "unload") d_.Unload();
    if (verb == "loaded") Note(d_.IsLoaded() ? "loaded" : "unloaded");
    if (verb == "reset") screen::ResetScreen();
    if (verb == "ran")
      for (const std::string& f : desktop_.modalForms) Note("ran " + f);
    if (verb == "errors")
      for (const auto& e : desktop_.errors) Note(std::to_string(e.Number()));
    if (verb == "repaint") screen::SetRepaintHook([this] { Note("repaint"); });
    if (verb == "stamp") Note(base::ActionStamp() != 0 ? "in an action" : "outside");
    if (verb == "note") Note(arg);
    if (verb == "clear") s_.log.clear();
    // Leaves only the notes and the key and click events.
    if (verb == "nofocus")
      std::erase_if(s_.log, [](const std::string& e) { return e.ends_with("Focus"); });
    if (verb == "zero") *key = 0;
    if (verb == "upper" && std::islower(*key)) *key = static_cast<int16_t>(*key - 32);
    if (verb == "throw") throw base::RuntimeError(std::stoi(arg), "fault");
    if (verb == "abandon") throw 42;  // no run-time error: nothing traps it
  }

  screen::HeadlessDesktop& desktop_;
  Surface s_;
  Dialog d_{s_.log};
};

const struct {
  const char* what;
  const char* steps;
  const char* log;
} kRows[] = {
    {"a focus move: the old LostFocus first, and once", "setfocus txtA; setfocus txtA",
     "hsbMAIN.LostFocus|txtA.GotFocus"},
    {"a click moves the focus first, also to a button that is no tab stop", "click btnFind; focus",
     "hsbMAIN.LostFocus|btnFind.GotFocus|btnFind.Click|focus=btnFind"},
    {"a click on a text box keeps the selection its GotFocus made",
     "set txtA 1234; on txtA.GotFocus: sel txtA 0 4; clear; click txtA; text txtA",
     "hsbMAIN.LostFocus|txtA.Click|text=1234 sel 0+4"},
    {"labels take no focus; SetFocus on a disabled control is error 5",
     "disable txtB; click lblRow(1); setfocus lblRow(0); setfocus txtB; focus",
     "lblRow(1).Click|error 5 Cannot give the focus to lblRow(0): a label cannot take the "
     "focus|error 5 Cannot give the focus to txtB: the control is disabled|focus=hsbMAIN"},
    {"a hidden focused control keeps the focus until Tab moves it",
     "setfocus txtA; clear; hide txtA; focus; key 9", "focus=txtA|txtA.LostFocus|txtB.GotFocus"},
    {"Tab and Shift+Tab follow TabIndex over visible enabled stops, wrap, reach no handler",
     "disable txtB; hide cmdAdd; preview; key 9; focus; key 9; focus; key 9; focus; key 9; focus; "
     "key 9 1; focus; key 9 1; focus; click btnFind; tabindex cmdOK 6; key 9; focus; nofocus",
     "focus=txtA|focus=cmdOK|focus=hsbMAIN|focus=txtA|focus=hsbMAIN|focus=cmdOK|btnFind.Click|"
     "focus=cmdOK"},
    {"the host's focus: the child's LostFocus, then the control's; keys go to the host",
     "setfocus txtA; clear; host; key X; focus", "txtA.LostFocus|ztTest.LostFocus|focus=(none)"},
    {"the control's GotFocus handler chooses the child",
     "host; clear; on ztTest.GotFocus: note ztTest.GotFocus, setfocus cmdOK; enter",
     "ztTest.GotFocus|cmdOK.GotFocus"},
    {"a click while the host has the focus enters the control first", "host; clear; click cmdOK",
     "ztTest.GotFocus|hsbMAIN.GotFocus|hsbMAIN.LostFocus|cmdOK.GotFocus|cmdOK.Click"},
    {"hidden or disabled controls take no click",
     "hide cmdAdd; disable lblRow(2); click cmdAdd; dbl cmdAdd; second cmdAdd; click lblRow(2); "
     "dbl lblRow(2); second lblRow(2)",
     "noclick cmdAdd|noclick cmdAdd|noclick cmdAdd|noclick lblRow(2)|noclick lblRow(2)|noclick "
     "lblRow(2)"},
    {"a double click is Click then DblClick; a second click alone is DblClick in one action",
     "on cmdOK.DblClick: stamp; dbl lblRow(2); second cmdOK; focus",
     "lblRow(2).Click|lblRow(2).DblClick|in an action|focus=hsbMAIN"},
    {"a missing array member is error 340; names match without regard to case",
     "member 3; click LBLROW(1)",
     "error 340 Control array element 3 of lblRow does not exist (members 0 to 2)|lblRow(1).Click"},
    {"preview KeyDown, then the focused control's KeyDown, KeyPress, KeyUp", "preview; key A 1",
     "ztTest.KeyDown 65/1|hsbMAIN.KeyDown 65/1|hsbMAIN.KeyPress 65|hsbMAIN.KeyUp 65"},
    {"only character keys reach KeyPress: Esc does, Down and Ctrl+C not", "key 27; key 40; key C 2",
     "hsbMAIN.KeyDown 27/0|hsbMAIN.KeyPress 27|hsbMAIN.KeyUp 27|hsbMAIN.KeyDown 40/0|hsbMAIN.KeyUp "
     "40|hsbMAIN.KeyDown 67/2|hsbMAIN.KeyUp 67"},
    {"text set by code: Change only when it differs, the caret reset, no MaxLength",
     "setfocus txtA; set txtA abc; sel txtA 1 2; clear; set txtA abc; text txtA; set txtA abcdefg; "
     "text txtA",
     "text=abc sel 0+0|txtA.Change|text=abcdefg sel 0+0"},
    {"a typed edit raises Change even when the text comes out the same",
     "setfocus txtA; set txtA 5; sel txtA 0 1; clear; type 5",
     "txtA.KeyDown 53/0|txtA.KeyPress 53|txtA.Change|txtA.KeyUp 53"},
    {"KeyPress can change or drop the character",
     "setfocus txtA; on txtA.KeyPress: upper; type ab; on txtA.KeyPress: zero; type c; clear; text "
     "txtA",
     "text=AB sel 2+0"},
    {"every event of a key goes to the control that had the focus when it went down",
     "preview; on ztTest.KeyDown: setfocus txtA; key A; text txtA",
     "hsbMAIN.LostFocus|txtA.GotFocus|hsbMAIN.KeyDown 65/0|hsbMAIN.KeyPress 97|hsbMAIN.KeyUp "
     "65|text= sel 0+0"},
    {"a key code cleared in the preview reaches no KeyDown",
     "preview; on ztTest.KeyDown: zero; key 40", "hsbMAIN.KeyUp 40"},
    {"the synthesised Tab waits for the key's end and a double click meanwhile",
     "setfocus txtA; on txtA.KeyPress: synth, zero, second lblRow(0); clear; key 13; text txtA; "
     "synth",
     "txtA.KeyDown 13/0|lblRow(0).DblClick|txtA.KeyUp 13|txtA.LostFocus|txtB.GotFocus|text= sel "
     "0+0|txtB.LostFocus|cmdAdd.GotFocus"},
    {"Enter or Space click the focused button, Esc the cancel button",
     "preview; setfocus cmdAdd; default cmdOK; clear; key 13; key 32; cancel cmdOK; key 27",
     "cmdAdd.Click|cmdAdd.Click|cmdOK.Click"},
    {"Enter clicks the enabled default button and leaves the focus",
     "preview; default cmdOK; setfocus txtA; clear; key 13; focus; disable cmdOK; key 13",
     "cmdOK.Click|focus=txtA|ztTest.KeyDown 13/0|txtA.KeyDown 13/0|txtA.KeyPress 13|txtA.KeyUp 13"},
    {"Alt and a visible button's letter move the focus to it and click it",
     "preview; key O 4; key Z 4; hide cmdAdd; key A 4",
     "hsbMAIN.LostFocus|cmdOK.GotFocus|cmdOK.Click|ztTest.KeyDown 90/4|cmdOK.KeyDown "
     "90/4|cmdOK.KeyUp 90|ztTest.KeyDown 65/4|cmdOK.KeyDown 65/4|cmdOK.KeyUp 65"},
    {"a run-time error ends its event only and goes to the host; the repaint hook follows",
     "preview; on ztTest.KeyDown: throw 3021; on lblRow(1).DblClick: throw 94; repaint; key B; "
     "second lblRow(1); errors",
     "hsbMAIN.KeyDown 66/0|hsbMAIN.KeyPress 98|hsbMAIN.KeyUp 66|repaint|repaint|3021|94"},
    {"a dialog takes the control's focus and gives it back silently",
     "setfocus txtA; on cmdAdd.Click: note cmdAdd.Click, show, note returned; queue: focus, key "
     "13; clear; key A 4; focus; ran",
     "txtA.LostFocus|cmdAdd.GotFocus|cmdAdd.Click|frmTest.Load|ztTest.LostFocus|hsbMAIN.GotFocus|"
     "focus=hsbMAIN|CmdSelect.Click|frmTest.Unload|returned|focus=cmdAdd|ran frmTest"},
    {"only the dialog takes input; the rest of a key whose form unloaded is dropped",
     "on cmdAdd.Click: note cmdAdd.Click, show, note returned; preview frm; on frm.KeyDown: note "
     "frm.KeyDown, unload; queue: click cmdOK, key 27; click cmdAdd; nofocus",
     "cmdAdd.Click|frmTest.Load|noclick cmdOK|frm.KeyDown|frmTest.Unload|returned"},
    {"every load starts from the design values; the first tab stop gets the focus",
     "on frm.Load: caption frm.CmdSelect, visible frm.hsbMAIN, setcaption frm.CmdSelect x, hide "
     "frm.hsbMAIN; queue: focus; show; show; loaded; nofocus",
     "&Select|visible|focus=CmdSelect|frmTest.Unload|&Select|visible|frmTest.Unload|unloaded"},
    {"an error in Load reaches the caller and leaves the form unloaded",
     "on frm.Load: throw 3024; show; loaded; focus", "error 3024 fault|unloaded|focus=hsbMAIN"},
    {"the close box unloads and reports an error of Unload",
     "on frm.Unload: throw 91; queue: close; show; loaded; focus; errors; nofocus",
     "frmTest.Load|unloaded|focus=hsbMAIN|91"},
    {"a reset after an abandoned modal run leaves the form ready to load again",
     "queue: abandon; show; loaded; reset; loaded; show; nofocus",
     "frmTest.Load|abandoned|loaded|unloaded|frmTest.Load|frmTest.Unload"},
};

// Each row on a fresh screen: its steps give exactly its log, and no dialog
// is left open.
TEST(Dispatch, EventsComeInTheirOrder) {
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.what);
    screen::HeadlessDesktop desktop;
    testsupport::StartScreen(desktop);
    World w(desktop);
    w.Run(row.steps, ';');
    std::string log;
    for (const std::string& e : w.log()) log += (log.empty() ? "" : "|") + e;
    EXPECT_EQ(log, row.log);
    EXPECT_EQ(screen::ActiveModalForm(), nullptr);
    screen::SetRepaintHook(nullptr);
    testsupport::EndScreen();
  }
}

// The text box's own editing of typed characters and keys: the caret, the
// selection, MaxLength (4) and one Change per edit.
TEST_F(ScreenTest, TypedKeysEditTheTextBox) {
  const struct {
    const char* text;
    int selStart, selLength;
    const char* typed;
    std::vector<int16_t> keys;
    const char* result;
    int caret, changes;
  } cases[] = {
      {"12", 1, 0, "x", {}, "1x2", 2, 1},
      {"1x2", 2, 0, "yz", {}, "1xy2", 3, 1},  // full at four
      {"1xy2", 0, 4, "Q", {}, "Q", 1, 1},
      {"abcd", 2, 0, "", {screen::kKeyBack, screen::kKeyDelete}, "ad", 1, 2},
      {"ad", 0, 0, "", {screen::kKeyBack, screen::kKeyRight}, "ad", 1, 0},
      {"ad", 1, 0, "", {screen::kKeyEnd, screen::kKeyDelete, screen::kKeyLeft}, "ad", 1, 0},
      {"ad", 2, 0, "", {screen::kKeyHome}, "ad", 0, 0},
  };
  surface.txtA.SetFocus();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text + std::string(" ") + c.typed);
    surface.txtA.SetText(c.text);
    surface.txtA.SetSelStart(c.selStart);
    surface.txtA.SetSelLength(c.selLength);
    log.clear();
    Type(c.typed);
    for (int16_t key : c.keys) screen::PressKey(key, 0);
    EXPECT_EQ(surface.txtA.Text(), c.result);
    EXPECT_EQ(surface.txtA.SelStart(), c.caret);
    EXPECT_EQ(std::count(log.begin(), log.end(), "txtA.Change"), c.changes);
  }
}

}  // namespace
}  // namespace screentest
