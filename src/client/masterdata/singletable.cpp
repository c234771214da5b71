// The single-table editors and the wage code lists.
#include "client/masterdata/singletable.h"

#include "client/common/sqltext.h"
#include "client/data/centraldata.h"
#include "client/data/datasource.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/forms/filedialogs.h"
#include "client/forms/findpublic.h"
#include "client/forms/kingfilterdialog.h"
#include "client/output/gridexport.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/gridexportsource.h"
#include "client/widgets/gridprinter.h"
#include "client/widgets/messagebox.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QToolButton>
#include <QVBoxLayout>

TSingleModelFrm::TSingleModelFrm(QWidget *parent)
    : TFrmRoot(parent)
    , m_source(std::make_unique<TDataSource>())
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    buildActions();
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    ToolBar1 = new TPanel(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    auto *tools = new QHBoxLayout(ToolBar1);
    tools->setContentsMargins(2, 2, 2, 2);
    tools->setSpacing(2);
    auto addButton = [&](QAction *action) {
        QToolButton *button =
            NewToolButton(ToolBar1, QStringLiteral("btn") + action->objectName().mid(2));
        LinkButton(button, action);
        tools->addWidget(button);
        return button;
    };
    for (TAction *action :
         {acPrior, acNext, acInsert, acEdit, acSave, acCancel, acDelete, acFind, acFilter, acPrint})
        addButton(action);
    PopOut = new QMenu(this);
    pmnExcel = PopOut->addAction(QStringLiteral("导出为Excel"));
    pmnText = PopOut->addAction(QStringLiteral("导出为文本"));
    connect(pmnExcel, &QAction::triggered, this,
            [this] { Guarded([this] { exportGrid(false); }); });
    connect(pmnText, &QAction::triggered, this, [this] { Guarded([this] { exportGrid(true); }); });
    auto *exportButton = new QToolButton(ToolBar1);
    exportButton->setObjectName(QStringLiteral("btnExport"));
    exportButton->setText(QStringLiteral("导出"));
    exportButton->setAutoRaise(true);
    exportButton->setMenu(PopOut);
    exportButton->setPopupMode(QToolButton::InstantPopup);
    tools->addWidget(exportButton);
    addButton(acSelect);
    addButton(acReturn);
    tools->addStretch(1);
    column->addWidget(ToolBar1);

    m_topArea = new QWidget(this);
    column->addWidget(m_topArea);
    DBGrid1 = new TDBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->SetOptions(dgEditing | dgTitles | dgIndicator | dgColumnResize | dgColLines |
                        dgRowLines | dgTabs | dgAlwaysShowSelection);
    DBGrid1->SetDataSource(m_source.get());
    DBGrid1->OnDblClick = [this](TDBGrid &) {
        if (SelectMode)
            acSelect->Execute();
    };
    column->addWidget(DBGrid1, 1);
    m_source->OnStateChange = [this](TDataSource &) {
        setActionStates();
    };
    resize(640, 460);
}

TSingleModelFrm::~TSingleModelFrm()
{
    DBGrid1->SetDataSource(nullptr);
}

void TSingleModelFrm::buildActions()
{
    struct ActionRow
    {
        TAction *TSingleModelFrm::*member;
        const char *name;
        const char *caption;
        QKeySequence shortcut;
        std::function<void(TSingleModelFrm &)> handler;
    };
    const ActionRow rows[] = {
        {&TSingleModelFrm::acPrior, "acPrior", "前条", QKeySequence(Qt::CTRL | Qt::Key_Up),
         [](TSingleModelFrm &f) {
             f.m_dataSet->Prior();
         }},
        {&TSingleModelFrm::acNext, "acNext", "后条", QKeySequence(Qt::CTRL | Qt::Key_Down),
         [](TSingleModelFrm &f) {
             f.m_dataSet->Next();
         }},
        {&TSingleModelFrm::acInsert, "acInsert", "新增", QKeySequence(Qt::CTRL | Qt::Key_N),
         [](TSingleModelFrm &f) {
             f.acInsertExecute();
         }},
        {&TSingleModelFrm::acSave, "acSave", "保存", QKeySequence(Qt::CTRL | Qt::Key_S),
         [](TSingleModelFrm &f) {
             f.acSaveExecute();
         }},
        {&TSingleModelFrm::acCancel,
         "acCancel",
         "取消",
         {},
         [](TSingleModelFrm &f) {
             f.acCancelExecute();
         }},
        {&TSingleModelFrm::acDelete, "acDelete", "删除", QKeySequence(Qt::CTRL | Qt::Key_D),
         [](TSingleModelFrm &f) {
             f.acDeleteExecute();
         }},
        {&TSingleModelFrm::acPrint, "acPrint", "打印", QKeySequence(Qt::CTRL | Qt::Key_P),
         [](TSingleModelFrm &f) {
             TDBGridPrinter gridPrinter(*f.DBGrid1);
             gridPrinter.Options().Title = f.windowTitle();
             gridPrinter.Options().FitToPageWidth = true;
             QPrinter printer(QPrinter::HighResolution);
             QPrintPreviewDialog preview(&printer, &f);
             preview.setObjectName(QStringLiteral("PrintPreview"));
             QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &f,
                              [&gridPrinter](QPrinter *device) { gridPrinter.Print(*device); });
             preview.exec();
         }},
        {&TSingleModelFrm::acReturn, "acReturn", "返回", QKeySequence(Qt::Key_Escape),
         [](TSingleModelFrm &f) {
             f.Close();
         }},
        {&TSingleModelFrm::acEdit,
         "acEdit",
         "编辑",
         {},
         [](TSingleModelFrm &f) {
             f.m_dataSet->Edit();
         }},
        {&TSingleModelFrm::acFind,
         "acFind",
         "查找",
         {},
         [](TSingleModelFrm &f) {
             FindPublic(f.DBGrid1, f.m_dataSet, f.m_lastFindText, f.m_lastFindColumn, &f);
         }},
        {&TSingleModelFrm::acFilter,
         "acFilter",
         "过滤",
         {},
         [](TSingleModelFrm &f) {
             if (!f.m_filter)
                 f.m_filter = std::make_unique<TKingFilterDialog>();
             f.m_filter->DataSet = f.m_dataSet;
             f.m_filter->DBGridEH = f.DBGrid1;
             f.m_filter->Execute(&f);
         }},
        {&TSingleModelFrm::acSelect,
         "acSelect",
         "选中",
         {},
         [](TSingleModelFrm &f) {
             if (f.m_dataSet->IsEmpty())
                 return;
             f.ResultID = f.m_dataSet->FieldByName(QStringLiteral("ID"))->AsString();
             f.SetModalResult(mrOk);
         }},
    };
    for (const ActionRow &row : rows) {
        const auto handler = row.handler;
        this->*row.member = AddFormAction(this, row.name, QString::fromUtf8(row.caption),
                                          row.shortcut, [this, handler] {
                                              if (m_dataSet && m_dataSet->Active())
                                                  handler(*this);
                                              setActionStates();
                                          });
    }
}

void TSingleModelFrm::SetDataSet(TClientDataSet *dataSet)
{
    m_dataSet = dataSet;
    m_source->SetDataSet(dataSet);
}

bool TSingleModelFrm::isEditing() const
{
    return m_dataSet && (m_dataSet->State() == dsEdit || m_dataSet->State() == dsInsert);
}

void TSingleModelFrm::setActionStates()
{
    const bool active = m_dataSet && m_dataSet->Active();
    const bool editing = isEditing();
    const bool rows = active && !m_dataSet->IsEmpty();
    acSave->setEnabled(editing || (active && m_dataSet->ChangeCount() > 0));
    acCancel->setEnabled(acSave->isEnabled());
    acInsert->setEnabled(active);
    acEdit->setEnabled(rows && !editing);
    acDelete->setEnabled(rows);
    acPrior->setEnabled(rows && !m_dataSet->Bof());
    acNext->setEnabled(rows && !m_dataSet->Eof());
    acSelect->setVisible(SelectMode);
}

void TSingleModelFrm::FormShow()
{
    TFrmRoot::FormShow();
    setActionStates();
}

void TSingleModelFrm::acInsertExecute()
{
    // A dataset of its own: the caller's scratch datasets may be open.
    std::unique_ptr<TClientDataSet> next = NewScratchDataSet(*m_dataSet);
    next->SetCommandText(QStringLiteral("select Max(ID)+1 from ") + KeyTable());
    next->Open();
    const QVariant value = next->Fields(0)->Value();
    next->Close();
    if (m_dataSet->State() != dsInsert)
        m_dataSet->Insert();
    m_dataSet->FieldByName(QStringLiteral("ID"))
        ->SetAsLargeInt(value.isNull() ? 1 : value.toLongLong());
    DBGrid1->setFocus();
}

void TSingleModelFrm::acSaveExecute()
{
    if (isEditing())
        m_dataSet->Post();
    if (m_dataSet->ChangeCount() > 0)
        m_dataSet->ApplyUpdates(0);
}

void TSingleModelFrm::acCancelExecute()
{
    if (isEditing())
        m_dataSet->Cancel();
    if (m_dataSet->ChangeCount() > 0)
        m_dataSet->CancelUpdates();
}

void TSingleModelFrm::acDeleteExecute()
{
    if (m_dataSet->IsEmpty())
        return;
    if (MessageBox(QStringLiteral("确定要删除吗?"), QStringLiteral("资料删除"), TMsgIcon::Question,
                   TMsgButtons::YesNo, mrNo) != mrYes)
        return;
    m_dataSet->Delete();
    if (m_dataSet->ApplyUpdates(0) > 0 || m_dataSet->ChangeCount() > 0)
        m_dataSet->CancelUpdates();
}

bool TSingleModelFrm::FormCloseQuery()
{
    if (!isEditing() && (!m_dataSet || !m_dataSet->Active() || m_dataSet->ChangeCount() == 0))
        return true;
    switch (MessageBox(QStringLiteral("是否保存对当前资料的修改?"), QStringLiteral("资料保存"),
                       TMsgIcon::Question, TMsgButtons::YesNoCancel)) {
    case mrYes: {
        bool saved = false;
        Guarded([&] {
            acSaveExecute();
            saved = m_dataSet->ChangeCount() == 0;
        });
        return saved;
    }
    case mrNo:
        acCancelExecute();
        return true;
    default:
        return false;
    }
}

void TSingleModelFrm::exportGrid(bool text)
{
    if (!m_dataSet || !m_dataSet->Active() || m_dataSet->IsEmpty()) {
        MessageBox(QStringLiteral("没有数据,不能导出！"), QStringLiteral("提示"),
                   TMsgIcon::Information);
        return;
    }
    const auto format = text ? output::ExportFormat::Text : output::ExportFormat::Excel;
    TFileDialogRequest request;
    request.Title = text ? QStringLiteral("导出为文本") : QStringLiteral("导出为Excel");
    request.FileName = windowTitle();
    request.Filters = {output::exportFilters().value(int(format) - 1)};
    const auto answer = PromptForFile(request);
    if (!answer)
        return;
    const QString fileName = output::withExportExtension(answer->FileName, format);
    QString error;
    const TGridExportSource source(*DBGrid1);
    if (!output::exportToFile(source, fileName, format, &error)) {
        MessageBox(QStringLiteral("导出失败：") + error, QStringLiteral("提示"), TMsgIcon::Error);
        return;
    }
    MessageBox(QStringLiteral("数据已导出到文件：") + fileName, QStringLiteral("提示"),
               TMsgIcon::Information);
}

TSingleTableFrm::TSingleTableFrm(QWidget *parent)
    : TSingleModelFrm(parent)
{
    setObjectName(QStringLiteral("SingleTableFrm"));
    setWindowTitle(QStringLiteral("单表模板"));
    auto *row = new QHBoxLayout(TopArea());
    row->setContentsMargins(4, 2, 4, 2);
    cbDate = new QCheckBox(QStringLiteral("日期:"), TopArea());
    cbDate->setObjectName(QStringLiteral("cbDate"));
    dtFrom = new QDateEdit(QDate::currentDate().addDays(1 - QDate::currentDate().day()), TopArea());
    dtFrom->setObjectName(QStringLiteral("dtFrom"));
    dtTo = new QDateEdit(QDate::currentDate(), TopArea());
    dtTo->setObjectName(QStringLiteral("dtTo"));
    lblTo = new QLabel(QStringLiteral("至"), TopArea());
    for (QDateEdit *edit : {dtFrom, dtTo}) {
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        edit->setCalendarPopup(true);
    }
    row->addWidget(cbDate);
    row->addWidget(dtFrom);
    row->addWidget(lblTo);
    row->addWidget(dtTo);
    row->addStretch(1);
    const auto reopen = [this] {
        Guarded([this] { OpenRows(); });
    };
    connect(cbDate, &QCheckBox::toggled, this, reopen);
    connect(dtFrom, &QDateEdit::dateChanged, this, [this, reopen] {
        if (cbDate->isChecked())
            reopen();
    });
    connect(dtTo, &QDateEdit::dateChanged, this, [this, reopen] {
        if (cbDate->isChecked())
            reopen();
    });
}

QString TSingleTableFrm::Condition() const
{
    if (!cbDate->isChecked() || DateField.isEmpty())
        return QStringLiteral(" 1=1");
    const QString format = QStringLiteral("yyyy-MM-dd");
    return QLatin1Char(' ') + DateField + QStringLiteral(" between ") + QLatin1Char('#') +
           dtFrom->date().toString(format) + QStringLiteral("# and ") + QLatin1Char('#') +
           dtTo->date().toString(format) + QLatin1Char('#');
}

void TSingleTableFrm::OpenRows()
{
    if (!DataSet())
        return;
    THourGlass hourGlass;
    DataSet()->Close();
    DataSet()->SetCommandText(QStringLiteral(" select * from ") + TableName +
                              QStringLiteral(" where ") + Condition());
    DataSet()->Open();
    setActionStates();
}

void TSingleTableFrm::FormShow()
{
    TopArea()->setVisible(!DateField.isEmpty());
    if (DataSet() && !DataSet()->Active())
        OpenRows();
    TSingleModelFrm::FormShow();
}

TSingleTableFrm_1::TSingleTableFrm_1(QWidget *parent)
    : TSingleTableFrm(parent)
{
    setObjectName(QStringLiteral("SingleTableFrm_1"));
}

namespace {

// A wage code list on its dataset of the central data module.
void setUpWageList(TSingleTableFrm &form, const char *name, const char *caption,
                   const QString &table, TClientDataSet *dataSet)
{
    form.setObjectName(QLatin1String(name));
    form.setWindowTitle(QString::fromUtf8(caption));
    form.TableName = table;
    form.SetDataSet(dataSet);
}

TClientDataSet *centralOrNull(TClientDataSet &(TData::*dataSet)())
{
    return DataExists() ? &(Data().*dataSet)() : nullptr;
}

} // namespace

TGz_GXuFrm::TGz_GXuFrm(QWidget *parent)
    : TSingleTableFrm_1(parent)
{
    setUpWageList(*this, "Gz_GXuFrm", "计件工序", QStringLiteral("Gz_GXu"),
                  centralOrNull(&TData::Gz_GXu));
    TDBGridColumns &columns = DBGrid1->Columns();
    columns.Add(QStringLiteral("F_Name"), QStringLiteral("名称"), 160);
    columns.Add(QStringLiteral("F_Dw"), QStringLiteral("单位"), 60);
    columns.Add(QStringLiteral("F_Dj"), QStringLiteral("单价"), 80);
    columns.Add(QStringLiteral("GzName"), QStringLiteral("计件工种"), 120);
}

void TGz_GXuFrm::OpenRows()
{
    if (!DataSet())
        return;
    DataSet()->Close();
    DataSet()->SetCommandText(
        QStringLiteral(" select G.*, Z.F_Name as GzName from Gz_GXu G left join Gz_GZong Z on "
                       "G.F_GzID=Z.id where 1=1"));
    DataSet()->Open();
    setActionStates();
}

void TGz_GXuFrm::FormShow()
{
    // The trade is chosen by name from the piece-rate trades.
    TTmpDataSet trades;
    FillListFromQuery(m_trades, QStringLiteral("select F_Name from Gz_GZong order by id"), *trades);
    if (TColumn *trade = DBGrid1->Columns().FindByFieldName(QStringLiteral("GzName")))
        trade->SetPickList(m_trades);
    TSingleTableFrm_1::FormShow();
    if (DataSet())
        DBGrid1->DataSource()->OnDataChange = [this](TDataSource &, TField *field) {
            tradeChanged(field);
        };
}

void TGz_GXuFrm::tradeChanged(TField *field)
{
    if (!field || field->FieldName().compare(QLatin1String("GzName"), Qt::CaseInsensitive) != 0)
        return;
    const QVariant id = QueryValue(QStringLiteral("select id from Gz_GZong where F_Name = ") +
                                   QuotedStr(field->AsString()));
    DataSet()->FieldByName(QStringLiteral("F_GzID"))->SetAsInteger(id.toInt());
}

TGz_GongZFrm::TGz_GongZFrm(QWidget *parent)
    : TSingleTableFrm_1(parent)
{
    setUpWageList(*this, "Gz_GongZFrm", "计时工种", QStringLiteral("Gz_GongZ"),
                  centralOrNull(&TData::Gz_GongZ));
    TDBGridColumns &columns = DBGrid1->Columns();
    columns.Add(QStringLiteral("F_Name"), QStringLiteral("名称"), 160);
    columns.Add(QStringLiteral("F_Dw"), QStringLiteral("单位"), 60);
    columns.Add(QStringLiteral("F_Dj"), QStringLiteral("单价"), 80);
}

TGz_GZongFrm::TGz_GZongFrm(QWidget *parent)
    : TSingleTableFrm_1(parent)
{
    setUpWageList(*this, "Gz_GZongFrm", "计件工种", QStringLiteral("Gz_GZong"),
                  centralOrNull(&TData::Gz_GZong));
    DBGrid1->Columns().Add(QStringLiteral("F_Name"), QStringLiteral("计件工种"), 200);
}

void ShowSingleTable(TClientDataSet &dataSet, const QString &caption, const QString &tableName,
                     const QString &dateField, QWidget *parent)
{
    TSingleTableFrm form(parent);
    form.SetDataSet(&dataSet);
    form.setWindowTitle(caption);
    form.TableName = tableName;
    form.DateField = dateField;
    form.DoCreate();
    form.ShowModal();
    dataSet.Close();
}
