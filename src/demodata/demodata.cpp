// The demo and benchmark account sets; see demodata.h.
//
// Documents are generated day by day in date order and, when audited, posted into the stock
// ledger at once, with the statements' own column values: purchases at their price, sales
// at the line's unit cost, transfers as an incoming and an outgoing row, count sheets with
// the difference between counted and book quantity, other stock changes signed by their kind.
// Unit costs are computed as the client computes them when the line is entered and saved:
// the weighted average of the receipts so far, or first in first out for goods issued from
// purchase batches. Within a day the documents that receive stock come before those whose
// costs read the ledger, and count sheets have a day of their own (the last of the month),
// so that recomputing any cost or book quantity from the finished ledger gives the same value.
#include "demodata/demodata.h"

#include "demodata/master.h"
#include "demodata/rows.h"
#include "demodata/stock.h"
#include "demodata/util.h"
#include "sql/emitter.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <map>
#include <optional>
#include <unordered_map>

namespace demodata {

namespace {

using namespace Internal;

// Daily means of the small demo, for an ordinary working day.
struct Rates
{
    double cgsq = 0.12, cgdd = 0.12, cgsh = 0.6, cgth = 0.06, xsdd = 0.25, xskd = 2.0, xsth = 0.08,
           xssk = 0.8, cgfk = 0.35, ll = 0.8, tl = 0.12, ckdb = 0.12, qtkcbd = 0.08, cpjc = 0.08,
           fykz = 0.3, qtsr = 0.07, yhckqk = 0.2;
};

// Documents that later documents take lines from or settle.
struct SourceLine
{
    std::string djbh;
    int hh = 0;
    int hpid = 0;
    double remaining = 0;
    double dj = 0;
    double nzk = 1;
    double nsl = 0;
    int partner = 0;
    int ckid = 0;
    int bmid = 0;
    int ygid = 0;
};

struct SourceDocument
{
    std::string djbh;
    int partner = 0;
    int ckid = 0;
    std::vector<SourceLine> lines;
};

struct OpenInvoice
{
    int64_t id = 0;
    double je = 0;
    double paid = 0;   // settled by any settlement, draft or audited: what later ones leave alone
    double booked = 0; // settled by audited ones: the document's stored paid amount
};

// Generates the documents of the period day by day, posts the audited ones and keeps what
// later documents take from earlier ones.
class DocumentGenerator
{
public:
    DocumentGenerator(sql::Database &db, const DemoOptions &options, Random &random,
                      const MasterData &master, const QDate &first, const QDate &today)
        : m_db(db)
        , m_options(options)
        , m_sizes(sizesFor(options.scale))
        , m_random(random)
        , m_master(master)
        , m_writer(db)
        , m_book(db, int(master.goods.size()), m_sizes.warehouses)
        , m_first(first)
        , m_today(today)
        , m_receivable(master.receivable)
        , m_payable(master.payable)
        , m_balance(master.accounts)
    {}

    // Generates the period's documents, then the counters and the partners' and accounts'
    // balances they leave.
    void run(DemoSummary &summary)
    {
        createDocuments();
        report(QStringLiteral("balances"));
        writeCounters();
        writeBalances();
        summary.documents = m_documents;
        summary.lines = m_lines;
        summary.ledgerRows = m_book.rows();
    }

private:
    void report(const QString &stage)
    {
        if (m_options.progress)
            m_options.progress(stage);
    }

    bool small() const { return m_options.scale <= 0; }
    int levels() const { return std::max(1, m_options.auditLevels); }

    Document newDocument(Kind kind, bool audited)
    {
        Document d;
        d.kind = kind;
        d.uFlag = audited ? levels() : 0;
        if (!audited && levels() > 1 && m_random.chance(0.5))
            d.uFlag = m_random.between(1, levels() - 1);
        d.czy = m_random.pick(m_master.operators);
        if (d.uFlag > 0)
            d.auditName = m_master.operators.front();
        return d;
    }

    // The next number of the document's kind and month, and the ID made of its digits.
    void assignNumber(Document &d)
    {
        const std::string key = std::string(info(d.kind).prefix) + m_month;
        int &next = m_counters[key];
        const int sequence = next == 0 ? 1 : next;
        next = sequence + 1;
        if (sequence > 9999)
            throw sql::Error("demo data: more than 9999 documents of one kind in a month");
        d.djbh = key + QStringLiteral("%1").arg(sequence, 4, 10, QLatin1Char('0')).toStdString();
        d.id = std::stoll(d.djbh.substr(2));
        d.rq = m_rq;
        const int minutes = 8 * 60 + 30 + (m_dayDocuments++ % 540);
        d.stamp = m_compactDate + QStringLiteral("%1%2%3")
                                      .arg(minutes / 60, 2, 10, QLatin1Char('0'))
                                      .arg(minutes % 60, 2, 10, QLatin1Char('0'))
                                      .arg(m_random.between(0, 59), 2, 10, QLatin1Char('0'))
                                      .toStdString();
    }

    // Documents of the last week are partly still drafts; older ones rarely.
    bool audited()
    {
        if (m_date > m_today.addDays(-7))
            return m_random.chance(0.5);
        return !m_random.chance(0.02);
    }

    void setHandler(Document &d, int employeeId)
    {
        d.ygid = employeeId;
        d.jsr = m_master.employee(employeeId).name;
        d.ywy = d.jsr;
    }

    // Cash goes through the cash box; other payments through the bank, by transfer or now
    // and then by draft on the second account.
    void setPayment(Document &d, bool cash)
    {
        const bool draft = !cash && m_random.chance(0.25);
        d.sfkfsid = cash ? 1 : draft ? 5 : 3;
        d.zhid = cash ? 1 : draft ? 3 : 2;
    }

    int lineCount() { return m_random.between(1, m_sizes.maxLines); }

    // Buying tops the stock up to its upper limit, in round numbers.
    double purchaseQuantity(const Goods &g, int ckid)
    {
        const double step = g.jj >= 500 ? 1 : g.jj >= 50 ? 5 : 10;
        const double wanted = std::max(g.high - m_book.stock(g.id, ckid), g.low);
        return std::ceil(wanted / step) * step;
    }

    // A goods item of the list whose stock at the warehouse is low enough to buy, or 0.
    int pickToBuy(const std::vector<int> &candidates, int ckid)
    {
        for (int attempt = 0; attempt < 8; ++attempt) {
            const int id = m_random.pick(candidates);
            if (m_book.stock(id, ckid) < 0.6 * m_master.goodsItem(id).high)
                return id;
        }
        return 0;
    }

    double issueQuantity(const Goods &g)
    {
        return g.jj >= 500 ? 1 : g.jj >= 50 ? m_random.between(1, 4) : m_random.between(2, 20);
    }

    double saleQuantity(const Goods &g)
    {
        return g.jj >= 500  ? m_random.between(1, 3)
               : g.jj >= 50 ? m_random.between(2, 10)
                            : m_random.between(10, 60);
    }

    // A goods item of the list with at least one unit in stock at the warehouse, or 0.
    int pickInStock(const std::vector<int> &candidates, int ckid)
    {
        if (candidates.empty())
            return 0;
        for (int attempt = 0; attempt < 12; ++attempt) {
            const int id = m_random.pick(candidates);
            if (m_book.stock(id, ckid) >= 1)
                return id;
        }
        return 0;
    }

    bool contains(const Document &d, int hpid) const
    {
        return std::any_of(d.lines.begin(), d.lines.end(),
                           [hpid](const Line &l) { return l.hpid == hpid; });
    }

    // Sales price by the header's price level, as the delivery form sets it.
    static double salesPrice(const Goods &g, const std::string &level)
    {
        if (level == "会员价")
            return g.jhy;
        if (level == "VIP价")
            return g.jvip;
        if (level == "零售价")
            return g.jqj;
        return g.jjj;
    }

    static double taxRate(int invoiceType)
    {
        return invoiceType == 3 ? 17 : invoiceType == 2 ? 3 : 0;
    }

    // Header total as the save computes it, then the document is stored (and posted when
    // audited). A document without lines is dropped, as the save refuses it.
    bool finish(Document &d)
    {
        if (d.lines.empty())
            return false;
        double total = 0;
        for (const Line &l : d.lines) {
            switch (d.kind) {
            case Kind::Fykz:
            case Kind::Qtsr:
            case Kind::Xssk:
            case Kind::Cgfk:
                total += l.je;
                break;
            default:
                total += l.sl * l.dj * (info(d.kind).discountedLines ? l.nzk : 1.0);
            }
        }
        total = roundCents(total);
        if (total != 0)
            d.je = total;
        write(d);
        return true;
    }

    void write(Document &d)
    {
        assignNumber(d);
        switch (d.kind) {
        case Kind::Cgsh:
            if (d.cglx == 1) // small purchases are paid from the cash box
                setPayment(d, d.je < 3000);
            d.xfje = d.cglx == 1 ? d.je : 0;
            d.yfje = d.xfje;
            break;
        case Kind::Cgth:
            d.xfje = d.thlx == 1 ? d.je : 0;
            break;
        case Kind::Xskd:
            d.xsje = d.xslx == 1 ? d.je : 0;
            d.ysje = d.xsje;
            break;
        case Kind::Xsth:
            d.xsje = d.thlx == 1 ? d.je : 0;
            break;
        case Kind::Xssk:
        case Kind::Cgfk:
            d.fkje = d.je;
            break;
        default:
            break;
        }
        m_writer.write(d);
        ++m_documents;
        m_lines += int64_t(d.lines.size());
        if (d.uFlag >= levels()) {
            post(d);
            trackMoney(d);
        }
    }

    // The ledger rows the audit writes at the last level.
    void post(const Document &d)
    {
        auto row = [&](const Line &l, int hh, std::string_view billType, int flag) {
            LedgerRow r;
            r.doc = &d;
            r.billType = billType;
            r.flag = flag;
            r.hpid = l.hpid;
            r.hh = hh;
            r.sl = l.sl;
            r.dj = l.dj;
            r.cbdj = l.dj;
            r.je = l.sl * l.dj;
            r.ckid = d.ckid;
            r.ygid = d.ygid;
            return r;
        };
        auto purchaseRow = [&](const Line &l, int hh, std::string_view billType, int flag,
                               int partner, int kind, double cost) {
            LedgerRow r = row(l, hh, billType, flag);
            r.nzk = l.nzk;
            r.nsl = l.nsl;
            r.cbdj = cost;
            r.custVend = partner;
            r.f1 = kind;
            return r;
        };
        int hh = 0;
        switch (d.kind) {
        case Kind::Cgsh:
            for (const Line &l : d.lines) {
                ++hh;
                const int64_t id = m_book.post(purchaseRow(l, hh, "CS", 1, d.gysid, d.cglx, l.dj));
                if (m_master.goodsItem(l.hpid).stockKind == 2)
                    m_book.batches(l.hpid, d.ckid).push_back({d.djbh, hh, l.sl, 0, 0, id});
            }
            break;
        case Kind::Cgth:
            for (const Line &l : d.lines)
                m_book.post(purchaseRow(l, ++hh, "CT", -1, d.gysid, d.thlx, l.dj));
            break;
        case Kind::Xskd:
            for (const Line &l : d.lines)
                m_book.post(purchaseRow(l, ++hh, "XS", -1, d.khid, d.xslx, l.cbdj));
            break;
        case Kind::Xsth:
            for (const Line &l : d.lines)
                m_book.post(purchaseRow(l, ++hh, "XT", 1, d.khid, d.thlx, l.cbdj));
            break;
        case Kind::Ll:
            for (const Line &l : d.lines)
                m_book.post(row(l, ++hh, "LL", -1));
            // Lines issued from a purchase batch raise the batch's referenced quantity.
            for (const Line &l : d.lines) {
                if (m_master.goodsItem(l.hpid).stockKind != 2 || l.srcno.empty())
                    continue;
                for (Batch &batch : m_book.batches(l.hpid, d.ckid)) {
                    if (batch.djbh == l.srcno && batch.hh == l.srcseq)
                        m_book.addRefSL(batch, l.sl);
                }
            }
            break;
        case Kind::Tl:
            for (const Line &l : d.lines)
                m_book.post(row(l, ++hh, "TL", 1));
            break;
        case Kind::Ckdb:
            for (const Line &l : d.lines) {
                LedgerRow r = row(l, ++hh, d.dbType, 1);
                r.ckid = d.drcid;
                r.ygid = 0;
                m_book.post(r);
            }
            hh = 0;
            for (const Line &l : d.lines) {
                LedgerRow r = row(l, ++hh, d.dbType, -1);
                r.ckid = d.dccid;
                r.ygid = 0;
                m_book.post(r);
            }
            break;
        case Kind::Kcpd:
            // A count sheet posts counted minus book quantity; an adjustment its quantity.
            for (const Line &l : d.lines) {
                ++hh;
                const double q = d.billType == "KCPD" ? l.sl - l.kcsl : l.sl;
                if (q == 0)
                    continue;
                LedgerRow r = row(l, hh, d.billType, 1);
                r.sl = q;
                r.ygid = 0;
                m_book.post(r);
            }
            break;
        case Kind::Qtkcbd:
            for (const Line &l : d.lines) {
                LedgerRow r = row(l, ++hh, "QB", d.crlx == 1 ? 1 : -1);
                r.ygid = 0;
                m_book.post(r);
            }
            break;
        default:
            break;
        }
    }

    // Money moving through the accounts, by the rules of the cash and bank reports.
    void trackMoney(const Document &d)
    {
        switch (d.kind) {
        case Kind::Cgsh:
            m_balance[d.zhid] -= d.xfje;
            break;
        case Kind::Cgfk:
            m_balance[d.zhid] -= d.fkje;
            break;
        case Kind::Cgth:
            m_balance[d.zhid] += d.xfje;
            break;
        case Kind::Xskd:
            m_balance[d.zhid] += d.xsje;
            break;
        case Kind::Xssk:
            m_balance[d.zhid] += d.fkje;
            break;
        case Kind::Xsth:
            m_balance[d.zhid] -= d.xsje;
            break;
        case Kind::Fykz:
            m_balance[d.zhid] -= d.je;
            break;
        case Kind::Qtsr:
            m_balance[d.zhid] += d.je;
            break;
        default:
            break;
        }
    }

    void createDocuments()
    {
        for (m_date = m_first; m_date <= m_today; m_date = m_date.addDays(1)) {
            const QString month = m_date.toString(QStringLiteral("yyyyMM"));
            if (month.toStdString() != m_month) {
                m_month = month.toStdString();
                report(
                    QStringLiteral("documents %1").arg(m_date.toString(QStringLiteral("yyyy-MM"))));
            }
            m_rq = dateText(m_date);
            m_compactDate = m_date.toString(QStringLiteral("yyyyMMdd")).toStdString();
            m_dayDocuments = 0;

            if (m_date.day() == m_date.daysInMonth()) {
                stocktaking();
                continue;
            }
            // Weekends are quieter, except today: the lists open on it.
            const int weekday = m_date == m_today ? 1 : m_date.dayOfWeek();
            const double factor = m_sizes.documentsPerDay * (weekday == 7   ? 0.3
                                                             : weekday == 6 ? 0.6
                                                                            : 1.0);
            const Rates rates;
            auto times = [&](double mean) {
                return m_random.count(mean * factor);
            };

            // Documents that do not move stock; the rent is paid on the fifth.
            if (m_date.day() == 5)
                monthlyRent();
            for (int n = times(rates.cgsq); n > 0; --n)
                purchaseRequisition();
            for (int n = times(rates.cgdd); n > 0; --n)
                goodsRequisition();
            for (int n = times(rates.xsdd); n > 0; --n)
                salesOrder();
            for (int n = times(rates.cpjc); n > 0; --n)
                productIntake();
            for (int n = times(rates.fykz); n > 0; --n)
                expenseOrIncome(Kind::Fykz);
            for (int n = times(rates.qtsr); n > 0; --n)
                expenseOrIncome(Kind::Qtsr);
            for (int n = times(rates.xssk); n > 0; --n)
                settlement(Kind::Xssk);
            for (int n = times(rates.cgfk); n > 0; --n)
                settlement(Kind::Cgfk);
            for (int n = times(rates.yhckqk); n > 0; --n)
                accountTransfer();
            // Receiving documents before those whose unit costs read the ledger.
            for (int n = times(rates.cgsh); n > 0; --n)
                purchaseReceipt();
            for (int n = times(rates.xsth); n > 0; --n)
                salesReturn();
            for (int n = times(rates.tl); n > 0; --n)
                goodsReturn();
            for (int n = times(rates.ckdb); n > 0; --n)
                transfer();
            for (int n = times(rates.qtkcbd / 2); n > 0; --n)
                otherStockChange(true);
            for (int n = times(rates.xskd); n > 0; --n)
                salesDelivery();
            for (int n = times(rates.ll); n > 0; --n)
                goodsIssue();
            for (int n = times(rates.cgth); n > 0; --n)
                purchaseReturn();
            for (int n = times(rates.qtkcbd / 2); n > 0; --n)
                otherStockChange(false);
        }
    }

    void purchaseRequisition()
    {
        const bool ok = audited();
        Document d = newDocument(Kind::Cgsq, ok);
        const int department = m_random.pick(m_master.departments);
        const auto &people = m_master.staffOf(department);
        setHandler(d, people.empty() ? m_random.pick(m_master.active) : m_random.pick(people));
        d.ywy.clear();
        d.bmid = department;
        const bool materials = department == 9 || department == 10;
        const std::vector<int> &list = materials ? m_master.materials : m_master.tradeGoodsAt(1);
        for (int n = std::min(lineCount(), 5); n > 0; --n) {
            const int id = m_random.pick(list);
            if (contains(d, id))
                continue;
            Line l;
            l.hpid = id;
            l.sl = issueQuantity(m_master.goodsItem(id)) * 5;
            l.dj = m_master.goodsItem(id).jj;
            d.lines.push_back(l);
        }
        d.bz = materials ? "生产备料" : "部门月度申请";
        if (finish(d) && ok)
            remember(m_requisitions, d, 0, materials ? 2 : 1);
    }

    void goodsRequisition()
    {
        const bool ok = audited();
        Document d = newDocument(Kind::Cgdd, ok);
        setHandler(d, m_random.pick(m_master.buyers));
        const bool materials = m_random.chance(0.3);
        d.gysid = m_random.pick(materials ? m_master.materialSuppliers : m_master.tradeSuppliers);
        d.bmid = 5;
        d.ckid = materials ? 2 : 1;
        d.jhrq = dateText(m_date.addDays(m_random.between(5, 15)));
        d.zt = m_random.chance(0.05);
        const std::vector<int> &list = materials ? m_master.materials : m_master.tradeGoodsAt(1);
        for (int n = std::min(lineCount(), 6); n > 0; --n) {
            const int id = m_random.pick(list);
            if (contains(d, id))
                continue;
            Line l;
            l.hpid = id;
            l.sl = purchaseQuantity(m_master.goodsItem(id), d.ckid);
            l.dj = m_master.goodsItem(id).jj;
            l.nsl = 17;
            d.lines.push_back(l);
        }
        if (finish(d) && ok && !d.zt)
            remember(m_requisitions, d, d.gysid, d.ckid);
    }

    // Keeps an audited document's lines as a source later documents take lines from.
    void remember(std::deque<SourceDocument> &sources, const Document &d, int partner, int ckid)
    {
        SourceDocument source{d.djbh, partner, ckid, {}};
        int hh = 0;
        for (const Line &l : d.lines) {
            SourceLine s;
            s.djbh = d.djbh;
            s.hh = ++hh;
            s.hpid = l.hpid;
            s.remaining = l.sl;
            s.dj = l.dj;
            s.nzk = l.nzk;
            s.nsl = l.nsl;
            s.partner = partner;
            s.ckid = ckid;
            s.bmid = d.bmid;
            s.ygid = d.ygid;
            source.lines.push_back(s);
        }
        sources.push_back(std::move(source));
        if (sources.size() > 400)
            sources.pop_front();
    }

    void salesOrder()
    {
        const bool ok = audited();
        Document d = newDocument(Kind::Xsdd, ok);
        const Partner &customer =
            m_master.customers[size_t(m_random.between(1, int(m_master.customers.size()) - 1))];
        d.khid = customer.id;
        d.priceLevel = customer.priceLevel;
        setHandler(d, m_random.pick(m_master.salesmen));
        d.ckid = 1;
        d.jhrq = dateText(m_date.addDays(m_random.between(3, 10)));
        for (int n = std::min(lineCount(), 5); n > 0; --n) {
            const int id = m_random.pick(m_master.tradeGoodsAt(1));
            if (contains(d, id))
                continue;
            Line l;
            l.hpid = id;
            l.sl = saleQuantity(m_master.goodsItem(id));
            l.dj = salesPrice(m_master.goodsItem(id), d.priceLevel);
            l.nsl = 17;
            d.lines.push_back(l);
        }
        if (finish(d) && ok)
            remember(m_orders, d, d.khid, 1);
    }

    void productIntake()
    {
        if (m_master.products.empty())
            return;
        Document d = newDocument(Kind::Cpjc, audited());
        d.bmid = m_random.chance(0.5) ? 9 : 10;
        setHandler(d, m_random.pick(m_master.staffOf(d.bmid)));
        d.ywy.clear();
        d.ckid = 1;
        for (int n = m_random.between(1, 3); n > 0; --n) {
            const int id = m_random.pick(m_master.products);
            if (contains(d, id))
                continue;
            Line l;
            l.hpid = id;
            l.sl = m_random.between(2, 20);
            l.dj = m_master.goodsItem(id).jj;
            l.ckid = d.ckid;
            d.lines.push_back(l);
        }
        d.bz = "车间完工入库";
        finish(d);
    }

    void expenseOrIncome(Kind kind)
    {
        struct Item
        {
            int category;
            const char *summary;
            int low, high;
        };
        constexpr Item expenses[] = {
            {1, "购买办公用品", 50, 800},  {2, "出差差旅费报销", 300, 3000},
            {3, "水电费", 800, 3000},      {5, "货物运费", 100, 1500},
            {6, "电话及网络费", 200, 800}, {7, "客户招待", 200, 2000},
            {9, "设备维修", 100, 1500},    {10, "杂项支出", 30, 500},
        };
        constexpr Item income[] = {
            {11, "银行存款利息", 100, 2000},
            {12, "仓库场地出租", 3000, 8000},
            {13, "废纸箱及边角料出售", 100, 1500},
            {14, "其它收入", 200, 3000},
        };
        const bool expense = kind == Kind::Fykz;
        Document d = newDocument(kind, audited());
        const int handler = m_random.pick(m_master.staffOf(expense ? 3 : 4));
        setHandler(d, handler);
        d.ywy.clear();
        const bool cash = m_random.chance(0.7);
        setPayment(d, cash);
        if (expense && m_random.chance(0.3))
            d.gysid = m_random.pick(m_master.suppliers).id;
        if (!expense && m_random.chance(0.3))
            d.khid =
                m_master.customers[size_t(m_random.between(1, int(m_master.customers.size()) - 1))]
                    .id;
        d.ph = cash ? std::string() : "ZP" + std::to_string(m_random.between(100000, 999999));
        const std::span<const Item> items =
            expense ? std::span<const Item>(expenses) : std::span<const Item>(income);
        for (int n = m_random.between(1, 2); n > 0; --n) {
            const Item &item = m_random.pick(items);
            Line l;
            l.srzclbid = item.category;
            l.zy = item.summary;
            l.je = roundCents(m_random.between(item.low, item.high) * (small() ? 1 : 3) +
                              m_random.between(0, 99) / 100.0);
            d.lines.push_back(l);
        }
        finish(d);
    }

    void monthlyRent()
    {
        Document d = newDocument(Kind::Fykz, audited());
        setHandler(d, m_random.pick(m_master.staffOf(3)));
        d.ywy.clear();
        setPayment(d, false);
        d.ph = "ZZ" + std::to_string(m_random.between(100000, 999999));
        Line l;
        l.srzclbid = 4;
        l.zy = m_date.toString(QStringLiteral("M月份办公室及仓库租金")).toStdString();
        l.je = small() ? 12000.0 : 12000.0 * m_sizes.documentsPerDay;
        d.lines.push_back(l);
        finish(d);
    }

    void settlement(Kind kind)
    {
        const bool sales = kind == Kind::Xssk;
        auto &open = sales ? m_openSales : m_openPurchases;
        auto &partners = sales ? m_openCustomers : m_openSuppliers;
        const bool ok = audited();
        Document d = newDocument(kind, ok);
        setHandler(d, m_random.pick(m_master.staffOf(4)));
        d.ywy.clear();
        setPayment(d, m_random.chance(0.2));
        d.ph = d.sfkfsid == 1 ? std::string()
                              : "DZ" + std::to_string(m_random.between(1000000, 9999999));

        // An advance now and then; otherwise the partner's oldest open documents.
        while (!partners.empty()) {
            const size_t at = size_t(m_random.between(0, int(partners.size()) - 1));
            if (!open[partners[at]].empty())
                break;
            partners.erase(partners.begin() + long(at));
        }
        if (partners.empty() || m_random.chance(0.1)) {
            d.fklx = 2;
            (sales ? d.khid : d.gysid) = sales ? m_master
                                                     .customers[size_t(m_random.between(
                                                         1, int(m_master.customers.size()) - 1))]
                                                     .id
                                               : m_random.pick(m_master.suppliers).id;
            d.je = double(m_random.between(10, 100) * 100);
            d.bz = sales ? "预收货款" : "预付货款";
            write(d);
            if (ok)
                (sales ? m_advanceReceived : m_advancePaid)[sales ? d.khid : d.gysid] += d.je;
            return;
        }
        const int partner = partners[size_t(m_random.between(0, int(partners.size()) - 1))];
        d.fklx = 1;
        (sales ? d.khid : d.gysid) = partner;
        std::deque<OpenInvoice> &invoices = open[partner];
        const int take = m_random.between(1, 4);
        for (int n = 0; n < take && !invoices.empty(); ++n) {
            OpenInvoice &invoice = invoices.front();
            Line l;
            l.ddid = int(invoice.id);
            l.paid = invoice.paid;
            const double due = roundCents(invoice.je - invoice.paid);
            const bool part = n == take - 1 && m_random.chance(0.3);
            l.je = part ? roundCents(due / 2) : due;
            d.lines.push_back(l);
            invoice.paid = roundCents(invoice.paid + l.je);
            // The settled document's paid amount follows the audited settlements only: the
            // final audit books it, as the client does.
            if (ok) {
                invoice.booked = roundCents(invoice.booked + l.je);
                sql::Statement &update = sales ? m_setReceived : m_setPaid;
                update.bind(1, invoice.booked);
                update.bind(2, invoice.id);
                update.step();
                update.reset();
            }
            if (invoice.paid >= invoice.je)
                invoices.pop_front();
        }
        d.bz = sales ? "收回货款" : "支付货款";
        if (finish(d) && ok)
            (sales ? m_receivable : m_payable)[partner] -= d.je;
    }

    // Keeps the cash box between twenty and fifty thousand and the second bank account in
    // funds, by transfers between the accounts.
    void accountTransfer()
    {
        const double unit = m_sizes.documentsPerDay; // the day's volume of business
        int from = 0;
        int to = 0;
        double amount = 0;
        const char *reason = "";
        if (m_balance[1] > 50000 * unit) {
            from = 1;
            to = 2;
            amount = roundCents(m_balance[1] - 20000 * unit);
            reason = "现金存入银行";
        } else if (m_balance[1] < 20000 * unit) {
            from = 2;
            to = 1;
            amount = std::ceil((40000 * unit - m_balance[1]) / 1000) * 1000;
            reason = "从银行提取备用金";
        } else if (m_balance[3] < 100000 * unit) {
            from = 2;
            to = 3;
            amount = std::ceil((300000 * unit - m_balance[3]) / 10000) * 10000;
            reason = "基本户转入一般户";
        } else {
            return;
        }
        Inserter &insert = m_transfers;
        const int handler = m_random.pick(m_master.staffOf(4));
        insert << ++m_transferId << m_rq << m_master.employee(handler).name << from << to
               << "CK" + std::to_string(m_random.between(100000, 999999)) << amount << reason
               << m_master.operators[3];
        insert.run();
        m_balance[from] -= amount;
        m_balance[to] += amount;
    }

    void purchaseReceipt()
    {
        const bool ok = audited();
        Document d = newDocument(Kind::Cgsh, ok);
        setHandler(d, m_random.pick(m_master.buyers));
        d.bmid = 5;
        d.cglx = m_random.chance(0.5) ? 2 : 1;
        d.fplx = m_random.chance(0.6) ? 3 : m_random.chance(0.5) ? 2 : 1;
        d.nzk = m_random.chance(0.1) ? 0.9 : 1.0;

        // About a third fill an audited requisition; the others are bought as needed.
        if (!m_requisitions.empty() && m_random.chance(0.35)) {
            SourceDocument &source =
                m_requisitions[size_t(m_random.between(0, int(m_requisitions.size()) - 1))];
            d.ckid = source.ckid;
            d.gysid = source.partner != 0 ? source.partner
                                          : m_random.pick(d.ckid == 2 ? m_master.materialSuppliers
                                                                      : m_master.tradeSuppliers);
            d.srcBillNo = source.djbh;
            for (SourceLine &s : source.lines) {
                if (s.remaining <= 0)
                    continue;
                Line l;
                l.hpid = s.hpid;
                l.sl = s.remaining;
                l.dj = roundCents(m_master.goodsItem(s.hpid).jj * (0.95 + 0.1 * m_random.unit()));
                l.nzk = d.nzk;
                l.nsl = taxRate(d.fplx);
                l.ckid = d.ckid;
                l.srcno = s.djbh;
                l.srcseq = s.hh;
                s.remaining = 0;
                d.lines.push_back(l);
            }
        }
        if (d.lines.empty()) {
            d.ckid = m_random.chance(0.75) ? m_random.pick(m_master.tradeWarehouses) : 2;
            if (d.ckid != 2 && m_master.tradeGoodsAt(d.ckid).empty())
                d.ckid = 1;
            d.gysid =
                m_random.pick(d.ckid == 2 ? m_master.materialSuppliers : m_master.tradeSuppliers);
            const std::vector<int> &list =
                d.ckid == 2 ? m_master.materials : m_master.tradeGoodsAt(d.ckid);
            for (int n = lineCount(); n > 0; --n) {
                const int id = pickToBuy(list, d.ckid);
                if (id == 0 || contains(d, id))
                    continue;
                Line l;
                l.hpid = id;
                l.sl = purchaseQuantity(m_master.goodsItem(id), d.ckid);
                l.dj = roundCents(m_master.goodsItem(id).jj * (0.95 + 0.1 * m_random.unit()));
                l.nzk = d.nzk;
                l.nsl = taxRate(d.fplx);
                l.ckid = d.ckid;
                d.lines.push_back(l);
            }
        }
        if (finish(d) && ok) {
            remember(m_receipts, d, d.gysid, d.ckid);
            if (d.cglx == 2) {
                m_openPurchases[d.gysid].push_back({d.id, d.je, 0});
                m_openSuppliers.push_back(d.gysid);
                m_payable[d.gysid] += d.je;
            }
        }
    }

    void salesReturn()
    {
        if (m_deliveries.empty())
            return;
        SourceDocument &source =
            m_deliveries[size_t(m_random.between(0, int(m_deliveries.size()) - 1))];
        Document d = newDocument(Kind::Xsth, audited());
        d.khid = source.partner;
        d.ckid = source.ckid;
        d.srcBillNo = source.djbh;
        setHandler(d, m_random.pick(m_master.salesmen));
        d.thlx = m_random.chance(0.6) ? 1 : 2;
        if (d.thlx == 1)
            setPayment(d, m_random.chance(0.5));
        for (SourceLine &s : source.lines) {
            if (s.remaining < 1 || !m_random.chance(0.5))
                continue;
            const Goods &g = m_master.goodsItem(s.hpid);
            Line l;
            l.hpid = s.hpid;
            l.sl = std::max(1.0, std::floor(s.remaining / 3));
            l.dj = g.jjj; // the customer's price level read back as a return price
            l.cbdj = g.jqj;
            l.ckid = d.ckid;
            s.remaining -= l.sl;
            d.lines.push_back(l);
        }
        d.bz = "质量问题退货";
        finish(d);
    }

    void goodsReturn()
    {
        if (m_issues.empty())
            return;
        SourceDocument &source = m_issues[size_t(m_random.between(0, int(m_issues.size()) - 1))];
        Document d = newDocument(Kind::Tl, audited());
        d.ckid = source.ckid;
        d.srcBillNo = source.djbh;
        for (SourceLine &s : source.lines) {
            if (s.remaining < 1 || !m_random.chance(0.6))
                continue;
            d.bmid = s.bmid;
            setHandler(d, s.ygid);
            d.ywy.clear();
            Line l;
            l.hpid = s.hpid;
            l.sl = std::max(1.0, std::floor(s.remaining / 4));
            l.dj = m_master.goodsItem(s.hpid).jj;
            l.ckid = d.ckid;
            l.srcno = s.djbh;
            l.srcseq = s.hh;
            s.remaining -= l.sl;
            d.lines.push_back(l);
        }
        d.bz = "领用剩余退回";
        finish(d);
    }

    void transfer()
    {
        const bool ok = audited();
        Document d = newDocument(Kind::Ckdb, ok);
        d.dbType = "CKDB";
        d.dccid = 1;
        d.drcid = m_master.tradeWarehouses[size_t(
            m_random.between(1, int(m_master.tradeWarehouses.size()) - 1))];
        if (m_random.chance(0.15))
            std::swap(d.dccid, d.drcid);
        setHandler(d, m_random.pick(m_master.keepers));
        d.ywy.clear();
        for (int n = lineCount(); n > 0; --n) {
            const int id = pickInStock(m_master.tradeGoodsAt(1), d.dccid);
            if (id == 0 || contains(d, id))
                continue;
            const double stock = m_book.stock(id, d.dccid);
            Line l;
            l.hpid = id;
            l.sl = std::min(std::floor(stock / 3) + 1, stock);
            l.dj = m_master.goodsItem(id).jj;
            d.lines.push_back(l);
        }
        d.bz = d.drcid == 3 ? "门市补货" : "仓库调拨";
        finish(d);
    }

    void otherStockChange(bool incoming)
    {
        struct Change
        {
            int type;
            const char *remark;
        };
        constexpr Change in[] = {{1, "供应商赠品"}, {2, "向兄弟单位借入"}, {3, "盘点外入库"}};
        constexpr Change out[] = {{4, "破损报废"}, {5, "借给兄弟单位"}, {6, "样品送客户"}};
        const Change &change = incoming ? m_random.pick(std::span<const Change>(in))
                                        : m_random.pick(std::span<const Change>(out));
        Document d = newDocument(Kind::Qtkcbd, audited());
        d.qtkcbdlxid = change.type;
        d.crlx = incoming ? 1 : 2;
        d.ckid = m_random.chance(0.8) ? 1 : 2;
        setHandler(d, m_random.pick(m_master.keepers));
        d.ywy.clear();
        const std::vector<int> &list = d.ckid == 2 ? m_master.materials : m_master.tradeGoodsAt(1);
        for (int n = m_random.between(1, 3); n > 0; --n) {
            const int id = incoming ? m_random.pick(list) : pickInStock(list, d.ckid);
            if (id == 0 || contains(d, id))
                continue;
            Line l;
            l.hpid = id;
            l.sl = incoming
                       ? issueQuantity(m_master.goodsItem(id))
                       : std::min(issueQuantity(m_master.goodsItem(id)), m_book.stock(id, d.ckid));
            l.dj = m_master.goodsItem(id).jj;
            l.ckid = d.ckid;
            d.lines.push_back(l);
        }
        d.bz = change.remark;
        finish(d);
    }

    void salesDelivery()
    {
        const bool ok = audited();
        Document d = newDocument(Kind::Xskd, ok);
        setHandler(d, m_random.pick(m_master.salesmen));
        const bool walkIn = m_random.chance(0.25);
        if (walkIn) {
            d.khid = 1;
            d.ckid = small() ? 3 : m_random.pick(m_master.tradeWarehouses);
            d.xslx = 1;
            d.fplx = 1;
            d.priceLevel = "零售价";
            d.sfkfsid = m_random.chance(0.6) ? 1 : 4;
            d.zhid = d.sfkfsid == 1 ? 1 : 2;
        } else {
            d.ckid = small() ? 1 : m_random.pick(m_master.tradeWarehouses);
            d.xslx = m_random.chance(0.6) ? 2 : 1;
            d.fplx = m_random.chance(0.5) ? 3 : m_random.chance(0.6) ? 2 : 1;
            if (d.xslx == 2)
                d.skqx = m_random.chance(0.5) ? 30 : 60;
            else
                setPayment(d, m_random.chance(0.4));
        }
        // Four in ten deliveries to customers fill an audited order.
        SourceDocument *order = nullptr;
        if (!walkIn && d.ckid == 1 && !m_orders.empty() && m_random.chance(0.4))
            order = &m_orders[size_t(m_random.between(0, int(m_orders.size()) - 1))];
        if (order) {
            d.khid = order->partner;
            d.srcBillNo = order->djbh;
        } else if (!walkIn) {
            d.khid =
                m_master.customers[size_t(m_random.between(1, int(m_master.customers.size()) - 1))]
                    .id;
        }
        if (!walkIn)
            d.priceLevel = m_master.customers[size_t(d.khid - 1)].priceLevel;

        auto addLine = [&](int id, double wanted, const SourceLine *source) {
            const Goods &g = m_master.goodsItem(id);
            const double qty = std::min(wanted, m_book.stock(id, d.ckid));
            if (qty < 1)
                return;
            Line l;
            l.hpid = id;
            l.sl = std::floor(qty);
            l.dj = salesPrice(g, d.priceLevel);
            l.nzk = d.nzk;
            l.nsl = taxRate(d.fplx);
            l.cbdj = g.stockKind == 1 ? m_book.averageCost(id, d.ckid, g.jj) : g.jj;
            l.ckid = d.ckid;
            if (source) {
                l.srcno = source->djbh;
                l.srcseq = source->hh;
            }
            d.lines.push_back(l);
        };
        if (order) {
            for (SourceLine &s : order->lines) {
                if (s.remaining < 1)
                    continue;
                const size_t before = d.lines.size();
                addLine(s.hpid, s.remaining, &s);
                if (d.lines.size() > before)
                    s.remaining -= d.lines.back().sl;
            }
        }
        if (d.lines.empty()) {
            d.srcBillNo.clear();
            const std::vector<int> &list = m_master.tradeGoodsAt(small() ? 1 : d.ckid);
            for (int n = walkIn ? m_random.between(1, 3) : lineCount(); n > 0; --n) {
                const int id = pickInStock(list, d.ckid);
                if (id != 0 && !contains(d, id))
                    addLine(id,
                            walkIn ? m_random.between(1, 3) : saleQuantity(m_master.goodsItem(id)),
                            nullptr);
            }
        }
        if (finish(d) && ok) {
            remember(m_deliveries, d, d.khid, d.ckid);
            if (d.xslx == 2) {
                m_openSales[d.khid].push_back({d.id, d.je, 0});
                m_openCustomers.push_back(d.khid);
                m_receivable[d.khid] += d.je;
            }
        }
    }

    void goodsIssue()
    {
        const bool ok = audited();
        Document d = newDocument(Kind::Ll, ok);
        const bool production = !m_master.materials.empty() && m_random.chance(0.3);
        d.ckid = production ? 2 : 1;
        constexpr int offices[] = {2, 3, 4, 5, 6, 7, 11, 12};
        d.bmid = production ? (m_random.chance(0.5) ? 9 : 10)
                            : m_random.pick(std::span<const int>(offices));
        const auto &people = m_master.staffOf(d.bmid);
        setHandler(d, people.empty() ? m_random.pick(m_master.active) : m_random.pick(people));
        d.ywy.clear();
        const std::vector<int> &list = production ? m_master.materials : m_master.tradeGoodsAt(1);
        for (int n = std::min(lineCount(), 6); n > 0; --n) {
            const int id = pickInStock(list, d.ckid);
            if (id == 0 || contains(d, id))
                continue;
            const Goods &g = m_master.goodsItem(id);
            Line l;
            l.hpid = id;
            l.sl = std::min(issueQuantity(g), std::floor(m_book.stock(id, d.ckid)));
            l.ckid = d.ckid;
            l.dj = g.stockKind == 1 ? m_book.averageCost(id, d.ckid, g.jj) : g.jj;
            if (l.sl >= 1)
                d.lines.push_back(l);
        }
        // Now and then a computer or printer for the department, from a purchase batch.
        if (!production && !m_master.batchGoods.empty() && m_random.chance(0.15)) {
            const int id = pickInStock(m_master.batchGoods, d.ckid);
            if (id != 0 && !contains(d, id)) {
                for (Batch &batch : m_book.batches(id, d.ckid)) {
                    if (batch.sl - batch.taken >= 1) {
                        batch.taken += 1;
                        Line l;
                        l.hpid = id;
                        l.sl = 1;
                        l.ckid = d.ckid;
                        l.srcno = batch.djbh;
                        l.srcseq = batch.hh;
                        d.lines.push_back(l);
                        break;
                    }
                }
            }
        }
        if (d.lines.empty())
            return;
        // The save costs batch-issued goods first in, first out.
        for (Line &l : d.lines) {
            const Goods &g = m_master.goodsItem(l.hpid);
            if (g.stockKind == 2)
                l.dj = m_book.fifoCost(l.hpid, d.ckid, l.sl, g.jj);
        }
        d.bz = production ? "生产领料" : "部门领用";
        if (finish(d) && ok)
            remember(m_issues, d, d.bmid, d.ckid);
    }

    void purchaseReturn()
    {
        if (m_receipts.empty())
            return;
        SourceDocument &source =
            m_receipts[size_t(m_random.between(0, int(m_receipts.size()) - 1))];
        Document d = newDocument(Kind::Cgth, audited());
        d.gysid = source.partner;
        d.ckid = source.ckid;
        d.srcBillNo = source.djbh;
        setHandler(d, m_random.pick(m_master.buyers));
        d.thlx = m_random.chance(0.6) ? 1 : 2;
        if (d.thlx == 1)
            setPayment(d, m_random.chance(0.3));
        for (SourceLine &s : source.lines) {
            const double stock = m_book.stock(s.hpid, d.ckid);
            if (s.remaining < 1 || stock < 1 || !m_random.chance(0.4))
                continue;
            Line l;
            l.hpid = s.hpid;
            l.sl = std::min(std::max(1.0, std::floor(s.remaining / 5)), std::floor(stock));
            l.dj = s.dj;
            l.nzk = s.nzk;
            l.nsl = s.nsl;
            l.ckid = d.ckid;
            s.remaining -= l.sl;
            d.lines.push_back(l);
        }
        d.bz = "规格不符退货";
        finish(d);
    }

    // The last day of a month: adjustments first, then one count sheet per warehouse,
    // each line with the book quantity the form reads when the goods are entered.
    void stocktaking()
    {
        if (m_date.month() % 2 == 0 && !m_master.materials.empty()) {
            Document d = newDocument(Kind::Kcpd, audited());
            d.billType = "KCTZ";
            d.ckid = 2;
            setHandler(d, m_random.pick(m_master.keepers));
            d.ywy.clear();
            for (int n = m_random.between(1, 3); n > 0; --n) {
                const int id = m_random.pick(m_master.materials);
                if (contains(d, id))
                    continue;
                const double stock = m_book.stock(id, d.ckid);
                Line l;
                l.hpid = id;
                l.sl = stock >= 2 && m_random.chance(0.6) ? -std::floor(stock / 10) - 1
                                                          : m_random.between(1, 5);
                l.dj = m_master.goodsItem(id).jj;
                l.ckid = d.ckid;
                d.lines.push_back(l);
            }
            d.bz = "月末库存调整";
            finish(d);
        }
        const int sheets = small() ? 2 : int(m_master.tradeWarehouses.size());
        for (int w = 0; w < sheets; ++w) {
            const int ckid = small() ? (w == 0 ? 1 : 3) : m_master.tradeWarehouses[size_t(w)];
            Document d = newDocument(Kind::Kcpd, audited());
            d.billType = "KCPD";
            d.ckid = ckid;
            setHandler(d, m_random.pick(m_master.keepers));
            d.ywy.clear();
            const std::vector<int> &list = m_master.tradeGoodsAt(small() ? 1 : ckid);
            for (int n = small() ? 12 : 40; n > 0; --n) {
                const int id = pickInStock(list, ckid);
                if (id == 0 || contains(d, id))
                    continue;
                Line l;
                l.hpid = id;
                l.kcsl = m_book.stock(id, ckid);
                l.sl = l.kcsl;
                if (m_random.chance(0.25))
                    l.sl = std::max(0.0, l.sl + m_random.between(-3, 2));
                l.dj = m_master.goodsItem(id).jj;
                l.ckid = ckid;
                d.lines.push_back(l);
            }
            d.bz = "月末盘点";
            finish(d);
        }
    }

    // -------------------------------------------------------------------- closing

    void writeCounters()
    {
        Inserter counter(m_db, "MaxBillNo", {"TableName", "MaxNo"});
        for (const auto &[key, next] : m_counters) {
            counter << key << next;
            counter.run();
        }
    }

    void writeBalances()
    {
        sql::Statement kh = m_db.prepare("UPDATE KH SET QMJE = ?, YXJE = ? WHERE ID = ?");
        for (const auto &[id, balance] : m_receivable) {
            kh.bind(1, roundCents(balance));
            kh.bind(2, roundCents(m_advanceReceived[id]));
            kh.bind(3, int64_t(id));
            kh.step();
            kh.reset();
        }
        sql::Statement gys = m_db.prepare("UPDATE GYS SET QMJE = ?, YXJE = ? WHERE ID = ?");
        for (const auto &[id, balance] : m_payable) {
            gys.bind(1, roundCents(balance));
            gys.bind(2, roundCents(m_advancePaid[id]));
            gys.bind(3, int64_t(id));
            gys.step();
            gys.reset();
        }
        // Account balances: the opening balance plus what the cash and bank journal shows.
        const QString balances = QStringLiteral(R"(
UPDATE ZH SET QMJE = round(QCJE + ifnull((
    SELECT sum(JEA - JEB) FROM (
        SELECT ZHID, 0 AS JEA, XFJE AS JEB FROM CGSHZB WHERE uFlag >= :levels AND XFJE <> 0
        UNION ALL SELECT ZHID, 0, FKJE FROM CGFKZB WHERE uFlag >= :levels
        UNION ALL SELECT ZHID, 0, -XFJE FROM CGTHZB WHERE uFlag >= :levels AND XFJE <> 0
        UNION ALL SELECT ZHID, XSJE, 0 FROM XSKDZB WHERE uFlag >= :levels AND XSJE <> 0
        UNION ALL SELECT ZHID, FKJE, 0 FROM XSSKZB WHERE uFlag >= :levels
        UNION ALL SELECT ZHID, -XSJE, 0 FROM XSTHZB WHERE uFlag >= :levels AND XSJE <> 0
        UNION ALL SELECT ZHID, 0, JE FROM FYKZZB WHERE uFlag >= :levels
        UNION ALL SELECT ZHID, JE, 0 FROM QTSRZB WHERE uFlag >= :levels
        UNION ALL SELECT ZRZHID, JE, 0 FROM YHCKQK
        UNION ALL SELECT ZCZHID, 0, JE FROM YHCKQK) m
    WHERE m.ZHID = ZH.ID), 0), 2))");
        m_db.exec(QString(balances)
                      .replace(QStringLiteral(":levels"), QString::number(levels()))
                      .toStdString());
    }

    sql::Database &m_db;
    const DemoOptions &m_options;
    Sizes m_sizes;
    Random &m_random;
    const MasterData &m_master;
    DocumentWriter m_writer;
    StockBook m_book;
    int64_t m_documents = 0;
    int64_t m_lines = 0;

    QDate m_first;
    QDate m_today;
    QDate m_date;
    std::string m_rq;
    std::string m_month;
    std::string m_compactDate;
    int m_dayDocuments = 0;
    std::map<std::string, int> m_counters; // MaxBillNo: key -> next sequence

    std::deque<SourceDocument> m_requisitions;
    std::deque<SourceDocument> m_orders;
    std::deque<SourceDocument> m_receipts;
    std::deque<SourceDocument> m_deliveries;
    std::deque<SourceDocument> m_issues;
    std::unordered_map<int, std::deque<OpenInvoice>> m_openSales;
    std::unordered_map<int, std::deque<OpenInvoice>> m_openPurchases;
    std::vector<int> m_openCustomers;
    std::vector<int> m_openSuppliers;
    std::map<int, double> m_receivable;
    std::map<int, double> m_payable;
    std::map<int, double> m_advanceReceived;
    std::map<int, double> m_advancePaid;
    std::map<int, double> m_balance; // account -> balance so far
    sql::Statement m_setReceived = m_db.prepare("UPDATE XSKDZB SET YSJE = ? WHERE ID = ?");
    sql::Statement m_setPaid = m_db.prepare("UPDATE CGSHZB SET YFJE = ? WHERE ID = ?");
    Inserter m_transfers{
        m_db, "YHCKQK", {"ID", "RQ", "JSR", "ZCZHID", "ZRZHID", "PH", "JE", "BZ", "CZY"}};
    int64_t m_transferId = 0;
};

// The indexes of the account set, as (name, CREATE statement); dropped for a bulk load.
std::vector<std::pair<std::string, std::string>> indexes(sql::Database &db)
{
    std::vector<std::pair<std::string, std::string>> result;
    sql::Statement list =
        db.prepare("SELECT name, sql FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL");
    while (list.step())
        result.emplace_back(list.columnText(0), list.columnText(1));
    return result;
}

} // namespace

DemoSummary fillDemoData(sql::Database &db, const DemoOptions &options)
{
    const auto saved = indexes(db);
    db.exec("BEGIN");
    try {
        for (const auto &index : saved)
            db.exec("DROP INDEX " + sql::quoteSqliteIdentifier(index.first));
        const QDate today = options.today.isValid() ? options.today : QDate::currentDate();
        const Sizes sizes = sizesFor(options.scale);
        const QDate first = QDate(today.year(), today.month(), 1).addMonths(1 - sizes.months);
        Random random(options.seed + uint64_t(options.scale));
        if (options.progress)
            options.progress(QStringLiteral("master data"));
        const MasterData master = createMasterData(db, random, options.scale, first, today);
        db.exec("UPDATE CompanyInfo SET fAuditNum = " +
                std::to_string(std::max(1, options.auditLevels)));
        DemoSummary summary;
        DocumentGenerator(db, options, random, master, first, today).run(summary);
        if (options.progress)
            options.progress(QStringLiteral("personnel records"));
        createPersonnelRecords(db, random, master, first, today);
        summary.goods = int(master.goods.size());
        summary.customers = int(master.customers.size());
        summary.suppliers = int(master.suppliers.size());
        summary.employees = int(master.employees.size());
        if (options.progress)
            options.progress(QStringLiteral("indexes"));
        for (const auto &[name, sql] : saved)
            db.exec(sql);
        db.exec("COMMIT");
        return summary;
    } catch (...) {
        if (!sqlite3_get_autocommit(db.handle()))
            sqlite3_exec(db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

std::function<void(sql::Database &)> demoFill(DemoOptions options)
{
    return [options = std::move(options)](sql::Database &db) {
        fillDemoData(db, options);
    };
}

} // namespace demodata
