// The stock ledger of the demo data as it grows: stores the rows the audit posts and keeps,
// per goods and warehouse, what the client's stock and cost queries would read from the
// ledger at this point of its history.
#pragma once

#include "demodata/rows.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace demodata::Internal {

// One row of Inv_ItemList, with the values of the posting statement.
struct LedgerRow
{
    const Document *doc = nullptr; // date and number
    std::string_view billType;
    int flag = 0;
    int hpid = 0;
    int hh = 0;
    double nzk = 1; // rows posted without a discount count as undiscounted
    double nsl = 0;
    double sl = 0;
    double dj = 0;
    double cbdj = 0;
    double je = 0;
    int custVend = 0;
    int ckid = 0;
    double f1 = 0;
    int ygid = 0;
};

// A received purchase line that issues may name as their source batch.
struct Batch
{
    std::string djbh;
    int hh = 0;
    double sl = 0;
    double refsl = 0; // taken by audited issues, as the ledger row records it
    double taken = 0; // taken by any issue, drafts included, as the source picker counts
    int64_t ledgerId = 0;
};

class StockBook
{
public:
    // Goods are numbered 1..goods and warehouses 1..warehouses.
    StockBook(sql::Database &db, int goods, int warehouses);

    double stock(int hpid, int ckid) const { return slot(hpid, ckid).stock; }

    // sum(sl*dj)/sum(sl) of the receiving rows so far, or the purchase price when that is 0;
    // in cents.
    double averageCost(int hpid, int ckid, double purchasePrice) const;

    // The unit cost of issuing qty first in, first out, in cents: the quantity issued before
    // is skipped along the receipts in date order, then receipts are taken until qty is
    // covered. Only earlier issue documents count as issued: sales rows never compare below
    // an issue's number.
    double fifoCost(int hpid, int ckid, double qty, double purchasePrice) const;

    std::vector<Batch> &batches(int hpid, int ckid) { return slot(hpid, ckid).batches; }

    // Stores a ledger row and brings the state up to date; returns the row's id.
    int64_t post(const LedgerRow &row);

    // Raises the referenced quantity of a batch's ledger row by an issue's quantity.
    void addRefSL(Batch &batch, double qty);

    int64_t rows() const { return m_rows; }

private:
    struct Slot
    {
        double stock = 0;
        double receivedValue = 0; // rows with Flag 1
        double receivedQty = 0;
        double issued = 0;                           // issue rows
        std::vector<std::pair<double, double>> fifo; // (SL, DJ) of the receiving kinds
        std::vector<Batch> batches;
    };

    Slot &slot(int hpid, int ckid) { return m_slots[size_t(hpid - 1) * m_warehouses + (ckid - 1)]; }
    const Slot &slot(int hpid, int ckid) const
    {
        return m_slots[size_t(hpid - 1) * m_warehouses + (ckid - 1)];
    }

    size_t m_warehouses;
    std::vector<Slot> m_slots;
    Inserter m_insert;
    sql::Statement m_addRefSL;
    int64_t m_rows = 0;
};

} // namespace demodata::Internal
