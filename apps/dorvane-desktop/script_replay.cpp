// Script replay: the scripted host's ScriptHost reads the script through a
// stream buffer that reports the end of the script (the moment for the
// screenshot, while a dialog may still be open); the control factory is
// wrapped so that the window shows each control the script creates. User
// input on the windows is ignored while the script drives the model.
// Relies on QtWidgets, the scripted host's library and the front end.
#include "apps/dorvane-desktop/script_replay.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QVBoxLayout>
#include <QWidget>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <streambuf>
#include <string>

#include "apps/dorvane-desktop/screenshot.h"
#include "apps/dorvane-script/hosted_parts.h"
#include "apps/dorvane-script/script_host.h"
#include "frontends/qt/container_view.h"
#include "frontends/qt/front_end.h"

namespace desktophost {
namespace {

// A stream buffer over the whole script that calls atEnd once, when a reader
// first finds nothing more to read.
class EndNotifyingBuffer : public std::streambuf {
 public:
  EndNotifyingBuffer(std::string text, std::function<void()> atEnd)
      : text_(std::move(text)), atEnd_(std::move(atEnd)) {
    setg(text_.data(), text_.data(), text_.data() + text_.size());
  }

 protected:
  int_type underflow() override {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    if (atEnd_) {
      auto atEnd = std::move(atEnd_);
      atEnd_ = nullptr;
      atEnd();
    }
    return traits_type::eof();
  }

 private:
  std::string text_;
  std::function<void()> atEnd_;
};

// The window of a replay: shows the control the script works on.
class Stage : public QWidget {
 public:
  Stage() {
    setWindowTitle(QStringLiteral("Dorvane Desktop (script)"));
    layout_ = new QVBoxLayout(this);
    layout_->setSizeConstraint(QLayout::SetFixedSize);
  }

  // A fresh control: a new view for it (the old control is gone already).
  void Show(screen::UserControl& control) {
    Clear();
    view_ = new qtfront::ContainerView(control, this);
    layout_->addWidget(view_);
  }

  void Clear() {
    if (view_ == nullptr) return;
    view_->Detach();
    delete view_;
    view_ = nullptr;
  }

 private:
  QVBoxLayout* layout_;
  qtfront::ContainerView* view_ = nullptr;
};

}  // namespace

int ReplayScript(const QString& scriptFile, const QString& screenshotFile, int delayMs) {
  std::ifstream file(scriptFile.toStdString(), std::ios::binary);
  if (!file) {
    std::cerr << "ERROR line 0: cannot read the script " << scriptFile.toStdString() << "\n";
    return 2;
  }
  std::ostringstream text;
  text << file.rdbuf();
  std::string script = text.str();
  // A last line without its newline must be read before the end is reported.
  if (!script.empty() && script.back() != '\n') script += '\n';

  Stage stage;
  qtfront::SetUserInputEnabled(false);
  qtfront::SetMainWindow(&stage);
  stage.show();
  if (delayMs > 0) {
    qtfront::SetAfterSync([delayMs] {
      QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
      QThread::msleep(static_cast<unsigned long>(delayMs));
    });
  }

  scripthost::HostedControlFactory make = scripthost::DorvaneControlFactory();
  scripthost::HostedControlFactory factory;
  if (make) {
    factory = [&stage, make]() {
      stage.Clear();
      auto control = make();
      if (control) stage.Show(control->Surface());
      qtfront::InstallRepaintHook();  // the host resets the screen when it starts
      return control;
    };
  }
  bool saved = screenshotFile.isEmpty();
  bool savedWell = true;
  EndNotifyingBuffer buffer(std::move(script), [&] {
    if (saved) return;
    saved = true;
    savedWell = SaveScreenshot(stage, screenshotFile);
  });
  std::istream in(&buffer);

  scripthost::ScriptHost host(factory, std::cout, std::cerr);
  host.SetOpenSearchHook(scripthost::DorvaneSearchHook());
  int status = host.Run(in);
  qtfront::SetAfterSync(nullptr);
  stage.Clear();
  std::cout.flush();
  if (status == 0 && !savedWell) status = 1;
  return status;
}

}  // namespace desktophost
