// The document form: components, actions, the state machine and the document operations.
// The handlers of the lines (goods entry, prices, amounts) are in comdjlines.cpp.
#include "client/documents/comdj.h"

#include "client/common/sqltext.h"
#include "client/core/paths.h"
#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/formats.h"
#include "client/data/serveraccess.h"
#include "client/documents/documentkind.h"
#include "client/documents/lineprices.h"
#include "client/forms/calculator.h"
#include "client/forms/calendar.h"
#include "client/forms/filedialogs.h"
#include "client/forms/globalobj.h"
#include "client/forms/gridpreview.h"
#include "client/forms/gridworkbook.h"
#include "client/forms/sharedroutines.h"
#include "client/masterdata/columnsedit.h"
#include "client/masterdata/goodssql.h"
#include "client/output/containeriterator.h"
#include "client/print/reportdesigner.h"
#include "client/security/systemfunctionright.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dbnavigator.h"
#include "client/widgets/gridprinter.h"
#include "client/widgets/lookupbox.h"
#include "client/widgets/uistyle.h"

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString SaveCaption = QStringLiteral("单据保存");
const QString DeleteCaption = QStringLiteral("资料删除");
const int BlankLineCount = 15;

QString normalisedList(const QString &list)
{
    QString result = list.toUpper();
    if (!result.isEmpty() && !result.endsWith(QLatin1Char(';')))
        result += QLatin1Char(';');
    return result;
}

bool isEditState(const TClientDataSet *dataSet)
{
    return dataSet && (dataSet->State() == dsEdit || dataSet->State() == dsInsert);
}

} // namespace

TfrmComDj::TfrmComDj(QWidget *parent)
    : TFrmAddTab(parent)
{
    setObjectName(QStringLiteral("frmComDj"));
    setWindowTitle(QStringLiteral("单据"));
    buildActions();
    buildLayout();
    buildPopupMenus();
}

TfrmComDj::~TfrmComDj()
{
    returnDataSets();
}

// --- Construction --------------------------------------------------------------------------

void TfrmComDj::buildActions()
{
    struct ActionRow
    {
        TAction *TfrmComDj::*member;
        const char *name;
        const char *caption;
        QKeySequence shortcut;
        void (TfrmComDj::*handler)();
    };
    const auto ctrl = [](int key) {
        return QKeySequence(Qt::CTRL | Qt::Key(key));
    };
    const ActionRow rows[] = {
        {&TfrmComDj::aPrior, "aPrior", "前单(&B)", ctrl(Qt::Key_B), &TfrmComDj::aPriorExecute},
        {&TfrmComDj::aNext, "aNext", "后单(&N)", ctrl(Qt::Key_N), &TfrmComDj::aNextExecute},
        {&TfrmComDj::aFirst, "aFirst", "第一张单(&F)", ctrl(Qt::Key_Home),
         &TfrmComDj::aFirstExecute},
        {&TfrmComDj::aLast, "aLast", "最后一张单(&L)", ctrl(Qt::Key_End), &TfrmComDj::aLastExecute},
        {&TfrmComDj::aNew, "aNew", "新增(&A)", ctrl(Qt::Key_A), &TfrmComDj::aNewExecute},
        {&TfrmComDj::aModify, "aModify", "修改", {}, &TfrmComDj::aModifyExecute},
        {&TfrmComDj::aSave, "aSave", "保存(&S)", ctrl(Qt::Key_S), &TfrmComDj::aSaveExecute},
        {&TfrmComDj::aCancel, "aCancel", "取消(&C)", {}, &TfrmComDj::aCancelExecute},
        {&TfrmComDj::aDel, "aDel", "删单(&D)", ctrl(Qt::Key_D), &TfrmComDj::aDelExecute},
        {&TfrmComDj::aInsert, "aInsert", "增行(&I)", ctrl(Qt::Key_I), &TfrmComDj::aInsertExecute},
        {&TfrmComDj::aDelete, "aDelete", "删行(&J)", ctrl(Qt::Key_J), &TfrmComDj::aDeleteExecute},
        {&TfrmComDj::aAudit, "aAudit", "审核(&O)", ctrl(Qt::Key_O), &TfrmComDj::aAuditExecute},
        {&TfrmComDj::aUnAudit, "aUnAudit", "反审(&U)", ctrl(Qt::Key_U),
         &TfrmComDj::aUnAuditExecute},
        {&TfrmComDj::aRefer, "aRefer", "引入", {}, &TfrmComDj::aReferExecute},
        {&TfrmComDj::aPrint, "aPrint", "打印(&P)", ctrl(Qt::Key_P), &TfrmComDj::aPrintExecute},
        {&TfrmComDj::aPreview, "aPreview", "退出", {}, &TfrmComDj::aPreviewExecute},
        {&TfrmComDj::aExit, "aExit", "退出(&Q)", ctrl(Qt::Key_Q), &TfrmComDj::aExitExecute},
        {&TfrmComDj::aFormat, "aFormat", "格式(&G)", ctrl(Qt::Key_G), &TfrmComDj::aFormatExecute},
        {&TfrmComDj::aCalendar, "aCalendar", "万年历(&C)", {}, &TfrmComDj::aCalendarExecute},
        {&TfrmComDj::aCalculator, "aCalculator", "计算器(&A)", QKeySequence(Qt::Key_F11),
         &TfrmComDj::aCalculatorExecute},
        {&TfrmComDj::aHelp, "aHelp", "帮助", {}, nullptr},
    };
    for (const ActionRow &row : rows) {
        const auto handler = row.handler;
        this->*row.member = AddFormAction(this, row.name, QString::fromUtf8(row.caption),
                                          row.shortcut, [this, handler] {
                                              if (handler)
                                                  (this->*handler)();
                                          });
    }
    // Ctrl+D deletes the document from the tool bar and the line from the grid's menu; the
    // grid's own shortcut wins while the grid has the focus.
    aDel->setShortcutContext(Qt::WidgetWithChildrenShortcut);
}

QToolButton *TfrmComDj::addToolButton(const char *name, QAction *action, const QString &caption)
{
    QToolButton *button = NewToolButton(ToolBar1, QLatin1String(name));
    if (action)
        LinkButton(button, action, caption);
    ToolBar1->layout()->addWidget(button);
    return button;
}

void TfrmComDj::buildLayout()
{
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    ControlBar1 = new TPanel(this);
    ControlBar1->setObjectName(QStringLiteral("ControlBar1"));
    auto *barLayout = new QHBoxLayout(ControlBar1);
    barLayout->setContentsMargins(2, 2, 2, 2);
    ToolBar1 = new TPanel(ControlBar1);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    auto *tools = new QHBoxLayout(ToolBar1);
    tools->setContentsMargins(0, 0, 0, 0);
    tools->setSpacing(2);
    barLayout->addWidget(ToolBar1, 1);
    root->addWidget(ControlBar1);

    const auto separator = [this] {
        auto *line = new QFrame(ToolBar1);
        line->setFrameShape(QFrame::VLine);
        line->setFrameShadow(QFrame::Sunken);
        ToolBar1->layout()->addWidget(line);
    };
    btnPrior = addToolButton("btnPrior", aPrior);
    btnNext = addToolButton("btnNext", aNext);
    separator();
    btnNew = addToolButton("btnNew", aNew);
    btnSave = addToolButton("btnSave", aSave);
    btnCancel = addToolButton("btnCancel", aCancel);
    btnDel = addToolButton("btnDel", aDel);
    separator();
    btnAudit = addToolButton("btnAudit", aAudit);
    btnUnAudit = addToolButton("btnUnAudit", aUnAudit);
    separator();
    btnFormat = addToolButton("btnFormat", aFormat);
    btnPrint = addToolButton("btnPrint", aPrint);
    btnRefer = addToolButton("btnRefer", nullptr);
    btnRefer->setText(QStringLiteral("其他"));
    separator();
    btnPreview = addToolButton("btnPreview", aExit);
    tools->addStretch(1);

    // The navigator moves the header; its tool bar stays hidden, the actions drive it.
    DBNavigator1 = new TDBNavigator(this);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    DBNavigator1->SetVisibleButtons({nbFirst, nbPrior, nbNext, nbLast});
    DBNavigator1->SetHints({QStringLiteral("第一张单"), QStringLiteral("上一张单"),
                            QStringLiteral("下一张单"), QStringLiteral("最后一张单")});
    DBNavigator1->hide();

    pTitle = new TPanel(this);
    pTitle->setObjectName(QStringLiteral("pTitle"));
    auto *title = new QVBoxLayout(pTitle);
    title->setContentsMargins(8, 4, 8, 2);
    Label1 = new QLabel(pTitle);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setFont(SongFont(22, true));
    title->addWidget(Label1);
    auto *dateRow = new QHBoxLayout;
    auto *dateLabel = new QLabel(QStringLiteral("日期"), pTitle);
    BillDate = new TDBDateEdit(pTitle);
    BillDate->setObjectName(QStringLiteral("BillDate"));
    BillDate->SetDataField(QStringLiteral("RQ"));
    BillDate->setFixedWidth(110);
    auto *numberLabel = new QLabel(QStringLiteral("单号"), pTitle);
    DBEditBillNo = new TDBEdit(pTitle);
    DBEditBillNo->setObjectName(QStringLiteral("DBEditBillNo"));
    DBEditBillNo->SetDataField(QStringLiteral("DJBH"));
    DBEditBillNo->SetReadOnly(true);
    DBEditBillNo->setFixedWidth(130);
    dateRow->addWidget(dateLabel);
    dateRow->addWidget(BillDate);
    dateRow->addStretch(1);
    dateRow->addWidget(numberLabel);
    dateRow->addWidget(DBEditBillNo);
    title->addLayout(dateRow);
    root->addWidget(pTitle);

    Panel1 = new TPanel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto *header = new QHBoxLayout(Panel1);
    header->setContentsMargins(4, 2, 4, 2);
    Panel3 = new TPanel(Panel1);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    header->addWidget(Panel3, 1);
    pStatus = new QLabel(QStringLiteral("未审核"), Panel1);
    pStatus->setObjectName(QStringLiteral("pStatus"));
    pStatus->setFont(SongFont(16, true));
    pStatus->setStyleSheet(QStringLiteral("color: red;"));
    pStatus->setAlignment(Qt::AlignRight | Qt::AlignTop);
    header->addWidget(pStatus, 0, Qt::AlignTop);
    root->addWidget(Panel1);

    DBGrid1 = new TDBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->SetOptions(dgEditing | dgTitles | dgIndicator | dgColumnResize | dgColLines |
                        dgRowLines | dgTabs | dgAlwaysShowSelection);
    DBGrid1->SetFooterRowCount(1);
    DBGrid1->SetUseMultiTitle(true);
    root->addWidget(DBGrid1, 1);

    // The look-up box floats over the goods-code cell while a code is typed.
    wwDBLKProductCode = new TDBLookupBox(this);
    wwDBLKProductCode->setObjectName(QStringLiteral("wwDBLKProductCode"));
    wwDBLKProductCode->hide();

    PanelBottom = new TPanel(this);
    PanelBottom->setObjectName(QStringLiteral("PanelBottom"));
    auto *bottom = new QHBoxLayout(PanelBottom);
    bottom->setContentsMargins(4, 2, 4, 2);
    editBarcode = new QLineEdit(PanelBottom);
    editBarcode->setObjectName(QStringLiteral("editBarcode"));
    editBarcode->setProperty("vzWantsReturn", true);
    editBarcode->setFixedWidth(200);
    editNum = new QLineEdit(QStringLiteral("1"), PanelBottom);
    editNum->setObjectName(QStringLiteral("editNum"));
    editNum->setFixedWidth(80);
    bottom->addWidget(new QLabel(QStringLiteral("条形码："), PanelBottom));
    bottom->addWidget(editBarcode);
    bottom->addSpacing(12);
    bottom->addWidget(new QLabel(QStringLiteral("数量："), PanelBottom));
    bottom->addWidget(editNum);
    bottom->addStretch(1);
    root->addWidget(PanelBottom);
    connect(editBarcode, &QLineEdit::returnPressed, this,
            [this] { Guarded([this] { barcodeEntered(); }); });
}

void TfrmComDj::buildPopupMenus()
{
    const auto item = [this](QMenu *menu, const char *name, const QString &caption,
                             std::function<void()> handler) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, [handler] { Guarded(handler); });
        return action;
    };
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    pmnInsert = item(PopupMenu1, "pmnInsert", QStringLiteral("增加明细(&A)"),
                     [this] { aInsert->Execute(); });
    pmnInsert1 = item(PopupMenu1, "pmnInsert1", QStringLiteral("插入明细(&Z)"),
                      [this] { insertLineBefore(); });
    pmnInsert1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    pmnDelete = item(PopupMenu1, "pmnDelete", QStringLiteral("删除明细(&E)"),
                     [this] { aDelete->Execute(); });
    pmnDelete->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    PopupMenu1->addSeparator();
    pmnSave =
        item(PopupMenu1, "pmnSave", QStringLiteral("保存到本地"), [this] { saveLocalLines(); });
    pmnLoad = item(PopupMenu1, "pmnLoad", QStringLiteral("从本地加载数据"),
                   [this] { loadLocalLines(LocalLinesFile()); });
    // The grid's shortcuts work while the grid has the focus.
    for (QAction *action : {pmnInsert1, pmnDelete}) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        DBGrid1->addAction(action);
    }
    DBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBGrid1, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        const bool editable = !DBGrid1->ReadOnly();
        pmnInsert->setEnabled(editable && aInsert->isEnabled());
        pmnInsert1->setEnabled(editable && aInsert->isEnabled());
        pmnDelete->setEnabled(editable && aDelete->isEnabled());
        PopupMenu1->popup(DBGrid1->mapToGlobal(pos));
    });

    PopupOpt = new QMenu(this);
    PopupOpt->setObjectName(QStringLiteral("PopupOpt"));
    Menu_CopyBill =
        item(PopupOpt, "Menu_CopyBill", QStringLiteral("复制单据"), [this] { copyBill(); });
    Menu_ExportExcel = item(PopupOpt, "Menu_ExportExcel", QStringLiteral("导出Excel"),
                            [this] { exportToExcel(); });
    Menu_cds = item(PopupOpt, "Menu_cds", QStringLiteral("导入cds文件"),
                    [this] { chooseLocalLinesFile(); });
    Menu_1 = PopupOpt->addSeparator();
    Menu_1->setObjectName(QStringLiteral("Menu_1"));
    Menu_Ref =
        item(PopupOpt, "Menu_Ref", QStringLiteral("选择单据"), [this] { aRefer->Execute(); });
    connect(PopupOpt, &QMenu::aboutToShow, this,
            [this] { Menu_cds->setEnabled(pStatus->text() == QStringLiteral("草稿")); });
    btnRefer->setMenu(PopupOpt);
    btnRefer->setPopupMode(QToolButton::InstantPopup);
}

const TDocumentKind &TfrmComDj::Kind() const
{
    return *m_kind;
}

QString TfrmComDj::GetBillPrefix() const
{
    return BillPrefixOf(strZbMainTable);
}

// --- Create, show, close -------------------------------------------------------------------

void TfrmComDj::FormCreate()
{
    TFrmAddTab::FormCreate();
    THourGlass hourGlass;
    // The window manager renames its windows after the class it opened; the type stays.
    m_formName = objectName();
    m_kind = &DocumentKindOf(m_formName);
    if (windowIcon().isNull())
        setWindowIcon(ProductIcon());
    configureColumns();
    AddAttrColumns(DBGrid1, FuncRight().AttrList);
    for (const auto &attribute : FuncRight().AttrList)
        m_attributeColumns << attribute.second.FieldName;
    for (QWidget *control : findChildren<QWidget *>())
        if (dynamic_cast<TFieldControl *>(control))
            control->setAttribute(Qt::WA_InputMethodEnabled, false);
    DBEditBillNo->SetReadOnly(true);
    FDefaultDiscount = FuncRight().DefaultDiscount != 0 ? FuncRight().DefaultDiscount : 1.0;
}

void TfrmComDj::configureColumns()
{
    TDBGridColumns &columns = DBGrid1->Columns();
    columns.BeginUpdate();
    for (int i = 0; i < columns.Count(); ++i) {
        TColumn *column = columns[i];
        const QString field = column->FieldName().toUpper();
        if (field == QLatin1String("HH") || field == QLatin1String("APM") ||
            field == QLatin1String("AGG") || field == QLatin1String("ADW"))
            column->SetReadOnly(true);
        if (field == QLatin1String("ABH")) {
            column->SetButtonStyle(cbsEllipsis);
            column->SetAlwaysShowEditButton(true);
        }
        if (field == QLatin1String("DJ"))
            column->SetButtonStyle(cbsEllipsis);
        column->Title().SetAlignment(taCenter);
        if (field.contains(QLatin1String("JE")) || field == QLatin1String("SL"))
            column->Footer().SetSum(QStringLiteral("#,0.00"));
        if (field.contains(QLatin1String("JE")))
            column->SetLedgerCells(true);
    }
    if (columns.Count() > 0)
        columns[0]->Footer().SetStaticText(QStringLiteral("合计"));
    columns.EndUpdate();

    DBGrid1->OnEditButtonClick = [this](TDBGrid &) {
        Guarded([this] { DBGrid1EditButtonClick(); });
    };
    DBGrid1->OnKeyPress = [this](TDBGrid &, QChar &Key) {
        gridKeyPress(Key);
    };
    DBGrid1->OnColExit = [this](TDBGrid &) {
        Guarded([this] { gridColExit(); });
    };
}

void TfrmComDj::FormShow()
{
    TFrmAddTab::FormShow();
    // Shown again (restored in the workspace): the document is set up already.
    if (m_borrowed)
        return;
    for (TPanel *panel : {pTitle, Panel1, Panel3, PanelBottom})
        panel->SetColor(Qt::white);

    if (const QScreen *screen = this->screen()) {
        const QSize area = screen->availableSize();
        resize(area.width() * 4 / 5, area.height() * 4 / 5);
    }

    FProductWhere = QStringLiteral(" where 1=1 ");
    if (strMxDetailTables.isEmpty())
        ShowMessage(QStringLiteral("请设置明细表(strMxDetailTables)的表名称！"));
    if (FObjectName.isEmpty())
        ShowMessage(QStringLiteral("请设置FObjectName的名称！"));

    LoadRights();

    m_zbSource = DBNavigator1->DataSource();
    m_mxSource = DBGrid1->DataSource();
    if (!m_mxSource || !m_mxSource->DataSet() || !m_zbSource || !m_zbSource->DataSet()) {
        ShowMessage(QStringLiteral("DBGrid1没有设置数据集！"));
        Abort();
    }
    m_zb = m_zbSource->DataSet();
    m_mx = m_mxSource->DataSet();
    borrowDataSets();
    DBNavigator1->setEnabled(!FSingleBill);

    FOldLineValues.clear();

    strLinkFields = normalisedList(strLinkFields);
    strZbMustFields = normalisedList(strZbMustFields);
    strZbHelpFields = normalisedList(strZbHelpFields);
    strMxHelpFields = normalisedList(strMxHelpFields);
    if (strMxMustFields.isEmpty() && DBGrid1->Columns().Count() > 0)
        strMxMustFields = DBGrid1->Columns()[0]->FieldName();
    strMxMustFields = normalisedList(strMxMustFields);

    Label1->setText(windowTitle());
    styleControls();

    const bool viewOnly = FOpenMode == QLatin1String("V");
    const bool opensNew = FOpenMode == QLatin1String("A") || FOpenMode == QLatin1String("I");
    SetCanSave(false);
    m_zb->SetReadOnly(viewOnly);
    m_mx->SetReadOnly(viewOnly);
    if (opensNew)
        aNew->Execute();
    if (viewOnly) {
        // Auditing changes the document as much as saving does: a view offers neither.
        for (TAction *action :
             {aSave, aCancel, aNew, aDel, aInsert, aDelete, aModify, aAudit, aUnAudit})
            action->SetTag(1);
    }
    DBGrid1->SetReadOnly(viewOnly);

    IniRecord();
    if (viewOnly)
        DBGrid1->SetOptions(DBGrid1->Options() | dgRowSelect);
    if (m_zb->State() == dsInsert) {
        // A type without blank lines takes its lines from elsewhere, not from typing.
        if (Kind().HasBlankLines) {
            m_mx->Append();
            m_mx->Post();
        }
        enterEditingState();
    }

    openGoodsList();

    SetButton();
    SetAuditButton();
    Menu_Ref->setVisible(Kind().TakesSourceDocument);
    Menu_1->setVisible(Kind().TakesSourceDocument);
    PanelBottom->setVisible(Kind().HasBarcodeBar);

    BillDate->SetDataSource(m_zbSource);
    DBEditBillNo->SetDataSource(m_zbSource);

    if (viewOnly) {
        ToolBar1->setEnabled(true);
        for (QToolButton *button : {btnNew, btnUnAudit, btnRefer})
            button->setEnabled(false);
    }

    applyTableColumns();
    loadPrintModal();

    if (opensNew)
        AddBlankLines();
    if (pTitle->isVisible() && BillDate->isEnabled())
        BillDate->setFocus();
    applyActions();
}

void TfrmComDj::LoadRights()
{
    TSystemFunctionRight &rights = FuncRight();
    TTmpDataSet query;
    rights.GetFormRights(rights.GroupIDs, rights.UserCode, *query, FObjectName);
    m_rights.CanInsert = rights.CanInsert;
    m_rights.CanDelete = rights.CanDelete;
    m_rights.CanAudit = rights.CanAudit;
    m_rights.CanUnAudit = rights.CanUnAudit;
    m_rights.CanPrint = rights.CanPrint;
    m_auditLevels = rights.AuditLevels;
    m_isAdministrator = rights.IsAdministrator();
}

void TfrmComDj::borrowDataSets()
{
    m_savedZbEvents = m_zb->Events();
    m_savedMxEvents = m_mx->Events();
    m_savedZbStateChange = m_zbSource->OnStateChange;
    m_savedZbDataChange = m_zbSource->OnDataChange;
    m_savedMxStateChange = m_mxSource->OnStateChange;
    m_savedMxDataChange = m_mxSource->OnDataChange;
    m_borrowed = true;

    // The lines' calculated amounts belong to the dataset for good: fields can only be added
    // while it is closed, and the other users of the dataset ignore them.
    QStringList calculated{QStringLiteral("cJE")};
    if (Kind().SalesMargins)
        calculated << QStringLiteral("cCBJE") << QStringLiteral("cLRJE");
    for (const QString &name : calculated) {
        // Present already: added by an earlier form, or a column the lines carry themselves.
        if (m_mx->FindField(name))
            continue;
        if (m_mx->Active()) {
            if (m_mx->ChangeCount() > 0)
                continue;
            m_mx->Close();
        }
        // The amount is typed as well as calculated (a price follows from it), so it is
        // kept with the record; the margins are only shown.
        const TFieldKind kind = name == QLatin1String("cJE") ? fkInternalCalc : fkCalculated;
        TField *added = m_mx->AddField(ftFloat, name, 0, kind);
        added->SetDisplayFormat(QStringLiteral("#,0.00"));
    }

    m_zbSource->OnStateChange = [this](TDataSource &s) {
        sZbStateChange(s);
    };
    m_mxSource->OnStateChange = [this](TDataSource &s) {
        sZbStateChange(s);
    };
    m_zbSource->OnDataChange = [this](TDataSource &s, TField *f) {
        sZbDataChange(s, f);
    };
    m_mxSource->OnDataChange = [this](TDataSource &s, TField *f) {
        sMxDataChange(s, f);
    };

    TClientDataSet &zb = *m_zb;
    zb.OnNewRecord = [this](TClientDataSet &d) {
        ZbOnNewRecord(d);
    };
    zb.BeforeEdit = [this](TClientDataSet &d) {
        ZbBeforeEdit(d);
    };
    zb.BeforePost = [this](TClientDataSet &d) {
        ZbBeforePost(d);
    };
    zb.AfterPost = [this](TClientDataSet &d) {
        ZbAfterPost(d);
    };
    zb.BeforeScroll = [this](TClientDataSet &d) {
        ZbBeforeScroll(d);
    };
    zb.AfterScroll = [this](TClientDataSet &d) {
        ZbAfterScroll(d);
    };
    TClientDataSet &mx = *m_mx;
    mx.BeforeInsert = [this](TClientDataSet &d) {
        MxBeforeInsert(d);
    };
    mx.OnNewRecord = [this](TClientDataSet &d) {
        MxOnNewRecord(d);
    };
    mx.AfterInsert = [this](TClientDataSet &d) {
        MxAfterInsert(d);
    };
    mx.BeforeEdit = [this](TClientDataSet &d) {
        MxBeforeEdit(d);
    };
    mx.BeforePost = [this](TClientDataSet &d) {
        MxBeforePost(d);
    };
    mx.AfterPost = [this](TClientDataSet &d) {
        MxAfterPost(d);
    };
    mx.AfterEdit = [this](TClientDataSet &d) {
        MxAfterEdit(d);
    };
    mx.BeforeDelete = [this](TClientDataSet &d) {
        MxBeforeDelete(d);
    };
    mx.AfterDelete = [this](TClientDataSet &d) {
        MxAfterDelete(d);
    };
    mx.BeforeCancel = [this](TClientDataSet &d) {
        MxBeforeCancel(d);
    };
    mx.AfterCancel = [this](TClientDataSet &d) {
        MxAfterCancel(d);
    };
    mx.OnCalcFields = [this](TClientDataSet &d) {
        MxCalcFields(d);
    };
}

void TfrmComDj::returnDataSets()
{
    if (!m_borrowed)
        return;
    m_borrowed = false;
    m_zbSource->OnStateChange = m_savedZbStateChange;
    m_zbSource->OnDataChange = m_savedZbDataChange;
    m_mxSource->OnStateChange = m_savedMxStateChange;
    m_mxSource->OnDataChange = m_savedMxDataChange;
    m_zb->Events() = m_savedZbEvents;
    m_mx->Events() = m_savedMxEvents;
    m_zb->SetReadOnly(false);
    m_mx->SetReadOnly(false);
    if (m_mx->Active()) {
        // The line fields outlive the form; their handler must not.
        for (int i = 0; i < m_mx->FieldCount(); ++i)
            m_mx->Fields(i)->OnSetText = nullptr;
    }
}

void TfrmComDj::styleControls()
{
    const bool viewOnly = FOpenMode == QLatin1String("V");
    for (QWidget *control : Panel3->findChildren<QWidget *>()) {
        auto *fieldControl = dynamic_cast<TFieldControl *>(control);
        if (!fieldControl)
            continue;
        const QString field = fieldControl->DataField().toUpper() + QLatin1Char(';');
        if (!viewOnly && strZbHelpFields.contains(field) && !fieldControl->OnExit)
            fieldControl->OnExit = [this](QWidget &sender) {
                dbEditExit(&sender);
            };
        auto *buttonEdit = qobject_cast<TDBButtonEdit *>(control);
        if (!buttonEdit)
            continue;
        const QString name = control->objectName();
        if (name.startsWith(QLatin1String("CombVendor")) ||
            name.startsWith(QLatin1String("CombCust")) ||
            name.startsWith(QLatin1String("CombEmp")) || name.startsWith(QLatin1String("CombHP"))) {
            // The value comes from the picker only.
            buttonEdit->SetReadOnly(true);
            buttonEdit->OnButtonClick = [this, control](TButtonEdit &) {
                Guarded([this, control] { comboPicker(control); });
            };
        }
    }
}

void TfrmComDj::openGoodsList()
{
    // The list is shared by every open document, so it stays open while any might use it;
    // each opening reads it again so that goods added meanwhile can be typed.
    TClientDataSet &goods = Data().QProducts();
    const QString sql = lines::GoodsListSql(FuncRight().ItemTypeFrom, FProductWhere,
                                            goods::BoolLiteral(SessionInfo().DatabaseKind, false));
    goods.SetFiltered(false);
    if (goods.Active() && goods.CommandText() == sql) {
        goods.Refresh();
    } else {
        goods.Close();
        goods.SetCommandText(sql);
        goods.SetPacketRecords(-1);
        goods.Open();
    }
    m_lookupSource = std::make_unique<TDataSource>(&goods);
    wwDBLKProductCode->SetListSource(m_lookupSource.get());
    wwDBLKProductCode->SetListColumns({{QStringLiteral("BH"), QStringLiteral("货品编号"), 10},
                                       {QStringLiteral("PM"), QStringLiteral("货品名称"), 20},
                                       {QStringLiteral("GG"), QStringLiteral("货品规格"), 15},
                                       {QStringLiteral("ZJM"), QStringLiteral("助记码"), 10}});
    wwDBLKProductCode->OnKeyPress = [this](TDBLookupBox &, QChar &Key) {
        lookupKeyPress(Key);
    };
    wwDBLKProductCode->OnKeyUp = [this](TDBLookupBox &, int Key) {
        Guarded([this, Key] { lookupKeyUp(Key); });
    };
    wwDBLKProductCode->OnExit = [this](TDBLookupBox &) {
        hideLookup();
    };
    wwDBLKProductCode->OnListClick = [this](TDBLookupBox &) {
        Guarded([this] { takeLookupRow(); });
    };
}

void TfrmComDj::applyTableColumns()
{
    FVisibleColumns = ApplyTableColumns(*DBGrid1, FObjectName);
}

void TfrmComDj::loadPrintModal()
{
    TTmpDataSet row;
    row->SetCommandText(
        QStringLiteral("select ObjectName, FileName, MasterBegin, DetailRowBegin, IsParam from "
                       "Pub_PrintModal where ObjectName=") +
        QuotedStr(windowTitle()));
    row->Open();
    m_printModal = TDocPrintModal();
    if (row->IsEmpty())
        return;
    m_printModal.Found = true;
    m_printModal.ObjectName = row->Fields(0)->AsString();
    m_printModal.FileName = row->Fields(1)->AsString();
    m_printModal.MasterBegin = row->Fields(2)->AsInteger();
    m_printModal.DetailRowBegin = row->Fields(3)->AsInteger();
    m_printModal.IsParam = row->Fields(4)->AsBoolean();
}

bool TfrmComDj::FormCloseQuery()
{
    if (!TFrmAddTab::FormCloseQuery())
        return false;
    if (FModified)
        return SaveQuery();
    return true;
}

void TfrmComDj::FormClose()
{
    hideLookup();
    returnDataSets();
    // A document closed unsaved goes with its form: the next form finds the header as stored.
    if (m_zb && m_zb->Active() && isEditState(m_zb))
        m_zb->Cancel();
    if (m_mx && m_mx->Active())
        m_mx->Close();
    TFrmAddTab::FormClose();
}

// --- States --------------------------------------------------------------------------------

TDocPosition TfrmComDj::position() const
{
    TDocPosition pos;
    if (!m_zb || !m_zb->Active())
        return pos;
    pos.Empty = m_zb->IsEmpty() && m_zb->State() != dsInsert;
    const int row = m_zb->CurrentRow();
    pos.AtFirst = row <= 0;
    pos.AtLast = row < 0 || row >= m_zb->RowCount() - 1;
    pos.Editing = isEditState(m_zb);
    return pos;
}

void TfrmComDj::applyActions()
{
    const auto set = [](TAction *action, bool enabled) {
        action->setEnabled(enabled && action->Tag() == 0);
    };
    set(aSave, m_actions.Save);
    set(aCancel, m_actions.Cancel);
    set(aNew, m_actions.New);
    set(aDel, m_actions.Del);
    set(aModify, m_actions.Modify);
    set(aAudit, m_actions.Audit);
    set(aUnAudit, m_actions.UnAudit);
    set(aPreview, m_actions.Preview);
    set(aPrint, m_actions.Print);
    set(aInsert, m_actions.Insert);
    set(aDelete, m_actions.Delete);
    set(aFirst, m_actions.First);
    set(aPrior, m_actions.Prior);
    set(aNext, m_actions.Next);
    Menu_Ref->setEnabled(m_actions.MenuRef);
    aFormat->setEnabled(true);
    const bool viewOnly = FOpenMode == QLatin1String("V");
    SetModify(Panel3, m_actions.HeaderEditable && !viewOnly);
    // The lines of an audited document change only after aModify opened it.
    DBGrid1->SetReadOnly(viewOnly || (!m_actions.HeaderEditable && ZbInteger("uFlag") > 0));
}

void TfrmComDj::SetCanSave(bool b)
{
    FModified = b;
    // Leaving the editing that aModify started gives the exit back.
    if (!b)
        aExit->setEnabled(true);
    TDocStateRules(m_rights, FSingleBill).SetCanSave(m_actions, b, position());
    applyActions();
}

void TfrmComDj::SetButton()
{
    TDocStateRules(m_rights, FSingleBill).SetButton(m_actions, position());
    applyActions();
}

void TfrmComDj::SetAuditButton()
{
    const int flag = int(ZbInteger("uFlag"));
    const int levels = qMax(1, FuncRight().AuditNum);
    const int next = flag < levels ? flag + 1 : levels;
    m_canAuditNext = m_isAdministrator || m_auditLevels.contains(QString::number(next));
    TDocStateRules(m_rights, FSingleBill)
        .SetAuditButton(m_actions, flag, levels, m_canAuditNext, position());
    aAudit->setText(AuditCaption(flag, levels));
    pStatus->setText(AuditStatusText(flag, levels));
    applyActions();
}

void TfrmComDj::SetModify(QWidget *container, bool editable)
{
    for (QObject *child : container->children()) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (!widget)
            continue;
        if (auto *grid = qobject_cast<TDBGrid *>(widget))
            grid->SetReadOnly(!editable);
        else if (!qobject_cast<QLabel *>(widget))
            widget->setEnabled(editable);
    }
}

void TfrmComDj::setHeaderEditable(bool editable)
{
    m_actions.HeaderEditable = editable;
    applyActions();
}

void TfrmComDj::enterEditingState()
{
    TDocStateRules(m_rights, FSingleBill).Editing(m_actions);
    pStatus->setText(QStringLiteral("草稿"));
    applyActions();
}

void TfrmComDj::enterBrowseState()
{
    TDocStateRules(m_rights, FSingleBill).Browse(m_actions);
    applyActions();
}

void TfrmComDj::sZbStateChange(TDataSource &Sender)
{
    if (isEditState(Sender.DataSet()))
        SetCanSave(true);
}

qint64 TfrmComDj::ZbInteger(const char *fieldName) const
{
    if (!m_zb || !m_zb->Active())
        return 0;
    const TField *field = m_zb->FindField(QLatin1String(fieldName));
    return field ? field->AsLargeInt() : 0;
}

// --- The header's life ---------------------------------------------------------------------

void TfrmComDj::ZbOnNewRecord(TClientDataSet &DataSet)
{
    for (int i = 0; i < DataSet.FieldCount(); ++i) {
        TField *field = DataSet.Fields(i);
        if (field->FieldKind() == fkData && field->IsNumeric())
            field->SetAsFloat(0);
    }
    // The server's day from the clock read once per form, not a round trip per document.
    const QDate today = ServerNow().date();
    if (TField *date = DataSet.FindField(QStringLiteral("RQ")))
        date->SetAsDate(today);
    if (TField *number = DataSet.FindField(QStringLiteral("DJBH"))) {
        if (FuncRight().Boolean3) {
            number->SetAsString(QStringLiteral("新单"));
        } else {
            const QString billNo = GetNewBillNo(GetBillPrefix(), today);
            number->SetAsString(billNo);
            if (TField *id = DataSet.FindField(QStringLiteral("ID")))
                id->SetAsLargeInt(BillNoToID(billNo));
        }
    }
    if (TField *operatorName = DataSet.FindField(QStringLiteral("CZY")))
        operatorName->SetAsString(FuncRight().UserName);
    if (TField *warehouse = DataSet.FindField(QStringLiteral("CKID")))
        warehouse->SetAsInteger(FuncRight().DefaultWarehouseID);
    if (TField *discount = DataSet.FindField(QStringLiteral("NZK")))
        discount->SetAsFloat(FDefaultDiscount);
}

void TfrmComDj::ZbBeforeEdit(TClientDataSet &DataSet)
{
    Q_UNUSED(DataSet);
}

void TfrmComDj::ZbAfterPost(TClientDataSet &DataSet)
{
    Q_UNUSED(DataSet);
}

void TfrmComDj::ZbBeforeScroll(TClientDataSet &DataSet)
{
    Q_UNUSED(DataSet);
    if (FModified && !m_cancelling && !SaveQuery())
        Abort();
}

void TfrmComDj::ZbAfterScroll(TClientDataSet &DataSet)
{
    Q_UNUSED(DataSet);
    IniRecord();
    SetAuditButton();
}

void TfrmComDj::IniRecord()
{
    THourGlass hourGlass;
    if (m_zb->State() == dsInsert && m_mx->Active()) {
        // A document not stored yet has no lines on the server.
        m_mx->EmptyDataSet();
    } else {
        m_mx->Close();
        m_mx->Open();
    }
    m_mx->First();
    int first = 0;
    for (int i = 0; i < DBGrid1->Columns().Count(); ++i) {
        const TColumn *column = DBGrid1->Columns()[i];
        if (column->Visible() && column->CanModify()) {
            first = i;
            break;
        }
    }
    DBGrid1->SetSelectedIndex(first);
    installLineFieldHandlers();
}

void TfrmComDj::installLineFieldHandlers()
{
    for (int i = 0; i < m_mx->FieldCount(); ++i)
        m_mx->Fields(i)->OnSetText = [this](TField &sender, const QString &text) {
            BillFieldOntext(sender, text);
        };
}

bool TfrmComDj::SaveQuery()
{
    switch (MessageBox(QStringLiteral("保存单据吗?"), SaveCaption, TMsgIcon::Question,
                       TMsgButtons::YesNoCancel)) {
    case mrYes:
        aSave->Execute();
        return !FModified;
    case mrNo:
        return true;
    default:
        return false;
    }
}

void TfrmComDj::TotalField(char kind, const QVariant &value)
{
    Q_UNUSED(kind);
    Q_UNUSED(value);
}

// --- Document operations -------------------------------------------------------------------

void TfrmComDj::AddBlankLines()
{
    if (!Kind().HasBlankLines)
        return;
    m_mx->DisableControls();
    try {
        for (int i = 0; i < BlankLineCount; ++i) {
            m_mx->Append();
            m_mx->Post();
        }
    } catch (...) {
        m_mx->EnableControls();
        throw;
    }
    m_mx->EnableControls();
    m_mx->First();
}

void TfrmComDj::aNewExecute()
{
    if (FModified && m_zb->State() == dsInsert && !SaveQuery())
        return;
    m_zb->Append();
    AddBlankLines();
    FOpenMode = QStringLiteral("A");
    enterEditingState();
}

void TfrmComDj::aModifyExecute()
{
    if (m_zb->IsEmpty())
        return;
    TDocStateRules(m_rights, FSingleBill).Modify(m_actions);
    applyActions();
    aExit->setEnabled(false);
}

void TfrmComDj::aCancelExecute()
{
    if (MessageBox(QStringLiteral("没有保存的数据会丢失，确实要取消吗？"),
                   QStringLiteral("取消提示"), TMsgIcon::Question, TMsgButtons::YesNo) != mrYes)
        return;
    hideLookup();
    DBGrid1->SetSelectedIndex(0);
    discardChanges();
}

void TfrmComDj::discardChanges()
{
    // Without the save question the scroll away from an inserted header would ask; a header
    // that goes reloads its successor's lines as it scrolls, an edited one gets its own back.
    m_cancelling = true;
    try {
        m_mx->Cancel();
        m_mx->CancelUpdates();
        m_zb->Cancel();
        m_zb->CancelUpdates();
    } catch (...) {
        m_cancelling = false;
        throw;
    }
    m_cancelling = false;
    SetCanSave(false);
    enterBrowseState();
    SetAuditButton();
    SetButton();
}

void TfrmComDj::aDelExecute()
{
    if (m_zb->IsEmpty() && m_zb->State() != dsInsert)
        return;
    if (ZbInteger("uFlag") > 0) {
        ShowMessage(QStringLiteral("本单据已经审核,不能删除。请反审后再删除单据"));
        return;
    }
    if (m_zb->State() == dsInsert) {
        if (MessageBox(QStringLiteral("确定要删除此张单吗?"), DeleteCaption, TMsgIcon::Question,
                       TMsgButtons::YesNo, mrNo) != mrYes)
            return;
        // aCancel without its own question.
        discardChanges();
        return;
    }
    const QString question = QStringLiteral("此张单有") + QString::number(m_mx->RecordCount()) +
                             QStringLiteral("条明细！") + QLatin1Char('\n') +
                             QStringLiteral("删除单后不能恢复数据，确定要删除此张单吗");
    if (MessageBox(question, DeleteCaption, TMsgIcon::Question, TMsgButtons::YesNo, mrNo) != mrYes)
        return;
    const QString id = QString::number(ZbInteger("ID"));
    // Lines and header go in one request: a document is deleted whole or not at all.
    const QStringList statements{
        QStringLiteral(" Delete FROM ") + strMxDetailTables + QStringLiteral("  where ZBID= ") + id,
        QStringLiteral(" Delete FROM ") + strZbMainTable + QStringLiteral("  where ID= ") + id,
        DocumentLogSQL(TDocOperation::Delete,
                       m_zb->FieldByName(QStringLiteral("DJBH"))->AsString()),
    };
    if (!ExecSQLScript(statements)) {
        MessageBox(QStringLiteral("删除单据失败！"), DeleteCaption, TMsgIcon::Error);
        return;
    }
    SetCanSave(false);
    // The rows are gone on the server; the header drops its copy without a change to send.
    m_cancelling = true;
    m_mx->Close();
    m_zb->Delete();
    m_zb->MergeChangeLog(); // the next header's lines load as it becomes current
    m_cancelling = false;
    SetButton();
    SetAuditButton();
}

void TfrmComDj::aInsertExecute()
{
    m_mx->Append();
    m_mx->Post();
    aInsert->setEnabled(true);
    aDelete->setEnabled(true);
}

void TfrmComDj::insertLineBefore()
{
    if (DBGrid1->ReadOnly())
        return;
    m_mx->Insert();
    m_mx->Post();
    aInsert->setEnabled(true);
    aDelete->setEnabled(true);
}

void TfrmComDj::aDeleteExecute()
{
    if (m_mx->IsEmpty() && m_mx->State() != dsInsert)
        return;
    const TField *name = m_mx->FindField(QStringLiteral("aPM"));
    const QString question =
        name ? QStringLiteral("确定要删除【") + name->AsString() + QStringLiteral("】这条明细吗?")
             : QStringLiteral("确定要删除这条明细吗?");
    if (MessageBox(question, DeleteCaption, TMsgIcon::Question, TMsgButtons::YesNo, mrNo) != mrYes)
        return;
    m_mx->Delete();
}

void TfrmComDj::aFirstExecute()
{
    m_zb->First();
    SetButton();
}

void TfrmComDj::aPriorExecute()
{
    m_zb->Prior();
    SetButton();
}

void TfrmComDj::aNextExecute()
{
    m_zb->Next();
    SetButton();
}

void TfrmComDj::aLastExecute()
{
    // The navigator's last button moves the header; the tool bar has no button for it.
    m_zb->Last();
    SetButton();
}

void TfrmComDj::aPreviewExecute()
{
    Close();
}

void TfrmComDj::aExitExecute()
{
    Close();
}

void TfrmComDj::aFormatExecute()
{
    if (!FuncRight().IsAdministrator()) {
        ShowMessage(QStringLiteral("只有SYS用户才有权限设置格式！"));
        return;
    }
    std::unique_ptr<TfrmTableColumnsEdit> editor(
        CreateForm<TfrmTableColumnsEdit>(FObjectName, DBGrid1, this));
    editor->ShowModal();
}

void TfrmComDj::aCalendarExecute()
{
    ShowCalendar(QDate::currentDate());
}

void TfrmComDj::aCalculatorExecute()
{
    RunCalculator();
}

QString TfrmComDj::ReportTemplateFile() const
{
    return ExeDirFile(QStringLiteral("Reports/") + windowTitle() + QStringLiteral(".rtm"));
}

std::unique_ptr<print::TReportValues> TfrmComDj::ReportData() const
{
    auto data = std::make_unique<print::TReportValues>();
    data->SetMaster(QStringLiteral("CompanyName"), FuncRight().CompanyName);
    if (m_zb->Active() && !m_zb->IsEmpty())
        for (int i = 0; i < m_zb->FieldCount(); ++i)
            data->SetMaster(m_zb->Fields(i)->FieldName(), m_zb->Fields(i)->Value());
    if (m_mx->Active()) {
        // The blank lines kept for typing print nothing; as on saving, a line without a code
        // is blank (expense lines have a category code and no goods).
        const TField *code =
            Kind().HasBlankLines ? m_mx->FindField(QStringLiteral("aBH")) : nullptr;
        for (int row = 0; row < m_mx->RowCount(); ++row) {
            if (code && m_mx->RowValue(row, code).toString().isEmpty())
                continue;
            const int line = data->AddLine();
            for (int i = 0; i < m_mx->FieldCount(); ++i)
                data->SetLine(line, m_mx->Fields(i)->FieldName(),
                              m_mx->RowValue(row, m_mx->Fields(i)));
        }
    }
    return data;
}

bool TfrmComDj::SetReportText(const QString &name, const QString &text)
{
    m_reportTexts.insert(name, text);
    return m_printReport && m_printReport->SetNamedText(name, text);
}

void TfrmComDj::aPrintExecute()
{
    const QString templateFile = ReportTemplateFile();
    if (QFileInfo::exists(templateFile)) {
        auto report = std::make_unique<print::TReport>();
        QString error;
        if (!print::LoadReportTemplate(templateFile, report->Template(), &error)) {
            MessageBox(error, QStringLiteral("提示"), TMsgIcon::Error);
            return;
        }
        m_reportTexts.clear();
        m_printReport = report.get();
        SetReprotBuildParam();
        m_printReport = nullptr;
        TfrmReportDesigner designer(std::move(report), ReportData(), windowTitle(), templateFile,
                                    this);
        designer.exec();
        return;
    }
    SetPrintParam();
    previewWorkbook();
}

namespace {

// The print fonts are sized in points: pixel sizes would shrink on a 600 dpi printer.
QFont songPoints(int points)
{
    QFont font = SongFont(points);
    font.setPointSize(points);
    return font;
}

} // namespace

void TfrmComDj::SetPrintParam()
{
    m_gridPrintOptions = TGridPrintOptions();
    m_gridPrintOptions.Title = windowTitle();
    m_gridPrintOptions.PageFooterLeft =
        QStringLiteral("打印日期：") + QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    m_gridPrintOptions.PageFooter = QStringLiteral("第&[Page]页，共&[Pages]页");
    m_gridPrintOptions.FooterFont = songPoints(10);
    m_gridPrintOptions.Font = songPoints(9);
    m_gridPrintOptions.FitToPageWidth = true;
}

std::unique_ptr<output::TContainerIterator> TfrmComDj::WorkbookLayout() const
{
    // The date and number row above the header panel belongs to the header; the caption label
    // does not, the sheet has its own title. Positions in form coordinates keep the rows of
    // both panels apart.
    QList<QWidget *> widgets = pTitle->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    widgets.removeAll(Label1);
    widgets += Panel3->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    QList<output::THeaderControl> header;
    for (QWidget *child : widgets) {
        output::THeaderControl control;
        control.Name = child->objectName();
        control.Geometry = QRect(child->mapTo(this, QPoint(0, 0)), child->size());
        control.Visible = !child->isHidden();
        if (auto *label = qobject_cast<QLabel *>(child)) {
            control.IsLabel = true;
            control.Text = label->text();
        } else if (auto *edit = qobject_cast<QLineEdit *>(child)) {
            control.Text = edit->text();
        } else if (auto *combo = qobject_cast<QComboBox *>(child)) {
            control.Text = combo->currentText();
        } else if (auto *lookup = qobject_cast<TDBLookupBox *>(child)) {
            control.Text = lookup->Text();
        } else {
            continue;
        }
        header.append(control);
    }

    output::TDocumentLines lines;
    QList<const TField *> fields;
    const TDBGridColumns &columns = DBGrid1->Columns();
    for (int c = 0; c < columns.Count(); ++c) {
        const TColumn *column = columns[c];
        const TField *field = column->Visible() ? m_mx->FindField(column->FieldName()) : nullptr;
        if (!field)
            continue;
        lines.Columns.append({column->FieldName(), column->Title().Caption()});
        fields.append(field);
    }
    const TField *goods = m_mx->FindField(QStringLiteral("HPID"));
    for (int row = 0; row < m_mx->RowCount(); ++row) {
        if (goods && m_mx->RowValue(row, goods).toLongLong() == 0)
            continue;
        QVariantList values;
        for (const TField *field : fields)
            values.append(m_mx->RowValue(row, field));
        lines.Rows.append(values);
    }
    if (DBGrid1->FooterRowCount() > 0) {
        QStringList footer;
        for (int c = 0; c < columns.Count(); ++c)
            if (columns[c]->Visible() && m_mx->FindField(columns[c]->FieldName()))
                footer.append(DBGrid1->FooterText(c));
        lines.FooterRows.append(footer);
    }

    auto layout = std::make_unique<output::TContainerIterator>(header, lines);
    for (int i = 0; i < m_zb->FieldCount(); ++i)
        layout->Master.insert(m_zb->Fields(i)->FieldName(), m_zb->Fields(i)->AsString());
    const TExcelPageSetup &page = FuncRight().ExcelPageSetup;
    layout->PageSetup = {page.Top, page.Bottom, page.Left, page.Right, page.Header, page.Footer};
    layout->Title = windowTitle();
    if (m_printModal.Found) {
        layout->TemplateFile = m_printModal.FileName;
        layout->FirstRow = qMax(1, m_printModal.MasterBegin);
        layout->LineStartRow = qMax(1, m_printModal.DetailRowBegin);
        layout->UseTemplate = m_printModal.IsParam;
    }
    return layout;
}

bool TfrmComDj::layOutWorkbook(output::TContainerIterator &layout)
{
    QString error;
    if (layout.Layout(&error))
        return true;
    MessageBox(QStringLiteral("Excel模板不能读取：") + error, QStringLiteral("提示"),
               TMsgIcon::Error);
    return false;
}

void TfrmComDj::previewWorkbook()
{
    if (m_mx->IsEmpty())
        return;
    const auto layout = WorkbookLayout();
    if (!layOutWorkbook(*layout))
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setDocName(windowTitle());
    QPrintPreviewDialog preview(&printer, this);
    preview.setObjectName(QStringLiteral("PrintPreview"));
    preview.setWindowTitle(windowTitle());
    connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
            [&layout](QPrinter *device) { output::PaintWorkbookLayout(layout->Sheet(), *device); });
    preview.exec();
}

void TfrmComDj::exportToExcel()
{
    if (m_mx->IsEmpty())
        return;
    const auto layout = WorkbookLayout();
    if (!layOutWorkbook(*layout))
        return;
    const std::optional<TFileDialogAnswer> answer =
        PromptForFile({true,
                       QStringLiteral("导出Excel"),
                       windowTitle() + QStringLiteral(".xlsx"),
                       {QStringLiteral("Excel文件(*.xlsx)")}});
    if (!answer)
        return;
    QString file = answer->FileName;
    if (!file.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive))
        file += QStringLiteral(".xlsx");
    QString error;
    if (!output::SaveWorkbookLayout(layout->Sheet(), file, &error))
        MessageBox(QStringLiteral("导出失败：") + error, QStringLiteral("提示"), TMsgIcon::Error);
}

// --- Copy and local files ------------------------------------------------------------------

void TfrmComDj::copyBill()
{
    if (m_zb->State() == dsInsert) {
        ShowMessage(QStringLiteral("单据处于插入状态，不能复制！"));
        return;
    }
    if (m_mx->IsEmpty())
        return;
    // Keep the values, not the datasets: aNew empties and refills the lines.
    const auto recordOf = [](const TClientDataSet &dataSet) {
        QList<QPair<QString, QVariant>> values;
        for (int i = 0; i < dataSet.FieldCount(); ++i) {
            const TField *field = dataSet.Fields(i);
            if (field->FieldKind() == fkData)
                values.append({field->FieldName(), field->Value()});
        }
        return values;
    };
    const auto tempdsZb = recordOf(*m_zb);
    QList<QList<QPair<QString, QVariant>>> tempdsMx;
    const TBookmark here = m_mx->GetBookmark();
    m_mx->DisableControls();
    for (m_mx->First(); !m_mx->Eof(); m_mx->Next())
        tempdsMx.append(recordOf(*m_mx));
    m_mx->GotoBookmark(here);
    m_mx->EnableControls();

    aNewExecute();
    if (m_zb->State() != dsInsert)
        return;
    static const QStringList headerKept{QStringLiteral("RQ"), QStringLiteral("DJBH"),
                                        QStringLiteral("ID"), QStringLiteral("UFLAG")};
    for (const auto &[name, value] : tempdsZb) {
        if (headerKept.contains(name.toUpper()))
            continue;
        if (TField *field = m_zb->FindField(name); field && field->CanModify())
            field->SetValue(value);
    }
    static const QStringList lineKept{QStringLiteral("SRCNO"), QStringLiteral("SRCSEQ"),
                                      QStringLiteral("DJBH"), QStringLiteral("ZBID")};
    m_mx->DisableControls();
    m_mx->EmptyDataSet();
    for (const auto &line : tempdsMx) {
        m_mx->Append();
        for (const auto &[name, value] : line) {
            if (lineKept.contains(name.toUpper()))
                continue;
            if (TField *field = m_mx->FindField(name); field && field->CanModify())
                field->SetValue(value);
        }
        m_mx->Post();
    }
    m_mx->EnableControls();
    if (const TField *number = m_mx->FindField(strMxSeqField);
        number && !m_mx->IsEmpty() && DBGrid1->Columns().Count() > 0) {
        m_mx->First();
        if (number->AsInteger() != 1)
            DBGrid1->SortByColumn(0);
    }
    m_mx->First();
}

QString TfrmComDj::LocalLinesFile() const
{
    return ExeDirFile(m_formName + QStringLiteral(".cds"));
}

void TfrmComDj::saveLocalLines()
{
    m_mx->CheckBrowseMode();
    m_mx->SaveToFile(LocalLinesFile());
}

void TfrmComDj::loadLocalLines(const QString &fileName)
{
    if (!QFile::exists(fileName)) {
        ShowMessage(QStringLiteral("文件不存在：") + fileName);
        return;
    }
    m_mx->LoadFromFile(fileName);
    installLineFieldHandlers();
    SetCanSave(true);
}

void TfrmComDj::chooseLocalLinesFile()
{
    TFileDialogRequest request;
    request.Save = false;
    request.Title = QStringLiteral("导入数据");
    request.FileName = LocalLinesFile();
    request.Filters = {QStringLiteral("cds文件(*.cds)")};
    if (const auto answer = PromptForFile(request))
        loadLocalLines(answer->FileName);
}
