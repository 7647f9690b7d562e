// Screenshots: each window is rendered with QWidget::grab (no display needed,
// so this works on Qt's offscreen platform) and the pictures are laid side by
// side on a white ground. Relies on QtWidgets and the front end.
#include "apps/dorvane-desktop/screenshot.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QWidget>
#include <algorithm>
#include <iostream>

#include "frontends/qt/front_end.h"

namespace desktophost {

bool SaveScreenshot(QWidget& window, const QString& file) {
  qtfront::SyncViews();
  QApplication::processEvents();
  const QImage main = window.grab().toImage();
  QImage dialog;
  if (QWidget* top = qtfront::TopFormWindow()) dialog = top->grab().toImage();
  const int gap = dialog.isNull() ? 0 : 8;
  QImage picture(main.width() + gap + dialog.width(), std::max(main.height(), dialog.height()),
                 QImage::Format_RGB32);
  picture.fill(Qt::white);
  QPainter painter(&picture);
  painter.drawImage(0, 0, main);
  if (!dialog.isNull()) painter.drawImage(main.width() + gap, 0, dialog);
  painter.end();
  if (!picture.save(file, "PNG")) {
    std::cerr << "dorvane-desktop: cannot write the screenshot " << file.toStdString() << "\n";
    return false;
  }
  return true;
}

}  // namespace desktophost
