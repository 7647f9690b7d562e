// frmztSearch: the generic, modal search dialog. A caller fills the search
// request (ztSearchMod::OpenSearch) and shows the form; the
// load opens the request's table in a workspace of its own, lays out up to six
// columns and twelve grid rows, and shows the first page of the browsed range.
// The user pages through the range, types the first characters (or the number)
// of the search column to jump, and picks a row; the chosen row's bookmark text
// is left in strSelBookmark (" " when nothing was chosen).
//
// The dialog never holds rows: only the bookmark texts of the range's first and
// last rows, of the row shown at the top of the grid and of the highlighted
// row. Every key costs a few index seeks and at most a page of row reads.
//
// A host sees the form and its state fields; the request variables, the
// controls, the state and the routines live in frmztSearch::Impl
// (search/frmztSearch_impl.h, not installed), which ztSearchMod::OpenSearch
// fills. Relies on the record store's Variant and the toolkit.
// Threads: the thread of the control that opens it (one dialog per thread).
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "services/recordstore/variant.h"
#include "services/screen/form.h"

class frmztSearch : public screen::Form {
 public:
  frmztSearch();
  // Unloads a loaded form first, which closes its connection.
  ~frmztSearch() override;

  // Fields of the state by name for the scripted host's `state` command;
  // std::nullopt for a name the dialog does not know.
  std::optional<recordstore::Variant> StateField(const std::string& name);

  // The request, the controls, the state and the routines
  // (search/frmztSearch_impl.h).
  class Impl;

 private:
  std::unique_ptr<Impl> impl_;
};
