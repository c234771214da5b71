// The tree-model form of the hierarchical code tables.
#include "client/masterdata/treemodel.h"

#include "client/common/sqltext.h"
#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/datasource.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/forms/checkreferenced.h"
#include "client/forms/findpublic.h"
#include "client/forms/gridpreview.h"
#include "client/forms/kingfilterdialog.h"
#include "client/forms/searchmodal.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dbtreeview.h"
#include "client/widgets/gridprinter.h"
#include "client/widgets/messagebox.h"
#include "client/widgets/uistyle.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSplitter>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString SaveQuestion = QStringLiteral("是否保存对当前资料的修改?");
const QString SaveCaption = QStringLiteral("资料保存");

// A key as SQL: a number as it is, anything else quoted.
QString keyLiteral(const QString &key)
{
    bool isNumber = false;
    key.toLongLong(&isNumber);
    return isNumber ? key.trimmed() : QuotedStr(key);
}

} // namespace

TTreeModelFrm::TTreeModelFrm(QWidget *parent)
    : TFrmAddTab(parent)
    , m_mast(std::make_unique<TClientDataSet>(QStringLiteral("cdsMast")))
    , m_dsMast(std::make_unique<TDataSource>(m_mast.get()))
{
    Mast = m_mast.get();
    dsMast = m_dsMast.get();
    dsMast->SetName(QStringLiteral("dsMast"));
    buildActions();
    buildLayout();
}

TTreeModelFrm::~TTreeModelFrm()
{
    // The controls let go of the dataset before it goes.
    stDBTree1->SetDataSource(nullptr);
    DBGrid1->SetDataSource(nullptr);
}

void TTreeModelFrm::buildActions()
{
    struct ActionRow
    {
        TAction *TTreeModelFrm::*member;
        const char *name;
        const char *caption;
        QKeySequence shortcut;
        void (TTreeModelFrm::*handler)();
    };
    const ActionRow rows[] = {
        {&TTreeModelFrm::acPrior, "acPrior", "前条", QKeySequence(Qt::CTRL | Qt::Key_Up),
         &TTreeModelFrm::acPriorExecute},
        {&TTreeModelFrm::acNext, "acNext", "后条", QKeySequence(Qt::CTRL | Qt::Key_Down),
         &TTreeModelFrm::acNextExecute},
        {&TTreeModelFrm::acInsert, "acInsert", "新增(&A)", QKeySequence(Qt::CTRL | Qt::Key_A),
         &TTreeModelFrm::acInsertExecute},
        {&TTreeModelFrm::acSave, "acSave", "保存(&S)", QKeySequence(Qt::CTRL | Qt::Key_S),
         &TTreeModelFrm::acSaveExecute},
        {&TTreeModelFrm::asCancelDS, "asCancelDS", "取消(&C)", QKeySequence(Qt::CTRL | Qt::Key_C),
         &TTreeModelFrm::asCancelDSExecute},
        {&TTreeModelFrm::acDelete, "acDelete", "删除(&D)", QKeySequence(Qt::CTRL | Qt::Key_D),
         &TTreeModelFrm::acDeleteExecute},
        {&TTreeModelFrm::acPrint, "acPrint", "打印(&P)", QKeySequence(Qt::CTRL | Qt::Key_P),
         &TTreeModelFrm::acPrintExecute},
        {&TTreeModelFrm::acReturn, "acReturn", "退出(&Q)", QKeySequence(Qt::CTRL | Qt::Key_Q),
         &TTreeModelFrm::Close},
        {&TTreeModelFrm::acModify, "acModify", "编辑(&E)", QKeySequence(Qt::CTRL | Qt::Key_E),
         &TTreeModelFrm::acModifyExecute},
        {&TTreeModelFrm::acSearch, "acSearch", "查找(&R)", QKeySequence(Qt::CTRL | Qt::Key_R),
         &TTreeModelFrm::acSearchExecute},
        {&TTreeModelFrm::acAll, "acAll", "过滤", {}, &TTreeModelFrm::acAllExecute},
        {&TTreeModelFrm::aSelectExit,
         "aSelectExit",
         "选中退出",
         {},
         &TTreeModelFrm::aSelectExitExecute},
    };
    for (const ActionRow &row : rows) {
        const auto handler = row.handler;
        TAction *action = AddFormAction(this, row.name, QString::fromUtf8(row.caption),
                                        row.shortcut, [this, handler] { (this->*handler)(); });
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        this->*row.member = action;
    }
}

void TTreeModelFrm::buildLayout()
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    ToolBar1 = new TPanel(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    auto *tools = new QHBoxLayout(ToolBar1);
    tools->setContentsMargins(2, 2, 2, 2);
    tools->setSpacing(2);
    for (TAction *action : {acPrior, acNext, acInsert, acModify, acSave, asCancelDS, acDelete,
                            acSearch, acAll, acPrint, aSelectExit, acReturn}) {
        QToolButton *button =
            NewToolButton(ToolBar1, QStringLiteral("btn") + action->objectName().mid(2));
        LinkButton(button, action);
        tools->addWidget(button);
    }
    tools->addStretch(1);
    column->addWidget(ToolBar1);
    aSelectExit->setVisible(false);

    auto *splitter = new QSplitter(Qt::Horizontal, this);
    stDBTree1 = new TDBTreeView(splitter);
    stDBTree1->setObjectName(QStringLiteral("stDBTree1"));
    stDBTree1->SetSyncDataSet(false);
    stDBTree1->OnChange = [this](TDBTreeView &) {
        treeNodeChanged();
    };
    PageControl1 = new QTabWidget(splitter);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabList = new QWidget;
    TabList->setObjectName(QStringLiteral("TabList"));
    auto *listLayout = new QVBoxLayout(TabList);
    listLayout->setContentsMargins(0, 0, 0, 0);
    DBGrid1 = new TDBGrid(TabList);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->SetRowHeight(20);
    DBGrid1->OnDblClick = [this](TDBGrid &) {
        if (SelectMode)
            Guarded([this] { aSelectExitExecute(); });
    };
    listLayout->addWidget(DBGrid1);
    PageControl1->addTab(TabList, QStringLiteral("列表"));
    TabDetail = new QWidget;
    TabDetail->setObjectName(QStringLiteral("TabDetail"));
    auto *detailColumn = new QVBoxLayout(TabDetail);
    m_details = new QGridLayout;
    m_details->setColumnStretch(1, 1);
    detailColumn->addLayout(m_details);
    detailColumn->addStretch(1);
    PageControl1->addTab(TabDetail, QStringLiteral("详细资料"));
    splitter->addWidget(stDBTree1);
    splitter->addWidget(PageControl1);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({200, 600});
    column->addWidget(splitter, 1);

    DBGrid1->SetDataSource(dsMast);
}

TDBEdit *TTreeModelFrm::AddDetailEdit(const QString &fieldName, const QString &caption)
{
    const int row = m_details->rowCount();
    auto *label = new QLabel(caption + QLatin1Char(':'), TabDetail);
    auto *edit = new TDBEdit(TabDetail);
    edit->setObjectName(QStringLiteral("DBEdit_") + fieldName);
    edit->SetDataSource(dsMast);
    edit->SetDataField(fieldName);
    label->setBuddy(edit);
    m_details->addWidget(label, row, 0);
    m_details->addWidget(edit, row, 1);
    m_labels.insert(fieldName, caption);
    if (!m_firstDetail)
        m_firstDetail = edit;
    if (fieldName.compare(Table.KeyField, Qt::CaseInsensitive) == 0)
        DBEditKey = edit;
    return edit;
}

TDBButtonEdit *TTreeModelFrm::AddParentEdit(const QString &caption)
{
    const int row = m_details->rowCount();
    auto *label = new QLabel(caption + QLatin1Char(':'), TabDetail);
    DBEditParent = new TDBButtonEdit(TabDetail);
    DBEditParent->setObjectName(QStringLiteral("DBEdit_ParentName"));
    DBEditParent->SetDataSource(dsMast);
    DBEditParent->SetDataField(QStringLiteral("ParentName"));
    DBEditParent->setReadOnly(true);
    DBEditParent->OnButtonClick = [this](TButtonEdit &) {
        Guarded([this] { changeParent(); });
    };
    m_details->addWidget(label, row, 0);
    m_details->addWidget(DBEditParent, row, 1);
    return DBEditParent;
}

QString TTreeModelFrm::NextKeySql() const
{
    const QString &key = Table.KeyField;
    return SessionInfo().DatabaseKind != 0
               ? QStringLiteral("select isnull(max(") + key + QStringLiteral("),0) +1 from ") +
                     Table.TableName
               : QStringLiteral("select iif(isnull(max(") + key + QStringLiteral(")), 1, max(") +
                     key + QStringLiteral(")+1) from ") + Table.TableName;
}

void TTreeModelFrm::FormShow()
{
    TFrmAddTab::FormShow();
    if (Mast->Active())
        return;
    bindDataSet();
    THourGlass hourGlass;
    Mast->SetCommandText(CommandText());
    Mast->Open();
    stDBTree1->SetFields(Table.KeyField, QStringLiteral("ParentCode"), Table.DisplayField);
    stDBTree1->SetRootText(RootText());
    stDBTree1->SetDataSource(dsMast);
    stDBTree1->Rebuild();
    stDBTree1->expandToDepth(0);
    selectNodeOfRow();
    TDBGridColumns &columns = DBGrid1->Columns();
    for (int i = 0; i < columns.Count(); ++i)
        columns[i]->Title().SetAlignment(taCenter);
    PageControl1->setCurrentWidget(TabList);
    setActionStates();
}

void TTreeModelFrm::bindDataSet()
{
    TClientDataSet &ds = *Mast;
    ds.SetProviderName(QStringLiteral("p") + Table.TableName);
    if (DataExists())
        ds.SetRemoteServer(&Data().cn());
    ds.OnFieldsCreated = [this](TClientDataSet &d) {
        // The parent's name is joined for show; a table that stores it too gets it written,
        // but a stale stored copy must not make the row look changed by someone else.
        if (TField *parentName = d.FindField(QStringLiteral("ParentName")))
            parentName->SetProviderFlags(pfInUpdate);
        for (auto it = m_labels.cbegin(); it != m_labels.cend(); ++it) {
            if (TField *field = d.FindField(it.key()))
                field->SetDisplayLabel(it.value());
        }
    };
    ds.OnNewRecord = [this](TClientDataSet &d) {
        newRecord(d);
    };
    ds.BeforeEdit = [this](TClientDataSet &) {
        OldID = currentKey();
        m_proposedKey.clear();
    };
    ds.BeforePost = [this](TClientDataSet &d) {
        beforePost(d);
    };
    ds.AfterPost = [this](TClientDataSet &) {
        afterPost();
    };
    ds.AfterScroll = [this](TClientDataSet &) {
        selectNodeOfRow();
        setActionStates();
    };
    ds.OnReconcileError = [this](TClientDataSet &d, EReconcileError &e, TUpdateKind kind,
                                 TReconcileAction &action) {
        reconcile(d, e, kind, action);
    };
    dsMast->OnStateChange = [this](TDataSource &) {
        setActionStates();
    };
}

bool TTreeModelFrm::isEditing() const
{
    return Mast->State() == dsEdit || Mast->State() == dsInsert;
}

QString TTreeModelFrm::currentKey() const
{
    const TField *key = Mast->Active() ? Mast->FindField(Table.KeyField) : nullptr;
    return key && !Mast->IsEmpty() ? key->AsString() : QString();
}

void TTreeModelFrm::treeNodeChanged()
{
    if (m_syncingTree || !Mast->Active())
        return;
    if (isEditing()) {
        // The node must keep showing the row being edited.
        selectNodeOfRow();
        MessageBox(QStringLiteral("数据处于编辑状态，不能移动节点！"), QStringLiteral("提示"),
                   TMsgIcon::Warning);
        return;
    }
    if (stDBTree1->SelectedIsRoot())
        return;
    const QString key = stDBTree1->SelectedKey();
    if (key.isEmpty())
        return;
    const TField *field = Mast->FieldByName(Table.KeyField);
    const QVariant value = field->IsNumeric() ? QVariant(key.toDouble()) : QVariant(key);
    Mast->Locate(Table.KeyField, value);
}

void TTreeModelFrm::selectNodeOfRow()
{
    m_syncingTree = true;
    const QString key = currentKey();
    // A row just added or renamed may not have its node yet.
    if (!key.isEmpty() && !stDBTree1->ItemOfKey(key))
        stDBTree1->Rebuild();
    if (key.isEmpty() || !stDBTree1->SelectKey(key))
        stDBTree1->SelectRoot();
    m_syncingTree = false;
}

void TTreeModelFrm::setActionStates()
{
    const bool editing = isEditing();
    const bool hasRows = Mast->Active() && !Mast->IsEmpty();
    acSave->setEnabled(editing);
    asCancelDS->setEnabled(editing);
    acInsert->setEnabled(!editing && Mast->Active());
    acDelete->setEnabled(!editing && hasRows);
    acModify->setEnabled(!editing && hasRows);
    acSearch->setEnabled(!editing && hasRows);
    acPrint->setEnabled(!editing);
    acPrior->setEnabled(!editing && hasRows && !Mast->Bof());
    acNext->setEnabled(!editing && hasRows && !Mast->Eof());
}

void TTreeModelFrm::acInsertExecute()
{
    PageControl1->setCurrentWidget(TabDetail);
    Mast->Append();
    if (m_firstDetail)
        m_firstDetail->setFocus();
}

void TTreeModelFrm::newRecord(TClientDataSet &ds)
{
    if (TField *stopped = ds.FindField(QStringLiteral("ZT")))
        stopped->SetAsBoolean(false);
    const bool underNode = !stDBTree1->SelectedIsRoot() && !stDBTree1->SelectedKey().isEmpty();
    if (TField *parent = ds.FindField(QStringLiteral("ParentCode")))
        parent->SetAsString(underNode ? stDBTree1->SelectedKey() : QStringLiteral("0"));
    if (TField *parentName = ds.FindField(QStringLiteral("ParentName")))
        parentName->SetAsString(underNode ? stDBTree1->SelectedText() : QString());
    for (const auto &[fieldName, value] : Table.NewRowValues) {
        if (TField *field = ds.FindField(fieldName))
            field->SetValue(value);
    }
    SQLToFields(NextKeySql(), ds, Table.KeyField, false);
    m_proposedKey = ds.FieldByName(Table.KeyField)->AsString();
    OldID = m_proposedKey;
}

void TTreeModelFrm::restoreKey()
{
    const QString key = OldID; // starting the edit takes the row's key as OldID
    if (!isEditing())
        Mast->Edit();
    OldID = key;
    Mast->FieldByName(Table.KeyField)->SetAsString(key);
    if (DBEditKey) {
        PageControl1->setCurrentWidget(TabDetail);
        DBEditKey->setFocus();
    }
}

void TTreeModelFrm::beforePost(TClientDataSet &ds)
{
    for (const QString &name : {Table.KeyField, Table.DisplayField}) {
        TField *field = ds.FieldByName(name);
        if (!field->AsString().trimmed().isEmpty())
            continue;
        MessageBox(QStringLiteral("字段 [%1] 不能为空！").arg(field->DisplayName()),
                   QStringLiteral("提示"), TMsgIcon::Warning);
        PageControl1->setCurrentWidget(TabDetail);
        if (auto *control = TabDetail->findChild<QWidget *>(QStringLiteral("DBEdit_") + name))
            control->setFocus();
        Abort();
    }
    const QString key = ds.FieldByName(Table.KeyField)->AsString().trimmed();
    if (!m_proposedKey.isEmpty() && key != m_proposedKey)
        m_proposedKey.clear(); // the user chose the key; a clash is theirs to resolve
    if (Table.UniqueProbe.isEmpty())
        return;
    const QString probe =
        Table.UniqueProbe + (Table.ProbeName
                                 ? QuotedStr(ds.FieldByName(Table.DisplayField)->AsString())
                                 : keyLiteral(key));
    TTmpDataSet tmp;
    tmp->SetCommandText(probe);
    tmp->Open();
    bool taken = false;
    const bool ownRow = ds.State() == dsEdit;
    for (tmp->First(); !tmp->Eof(); tmp->Next()) {
        // A name probe finds the row itself when its name is unchanged.
        if (Table.ProbeName && ownRow &&
            ds.FieldByName(Table.DisplayField)->AsString() ==
                Mast->FieldByName(Table.DisplayField)->OldValue().toString())
            continue;
        if (!Table.ProbeName && tmp->Fields(0)->AsString() == OldID && ownRow)
            continue;
        taken = true;
        break;
    }
    tmp->Close();
    if (!taken)
        return;
    if (!m_proposedKey.isEmpty() && !Table.ProbeName) {
        // Another clerk took the proposed key meanwhile: the next free one is as good.
        SQLToFields(NextKeySql(), ds, Table.KeyField, false);
        m_proposedKey = ds.FieldByName(Table.KeyField)->AsString();
        OldID = m_proposedKey;
        return;
    }
    MessageBox(Table.UniqueMessage, QStringLiteral("提示"), TMsgIcon::Warning);
    if (!Table.ProbeName)
        restoreKey();
    Abort();
}

void TTreeModelFrm::afterPost()
{
    if (applyChanges())
        return;
    restoreKey();
    Abort();
}

bool TTreeModelFrm::applyChanges()
{
    // A rejected insert of a proposed key is corrected to the next free key and sent again:
    // two clerks adding at the same moment both get a row.
    for (int attempt = 0; attempt < 3; ++attempt) {
        m_keyRetried = false;
        if (Mast->ChangeCount() == 0 || Mast->ApplyUpdates(0) == 0) {
            m_proposedKey.clear();
            return true;
        }
        if (!m_keyRetried)
            return false;
    }
    return false;
}

void TTreeModelFrm::reconcile(TClientDataSet &ds, EReconcileError &E, TUpdateKind kind,
                              TReconcileAction &action)
{
    if (kind == ukInsert && !m_proposedKey.isEmpty()) {
        const QString next = QueryValue(NextKeySql()).toString();
        for (TReconcileField &field : E.Fields) {
            if (field.FieldName.compare(Table.KeyField, Qt::CaseInsensitive) != 0 ||
                field.NewValue.toString() != m_proposedKey || next == m_proposedKey)
                continue;
            field.NewValue = next;
            field.NewValueAssigned = true;
            m_proposedKey = next;
            OldID = next;
            m_keyRetried = true;
            action = raCorrect;
            return;
        }
    }
    if (DataExists())
        Data().ReconcileError(ds, E, kind, action);
}

void TTreeModelFrm::changeParent()
{
    QString key;
    QString text;
    if (!SearchTreeNode(Table.ParentKind, currentKey(), key, text, this))
        return;
    if (!isEditing())
        Mast->Edit();
    Mast->FieldByName(QStringLiteral("ParentCode"))
        ->SetAsString(key.isEmpty() ? QStringLiteral("0") : key);
    if (TField *name = Mast->FindField(QStringLiteral("ParentName")))
        name->SetAsString(text);
}

void TTreeModelFrm::acSaveExecute()
{
    if (isEditing())
        Mast->Post(); // applies in AfterPost
    else if (Mast->ChangeCount() > 0 && !applyChanges())
        return;
    setActionStates();
}

void TTreeModelFrm::asCancelDSExecute()
{
    cancelChanges();
}

void TTreeModelFrm::cancelChanges()
{
    if (isEditing())
        Mast->Cancel();
    if (Mast->ChangeCount() > 0)
        Mast->CancelUpdates();
    m_proposedKey.clear();
    selectNodeOfRow();
    setActionStates();
}

bool TTreeModelFrm::hasChildren(const QString &key) const
{
    return HasRows(QStringLiteral("select ") + Table.KeyField + QStringLiteral(" from ") +
                   Table.TableName + QStringLiteral(" where ParentCode = ") + keyLiteral(key));
}

void TTreeModelFrm::acDeleteExecute()
{
    if (!Mast->Active() || Mast->IsEmpty())
        return;
    const QString key = currentKey();
    if (Table.RootProtected && key == QLatin1String("1")) {
        MessageBox(QStringLiteral("根节点不能删除！"), QStringLiteral("提示"), TMsgIcon::Warning);
        return;
    }
    // Children first: a node with sub-nodes is refused whatever refers to it.
    if (hasChildren(key)) {
        MessageBox(QStringLiteral("存在子节点，不能删除！"), QStringLiteral("删除出错"),
                   TMsgIcon::Error);
        return;
    }
    if (!Table.ReferenceKind.isEmpty() && CheckReferenced(Table.ReferenceKind, key))
        return;
    if (MessageBox(QStringLiteral("确定要删除吗?"), QStringLiteral("资料删除"), TMsgIcon::Question,
                   TMsgButtons::YesNo, mrNo) != mrYes)
        return;
    Mast->Delete();
    // The server keeps a row it refused to delete; so does the form.
    if (Mast->ApplyUpdates(0) > 0 || Mast->ChangeCount() > 0)
        Mast->CancelUpdates();
    selectNodeOfRow();
    setActionStates();
}

void TTreeModelFrm::SetSelectMode(bool selectMode)
{
    SelectMode = selectMode;
    aSelectExit->setVisible(selectMode);
}

// Moving on while a row is being edited asks the edit form's question: save, drop, or stay.
bool TTreeModelFrm::settlePendingEdit()
{
    TClientDataSet &ds = *Mast;
    if (!isEditing() && ds.ChangeCount() == 0)
        return true;
    switch (MessageBox(SaveQuestion, SaveCaption, TMsgIcon::Question, TMsgButtons::YesNoCancel)) {
    case mrYes:
        if (isEditing())
            ds.Post(); // applies in AfterPost
        else
            applyChanges();
        return ds.ChangeCount() == 0;
    case mrNo:
        cancelChanges();
        return true;
    default:
        return false;
    }
}

void TTreeModelFrm::acPriorExecute()
{
    if (!Mast->Active() || !settlePendingEdit())
        return;
    Mast->Prior();
    setActionStates();
}

void TTreeModelFrm::acNextExecute()
{
    if (!Mast->Active() || !settlePendingEdit())
        return;
    Mast->Next();
    setActionStates();
}

void TTreeModelFrm::acModifyExecute()
{
    if (!Mast->Active() || Mast->IsEmpty())
        return;
    PageControl1->setCurrentWidget(TabDetail);
    Mast->Edit();
    if (m_firstDetail)
        m_firstDetail->setFocus();
}

void TTreeModelFrm::acPrintExecute()
{
    TGridPrintOptions options;
    options.Title = windowTitle();
    options.FitToPageWidth = true;
    PreviewGridPrint(*DBGrid1, options, this);
}

void TTreeModelFrm::acSearchExecute()
{
    if (Mast->Active())
        FindPublic(DBGrid1, Mast, m_lastFindText, m_lastFindColumn, this);
}

void TTreeModelFrm::acAllExecute()
{
    if (!Mast->Active())
        return;
    if (!m_filter)
        m_filter = std::make_unique<TKingFilterDialog>();
    m_filter->DataSet = Mast;
    m_filter->DBGridEH = DBGrid1;
    m_filter->Execute(this);
    setActionStates();
}

void TTreeModelFrm::aSelectExitExecute()
{
    if (!Mast->Active() || Mast->IsEmpty())
        return;
    ResultID = currentKey();
    ResultName = Mast->FieldByName(Table.DisplayField)->AsString();
    Selected = true;
    SetModalResult(mrOk);
    Close();
}

bool TTreeModelFrm::FormCloseQuery()
{
    return !Mast->Active() || settlePendingEdit();
}

void TTreeModelFrm::FormClose()
{
    if (m_filter)
        m_filter->Detach();
    stDBTree1->SetDataSource(nullptr);
    Mast->Close();
    TFrmAddTab::FormClose();
}

void TTreeModelFrm::FormKeyDown(int &Key, Qt::KeyboardModifiers Shift)
{
    if (Shift == Qt::ControlModifier && Key == Qt::Key_F) {
        Key = 0;
        acSearch->Execute();
    }
}
