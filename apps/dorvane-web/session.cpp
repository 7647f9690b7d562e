// The session's thread, its inbox and its outbox (see the header); the
// inputs themselves are applied in session_inputs.cpp.
#include "apps/dorvane-web/session.h"

#include <iostream>

#include "apps/dorvane-script/hosted_ztdorvane.h"
#include "apps/dorvane-web/web_desktop.h"
#include "apps/dorvane-web/wire.h"
#include "services/screen/dispatcher.h"
#include "services/screen/host_screen.h"

namespace dorvaneweb {
namespace {

using nlohmann::json;
using Clock = std::chrono::steady_clock;

// The most inputs a session holds queued before it refuses more.
constexpr size_t kMostQueued = 1000;

// Every text of `value` scrubbed of places and passwords.
void ScrubTexts(json& value, const std::vector<std::pair<std::string, std::string>>& names) {
  if (value.is_string()) {
    value = Scrub(value.get<std::string>(), names);
  } else if (value.is_structured()) {
    for (auto& item : value) ScrubTexts(item, names);
  }
}

}  // namespace

void DefaultBody(Session& session) {
  std::unique_ptr<scripthost::HostedControl> control;
  try {
    control = scripthost::NewHostedDorvane();
  } catch (const std::exception& error) {
    screen::ReportEscapedError(error);
  }
  if (control) {
    session.Window().Place(control->Surface());
    session.Window().Focus(control->Surface());
    session.SetHosted(control.get());
  }
  session.Flush();
  while (session.PumpOne(true)) {
  }
  session.SetHosted(nullptr);
  session.Window().Reset();
}

Session::Session(std::string id, SessionSetup setup)
    : id_(std::move(id)), setup_(std::move(setup)) {
  tokens_ = setup_.limits.inputBurst;
  tokensAt_ = lastInput_ = Clock::now();
  scrubNames_ = setup_.places->Names();
}

Session::~Session() {
  Close();
  if (thread_.joinable()) thread_.join();
}

void Session::Start() {
  if (!thread_.joinable()) thread_ = std::thread([this] { ThreadMain(); });
}

// The screen made current, the desktop set for the thread, then the body. An
// exception that escapes the body ends the session with a message that shows
// nothing of the server.
void Session::ThreadMain() {
  screen::Screen window;
  screen::Screen::Use use(window);
  window_ = &window;
  desktop_ = setup_.makeDesktop ? setup_.makeDesktop(*this) : std::make_unique<WebDesktop>(*this);
  screen::SetThreadDesktop(desktop_.get());
  try {
    (setup_.body ? setup_.body : DefaultBody)(*this);
  } catch (const std::exception& error) {
    std::cerr << "dorvane-web: session " << id_.substr(0, 8)
              << " stopped: " << Scrub(error.what(), setup_.places->Names()) << "\n";
    SendError("The session stopped after an internal error; reload the page to start again.");
  }
  window.Reset();
  screen::SetThreadDesktop(nullptr);
  desktop_.reset();
  window_ = nullptr;
  closed_ = true;
  finished_ = true;
  std::lock_guard lock(outMutex_);
  if (link_.close) link_.close(1000);
}

// --- Outbox ---

uint64_t Session::Attach(Link link, std::optional<int64_t> lastSeen) {
  std::lock_guard lock(outMutex_);
  if (link_.close) link_.close(1008);
  link_ = std::move(link);
  ++linkId_;
  detachedSince_.reset();
  if (!lastSeen) return linkId_;
  const bool complete = !keptDropped_ || (!kept_.empty() && kept_.front().first <= *lastSeen + 1);
  if (complete && *lastSeen < nextSeq_) {
    for (const auto& [seq, frame] : kept_) {
      if (seq > *lastSeen) link_.send(frame);
    }
    return linkId_;
  }
  // The frames after lastSeen are gone: one whole picture instead.
  kept_.clear();
  keptDropped_ = false;
  if (!sentPicture_) return linkId_;
  json message{{"type", "snapshot"},
               {"seq", nextSeq_++},
               {"picture", PictureJson(*sentPicture_)},
               {"host", sentHost_},
               {"tabOut", sentTabOut_}};
  ScrubTexts(message, scrubNames_);
  kept_.emplace_back(message["seq"].get<int64_t>(), message.dump());
  link_.send(kept_.back().second);
  return linkId_;
}

void Session::Detach(uint64_t linkId) {
  std::lock_guard lock(outMutex_);
  if (linkId != linkId_) return;
  link_ = Link{};
  detachedSince_ = Clock::now();
}

uint64_t Session::LinkId() const {
  std::lock_guard lock(outMutex_);
  return linkId_;
}

std::optional<Clock::time_point> Session::DetachedSince() const {
  std::lock_guard lock(outMutex_);
  return detachedSince_;
}

Clock::time_point Session::LastInput() const {
  std::lock_guard lock(inMutex_);
  return lastInput_;
}

void Session::Send(json message) {
  std::lock_guard lock(outMutex_);
  message["seq"] = nextSeq_++;
  ScrubTexts(message, scrubNames_);
  std::string frame = message.dump(-1, ' ', false, json::error_handler_t::replace);
  if (link_.send) link_.send(frame);
  kept_.emplace_back(nextSeq_ - 1, std::move(frame));
  if (kept_.size() > static_cast<size_t>(setup_.limits.keptMessages)) {
    kept_.clear();
    keptDropped_ = true;
  }
}

void Session::SendNow(const json& message) {
  std::lock_guard lock(outMutex_);
  if (link_.send) link_.send(message.dump());
}

void Session::SendError(const std::string& message, std::optional<int64_t> n) {
  json error{{"type", "error"}, {"message", message}};
  if (n) error["n"] = *n;
  Send(std::move(error));
}

json Session::PictureJson(const screen::Snapshot& picture) const { return picture; }

// The eight host properties (dates as text or null, tags as numbers) and
// the working list's version, which the element watches for its changes.
json Session::HostProperties() {
  json host{{"PathText", pathName_}, {"ControlsEnabled", controlsEnabled_}};
  if (hosted_ == nullptr) return host;
  host["WorkingListVersion"] = hosted_->ListVersion();
  try {
    for (const char* tag : {"SelectedBPETAG", "SelectedEPETAG"})
      host[tag] = hosted_->Get(tag).ToLong();
    for (const char* date : {"SelectedBPEDATE", "SelectedEPEDATE"}) {
      const std::string text = hosted_->Get(date).ToString();
      host[date] = text.empty() ? json() : json(text);
    }
    for (const char* flag : {"IsListOK", "ArePEDatesOK"})
      host[flag] = hosted_->Get(flag).ToBoolean();
  } catch (const std::exception&) {
    // A property the control cannot read now keeps its last value.
  }
  return host;
}

// Whether Tab (next) and Shift+Tab (previous) on the focused control would
// wrap round its tab stops: the browser then moves its focus out of the
// element to the page's neighbouring field instead of sending the key.
json Session::TabOut() const {
  return json{{"next", window_->TabLeavesUserControl(false)},
              {"previous", window_->TabLeavesUserControl(true)}};
}

void Session::Flush() {
  const screen::Snapshot picture = screen::TakeSnapshot(*window_);
  json host = HostProperties();
  json tabOut = TabOut();
  std::optional<json> message;
  {
    std::lock_guard lock(outMutex_);
    if (!sentPicture_) {
      message = json{{"type", "snapshot"},
                     {"picture", PictureJson(picture)},
                     {"host", host},
                     {"tabOut", tabOut}};
    } else {
      const screen::SnapshotDiff diff = screen::Diff(*sentPicture_, picture);
      json changed = json::object();
      for (const auto& [name, value] : host.items()) {
        if (!sentHost_.contains(name) || sentHost_[name] != value) changed[name] = value;
      }
      if (!diff.Empty() || !changed.empty() || tabOut != sentTabOut_) {
        message = json{{"type", "patch"}, {"diff", diff}};
        if (!changed.empty()) (*message)["host"] = changed;
        if (tabOut != sentTabOut_) (*message)["tabOut"] = tabOut;
        // The inputs this patch answers: the browser takes them as answered
        // as soon as it has the patch, without waiting for their acks.
        if (!unacked_.empty()) (*message)["acks"] = unacked_;
      }
    }
    sentPicture_ = picture;
    sentHost_ = std::move(host);
    sentTabOut_ = std::move(tabOut);
  }
  if (message) Send(std::move(*message));
  for (int64_t n : unacked_) SendNow(json{{"ack", n}});
  unacked_.clear();
}

// --- Inbox ---

void Session::Receive(const std::string& frame) {
  if (closed_) {
    SendNow(json{{"type", "error"}, {"message", "This session has ended; reload the page."}});
    return;
  }
  json message = json::parse(frame, nullptr, false);
  if (!message.is_object() || !message.contains("type") || !message["type"].is_string()) {
    SendError("A message could not be read: it is not a JSON object with a type.");
    return;
  }
  const std::string type = message["type"].get<std::string>();
  if (type == "seen") {
    if (!message.contains("seq") || !message["seq"].is_number_integer()) {
      SendError("\"seen\" needs a whole number \"seq\".");
      return;
    }
    const int64_t seq = message["seq"].get<int64_t>();
    std::lock_guard lock(outMutex_);
    while (!kept_.empty() && kept_.front().first <= seq) kept_.pop_front();
    return;
  }
  if (!message.contains("n") || !message["n"].is_number_integer() ||
      message["n"].get<int64_t>() < 1) {
    SendError("A message of type \"" + type.substr(0, 40) + "\" came without its number \"n\".");
    return;
  }
  const int64_t n = message["n"].get<int64_t>();
  Queue(n, std::move(message));
}

// Numbers already applied are acknowledged again; numbers already queued are
// dropped; a flood beyond the rate is refused.
void Session::Queue(int64_t n, json message) {
  std::string refusal;
  {
    std::lock_guard lock(inMutex_);
    if (n <= lastQueued_) {
      if (n <= lastApplied_) {
        std::lock_guard out(outMutex_);
        if (link_.send) link_.send(json{{"ack", n}}.dump());
      }
      return;
    }
    const auto now = Clock::now();
    tokens_ =
        std::min<double>(setup_.limits.inputBurst,
                         tokens_ + setup_.limits.inputsPerSecond *
                                       std::chrono::duration<double>(now - tokensAt_).count());
    tokensAt_ = now;
    lastQueued_ = n;
    lastInput_ = now;
    if (tokens_ < 1 || inbox_.size() >= kMostQueued) {
      refusal = "Too much input at once: this input was refused. Slow down and try again.";
      // Refused inputs count as applied, so that a resend is not applied later.
      message = json{{"type", "refused"}};
    } else {
      tokens_ -= 1;
    }
    inbox_.push_back(Input{n, std::move(message)});
  }
  inReady_.notify_one();
}

std::optional<Session::Input> Session::Next(bool wait) {
  std::unique_lock lock(inMutex_);
  if (wait) inReady_.wait(lock, [&] { return closed_ || !inbox_.empty(); });
  if (closed_ || inbox_.empty()) return std::nullopt;
  Input input = std::move(inbox_.front());
  inbox_.pop_front();
  lastApplied_ = input.n;
  return input;
}

void Session::Close() {
  {
    std::lock_guard lock(inMutex_);
    closed_ = true;
  }
  inReady_.notify_all();
}

bool Session::PumpOne(bool wait) {
  Flush();
  std::optional<Input> input = Next(wait);
  if (!input) return false;
  unacked_.push_back(input->n);
  Apply(*input);
  Flush();
  return true;
}

bool Session::PumpInputsUntil(int64_t n) {
  while (lastApplied_ < n) {
    if (!PumpOne(true)) return false;
  }
  return true;
}

screen::Screen& Session::Window() { return *window_; }

void Session::SetHosted(scripthost::HostedControl* control) { hosted_ = control; }

std::vector<screen::WaitingBox> Session::Boxes() const {
  std::lock_guard lock(boxesMutex_);
  return boxes_;
}

int Session::WaitForAnswer(const std::string& prompt, int style, const std::string& title) {
  size_t index = 0;
  {
    std::lock_guard lock(boxesMutex_);
    index = boxes_.size();
    boxes_.push_back(screen::WaitingBox{prompt, style, title});
  }
  Flush();
  std::optional<int> answer;
  while (!answer) {
    std::optional<Input> input = Next(true);
    if (!input) break;
    unacked_.push_back(input->n);
    ApplyBoxInput(*input, index, answer);
    Flush();
  }
  {
    std::lock_guard lock(boxesMutex_);
    boxes_.resize(index);
  }
  return answer.value_or(1);
}

void Session::RunModalLoop(screen::Form& form) {
  while (form.IsLoaded()) {
    if (!PumpOne(true)) {
      if (form.IsLoaded()) screen::CloseForm(form);
      return;
    }
  }
}

}  // namespace dorvaneweb
