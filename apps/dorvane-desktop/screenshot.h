// Saves a picture of a window, with the open dialog window (if any) placed to
// its right, as a PNG file. Relies on QtWidgets and the front end.
#pragma once

#include <QString>

class QWidget;

namespace desktophost {

// Renders window and the top dialog window into one image and writes it to
// file; false (with a message on standard error) when it cannot be written.
bool SaveScreenshot(QWidget& window, const QString& file);

}  // namespace desktophost
