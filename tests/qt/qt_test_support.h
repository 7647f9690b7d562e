// Support for the Qt front end's tests: a small user control of the toolkit
// whose handlers log where keys and the focus go, a window fixture, one that
// shows the user control in it beside a host widget, one that shows
// DorvaneWidgets on data folders in it, and pixel helpers.
// Relies on GoogleTest, QtTest, the toolkit, the front end and the shared test
// support (event log, screen set-up).
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "control/ztDorvane.h"
#include "frontends/qt/container_view.h"
#include "frontends/qt/dorvane_widget.h"
#include "frontends/qt/front_end.h"
#include "frontends/qt/qt_desktop.h"
#include "support/event_log.h"
#include "support/headless_screen.h"
#include "support/programs.h"
#include "support/temp_folder.h"

namespace qttest {

using testsupport::Log;

// A user control: the scroll bar first in the tab order, a text box, two
// buttons and three row labels, row 1 highlighted.
class TestSurface : public screen::UserControl {
 public:
  screen::HScrollBar hsbMAIN{"hsbMAIN"};
  screen::TextBox txtA{"txtA"};
  screen::CommandButton cmdAdd{"cmdAdd"};
  screen::CommandButton cmdOK{"cmdOK"};
  screen::ControlArray<screen::Label> lblRow{"lblRow", 3};
  Log log;

  TestSurface() : UserControl("ztTest") {
    SetWidth(4500);
    SetHeight(2100);
    SetBackColor(0x00C0C0C0);
    for (int i = 0; i < 3; ++i) {
      lblRow(i).SetBounds(75, 660 + 270 * i, 1200, 285);
      lblRow(i).SetBackColor(i == 1 ? 0x0000FFFF : 0x00FFFFFF);
      lblRow(i).SetCaption("Row " + std::to_string(i));
    }
    txtA.SetBounds(1500, 300, 1200, 300);
    txtA.SetMaxLength(4);
    txtA.SetToolTipText("Type here");
    cmdAdd.SetBounds(75, 1500, 900, 375);
    cmdAdd.SetCaption("&Add");
    cmdOK.SetBounds(1050, 1500, 900, 375);
    cmdOK.SetCaption("&OK");
    hsbMAIN.SetBounds(4200, 1050, 30, 30);
    Add(lblRow);
    int tabIndex = 0;
    for (screen::Control* c :
         std::initializer_list<screen::Control*>{&hsbMAIN, &txtA, &cmdAdd, &cmdOK}) {
      Add(*c);
      c->SetTabIndex(tabIndex++);
    }
    for (screen::Control* c : Controls()) {
      testsupport::Record(*c, log, testsupport::Logged::kWithoutKeyUpAndChange);
    }
    GotFocus = [this] { log.push_back("ztTest.GotFocus"); };
    LostFocus = [this] { log.push_back("ztTest.LostFocus"); };
    SetKeyPreview(true);
    KeyDown = [this](int16_t& k, int16_t s) {
      log.push_back("ztTest.KeyDown " + std::to_string(k) + "/" + std::to_string(s));
    };
  }
};

// Makes `window` the front end's main window and shows it active, gives
// `focus` the Qt focus and lets Qt handle what that caused.
inline void ShowActive(QWidget& window, QWidget& focus) {
  qtfront::SetMainWindow(&window);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  focus.setFocus(Qt::OtherFocusReason);
  QApplication::processEvents();
}

// A window with a row layout on a fresh screen whose QtDesktop answers
// message boxes unseen.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    desktop.SetAutoAnswer(true);
    testsupport::StartScreen(desktop);
    qtfront::SetUserInputEnabled(true);
    window = std::make_unique<QWidget>();
    layout = new QHBoxLayout(window.get());
  }
  void TearDown() override {
    window.reset();
    testsupport::EndScreen();
  }

  // The widget with the Qt focus, or `fallback` when none has it.
  static QWidget* KeyTarget(QWidget* fallback = nullptr) {
    QWidget* focus = QApplication::focusWidget();
    return focus != nullptr ? focus : fallback;
  }
  // What the widget shows, as pixels.
  static QImage Picture(QWidget& widget) {
    qtfront::SyncViews();
    return widget.grab().toImage();
  }

  qtfront::QtDesktop desktop;
  std::unique_ptr<QWidget> window;
  QHBoxLayout* layout = nullptr;
};

// Shows a TestSurface in the active window beside a host line edit; the
// toolkit focus starts on hsbMAIN and the log starts empty.
class ViewTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    screen::PlaceUserControl(&surface);
    view = new qtfront::ContainerView(surface, window.get());
    view->SetFollowsHostFocus(true);
    hostEdit = new QLineEdit(window.get());
    layout->addWidget(view);
    layout->addWidget(hostEdit);
    ASSERT_NO_FATAL_FAILURE(ShowActive(*window, *view));
    screen::FocusUserControl();
    qtfront::SyncViews();
    surface.log.clear();
    // A test whose dialog or box is never answered fails instead of hanging.
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
      ADD_FAILURE() << "a dialog or message box was left open";
      if (QWidget* box = QApplication::activeModalWidget()) box->close();
      if (screen::Form* form = screen::ActiveModalForm()) screen::CloseForm(*form);
    });
    watchdog.start(10000);
  }
  void TearDown() override {
    view->Detach();
    WindowTest::TearDown();
  }

  QWidget* W(const screen::Control& c) const { return view->WidgetOf(c); }
  QWidget* KeyTarget() const { return WindowTest::KeyTarget(view); }

  TestSurface surface;
  qtfront::ContainerView* view = nullptr;
  QLineEdit* hostEdit = nullptr;
  Log& log = surface.log;
  QTimer watchdog;
};

// DorvaneWidgets side by side in the window, on folders made by the data tool.
class WidgetWindowTest : public WindowTest {
 protected:
  // Makes the folder `name` of twelve companies, sixty jobs and a working
  // list of `list` records; returns its path.
  std::string Folder(const std::string& name, const std::string& list) {
    return testsupport::MakeDataFolder(
        scratch.File(name), {"--companies", "12", "--jobs", "60", "--list", list, "--weeks", "20",
                             "--today", "2024-03-06"});
  }
  // A widget added to the window's row.
  qtfront::DorvaneWidget* AddWidget() {
    auto* widget = new qtfront::DorvaneWidget(window.get());
    layout->addWidget(widget);
    return widget;
  }
  static std::string State(qtfront::DorvaneWidget& widget, const std::string& field) {
    auto value = widget.Control().StateField(field);
    return value ? value->ToString() : "(none)";
  }

  testsupport::TempFolder scratch;
};

// The colour of a pixel as the stored &H00BBGGRR value.
inline uint32_t StoredColourAt(const QImage& image, int x, int y) {
  const QColor c = image.pixelColor(x, y);
  return static_cast<uint32_t>(c.blue()) << 16 | static_cast<uint32_t>(c.green()) << 8 |
         static_cast<uint32_t>(c.red());
}

// The bounding box of the pixels of one exact colour, left of `right`.
inline QRect BoxOf(const QImage& image, uint32_t colour, int right) {
  QRect box;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < std::min(right, image.width()); ++x) {
      if (StoredColourAt(image, x, y) == colour) box |= QRect(x, y, 1, 1);
    }
  }
  return box;
}

// Runs action from inside the next (nested) event loop, once it is running.
inline void SoonInLoop(std::function<void()> action) {
  QTimer::singleShot(0, qApp, std::move(action));
}

// Runs action with the dialog window once one is open (a long load may let
// the event loop run before the dialog shows).
inline void WhenDialogOpen(std::function<void(QWidget*)> action) {
  SoonInLoop([action] {
    if (QWidget* window = qtfront::TopFormWindow()) {
      action(window);
    } else {
      WhenDialogOpen(action);
    }
  });
}

}  // namespace qttest
