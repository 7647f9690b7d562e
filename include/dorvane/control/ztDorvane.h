// ztDorvane: the range-selection control. A user control of the headless
// toolkit holding the control's whole screen (the target job list page, the
// entry boxes, the list buttons and the period-ending range), its state, its
// connection to MAIN.MDB (workspace "wksMAIN" with six table-type recordsets)
// and the eight properties the host reads and writes. The control raises no
// classic events; a C++ host follows its changes through WorkingListVersion,
// the property Gets and the ErrorReported hook every container has.
//
// The routines are split by concern, one file each:
//   ztDorvane.cpp             construction of the screen, UserControl_Initialize, state fields
//   ztDorvane_connection.cpp  PathText, OpenConnection/CloseConnection, focus, keys,
//                             ControlsEnabled, the property Gets
//   ztDorvane_page.cpp        the target job list page: drawing, loading, rebuilding,
//                             redrawing after another workstation's deletions
//   ztDorvane_nav.cpp         the list keys, the picture buttons and the row clicks
//   ztDorvane_entry.cpp       adding, editing and deleting rows; company and job entry
//   ztDorvane_editmode.cpp    the edit mode and cmdUpdate / CmdCancel, which end it
//   ztDorvane_lists.cpp       saved lists: new, retrieve, save
//   ztDorvane_perange.cpp     the period-ending date range
// Each group binds its own event handlers in its Wire routine, which the
// constructor calls once the group exists. A host sees only the members
// below; the children, the state and the routines live in ztDorvane::Impl
// (control/ztDorvane_impl.h).
//
// Threads: the control, its screen and its record store belong to the thread
// that runs that screen; controls on screens of other threads work at once.
//
// Relies on the toolkit (services/screen), the record store
// (services/recordstore) and the shared modules ztBasicSet, ztLOOKUP and
// ztMSAccess.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "services/recordstore/variant.h"
#include "services/screen/screen.h"

class ztDorvane : public screen::UserControl {
 public:
  // Throws a RuntimeError when no desktop is installed for the process or the
  // current screen: its message boxes would go nowhere.
  ztDorvane();
  ~ztDorvane() override;

  // --- Properties seen by the host (Booleans are 16-bit: True is -1) ---

  // Stores the data folder, hides the edit controls, opens the connection with
  // the job-number settings and shows the working list.
  void SetPathText(const std::string& value);
  // Tag (PETAG) of the beginning / ending period-ending date, 0 when none.
  int16_t SelectedBPETAG() const;
  int16_t SelectedEPETAG() const;
  // Preset the beginning / ending date from a tag (ztDorvane_perange.cpp).
  void SetSelectedBPETAG(int16_t myTAG);
  void SetSelectedEPETAG(int16_t myTAG);
  // The beginning / ending date texts.
  std::string SelectedBPEDATE() const;
  std::string SelectedEPEDATE() const;
  // True when no row of the target job list is being edited.
  int16_t IsListOK() const;
  // False while a date box is being edited, else IsBPEOK And IsEPEOK.
  int16_t ArePEDatesOK() const;
  // Enables or disables the entry boxes and the search and "<=<" buttons.
  void SetControlsEnabled(bool value);

  // --- For hosts that follow the control's changes (no classic events) ---

  // Counts the control's changes to the working list (rows written, deleted
  // or copied in, another data source): a host compares it after each event.
  uint64_t WorkingListVersion() const;
  // The number of rows of the working list; 0 while the connection is not open.
  int32_t WorkingListRows();

  // A field of the control's state by name, for the scripted host's `state`
  // and the tests; std::nullopt for a name the control does not know.
  std::optional<recordstore::Variant> StateField(const std::string& name);

  // The children, the state and the routines (control/ztDorvane_impl.h, not
  // installed).
  class Impl;

 private:
  std::unique_ptr<Impl> impl_;
};
