// The record store: table-type recordsets over SQLite database files or the
// schemas of a PostgreSQL database, with the operations and effects of the
// classic desktop data-access library. Start from DBEngine::Instance()'s
// CreateWorkspace, open a database with Workspace::OpenDatabase and a recordset
// with Database::OpenRecordset. Values are Variants; failures are RuntimeErrors.
#pragma once

#include "services/base/runtime_error.h"
#include "services/recordstore/database.h"
#include "services/recordstore/db_engine.h"
#include "services/recordstore/field.h"
#include "services/recordstore/recordset.h"
#include "services/recordstore/variant.h"
#include "services/recordstore/workspace.h"
