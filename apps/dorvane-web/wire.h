// The JSON of the web protocol's pictures (docs/web-protocol.md): a
// screen::Snapshot and a screen::SnapshotDiff with the field names of
// snapshot.h, both ways, so that the server writes them and a protocol client
// (the tests, the benchmark) reads them back. Relies on the toolkit's
// snapshot and nlohmann-json.
#pragma once

#include <nlohmann/json.hpp>

#include "services/screen/snapshot.h"

namespace screen {

NLOHMANN_JSON_SERIALIZE_ENUM(ControlKind, {{ControlKind::TextBox, "TextBox"},
                                           {ControlKind::Label, "Label"},
                                           {ControlKind::CommandButton, "CommandButton"},
                                           {ControlKind::HScrollBar, "HScrollBar"}})
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(WaitingBox, prompt, style, title)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(ContainerPicture, name, isForm, caption, width, height,
                                   backColor)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(ControlPicture, container, name, kind, enabled, left, top, width,
                                   height, backColor, toolTipText, fontName, fontSize, text,
                                   alignment, maxLength, picture, isDefault, isCancel)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(Snapshot, containers, controls, focusContainer, focusControl,
                                   selStart, selLength, modalForms, boxes)

// A diff writes only the parts that changed; the lists of new and gone items
// are left out when empty.
void to_json(nlohmann::json& json, const SnapshotDiff& diff);
void from_json(const nlohmann::json& json, SnapshotDiff& diff);

}  // namespace screen
