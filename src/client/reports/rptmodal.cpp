#include "client/reports/rptmodal.h"

#include "client/common/defaultdates.h"
#include "client/common/sqltext.h"
#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/clientdataset.h"
#include "client/data/datasource.h"
#include "client/data/fields.h"
#include "client/documents/comdczl.h"
#include "client/documents/docview.h"
#include "client/forms/filedialogs.h"
#include "client/forms/globalobj.h"
#include "client/forms/gridlayout.h"
#include "client/forms/gridpreview.h"
#include "client/forms/mdiwindows.h"
#include "client/forms/procallbutton.h"
#include "client/forms/sharedroutines.h"
#include "client/output/gridexport.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/gridexportsource.h"
#include "client/widgets/gridprinter.h"
#include "client/widgets/messagebox.h"
#include "client/widgets/uistyle.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString All = QStringLiteral("所有");

bool meaningful(const QString &text)
{
    return !text.trimmed().isEmpty() && text != All && text != QStringLiteral("全部");
}

// The lists of the condition combos, by name.
QString dropDownSQL(const QString &name)
{
    const QString n = name.toUpper();
    const TSystemFunctionRight &rights = FuncRight();
    if (n == QLatin1String("COMBDEPT"))
        return QStringLiteral("select MC from") + rights.DeptFrom + QStringLiteral(" order by MC");
    if (n == QLatin1String("COMBSTOCK"))
        return QStringLiteral("select MC from ") + rights.WarehouseFrom +
               QStringLiteral(" order by MC ");
    // Buyers are employees: the buyer of the purchase reports picks from the same names.
    if (n == QLatin1String("COMBEMP") || n == QLatin1String("COMBYWY"))
        return rights.EmployeeNamesSQL;
    if (n == QLatin1String("COMBITEM"))
        return QStringLiteral("select PM from HP order by PM");
    if (n == QLatin1String("COMBITEMTYPE"))
        return QStringLiteral(" select TypeName from Pub_ItemType order by TypeName ");
    if (n == QLatin1String("COMBVENDOR"))
        return QStringLiteral("select MC from GYS  order by MC");
    if (n == QLatin1String("COMBKH"))
        return QStringLiteral("select MC from KH  order by MC");
    if (n == QLatin1String("COMBVIPCARDID"))
        return QStringLiteral("select VIPCardID from VIP order by VIPCardID");
    if (n == QLatin1String("COMBVIPNAME"))
        return QStringLiteral("select VIPName from VIP order by VIPName");
    if (n == QLatin1String("COMBVENDER"))
        return QStringLiteral(
            "select MC from (select MC from KH  union all select MC from GYS) a order by MC");
    return {};
}

// "0" as any display format draws it: "0", "0.00", "-0.000".
bool isZeroText(const QString &text)
{
    bool isNumber = false;
    const double value = QString(text).remove(QLatin1Char(',')).toDouble(&isNumber);
    return isNumber && value == 0;
}

} // namespace

bool StockLedgerHidesZero(const QString &documentNo, const QString &date, const QString &field)
{
    const QString f = field.toUpper();
    const bool opening =
        f == QLatin1String("SLA") || f == QLatin1String("DJA") || f == QLatin1String("JEA");
    const bool balance =
        f == QLatin1String("SLD") || f == QLatin1String("DJD") || f == QLatin1String("JED");
    if (documentNo.isEmpty())
        return true;
    if (documentNo == QStringLiteral("期初结存"))
        return !opening;
    if (documentNo == QStringLiteral("期末结存") || !date.isEmpty())
        return !balance;
    return false;
}

void TConditionCombo::showPopup()
{
    if (OnDropDown)
        Guarded([this] { OnDropDown(*this); });
    QComboBox::showPopup();
}

TFrmRptModal::TFrmRptModal(QWidget *parent)
    : TFrmAddTab(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    auto button = [this](const char *name, const QString &caption) {
        auto *b = new QToolButton(ToolBar1);
        b->setObjectName(QLatin1String(name));
        b->setText(caption);
        b->setMinimumSize(55, 35);
        ToolBar1->addWidget(b);
        return b;
    };
    btnFind = button("btnFind", QStringLiteral("统计(&F)"));
    btnTemp = button("btnTemp", QStringLiteral("备用"));
    ToolBar1->actions().constLast()->setVisible(false);
    btnExport = button("btnExport", QStringLiteral("操作"));
    btnPrint = button("btnPrint", QStringLiteral("打印(&P)"));
    ToolBar1->addSeparator();
    btnExit = button("btnExit", QStringLiteral("退出(&Q)"));
    PopupOpt = new QMenu(this);
    PopupOpt->setObjectName(QStringLiteral("PopupOpt"));
    Menu_ExportExcel = PopupOpt->addAction(QStringLiteral("导出Excel"));
    Menu_ExportExcel->setObjectName(QStringLiteral("Menu_ExportExcel"));
    Menu_SaveGrid = PopupOpt->addAction(QStringLiteral("保存表格当前列宽"));
    Menu_SaveGrid->setObjectName(QStringLiteral("Menu_SaveGrid"));
    btnExport->setMenu(PopupOpt);
    btnExport->setPopupMode(QToolButton::InstantPopup);
    layout->addWidget(ToolBar1);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(85);
    auto *rows = new QVBoxLayout(Panel1);
    rows->setContentsMargins(8, 6, 8, 6);
    auto *dates = new QHBoxLayout;
    m_conditions = new QHBoxLayout;
    rows->addLayout(dates);
    rows->addLayout(m_conditions);
    Label1 = new QLabel(QStringLiteral("日期："), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    auto picker = [this](const char *name) {
        auto *p = new QDateEdit(Panel1);
        p->setObjectName(QLatin1String(name));
        p->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        p->setCalendarPopup(true);
        p->setMinimumWidth(110);
        return p;
    };
    dtpRqa = picker("dtpRqa");
    Label2 = new QLabel(QStringLiteral("至"), Panel1);
    Label2->setObjectName(QStringLiteral("Label2"));
    dtpRqb = picker("dtpRqb");
    CombSelectedDate = new QComboBox(Panel1);
    CombSelectedDate->setObjectName(QStringLiteral("CombSelectedDate"));
    CombSelectedDate->addItems(QuickDateChoices());
    CombSelectedDate->setPlaceholderText(QStringLiteral("时段"));
    CombSelectedDate->setCurrentIndex(-1);
    for (QWidget *w :
         std::initializer_list<QWidget *>{Label1, dtpRqa, Label2, dtpRqb, CombSelectedDate})
        dates->addWidget(w);
    dates->addStretch(1);
    m_conditions->addStretch(1);
    layout->addWidget(Panel1);

    DBGrid1 = new TDBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    layout->addWidget(DBGrid1, 1);

    cdsQry = new TClientDataSet(QStringLiteral("cdsQry"));
    SQry = new TDataSource(cdsQry);

    connect(btnFind, &QToolButton::clicked, this, [this] { Guarded([this] { OpenDataSet(); }); });
    connect(btnPrint, &QToolButton::clicked, this,
            [this] { Guarded([this] { btnPrintClick(); }); });
    connect(btnExit, &QToolButton::clicked, this, [this] { Close(); });
    connect(Menu_ExportExcel, &QAction::triggered, this,
            [this] { Guarded([this] { Menu_ExportExcelClick(); }); });
    connect(Menu_SaveGrid, &QAction::triggered, this,
            [this] { Guarded([this] { Menu_SaveGridClick(); }); });
    connect(CombSelectedDate, &QComboBox::activated, this,
            [this] { Guarded([this] { CombSelectedDateChange(); }); });
    resize(900, 560);
}

TFrmRptModal::~TFrmRptModal()
{
    DBGrid1->SetDataSource(nullptr);
    delete SQry;
    delete cdsQry;
}

void TFrmRptModal::AddConditionWidget(QWidget *widget, const QString &caption)
{
    // Before the closing stretch, so the controls stay together at the left.
    if (!caption.isEmpty())
        m_conditions->insertWidget(m_conditions->count() - 1, new QLabel(caption, Panel1));
    m_conditions->insertWidget(m_conditions->count() - 1, widget);
}

void TFrmRptModal::AddColumns(std::span<const TReportColumn> columns)
{
    for (const TReportColumn &column : columns)
        DBGrid1->Columns().Add(QLatin1String(column.Field), QString::fromUtf8(column.Title),
                               column.Width);
}

TButtonEdit *TFrmRptModal::AddButtonEdit(const char *name, const QString &caption, int width)
{
    auto *edit = new TButtonEdit(Panel1);
    edit->setObjectName(QLatin1String(name));
    edit->setMinimumWidth(width);
    AddConditionWidget(edit, caption);
    return edit;
}

TConditionCombo *TFrmRptModal::AddCombo(const char *name, const QString &caption, int width)
{
    auto *combo = new TConditionCombo(Panel1);
    combo->setObjectName(QLatin1String(name));
    combo->setEditable(true);
    combo->setMinimumWidth(width);
    combo->setEditText(All);
    AddConditionWidget(combo, caption);
    return combo;
}

void TFrmRptModal::FormCreate()
{
    TFrmAddTab::FormCreate();
    DBGrid1->SetDataSource(SQry);
    // A report is read, never typed into: whole rows are selected and nothing edits a cell.
    DBGrid1->SetOptions((DBGrid1->Options() | dgRowSelect | dgAlwaysShowSelection) & ~dgEditing);
    DBGrid1->SetReadOnly(true);
    DBGrid1->SetFilterRowVisible(true);
    DBGrid1->SetGroupPanelVisible(true);
    DBGrid1->OnDblClick = [this](TDBGrid &) {
        Guarded([this] { DBGrid1DblClick(); });
    };
    DBGrid1->OnGetCellParams = [this](TDBGrid &, TColumn &column, TCellParams &params) {
        GetCellParams(column, params);
    };
    cdsQry->SetRemoteServer(&Data().cn());
    cdsQry->SetProviderName(QStringLiteral("pQryPub"));
    cdsQry->SetPacketRecords(10000);
    if (m_withAttributes)
        AddAttrColumns(DBGrid1, FuncRight().AttrList);
    setUpColumns();
    RestoreGridLayout(*DBGrid1, objectName());

    m_pickers = std::make_unique<TProcAllButtonObj>(this);
    m_pickers->AttachAll();
    for (TConditionCombo *combo : Panel1->findChildren<TConditionCombo *>())
        combo->OnDropDown = [this](TConditionCombo &c) {
            ProcAllDropDown(c);
        };

    const QDate today = QDate::currentDate();
    dtpRqa->setDate(QDate(today.year(), today.month(), 1));
    dtpRqb->setDate(today);
    const TDateRange range = DefaultDateRange(today);
    if (range.From.isValid() && range.To.isValid()) {
        dtpRqa->setDate(range.From);
        dtpRqb->setDate(range.To);
    }
}

void TFrmRptModal::setUpColumns()
{
    TDBGridColumns &columns = DBGrid1->Columns();
    bool footer = false;
    for (int i = 0; i < columns.Count(); ++i) {
        TColumn *column = columns[i];
        column->Title().SetAlignment(taCenter);
        column->Title().SetTitleButton(true);
        const QString field = column->FieldName().toUpper();
        const QString title = column->Title().Caption();
        if (title.contains(QStringLiteral("价")) || title.contains(QStringLiteral("金额")) ||
            field.contains(QLatin1String("PRICE")) || field.contains(QLatin1String("JE"))) {
            column->SetDisplayFormat(QStringLiteral("0.00"));
            if (field.contains(QLatin1String("JE")) && column->Footer().ValueType() == fvtNon) {
                column->Footer().SetValueType(fvtSum);
                column->Footer().SetFieldName(column->FieldName());
                column->Footer().SetDisplayFormat(QStringLiteral("#,0.00"));
                footer = true;
            }
        }
    }
    if (footer) {
        DBGrid1->SetFooterRowCount(1);
        PlaceTotalCaption();
    }
}

void TFrmRptModal::PlaceTotalCaption()
{
    TDBGridColumns &columns = DBGrid1->Columns();
    if (DBGrid1->FooterRowCount() == 0 || columns.Count() == 0)
        return;
    const QString total = QStringLiteral("合计");
    for (int i = 0; i < columns.Count(); ++i)
        if (columns[i]->Footer().ValueType() == fvtStaticText &&
            columns[i]->Footer().Value() == total)
            columns[i]->Footer().SetValueType(fvtNon);
    columns[0]->Footer().SetValueType(fvtStaticText);
    columns[0]->Footer().SetValue(total);
}

void TFrmRptModal::SetBillType(const QString &caption)
{
    if (!caption.isEmpty()) {
        TFrmAddTab::SetBillType(caption);
        setWindowTitle(caption);
    }
    if (DrillDown) {
        DrillDown = false;
        OpenDataSet();
    }
}

void TFrmRptModal::OpenDataSet()
{
    cdsQry->Close();
    {
        TBusyMessage busy;
        cdsQry->SetCommandText(m_sql);
        cdsQry->SetFetchOnDemand(false);
        cdsQry->Open(); // a rejected query raises: the caller shows it, the grid stays empty
        while (!cdsQry->AllRecordsFetched())
            if (cdsQry->GetNextPacket() <= 0)
                break;
    }
    iniColCaption();
}

void TFrmRptModal::iniColCaption()
{
    TDBGridColumns &columns = DBGrid1->Columns();
    for (int i = 0; i < columns.Count(); ++i) {
        TColumn *column = columns[i];
        const QString field = column->FieldName().toUpper();
        if (field.contains(QLatin1String("DJ")) || field.contains(QLatin1String("AMOUNT")) ||
            field.contains(QLatin1String("JE"))) {
            column->SetDisplayFormat(QStringLiteral("#,0.00"));
            if (column->Footer().ValueType() == fvtSum)
                column->Footer().SetDisplayFormat(QStringLiteral("#,0.00"));
        } else if (field.contains(QLatin1String("SL")) || field.contains(QLatin1String("NZK"))) {
            column->SetDisplayFormat(QStringLiteral("#,0.###"));
        }
    }
}

QString TFrmRptModal::GetConditionSQL() const
{
    QString sql;
    for (QObject *child : Panel1->children()) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (!widget)
            continue;
        const QString name = widget->objectName();
        if (auto *edit = qobject_cast<TButtonEdit *>(widget)) {
            const QString text = edit->text();
            if (!meaningful(text))
                continue;
            if (name == QLatin1String("RzButtonEdit_Stock"))
                sql += WarehouseKeyCondition(edit->Key());
            else if (name == QLatin1String("RzButtonEdit_KH") ||
                     name == QLatin1String("RzButtonEdit_GYS"))
                sql += PartnerKeyCondition(edit->Key());
            else if (name == QLatin1String("RzButtonEdit_VIP"))
                sql += MemberKeyCondition(edit->Key());
            else if (name == QLatin1String("RzButtonEdit_ItemNO"))
                sql += GoodsCodeCondition(text);
            else if (name == QLatin1String("RzButtonEdit_Emp"))
                sql += EmployeeNameCondition(text);
            else if (name == QLatin1String("RzButtonEdit_ItemInfor") && edit->Key() == text)
                // Only the condition the attribute dialog built, never text typed over it.
                sql += QStringLiteral(" and ") + text;
        } else if (auto *combo = qobject_cast<QComboBox *>(widget)) {
            const QString text = combo->currentText();
            if (!meaningful(text))
                continue;
            if (name == QLatin1String("CombVendor"))
                sql += PartnerNameCondition(text);
            else if (name == QLatin1String("CombItem"))
                sql += GoodsNameCondition(text);
            else if (name == QLatin1String("CombVIPCardID"))
                sql += MemberCardCondition(text);
            else if (name == QLatin1String("CombVIPName"))
                sql += MemberNameCondition(text);
            else if (name == QLatin1String("CombItemType")) {
                TClientDataSet &query = Data().DataSetByName(QStringLiteral("cdsQryPub"));
                query.Close();
                query.SetCommandText(CategoryCodeSQL(text));
                query.Open();
                QString code = QStringLiteral("0");
                if (!query.IsEmpty())
                    code = QString::number(query.Fields(0)->AsInteger());
                query.Close();
                sql += CategoryCondition(code);
            }
        }
    }
    return sql;
}

QString TFrmRptModal::GetWhereSQL(bool withFromDate) const
{
    return GetConditionSQL() +
           SQLDateRange(SessionInfo().DatabaseKind, withFromDate, dtpRqa->date(), dtpRqb->date());
}

void TFrmRptModal::ProcAllDropDown(TConditionCombo &combo)
{
    if (combo.count() > 0)
        return;
    const QString sql = dropDownSQL(combo.objectName());
    if (sql.isEmpty())
        return;
    const QString typed = combo.currentText();
    TClientDataSet &query = Data().DataSetByName(QStringLiteral("cdsQryPub"));
    query.Close();
    query.SetCommandText(sql);
    query.Open();
    QStringList items{All};
    for (query.First(); !query.Eof(); query.Next())
        items << query.Fields(0)->AsString();
    query.Close();
    combo.addItems(items);
    combo.setEditText(typed);
}

void TFrmRptModal::CombSelectedDateChange()
{
    const auto range = QuickDateRange(CombSelectedDate->currentText(), QDate::currentDate());
    if (!range)
        return;
    dtpRqa->setDate(range->From);
    dtpRqb->setDate(range->To);
}

QString TFrmRptModal::FieldText(const QString &fieldName) const
{
    TField *field = cdsQry->Active() ? cdsQry->FindField(fieldName) : nullptr;
    return field ? field->AsString() : QString();
}

void TFrmRptModal::DBGrid1DblClick()
{
    if (!cdsQry->Active() || cdsQry->IsEmpty() || !windowTitle().contains(QStringLiteral("明细")))
        return;
    if (!cdsQry->FindField(QStringLiteral("LX")))
        return;
    const QString key = cdsQry->FindField(QStringLiteral("ZBID"))
                            ? FieldText(QStringLiteral("ZBID"))
                            : FieldText(QStringLiteral("ID"));
    OpenDocumentByType(key, FieldText(QStringLiteral("LX")));
}

void TFrmRptModal::GetCellParams(TColumn &column, TCellParams &params)
{
    if (params.Row < 0 || !cdsQry->Active() || cdsQry->FieldCount() == 0)
        return;
    if (cdsQry->Fields(0)->AsString() == QStringLiteral("小计"))
        params.FontColor = Qt::blue;
    if (isZeroText(params.Text) && HidesZero(column))
        params.FontColor = params.Background;
}

bool TFrmRptModal::HidesZero(const TColumn &column) const
{
    Q_UNUSED(column);
    return false;
}

TFrmRptModal *TFrmRptModal::ShowDetailReport(const QString &className, const QString &caption,
                                             const QString &condition)
{
    auto *detail = qobject_cast<TFrmRptModal *>(GlobalObj().MDIWindows.ShowForm(className));
    if (!detail)
        return nullptr;
    detail->CopyCondition(*this);
    detail->SetCondition(condition);
    detail->DrillDown = true;
    detail->SetBillType(caption);
    return detail;
}

void TFrmRptModal::CopyCondition(const TFrmRptModal &from)
{
    for (QObject *child : from.Panel1->children()) {
        const QString name = child->objectName();
        if (name.isEmpty())
            continue;
        QObject *target = Panel1->findChild<QObject *>(name, Qt::FindDirectChildrenOnly);
        if (!target)
            continue;
        if (auto *source = qobject_cast<QDateEdit *>(child);
            source && qobject_cast<QDateEdit *>(target))
            static_cast<QDateEdit *>(target)->setDate(source->date());
        else if (auto *edit = qobject_cast<TButtonEdit *>(child);
                 edit && qobject_cast<TButtonEdit *>(target)) {
            static_cast<TButtonEdit *>(target)->SetKey(edit->Key());
            static_cast<TButtonEdit *>(target)->setText(edit->text());
        } else if (auto *combo = qobject_cast<QComboBox *>(child);
                   combo && qobject_cast<QComboBox *>(target) &&
                   name != QLatin1String("CombSelectedDate")) {
            static_cast<QComboBox *>(target)->setEditText(combo->currentText());
        }
    }
}

void TFrmRptModal::SetCondition(const QString &condition)
{
    const qsizetype colon = condition.indexOf(QLatin1Char(':'));
    if (colon <= 0)
        return;
    const QString name = condition.left(colon);
    QString text = condition.mid(colon + 1);
    QString key = text;
    if (const qsizetype bar = text.indexOf(QLatin1Char('|')); bar >= 0) {
        key = text.mid(bar + 1);
        text = text.left(bar);
    }
    QObject *target = Panel1->findChild<QObject *>(name, Qt::FindDirectChildrenOnly);
    if (auto *edit = qobject_cast<TButtonEdit *>(target)) {
        edit->SetKey(key);
        edit->setText(text);
    } else if (auto *combo = qobject_cast<QComboBox *>(target)) {
        combo->setEditText(text);
    }
}

QString TFrmRptModal::ExpandPrintVariables(const QString &text) const
{
    const auto day = [](QDate date) {
        return date.toString(QStringLiteral("yyyy-MM-dd"));
    };
    QString expanded = text;
    expanded.replace(QLatin1String("%[title]"), windowTitle());
    expanded.replace(
        QLatin1String("%[caption]"),
        QStringLiteral("日期: %1 至 %2").arg(day(dtpRqa->date()), day(dtpRqb->date())));
    expanded.replace(QLatin1String("%[user_name]"), FuncRight().UserName);
    expanded.replace(QLatin1String("%[print_date]"), day(QDate::currentDate()));
    return expanded;
}

TGridPrintOptions TFrmRptModal::PrintOptions() const
{
    TGridPrintOptions options;
    options.Title = ExpandPrintVariables(PrintTitle);
    // In points: the page is painted at the printer's resolution, not the screen's.
    options.TitleFont = SongFont(14, true);
    options.TitleFont.setPointSize(14);
    options.SubTitle = ExpandPrintVariables(PrintSubTitle);
    options.PageFooter = ExpandPrintVariables(PrintFooter);
    options.FitToPageWidth = true;
    return options;
}

void TFrmRptModal::btnPrintClick()
{
    SetPrintParam();
    PreviewGridPrint(*DBGrid1, PrintOptions(), this);
}

void TFrmRptModal::Menu_ExportExcelClick()
{
    if (!cdsQry->Active() || cdsQry->IsEmpty()) {
        MessageBox(QStringLiteral("没有数据,不能导出！"), QStringLiteral("提示"),
                   TMsgIcon::Information);
        return;
    }
    TFileDialogRequest request;
    request.FileName = windowTitle();
    request.Filters = {
        QStringLiteral("Microsoft Excel (*.xls)"), QStringLiteral("Comma separated values (*.csv)"),
        QStringLiteral("HTML file (*.htm)"), QStringLiteral("Rich Text Format (*.rtf)"),
        QStringLiteral("Text files (*.txt)")};
    const auto answer = PromptForFile(request);
    if (!answer)
        return;
    static const char *const extensions[] = {"xls", "csv", "htm", "rtf", "txt"};
    const int index = qBound(1, answer->FilterIndex, 5);
    const QString extension = QLatin1String(extensions[index - 1]);
    QString fileName = answer->FileName;
    if (fileName.right(3).toUpper() != extension.toUpper())
        fileName += QLatin1Char('.') + extension;
    const TGridExportSource source(*DBGrid1);
    QString error;
    if (!output::exportToFile(source, fileName, output::ExportFormat(index), &error))
        MessageBox(QStringLiteral("导出失败：") + error, QStringLiteral("提示"), TMsgIcon::Error);
}

void TFrmRptModal::Menu_SaveGridClick()
{
    SaveGridLayout(*DBGrid1, objectName());
}

void TFrmRptModal::FormClose()
{
    TFrmAddTab::FormClose();
    GlobalObj().MDIWindows.AddRecentReport(windowTitle());
}
