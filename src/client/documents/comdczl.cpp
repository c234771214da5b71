// The chain of the document lists.
#include "client/documents/comdczl.h"

#include "client/common/sqltext.h"
#include "client/common/valueroutines.h"
#include "client/core/session.h"
#include "client/data/atomicrequest.h"
#include "client/data/datasource.h"
#include "client/data/fields.h"
#include "client/documents/comdj.h"
#include "client/documents/doclog.h"
#include "client/forms/findpublic.h"
#include "client/forms/globalobj.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/messagebox.h"
#include "client/widgets/uistyle.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>

namespace {

const QString AuditedText = QStringLiteral("本单据已经审核,不能删除。请反审后再删除单据");
const QString HintCaption = QStringLiteral("提示");

enum TQuickDate {
    qdToday,
    qdYesterday,
    qdDayBefore,
    qdThisWeek,
    qdLastWeek,
    qdThisMonth,
    qdLastMonth,
    qdThisYear,
    qdLastYear
};

struct TQuickDateChoice
{
    const char *Text;
    TQuickDate Choice;
};

const TQuickDateChoice QuickDates[] = {
    {"今天", qdToday},     {"昨天", qdYesterday}, {"前天", qdDayBefore},
    {"本周", qdThisWeek},  {"上周", qdLastWeek},  {"本月", qdThisMonth},
    {"上月", qdLastMonth}, {"本年", qdThisYear},  {"上年", qdLastYear},
};

TDateRange weekOf(QDate day)
{
    const QDate monday = day.addDays(1 - day.dayOfWeek());
    return {monday, monday.addDays(6)};
}

TDateRange monthOf(QDate day)
{
    return {StartOfMonth(day), EndOfMonth(day)};
}

TDateRange yearOf(int year)
{
    return {QDate(year, 1, 1), QDate(year, 12, 31)};
}

TDateRange rangeOf(TQuickDate choice, QDate today)
{
    switch (choice) {
    case qdToday:
        return {today, today};
    case qdYesterday:
        return {today.addDays(-1), today.addDays(-1)};
    case qdDayBefore:
        return {today.addDays(-2), today.addDays(-2)};
    case qdThisWeek:
        return weekOf(today);
    case qdLastWeek:
        return weekOf(today.addDays(-7));
    case qdThisMonth:
        return monthOf(today);
    case qdLastMonth:
        return monthOf(StartOfMonth(today).addMonths(-1));
    case qdThisYear:
        return yearOf(today.year());
    case qdLastYear:
        return yearOf(today.year() - 1);
    }
    return {today, today};
}

bool isEnterKey(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent *>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

bool activeAndFilled(const TClientDataSet *dataSet)
{
    return dataSet && dataSet->Active() && !dataSet->IsEmpty();
}

} // namespace

QStringList QuickDateChoices()
{
    QStringList choices{QStringLiteral("请选择")};
    for (const TQuickDateChoice &entry : QuickDates)
        choices << QString::fromUtf8(entry.Text);
    return choices;
}

std::optional<TDateRange> QuickDateRange(const QString &choice, QDate today)
{
    for (const TQuickDateChoice &entry : QuickDates)
        if (choice == QString::fromUtf8(entry.Text))
            return rangeOf(entry.Choice, today);
    return std::nullopt;
}

// --- TfrmComDczl -----------------------------------------------------------------------------

TfrmComDczl::TfrmComDczl(QWidget *parent)
    : TfrmComJbzl(parent)
{
    aDetail = AddFormAction(this, "aDetail", QStringLiteral("明细资料(&I)"),
                            QKeySequence(Qt::CTRL | Qt::Key_I), [this] { toggleDetail(); });
    aDetail->setCheckable(true);
    btnDetail = NewToolButton(ToolBar1, QStringLiteral("btnDetail"));
    LinkButton(btnDetail, aDetail, QStringLiteral("明细"));
    auto *tools = static_cast<QHBoxLayout *>(ToolBar1->layout());
    tools->insertWidget(tools->indexOf(btnExcel) + 1, btnDetail);

    DBGrid2 = new TDBGrid(DBGrid1->parentWidget());
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    DBGrid2->SetReadOnly(true);
    DBGrid2->SetOptions(dgTitles | dgIndicator | dgColumnResize | dgColLines | dgRowLines |
                        dgRowSelect | dgAlwaysShowSelection);
    DBGrid2->SetRowHeight(20);
    auto *column = static_cast<QVBoxLayout *>(DBGrid1->parentWidget()->layout());
    column->insertWidget(column->indexOf(DBGrid1) + 1, DBGrid2, 1);
    DBGrid2->hide();
}

QString TfrmComDczl::DetailSql(qint64 headerId) const
{
    Q_UNUSED(headerId);
    return {};
}

TDataSource *TfrmComDczl::DetailSource() const
{
    return nullptr;
}

TDBGrid *TfrmComDczl::ActionGrid() const
{
    const QWidget *focus = focusWidget();
    if (DBGrid2->isVisible() && focus && (focus == DBGrid2 || DBGrid2->isAncestorOf(focus)))
        return DBGrid2;
    return DBGrid1;
}

void TfrmComDczl::toggleDetail()
{
    DBGrid2->setVisible(aDetail->isChecked());
    RefreshDetail();
}

void TfrmComDczl::RefreshDetail()
{
    TDataSource *source = DetailSource();
    if (!source || !source->DataSet() || !DBGrid2->isVisibleTo(this))
        return;
    if (DBGrid2->DataSource() != source)
        DBGrid2->SetDataSource(source);
    TClientDataSet &lines = *source->DataSet();
    // No header: an empty detail, not the lines of the last one shown.
    const qint64 headerId = activeAndFilled(ListDataSet)
                                ? ListDataSet->FieldByName(QStringLiteral("ID"))->AsLargeInt()
                                : 0;
    lines.Close();
    lines.SetCommandText(DetailSql(headerId));
    lines.Open();
}

void TfrmComDczl::dsAfterScroll(TClientDataSet &DataSet)
{
    TfrmComJbzl::dsAfterScroll(DataSet);
    RefreshDetail();
}

void TfrmComDczl::FormClose()
{
    if (TDataSource *source = DetailSource(); source && DBGrid2->DataSource() == source) {
        DBGrid2->SetDataSource(nullptr);
        if (source->DataSet())
            source->DataSet()->Close();
    }
    TfrmComJbzl::FormClose();
}

// --- TfrmComDcrq -----------------------------------------------------------------------------

TfrmComDcrq::TfrmComDcrq(QWidget *parent)
    : TfrmComDczl(parent)
{
    aViewMode = AddFormAction(this, "aViewMode", QStringLiteral("按日期查看(&C)"),
                              QKeySequence(Qt::Key_F2), [this] { aViewModeExecute(); });
    aViewMode->setCheckable(true);
    aSetViewMode = AddFormAction(this, "aSetViewMode", QStringLiteral("日期设置(&S)"),
                                 QKeySequence(Qt::Key_F4), [this] { aSetViewModeExecute(); });
    aDefDate = AddFormAction(this, "aDefDate", QStringLiteral("默认日期范围"), {},
                             [this] { aDefDateExecute(); });
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(aViewMode);
    PopupMenu1->addAction(aSetViewMode);
    PopupMenu1->addAction(aDefDate);

    CheckBox1 = new QCheckBox(QStringLiteral("日期："), Panel1);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    auto newPicker = [this](const char *name) {
        auto *picker = new QDateEdit(Panel1);
        picker->setObjectName(QLatin1String(name));
        picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        picker->setCalendarPopup(true);
        // Enter reopens the list; the root form must not move the focus on instead.
        picker->setProperty("vzWantsReturn", true);
        picker->installEventFilter(this);
        connect(picker->calendarWidget(), &QCalendarWidget::clicked, this,
                [this] { Guarded([this] { pickersChanged(); }); });
        return picker;
    };
    dtpRqa = newPicker("dtpRqa");
    lblTo = new QLabel(QStringLiteral("至"), Panel1);
    lblTo->setObjectName(QStringLiteral("lblTo"));
    dtpRqb = newPicker("dtpRqb");
    CombSelectedDate = new QComboBox(Panel1);
    CombSelectedDate->setObjectName(QStringLiteral("CombSelectedDate"));
    CombSelectedDate->addItems(QuickDateChoices());

    auto *search = static_cast<QHBoxLayout *>(Panel1->layout());
    int at = search->indexOf(btnFind) + 1;
    for (QWidget *control :
         std::initializer_list<QWidget *>{CheckBox1, dtpRqa, lblTo, dtpRqb, CombSelectedDate})
        search->insertWidget(at++, control);

    const QDate today = QDate::currentDate();
    SetDateRange(monthOf(today));
    CheckBox1->setChecked(true);
    aViewMode->setChecked(true);
    enablePickers();
    connect(CheckBox1, &QCheckBox::toggled, this,
            [this] { Guarded([this] { dateCheckToggled(); }); });
    connect(CombSelectedDate, &QComboBox::activated, this,
            [this](int index) { Guarded([&] { quickDateChosen(index); }); });
}

void TfrmComDcrq::FormShow()
{
    // The workstation's default range, before the first opening.
    if (!ListDataSet)
        applyDefaultDates();
    TfrmComDczl::FormShow();
}

void TfrmComDcrq::SetDateRange(const TDateRange &range)
{
    dtpRqa->setDate(range.From);
    dtpRqb->setDate(range.To);
}

QString TfrmComDcrq::DateCondition() const
{
    if (!CheckBox1->isChecked())
        return {};
    return SQLDateRange(SessionInfo().DatabaseKind, true, dtpRqa->date(), dtpRqb->date())
        .replace(QStringLiteral("M."), QStringLiteral("Z."));
}

void TfrmComDcrq::enablePickers()
{
    const bool on = CheckBox1->isChecked();
    for (QWidget *control : std::initializer_list<QWidget *>{dtpRqa, lblTo, dtpRqb})
        control->setEnabled(on);
    aViewMode->setChecked(on);
    aSetViewMode->setEnabled(on);
}

void TfrmComDcrq::dateCheckToggled()
{
    enablePickers();
    OpenDataSet();
}

void TfrmComDcrq::quickDateChosen(int index)
{
    const std::optional<TDateRange> range =
        QuickDateRange(CombSelectedDate->itemText(index), QDate::currentDate());
    if (!range)
        return;
    SetDateRange(*range);
    OpenDataSet();
}

void TfrmComDcrq::aViewModeExecute()
{
    // The check box reopens and brings the action's mark along.
    CheckBox1->setChecked(!CheckBox1->isChecked());
}

void TfrmComDcrq::aSetViewModeExecute()
{
    if (!dtpRqa->isEnabled())
        return;
    if (dtpRqa->hasFocus())
        dtpRqb->setFocus();
    else
        dtpRqa->setFocus();
}

void TfrmComDcrq::applyDefaultDates()
{
    SetDateRange(DefaultDateRange(QDate::currentDate()));
    // "所有": the range is only where the pickers start; the list shows every date.
    const QSignalBlocker quiet(CheckBox1);
    CheckBox1->setChecked(DefaultDateChoice() != ddAll);
    enablePickers();
}

void TfrmComDcrq::aDefDateExecute()
{
    applyDefaultDates();
    OpenDataSet();
}

void TfrmComDcrq::pickersChanged()
{
    if (CheckBox1->isChecked())
        OpenDataSet();
}

bool TfrmComDcrq::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == dtpRqa || watched == dtpRqb) {
        switch (event->type()) {
        case QEvent::FocusIn:
            // Enter belongs to the picker while it has the focus, not to opening a document.
            if (m_modifyShortcut.isEmpty() && !aModify->shortcut().isEmpty()) {
                m_modifyShortcut = aModify->shortcut();
                if (m_modifyShortcut[0].key() == Qt::Key_Return ||
                    m_modifyShortcut[0].key() == Qt::Key_Enter)
                    aModify->setShortcut({});
                else
                    m_modifyShortcut = {};
            }
            break;
        case QEvent::FocusOut:
            if (!m_modifyShortcut.isEmpty()) {
                aModify->setShortcut(m_modifyShortcut);
                m_modifyShortcut = {};
            }
            break;
        default:
            if (isEnterKey(event)) {
                Guarded([this] { pickersChanged(); });
                return true;
            }
            break;
        }
    }
    return TfrmComDczl::eventFilter(watched, event);
}

// --- TfrmComDczb -----------------------------------------------------------------------------

TfrmComDczb::TfrmComDczb(QWidget *parent)
    : TfrmComDcrq(parent)
{
    aView = AddFormAction(this, "aView", QStringLiteral("查看(&V)"), {},
                          [this] { LoadEditForm(QStringLiteral("V")); });
    auto *view = NewToolButton(ToolBar1, QStringLiteral("btnView"));
    LinkButton(view, aView);
    auto *tools = static_cast<QHBoxLayout *>(ToolBar1->layout());
    tools->insertWidget(tools->indexOf(btnNew) + 1, view);
    PopupMenu1->insertAction(aDel, aView);
    // Documents are deleted from their list.
    aDel->setVisible(true);
    btnDel->setVisible(true);
}

void TfrmComDczb::ShowPendingAudits()
{
    m_pendingAudits = true;
    {
        const QSignalBlocker checkBox(CheckBox1);
        const QSignalBlocker tabs(TabStatus);
        CheckBox1->setChecked(false);
        TabStatus->setCurrentIndex(1);
    }
    enablePickers();
    OpenDataSet();
}

void TfrmComDczb::OpenDataSet()
{
    if (ListDataSet) {
        const QString levels = QString::number(FuncRight().AuditNum);
        QString where = QStringLiteral(" where 1=1 ") + KindCondition();
        if (m_pendingAudits)
            where += QStringLiteral(" and uFlag <>") + levels;
        else
            where += DateCondition() + StatusFilter;
        const QString text = RzBtnNo->text().trimmed();
        if (!text.isEmpty())
            where += QStringLiteral(" and Z.DJBH like ") + QuotedStr(text + QLatin1Char('%'));
        ListDataSet->SetCommandText(ListHeaderSql(where) + QStringLiteral(" order by Z.DJBH"));
    }
    TfrmComDcrq::OpenDataSet();
    if (ListDataSet && ListDataSet->Active()) {
        dropTextSums();
        RefreshDetail();
    }
}

void TfrmComDczb::dropTextSums()
{
    // Decoded texts may carry "SL" or "JE" in their names (aXSLX): only numbers are summed.
    TDBGridColumns &columns = DBGrid1->Columns();
    for (int i = 0; i < columns.Count(); ++i) {
        TColumnFooter &footer = columns[i]->Footer();
        const TField *field = columns[i]->Field();
        if (footer.ValueType() == fvtSum && field && !field->IsNumeric())
            footer.SetValueType(fvtNon);
    }
}

void TfrmComDczb::SetButton()
{
    TfrmComDcrq::SetButton();
    aView->setEnabled(aView->Tag() == 0 && activeAndFilled(ListDataSet));
}

void TfrmComDczb::LoadEditForm(const QString &Mode)
{
    std::unique_ptr<TfrmComDj> form(CreateDocumentForm());
    if (!form)
        return;
    if (!BillType().isEmpty())
        form->SetBillType(BillType());
    form->FOpenMode = Mode;
    form->ShowModal();
    form.reset();
    SetButton();
    if (ListDataSet && ListDataSet->Active())
        dsAfterScroll(*ListDataSet);
}

void TfrmComDczb::aDelExecute()
{
    if (!activeAndFilled(ListDataSet))
        return;
    TClientDataSet &list = *ListDataSet;
    if (list.FieldByName(QStringLiteral("uFlag"))->AsInteger() > 0) {
        MessageBox(AuditedText, HintCaption, TMsgIcon::Warning);
        return;
    }
    if (HeaderTableName.isEmpty()) {
        MessageBox(QStringLiteral("没有设置主表表名，不能删除！"), HintCaption, TMsgIcon::Warning);
        return;
    }
    if (DetailTableName.isEmpty()) {
        MessageBox(QStringLiteral("没有设置明细表表名，不能删除！"), HintCaption,
                   TMsgIcon::Warning);
        return;
    }
    if (MessageBox(QStringLiteral("确实要删除吗？"), QStringLiteral("确认"), TMsgIcon::Information,
                   TMsgButtons::YesNo) != mrYes)
        return;

    // Lines and header go together, and only while no clerk has audited the document since
    // the list read it.
    const QString id = QString::number(list.FieldByName(QStringLiteral("ID"))->AsLargeInt());
    const QString number = list.FieldByName(QStringLiteral("DJBH"))->AsString();
    TAtomicRequest request;
    request.Execute(QStringLiteral("Delete from ") + DetailTableName +
                    QStringLiteral(" where ZBID =") + id);
    request.Execute(QStringLiteral("Delete from ") + HeaderTableName +
                        QStringLiteral(" where DJBH =") + QuotedStr(number) +
                        QStringLiteral(" and (uFlag = 0 or uFlag is null)"),
                    1);
    request.Execute(DocumentLogSQL(TDocOperation::Delete, number));
    const TAtomicResult result = request.Send();
    if (!result.Ok) {
        if (result.ErrorCode == QLatin1String("conflict"))
            MessageBox(AuditedText, HintCaption, TMsgIcon::Warning);
        else
            MessageBox(QStringLiteral("删除失败：") + result.Message, HintCaption, TMsgIcon::Error);
        return;
    }
    list.Delete();
    list.MergeChangeLog();
    SetButton();
    RefreshDetail();
}

// --- TfrmComDclbzb ---------------------------------------------------------------------------

TfrmComDclbzb::TfrmComDclbzb(QWidget *parent)
    : TfrmComDczb(parent)
{
    btnList = NewToolButton(ToolBar1, QStringLiteral("btnList"));
    btnList->setText(QStringLiteral(" 列表 "));
    auto *tools = static_cast<QHBoxLayout *>(ToolBar1->layout());
    tools->insertWidget(tools->indexOf(btnDetail) + 1, btnList);
    // The whole list again: the search text goes.
    connect(btnList, &QToolButton::clicked, this, [this] {
        Guarded([this] {
            RzBtnNo->clear();
            OpenDataSet();
        });
    });
}

void TfrmComDclbzb::FormCreate()
{
    TfrmComDczb::FormCreate();
    DBGrid1->SetFooterRowCount(1);
    DBGrid1->SetFooterColor(DelphiColor(clFooterColor));
}

void TfrmComDclbzb::aSearchExecute()
{
    TfrmComDczb::aSearchExecute();
    if (!ListDataSet || !ListDataSet->Active())
        return;
    const QVariant found = ListDataSet->IsEmpty()
                               ? QVariant()
                               : ListDataSet->FieldByName(QStringLiteral("ID"))->Value();
    OpenDataSet();
    if (found.isValid() && !found.isNull())
        ListDataSet->Locate(QStringLiteral("ID"), found);
}
