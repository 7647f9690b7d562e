// Snapshot: one picture of what a screen paints, for a front end that draws
// elsewhere (a browser) and is sent only what changed: every placed user
// control and open modal form with its caption, size and colour, every
// visible control on them with each property that shows, where the focus is
// and the selection of the focused text box, the modal stack, and the message
// boxes waiting for an answer. Diff gives what turns one picture into another
// and Apply applies it, so a front end that holds the old one ends with the
// new. Relies on the screen, its containers and controls, and the Desktop.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "services/screen/control.h"
#include "services/screen/desktop.h"

namespace screen {

class Screen;

// A user control or a form on the screen.
struct ContainerPicture {
  std::string name;
  bool isForm = false;
  std::string caption;
  int32_t width = 0;
  int32_t height = 0;
  uint32_t backColor = 0;
  bool operator==(const ContainerPicture&) const = default;
};

// A visible control. text is a text box's text or a label's or button's
// caption; the fields of kinds that lack them stay at their defaults.
struct ControlPicture {
  std::string container;  // the name of its user control or form
  std::string name;       // qualified: "lblCONO(2)"
  ControlKind kind = ControlKind::Label;
  bool enabled = true;
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
  uint32_t backColor = 0;
  std::string toolTipText;
  std::string fontName;
  double fontSize = 0;
  std::string text;
  int16_t alignment = 0;
  int maxLength = 0;
  std::string picture;
  bool isDefault = false;
  bool isCancel = false;
  bool operator==(const ControlPicture&) const = default;
};

struct Snapshot {
  std::vector<ContainerPicture> containers;  // placed user controls, then modal forms
  std::vector<ControlPicture> controls;      // in the containers' design order
  std::string focusContainer;                // "" while the host has the focus
  std::string focusControl;                  // qualified name, or ""
  int selStart = 0;                          // of the focused text box (else 0)
  int selLength = 0;
  std::vector<std::string> modalForms;  // bottom first
  std::vector<WaitingBox> boxes;        // oldest first
  bool operator==(const Snapshot&) const = default;
};

// What changed from one snapshot to the next: containers and controls that
// are new or differ (whole), the keys of those gone, and each of the other
// parts only when it differs.
struct SnapshotDiff {
  std::vector<ContainerPicture> containers;
  std::vector<std::string> containersGone;
  std::vector<ControlPicture> controls;
  std::vector<std::pair<std::string, std::string>> controlsGone;  // container, name
  std::optional<std::vector<std::string>> containerOrder;         // when it changed
  std::optional<std::vector<std::pair<std::string, std::string>>> controlOrder;
  struct Focus {
    std::string container;
    std::string control;
    int selStart = 0;
    int selLength = 0;
  };
  std::optional<Focus> focus;
  std::optional<std::vector<std::string>> modalForms;
  std::optional<std::vector<WaitingBox>> boxes;
  bool Empty() const;
};

// The picture of what screen paints now, with the boxes its desktop (the
// screen's own, else the calling thread's) is waiting on.
Snapshot TakeSnapshot(const Screen& screen);
// What turns `from` into `to`.
SnapshotDiff Diff(const Snapshot& from, const Snapshot& to);
// `from` with diff applied: Apply(a, Diff(a, b)) == b.
Snapshot Apply(const Snapshot& from, const SnapshotDiff& diff);

}  // namespace screen
