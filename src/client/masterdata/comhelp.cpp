// The generic picker.
#include "client/masterdata/comhelp.h"

#include "client/common/sqltext.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/forms/checkreferenced.h"
#include "client/forms/comedit.h"
#include "client/widgets/dbgrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const char HintProperty[] = "vzHint";

// A pause in typing this long searches as Enter would.
constexpr int TypingPauseMs = 250;

QPushButton *button(QWidget *parent, const char *name, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

QString textOf(const QWidget *box)
{
    if (const auto *edit = qobject_cast<const QLineEdit *>(box))
        return edit->text();
    if (const auto *combo = qobject_cast<const QComboBox *>(box))
        return combo->currentText();
    return {};
}

} // namespace

TfrmComHelp::TfrmComHelp(QWidget *parent)
    : TFrmRoot(parent)
{
    setObjectName(QStringLiteral("frmComHelp"));
    setWindowTitle(QStringLiteral("选择客户"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);

    // The search boxes sit directly on the form, where the hint walk looks for them.
    m_searchRow = new QHBoxLayout;
    Label1 = new QLabel(QStringLiteral("编号"), this);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Label2 = new QLabel(QStringLiteral("名称"), this);
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    CbItem = new QCheckBox(QStringLiteral("显示全部货品"), this);
    CbItem->setObjectName(QStringLiteral("CbItem"));
    CbItem->hide();
    btnFind = button(this, "btnFind", QStringLiteral("查找"));
    m_searchRow->addWidget(Label1);
    m_searchRow->addWidget(Edit1, 1);
    m_searchRow->addWidget(Label2);
    m_searchRow->addWidget(Edit2, 1);
    m_searchRow->addWidget(CbItem);
    m_searchRow->addWidget(btnFind);
    layout->addLayout(m_searchRow);

    DBGrid1 = new TDBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->SetReadOnly(true);
    DBGrid1->SetOptions(dgTitles | dgIndicator | dgColumnResize | dgColLines | dgRowLines |
                        dgRowSelect | dgAlwaysShowSelection);
    DBGrid1->SetRowHeight(20);
    DBGrid1->SetFooterRowCount(1);
    DBGrid1->OnDblClick = [this](TDBGrid &) {
        Guarded([this] { DBGrid1DblClick(); });
    };
    layout->addWidget(DBGrid1, 1);

    m_buttonRow = new QHBoxLayout;
    btnNew = button(this, "btnNew", QStringLiteral("增加(&A)"));
    btnModify = button(this, "btnModify", QStringLiteral("修改(&E)"));
    btnDel = button(this, "btnDel", QStringLiteral("删除(&D)"));
    btnSetColumn = button(this, "btnSetColumn", QStringLiteral("栏目布局"));
    btnSetColumn->hide();
    btnOk = button(this, "btnOk", QStringLiteral("选中退出"));
    btnCancel = button(this, "btnCancel", QStringLiteral("取消"));
    for (QPushButton *b : {btnNew, btnModify, btnDel, btnSetColumn})
        m_buttonRow->addWidget(b);
    m_buttonRow->addStretch(1);
    m_buttonRow->addWidget(btnOk);
    m_buttonRow->addWidget(btnCancel);
    layout->addLayout(m_buttonRow);

    connect(btnFind, &QPushButton::clicked, this, [this] { Guarded([this] { Search(); }); });
    connect(btnOk, &QPushButton::clicked, this, [this] { Guarded([this] { btnOkClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
    connect(btnNew, &QPushButton::clicked, this, [this] { Guarded([this] { btnNewClick(); }); });
    connect(btnModify, &QPushButton::clicked, this,
            [this] { Guarded([this] { btnModifyClick(); }); });
    connect(btnDel, &QPushButton::clicked, this, [this] { Guarded([this] { btnDelClick(); }); });

    m_typingTimer.setSingleShot(true);
    m_typingTimer.setInterval(TypingPauseMs);
    connect(&m_typingTimer, &QTimer::timeout, this, [this] { Guarded([this] { Search(); }); });

    SetHint(Edit1, QStringLiteral("%K.BH"));
    SetHint(Edit2, QStringLiteral("%K.MC"));
    btnOk->setEnabled(false);
    resize(640, 420);
}

TfrmComHelp::~TfrmComHelp()
{
    restoreDataSet();
}

void TfrmComHelp::SetHint(QWidget *control, const QString &hint)
{
    control->setProperty(HintProperty, hint);
}

QString TfrmComHelp::HintOf(const QWidget *control)
{
    return control->property(HintProperty).toString();
}

QString TfrmComHelp::FilterPart(const QString &hint, const QString &text)
{
    if (hint.isEmpty() || text.isEmpty())
        return {};
    const bool contains = hint.startsWith(QLatin1Char('%'));
    const QString column = contains ? hint.mid(1) : hint;
    return QStringLiteral(" and ") + column + QStringLiteral(" like ") +
           QuotedStr((contains ? QStringLiteral("%") : QString()) + text + QLatin1Char('%'));
}

QString TfrmComHelp::AndFilter(const QString &filter)
{
    const QString trimmed = filter.trimmed();
    if (trimmed.isEmpty())
        return {};
    if (trimmed.startsWith(QLatin1String("and "), Qt::CaseInsensitive))
        return QLatin1Char(' ') + trimmed + QLatin1Char(' ');
    return QStringLiteral(" and ") + trimmed + QLatin1Char(' ');
}

QList<QWidget *> TfrmComHelp::SearchBoxes() const
{
    QList<QWidget *> boxes;
    const QList<QWidget *> children = findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *child : children) {
        if ((qobject_cast<QLineEdit *>(child) || qobject_cast<QComboBox *>(child)) &&
            !HintOf(child).isEmpty())
            boxes.append(child);
    }
    return boxes;
}

void TfrmComHelp::SetHelpDataSource(TDataSource *source)
{
    DBGrid1->SetDataSource(source);
}

void TfrmComHelp::FormShow()
{
    TFrmRoot::FormShow();
    if (m_bound)
        return;
    TDataSource *source = DBGrid1->DataSource();
    HelpDataSet = source ? source->DataSet() : nullptr;
    if (!HelpDataSet) {
        MessageBox(QStringLiteral("没有设置数据集！"), QStringLiteral("出错提示"), TMsgIcon::Error);
        return;
    }
    WasActive = HelpDataSet->Active();
    m_savedCommandText = HelpDataSet->CommandText();
    m_savedEvents = HelpDataSet->Events();
    HelpDataSet->AfterOpen = [this](TClientDataSet &ds) {
        dsAfterOpen(ds);
    };
    HelpDataSet->AfterScroll = [this](TClientDataSet &ds) {
        dsAfterScroll(ds);
    };
    m_bound = true;
    for (QWidget *box : SearchBoxes()) {
        // Enter searches or takes the row; the root form must not move the focus on.
        box->setProperty("vzWantsReturn", true);
        if (auto *edit = qobject_cast<QLineEdit *>(box)) {
            connect(edit, &QLineEdit::returnPressed, this,
                    [this] { Guarded([this] { enterInSearchBox(); }); });
            connect(edit, &QLineEdit::textEdited, this, [this] { searchTextEdited(); });
        }
    }
    const bool editable = HasEditForm();
    btnNew->setVisible(editable);
    btnModify->setVisible(editable);
    btnDel->setVisible(editable);
    SetFilter();
    OpenDataSet();
    if (Edit1->isVisible())
        Edit1->setFocus();
}

void TfrmComHelp::showEvent(QShowEvent *event)
{
    TFrmRoot::showEvent(event);
    if (m_placed)
        return;
    m_placed = true;
    // At the left edge, its bottom just above the bottom of the main window.
    QWidget *main = parentWidget() ? parentWidget()->window() : nullptr;
    int bottom = 0;
    if (main && main->isVisible())
        bottom = main->frameGeometry().bottom() - 4;
    else if (QScreen *screen = QApplication::primaryScreen())
        bottom = screen->availableGeometry().bottom() - 4;
    const int left = QApplication::primaryScreen()
                         ? QApplication::primaryScreen()->availableGeometry().left()
                         : 0;
    move(left, qMax(0, bottom - frameGeometry().height()));
}

void TfrmComHelp::OpenDataSet()
{
    SetParam();
    OpenData();
    m_searchedText.clear();
    for (const QWidget *box : SearchBoxes())
        m_searchedText += textOf(box) + QLatin1Char('\n');
}

void TfrmComHelp::OpenData()
{
    if (!HelpDataSet)
        return;
    HelpDataSet->Close();
    HelpDataSet->SetCommandText(
        QStringLiteral(" select K.*,D.MC as aDQMC,K.QMJE-K.YXJE as aSJJE  from KH K inner join DQ "
                       "D on K.DQID=D.ID  where 1=1 and not K.ZT  ") +
        FilterText + QStringLiteral(" order by K.BH"));
    HelpDataSet->Open();
}

void TfrmComHelp::SetFilter()
{
    THourGlass hourGlass;
    QString filter = GetFilter();
    for (const QWidget *box : SearchBoxes())
        filter += FilterPart(HintOf(box), textOf(box).trimmed());
    FilterText = filter;
}

void TfrmComHelp::Search()
{
    m_typingTimer.stop();
    SetFilter();
    OpenDataSet();
}

void TfrmComHelp::searchTextEdited()
{
    m_typingTimer.start();
}

void TfrmComHelp::enterInSearchBox()
{
    QString texts;
    for (const QWidget *box : SearchBoxes())
        texts += textOf(box) + QLatin1Char('\n');
    // Enter on the result of what is typed takes the row; on new text it searches first.
    if (texts == m_searchedText && !m_typingTimer.isActive() && btnOk->isEnabled()) {
        btnOkClick();
        return;
    }
    Search();
}

void TfrmComHelp::dsAfterOpen(TClientDataSet &DataSet)
{
    Q_UNUSED(DataSet);
    updateOk();
}

void TfrmComHelp::updateOk()
{
    btnOk->setEnabled(HelpDataSet && HelpDataSet->Active() && !HelpDataSet->IsEmpty());
}

void TfrmComHelp::CopyToTarget()
{
    TClientDataSet &target = *TargetDataSet;
    TClientDataSet &source = *HelpDataSet;
    if (target.State() != dsEdit && target.State() != dsInsert)
        target.Edit();
    if (!TargetFields.isEmpty()) {
        const QStringList targets = TargetFields.split(QLatin1Char(';'));
        const QStringList sources = SourceFields.split(QLatin1Char(';'));
        for (int i = 0; i < targets.size(); ++i) {
            const QString targetName = targets[i].trimmed();
            if (targetName.isEmpty())
                continue;
            QString sourceName = i < sources.size() ? sources[i].trimmed() : QString();
            if (sourceName.isEmpty())
                sourceName = targetName;
            TField *to = target.FieldByName(targetName);
            const QString text = source.FieldByName(sourceName)->AsString();
            if (to->AsString() != text)
                to->SetText(text);
        }
        return;
    }
    for (int i = 0; i < source.FieldCount(); ++i) {
        const TField *from = source.Fields(i);
        TField *to = target.FindField(from->FieldName());
        if (to && to->FieldKind() != fkCalculated && to->FieldKind() != fkInternalCalc)
            to->SetText(from->AsString());
    }
}

void TfrmComHelp::btnOkClick()
{
    if (!btnOk->isEnabled() || !HelpDataSet)
        return;
    if (TargetDataSet)
        CopyToTarget();
    Selected = true;
    for (const auto &[name, result] :
         {std::pair{"ID", &ResultID}, std::pair{"MC", &ResultMC}, std::pair{"BH", &ResultBH}}) {
        if (const TField *field = HelpDataSet->FindField(QLatin1String(name)))
            *result = field->AsString();
    }
    SetModalResult(mrOk);
}

void TfrmComHelp::DBGrid1DblClick()
{
    btnOkClick();
}

void TfrmComHelp::btnNewClick()
{
    LoadEditForm(QStringLiteral("A"));
}

void TfrmComHelp::btnModifyClick()
{
    if (!HelpDataSet || HelpDataSet->IsEmpty())
        return;
    LoadEditForm(QStringLiteral("M"));
}

void TfrmComHelp::LoadEditForm(const QString &Mode)
{
    std::unique_ptr<TfrmComEdit> form(CreateEditForm());
    if (!form)
        return;
    form->DoCreate();
    form->EditMode = Mode;
    form->EditDataSource = DBGrid1->DataSource();
    form->ShowModal();
    form.reset();
    updateOk();
    Edit1->setFocus();
}

void TfrmComHelp::btnDelClick()
{
    if (!HelpDataSet || !HelpDataSet->Active() || HelpDataSet->IsEmpty())
        return;
    if (MessageBox(QStringLiteral("确定要删除此项资料吗?"), QStringLiteral("资料删除"),
                   TMsgIcon::Question, TMsgButtons::YesNo, mrNo) != mrYes)
        return;
    const QString kind = ReferenceKind();
    if (!kind.isEmpty() &&
        CheckReferenced(kind, HelpDataSet->FieldByName(QStringLiteral("ID"))->AsString()))
        return;
    HelpDataSet->Delete();
    // A row the server refused to delete stays, in the grid as on the server.
    if (HelpDataSet->ApplyUpdates(0) > 0 || HelpDataSet->ChangeCount() > 0)
        HelpDataSet->CancelUpdates();
    updateOk();
}

void TfrmComHelp::FormKeyDown(int &Key, Qt::KeyboardModifiers Shift)
{
    if (Shift == Qt::ControlModifier && (Key == Qt::Key_Left || Key == Qt::Key_Right)) {
        DBGrid1->ScrollColumns(Key == Qt::Key_Left ? -1 : 1);
        Key = 0;
        return;
    }
    if ((Key == Qt::Key_Return || Key == Qt::Key_Enter) &&
        (Shift == Qt::ControlModifier || Shift == Qt::ShiftModifier)) {
        QWidget *focus = focusWidget();
        if (focus) {
            QWidget *next = Shift == Qt::ShiftModifier ? focus->previousInFocusChain()
                                                       : focus->nextInFocusChain();
            if (next)
                next->setFocus(Shift == Qt::ShiftModifier ? Qt::BacktabFocusReason
                                                          : Qt::TabFocusReason);
        }
        Key = 0;
        return;
    }
    if (Shift != Qt::NoModifier || !HelpDataSet || !HelpDataSet->Active())
        return;
    // The grid moves while the search box keeps the focus.
    QWidget *focus = focusWidget();
    if (focus && (focus == DBGrid1 || DBGrid1->isAncestorOf(focus)))
        return;
    const int page = qMax(1, DBGrid1->View()->viewport()->height() /
                                 qMax(1, DBGrid1->View()->verticalHeader()->defaultSectionSize()));
    switch (Key) {
    case Qt::Key_Up:
        HelpDataSet->Prior();
        break;
    case Qt::Key_Down:
        HelpDataSet->Next();
        break;
    case Qt::Key_PageUp:
        HelpDataSet->MoveBy(-page);
        break;
    case Qt::Key_PageDown:
        HelpDataSet->MoveBy(page);
        break;
    case Qt::Key_Home:
        if (qobject_cast<QLineEdit *>(focus))
            return; // Home and End stay the edit's own keys
        HelpDataSet->First();
        break;
    case Qt::Key_End:
        if (qobject_cast<QLineEdit *>(focus))
            return;
        HelpDataSet->Last();
        break;
    default:
        return;
    }
    Key = 0;
}

void TfrmComHelp::restoreDataSet()
{
    if (!m_bound || !HelpDataSet)
        return;
    m_bound = false;
    HelpDataSet->Events() = m_savedEvents;
    HelpDataSet->Close();
    HelpDataSet->SetCommandText(m_savedCommandText);
    if (WasActive)
        Guarded([this] { HelpDataSet->Open(); });
}

void TfrmComHelp::FormClose()
{
    m_typingTimer.stop();
    restoreDataSet();
    TFrmRoot::FormClose();
}
