// The goods picker's search through a real vzserver on the scale-1 account set (about 10,000
// goods) and on a copy enlarged to 100,000 goods: the time from the query the keystroke
// starts to rows in the picker's grid, p95 over many searches of each kind (code prefix,
// mnemonic prefix, name substring), beside the same query run in-process on the account
// set's file (the cost of the server, the wire and the client on top of SQLite). The query
// plan printed under each search kind says which index serves it.
//
//   bench_goods [--searches N]
#include "benchclient.h"
#include "benchutil.h"
#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/clientdataset.h"
#include "client/data/socketconnection.h"
#include "client/forms/globalobj.h"
#include "client/masterdata/selectitem.h"
#include "client/widgets/dbgrid.h"
#include "sql/database.h"
#include "sql/translator.h"
#include "support/serverprocess.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTableView>

#include <chrono>
#include <cstring>
#include <random>

namespace {

using Clock = std::chrono::steady_clock;

constexpr double TargetP95Ms = 50;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(p * double(values.size())));
    return values[index];
}

// Grows the set to the given number of goods: copies of the existing ones with their own
// codes, barcodes and names, so that prefixes and substrings stay as selective as in a real
// catalogue.
void enlargeGoods(const std::string &file, int goods)
{
    sql::Database db(file, sql::Database::Mode::ReadWrite);
    auto scalar = [&db](const char *text) {
        sql::Statement st = db.prepare(text);
        return st.step() ? int(st.columnInt(0)) : 0;
    };
    const int have = scalar("SELECT count(*) FROM HP");
    const int base = scalar("SELECT max(ID) FROM HP");
    db.exec("BEGIN");
    for (int round = 1; have * round < goods; ++round) {
        const int offset = base * round;
        db.exec("INSERT INTO HP (ID, BH, BarCode, HPLBID, PM, GG, DW, HPHSFFID, HPHSFSID, JJ, "
                "JJJ, JHY, JVIP, JQJ, SX, XX, CKID, ZT, IsMaterial, IsProduct, ZJM) SELECT ID + " +
                std::to_string(offset) + ", printf('%07d', ID + " + std::to_string(offset) +
                "), '69' || printf('%011d', ID + " + std::to_string(offset) +
                "), HPLBID, PM || ' " + std::to_string(round) +
                "型', GG, DW, HPHSFFID, HPHSFSID, JJ, JJJ, JHY, JVIP, JQJ, SX, XX, CKID, ZT, "
                "IsMaterial, IsProduct, ZJM FROM HP WHERE ID <= " +
                std::to_string(std::min(base, goods - have * round)));
    }
    db.exec("COMMIT");
    db.exec("ANALYZE");
}

struct SearchKind
{
    const char *name;
    std::vector<QString> terms;
};

// Search texts drawn from the set itself: code prefixes, mnemonic prefixes and two
// characters from inside names.
std::vector<SearchKind> searchTerms(const std::string &file, int count)
{
    sql::Database db(file, sql::Database::Mode::ReadOnly);
    std::vector<std::string> codes, mnemonics, names;
    for (auto st = db.prepare("SELECT BH, ZJM, PM FROM HP WHERE ZT = 0 ORDER BY random() LIMIT " +
                              std::to_string(count * 3));
         st.step();) {
        codes.push_back(st.columnText(0));
        mnemonics.push_back(st.columnText(1));
        names.push_back(st.columnText(2));
    }
    std::vector<SearchKind> kinds{
        {"code prefix", {}}, {"mnemonic prefix", {}}, {"name substring", {}}};
    for (size_t i = 0; i < codes.size() && int(kinds[0].terms.size()) < count; ++i) {
        const QString code = QString::fromStdString(codes[i]);
        kinds[0].terms.push_back(code.left(code.size() - 1));
    }
    for (size_t i = 0; i < mnemonics.size() && int(kinds[1].terms.size()) < count; ++i) {
        const QString zjm = QString::fromStdString(mnemonics[i]).toLower();
        if (zjm.size() >= 3)
            kinds[1].terms.push_back(zjm.left(3));
    }
    for (size_t i = 0; i < names.size() && int(kinds[2].terms.size()) < count; ++i) {
        const QString name = QString::fromStdString(names[i]);
        if (name.size() >= 4)
            kinds[2].terms.push_back(name.mid(name.size() / 2 - 1, 2));
    }
    return kinds;
}

// The plan SQLite chooses for the translated query, one line per step.
std::string queryPlan(sql::Database &db, sql::Translator &translator, const QString &text)
{
    const auto translation = translator.translate(text.toStdString(), sql::Dialect::Jet);
    std::string plan;
    for (auto st = db.prepare("EXPLAIN QUERY PLAN " + translation->sql); st.step();)
        plan += "      " + st.columnText(3) + "\n";
    return plan;
}

// The translated query run in-process up to the rows of the first packet.
double inProcessMs(sql::Database &db, sql::Translator &translator, const QString &text, int rows)
{
    const auto start = Clock::now();
    const auto translation = translator.translate(text.toStdString(), sql::Dialect::Jet);
    auto st = db.prepare(translation->sql);
    for (int i = 0; i < rows && st.step(); ++i) {
        for (int c = 0; c < st.columnCount(); ++c)
            (void)st.columnText(c);
    }
    return msSince(start);
}

// False when the search could not be measured; times over their targets are reported, not
// failed, as in the other benchmarks.
bool measureAccountSet(vztest::ServerProcess &server, const QString &accountNo, int goods,
                       int searches)
{
    const std::string file =
        QDir(server.dataDir()).filePath(accountNo + QStringLiteral("/VzData.db")).toStdString();
    const std::vector<SearchKind> kinds = searchTerms(file, searches);

    TData data;
    if (!bench::connectAsAdministrator(data, server.address(), accountNo, "bench_goods"))
        return false;

    TfrmSelectItem picker;
    picker.DoCreate();
    picker.resize(900, 560);
    picker.show();
    QApplication::processEvents();

    sql::Database db(file, sql::Database::Mode::ReadOnly);
    sql::registerExtensions(db.handle());
    sql::Translator translator(db.handle());
    std::printf("%d goods (account set %s):\n", goods, qPrintable(accountNo));
    TClientDataSet plain(QStringLiteral("plain"));
    plain.SetRemoteServer(&data.cn());
    plain.SetProviderName(QStringLiteral("pTmpf"));
    plain.SetPacketRecords(picker.cdsHP->PacketRecords());
    bool planShown = false;
    for (const SearchKind &kind : kinds) {
        std::vector<double> client, direct, link;
        for (const QString &term : kind.terms) {
            const auto start = Clock::now();
            picker.Edit1->setText(term);
            picker.Search();
            QApplication::processEvents(); // the grid lays out its rows
            client.push_back(msSince(start));
            if (picker.DBGrid1->View()->model()->rowCount() == 0) {
                std::fprintf(stderr, "bench_goods: no rows for \"%s\"\n", qPrintable(term));
                return false;
            }
            direct.push_back(
                inProcessMs(db, translator, picker.ResultSql(), picker.cdsHP->PacketRecords()));
            const auto linkStart = Clock::now();
            plain.Close();
            plain.SetCommandText(picker.ResultSql());
            plain.Open();
            link.push_back(msSince(linkStart));
        }
        if (!planShown) {
            std::printf("    plan of every search kind, e.g. \"%s\":\n%s",
                        qPrintable(kind.terms.front()),
                        queryPlan(db, translator, picker.ResultSql()).c_str());
            planShown = true;
        }
        const std::string label = std::to_string(goods) + " goods, " + kind.name;
        const double p95 = percentile(client, 0.95);
        std::printf("    %s: p95 in-process %.1f ms, through the server into a dataset %.1f ms, "
                    "into the picker's grid %.1f ms\n",
                    kind.name, percentile(direct, 0.95), percentile(link, 0.95), p95);
        bench::reportRatio(label + " p95 vs in-process", p95, percentile(direct, 0.95), 5.0);
        bench::reportValue(label + " p95", p95, "ms", TargetP95Ms);
    }
    picker.close();
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int searches = 60;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--searches") == 0 && i + 1 < argc)
            searches = std::max(5, std::atoi(argv[++i]));
    }
    vztest::ServerProcess server;
    std::printf("building the scale-1 account sets...\n");
    std::fflush(stdout);
    for (const char *accountNo : {"001", "002"})
        if (!bench::createScaleOneAccountSet(server, QLatin1String(accountNo), "bench_goods"))
            return 1;
    enlargeGoods(QDir(server.dataDir()).filePath(QStringLiteral("002/VzData.db")).toStdString(),
                 100000);
    if (!server.start()) {
        std::fprintf(stderr, "bench_goods: %s\n", qPrintable(server.error()));
        return 1;
    }
    const bool ok = measureAccountSet(server, QStringLiteral("001"), 10000, searches) &
                    measureAccountSet(server, QStringLiteral("002"), 100000, searches);
    return ok ? 0 : 1;
}
