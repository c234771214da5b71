// The delivery list on 100,000 headers through a real vzserver, beside the generic list form
// showing the same query on the same dataset: the time to open (query, first packet, grid laid
// out) and to scroll through every header a page at a time. The document list adds the
// detail, date and status machinery on top of the generic list; it must cost next to nothing.
//
//   bench_doclists [--runs N]
#include "benchclient.h"
#include "benchutil.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/documents/comdczl.h"
#include "client/documents/registerforms.h"
#include "client/documents/xskd.h"
#include "client/forms/comjbzl.h"
#include "client/forms/mdiwindows.h"
#include "client/masterdata/editrows.h"
#include "client/masterdata/registerforms.h"
#include "client/widgets/dbgrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>

#include <memory>

namespace {

constexpr int Headers = 100000;

// Grows the deliveries to the given number of headers: copies of the existing ones with
// their own IDs and numbers, spread over the same dates.
void enlargeDeliveries(const std::string &file, int headers)
{
    sql::Database db(file, sql::Database::Mode::ReadWrite);
    auto scalar = [&db](const char *text) {
        sql::Statement st = db.prepare(text);
        return st.step() ? int(st.columnInt(0)) : 0;
    };
    const int have = scalar("SELECT count(*) FROM XSKDZB");
    const int base = scalar("SELECT max(ID) FROM XSKDZB");
    db.exec("BEGIN");
    for (int round = 1; have * round < headers; ++round) {
        const std::string offset = std::to_string(base * round);
        db.exec(
            "INSERT INTO XSKDZB (ID, DJBH, RQ, JE, BZ, CZY, uFlag, CKID, YWY, KHID, XSLX, FPLX, "
            "SFKFSID, ZHID, XSJE, YSJE, NZK) SELECT ID + " +
            offset + ", DJBH || '-" + std::to_string(round) +
            "', RQ, JE, BZ, CZY, uFlag, CKID, YWY, KHID, XSLX, FPLX, SFKFSID, ZHID, XSJE, "
            "YSJE, NZK FROM XSKDZB WHERE ID <= " +
            std::to_string(base) + " LIMIT " + std::to_string(headers - have * round));
    }
    db.exec("COMMIT");
    db.exec("ANALYZE");
}

// The generic list on the delivery headers with the delivery list's query and columns.
class TPlainList : public TfrmComJbzl
{
public:
    TPlainList()
    {
        setObjectName(QStringLiteral("frmPlainList"));
        setWindowTitle(QStringLiteral("销售出库单"));
        AddColumns(DBGrid1, {{"DJBH", "单据编号", 120},
                             {"RQ", "日期", 85},
                             {"aKHMC", "客户", 160},
                             {"aCKMC", "仓库", 100},
                             {"aXSLX", "销售类型", 70},
                             {"aFPLX", "发票类型", 90},
                             {"YWY", "业务员", 70},
                             {"JE", "金额", 100},
                             {"BZ", "备注", 200},
                             {"uFlag", "是否审核", 70}});
    }

protected:
    void FormShow() override
    {
        DBGrid1->SetDataSource(&Data().sXskdzb());
        TfrmComJbzl::FormShow();
    }
    void OpenDataSet() override
    {
        if (ListDataSet)
            ListDataSet->SetCommandText(TfrmSalOunt::HeaderQuery(QStringLiteral(" where 1=1 ")) +
                                        QStringLiteral(" order by Z.DJBH"));
        TfrmComJbzl::OpenDataSet();
    }
};

struct Times
{
    double OpenMs = 0;
    double ScrollMs = 0;
    int Rows = 0;
};

// Opens the shown list again (as its find button does) and pages through every header.
Times measure(TfrmComJbzl &list)
{
    Times times;
    auto start = bench::Clock::now();
    list.btnFind->click();
    QApplication::processEvents();
    times.OpenMs = bench::msSince(start);

    TClientDataSet &rows = *list.ListDataSet;
    start = bench::Clock::now();
    while (!rows.Eof()) {
        rows.MoveBy(250);
        QApplication::processEvents();
    }
    times.ScrollMs = bench::msSince(start);
    times.Rows = rows.RecordCount();
    return times;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = bench::runsArgument(argc, argv, 6);

    vztest::ServerProcess server;
    std::printf("building the scale-1 account set...\n");
    std::fflush(stdout);
    if (!bench::createScaleOneAccountSet(server, QStringLiteral("001"), "bench_doclists"))
        return 1;
    enlargeDeliveries(
        QDir(server.dataDir()).filePath(QStringLiteral("001/VzData.db")).toStdString(), Headers);
    if (!server.start()) {
        std::fprintf(stderr, "bench_doclists: %s\n", qPrintable(server.error()));
        return 1;
    }
    TData data;
    if (!bench::connectAsAdministrator(data, server.address(), QStringLiteral("001"),
                                       "bench_doclists"))
        return 1;
    RegisterMasterDataForms();
    RegisterDocumentForms();

    std::vector<double> listOpen, listScroll, plainOpen, plainScroll;
    int rowsSeen = 0;
    auto runList = [&] {
        std::unique_ptr<TFrmRoot> created(TFormRegistry::Create(QStringLiteral("TfrmSalOuntWork")));
        auto *list = qobject_cast<TfrmComDczb *>(created.get());
        if (!list)
            return false;
        list->resize(1200, 700);
        list->show();
        list->CheckBox1->setChecked(false); // every date: all the headers
        const Times times = measure(*list);
        listOpen.push_back(times.OpenMs);
        listScroll.push_back(times.ScrollMs);
        rowsSeen = times.Rows;
        list->Close();
        return true;
    };
    auto runPlain = [&] {
        TPlainList plain;
        plain.DoCreate();
        plain.resize(1200, 700);
        plain.show();
        const Times times = measure(plain);
        plainOpen.push_back(times.OpenMs);
        plainScroll.push_back(times.ScrollMs);
        plain.Close();
    };
    // Each goes first in every other run: neither profits from what the other left cached.
    for (int run = 0; run < runs; ++run) {
        if (run % 2 == 0) {
            if (!runList())
                return 1;
            runPlain();
        } else {
            runPlain();
            if (!runList())
                return 1;
        }
        QApplication::processEvents();
    }
    if (rowsSeen < Headers) {
        std::fprintf(stderr, "bench_doclists: the list held %d headers, not %d\n", rowsSeen,
                     Headers);
        return 1;
    }
    std::printf("%d delivery headers, median of %d runs:\n", rowsSeen, runs);
    const double open = bench::percentile(listOpen, 0.5);
    const double scroll = bench::percentile(listScroll, 0.5);
    bench::reportRatio("open: delivery list vs generic list", open,
                       bench::percentile(plainOpen, 0.5), 1.2);
    bench::reportRatio("scroll all: delivery list vs generic list", scroll,
                       bench::percentile(plainScroll, 0.5), 1.2);
    bench::reportValue("open the delivery list", open, "ms");
    bench::reportValue("scroll the delivery list", scroll, "ms");
    return 0;
}
