#include "client/reports/rptchart.h"

#include "client/core/session.h"
#include "client/data/clientdataset.h"
#include "client/data/fields.h"
#include "client/forms/filedialogs.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/messagebox.h"
#include "client/widgets/uistyle.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QButtonGroup>
#include <QChart>
#include <QChartView>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenu>
#include <QPieSeries>
#include <QPieSlice>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QValueAxis>

namespace {

const char *const CategoryProperty = "category";

// The row's label and value of the two-column result.
QList<QPair<QString, double>> resultPoints(TClientDataSet &data)
{
    QList<QPair<QString, double>> points;
    if (!data.Active() || data.FieldCount() < 2)
        return points;
    for (data.First(); !data.Eof(); data.Next())
        points.append({data.Fields(0)->AsString(), data.Fields(1)->AsFloat()});
    data.First();
    return points;
}

} // namespace

// TRadioGroup -----------------------------------------------------------------------------------

TRadioGroup::TRadioGroup(QWidget *parent)
    : QWidget(parent)
    , m_group(new QButtonGroup(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    connect(m_group, &QButtonGroup::idClicked, this, [this] {
        if (OnClick)
            OnClick();
    });
}

void TRadioGroup::SetItems(const QStringList &items, int itemIndex)
{
    for (QAbstractButton *button : m_group->buttons()) {
        m_group->removeButton(button);
        delete button;
    }
    m_items = items;
    for (int i = 0; i < items.size(); ++i) {
        auto *button = new QRadioButton(items[i], this);
        m_group->addButton(button, i);
        layout()->addWidget(button);
    }
    SetItemIndex(itemIndex);
}

int TRadioGroup::ItemIndex() const
{
    return m_group->checkedId();
}

void TRadioGroup::SetItemIndex(int index)
{
    if (QAbstractButton *button = m_group->button(index))
        button->setChecked(true);
}

QString TRadioGroup::Text() const
{
    const int index = ItemIndex();
    return index >= 0 && index < m_items.size() ? m_items[index] : QString();
}

// TFrmRptChart ----------------------------------------------------------------------------------

TFrmRptChart::TFrmRptChart(QWidget *parent)
    : TFrmRptModal(parent)
{
    RadioGroupFX = new TRadioGroup(Panel1);
    RadioGroupFX->setObjectName(QStringLiteral("RadioGroupFX"));
    AddConditionWidget(RadioGroupFX, QStringLiteral("分析类型："));
    RadioGroupTu = new TRadioGroup(Panel1);
    RadioGroupTu->setObjectName(QStringLiteral("RadioGroupTu"));
    RadioGroupTu->SetItems(
        {QStringLiteral("柱状图形"), QStringLiteral("饼状图形"), QStringLiteral("曲线图形")});
    AddConditionWidget(RadioGroupTu, QStringLiteral("图形类型："));

    // The grid moves onto the page "表格" beside the chart.
    layout()->removeWidget(DBGrid1);
    RzPageClient = new QTabWidget(this);
    RzPageClient->setObjectName(QStringLiteral("RzPageClient"));
    TabSheet_JBXX = new QWidget;
    TabSheet_JBXX->setObjectName(QStringLiteral("TabSheet_JBXX"));
    TabSheet_HPSX = new QWidget;
    TabSheet_HPSX->setObjectName(QStringLiteral("TabSheet_HPSX"));
    DBChart1 = new QChartView(new QChart, TabSheet_JBXX);
    DBChart1->setObjectName(QStringLiteral("DBChart1"));
    DBChart1->setRenderHint(QPainter::Antialiasing);
    auto *chartPage = new QVBoxLayout(TabSheet_JBXX);
    chartPage->setContentsMargins(0, 0, 0, 0);
    chartPage->addWidget(DBChart1);
    auto *gridPage = new QVBoxLayout(TabSheet_HPSX);
    gridPage->setContentsMargins(0, 0, 0, 0);
    gridPage->addWidget(DBGrid1);
    RzPageClient->addTab(TabSheet_JBXX, QStringLiteral("图表"));
    RzPageClient->addTab(TabSheet_HPSX, QStringLiteral("表格"));
    static_cast<QVBoxLayout *>(layout())->addWidget(RzPageClient, 1);

    // The grid prints with page numbers under it, as the chart windows always printed.
    PrintFooter = QStringLiteral("第&[Page]页，共&[Pages]页");

    Menu_ExportChart = PopupOpt->addAction(QStringLiteral("导出图形(PNG)"));
    Menu_ExportChart->setObjectName(QStringLiteral("Menu_ExportChart"));
    connect(Menu_ExportChart, &QAction::triggered, this,
            [this] { Guarded([this] { Menu_ExportChartClick(); }); });

    // Another subject needs another query; another kind only draws the same rows anew.
    RadioGroupFX->OnClick = [this] {
        if (cdsQry->Active() && RadioGroupFX->ItemIndex() != m_shownSubject)
            Guarded([this] { OpenDataSet(); });
    };
    RadioGroupTu->OnClick = [this] {
        if (cdsQry->Active())
            buildChart();
    };
}

void TFrmRptChart::FormCreate()
{
    TFrmRptModal::FormCreate();
    DBChart1->chart()->setTitleFont(SongFont(16, true));
    DBChart1->chart()->legend()->setFont(RootFont());
}

void TFrmRptChart::OpenDataSet()
{
    const QString sql = ComposeSQL();
    if (sql.isEmpty())
        return;
    SetSQLText(sql);
    m_shownSubject = -1;
    DBChart1->chart()->removeAllSeries();
    TFrmRptModal::OpenDataSet();
    m_shownSubject = RadioGroupFX->ItemIndex();
    showResult();
}

void TFrmRptChart::showResult()
{
    TDBGridColumns &columns = DBGrid1->Columns();
    columns.BeginUpdate();
    columns.Clear();
    if (cdsQry->FieldCount() >= 2) {
        TColumn *label = columns.Add(cdsQry->Fields(0)->FieldName(), RadioGroupFX->Text(), 100);
        label->Footer().SetStaticText(QStringLiteral("合计"));
        TColumn *value = columns.Add(cdsQry->Fields(1)->FieldName(), ValueCaption(), 100);
        value->SetDisplayFormat(QStringLiteral("#,0.##"));
        value->Footer().SetSum(QStringLiteral("#,0.##"));
    }
    columns.EndUpdate();
    DBGrid1->SetFooterRowCount(1);
    buildChart();
}

void TFrmRptChart::buildChart()
{
    QChart *chart = DBChart1->chart();
    chart->removeAllSeries();
    for (QAbstractAxis *axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    const QString subject = RadioGroupFX->Text();
    chart->setTitle(subject + QStringLiteral("分析"));
    const auto points = resultPoints(*cdsQry);
    QStringList labels;
    for (const auto &point : points)
        labels << point.first;

    const QFont font = RootFont();
    auto addAxes = [&](QAbstractSeries *series) {
        auto *x = new QBarCategoryAxis;
        x->append(labels);
        x->setLabelsFont(font);
        // Names side by side would be cut short; slanted they are read whole.
        if (labels.size() > 6) {
            x->setLabelsAngle(-45);
            x->setTruncateLabels(false);
        }
        auto *y = new QValueAxis;
        y->setLabelsFont(font);
        y->setLabelFormat(QStringLiteral("%.0f"));
        chart->addAxis(x, Qt::AlignBottom);
        chart->addAxis(y, Qt::AlignLeft);
        series->attachAxis(x);
        series->attachAxis(y);
        y->applyNiceNumbers();
        return x;
    };

    switch (Kind()) {
    case TChartKind::Bar: {
        auto *set = new QBarSet(ValueCaption());
        for (const auto &point : points)
            set->append(point.second);
        auto *series = new QBarSeries;
        series->append(set);
        series->setLabelsVisible(true);
        series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
        set->setLabelFont(font);
        set->setLabelColor(Qt::black);
        chart->addSeries(series);
        addAxes(series);
        break;
    }
    case TChartKind::Pie: {
        auto *series = new QPieSeries;
        double total = 0;
        for (const auto &point : points)
            total += point.second;
        for (const auto &point : points) {
            const double share = total != 0 ? point.second * 100 / total : 0;
            auto *slice = series->append(point.first + QLatin1Char(' ') +
                                             QString::number(share, 'f', 1) + QLatin1Char('%'),
                                         point.second);
            slice->setProperty(CategoryProperty, point.first);
            slice->setLabelVisible(true);
            slice->setLabelFont(font);
        }
        chart->addSeries(series);
        break;
    }
    case TChartKind::Line: {
        auto *series = new QLineSeries;
        series->setName(ValueCaption());
        for (qsizetype i = 0; i < points.size(); ++i)
            series->append(double(i), points[i].second);
        series->setPointsVisible(true);
        series->setPointLabelsVisible(true);
        series->setPointLabelsFont(font);
        series->setPointLabelsFormat(QStringLiteral("@yPoint"));
        chart->addSeries(series);
        // A line over categories runs from the first to the last slot.
        if (!labels.isEmpty())
            addAxes(series)->setRange(labels.constFirst(), labels.constLast());
        break;
    }
    }
    // A pie's slices carry their names; its legend would only repeat them, cut short.
    chart->legend()->setVisible(!points.isEmpty() && Kind() != TChartKind::Pie);
}

int TFrmRptChart::SeriesCount() const
{
    return int(DBChart1->chart()->series().size());
}

QList<QPair<QString, double>> TFrmRptChart::ChartPoints() const
{
    QList<QPair<QString, double>> points;
    const QChart *chart = DBChart1->chart();
    if (chart->series().isEmpty())
        return points;
    QAbstractSeries *series = chart->series().constFirst();
    QStringList labels;
    for (QAbstractAxis *axis : chart->axes(Qt::Horizontal))
        if (auto *categories = qobject_cast<QBarCategoryAxis *>(axis))
            labels = categories->categories();
    if (auto *bars = qobject_cast<QBarSeries *>(series)) {
        const QBarSet *set = bars->barSets().value(0);
        for (int i = 0; set && i < set->count(); ++i)
            points.append({labels.value(i), set->at(i)});
    } else if (auto *pie = qobject_cast<QPieSeries *>(series)) {
        for (const QPieSlice *slice : pie->slices())
            points.append({slice->property(CategoryProperty).toString(), slice->value()});
    } else if (auto *line = qobject_cast<QLineSeries *>(series)) {
        const QList<QPointF> values = line->points();
        for (qsizetype i = 0; i < values.size(); ++i)
            points.append({labels.value(i), values[i].y()});
    }
    return points;
}

bool TFrmRptChart::SaveChartImage(const QString &fileName) const
{
    return DBChart1->grab().save(fileName, "PNG");
}

void TFrmRptChart::Menu_ExportChartClick()
{
    if (!cdsQry->Active() || cdsQry->IsEmpty()) {
        MessageBox(QStringLiteral("没有数据,不能导出！"), QStringLiteral("提示"),
                   TMsgIcon::Information);
        return;
    }
    TFileDialogRequest request;
    request.FileName = windowTitle();
    request.Filters = {QStringLiteral("PNG 图片 (*.png)")};
    const auto answer = PromptForFile(request);
    if (!answer)
        return;
    QString fileName = answer->FileName;
    if (!fileName.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
        fileName += QStringLiteral(".png");
    if (!SaveChartImage(fileName))
        MessageBox(QStringLiteral("导出失败：") + fileName, QStringLiteral("提示"),
                   TMsgIcon::Error);
}

// TFrmRptModal_Tu -------------------------------------------------------------------------------

TFrmRptModal_Tu::TFrmRptModal_Tu(QWidget *parent)
    : TFrmRptChart(parent)
    , m_variant(&ChartVariants().front())
{
    setObjectName(QStringLiteral("FrmRptModal_Tu"));
    setWindowTitle(QStringLiteral("图形分析"));
    Label1->setText(QStringLiteral("日    期："));
    EditSeq = new QLineEdit(QStringLiteral("12"), Panel1);
    EditSeq->setObjectName(QStringLiteral("EditSeq"));
    EditSeq->setMaximumWidth(50);
    AddConditionWidget(EditSeq, QStringLiteral("排名数据："));
    RadioGroupFX->SetItems(m_variant->Subjects);
}

void TFrmRptModal_Tu::SetBillType(const QString &caption)
{
    if (const TChartVariant *variant = FindChartVariant(caption); variant && variant != m_variant) {
        m_variant = variant;
        cdsQry->Close();
        DBGrid1->Columns().Clear();
        DBChart1->chart()->removeAllSeries();
        RadioGroupFX->SetItems(m_variant->Subjects);
    }
    TFrmRptChart::SetBillType(caption);
}

QString TFrmRptModal_Tu::ValueCaption() const
{
    return QString::fromUtf8(m_variant->Caption);
}

QString TFrmRptModal_Tu::ComposeSQL()
{
    if (!IsTopCount(EditSeq->text())) {
        MessageBox(QStringLiteral("排名数据请输入大于0的整数。"), QStringLiteral("提示"),
                   TMsgIcon::Information);
        EditSeq->setFocus();
        return {};
    }
    return ChartSQL(Context(), *m_variant, RadioGroupFX->Text(), EditSeq->text().trimmed().toInt(),
                    dtpRqa->date(), dtpRqb->date());
}

// TFrmRptModal_Tu_Rs ----------------------------------------------------------------------------

TFrmRptModal_Tu_Rs::TFrmRptModal_Tu_Rs(QWidget *parent)
    : TFrmRptChart(parent)
{
    setObjectName(QStringLiteral("FrmRptModal_Tu_Rs"));
    setWindowTitle(QStringLiteral("员工信息分析图表"));
    // The employees as they are now: no period.
    for (QWidget *w :
         std::initializer_list<QWidget *>{Label1, dtpRqa, Label2, dtpRqb, CombSelectedDate})
        w->hide();
    PrintSubTitle.clear();
    RzPageClient->widget(0)->setObjectName(QStringLiteral("TabTu"));
    RzPageClient->widget(1)->setObjectName(QStringLiteral("TabGrid"));
    RadioGroupFX->SetItems(EmployeeChartSubjects());
}

QString TFrmRptModal_Tu_Rs::ComposeSQL()
{
    return EmployeeChartSQL(Context().DatabaseKind, RadioGroupFX->Text(), windowTitle());
}
