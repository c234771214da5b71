// The personnel and office record list.
#include "client/personnel/rssingle.h"

#include "client/common/sqltext.h"
#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/forms/comedit.h"
#include "client/forms/mdiwindows.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dbtreeview.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QToolButton>
#include <QTreeWidget>

namespace {

enum NodeType { DepartmentNode = QTreeWidgetItem::UserType + 1, EmployeeNode };

constexpr int IdRole = Qt::UserRole;
constexpr int FilledRole = Qt::UserRole + 1;

int columnWidth(TRecordFieldType kind)
{
    switch (kind) {
    case TRecordFieldType::Date:
        return 85;
    case TRecordFieldType::DateTime:
        return 130;
    case TRecordFieldType::Number:
    case TRecordFieldType::Flag:
        return 70;
    case TRecordFieldType::Text:
        break;
    }
    return 110;
}

QTreeWidgetItem *departmentItem(const QString &id, const QString &name)
{
    auto *item = new QTreeWidgetItem(QStringList{name}, DepartmentNode);
    item->setData(0, IdRole, id);
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return item;
}

} // namespace

TRs_SingleFrm::TRs_SingleFrm(QWidget *parent)
    : TfrmComJbzl(parent)
{
    setObjectName(QStringLiteral("Rs_SingleFrm"));
    setWindowTitle(QStringLiteral("人事单表模板"));

    stDBTree1->hide();
    tvDept = new QTreeWidget(PanelLeft);
    tvDept->setObjectName(QStringLiteral("tvDept"));
    tvDept->setHeaderHidden(true);
    PanelLeft->layout()->addWidget(tvDept);
    connect(tvDept, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem *item) { fillChildren(item); });
    connect(tvDept, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *item) { nodeClicked(item); });

    // The date range takes the place of the search row: the records are found by date.
    lbl_Search->hide();
    RzBtnNo->hide();
    btnFind->hide();
    auto *row = static_cast<QHBoxLayout *>(Panel1->layout());
    cbDate = new QCheckBox(QStringLiteral("日期"), Panel1);
    cbDate->setObjectName(QStringLiteral("cbDate"));
    cbDate->setChecked(true);
    const QDate today = QDate::currentDate();
    dtpBegin = new QDateEdit(QDate(today.year(), today.month(), 1), Panel1);
    dtpBegin->setObjectName(QStringLiteral("dtpBegin"));
    dtpEnd = new QDateEdit(QDate(today.year(), today.month(), today.daysInMonth()), Panel1);
    dtpEnd->setObjectName(QStringLiteral("dtpEnd"));
    for (QDateEdit *box : {dtpBegin, dtpEnd}) {
        box->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        box->setCalendarPopup(true);
        connect(box, &QDateEdit::dateChanged, this, [this] { OpenDataSet(); });
    }
    connect(cbDate, &QCheckBox::toggled, this, [this] { OpenDataSet(); });
    row->insertWidget(0, cbDate);
    row->insertWidget(1, dtpBegin);
    row->insertWidget(2, new QLabel(QStringLiteral("至"), Panel1));
    row->insertWidget(3, dtpEnd);
    row->insertStretch(4, 1);
}

void TRs_SingleFrm::SetBillType(const QString &billType)
{
    const TPersonnelKind *kind = FindPersonnelKind(billType);
    if (!kind)
        return;
    if (!ListDataSet) {
        configure(*kind, billType);
        return;
    }
    // The window shows one kind for its life; the opener makes a new one for another kind.
    if (kind == m_kind)
        TfrmComJbzl::SetBillType(billType);
}

void TRs_SingleFrm::configure(const TPersonnelKind &kind, const QString &caption)
{
    m_kind = &kind;
    setWindowTitle(caption);
    TableName = QLatin1String(kind.table);
    TDataSource *source = Data().FindDataSource(QLatin1Char('s') + QLatin1String(kind.dataSet));
    DBGrid1->SetDataSource(source);
    DBGrid1->Columns().Clear();
    if (kind.wage != TWageKind::None) {
        DBGrid1->Columns().Add(QStringLiteral("F_Code"), QStringLiteral("员工编号"), 80);
        DBGrid1->Columns().Add(QStringLiteral("YG_Name"), QStringLiteral("员工姓名"), 80);
        DBGrid1->Columns().Add(QStringLiteral("RQ"), QStringLiteral("日期"), 85);
        DBGrid1->Columns().Add(QStringLiteral("Gx_Name"), QString::fromUtf8(kind.fields[0].caption),
                               110);
    } else {
        DBGrid1->Columns().Add(QStringLiteral("F_code"), QStringLiteral("员工编号"), 80);
        if (QLatin1String(kind.table) != QLatin1String("Oa_Linkman")) {
            DBGrid1->Columns().Add(QStringLiteral("F_name"), QStringLiteral("员工姓名"), 80);
            DBGrid1->Columns().Add(QStringLiteral("F_dept"), QStringLiteral("部门"), 100);
        }
        DBGrid1->Columns().Add(QStringLiteral("RQ"), QStringLiteral("日期"), 85);
    }
    for (const TKindField &field : kind.fields) {
        if (QLatin1String(field.field) == QLatin1String("F_GxID"))
            continue;
        DBGrid1->Columns().Add(QLatin1String(field.field), QString::fromUtf8(field.caption),
                               columnWidth(field.kind));
    }
    DBGrid1->Columns().Add(QStringLiteral("BZ"), QStringLiteral("备注"), 160);
}

void TRs_SingleFrm::FormShow()
{
    if (!m_kind) {
        if (const TPersonnelKind *kind = FindPersonnelKind(ModeText(this)))
            configure(*kind, ModeText(this));
    }
    TfrmComJbzl::FormShow();
    TabStatus->hide();
    aDel->setVisible(true);
    btnDel->setVisible(true);
    PanelLeft->show();
    if (tvDept->topLevelItemCount() == 0)
        fillRoots();
    OpenDataSet();
}

void TRs_SingleFrm::fillRoots()
{
    TTmpDataSet tmp;
    const QString sql = QStringLiteral(" select id,mc,ParentCode from bm where ") +
                        SQLIsNull(SessionInfo().DatabaseKind, QStringLiteral("ParentCode")) +
                        QStringLiteral("=0");
    if (!RunSQL(*tmp, sql, true))
        return;
    for (tmp->First(); !tmp->Eof(); tmp->Next()) {
        tvDept->addTopLevelItem(departmentItem(tmp->FieldByName(QStringLiteral("id"))->AsString(),
                                               tmp->FieldByName(QStringLiteral("mc"))->AsString()));
    }
}

void TRs_SingleFrm::fillChildren(QTreeWidgetItem *item)
{
    if (!item || item->type() != DepartmentNode || item->data(0, FilledRole).toBool())
        return;
    item->setData(0, FilledRole, true);
    const QString id = item->data(0, IdRole).toString();
    TTmpDataSet tmp;
    if (RunSQL(*tmp, QStringLiteral(" select id,mc,ParentCode from bm where ParentCode=") + id,
               true)) {
        for (tmp->First(); !tmp->Eof(); tmp->Next()) {
            item->addChild(departmentItem(tmp->FieldByName(QStringLiteral("id"))->AsString(),
                                          tmp->FieldByName(QStringLiteral("mc"))->AsString()));
        }
    }
    if (RunSQL(*tmp,
               QStringLiteral(" select ID,BH,XM from YG where BMID=") + id +
                   QStringLiteral(" order by BH"),
               true)) {
        for (tmp->First(); !tmp->Eof(); tmp->Next()) {
            auto *employee = new QTreeWidgetItem(
                QStringList{tmp->FieldByName(QStringLiteral("XM"))->AsString()}, EmployeeNode);
            employee->setData(0, IdRole, tmp->FieldByName(QStringLiteral("ID"))->AsString());
            item->addChild(employee);
        }
    }
    if (item->childCount() == 0)
        item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
}

void TRs_SingleFrm::nodeClicked(QTreeWidgetItem *item)
{
    if (!item)
        return;
    const QString id = item->data(0, IdRole).toString();
    m_scope = {};
    if (item->type() == EmployeeNode) {
        m_scope.kind = TPersonnelScope::Employee;
        m_scope.id = id;
    } else {
        fillChildren(item);
        m_scope.kind = TPersonnelScope::Department;
        m_scope.id = id;
        QList<std::pair<QString, QString>> pairs;
        TTmpDataSet tmp;
        if (RunSQL(*tmp, QStringLiteral(" select ID, ParentCode,MC  from bm"), true)) {
            for (tmp->First(); !tmp->Eof(); tmp->Next()) {
                pairs.append({tmp->FieldByName(QStringLiteral("ID"))->AsString(),
                              tmp->FieldByName(QStringLiteral("ParentCode"))->AsString()});
            }
        }
        m_scope.departmentIds = DepartmentAndBelow(id, pairs);
    }
    OpenDataSet();
}

QTreeWidgetItem *TRs_SingleFrm::findNode(QTreeWidgetItem *parent, int type, const QString &id)
{
    const int count = parent ? parent->childCount() : tvDept->topLevelItemCount();
    for (int i = 0; i < count; ++i) {
        QTreeWidgetItem *item = parent ? parent->child(i) : tvDept->topLevelItem(i);
        if (item->type() == type && item->data(0, IdRole).toString() == id)
            return item;
        if (item->type() == DepartmentNode) {
            fillChildren(item);
            if (QTreeWidgetItem *found = findNode(item, type, id))
                return found;
        }
    }
    return nullptr;
}

bool TRs_SingleFrm::SelectDepartment(const QString &id)
{
    QTreeWidgetItem *item = findNode(nullptr, DepartmentNode, id);
    if (!item)
        return false;
    tvDept->setCurrentItem(item);
    nodeClicked(item);
    return true;
}

bool TRs_SingleFrm::SelectEmployee(const QString &id)
{
    QTreeWidgetItem *item = findNode(nullptr, EmployeeNode, id);
    if (!item)
        return false;
    tvDept->setCurrentItem(item);
    nodeClicked(item);
    return true;
}

void TRs_SingleFrm::SelectAll()
{
    tvDept->setCurrentItem(nullptr);
    m_scope = {};
    OpenDataSet();
}

QString TRs_SingleFrm::ListSQL() const
{
    if (!m_kind)
        return {};
    return PersonnelListSQL(*m_kind, SessionInfo().DatabaseKind, m_scope, cbDate->isChecked(),
                            dtpBegin->date(), dtpEnd->date());
}

void TRs_SingleFrm::OpenDataSet()
{
    // The date boxes change while the window is built; the list opens once it is shown.
    if (!ListDataSet || !m_kind)
        return;
    ListDataSet->SetCommandText(ListSQL());
    TfrmComJbzl::OpenDataSet();
}

void TRs_SingleFrm::dsOnNewRecord(TClientDataSet &DataSet)
{
    TfrmComJbzl::dsOnNewRecord(DataSet);
    // The list's handlers stand in for the data module's while it is open; its defaults
    // (the server date into the kind's date fields) still apply.
    if (SavedEvents.OnNewRecord)
        SavedEvents.OnNewRecord(DataSet);
}

void TRs_SingleFrm::LoadEditForm(const QString &Mode)
{
    if (!m_kind)
        return;
    TFrmRoot *form = TFormRegistry::Create(QLatin1String(m_kind->editClass));
    EditForm = qobject_cast<TfrmComEdit *>(form);
    if (!EditForm) {
        delete form;
        SayWindowMissing(QLatin1String(m_kind->editClass));
        return;
    }
    EditForm->setParent(this, EditForm->windowFlags());
    EditForm->IdTable = TableName;
    EditForm->FormCaption = windowTitle();
    TfrmComJbzl::LoadEditForm(Mode);
}
