// headless-host: the control without a window, built with pkg-config against
// an installed Dorvane (g++ -std=c++20 main.cpp $(pkg-config --cflags --libs
// dorvane)). It opens the data source given, moves down the list one row and
// prints two properties a host reads; message boxes are printed as they come.
// Relies on the installed headless library only.
#include <iostream>

#include "control/ztDorvane.h"
#include "services/screen/screen.h"

namespace {

// A desktop that prints message boxes and errors instead of showing them.
class PrintingDesktop : public screen::HeadlessDesktop {
 public:
  int MsgBox(const std::string& prompt, int style, const std::string& title) override {
    std::cout << "box: " << title << ": " << prompt << "\n";
    return HeadlessDesktop::MsgBox(prompt, style, title);
  }
  void ReportError(const base::RuntimeError& error) override {
    std::cout << "error " << error.Number() << ": " << error.Description() << "\n";
    HeadlessDesktop::ReportError(error);
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: headless-host SOURCE\n";
    return 2;
  }
  PrintingDesktop desktop;
  screen::Screen window;
  window.SetDesktop(&desktop);
  screen::Screen::Use use(window);
  ztDorvane control;
  window.Place(control);
  window.Focus(control);
  control.SetPathText(argv[1]);
  window.PressKey(screen::kKeyDown, 0, 0);
  std::cout << "IsListOK " << control.IsListOK() << "\n";
  std::cout << "ArePEDatesOK " << control.ArePEDatesOK() << "\n";
  return desktop.errors.empty() ? 0 : 1;
}
