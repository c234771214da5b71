// The settlement documents: the line list built from the open credit documents, the balance
// figures, the automatic allocation and the bookkeeping of the final audit.
#include "client/documents/settlement.h"

#include "client/common/valueroutines.h"
#include "client/data/fields.h"
#include "client/data/formats.h"
#include "client/data/serveraccess.h"
#include "client/documents/allocation.h"
#include "client/documents/docview.h"
#include "client/documents/recordinfo.h"
#include "client/forms/globalobj.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dblookupcombo.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QToolButton>

namespace {

const QString NumberFormat = QStringLiteral("#,0.00");

bool named(const TField *field, const char *name)
{
    return field && field->FieldName().compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

bool editing(const TClientDataSet *dataSet)
{
    return dataSet && (dataSet->State() == dsEdit || dataSet->State() == dsInsert);
}

QString money(double value)
{
    return QString::number(RoundTo(value, 2), 'f', 2);
}

// The company's last audit level, at which documents are booked.
int finalLevel()
{
    return qMax(1, FuncRight().AuditNum);
}

// Audited to the final level: the settled amounts are booked.
bool isBooked(int auditLevel)
{
    return auditLevel >= finalLevel();
}

bool sameCents(double a, double b)
{
    return RoundTo(a, 2) == RoundTo(b, 2);
}

double shownAmount(const QLabel *label)
{
    return label ? QString(label->text()).remove(QLatin1Char(',')).toDouble() : 0;
}

// Sets a flag for the lifetime of the object, however the scope ends.
class TFlagGuard
{
public:
    explicit TFlagGuard(bool &flag)
        : m_flag(flag)
        , m_old(flag)
    {
        m_flag = true;
    }
    ~TFlagGuard() { m_flag = m_old; }
    TFlagGuard(const TFlagGuard &) = delete;
    TFlagGuard &operator=(const TFlagGuard &) = delete;

private:
    bool &m_flag;
    bool m_old;
};

} // namespace

TfrmSettlement::TfrmSettlement(const TSettlementType &type, QWidget *parent)
    : TTradeDocument(type.FormName, QString::fromUtf8(type.Caption), type.Trade, parent)
    , m_type(type)
{
    const QString verb = QString::fromUtf8(type.Verb);
    const QString paid = QStringLiteral("已") + verb.left(1) + QStringLiteral("金额");
    const QString open = QStringLiteral("未") + verb.left(1) + QStringLiteral("金额");
    const QByteArray paidTitle = paid.toUtf8();
    const QByteArray openTitle = open.toUtf8();
    const QByteArray thisTitle = (QStringLiteral("本次") + verb).toUtf8();
    AddColumns(DBGrid1, {{"aDDBH", type.SettledColumnTitle, 120},
                         {type.DateColumn, type.DateColumnTitle, 90},
                         {"aDDJE", "单据金额", 110},
                         {type.PaidColumn, paidTitle.constData(), 110},
                         {type.OpenColumn, openTitle.constData(), 110},
                         {"JE", thisTitle.constData(), 110}});
    for (int i = 0; i + 1 < DBGrid1->Columns().Count(); ++i)
        DBGrid1->Columns()[i]->SetReadOnly(true);

    buildHeader();
    buildHintPanel();
    buildActions();
}

void TfrmSettlement::buildHeader()
{
    const QString verb = QString::fromUtf8(m_type.Verb);
    PlacePartner();
    DBComboFKLX = NewControl<TDBComboBox>("DBComboFKLX", "aFKLX");
    DBComboFKLX->SetItems(
        {QString::fromUtf8(m_type.Receivable), QString::fromUtf8(m_type.Advance)});
    DBComboFKLX->SetStyle(TDBComboBox::csDropDownList);
    PlaceHeader(verb + QStringLiteral("类型:"), DBComboFKLX);

    NewHeaderRow();
    DBLookupSFKFS = NewLookupBox("DBLookupSFKFS", "SFKFSID", TData::idSfkfs);
    PlaceHeader(verb + QStringLiteral("方式:"), DBLookupSFKFS);
    DBEditPH = NewControl<TDBEdit>("DBEditPH", "PH");
    PlaceHeader(QStringLiteral("票    号:"), DBEditPH);
    DBEditJE = NewControl<TDBEdit>("DBEditJE", "JE");
    PlaceHeader(verb + QStringLiteral("金额:"), DBEditJE);

    NewHeaderRow();
    DBLookupZH = NewLookupBox("DBLookupZH", "ZHID", TData::idZh);
    PlaceHeader(QString::fromUtf8(m_type.AccountCaption), DBLookupZH);
    DBCheckSYJY = NewControl<TDBCheckBox>("DBCheckSYJY", "SYJY");
    DBCheckSYJY->setText(QStringLiteral("使用结余款"));
    PlaceHeader(QString(), DBCheckSYJY);
    PlaceRemark();
}

void TfrmSettlement::buildHintPanel()
{
    const QString verb = QString::fromUtf8(m_type.Verb);
    const QString advance = QString::fromUtf8(m_type.Advance);
    pnlTs = new TPanel(this);
    pnlTs->setObjectName(QStringLiteral("pnlTs"));
    pnlTs->SetBevel(TPanel::bvRaised);
    auto *row = new QHBoxLayout(pnlTs);
    row->setContentsMargins(8, 4, 4, 4);
    auto *figures = new QGridLayout;
    figures->setHorizontalSpacing(6);
    const auto figure = [&](int line, const QString &caption, const QString &name) {
        auto *value = new QLabel(QStringLiteral("0.00"), pnlTs);
        value->setObjectName(name);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setMinimumWidth(110);
        figures->addWidget(new QLabel(caption, pnlTs), line, 0);
        figures->addWidget(value, line, 1);
        return value;
    };
    labJYJ = figure(0, QStringLiteral("结余款(含") + advance + QStringLiteral("):"),
                    QStringLiteral("labJYJ"));
    labKYZJE = figure(1, QStringLiteral("可用总金额:"), QStringLiteral("labKYZJE"));
    labRemaining =
        figure(2, verb + QStringLiteral("后余额:"), QString::fromUtf8(m_type.RemainingLabel));
    row->addLayout(figures);
    row->addSpacing(24);
    auto *formulas = new QVBoxLayout;
    formulas->addStretch(1);
    formulas->addWidget(new QLabel(QStringLiteral("可用总金额 = ") + verb +
                                       QStringLiteral("金额 + 结余款(含") + advance +
                                       QStringLiteral(")"),
                                   pnlTs));
    formulas->addWidget(new QLabel(verb + QStringLiteral("后余额 = 可用总金额 - ") + verb +
                                       QStringLiteral("总额（本次") + verb +
                                       QStringLiteral("合计）"),
                                   pnlTs));
    formulas->addStretch(1);
    row->addLayout(formulas);
    row->addStretch(1);
    for (const auto &[name, caption] :
         {std::pair{"btnTsClose", "关闭"}, std::pair{"btnTsX", "X"}}) {
        QToolButton *button = NewToolButton(pnlTs, QLatin1String(name));
        button->setText(QString::fromUtf8(caption));
        connect(button, &QToolButton::clicked, pnlTs, &QWidget::hide);
        row->addWidget(button, 0, Qt::AlignTop);
    }
    auto *root = static_cast<QBoxLayout *>(layout());
    root->insertWidget(root->indexOf(DBGrid1) + 1, pnlTs);
}

void TfrmSettlement::buildActions()
{
    const QString verb = QString::fromUtf8(m_type.Verb);
    const auto action = [this](const char *name, const QString &caption,
                               void (TfrmSettlement::*handler)()) {
        return AddFormAction(this, name, caption, {}, [this, handler] { (this->*handler)(); });
    };
    aZdfk = action("aZdfk", QStringLiteral("自动") + verb + QStringLiteral("(所有)"),
                   &TfrmSettlement::AllocateAll);
    aZdfkB = action("aZdfkB", QString::fromUtf8(m_type.AllocateCurrent),
                    &TfrmSettlement::AllocateCurrent);
    aCKGJD = action("aCKGJD", QString::fromUtf8(m_type.ViewSettled), &TfrmSettlement::OpenSettled);
    aTs = action("aTs", QStringLiteral("说明..."), &TfrmSettlement::ShowHints);

    // The type's tools go before the closing button.
    auto *tools = static_cast<QBoxLayout *>(ToolBar1->layout());
    int at = tools->indexOf(btnPreview) - 1;
    const auto tool = [&](const char *name, QAction *linked, const QString &caption) {
        QToolButton *button = NewToolButton(ToolBar1, QLatin1String(name));
        LinkButton(button, linked, caption);
        tools->insertWidget(at++, button);
    };
    tool("btnZdfk", aZdfk, verb + QStringLiteral("(所有)"));
    tool("btnZdfkB", aZdfkB, verb + QStringLiteral("(当前)"));
    tool("btnCKGJD", aCKGJD, QString(aCKGJD->text()).remove(QStringLiteral("(&H)")));
    if (aKhXx)
        tool("btnKhXx", aKhXx, QStringLiteral("客户资料"));
    tool("btnTs", aTs, QStringLiteral("说明"));

    PopupMenu1->addSeparator();
    PopupMenu1->addAction(aCKGJD);
    PopupMenu1->addAction(aZdfkB);
    // Lines come only from the open documents.
    for (QAction *generic : {static_cast<QAction *>(aInsert), static_cast<QAction *>(aDelete),
                             pmnInsert, pmnInsert1, pmnDelete})
        generic->setVisible(false);
}

QString TfrmSettlement::LinesSql(qint64 headerId) const
{
    // A stored receipt's own amounts are in its documents' paid amounts only once booked.
    const QString share = bookedShare(headerId) ? QStringLiteral("M.JE") : QStringLiteral("0");
    return QStringLiteral("select M.*, D.DJBH as aDDBH, %1 as %2, D.JE as aDDJE, D.%3 - %4 as "
                          "%5, D.JE - D.%3 + %4 as %6 from %7 M, %8 D, M inner join D on "
                          "M.DDID=D.ID where M.ZBID = %9 order by M.HH")
        .arg(dateSql(QStringLiteral("D")), QLatin1String(m_type.DateColumn),
             QLatin1String(m_type.PaidField), share, QLatin1String(m_type.PaidColumn),
             QLatin1String(m_type.OpenColumn), strMxDetailTables,
             QLatin1String(m_type.SettledTable), QString::number(headerId));
}

QString TfrmSettlement::dateSql(const QString &alias) const
{
    QString date = alias + QStringLiteral(".RQ");
    if (m_type.CreditDaysField)
        date += QStringLiteral(" + ") + alias + QLatin1Char('.') +
                QLatin1String(m_type.CreditDaysField);
    return date;
}

int TfrmSettlement::bookedShare(qint64 headerId) const
{
    // The header on screen is the one whose lines are read: its level is at hand.
    return headerId != 0 && headerId == ZbInteger("ID") && isBooked(int(ZbInteger("uFlag"))) ? 1
                                                                                             : 0;
}

void TfrmSettlement::FormShow()
{
    if (!ZbDataSet()) {
        strMxMustFields = QStringLiteral("DDID");
        strMxHelpFields = QStringLiteral("DDID");
        bLinesTotalToHeader = false;
    }
    TTradeDocument::FormShow();
    if (TField *amount = ZbDataSet()->FindField(QStringLiteral("JE")))
        amount->SetDisplayFormat(NumberFormat);
    ShowBalance();
    SetButton();
}

void TfrmSettlement::IniRecord()
{
    TTradeDocument::IniRecord();
    if (TField *amount = MxDataSet()->FindField(QStringLiteral("JE")))
        amount->SetDisplayFormat(NumberFormat);
    for (const char *name : {"aDDJE", m_type.PaidColumn, m_type.OpenColumn})
        if (TField *field = MxDataSet()->FindField(QLatin1String(name)))
            field->SetDisplayFormat(NumberFormat);
    syncBalanceBox();
    ShowBalance();
}

void TfrmSettlement::ZbOnNewRecord(TClientDataSet &DataSet)
{
    TFlagGuard filling(m_filling);
    TTradeDocument::ZbOnNewRecord(DataSet);
    const auto set = [&DataSet](const char *name, const QVariant &value) {
        if (TField *field = DataSet.FindField(QLatin1String(name)))
            field->SetValue(value);
    };
    set("RQ", ServerNow().date());
    set("FKLX", 1);
    set("aFKLX", QString::fromUtf8(m_type.Receivable));
    set("CZY", FuncRight().UserName);
    TClientDataSet &methods = Data().Sfkfs();
    if (!methods.Active())
        methods.Open();
    if (!methods.IsEmpty())
        set("SFKFSID", methods.FieldByName(QStringLiteral("ID"))->Value());
    set("SYJY", false);
    set("JE", 0);
    set("JEA", 0);
}

void TfrmSettlement::ZbBeforePost(TClientDataSet &DataSet)
{
    // The money that moved through the account is the amount received or paid.
    if (TField *amount = DataSet.FindField(QStringLiteral("JE"))) {
        amount->SetAsFloat(RoundTo(amount->AsFloat(), 2));
        if (TField *moved = DataSet.FindField(QStringLiteral("FKJE")))
            moved->SetAsFloat(amount->AsFloat());
    }
    TTradeDocument::ZbBeforePost(DataSet);
}

void TfrmSettlement::sZbDataChange(TDataSource &Sender, TField *Field)
{
    TTradeDocument::sZbDataChange(Sender, Field);
    if (!Field || m_filling)
        return;
    if (named(Field, "aFKLX")) {
        if (editing(ZbDataSet()))
            LoadOpenBills();
    } else if (named(Field, m_type.PartnerKey)) {
        // Another partner has other open documents: the list follows the partner.
        if (!editing(ZbDataSet()))
            return;
        const QVariant balance =
            QueryValue(QStringLiteral("select YXJE from ") + QLatin1String(m_type.PartnerTable) +
                       QStringLiteral(" where ID = ") + QString::number(Field->AsLargeInt()));
        {
            TFlagGuard filling(m_filling);
            SetZbValue("JEA", RoundTo(balance, 2));
        }
        LoadOpenBills();
    } else if (named(Field, "JE") || named(Field, "SYJY") || named(Field, "JEA")) {
        ShowBalance();
    }
}

void TfrmSettlement::sMxDataChange(TDataSource &Sender, TField *Field)
{
    TTradeDocument::sMxDataChange(Sender, Field);
    if (!Field || m_filling)
        return;
    if (named(Field, "DDID") && editing(MxDataSet()))
        fillSettledFields();
    else if (named(Field, "JE"))
        ShowBalance();
}

void TfrmSettlement::fillSettledFields()
{
    TClientDataSet &lines = *MxDataSet();
    TTmpDataSet settled;
    settled->SetCommandText(
        QStringLiteral("select * from ") + QLatin1String(m_type.SettledTable) +
        QStringLiteral(" where ID = ") +
        QString::number(lines.FieldByName(QStringLiteral("DDID"))->AsLargeInt()));
    settled->Open();
    if (settled->IsEmpty())
        return;
    const double amount = RoundTo(settled->FieldByName(QStringLiteral("JE"))->AsFloat(), 2);
    const double paid =
        RoundTo(settled->FieldByName(QLatin1String(m_type.PaidField))->AsFloat(), 2);
    QDate date = settled->FieldByName(QStringLiteral("RQ"))->AsDate();
    if (m_type.CreditDaysField)
        date = date.addDays(
            qRound(settled->FieldByName(QLatin1String(m_type.CreditDaysField))->AsFloat()));
    lines.FieldByName(QStringLiteral("aDDBH"))
        ->SetAsString(settled->FieldByName(QStringLiteral("DJBH"))->AsString());
    lines.FieldByName(QLatin1String(m_type.DateColumn))->SetAsDate(date);
    lines.FieldByName(QStringLiteral("aDDJE"))->SetAsFloat(amount);
    lines.FieldByName(QLatin1String(m_type.PaidColumn))->SetAsFloat(paid);
    lines.FieldByName(QLatin1String(m_type.OpenColumn))->SetAsFloat(RoundTo(amount - paid, 2));
}

void TfrmSettlement::MxBeforeInsert(TClientDataSet &DataSet)
{
    if (!m_filling)
        Abort();
    TTradeDocument::MxBeforeInsert(DataSet);
}

void TfrmSettlement::MxAfterPost(TClientDataSet &DataSet)
{
    // The buttons follow once the form has written all its lines.
    if (m_filling) {
        SetCanSave(true);
        return;
    }
    TTradeDocument::MxAfterPost(DataSet);
}

void TfrmSettlement::SetButton()
{
    if (m_filling)
        return;
    TTradeDocument::SetButton();
    if (!aZdfk)
        return;
    const bool canAllocate = editable() && !isAdvance() && LineCount() > 0;
    aZdfk->setEnabled(canAllocate);
    aZdfkB->setEnabled(canAllocate);
    aCKGJD->setEnabled(LineCount() > 0);
    if (aKhXx)
        aKhXx->setEnabled(ZbInteger(m_type.PartnerKey) != 0);
}

void TfrmSettlement::SetModify(QWidget *container, bool editable)
{
    TTradeDocument::SetModify(container, editable);
    if (container == Panel3)
        syncBalanceBox();
}

void TfrmSettlement::syncBalanceBox()
{
    // Editable with the rest of the header, except for an advance.
    if (DBCheckSYJY)
        DBCheckSYJY->setEnabled(DBEditJE->isEnabledTo(Panel3) && !isAdvance());
}

bool TfrmSettlement::editable() const
{
    const TClientDataSet *lines = MxDataSet();
    return lines && lines->Active() && !lines->ReadOnly() && FOpenMode != QLatin1String("V") &&
           ZbInteger("uFlag") == 0;
}

bool TfrmSettlement::isAdvance() const
{
    return ZbValue("aFKLX").toString().trimmed() == QString::fromUtf8(m_type.Advance);
}

int TfrmSettlement::LineCount() const
{
    const TClientDataSet *lines = MxDataSet();
    return lines && lines->Active() ? lines->RowCount() : 0;
}

double TfrmSettlement::linesTotal() const
{
    const TClientDataSet *lines = MxDataSet();
    const TField *amount =
        lines && lines->Active() ? lines->FindField(QStringLiteral("JE")) : nullptr;
    if (!amount)
        return 0;
    double total = 0;
    for (int row = 0; row < lines->RowCount(); ++row)
        total += RoundTo(lines->RowValue(row, amount), 2);
    return RoundTo(total, 2);
}

void TfrmSettlement::LoadOpenBills()
{
    TClientDataSet *lines = MxDataSet();
    if (!lines || !lines->Active() || !editable())
        return;
    THourGlass hourGlass;
    const QStringList types = DBComboFKLX->Items();
    const int type = types.indexOf(ZbValue("aFKLX").toString().trimmed());
    const bool advance = isAdvance();
    {
        TFlagGuard filling(m_filling);
        if (type >= 0 && ZbInteger("FKLX") != type + 1)
            SetZbValue("FKLX", type + 1);
        // Using the balance settles documents; an advance settles none.
        if (advance && ZbValue("SYJY").toBool())
            SetZbValue("SYJY", false);
        lines->WithControlsDisabled([&] {
            if (editing(lines))
                lines->Cancel();
            while (!lines->IsEmpty()) {
                lines->Last();
                lines->Delete();
            }
            if (advance)
                return;
            const QString id = QString::number(ZbInteger("ID"));
            const QString key = QLatin1String(m_type.PartnerKey);
            const QString partner = QString::number(ZbInteger(m_type.PartnerKey));
            // id, this receipt's amount, number, date, amount, paid so far
            const QString columns =
                QStringLiteral("F.JE as BDJE, S.DJBH, %1 as aDate, S.JE, S.%2")
                    .arg(dateSql(QStringLiteral("S")), QLatin1String(m_type.PaidField));
            TTmpDataSet stored;
            stored->SetCommandText(QStringLiteral("select * from %1 where ID = %2 and %3 = %4")
                                       .arg(strZbMainTable, id, key, partner));
            stored->Open();
            if (!stored->IsEmpty()) {
                // The stored receipt for this partner: its own documents with its amounts.
                appendOpenLines(
                    QStringLiteral("select F.DDID, %1 from %2 F, %3 S where F.DDID = S.ID and "
                                   "ZBID = %4 order by F.HH")
                        .arg(columns, strMxDetailTables, QLatin1String(m_type.SettledTable), id),
                    isBooked(stored->FieldByName(QStringLiteral("uFlag"))->AsInteger()) ? 1 : 0);
            } else {
                // The partner's open credit documents, oldest first, with what this receipt
                // holds on each read in the same query. Only booked documents are owed: a
                // draft may still change or go.
                appendOpenLines(
                    QStringLiteral("select S.ID, %1 from %2 S left join %3 F on F.DDID = S.ID "
                                   "and F.ZBID = %4 where S.%5 = 2 and S.%6 = %7 and S.JE > "
                                   "S.%8 + 0.005 and S.uFlag >= %9 order by S.ID")
                        .arg(columns, QLatin1String(m_type.SettledTable), strMxDetailTables, id,
                             QLatin1String(m_type.CreditTypeField), key, partner,
                             QLatin1String(m_type.PaidField), QString::number(finalLevel())),
                    0);
            }
            lines->First();
        });
    }
    syncBalanceBox();
    DBGrid1->SetSelectedIndex(DBGrid1->Columns().Count() - 1);
    ShowBalance();
    SetButton();
}

void TfrmSettlement::appendOpenLines(const QString &sql, int share)
{
    TClientDataSet &lines = *MxDataSet();
    TTmpDataSet open;
    open->SetCommandText(sql);
    open->Open();
    TField *settled = lines.FieldByName(QStringLiteral("DDID"));
    TField *number = lines.FieldByName(QStringLiteral("aDDBH"));
    TField *date = lines.FieldByName(QLatin1String(m_type.DateColumn));
    TField *amount = lines.FieldByName(QStringLiteral("aDDJE"));
    TField *paid = lines.FieldByName(QLatin1String(m_type.PaidColumn));
    TField *due = lines.FieldByName(QLatin1String(m_type.OpenColumn));
    TField *taken = lines.FieldByName(QStringLiteral("JE"));
    for (open->First(); !open->Eof(); open->Next()) {
        const double held = RoundTo(open->Fields(1)->AsFloat(), 2) * share;
        const double total = RoundTo(open->Fields(4)->AsFloat(), 2);
        const double paidSoFar = RoundTo(open->Fields(5)->AsFloat(), 2);
        lines.Append();
        settled->SetValue(open->Fields(0)->Value());
        number->SetAsString(open->Fields(2)->AsString());
        date->SetValue(open->Fields(3)->Value());
        amount->SetAsFloat(total);
        paid->SetAsFloat(RoundTo(paidSoFar - held, 2));
        due->SetAsFloat(RoundTo(total - paidSoFar + held, 2));
        taken->SetAsFloat(RoundTo(open->Fields(1)->AsFloat(), 2));
        lines.Post();
    }
}

double TfrmSettlement::Balance() const
{
    return shownAmount(labJYJ);
}

double TfrmSettlement::AvailableTotal() const
{
    return shownAmount(labKYZJE);
}

double TfrmSettlement::Remaining() const
{
    return shownAmount(labRemaining);
}

void TfrmSettlement::ShowBalance()
{
    if (!labJYJ || !ZbDataSet() || !ZbDataSet()->Active())
        return;
    const double balance = ZbValue("SYJY").toBool() ? RoundTo(ZbValue("JEA"), 2) : 0.0;
    const double available = RoundTo(RoundTo(ZbValue("JE"), 2) + balance, 2);
    labJYJ->setText(FormatFloat(NumberFormat, balance));
    labKYZJE->setText(FormatFloat(NumberFormat, available));
    labRemaining->setText(FormatFloat(NumberFormat, RoundTo(available - linesTotal(), 2)));
}

void TfrmSettlement::AllocateAll()
{
    TClientDataSet &lines = *MxDataSet();
    if (!editable() || lines.IsEmpty())
        return;
    THourGlass hourGlass;
    PostPendingLine();
    const TField *due = lines.FieldByName(QLatin1String(m_type.OpenColumn));
    TField *taken = lines.FieldByName(QStringLiteral("JE"));
    QList<double> open;
    open.reserve(lines.RowCount());
    for (int row = 0; row < lines.RowCount(); ++row)
        open.append(lines.RowValue(row, due).toDouble());
    const QList<double> shares = allocation::Spread(AvailableTotal(), open);
    {
        TFlagGuard filling(m_filling);
        lines.WithControlsDisabled([&] {
            int row = 0;
            for (lines.First(); !lines.Eof(); lines.Next(), ++row) {
                if (sameCents(taken->AsFloat(), shares[row]))
                    continue;
                lines.Edit();
                taken->SetAsFloat(shares[row]);
                lines.Post();
            }
            lines.First();
        });
    }
    ShowBalance();
    SetButton();
}

void TfrmSettlement::AllocateCurrent()
{
    TClientDataSet &lines = *MxDataSet();
    if (!editable() || lines.IsEmpty())
        return;
    PostPendingLine();
    TField *taken = lines.FieldByName(QStringLiteral("JE"));
    const double share = allocation::TakeForOne(
        taken->AsFloat(), lines.FieldByName(QLatin1String(m_type.OpenColumn))->AsFloat(),
        Remaining());
    if (!sameCents(share, taken->AsFloat())) {
        lines.Edit();
        taken->SetAsFloat(share);
        lines.Post();
    }
    ShowBalance();
}

void TfrmSettlement::aSaveExecute()
{
    CommitHeaderControls();
    PostPendingLine();
    TClientDataSet &lines = *MxDataSet();
    const TField *number = lines.FieldByName(QStringLiteral("aDDBH"));
    const TField *due = lines.FieldByName(QLatin1String(m_type.OpenColumn));
    const TField *taken = lines.FieldByName(QStringLiteral("JE"));
    const QString verb = QString::fromUtf8(m_type.Verb);
    for (int row = 0; row < lines.RowCount(); ++row) {
        // As it will be stored.
        const double amount = RoundTo(lines.RowValue(row, taken), 2);
        const QString document = QString::fromUtf8(m_type.SettledName) + QLatin1Char(' ') +
                                 lines.RowValue(row, number).toString();
        if (amount < -allocation::Tolerance) {
            ShowMessage(document + QStringLiteral(" 的本次") + verb +
                        QStringLiteral("不能为负数，不能保存！"));
            Abort();
        }
        if (amount > lines.RowValue(row, due).toDouble() + allocation::Tolerance) {
            ShowMessage(document + QStringLiteral(" 的本次") + verb + QStringLiteral("超过未") +
                        verb.left(1) + QStringLiteral("金额，不能保存！"));
            Abort();
        }
    }
    ShowBalance();
    if (Remaining() < -allocation::Tolerance) {
        ShowMessage(QStringLiteral("本次") + verb +
                    QStringLiteral("合计超过可用总金额，不能保存！"));
        Abort();
    }
    TTradeDocument::aSaveExecute();
}

QList<TGuardedStatement> TfrmSettlement::BookkeepingStatements(int sign) const
{
    const TClientDataSet &lines = *MxDataSet();
    const TField *settled = lines.FieldByName(QStringLiteral("DDID"));
    const TField *number = lines.FieldByName(QStringLiteral("aDDBH"));
    const TField *taken = lines.FieldByName(QStringLiteral("JE"));
    const QString verb = QString::fromUtf8(m_type.Verb);
    const QString done = verb.left(1); // 收 / 付
    const QString reopen = QStringLiteral("，请重新打开%1单。").arg(verb);
    // Never more than is still open when the audit is stored; never below nothing paid.
    const QString settle = sign > 0 ? QStringLiteral("update %1 set %2 = round(%2 + %3, 2) "
                                                     "where ID = %4 and %2 + %3 <= JE + 0.005 "
                                                     "and uFlag >= ") +
                                          QString::number(finalLevel())
                                    : QStringLiteral("update %1 set %2 = round(%2 - %3, 2) "
                                                     "where ID = %4 and %2 - %3 >= -0.005");
    QList<TGuardedStatement> statements;
    double total = 0;
    for (int row = 0; row < lines.RowCount(); ++row) {
        const double amount = RoundTo(lines.RowValue(row, taken), 2);
        if (qAbs(amount) < allocation::Tolerance)
            continue;
        total += amount;
        const QString document = QString::fromUtf8(m_type.SettledName) + QLatin1Char(' ') +
                                 lines.RowValue(row, number).toString();
        statements.append(
            {settle.arg(QLatin1String(m_type.SettledTable), QLatin1String(m_type.PaidField),
                        money(amount), QString::number(lines.RowValue(row, settled).toLongLong())),
             1,
             sign > 0 ? QStringLiteral("%1 已反审或未%2金额不足本次%3").arg(document, done, verb) +
                            reopen
                      : QStringLiteral("%1 已不存在或已%2金额少于本单所%2，不能反审。")
                            .arg(document, done)});
    }
    const qint64 partner = ZbInteger(m_type.PartnerKey);
    if (partner == 0)
        return statements;
    // What is owed falls by what was settled; the balance takes the rest of the money (an
    // advance, a remainder) or gives what was settled beyond it (the balance used).
    const double rest = RoundTo(RoundTo(ZbValue("JE"), 2) - RoundTo(total, 2), 2);
    const QString name = QString::fromUtf8(m_type.PartnerCaption) + QLatin1Char(' ') +
                         ZbValue(m_type.PartnerName).toString();
    statements.append(
        {QStringLiteral("update %1 set QMJE = round(QMJE + (%2), 2), YXJE = round(YXJE + (%3), "
                        "2) where ID = %4 and YXJE + (%3) >= -0.005")
             .arg(QLatin1String(m_type.PartnerTable), money(-sign * total), money(sign * rest),
                  QString::number(partner)),
         1,
         sign > 0 ? name + QStringLiteral(" 的结余款不足本次使用") + reopen
                  : name + QStringLiteral(" 的结余款已被使用，不能反审。")});
    return statements;
}

void TfrmSettlement::ShowHints()
{
    pnlTs->show();
}

void TfrmSettlement::OpenSettled()
{
    const TClientDataSet *lines = MxDataSet();
    if (!lines || lines->IsEmpty())
        return;
    OpenDocumentByType(lines->FieldByName(QStringLiteral("DDID"))->AsString(),
                       QString::fromUtf8(m_type.SettledTypeName));
}

// --- The two types ---------------------------------------------------------------------------

namespace {

const TSettlementType SalesReceipt{.FormName = "frmXssk",
                                   .Caption = "销售收款单",
                                   .Trade = {{"XSSKZB", "XSSK", "mnuXssk", "ID,ZBID; RQ,RQ",
                                              "DJBH; RQ; AFKLX; AKHBH; SFKFSID; ZHID"},
                                             "AKHBH",
                                             TPartner::Customer,
                                             &TfrmXssk::HeaderQuery,
                                             nullptr},
                                   .PartnerTable = "KH",
                                   .PartnerKey = "KHID",
                                   .PartnerCaption = "客户",
                                   .PartnerName = "aKHMC",
                                   .SettledTable = "XSKDZB",
                                   .SettledName = "销售单",
                                   .SettledTypeName = "销售出库",
                                   .CreditTypeField = "XSLX",
                                   .PaidField = "YSJE",
                                   .CreditDaysField = "SKQX",
                                   .DateColumn = "aSKQX",
                                   .PaidColumn = "aYSJE",
                                   .OpenColumn = "aMSJE",
                                   .Verb = "收款",
                                   .Advance = "预收款",
                                   .Receivable = "应收款",
                                   .AccountCaption = "收款去向:",
                                   .RemainingLabel = "labSKHYE",
                                   .ViewSettled = "查看销售单(&H)",
                                   .AllocateCurrent = "自动收款(当前销售单)",
                                   .SettledColumnTitle = "销售单号",
                                   .DateColumnTitle = "收款期限"};

const TSettlementType PurchasePayment{
    .FormName = "frmCgfk",
    .Caption = "采购付款单",
    .Trade = {{"CGFKZB", "CGFK", "mnuCgfk", "ID,ZBID; RQ,RQ", "DJBH; RQ; AFKLX; AGYSBH"},
              "AGYSBH",
              TPartner::Supplier,
              &TfrmCgfk::HeaderQuery,
              nullptr},
    .PartnerTable = "GYS",
    .PartnerKey = "GYSID",
    .PartnerCaption = "供应商",
    .PartnerName = "aGYSMC",
    .SettledTable = "CGSHZB",
    .SettledName = "购进单",
    .SettledTypeName = "采购入库",
    .CreditTypeField = "CGLX",
    .PaidField = "YFJE",
    .CreditDaysField = nullptr,
    .DateColumn = "aDDRQ",
    .PaidColumn = "aYFJE",
    .OpenColumn = "aMFJE",
    .Verb = "付款",
    .Advance = "预付款",
    .Receivable = "应付款",
    .AccountCaption = "付款来源:",
    .RemainingLabel = "labFKHYE",
    .ViewSettled = "查看购进单(&H)",
    .AllocateCurrent = "自动付款(当前收货单)",
    .SettledColumnTitle = "购进单号",
    .DateColumnTitle = "购进日期"};

QString settlementHeaderQuery(const char *table, const char *partnerTable, const char *partnerKey,
                              const char *codeColumn, const char *nameColumn, const char *types,
                              const QString &where)
{
    return QStringLiteral("select Z.*, P.BH as ") + QLatin1String(codeColumn) +
           QStringLiteral(", P.MC as ") + QLatin1String(nameColumn) +
           QStringLiteral(", S.MC as aSFKFSMC, H.MC as aZHMC, ") + QString::fromUtf8(types) +
           QStringLiteral(" as aFKLX from ((") + QLatin1String(table) +
           QStringLiteral(" as Z left outer join ") + QLatin1String(partnerTable) +
           QStringLiteral(" P on Z.") + QLatin1String(partnerKey) +
           QStringLiteral(" = P.ID) left join SFKFS S on Z.SFKFSID = S.ID) left outer join ZH H "
                          "on Z.ZHID = H.ID ") +
           where;
}

// A settlement's lines as its list shows them: the settled document's number and amount.
QString settlementListLines(const TSettlementType &type, qint64 headerId)
{
    return QStringLiteral("select M.*, D.DJBH as aDDBH, D.JE as aDDJE from %1 M left join %2 D "
                          "on M.DDID = D.ID where M.ZBID = %3 order by M.HH")
        .arg(QLatin1String(type.Trade.Tables.LinesTable), QLatin1String(type.SettledTable),
             QString::number(headerId));
}

} // namespace

TfrmXssk::TfrmXssk(QWidget *parent)
    : TfrmSettlement(SalesReceipt, parent)
{}

QString TfrmXssk::HeaderQuery(const QString &where)
{
    return settlementHeaderQuery("XSSKZB", "KH", "KHID", "aKHBH", "aKHMC",
                                 "switch(Z.FKLX=1,'应收款',Z.FKLX=2,'预收款')", where);
}

TfrmCgfk::TfrmCgfk(QWidget *parent)
    : TfrmSettlement(PurchasePayment, parent)
{}

QString TfrmCgfk::HeaderQuery(const QString &where)
{
    return settlementHeaderQuery("CGFKZB", "GYS", "GYSID", "aGYSBH", "aGYSMC",
                                 "switch(Z.FKLX=1,'应付款',Z.FKLX=2,'预付款')", where);
}

QString TfrmXssk::LinesQuery(qint64 headerId)
{
    return settlementListLines(SalesReceipt, headerId);
}

QString TfrmCgfk::LinesQuery(qint64 headerId)
{
    return settlementListLines(PurchasePayment, headerId);
}
