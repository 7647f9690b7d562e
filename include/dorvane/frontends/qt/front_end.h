// The front end as a whole: keeps the list of live ContainerViews and every
// one of them up to date after each event the toolkit handled (through the
// toolkit's repaint hook), opens a
// dialog window (a QDialog) for each form the toolkit shows modally and closes
// it when the form unloads, and runs a shown form in a nested QEventLoop.
// Threads: the GUI thread only.
// Relies on QtWidgets, the toolkit's dispatcher and ContainerView.
#pragma once

#include <QWidget>
#include <functional>
#include <vector>

#include "services/screen/screen.h"

namespace qtfront {

class ContainerView;

// Every view alive now, oldest first: each view adds itself when made and
// removes itself when it goes.
const std::vector<ContainerView*>& AllViews();
void AddView(ContainerView* view);
void RemoveView(ContainerView* view);

// Installs the toolkit's repaint hook (again, if a reset removed it).
void InstallRepaintHook();
// Brings every view up to date and opens or closes the dialog windows of the
// modal forms; quits the nested loop of a form that has unloaded.
void SyncViews();
// Runs a nested Qt event loop until form has unloaded (the Desktop's modal run).
void RunFormLoop(screen::Form& form);
// Runs `check` after every SyncViews, once the views are up to date, for as
// long as `owner` lives: a widget compares the model with what it last told
// its host.
void WatchSyncs(QObject* owner, std::function<void()> check);
// Called after each SyncViews (nullptr for none): a replayed script paints
// and paces itself here.
void SetAfterSync(std::function<void()> afterSync);

// The dialog window showing form, or nullptr.
QWidget* FormWindowOf(const screen::Form& form);
// The window of the top modal form, or nullptr when none is open.
QWidget* TopFormWindow();
// The window that dialog windows and message boxes belong to (the host's main
// window); nullptr lets Qt choose.
void SetMainWindow(QWidget* window);
QWidget* MainWindow();

// When off, user input on every view is ignored: a script drives the model
// and the windows only show it.
void SetUserInputEnabled(bool on);
bool UserInputEnabled();

}  // namespace qtfront
