// Record: one handler per logged event of a control, each appending a line.
#include "event_log.h"

namespace testsupport {

void Record(screen::Control& c, Log& log, Logged logged) {
  const std::string n = c.QualifiedName();
  c.GotFocus = [&log, n] { log.push_back(n + ".GotFocus"); };
  c.LostFocus = [&log, n] { log.push_back(n + ".LostFocus"); };
  c.Click = [&log, n] { log.push_back(n + ".Click"); };
  c.DblClick = [&log, n] { log.push_back(n + ".DblClick"); };
  c.KeyDown = [&log, n](int16_t& k, int16_t s) {
    log.push_back(n + ".KeyDown " + std::to_string(k) + "/" + std::to_string(s));
  };
  c.KeyPress = [&log, n](int16_t& a) { log.push_back(n + ".KeyPress " + std::to_string(a)); };
  if (logged == Logged::kWithoutKeyUpAndChange) return;
  c.KeyUp = [&log, n](int16_t& k, int16_t) { log.push_back(n + ".KeyUp " + std::to_string(k)); };
  if (c.Kind() == screen::ControlKind::TextBox) {
    static_cast<screen::TextBox&>(c).Change = [&log, n] { log.push_back(n + ".Change"); };
  }
}

}  // namespace testsupport
