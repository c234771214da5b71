// Typing a goods code into the floating look-up box over a local list of 10,000 and of
// 100,000 goods: every key released sets the list's filter as the document form does and the
// list repaints. One keystroke must fit in one frame (16 ms). The filter's prefix fast path is
// measured side by side with the general evaluator on the same list.
#include "benchutil.h"

#include "client/common/sqltext.h"
#include "client/data/clientdataset.h"
#include "client/data/datasource.h"
#include "client/data/fields.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/lookupbox.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

namespace {

constexpr double FrameMs = 16.0;

struct Goods
{
    const char *name;
    const char *mnemonic;
};
const Goods Names[] = {
    {"螺丝刀", "LSD"}, {"活动扳手", "HDBS"},   {"冲击电钻", "CJDZ"}, {"钢卷尺", "GJC"},
    {"砂纸", "SZ"},    {"封箱胶带", "FXJD"},   {"尖嘴钳", "JZQ"},    {"羊角锤", "YJC"},
    {"ab胶", "ABJ"},   {"Apple 电源", "APDY"}, {"螺母", "LM"},       {"1号电池", "1HDC"},
};
const char *const Prefixes[] = {"A", "AB", "B", "C", "1", "12", "a", "ab", "H", "X"};

std::unique_ptr<TClientDataSet> makeGoodsList(int rows)
{
    auto ds = std::make_unique<TClientDataSet>(QStringLiteral("cdsHp"));
    ds->FieldDefs().Add(QStringLiteral("BH"), ftString, 20);
    ds->FieldDefs().Add(QStringLiteral("PM"), ftString, 40);
    ds->FieldDefs().Add(QStringLiteral("GG"), ftString, 30);
    ds->FieldDefs().Add(QStringLiteral("ZJM"), ftString, 20);
    ds->CreateDataSet();
    ds->SetLogChanges(false);
    ds->DisableControls();
    for (int i = 0; i < rows; ++i) {
        const Goods &goods = Names[i % std::size(Names)];
        ds->AppendRecord({QStringLiteral("%1%2")
                              .arg(QLatin1String(Prefixes[(i / 7) % std::size(Prefixes)]))
                              .arg(i, 6, 10, QLatin1Char('0')),
                          QString::fromUtf8(goods.name) + QString::number(i % 97),
                          QStringLiteral("%1mm").arg(i % 50 + 1),
                          QString::fromLatin1(goods.mnemonic)});
    }
    ds->EnableControls();
    ds->SetFiltered(true);
    ds->First();
    return ds;
}

QString lookupFilter(const QString &t)
{
    if (t.isEmpty())
        return {};
    return QStringLiteral("bh like ") + QuotedStr(t + QLatin1Char('%')) +
           QStringLiteral(" or pm like ") + QuotedStr(t + QLatin1Char('%')) +
           QStringLiteral(" or zjm like ") + QuotedStr(t.toUpper() + QLatin1Char('%'));
}

// A key as the clerk types it: text keys carry their character, the rest their code.
struct Key
{
    int code;
    QString text;
};

std::vector<Key> keySequence()
{
    const auto text = [](const char *utf8) {
        return Key{Qt::Key_unknown, QString::fromUtf8(utf8)};
    };
    const Key backspace{Qt::Key_Backspace, QString()};
    return {text("a"), text("b"),  backspace,  backspace, text("1"), text("2"), backspace,
            backspace, text("螺"), text("丝"), backspace, backspace, text("c"), backspace,
            text("A"), text("B"),  text("0"),  backspace, backspace, backspace};
}

struct Percentiles
{
    double p50 = 0;
    double p95 = 0;
    double max = 0;
};

Percentiles percentiles(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    Percentiles p;
    p.p50 = times[times.size() / 2];
    p.p95 = times[std::min(times.size() - 1, size_t(double(times.size()) * 0.95))];
    p.max = times.back();
    return p;
}

class Paints : public QObject
{
public:
    int count = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

struct Run
{
    Percentiles keystroke;
    Percentiles filter;
    int paints = 0;
    int keystrokes = 0;
};

Run typeInto(TClientDataSet &list, TFilterOptions options, int rounds)
{
    list.SetFilter(QString());
    list.SetFilterOptions(options);
    TDataSource source(&list);
    QWidget window;
    window.resize(800, 600);
    auto *box = new TDBLookupBox(&window);
    box->SetListSource(&source);
    box->SetListColumns({{QStringLiteral("BH"), QStringLiteral("货品编号"), 10},
                         {QStringLiteral("PM"), QStringLiteral("货品名称"), 20},
                         {QStringLiteral("GG"), QStringLiteral("货品规格"), 15},
                         {QStringLiteral("ZJM"), QStringLiteral("助记码"), 10}});
    std::vector<double> filterTimes;
    box->OnKeyUp = [&](TDBLookupBox &sender, int key) {
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left || key == Qt::Key_Right)
            return;
        const auto start = std::chrono::steady_clock::now();
        const QString filter = lookupFilter(sender.Text());
        if (filter != list.Filter()) {
            list.SetFilter(filter);
            list.First();
        }
        filterTimes.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    };
    window.show();
    box->ShowOver(QRect(40, 40, 120, 20));
    QApplication::processEvents();
    Paints paints;
    box->List()->View()->viewport()->installEventFilter(&paints);

    const std::vector<Key> keys = keySequence();
    std::vector<double> times;
    QLineEdit *edit = box->Editor();
    for (int round = 0; round < rounds; ++round) {
        for (const Key &key : keys) {
            QKeyEvent press(QEvent::KeyPress, key.code, Qt::NoModifier, key.text);
            QKeyEvent release(QEvent::KeyRelease, key.code, Qt::NoModifier, key.text);
            const auto start = std::chrono::steady_clock::now();
            QApplication::sendEvent(edit, &press);
            QApplication::sendEvent(edit, &release);
            QApplication::processEvents(); // the list repaints
            times.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count());
        }
    }
    Run run;
    run.keystroke = percentiles(times);
    run.filter = percentiles(filterTimes);
    run.paints = paints.count;
    run.keystrokes = int(times.size());
    box->List()->SetDataSource(nullptr);
    return run;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // "--fast-only" skips the general evaluator's runs (for profiling the fast path).
    const bool fastOnly = app.arguments().contains(QStringLiteral("--fast-only"));
    for (int rows : {10000, 100000}) {
        auto list = makeGoodsList(rows);
        const int rounds = rows > 10000 ? 5 : 20;
        typeInto(*list, {}, 1); // warm up fonts and glyph caches
        const Run fast = typeInto(*list, {}, rounds);
        const Run general = fastOnly ? fast : typeInto(*list, foGeneralEvaluator, rounds);
        std::printf("look-up box over %d local goods, %d keystrokes, %d list repaints "
                    "(no server: the list is local)\n",
                    rows, fast.keystrokes, fast.paints);
        const std::string size = std::to_string(rows / 1000) + "k";
        bench::reportValue("  keystroke p50 (filter + repaint), " + size, fast.keystroke.p50, "ms",
                           FrameMs);
        bench::reportValue("  keystroke p95 (filter + repaint), " + size, fast.keystroke.p95, "ms",
                           FrameMs);
        bench::reportValue("  keystroke max, " + size, fast.keystroke.max, "ms");
        bench::reportValue("  filter only p50 / p95, " + size, fast.filter.p50, "ms");
        bench::reportValue("", fast.filter.p95, "ms");
        bench::reportRatio("  keystroke p50: prefix fast path vs general, " + size,
                           fast.keystroke.p50, general.keystroke.p50, 1.0);
        bench::reportRatio("  keystroke p95: prefix fast path vs general, " + size,
                           fast.keystroke.p95, general.keystroke.p95, 1.0);
        bench::reportRatio("  filter p50: prefix fast path vs general, " + size, fast.filter.p50,
                           general.filter.p50, 1.0);
    }
    return 0;
}
