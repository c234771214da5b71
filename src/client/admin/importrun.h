// Sends a built import to the server: the old rows go, the look-up rows it created and the new
// rows come, with whatever must follow them, in one request, so that a table is never half
// replaced.
#pragma once

#include "client/admin/excelimport.h"
#include "client/data/atomicrequest.h"

// Fills the names with the look-up tables' rows as the server holds them now.
void LoadImportNames(TImportNames &names);

// Gives the fields the sizes and the not-null flags of the table's columns, so that a row the
// server would refuse is refused alone instead of failing the whole import.
void LoadColumnLimits(const QString &table, QList<TImportField> &fields);

// What follows a goods import: the goods' default settings and their opening stock, dated
// the given day, numbered from the "PD" counter as the server holds it now. *counterSql
// moves the counter on only while it still holds what was read.
QStringList GoodsImportFollowing(const QList<TImportedGoods> &stocked, QDate date,
                                 QString *counterSql);

// " Delete  from table", the statements, the statements that follow, then the counter
// statement (which must change exactly one row); all or nothing.
TAtomicResult SendImport(const QString &table, const QStringList &statements,
                         const QStringList &following = {}, const QString &counterSql = {});
