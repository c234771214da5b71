// The generic list form.
#include "client/forms/comjbzl.h"

#include "client/common/sqltext.h"
#include "client/data/centraldata.h"
#include "client/data/datasource.h"
#include "client/data/fields.h"
#include "client/data/formats.h"
#include "client/forms/comedit.h"
#include "client/forms/filedialogs.h"
#include "client/forms/findpublic.h"
#include "client/forms/globalobj.h"
#include "client/forms/gridpreview.h"
#include "client/forms/gridworkbook.h"
#include "client/forms/kingfilterdialog.h"
#include "client/forms/tablescript.h"
#include "client/output/gridexport.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dbtreeview.h"
#include "client/widgets/gridexportsource.h"
#include "client/widgets/gridprinter.h"
#include "client/widgets/uistyle.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString MasterDataMark = QStringLiteral("资料");
const QString NoDataText = QStringLiteral("没有数据,不能导出！");
const QString NoTableText = QStringLiteral("没有指定数据表的名称,数据不能导出为文本文件！");
const QString HintCaption = QStringLiteral("提示");

void information(const QString &text)
{
    MessageBox(text, HintCaption, TMsgIcon::Information);
}

} // namespace

TfrmComJbzl::TfrmComJbzl(QWidget *parent)
    : TFrmAddTab(parent)
{
    buildActions();
    buildLayout();
}

TfrmComJbzl::~TfrmComJbzl()
{
    // A list destroyed without being closed still gives its dataset back.
    restoreDataSet();
    stDBTree1->SetDataSource(nullptr);
}

void TfrmComJbzl::buildActions()
{
    struct ActionRow
    {
        TAction *TfrmComJbzl::*member;
        const char *name;
        const char *caption;
        QKeySequence shortcut;
        bool visible;
        void (TfrmComJbzl::*handler)();
    };
    const ActionRow rows[] = {
        {&TfrmComJbzl::aPreview, "aPreview", "预览", {}, true, &TfrmComJbzl::aPreviewExecute},
        {&TfrmComJbzl::aPrint, "aPrint", "打印(&P)", QKeySequence(Qt::CTRL | Qt::Key_P), true,
         &TfrmComJbzl::aPrintExecute},
        {&TfrmComJbzl::aPrinterSetup,
         "aPrinterSetup",
         "打印设置(&S)",
         {},
         false,
         &TfrmComJbzl::aPrinterSetupExecute},
        {&TfrmComJbzl::aExit, "aExit", "退出(&Q)", QKeySequence(Qt::CTRL | Qt::Key_Q), true,
         &TfrmComJbzl::aExitExecute},
        {&TfrmComJbzl::aNew, "aNew", "增加(&A)", QKeySequence(Qt::CTRL | Qt::Key_A), true,
         &TfrmComJbzl::aNewExecute},
        {&TfrmComJbzl::aModify, "aModify", "打开(&E)", QKeySequence(Qt::CTRL | Qt::Key_E), true,
         &TfrmComJbzl::aModifyExecute},
        {&TfrmComJbzl::aDel, "aDel", "删除(&D)", QKeySequence(Qt::CTRL | Qt::Key_D), false,
         &TfrmComJbzl::aDelExecute},
        {&TfrmComJbzl::aTotal, "aTotal", "统计(&T)", QKeySequence(Qt::Key_F6), false,
         &TfrmComJbzl::aTotalExecute},
        {&TfrmComJbzl::aRefresh, "aRefresh", "刷新(&R)", QKeySequence(Qt::Key_F5), false,
         &TfrmComJbzl::aRefreshExecute},
        {&TfrmComJbzl::aSearch, "aSearch", "查找(&R)", QKeySequence(Qt::CTRL | Qt::Key_R), true,
         &TfrmComJbzl::aSearchExecute},
        {&TfrmComJbzl::aAll, "aAll", "过滤(&N)", QKeySequence(Qt::CTRL | Qt::Key_N), true,
         &TfrmComJbzl::aAllExecute},
        {&TfrmComJbzl::aSetColumn, "aSetColumn", "栏目布局(&O)", QKeySequence(Qt::CTRL | Qt::Key_O),
         false, &TfrmComJbzl::aSetColumnExecute},
        {&TfrmComJbzl::aSetSort, "aSetSort", "数据排序(&S)", QKeySequence(Qt::CTRL | Qt::Key_S),
         false, &TfrmComJbzl::aSetSortExecute},
    };
    for (const ActionRow &row : rows) {
        const auto handler = row.handler;
        TAction *action = AddFormAction(this, row.name, QString::fromUtf8(row.caption),
                                        row.shortcut, [this, handler] { (this->*handler)(); });
        action->setVisible(row.visible);
        this->*row.member = action;
    }
}

void TfrmComJbzl::buildLayout()
{
    auto *root = new QHBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    PanelLeft = new TPanel(this);
    PanelLeft->setObjectName(QStringLiteral("PanelLeft"));
    PanelLeft->setFixedWidth(185);
    auto *leftLayout = new QVBoxLayout(PanelLeft);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    stDBTree1 = new TDBTreeView(PanelLeft);
    stDBTree1->setObjectName(QStringLiteral("stDBTree1"));
    leftLayout->addWidget(stDBTree1);
    m_cdsTree = std::make_unique<TClientDataSet>(QStringLiteral("cdsTree"));
    cdsTree = m_cdsTree.get();
    cdsTree->SetProviderName(QStringLiteral("pItemType"));
    m_sTree = std::make_unique<TDataSource>(cdsTree);
    sTree = m_sTree.get();
    sTree->SetName(QStringLiteral("sTree"));
    stDBTree1->SetDataSource(sTree);
    stDBTree1->SetFields(QStringLiteral("ItemType"), QStringLiteral("ParentCode"),
                         QStringLiteral("TypeName"), QStringLiteral("TypeName"));
    stDBTree1->SetMutualExpand(true);
    stDBTree1->SetSyncDataSet(false);
    connect(stDBTree1, &QTreeView::clicked, this, [this] { Guarded([this] { treeClicked(); }); });
    root->addWidget(PanelLeft);
    PanelLeft->hide();

    auto *right = new QWidget(this);
    auto *column = new QVBoxLayout(right);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    root->addWidget(right, 1);

    ControlBar1 = new TPanel(right);
    ControlBar1->setObjectName(QStringLiteral("ControlBar1"));
    auto *barLayout = new QHBoxLayout(ControlBar1);
    barLayout->setContentsMargins(2, 2, 2, 2);
    ToolBar1 = new TPanel(ControlBar1);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    auto *tools = new QHBoxLayout(ToolBar1);
    tools->setContentsMargins(0, 0, 0, 0);
    tools->setSpacing(2);
    barLayout->addWidget(ToolBar1, 1);
    column->addWidget(ControlBar1);

    auto linked = [&](QToolButton *&button, const char *name, QAction *action,
                      const QString &caption = {}) {
        button = NewToolButton(ToolBar1, QLatin1String(name));
        LinkButton(button, action, caption);
        tools->addWidget(button);
    };
    linked(btnModify, "btnModify", aModify);
    linked(btnNew, "btnNew", aNew);
    linked(btnDel, "btnDel", aDel);
    linked(btnSearch, "btnSearch", aSearch);
    linked(btnAll, "btnAll", aAll);
    linked(btnPrint, "btnPrint", aPrint);
    linked(btnTotal, "btnTotal", aTotal, QStringLiteral("统计"));

    PopOther = new QMenu(this);
    PopOther->setObjectName(QStringLiteral("PopOther"));
    btnOther = NewToolButton(ToolBar1, QStringLiteral("btnOther"));
    btnOther->setText(QStringLiteral("其它"));
    btnOther->setMenu(PopOther);
    btnOther->setPopupMode(QToolButton::InstantPopup);
    tools->addWidget(btnOther);

    PopOut = new QMenu(this);
    PopOut->setObjectName(QStringLiteral("PopOut"));
    pmnExcel = PopOut->addAction(QStringLiteral("导出为Excel"));
    pmnExcel->setObjectName(QStringLiteral("pmnExcel"));
    pmnExcel2010 = PopOut->addAction(QStringLiteral("导出为Excel2010"));
    pmnExcel2010->setObjectName(QStringLiteral("pmnExcel2010"));
    pmnText = PopOut->addAction(QStringLiteral("导出为SQL文本"));
    pmnText->setObjectName(QStringLiteral("pmnText"));
    pmnText->setVisible(false);
    connect(pmnExcel, &QAction::triggered, this, [this] { Guarded([this] { pmnExcelClick(); }); });
    connect(pmnExcel2010, &QAction::triggered, this,
            [this] { Guarded([this] { pmnExcel2010Click(); }); });
    connect(pmnText, &QAction::triggered, this, [this] { Guarded([this] { pmnTextClick(); }); });
    btnExcel = NewToolButton(ToolBar1, QStringLiteral("btnExcel"));
    btnExcel->setText(QStringLiteral("导出"));
    btnExcel->setMenu(PopOut);
    btnExcel->setPopupMode(QToolButton::InstantPopup);
    tools->addWidget(btnExcel);

    btnSelectExit = NewToolButton(ToolBar1, QStringLiteral("btnSelectExit"));
    btnSelectExit->setText(QStringLiteral("选中退出"));
    btnSelectExit->hide();
    connect(btnSelectExit, &QToolButton::clicked, this,
            [this] { Guarded([this] { btnSelectExitClick(); }); });
    tools->addWidget(btnSelectExit);
    linked(btnExit, "btnExit", aExit, QStringLiteral("关闭(&Q)"));
    tools->addStretch(1);

    Panel1 = new TPanel(right);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto *search = new QHBoxLayout(Panel1);
    search->setContentsMargins(4, 2, 4, 2);
    lbl_Search = new QLabel(QStringLiteral("请输入编号\\名称\\助记码查找："), Panel1);
    lbl_Search->setObjectName(QStringLiteral("lbl_Search"));
    RzBtnNo = new QLineEdit(Panel1);
    RzBtnNo->setObjectName(QStringLiteral("RzBtnNo"));
    RzBtnNo->setAttribute(Qt::WA_InputMethodEnabled, false);
    // Enter in the box finds; the root form must not move the focus on instead.
    RzBtnNo->setProperty("vzWantsReturn", true);
    btnFind = new QPushButton(QStringLiteral("查找(&F)"), Panel1);
    btnFind->setObjectName(QStringLiteral("btnFind"));
    btnFind->setAutoDefault(false);
    connect(RzBtnNo, &QLineEdit::returnPressed, btnFind, &QPushButton::click);
    connect(btnFind, &QPushButton::clicked, this, [this] { Guarded([this] { OpenDataSet(); }); });
    search->addWidget(lbl_Search);
    search->addWidget(RzBtnNo, 1);
    search->addWidget(btnFind);
    search->addStretch(1);
    column->addWidget(Panel1);

    DBGrid1 = new TDBGrid(right);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->SetReadOnly(true);
    DBGrid1->SetOptions(dgTitles | dgIndicator | dgColumnResize | dgColLines | dgRowLines | dgTabs |
                        dgRowSelect | dgAlwaysShowSelection);
    DBGrid1->SetRowHeight(20);
    DBGrid1->SetUseMultiTitle(true);
    DBGrid1->OnDblClick = [this](TDBGrid &) {
        gridDblClick();
    };
    column->addWidget(DBGrid1, 1);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    for (QAction *action : {static_cast<QAction *>(aNew), static_cast<QAction *>(aModify),
                            static_cast<QAction *>(aDel), static_cast<QAction *>(aTotal),
                            static_cast<QAction *>(aRefresh), static_cast<QAction *>(aSetColumn),
                            static_cast<QAction *>(aSetSort), static_cast<QAction *>(aSearch),
                            static_cast<QAction *>(aAll)})
        PopupMenu1->addAction(action);
    DBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBGrid1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { PopupMenu1->popup(DBGrid1->mapToGlobal(pos)); });

    TabStatus = new QTabBar(right);
    TabStatus->setObjectName(QStringLiteral("TabStatus"));
    TabStatus->setShape(QTabBar::RoundedSouth);
    TabStatus->addTab(QStringLiteral("全部"));
    TabStatus->addTab(QStringLiteral("草稿"));
    TabStatus->addTab(QStringLiteral("审核"));
    connect(TabStatus, &QTabBar::currentChanged, this,
            [this](int index) { Guarded([&] { statusTabChanged(index); }); });
    column->addWidget(TabStatus);
}

void TfrmComJbzl::SetBillType(const QString &billType)
{
    TFrmAddTab::SetBillType(billType);
    OpenDataSet();
}

void TfrmComJbzl::SetSelectMode(bool selectMode)
{
    SelectMode = selectMode;
    btnSelectExit->setText(QStringLiteral("选中退出"));
    btnSelectExit->setVisible(selectMode);
    btnExit->setText(selectMode ? QStringLiteral("取消退出") : QStringLiteral("关闭(&Q)"));
}

void TfrmComJbzl::FormCreate()
{
    TFrmAddTab::FormCreate();
    THourGlass hourGlass;
    DBGrid1->SetFooterRowCount(0);
    TDBGridColumns &columns = DBGrid1->Columns();
    for (int i = 0; i < columns.Count(); ++i) {
        columns[i]->Title().SetAlignment(taCenter);
        columns[i]->Title().SetTitleButton(true);
    }
    // Document lists and reports total their amounts and quantities; master data does not.
    if (!windowTitle().contains(MasterDataMark)) {
        for (int i = 0; i < columns.Count(); ++i) {
            const QString name = columns[i]->FieldName().toUpper();
            if (name.contains(QLatin1String("JE"))) {
                DBGrid1->SetFooterRowCount(1);
                DBGrid1->SetFooterColor(DelphiColor(clFooterColor));
                columns[i]->Footer().SetSum(QString());
                columns[0]->Footer().SetStaticText(QStringLiteral("合计"));
            } else if (name.contains(QLatin1String("SL"))) {
                columns[i]->Footer().SetSum(QString());
            }
        }
    }
    const QString caption = windowTitle();
    PanelLeft->setVisible(objectName() == QLatin1String("frmHp") ||
                          caption.contains(QStringLiteral("员工")) ||
                          caption.contains(QStringLiteral("人事")));
    if (DataExists())
        cdsTree->SetRemoteServer(&Data().cn());
}

void TfrmComJbzl::FormShow()
{
    TFrmAddTab::FormShow();
    DBGrid1->SetFixedColor(FormColor());
    if (m_dataSetBound)
        return;
    const QString caption = windowTitle();
    if (caption.contains(MasterDataMark) || caption.contains(QStringLiteral("选择"))) {
        TabStatus->hide();
        if (TableName.isEmpty())
            information(NoTableText);
        pmnText->setVisible(true);
        aDel->setVisible(true);
        btnDel->setVisible(true);
        btnModify->setText(QStringLiteral("编辑(&E)"));
    }
    btnOther->setVisible(!PopOther->actions().isEmpty());
    SetTreeParam();

    TDataSource *source = DBGrid1->DataSource();
    ListDataSet = source ? source->DataSet() : nullptr;
    if (!ListDataSet) {
        MessageBox(QStringLiteral("没有设置数据集！"), QStringLiteral("出错提示"), TMsgIcon::Error);
        return;
    }
    SavedEvents = ListDataSet->Events();
    ListDataSet->OnNewRecord = [this](TClientDataSet &ds) {
        dsOnNewRecord(ds);
    };
    ListDataSet->AfterScroll = [this](TClientDataSet &ds) {
        dsAfterScroll(ds);
    };
    source->OnDataChange = [this](TDataSource &sender, TField *field) {
        sDataChange(sender, field);
    };
    m_dataSetBound = true;

    THourGlass hourGlass;
    if (!SqlText.isEmpty()) {
        ListDataSet->SetCommandText(SqlText);
        OpenDataSet();
    } else if (objectName() != QLatin1String("Rs_SingleFrm")) {
        OpenDataSet();
    }
    if (!Hint.isEmpty())
        setWindowTitle(Hint);
}

void TfrmComJbzl::OpenDataSet()
{
    if (ListDataSet) {
        THourGlass hourGlass;
        ListDataSet->Close();
        ListDataSet->Open();
        OpenedCommandText = ListDataSet->CommandText();
    }
    SetButton();
}

bool TfrmComJbzl::listIsEmpty() const
{
    return !ListDataSet || !ListDataSet->Active() || ListDataSet->IsEmpty();
}

void TfrmComJbzl::SetButton()
{
    aPrint->setEnabled(aPrint->Tag() == 0);
    aPreview->setEnabled(aPrint->isEnabled());
    aNew->setEnabled(aNew->Tag() == 0);
    aModify->setEnabled(aModify->Tag() == 0 && !listIsEmpty());
    aDel->setEnabled(aDel->Tag() == 0 && !listIsEmpty());
    aTotal->setEnabled(aTotal->Tag() == 0);
}

QString TfrmComJbzl::SearchCondition(const QString &codeField, const QString &nameField,
                                     const QString &mnemonicField) const
{
    const QString text = RzBtnNo->text().trimmed();
    if (text.isEmpty())
        return {};
    const QString prefix = QuotedStr(text + QLatin1Char('%'));
    const QString upperPrefix = QuotedStr(text.toUpper() + QLatin1Char('%'));
    return QStringLiteral(" and (") + codeField + QStringLiteral(" like ") + prefix +
           QStringLiteral(" or ") + nameField + QStringLiteral(" like ") + prefix +
           QStringLiteral(" or ") + mnemonicField + QStringLiteral(" like ") + upperPrefix +
           QStringLiteral(")");
}

void TfrmComJbzl::statusTabChanged(int index)
{
    const QString levels = QString::number(FuncRight().AuditNum);
    switch (index) {
    case 1:
        StatusFilter = QStringLiteral(" and uFlag <>") + levels;
        break;
    case 2:
        StatusFilter = QStringLiteral(" and uFlag=") + levels;
        break;
    default:
        StatusFilter.clear();
        break;
    }
    OpenDataSet();
}

void TfrmComJbzl::treeClicked()
{
    if (stDBTree1->SelectedLevel() == 0 && !stDBTree1->SelectedHasSiblings()) {
        TreeNodeSelected(true);
        return;
    }
    if (!stDBTree1->SelectedKey().isEmpty())
        TreeNodeSelected(false);
}

void TfrmComJbzl::gridDblClick()
{
    if (SelectMode) {
        Guarded([this] { btnSelectExitClick(); });
        return;
    }
    if (aModify->isEnabled())
        Guarded([this] { aModifyExecute(); });
}

void TfrmComJbzl::btnSelectExitClick()
{
    Selected = true;
    GetSearchModalValue();
    Close();
}

void TfrmComJbzl::LoadEditForm(const QString &Mode)
{
    if (!EditForm)
        return;
    std::unique_ptr<TfrmComEdit> form(EditForm);
    form->EditMode = Mode;
    form->ShowModal();
    form.reset();
    EditForm = nullptr;
    SetButton();
}

void TfrmComJbzl::aPreviewExecute()
{
    Close();
}

TGridPrintOptions TfrmComJbzl::PrintOptions() const
{
    TGridPrintOptions options;
    options.Title = windowTitle();
    options.TitleFont = SongFont(16, true); // 12 points
    options.PageFooter = QStringLiteral("第&[Page]页，共&[Pages]页");
    options.FooterFont = SongFont(13);
    options.Font = SongFont(12);
    options.FitToPageWidth = true;
    return options;
}

void TfrmComJbzl::aPrintExecute()
{
    PreviewGridPrint(*ActionGrid(), PrintOptions(), this);
}

void TfrmComJbzl::aExitExecute()
{
    Close();
}

void TfrmComJbzl::aNewExecute()
{
    LoadEditForm(aNew->Hint() == QLatin1String("A") ? QStringLiteral("A") : QStringLiteral("I"));
}

void TfrmComJbzl::aModifyExecute()
{
    LoadEditForm(QStringLiteral("M"));
}

void TfrmComJbzl::aDelExecute()
{
    if (listIsEmpty()) {
        MessageBox(QStringLiteral("请选择网格内一条记录！"), QStringLiteral("资料删除"),
                   TMsgIcon::Error);
        return;
    }
    if (MessageBox(QStringLiteral("确定要删除此项资料吗?"), QStringLiteral("资料删除"),
                   TMsgIcon::Question, TMsgButtons::YesNo, mrNo) != mrYes)
        return;
    ListDataSet->Delete();
    // The server keeps a row it refused to delete; so does the list.
    if (ListDataSet->ApplyUpdates(0) > 0 || ListDataSet->ChangeCount() > 0)
        ListDataSet->CancelUpdates();
    SetButton();
}

QString TfrmComJbzl::TotalsText()
{
    if (!ListDataSet || !ListDataSet->Active())
        return QStringLiteral("总记录数 : 0");
    QString fields = TotalFields;
    if (!fields.endsWith(QLatin1Char(';')))
        fields += QLatin1Char(';');
    fields = fields.toUpper();

    THourGlass hourGlass;
    TClientDataSet &ds = *ListDataSet;
    const TBookmark position = ds.GetBookmark();
    ds.DisableControls();
    const bool aggregatesWereActive = ds.AggregatesActive();
    QString text = QStringLiteral("总记录数 : ") + QString::number(ds.RecordCount());
    const TDBGridColumns &columns = DBGrid1->Columns();
    for (int i = 0; i < columns.Count(); ++i) {
        const TColumn *column = columns[i];
        const TField *field = column->Field();
        if (!column->Visible() || !field || !field->IsNumeric() || column->Width() < 0)
            continue;
        if (fields != QLatin1String(";") &&
            !fields.contains(field->FieldName().toUpper() + QLatin1Char(';')))
            continue;
        TAggregate *sum =
            ds.Aggregates().Add(QStringLiteral("Total") + QString::number(i),
                                QStringLiteral("sum(") + field->FieldName() + QLatin1Char(')'));
        ds.SetAggregatesActive(true);
        const QVariant value = sum->Value();
        ds.Aggregates().Remove(sum);
        const double number = value.isNull() ? 0 : value.toDouble();
        text += QStringLiteral("\r\n\r\n") + column->Title().Caption() + QStringLiteral(" : ") +
                FormatFloat(field->DisplayFormat(), number);
    }
    ds.SetAggregatesActive(aggregatesWereActive);
    if (!position.isNull() && ds.BookmarkValid(position) && ds.GetBookmark() != position)
        ds.GotoBookmark(position);
    ds.EnableControls();
    return text;
}

void TfrmComJbzl::aTotalExecute()
{
    const QString text = TotalsText();
    MessageBox(text, QStringLiteral("资料统计"), TMsgIcon::Information);
}

void TfrmComJbzl::aRefreshExecute()
{
    OpenDataSet();
}

void TfrmComJbzl::aSearchExecute()
{
    if (!ListDataSet || !ListDataSet->Active())
        return;
    FindPublic(DBGrid1, ListDataSet, m_lastFindText, m_lastFindColumn, this);
}

TKingFilterDialog &TfrmComJbzl::KingFilter()
{
    if (!m_kingFilter)
        m_kingFilter = std::make_unique<TKingFilterDialog>();
    return *m_kingFilter;
}

void TfrmComJbzl::aAllExecute()
{
    if (!ListDataSet || !ListDataSet->Active())
        return;
    TKingFilterDialog &filter = KingFilter();
    filter.DataSet = ListDataSet;
    filter.DBGridEH = DBGrid1;
    filter.Execute(this);
    SetButton();
}

bool TfrmComJbzl::exportList(const QString &title, const QStringList &filters,
                             const TListWriter &write)
{
    if (listIsEmpty()) {
        information(NoDataText);
        return false;
    }
    TFileDialogRequest request;
    request.Title = title;
    request.FileName = windowTitle();
    request.Filters = filters;
    const auto answer = PromptForFile(request);
    if (!answer)
        return false;
    QString written;
    QString error;
    bool ok = false;
    {
        THourGlass hourGlass;
        ok = write(*answer, written, error);
    }
    if (!ok) {
        MessageBox(QStringLiteral("导出失败：") + error, HintCaption, TMsgIcon::Error);
        return false;
    }
    information(QStringLiteral("数据已导出到文件：") + written);
    return true;
}

void TfrmComJbzl::pmnExcelClick()
{
    exportList(QStringLiteral("导出为Excel"), output::exportFilters(),
               [this](const TFileDialogAnswer &answer, QString &written, QString &error) {
                   const auto format = output::ExportFormat(qBound(1, answer.FilterIndex, 5));
                   written = output::withExportExtension(answer.FileName, format);
                   const TGridExportSource source(*ActionGrid());
                   return output::exportToFile(source, written, format, &error);
               });
}

void TfrmComJbzl::pmnExcel2010Click()
{
    exportList(QStringLiteral("导出为Excel2010"), {QStringLiteral("Excel(*.xlsx)")},
               [this](const TFileDialogAnswer &answer, QString &written, QString &error) {
                   const QString fileName =
                       output::withExportExtension(answer.FileName, output::ExportFormat::Excel);
                   return ExportGridToExcel(*ActionGrid(), fileName, &written, &error);
               });
}

void TfrmComJbzl::pmnTextClick()
{
    if (!windowTitle().contains(MasterDataMark)) {
        information(QStringLiteral("只有基础资料才能导出为文本文件！"));
        return;
    }
    if (TableName.isEmpty()) {
        information(NoTableText);
        return;
    }
    exportList(QStringLiteral("导出为SQL文本"), {QStringLiteral("文本文件(*.txt)")},
               [this](const TFileDialogAnswer &answer, QString &written, QString &error) {
                   written =
                       output::withExportExtension(answer.FileName, output::ExportFormat::Text);
                   return WriteTableScript(TableName, written, &error);
               });
}

void TfrmComJbzl::FormKeyDown(int &Key, Qt::KeyboardModifiers Shift)
{
    if (Shift == Qt::ControlModifier && Key == Qt::Key_F) {
        Key = 0;
        aSearchExecute();
        return;
    }
    QWidget *focus = focusWidget();
    if (!focus || (focus != DBGrid1 && !DBGrid1->isAncestorOf(focus)))
        return;
    if (Shift != Qt::NoModifier)
        return;
    switch (Key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
        DBGrid1->ScrollColumns(Key == Qt::Key_Left ? -1 : 1);
        Key = 0;
        break;
    case Qt::Key_Delete:
        Key = 0;
        if (aDel->isEnabled())
            aDelExecute();
        break;
    default:
        break;
    }
}

void TfrmComJbzl::resizeEvent(QResizeEvent *event)
{
    TFrmAddTab::resizeEvent(event);
    FormResize();
}

void TfrmComJbzl::changeEvent(QEvent *event)
{
    TFrmAddTab::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TfrmComJbzl::restoreDataSet()
{
    if (m_kingFilter)
        m_kingFilter->Detach();
    if (!m_dataSetBound)
        return;
    m_dataSetBound = false;
    if (ListDataSet) {
        ListDataSet->Events() = SavedEvents;
        if (TDataSource *source = DBGrid1->DataSource())
            source->OnDataChange = nullptr;
        ListDataSet->Close();
    }
    ListDataSet = nullptr;
}

void TfrmComJbzl::FormClose()
{
    restoreDataSet();
    if (cdsTree->Active())
        cdsTree->Close();
    TFrmAddTab::FormClose();
}
