// Session: one browser's screen in dorvane-web, and the engine of the web
// protocol (docs/web-protocol.md) without sockets. A session runs on a thread
// of its own with its own screen::Screen made current and a desktop set for
// that thread (by default a WebDesktop: a message box waits for the browser's
// answer, a modal form runs an input loop until it unloads). Frames from the
// browser come in through Receive on any thread; the session thread applies
// the inputs in the order of their numbers, each once, and after each one
// sends the patch of what changed (screen::Diff against the picture last
// sent, nothing when empty) and the ack. Frames go out through the Link the
// socket attached; they are numbered and kept until the browser says it has
// seen them, so that a socket that comes back resumes where it left off.
//
// The thread's body is pluggable. The default body (DefaultBody) places a
// ztDorvane (the scripted host's HostedControl) on the screen, gives it the
// focus, sends the first snapshot and applies inputs until the session ends.
// Another body (a replay program that runs the scripted host on the session
// thread, say) may place its own control with SetHosted and drive the session
// itself: PumpOne applies one input, PumpInputsUntil(n) applies inputs until
// input n has been applied. Both may be called re-entrantly from inside an
// applied input (a click that opens a modal form whose run pumps again), and
// both send patches and acks as they go. A custom desktop (SessionSetup's
// makeDesktop, typically a subclass of WebDesktop) replaces the WebDesktop;
// it should call WaitForAnswer for a message box and RunModalLoop for a form
// so that the browser answers them.
//
// Threads: Receive, Attach, Detach, Close and the read-only accessors may be
// called from any thread; everything marked "session thread" only from the
// session's thread (the body, the desktop, handlers of the control).
// Relies on the toolkit, the scripted host's HostedControl, the wire format,
// tickets and the configuration's source places.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "apps/dorvane-script/hosted_control.h"
#include "apps/dorvane-web/ticket.h"
#include "apps/dorvane-web/web_config.h"
#include "services/screen/desktop.h"
#include "services/screen/snapshot.h"

namespace screen {
class Form;
class Screen;
}  // namespace screen

namespace dorvaneweb {

class Session;

// Where a session's frames go: `send` gets each frame text (called under the
// session's lock: it must only queue the frame, never block), `close` ends
// the socket with a WebSocket close code (when another socket takes the
// session over, or the session ends).
struct Link {
  std::function<void(std::string frame)> send;
  std::function<void(int code)> close;
};

// How a session starts.
struct SessionSetup {
  Ticket ticket;                         // its user and the sources it may open
  const SourcePlaces* places = nullptr;  // source names to places (required)
  Limits limits;                         // rate, kept messages
  std::optional<double> today;           // fixes today's date (test mode)
  std::function<void(Session&)> body;    // the thread's body; empty: DefaultBody
  // The desktop set for the session's thread; empty: a WebDesktop.
  std::function<std::unique_ptr<screen::Desktop>(Session&)> makeDesktop;
};

// The default body: a ztDorvane on the screen, inputs applied until the end.
void DefaultBody(Session& session);

class Session {
 public:
  Session(std::string id, SessionSetup setup);
  // Ends the session (Close) and waits for its thread.
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Starts the session's thread (once).
  void Start();
  const std::string& Id() const { return id_; }
  const Ticket& SessionTicket() const { return setup_.ticket; }

  // --- The socket's side (any thread) ---

  // Frames go to `link` from now on; the one attached before is closed
  // (1008). `lastSeen` is the seq the browser drew last on a resume: the
  // kept frames after it are sent again, or one fresh snapshot when they were
  // dropped.
  // A new session passes nothing: its snapshot is yet to come. Returns the
  // link's id for Detach.
  uint64_t Attach(Link link, std::optional<int64_t> lastSeen = std::nullopt);
  // The socket went: frames are kept, none sent, until the next Attach. Does
  // nothing when `linkId` (Attach's count) is no longer the attached one.
  void Detach(uint64_t linkId);
  uint64_t LinkId() const;
  // One frame from the browser (any type but hello).
  void Receive(const std::string& frame);
  // Ends the session: a waiting message box answers OK, an open modal form
  // gets its close box, the body returns and the thread ends.
  void Close();
  bool Closed() const { return closed_; }
  // True once the thread's body has returned.
  bool Finished() const { return finished_; }
  // When the socket went (nothing while one is attached), and the last input.
  std::optional<std::chrono::steady_clock::time_point> DetachedSince() const;
  std::chrono::steady_clock::time_point LastInput() const;
  // The number of the last input applied (or being applied).
  int64_t LastApplied() const { return lastApplied_; }

  // --- The session thread ---

  screen::Screen& Window();
  // The control whose host properties go in `host` and take `set`; null for none.
  void SetHosted(scripthost::HostedControl* control);
  // Applies the next input, waiting for one when `wait`; false when the
  // session has ended (or, not waiting, none was queued).
  bool PumpOne(bool wait);
  // Applies inputs until input n has been applied; false when the session
  // ended first.
  bool PumpInputsUntil(int64_t n);
  // Sends what changed since the picture last sent (the whole snapshot the
  // first time), then the acks of the inputs applied since the last Flush.
  void Flush();
  // Shows a message box in the browser and waits for its answer; only the
  // answer (or Enter, Esc or Space) is taken meanwhile, other input is
  // refused. Returns the button (1, also when the session ends).
  int WaitForAnswer(const std::string& prompt, int style, const std::string& title);
  // Applies inputs until `form` unloads; when the session ends the form gets
  // its close box.
  void RunModalLoop(screen::Form& form);
  // The message boxes waiting for an answer, oldest first.
  std::vector<screen::WaitingBox> Boxes() const;
  // Today's date when the hello fixed it.
  std::optional<double> Today() const { return setup_.today; }
  // Sends an `error` (with the number of the input it answers, if any).
  void SendError(const std::string& message, std::optional<int64_t> n = std::nullopt);

 private:
  struct Input {
    int64_t n = 0;
    nlohmann::json message;
  };
  void ThreadMain();
  // Sends a numbered message: the frame is kept for a resume.
  void Send(nlohmann::json message);
  // Sends a frame that is not numbered (ack) to the socket, if any.
  void SendNow(const nlohmann::json& message);
  // Queues an input; false with the refusal sent when it is refused.
  void Queue(int64_t n, nlohmann::json message);
  std::optional<Input> Next(bool wait);
  void Apply(const Input& input);
  void ApplyBoxInput(const Input& input, size_t box, std::optional<int>& answer);
  void ApplySet(const Input& input);
  nlohmann::json HostProperties();
  nlohmann::json TabOut() const;
  nlohmann::json PictureJson(const screen::Snapshot& picture) const;

  const std::string id_;
  SessionSetup setup_;
  std::thread thread_;
  screen::Screen* window_ = nullptr;
  scripthost::HostedControl* hosted_ = nullptr;
  std::unique_ptr<screen::Desktop> desktop_;

  // Inbox, guarded by inMutex_.
  mutable std::mutex inMutex_;
  std::condition_variable inReady_;
  std::deque<Input> inbox_;
  int64_t lastQueued_ = 0;
  double tokens_ = 0;
  std::chrono::steady_clock::time_point tokensAt_;
  std::chrono::steady_clock::time_point lastInput_;
  std::atomic<int64_t> lastApplied_{0};
  std::atomic<bool> closed_{false};
  std::atomic<bool> finished_{false};

  // Outbox, guarded by outMutex_.
  mutable std::mutex outMutex_;
  Link link_;
  uint64_t linkId_ = 0;
  std::optional<std::chrono::steady_clock::time_point> detachedSince_;
  int64_t nextSeq_ = 1;
  std::deque<std::pair<int64_t, std::string>> kept_;
  bool keptDropped_ = false;                     // frames after the oldest kept one were dropped
  std::optional<screen::Snapshot> sentPicture_;  // what the browser has (or will have)
  nlohmann::json sentHost_;
  nlohmann::json sentTabOut_;
  std::vector<std::pair<std::string, std::string>> scrubNames_;

  // Session thread only.
  std::vector<int64_t> unacked_;
  std::vector<screen::WaitingBox> boxes_;
  mutable std::mutex boxesMutex_;
  std::string pathName_;  // PathText as the browser gave it
  bool controlsEnabled_ = true;
};

}  // namespace dorvaneweb
