// What the scripted host drives: a control placed on its window (its toolkit
// surface and its host properties) made by a factory, and the search dialog
// opened by the host itself through a hook. The control and the dialog
// register these in hosted_parts.cpp. Relies on the toolkit, Variant and the
// search request.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "search/search_request.h"
#include "services/recordstore/variant.h"
#include "services/screen/form.h"

namespace scripthost {

class HostedControl {
 public:
  virtual ~HostedControl() = default;
  // The control's surface, placed on the host's window.
  virtual screen::UserControl& Surface() = 0;
  // The host sets a property: PathText (String), SelectedBPETAG and
  // SelectedEPETAG (Long: the control converts, so a value out of range is its
  // run-time error), ControlsEnabled (Boolean).
  virtual void Let(const std::string& property, const recordstore::Variant& value) = 0;
  // The host reads a property: SelectedBPETAG, SelectedEPETAG, SelectedBPEDATE,
  // SelectedEPEDATE, IsListOK, ArePEDatesOK.
  virtual recordstore::Variant Get(const std::string& property) = 0;
  // A number that grows whenever the working list changes (rows added,
  // edited or deleted, a list retrieved); 0 for a control without one.
  virtual uint64_t ListVersion() const { return 0; }
  // A field of the state of `form` (the surface or a dialog the control
  // opened) by name, for `state`; std::nullopt for a name it does not know.
  virtual std::optional<recordstore::Variant> StateField(screen::Container& form,
                                                         const std::string& name) = 0;
};

// Makes a fresh control (its Initialize has run).
using HostedControlFactory = std::function<std::unique_ptr<HostedControl>()>;

// What the search gave: nothing chosen, or the chosen row's fields named in
// the list of fields asked for, in its order.
struct SearchOutcome {
  bool chosen = false;
  std::vector<std::pair<std::string, recordstore::Variant>> fields;
};

// Opens the dialog modally with the request `opensearch` gave (its keys: a
// quoted key is a String, a bare one a 16-bit Integer) and reads the chosen
// row; run-time errors reach the host (HOST ERROR).
using OpenSearchHook = std::function<SearchOutcome(const ztSearchMod::SearchRequest&)>;

}  // namespace scripthost
