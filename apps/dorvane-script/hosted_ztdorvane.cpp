// ztDorvane behind the HostedControl interface: `let` and `get` by property
// name, mapped to the control's property methods, and `state` of the control
// or its search dialog. Relies on the control, the dialog and the script words
// (ScriptError).
#include "apps/dorvane-script/hosted_ztdorvane.h"

#include "apps/dorvane-script/script_words.h"
#include "control/ztDorvane.h"
#include "search/frmztSearch.h"

namespace scripthost {
namespace {

class HostedDorvane : public HostedControl {
 public:
  screen::UserControl& Surface() override { return control_; }

  // PathText takes a text, ControlsEnabled a Boolean, the two tags whole numbers.
  void Let(const std::string& property, const recordstore::Variant& value) override {
    if (property == "PathText") {
      control_.SetPathText(value.ToString());
    } else if (property == "ControlsEnabled") {
      control_.SetControlsEnabled(value.ToBoolean());
    } else if (property == "SelectedBPETAG") {
      int16_t tag = value.ToInteger();
      control_.SetSelectedBPETAG(tag);
    } else if (property == "SelectedEPETAG") {
      int16_t tag = value.ToInteger();
      control_.SetSelectedEPETAG(tag);
    } else {
      throw ScriptError{"let: unknown property " + property};
    }
  }

  // The 16-bit Booleans print as True and False.
  recordstore::Variant Get(const std::string& property) override {
    using recordstore::Variant;
    if (property == "SelectedBPETAG") return Variant::Integer(control_.SelectedBPETAG());
    if (property == "SelectedEPETAG") return Variant::Integer(control_.SelectedEPETAG());
    if (property == "SelectedBPEDATE") return Variant::String(control_.SelectedBPEDATE());
    if (property == "SelectedEPEDATE") return Variant::String(control_.SelectedEPEDATE());
    if (property == "IsListOK") return Variant::Boolean(control_.IsListOK() != 0);
    if (property == "ArePEDatesOK") return Variant::Boolean(control_.ArePEDatesOK() != 0);
    throw ScriptError{"get: unknown property " + property};
  }

  uint64_t ListVersion() const override { return control_.WorkingListVersion(); }

  // The control's own state, or the search dialog's while it is the active form.
  std::optional<recordstore::Variant> StateField(screen::Container& form,
                                                 const std::string& name) override {
    if (auto* dialog = dynamic_cast<frmztSearch*>(&form)) return dialog->StateField(name);
    if (&form == &control_) return control_.StateField(name);
    return std::nullopt;
  }

 private:
  ztDorvane control_;
};

}  // namespace

std::unique_ptr<HostedControl> NewHostedDorvane() { return std::make_unique<HostedDorvane>(); }

}  // namespace scripthost
