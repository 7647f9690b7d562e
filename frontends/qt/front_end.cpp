// The front end's bookkeeping: the live views, the repaint hook that syncs
// every view, one
// dialog window (a modal QDialog holding a ContainerView) per form the
// toolkit shows, and the nested event loops that run those forms. A window
// whose form has unloaded is hidden at once and deleted later, because the
// event that unloaded the form may still be running inside it.
// Relies on QtWidgets, the toolkit's dispatcher and ContainerView.
#include "frontends/qt/front_end.h"

#include <QCloseEvent>
#include <QDialog>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPointer>
#include <algorithm>
#include <vector>

#include "frontends/qt/container_view.h"

namespace qtfront {
namespace {

// The window of a form shown modally.
class FormWindow : public QDialog {
 public:
  FormWindow(screen::Form& form, QWidget* parent)
      : QDialog(parent), form_(&form), view_(new ContainerView(form, this)) {
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(QString::fromStdString(form.Caption()));
    setFocusProxy(view_);
    Sync();
  }

  screen::Form* Form() const { return form_; }

  void Sync() {
    if (form_ == nullptr) return;
    view_->Sync();
    const QString title = QString::fromStdString(form_->Caption());
    if (windowTitle() != title) setWindowTitle(title);
    if (size() != view_->size()) setFixedSize(view_->size());
  }

  // The form has unloaded: hide now, delete once the current event is over;
  // the window below becomes the active one again.
  void Retire() {
    form_ = nullptr;
    view_->Detach();
    hide();
    if (parentWidget() != nullptr) parentWidget()->window()->activateWindow();
    deleteLater();
  }

 protected:
  // Keys that reach the window itself (no child took them) go to the form;
  // Qt's own Esc and Enter handling of dialogs never runs.
  void keyPressEvent(QKeyEvent* event) override {
    if (!view_->ForwardKey(event)) event->ignore();
  }

  // The close box: the form decides (it unloads, and the window follows).
  void closeEvent(QCloseEvent* event) override {
    event->ignore();
    if (form_ == nullptr || !UserInputEnabled()) return;
    screen::CloseForm(*form_);
    SyncViews();
  }

 private:
  screen::Form* form_;
  ContainerView* view_;
};

// A nested loop running a form, quit when the form has unloaded.
struct FormLoop {
  screen::Form* form;
  QEventLoop* loop;
};

struct State {
  std::vector<FormWindow*> windows;  // open dialog windows, bottom first
  std::vector<FormLoop> loops;
  QPointer<QWidget> mainWindow;
  std::function<void()> afterSync;
  std::vector<std::pair<QPointer<QObject>, std::function<void()>>> watchers;
  bool inputEnabled = true;
  bool syncing = false;
};

State& S() {
  static State state;
  return state;
}

// Retires the windows of forms that are no longer shown and opens one for
// the top form when it has none.
void SyncFormWindows() {
  State& s = S();
  // The current screen's dialog first, else another window's.
  screen::Form* top = screen::ActiveModalForm();
  for (screen::Screen* sc : screen::Screen::All()) {
    if (top == nullptr) top = sc->ActiveModalForm();
  }
  auto topWindow = std::find_if(s.windows.begin(), s.windows.end(),
                                [top](FormWindow* w) { return w->Form() == top; });
  // Forms above the top one (or all of them, with none open) have unloaded.
  auto firstGone = top == nullptr                 ? s.windows.begin()
                   : topWindow == s.windows.end() ? s.windows.end()
                                                  : topWindow + 1;
  for (auto it = firstGone; it != s.windows.end(); ++it) (*it)->Retire();
  s.windows.erase(firstGone, s.windows.end());
  for (auto it = s.windows.begin(); it != s.windows.end();) {
    if (!(*it)->Form()->IsLoaded()) {
      (*it)->Retire();
      it = s.windows.erase(it);
    } else {
      ++it;
    }
  }
  if (top != nullptr && topWindow == s.windows.end()) {
    QWidget* parent = s.windows.empty() ? MainWindow() : s.windows.back();
    auto* window = new FormWindow(*top, parent);
    s.windows.push_back(window);
    window->show();
    window->activateWindow();
  }
  for (FormWindow* w : s.windows) w->Sync();
}

std::vector<ContainerView*>& Views() {
  static std::vector<ContainerView*> views;
  return views;
}

}  // namespace

const std::vector<ContainerView*>& AllViews() { return Views(); }

void AddView(ContainerView* view) { Views().push_back(view); }

void RemoveView(ContainerView* view) {
  auto& views = Views();
  views.erase(std::remove(views.begin(), views.end(), view), views.end());
}

void InstallRepaintHook() {
  for (screen::Screen* s : screen::Screen::All()) s->SetRepaintHook([] { SyncViews(); });
}

void SyncViews() {
  State& s = S();
  if (s.syncing) return;
  s.syncing = true;
  SyncFormWindows();
  for (ContainerView* view : AllViews()) view->Sync();
  for (const FormLoop& l : s.loops) {
    if (!l.form->IsLoaded()) l.loop->quit();
  }
  if (s.afterSync) s.afterSync();
  s.syncing = false;
  // Watchers may emit signals whose slots sync again: they run on a copy.
  std::erase_if(s.watchers, [](const auto& w) { return w.first.isNull(); });
  const auto watchers = s.watchers;
  for (const auto& [owner, check] : watchers) {
    if (!owner.isNull()) check();
  }
}

void WatchSyncs(QObject* owner, std::function<void()> check) {
  S().watchers.emplace_back(owner, std::move(check));
}

void SetAfterSync(std::function<void()> afterSync) { S().afterSync = std::move(afterSync); }

void RunFormLoop(screen::Form& form) {
  SyncViews();
  if (!form.IsLoaded()) return;
  QEventLoop loop;
  S().loops.push_back({&form, &loop});
  loop.exec();
  auto& loops = S().loops;
  loops.erase(std::remove_if(loops.begin(), loops.end(),
                             [&loop](const FormLoop& l) { return l.loop == &loop; }),
              loops.end());
}

QWidget* FormWindowOf(const screen::Form& form) {
  for (FormWindow* w : S().windows) {
    if (w->Form() == &form) return w;
  }
  return nullptr;
}

QWidget* TopFormWindow() { return S().windows.empty() ? nullptr : S().windows.back(); }

void SetMainWindow(QWidget* window) { S().mainWindow = window; }
QWidget* MainWindow() { return S().mainWindow.data(); }

void SetUserInputEnabled(bool on) { S().inputEnabled = on; }
bool UserInputEnabled() { return S().inputEnabled; }

}  // namespace qtfront
