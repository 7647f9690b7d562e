// ScriptHost: the command executor of dorvane-script. It creates the control
// and gives it the focus, reads commands one a line, acts on the toolkit and
// the control's properties as a user and a host would, and prints what they
// see. While a modal form is open it reads further commands until the form
// unloads; at the end of the script it closes an open dialog with its close
// box. Errors in the script end the run with "ERROR line N: ..." on the error
// stream and status 2. The Qt demo host replays scripts with the same code;
// a front end that makes the user's input itself (a browser under test) takes
// over press, type, click and dblclick through a hook.
// Relies on the toolkit, the record store, and the hosted control's interface.
#pragma once

#include <functional>
#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "apps/dorvane-script/hosted_control.h"
#include "apps/dorvane-script/script_desktop.h"
#include "apps/dorvane-script/script_words.h"
#include "apps/dorvane-script/source_map.h"

namespace scripthost {

// What the user does in `press`, `type`, `click` or `dblclick`, already
// checked: the key words of press, the text of type (one word), the control
// of a click.
struct UserInput {
  std::string command;
  std::vector<std::string> words;
  const screen::Control* control = nullptr;
};
// Makes the input happen elsewhere and returns once the control has handled
// it (modal forms it opened run their commands meanwhile); false for a click
// that reached nothing (NOCLICK).
using UserInputHook = std::function<bool(const UserInput&)>;
// Hears every control that `show` printed.
using ShowHook = std::function<void(const screen::Control&)>;

class ScriptHost {
 public:
  ScriptHost(HostedControlFactory factory, std::ostream& out, std::ostream& err);
  ~ScriptHost();
  ScriptHost(const ScriptHost&) = delete;
  ScriptHost& operator=(const ScriptHost&) = delete;

  // The search dialog behind `opensearch`; without it the command is a script error.
  void SetOpenSearchHook(OpenSearchHook hook) { openSearch_ = std::move(hook); }

  // A front end that makes the user's input and checks what `show` prints.
  void SetUserInputHook(UserInputHook hook) { userInput_ = std::move(hook); }
  void SetShowHook(ShowHook hook) { shown_ = std::move(hook); }

  // Data source names of the script that stand for other places.
  void SetSourceMap(SourceMap map) { sources_ = std::move(map); }

  // Runs a whole script; returns the exit status (0, or 2 after a script error).
  // It runs on the calling thread's current screen with its desktop set for
  // that thread, so hosts on threads with screens of their own run at once.
  int Run(std::istream& in);

  // Every command word the language accepts, in the order of its table.
  static std::vector<std::string> CommandWords();

 private:
  // Reads the next command line (skipping blank and "#" lines); false at the end.
  bool ReadCommand(std::vector<Word>& words);
  // Reads and executes commands until form unloads (the modal run).
  void RunModal(screen::Form& form);
  void Execute(const std::vector<Word>& words);
  // Runs a host action; a run-time error it raises is reported as HOST ERROR.
  template <class Action>
  void HostAction(const Action& action);

  struct Command;
  static const Command kCommands[];

  void NewControl();
  void New(const std::vector<Word>& words);
  void Close(const std::vector<Word>& words);
  void MoveHostFocus(const std::vector<Word>& words);
  void Focused(const std::vector<Word>& words);
  void Sql(const std::vector<Word>& words);
  void Echo(const std::vector<Word>& words);
  void Let(const std::vector<Word>& words);
  void Get(const std::vector<Word>& words);
  void State(const std::vector<Word>& words);
  void Press(const std::vector<Word>& words);
  void Type(const std::vector<Word>& words);
  void Click(const std::vector<Word>& words);
  void Show(const std::vector<Word>& words);
  void Screen(const std::vector<Word>& words);
  void OpenSearch(const std::vector<Word>& words);
  void Today(const std::vector<Word>& words);

  screen::Container& ActiveForm();
  screen::Control& FindControl(const std::string& word);
  // Raises a script error when a dialog is open (host actions are refused).
  void RefuseDuringDialog(const std::string& command);

  HostedControlFactory factory_;
  std::ostream& out_;
  std::ostream& err_;
  ScriptDesktop desktop_;
  OpenSearchHook openSearch_;
  UserInputHook userInput_;
  ShowHook shown_;
  std::unique_ptr<HostedControl> control_;
  std::istream* in_ = nullptr;
  int lineNumber_ = 0;
  std::string pathText_;
  SourceMap sources_;
  int workspacesAtStart_ = 0;
};

}  // namespace scripthost
