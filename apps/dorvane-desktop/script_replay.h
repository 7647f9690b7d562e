// Script replay in the desktop host: runs a script of the scripted host's
// language with the same interpreter, the same hosted control and the same
// search dialog, while the front end shows the control and any open dialog
// in windows. Output lines and the exit status are those of dorvane-script.
// Relies on the scripted host's library and the front end.
#pragma once

#include <QString>

namespace desktophost {

// Replays the script in scriptFile; when screenshotFile is not empty, saves a
// picture of the window (and the open dialog) once the script has run out of
// commands, before an open dialog is closed. With delayMs above 0 the windows
// are painted after every event the toolkit handles and the replay waits that
// long, so that a user can watch it. Returns the exit status.
int ReplayScript(const QString& scriptFile, const QString& screenshotFile, int delayMs = 0);

}  // namespace desktophost
