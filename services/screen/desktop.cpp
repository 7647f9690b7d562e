// Desktop: the process-wide and per-thread current desktops, the default date
// and file services every desktop shares, and the headless desktop used by
// tests and when no other is set. Relies on the base library (date serials, the path
// rule, RuntimeError) and the dispatcher (close box).
#include "services/screen/desktop.h"

#include <atomic>
#include <cctype>
#include <ctime>

#include "services/base/date_serial.h"
#include "services/base/error_numbers.h"
#include "services/base/file_path.h"
#include "services/screen/dispatcher.h"
#include "services/screen/form.h"

namespace screen {
namespace {

std::atomic<Desktop*> processDesktop{nullptr};
thread_local Desktop* threadDesktop = nullptr;

// Reads an unsigned decimal number of 1 to maxDigits digits at pos.
bool ReadNumber(const std::string& text, size_t& pos, int maxDigits, int& value, int& digits) {
  value = 0;
  digits = 0;
  while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])) &&
         digits < maxDigits) {
    value = value * 10 + (text[pos] - '0');
    ++pos;
    ++digits;
  }
  return digits > 0;
}

}  // namespace

Desktop::~Desktop() = default;

void Desktop::DoEvents() {}

std::vector<WaitingBox> Desktop::WaitingBoxes() const { return {}; }

// The machine's local date.
double Desktop::Today() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return base::DateSerialFromYMD(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

// M/D/YYYY without leading zeros.
std::string Desktop::ShortDateText(double dateSerial) {
  int year = 0;
  int month = 0;
  int day = 0;
  base::YMDFromDateSerial(dateSerial, year, month, day);
  return std::to_string(month) + "/" + std::to_string(day) + "/" + std::to_string(year);
}

// Month, day and year separated by "/" (or "-"), blanks around ignored; the
// day must exist in its month.
std::optional<double> Desktop::ReadShortDate(const std::string& text) {
  size_t begin = text.find_first_not_of(' ');
  size_t end = text.find_last_not_of(' ');
  if (begin == std::string::npos) return std::nullopt;
  const std::string s = text.substr(begin, end - begin + 1);
  size_t pos = 0;
  int month = 0;
  int day = 0;
  int year = 0;
  int digits = 0;
  if (!ReadNumber(s, pos, 2, month, digits)) return std::nullopt;
  if (pos >= s.size() || (s[pos] != '/' && s[pos] != '-')) return std::nullopt;
  const char separator = s[pos++];
  if (!ReadNumber(s, pos, 2, day, digits)) return std::nullopt;
  if (pos >= s.size() || s[pos] != separator) return std::nullopt;
  ++pos;
  if (!ReadNumber(s, pos, 4, year, digits) || pos != s.size()) return std::nullopt;
  if (digits == 2) {
    year += year < 30 ? 2000 : 1900;
  } else if (digits != 4) {
    return std::nullopt;
  }
  if (month < 1 || month > 12 || day < 1 || day > base::DaysInMonth(year, month))
    return std::nullopt;
  return base::DateSerialFromYMD(year, month, day);
}

// The path rule the record store opens files by: backslashes separate
// folders, and every folder and the file name are matched without regard to
// case, so a file the store can open is a file that exists.
bool Desktop::FileExists(const std::string& path) { return base::FindFile(path).has_value(); }

// The most particular desktop set wins: the screen's, the thread's, the
// process's; each thread has a stand-in of its own, so that threads without
// any record their boxes apart.
Desktop& GetDesktop() {
  thread_local HeadlessDesktop fallback;
  if (Desktop* own = CurrentScreenDesktop()) return *own;
  if (threadDesktop != nullptr) return *threadDesktop;
  Desktop* process = processDesktop.load();
  return process != nullptr ? *process : fallback;
}

bool DesktopInstalled() {
  return CurrentScreenDesktop() != nullptr || threadDesktop != nullptr ||
         processDesktop.load() != nullptr;
}

void ReportEscapedError(const std::exception& error, const Container* owner) {
  const auto* runtime = dynamic_cast<const base::RuntimeError*>(&error);
  const base::RuntimeError reported =
      runtime != nullptr ? *runtime : base::RuntimeError(base::error::kInternalError, error.what());
  GetDesktop().ReportError(reported);
  if (owner == nullptr) owner = Screen::Current().EventOwner();
  if (owner != nullptr) owner->NoteReportedError(reported);
}

void SetDesktop(Desktop* desktop) { processDesktop = desktop; }
void SetThreadDesktop(Desktop* desktop) { threadDesktop = desktop; }

// --- HeadlessDesktop ---

int HeadlessDesktop::MsgBox(const std::string& prompt, int style, const std::string& title) {
  messageBoxes.push_back({prompt, style, title});
  return 1;
}

// Runs queued actions while the form is loaded, then the close box.
void HeadlessDesktop::RunModal(Form& form) {
  modalForms.push_back(form.Name());
  while (form.IsLoaded() && !modalActions_.empty()) {
    auto action = std::move(modalActions_.front());
    modalActions_.pop_front();
    action();
  }
  if (form.IsLoaded()) CloseForm(form);
}

double HeadlessDesktop::Today() { return today_ ? *today_ : Desktop::Today(); }

void HeadlessDesktop::ReportError(const base::RuntimeError& error) { errors.push_back(error); }

void HeadlessDesktop::QueueModalAction(std::function<void()> action) {
  modalActions_.push_back(std::move(action));
}

}  // namespace screen
