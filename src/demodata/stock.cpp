// The stock ledger of the demo data; see stock.h.
#include "demodata/stock.h"

#include "demodata/util.h"

#include <algorithm>

namespace demodata::Internal {

StockBook::StockBook(sql::Database &db, int goods, int warehouses)
    : m_warehouses(size_t(warehouses))
    , m_slots(size_t(goods) * size_t(warehouses))
    , m_insert(db, "Inv_ItemList",
               {"id", "RQ", "BillType", "Flag", "DJBH", "HPID", "HH", "NZK", "NSL", "SL", "DJ",
                "CBDJ", "JE", "CustVendID", "CKID", "F1", "YGID"})
    , m_addRefSL(db.prepare("UPDATE Inv_ItemList SET RefSL = RefSL + ? WHERE id = ?"))
{}

double StockBook::averageCost(int hpid, int ckid, double purchasePrice) const
{
    const Slot &s = slot(hpid, ckid);
    const double average = s.receivedQty != 0 ? s.receivedValue / s.receivedQty : 0;
    return roundCents(average != 0 ? average : purchasePrice);
}

double StockBook::fifoCost(int hpid, int ckid, double qty, double purchasePrice) const
{
    const Slot &s = slot(hpid, ckid);
    if (s.fifo.empty())
        return roundCents(purchasePrice);
    size_t i = 0;
    double skip = s.issued;
    while (i < s.fifo.size() && s.fifo[i].first < skip) {
        skip -= s.fifo[i].first;
        ++i;
    }
    double value = 0;
    double taken = 0;
    double need = qty;
    if (i < s.fifo.size()) {
        const double take = std::min(s.fifo[i].first - skip, need);
        value += take * s.fifo[i].second;
        taken += take;
        need -= take;
        ++i;
    }
    for (; need > 0 && i < s.fifo.size(); ++i) {
        const double take = std::min(s.fifo[i].first, need);
        value += take * s.fifo[i].second;
        taken += take;
        need -= take;
    }
    const double cost = need <= 0 ? value / qty : (taken != 0 ? value / taken : 0);
    return roundCents(cost);
}

int64_t StockBook::post(const LedgerRow &row)
{
    const int64_t id = ++m_rows;
    m_insert << id << row.doc->rq << row.billType << row.flag << row.doc->djbh << row.hpid << row.hh
             << row.nzk << row.nsl << row.sl << row.dj << row.cbdj << row.je << row.custVend
             << row.ckid << row.f1 << row.ygid;
    m_insert.run();

    Slot &s = slot(row.hpid, row.ckid);
    s.stock += row.flag * row.sl;
    if (row.flag == 1) {
        s.receivedValue += row.sl * row.dj;
        s.receivedQty += row.sl;
    }
    if (row.billType == "aExport" || row.billType == "CS" || row.billType == "KCPD" ||
        row.billType == "KCTZ" || row.billType == "TL")
        s.fifo.emplace_back(row.sl, row.dj);
    if (row.billType == "LL")
        s.issued += row.sl;
    return id;
}

void StockBook::addRefSL(Batch &batch, double qty)
{
    batch.refsl += qty;
    m_addRefSL.bind(1, qty);
    m_addRefSL.bind(2, batch.ledgerId);
    m_addRefSL.step();
    m_addRefSL.reset();
}

} // namespace demodata::Internal
