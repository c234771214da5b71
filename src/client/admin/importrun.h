// Sends a built import to the server: the old rows go, the look-up rows it created and the new
// rows come, with whatever must follow them, in one request, so that a table is never half
// replaced.
#pragma once

#include "client/admin/excelimport.h"
#include "client/data/atomicrequest.h"

// Fills the names with the look-up tables' rows as the server holds them now.
void LoadImportNames(TImportNames &names);

// " Delete  from table", the statements, then the statements that follow; all or nothing.
TAtomicResult SendImport(const QString &table, const QStringList &statements,
                         const QStringList &following = {});
