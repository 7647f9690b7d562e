// The JSON of a SnapshotDiff (see the header).
#include "apps/dorvane-web/wire.h"

namespace screen {

void to_json(nlohmann::json& json, const SnapshotDiff& diff) {
  json = nlohmann::json::object();
  if (!diff.containers.empty()) json["containers"] = diff.containers;
  if (!diff.containersGone.empty()) json["containersGone"] = diff.containersGone;
  if (!diff.controls.empty()) json["controls"] = diff.controls;
  if (!diff.controlsGone.empty()) json["controlsGone"] = diff.controlsGone;
  if (diff.containerOrder) json["containerOrder"] = *diff.containerOrder;
  if (diff.controlOrder) json["controlOrder"] = *diff.controlOrder;
  if (diff.focus) {
    json["focus"] = {{"container", diff.focus->container},
                     {"control", diff.focus->control},
                     {"selStart", diff.focus->selStart},
                     {"selLength", diff.focus->selLength}};
  }
  if (diff.modalForms) json["modalForms"] = *diff.modalForms;
  if (diff.boxes) json["boxes"] = *diff.boxes;
}

void from_json(const nlohmann::json& json, SnapshotDiff& diff) {
  diff = SnapshotDiff{};
  if (json.contains("containers")) json["containers"].get_to(diff.containers);
  if (json.contains("containersGone")) json["containersGone"].get_to(diff.containersGone);
  if (json.contains("controls")) json["controls"].get_to(diff.controls);
  if (json.contains("controlsGone")) json["controlsGone"].get_to(diff.controlsGone);
  if (json.contains("containerOrder")) diff.containerOrder = json["containerOrder"];
  if (json.contains("controlOrder")) {
    diff.controlOrder =
        json["controlOrder"].get<std::vector<std::pair<std::string, std::string>>>();
  }
  if (json.contains("focus")) {
    const auto& f = json["focus"];
    diff.focus = SnapshotDiff::Focus{f.at("container"), f.at("control"), f.at("selStart"),
                                     f.at("selLength")};
  }
  if (json.contains("modalForms")) diff.modalForms = json["modalForms"];
  if (json.contains("boxes")) diff.boxes = json["boxes"].get<std::vector<WaitingBox>>();
}

}  // namespace screen
