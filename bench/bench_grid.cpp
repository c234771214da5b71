// The data grid over 100,000 rows: a jump to the last row and its repaint, side by side with a
// plain QTableView over a plain model holding the same values. The grid reads the dataset in
// place and must not make a widget per row.
#include "benchutil.h"

#include "client/data/clientdataset.h"
#include "client/data/datasource.h"
#include "client/data/fields.h"
#include "client/widgets/dbgrid.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QDate>
#include <QHeaderView>
#include <QTableView>

#include <chrono>
#include <vector>

namespace {

constexpr int Rows = 100000;
constexpr int Columns = 7;

QVariant valueAt(int row, int column)
{
    static const char *names[] = {"螺丝刀", "活动扳手", "冲击电钻", "钢卷尺", "砂纸", "封箱胶带"};
    switch (column) {
    case 0:
        return row + 1;
    case 1:
        return QStringLiteral("H%1").arg(row + 1, 6, 10, QLatin1Char('0'));
    case 2:
        return QString::fromUtf8(names[row % 6]);
    case 3:
        return double(row % 50 + 1);
    case 4:
        return 10.5 + row % 17;
    case 5:
        return double(row % 50 + 1) * (10.5 + row % 17);
    default:
        return QDate(2024, 1, 1).addDays(row % 365);
    }
}

// The baseline: the same values in a vector, formatted the obvious way.
class PlainModel : public QAbstractTableModel
{
public:
    PlainModel()
    {
        m_cells.reserve(size_t(Rows) * Columns);
        for (int r = 0; r < Rows; ++r)
            for (int c = 0; c < Columns; ++c)
                m_cells.push_back(valueAt(r, c));
    }
    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : Rows;
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : Columns;
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        const QVariant &value = m_cells[size_t(index.row()) * Columns + size_t(index.column())];
        if (value.typeId() == QMetaType::Double)
            return QString::number(value.toDouble(), 'f', 2);
        if (value.typeId() == QMetaType::QDate)
            return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
        return value.toString();
    }

private:
    std::vector<QVariant> m_cells;
};

double elapsedMs(const std::function<void()> &fn)
{
    const auto start = std::chrono::steady_clock::now();
    fn();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// Median of the timed step, each preceded by an untimed reset.
double medianOf(int repetitions, const std::function<void()> &reset,
                const std::function<void()> &step)
{
    std::vector<double> times;
    for (int i = 0; i < repetitions; ++i) {
        reset();
        times.push_back(elapsedMs(step));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    TClientDataSet ds(QStringLiteral("Hp"));
    const char *names[] = {"ID", "BH", "PM", "SL", "DJ", "JE", "RQ"};
    const TFieldType types[] = {ftInteger, ftString, ftString, ftFloat, ftFloat, ftFloat, ftDate};
    for (int c = 0; c < Columns; ++c)
        ds.FieldDefs().Add(QLatin1String(names[c]), types[c], c == 1 || c == 2 ? 40 : 0);
    ds.CreateDataSet();
    ds.SetLogChanges(false);
    ds.DisableControls();
    for (int r = 0; r < Rows; ++r) {
        QVariantList values;
        for (int c = 0; c < Columns; ++c)
            values << valueAt(r, c);
        ds.AppendRecord(values);
    }
    ds.EnableControls();
    ds.First();
    ds.FieldByName(QStringLiteral("SL"))->SetDisplayFormat(QStringLiteral("#,0.##"));
    ds.FieldByName(QStringLiteral("DJ"))->SetDisplayFormat(QStringLiteral("#,0.00"));
    ds.FieldByName(QStringLiteral("JE"))->SetDisplayFormat(QStringLiteral("#,0.00"));

    TDataSource source(&ds);
    TDBGrid grid;
    const double bindMs = medianOf(
        9, [&] { grid.SetDataSource(nullptr); }, [&] { grid.SetDataSource(&source); });
    grid.SetFooterRowCount(1);
    grid.Columns()[0]->Footer().SetStaticText(QStringLiteral("合计"));
    grid.Columns()[5]->Footer().SetSum(QStringLiteral("#,0.00"));
    grid.resize(1000, 600);
    grid.show();
    QApplication::processEvents();

    PlainModel model;
    QTableView plain;
    plain.verticalHeader()->setDefaultSectionSize(20);
    plain.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    const double plainBindMs = medianOf(
        9, [&] { plain.setModel(nullptr); }, [&] { plain.setModel(&model); });
    plain.resize(1000, 600);
    plain.show();
    QApplication::processEvents();

    const int widgetsBefore = int(grid.findChildren<QWidget *>().size());
    auto gridReset = [&] {
        ds.First();
        grid.View()->viewport()->repaint();
    };
    auto gridJump = [&] {
        ds.Last();
        grid.View()->viewport()->repaint();
    };
    auto plainReset = [&] {
        plain.setCurrentIndex(model.index(0, 0));
        plain.scrollTo(model.index(0, 0));
        plain.viewport()->repaint();
    };
    auto plainJump = [&] {
        const QModelIndex last = model.index(Rows - 1, 0);
        plain.setCurrentIndex(last);
        plain.scrollTo(last);
        plain.viewport()->repaint();
    };
    // Warm both up once (fonts, glyph caches).
    gridReset();
    gridJump();
    plainReset();
    plainJump();
    const double gridMs = medianOf(15, gridReset, gridJump);
    const double plainMs = medianOf(15, plainReset, plainJump);
    const int widgetsAfter = int(grid.findChildren<QWidget *>().size());

    std::printf("grid over %d rows, %d columns (offscreen)\n", Rows, Columns);
    bool ok =
        bench::reportRatio("jump to last row + repaint: grid vs plain view", gridMs, plainMs, 3.0);
    bench::reportValue("jump to last row + repaint (grid)", gridMs, "ms", 30.0);
    ok = ok && gridMs <= 30.0;
    bench::reportRatio("bind 100k rows: grid vs plain model", bindMs, plainBindMs, 3.0);
    bench::reportValue("widgets in the grid before / after the jump", widgetsAfter, "widgets",
                       double(widgetsBefore));
    ok = ok && widgetsAfter == widgetsBefore;
    std::printf("current row %d, footer %s\n", ds.CurrentRow(), qPrintable(grid.FooterText(5)));
    return ok ? 0 : 1;
}
