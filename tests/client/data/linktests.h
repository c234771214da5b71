// What the end-to-end tests of the server link share: the options of their world (account
// set 001 without the demo rows; tests that need a report module make their own) and helpers
// that fill and read datasets.
#pragma once

#include "client/data/centraldata.h"
#include "client/data/serveraccess.h"
#include "support/testworld.h"

#include <QTest>

namespace linktest {

inline vztest::WorldOptions worldOptions()
{
    vztest::WorldOptions options;
    options.demo = false;
    options.reportData = false;
    return options;
}

// Stores customers 1 ... count (BH "K1", MC "客户1", ...) through one change log.
inline bool addCustomers(int count)
{
    TClientDataSet customers;
    customers.SetRemoteServer(&Data().cn());
    customers.SetProviderName(QStringLiteral("pKh"));
    customers.SetCommandText(QStringLiteral("select ID, BH, MC from KH where 1 = 2"));
    customers.Open();
    for (int id = 1; id <= count; ++id)
        customers.AppendRecord(
            {id, QStringLiteral("K%1").arg(id), QStringLiteral("客户%1").arg(id)});
    return customers.ApplyUpdates(0) == 0;
}

// Every value of a column, in the dataset's order, as text.
inline QStringList columnTexts(TClientDataSet &ds, const QString &fieldName)
{
    QStringList texts;
    const TField *field = ds.FieldByName(fieldName);
    for (int row = 0; row < ds.RowCount(); ++row) {
        const TClientDataSet::TRowScope scope(ds, row);
        texts.append(field->AsString());
    }
    return texts;
}

inline QStringList displayTexts(TClientDataSet &ds, const QString &fieldName)
{
    QStringList texts;
    const TField *field = ds.FieldByName(fieldName);
    for (int row = 0; row < ds.RowCount(); ++row) {
        const TClientDataSet::TRowScope scope(ds, row);
        texts.append(field->DisplayText());
    }
    return texts;
}

} // namespace linktest

// The test classes of the executable, run one after another by its main().
int runLinkTests(int argc, char **argv);
int runCentralDataTests(int argc, char **argv);
int runServerChangeLogTests(int argc, char **argv);
int runReconcileFormTests(int argc, char **argv);
int runSharedRoutinesTests(int argc, char **argv);
int runAtomicRequestTests(int argc, char **argv);
