// The scripted host run end to end on a small control of the tests' own: its
// output lines, dialogs, host errors, refusals, script errors with their line
// numbers and exit status, `sql` and `opensearch`.
#include "apps/dorvane-script/script_host.h"

#include <gtest/gtest.h>

#include <sstream>

#include "services/screen/screen.h"
#include "support/data_folder.h"
#include "support/programs.h"
#include "support/temp_folder.h"

namespace {

using recordstore::Variant;

// A dialog with a default Select button and a Cancel button.
class PickForm : public screen::Form {
 public:
  screen::HScrollBar hsbMAIN{"hsbMAIN"};
  screen::CommandButton CmdSelect{"CmdSelect"};
  screen::CommandButton CmdCancel{"CmdCancel"};
  bool picked = false;

  PickForm() : Form("frmPick") {
    SetWidth(4000);
    Add(CmdSelect);
    Add(CmdCancel);
    Add(hsbMAIN);
    CmdSelect.SetCaption("&Select");
    CmdSelect.SetDefault(true);
    CmdSelect.SetTabIndex(1);
    CmdCancel.SetCaption("&Cancel");
    CmdCancel.SetTabIndex(2);
    CmdSelect.Click = [this] {
      picked = true;
      Unload();
    };
    CmdCancel.Click = [this] { Unload(); };
    OnLoad = [this] { picked = false; };
  }
};

// The control: a focus holder, a two-character box, buttons that open the
// dialog, show a message and fail, and a row of labels.
class Pad : public screen::UserControl, public scripthost::HostedControl {
 public:
  screen::HScrollBar hsbMAIN{"hsbMAIN"};
  screen::TextBox txtCODE{"txtCODE"};
  screen::CommandButton cmdFind{"cmdFind"};
  screen::CommandButton cmdSave{"cmdSave"};
  screen::CommandButton cmdFail{"cmdFail"};
  screen::ControlArray<screen::Label> lblRow{"lblRow", 2};
  PickForm dialog;
  int16_t tag = 0;
  std::string path;

  Pad() : UserControl("ztPad") {
    SetWidth(8535);
    SetKeyPreview(true);
    Add(hsbMAIN);
    Add(txtCODE);
    Add(lblRow);
    Add(cmdFind);
    Add(cmdSave);
    Add(cmdFail);
    txtCODE.SetBounds(75, 1740, 660, 285);
    txtCODE.SetBackColor(0x00FFFFC0);
    txtCODE.SetMaxLength(2);
    txtCODE.SetTabIndex(1);
    cmdFind.SetCaption("&Find");
    cmdSave.SetCaption("&Save");
    lblRow(1).SetCaption("End of List");
    GotFocus = [this] { hsbMAIN.SetFocus(); };
    cmdFind.Click = [this] {
      dialog.SetCaption("Pick one");
      dialog.ShowModal();
      screen::GetDesktop().MsgBox(dialog.picked ? "picked" : "none", 0, "After");
    };
    cmdSave.Click = [] { screen::GetDesktop().MsgBox("List\r\nSaved.", 64, "Saved"); };
    cmdFail.Click = [] { throw base::RuntimeError(3021, "No current record in TJLIST"); };
  }
  screen::UserControl& Surface() override { return *this; }
  void Let(const std::string& property, const Variant& value) override {
    if (property == "PathText") path = value.ToString();
    if (property == "SelectedBPETAG") tag = value.ToInteger();
  }
  Variant Get(const std::string& property) override {
    if (property == "SelectedBPETAG") return Variant::Integer(tag);
    if (property == "IsListOK") return Variant::Boolean(true);
    return Variant::String(path);
  }
  std::optional<Variant> StateField(screen::Container& form, const std::string& name) override {
    if (&form == &dialog && name == "Picked") return Variant::Boolean(dialog.picked);
    return std::nullopt;
  }
};

struct RunResult {
  int status;
  std::string out;
  std::string err;
};

RunResult RunScript(const std::string& script, scripthost::OpenSearchHook hook = nullptr) {
  std::ostringstream out;
  std::ostringstream err;
  scripthost::ScriptHost host([] { return std::make_unique<Pad>(); }, out, err);
  host.SetOpenSearchHook(std::move(hook));
  std::istringstream in(script);
  const int status = host.Run(in);
  return {status, out.str(), err.str()};
}

TEST(ScriptHost, TypingUsesTheKeysOfAUsKeyboardWithinMaxLength) {
  auto r = RunScript("click txtCODE\ntype a!B\nshow txtCODE\npress Backspace Home\nshow txtCODE\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("text=\"a!\" sel=2,0\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("text=\"a\" sel=0,0\n"), std::string::npos) << r.out;
}

TEST(ScriptHost, MessageBoxesDialogsAndTheirOrderAreLines) {
  auto r = RunScript(
      "# comment\n\nclick cmdSave\npress Alt+f\nfocused\nstate Picked\npress Enter\nfocused\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "MSGBOX style=64 title=\"Saved\" text=\"List\\r\\nSaved.\"\n"
            "DIALOG OPEN caption=\"Pick one\"\n"
            "focus = hsbMAIN\n"
            "Picked = False\n"
            "DIALOG CLOSE\n"
            "MSGBOX style=0 title=\"After\" text=\"picked\"\n"
            "focus = cmdFind\n");
}

TEST(ScriptHost, HostActionsAreRefusedWhileADialogIsOpen) {
  for (const char* action : {"let PathText x", "get IsListOK", "focus-host", "focus-control", "new",
                             "opensearch a b c d e f g h i j k l 0"}) {
    auto r = RunScript(std::string("click cmdFind\n") + action + "\n");
    EXPECT_EQ(r.status, 2) << action;
    EXPECT_NE(r.err.find("ERROR line 2: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("refused while a dialog is open"), std::string::npos) << r.err;
  }
}

TEST(ScriptHost, RunTimeErrorsReachTheHostAndTheScriptGoesOn) {
  auto r = RunScript("click cmdFail\nlet SelectedBPETAG 40000\necho still here\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("HOST ERROR number=3021 text=\"No current record in TJLIST\"\n", 0), 0u);
  EXPECT_NE(r.out.find("HOST ERROR number=6 "), std::string::npos);
  EXPECT_NE(r.out.find("still here\n"), std::string::npos);
}

TEST(ScriptHost, ScriptErrorsNameTheirLineAndEndWithStatus2) {
  struct Case {
    const char* script;
    const char* error;
  } cases[] = {
      {"echo ok\n# two\nbogus\necho never\n", "ERROR line 3: unknown command bogus\n"},
      {"click cmdNothing\n", "ERROR line 1: no control cmdNothing on ztPad\n"},
      {"click lblRow\n", "ERROR line 1: lblRow is a control array of ztPad: give an index\n"},
      {"press Bogus\n", "ERROR line 1: unknown key Bogus\n"},
      {"let Colour red\n", "ERROR line 1: let: unknown property Colour\n"},
      {"get PathText\n", "ERROR line 1: get: unknown property PathText\n"},
      {"state Nothing\n", "ERROR line 1: state: unknown field Nothing of ztPad\n"},
      {"close\n", "ERROR line 1: close: no dialog is open\n"},
      {"echo \"open\n", "ERROR line 1: a quoted word has no closing quote\n"},
      {"today 2023-02-29\n", "ERROR line 1: today: 2023-02-29 is not a date YYYY-MM-DD\n"},
      {"opensearch a b c d e f g h i j k l 1\n",
       "ERROR line 1: opensearch: search dialog not available\n"},
      {"sql MAIN \"select 1\"\n", "ERROR line 1: sql: no PathText has been set\n"},
  };
  for (const auto& c : cases) {
    auto r = RunScript(c.script);
    EXPECT_EQ(r.status, 2) << c.script;
    EXPECT_EQ(r.err, c.error) << c.script;
  }
  EXPECT_EQ(RunScript(cases[0].script).out, "ok\n");
}

TEST(ScriptHost, FocusMovesOfTheHostAndNew) {
  auto r = RunScript(
      "click txtCODE\nfocus-host\nfocused\npress a\nfocus-control\nfocused\n"
      "type 1\nnew\nfocused\nshow txtCODE\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "focus = (host)\nfocus = hsbMAIN\nfocus = hsbMAIN\n"
            "txtCODE TextBox visible=True enabled=True left=75 top=1740 width=660 back=&H00FFFFC0 "
            "text=\"\" sel=0,0\n");
}

// Property names after the control keep only those, in the order given; the
// whole line stays what it was without them.
TEST(ScriptHost, ShowFiltersPropertiesInTheOrderGiven) {
  auto r = RunScript(
      "click txtCODE\ntype ab\nshow txtCODE sel text\nshow lblRow(1) caption visible\n"
      "show hsbMAIN enabled\nshow cmdSave back caption back\nshow lblRow(0)\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "txtCODE TextBox sel=2,0 text=\"ab\"\n"
            "lblRow(1) Label caption=\"End of List\" visible=True\n"
            "hsbMAIN HScrollBar enabled=True\n"
            "cmdSave CommandButton back=&H00C0C0C0 caption=\"&Save\" back=&H00C0C0C0\n"
            "lblRow(0) Label visible=True enabled=True left=0 top=0 width=0 back=&H00FFFFFF "
            "caption=\"\"\n");
  struct Case {
    const char* script;
    const char* error;
  } cases[] = {
      {"show txtCODE text Colour\n", "ERROR line 1: show: unknown property Colour\n"},
      {"show txtCODE caption\n", "ERROR line 1: show: txtCODE (TextBox) has no property caption\n"},
      {"show lblRow(1) sel\n", "ERROR line 1: show: lblRow(1) (Label) has no property sel\n"},
      {"show hsbMAIN text\n", "ERROR line 1: show: hsbMAIN (HScrollBar) has no property text\n"},
      {"show txtCODE Text\n", "ERROR line 1: show: unknown property Text\n"},
  };
  for (const auto& c : cases) {
    r = RunScript(std::string("echo before\n") + c.script);
    EXPECT_EQ(r.status, 2) << c.script;
    EXPECT_EQ(r.out, "before\n") << c.script;
    EXPECT_EQ(r.err, std::string(c.error).replace(11, 1, "2")) << c.script;
  }
}

TEST(ScriptHost, OpenSearchPassesEveryWordAndPrintsTheResult) {
  ztSearchMod::SearchRequest seen;
  auto hook = [&](const ztSearchMod::SearchRequest& request) {
    seen = request;
    scripthost::SearchOutcome outcome;
    outcome.chosen = request.keys.size() == 2;
    outcome.fields = {{"CONO", Variant::Integer(12)}, {"CONAME", Variant::String("Acme")}};
    if (!outcome.chosen) outcome.fields.clear();
    return outcome;
  };
  auto r = RunScript(
      "opensearch data MAIN JOBLIST \"JOBLIST|JOBNAME\" Cap \"Job Numbers\" JOBNO|JOBNAME C|C "
      "8|50 \"Job #|Description\" 1000|6000 0|0 1 12 CONO \"AB\" JOBNO\n"
      "opensearch data MAIN COLIST CONO Cap T CONO N 2 H 600 0 0\n",
      hook);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "SEARCH RESULT CONO=12 CONAME=\"Acme\"\nSEARCH RESULT none\n");
  EXPECT_EQ(seen.tableName, "COLIST");
  EXPECT_EQ(seen.searchCol, 0);
  // Quoted keys are texts, bare ones integers.
  RunScript("opensearch p MAIN T I C T F Y S H W A 1 12 CONO \"AB\" JOBNO\n", hook);
  ASSERT_EQ(seen.keys.size(), 2u);
  EXPECT_EQ(seen.keys[0].key.Type(), recordstore::VarType::Integer);
  EXPECT_EQ(seen.keys[0].field, "CONO");
  EXPECT_EQ(seen.keys[1].key.Type(), recordstore::VarType::String);
  EXPECT_EQ(seen.keys[1].key.ToString(), "AB");
  r = RunScript("opensearch p MAIN T I C T F Y S H W A 1 x CONO\n", hook);
  EXPECT_EQ(r.err, "ERROR line 1: opensearch: a bare KEY must be a whole number, not \"x\"\n");
}

TEST(ScriptHost, SqlRunsOnItsOwnConnectionAndPrintsRows) {
  const testsupport::DataFolder folder;
  folder.Create("main.mdb",
                "CREATE TABLE T (A INTEGER, B TEXT); INSERT INTO T VALUES (1, 'x|y'), (2, NULL);");
  auto r = RunScript("let PathText " + folder.Path() +
                     "\nsql MAIN \"SELECT A, B FROM T ORDER BY A\"\n"
                     "sql MAIN \"UPDATE T SET B = 'z' WHERE A = 2\"\n"
                     "sql MAIN \"SELECT B FROM T WHERE A = 2\"\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "ROW 1|x|y\nROW 2|NULL\nROW z\n");
  r = RunScript("let PathText " + folder.Path() + "\nsql QRLSYS \"SELECT 1\"\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("ERROR line 2: sql: "), std::string::npos);
  r = RunScript("let PathText " + folder.Path() + "\nsql MAIN \"SELECT * FROM Missing\"\n");
  EXPECT_NE(r.err.find("no such table"), std::string::npos);
}

// `sql` runs one statement: a second one (even behind empty ones) is refused
// before the first runs, while a trailing ";" or comment is no second one.
TEST(ScriptHost, SqlRefusesASecondStatement) {
  const testsupport::DataFolder folder;
  folder.Create("MAIN.MDB", "CREATE TABLE T (A INTEGER); INSERT INTO T VALUES (1);");
  for (const char* text : {"DELETE FROM T; DROP TABLE T", "DELETE FROM T;; DROP TABLE T"}) {
    auto r = RunScript("let PathText " + folder.Path() + "\nsql MAIN \"" + text + "\"\n");
    EXPECT_EQ(r.status, 2) << text;
    EXPECT_EQ(r.err, "ERROR line 2: sql: one statement only, and \"DROP TABLE T\" follows it\n");
    EXPECT_EQ(folder.Value("MAIN.MDB", "SELECT count(*) FROM T"), "1") << text;
  }
  auto r = RunScript("let PathText " + folder.Path() +
                     "\nsql MAIN \"SELECT A FROM T; -- done\"\nsql MAIN \"SELECT 2;;\"\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "ROW 1\nROW 2\n");
}

// The program refuses a folder given as its script instead of reading it as empty.
TEST(ScriptProgram, AFolderAsTheScriptIsAnError) {
  const testsupport::TempFolder scratch;
  const auto run = testsupport::RunProgram("dorvane-script", {scratch.Path()});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "ERROR line 0: cannot read the script " + scratch.Path() + ": it is a folder\n");
}

}  // namespace
