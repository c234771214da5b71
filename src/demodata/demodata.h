// The demo account set and the generator of benchmark account sets: master data, documents
// of every kind over several months, audited and posted into the stock ledger by the same
// rules the client's audit applies, so every list and report has data.
#pragma once

#include "sql/database.h"

#include <QDate>
#include <QString>

#include <cstdint>
#include <functional>

namespace demodata {

struct DemoOptions
{
    // 0: the demo account set (a few dozen goods and partners, six months of documents);
    // N >= 1: a benchmark set of about N x 10,000 goods, 200,000 documents and 1,000,000
    // ledger rows over N x 24 months.
    int scale = 0;
    // The last day of the period; documents of its last week are partly left as drafts.
    QDate today;
    uint64_t seed = 20080501;
    // The company's audit levels (CompanyInfo.fAuditNum). Audited documents have passed them
    // all and are posted; with more than one, some drafts of the last week have passed some.
    int auditLevels = 1;
    std::function<void(const QString &stage)> progress;
};

struct DemoSummary
{
    int goods = 0;
    int customers = 0;
    int suppliers = 0;
    int employees = 0;
    int64_t documents = 0;
    int64_t lines = 0;
    int64_t ledgerRows = 0;
};

// Fills an account-set database that holds the schema and catalogue data and nothing else.
// Runs in one transaction; the indexes are dropped for the bulk load and rebuilt after it.
DemoSummary fillDemoData(sql::Database &db, const DemoOptions &options);

// fillDemoData() as the step that fills a new account set once its schema is in place
// (server::AccountDbOptions::fill).
std::function<void(sql::Database &)> demoFill(DemoOptions options);

} // namespace demodata
