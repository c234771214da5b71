// The purchase and sales documents' shared header: partner, salesmen, invoice type,
// settlement and return type.
#include "client/documents/tradedocument.h"

#include "client/common/valueroutines.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/documents/invoicetypes.h"
#include "client/documents/recordinfo.h"
#include "client/forms/globalobj.h"
#include "client/masterdata/partnerhelp.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dblookupcombo.h"

#include <QMenu>

TTradeDocument::TTradeDocument(const char *formName, const QString &caption,
                               const TTradeDocumentType &type, QWidget *parent)
    : TfrmTypedDj(formName, caption, type.Tables, parent)
    , SalesmanSql(FuncRight().EmployeeNamesSQL)
    , m_type(type)
{
    // Each runs only where the header has its field.
    if (type.Partner == TPartner::Supplier)
        AddHeaderLookup(HeaderLookups::Supplier([this] { PickPartner(); }));
    else if (type.Partner == TPartner::Customer)
        AddHeaderLookup(HeaderLookups::Customer([this] { PickPartner(); }));
    if (type.Partner == TPartner::Customer) {
        aKhXx = AddFormAction(this, "aKhXx", QStringLiteral("客户资料(&K)"), {},
                              [this] { ShowPartnerInfo(); });
        PopupOpt->addSeparator();
        PopupOpt->addAction(aKhXx);
    }
    for (THeaderLookup lookup :
         {HeaderLookups::Salesman(), HeaderLookups::Warehouse(), HeaderLookups::PaymentMethod(),
          HeaderLookups::Account(), HeaderLookups::InvoiceType()})
        AddHeaderLookup(std::move(lookup));
}

TTradeDocument::~TTradeDocument() = default;

QList<TGuardedStatement> TTradeDocument::BookkeepingStatements(int sign) const
{
    const TCreditBooking *credit = m_type.Credit;
    if (!credit || ZbInteger(credit->CreditField) != 2)
        return TfrmTypedDj::BookkeepingStatements(sign);
    const qint64 partner = ZbInteger(credit->PartnerKey);
    if (partner == 0)
        return {};
    QList<TGuardedStatement> statements;
    if (sign < 0)
        statements.append(
            {QStringLiteral("update %1 set %2 = 0 where ID = %3 and (%2 is null or (%2 > -0.005 "
                            "and %2 < 0.005))")
                 .arg(strZbMainTable, QLatin1String(credit->PaidField),
                      QString::number(ZbInteger("ID"))),
             1,
             QStringLiteral("本单据已被%1结算，不能反审。请先反审结算它的%1。")
                 .arg(QString::fromUtf8(credit->SettledBy))});
    const double amount = RoundTo(ZbValue("JE"), 2);
    statements.append({QStringLiteral("update %1 set QMJE = round(QMJE + (%2), 2) where ID = %3")
                           .arg(QLatin1String(credit->PartnerTable),
                                QString::number(sign * amount, 'f', 2), QString::number(partner)),
                       1,
                       sign > 0 ? QStringLiteral("往来单位已不存在，不能审核。")
                                : QStringLiteral("往来单位已不存在，不能反审。")});
    return statements;
}

void TTradeDocument::ShowPartnerInfo()
{
    const qint64 customer = ZbInteger("KHID");
    if (customer == 0)
        return;
    std::unique_ptr<TfrmKhXx> info(CreateForm<TfrmKhXx>(this));
    info->Load(customer);
    info->ShowModal();
}

QString TTradeDocument::HeaderSql(const QString &where) const
{
    return m_type.HeaderSql(where);
}

QString TTradeDocument::LinesSql(qint64 headerId) const
{
    return m_type.LinesSql(headerId);
}

void TTradeDocument::AddTradeColumns(std::initializer_list<TColumnSpec> trailing)
{
    AddColumns(DBGrid1, {{"aBH", "货品编号", 100},
                         {"aPM", "货品名称", 160},
                         {"aGG", "规格", 90},
                         {"aDW", "单位", 50},
                         {"SL", "数量", 70},
                         {"DJ", "单价", 80}});
    AddColumns(DBGrid1, trailing);
}

void TTradeDocument::PlaceHeader(const QString &caption, QWidget *control, int span)
{
    Place(caption, control, m_row, span);
}

void TTradeDocument::PlaceWarehouse()
{
    DBLookupCK = NewLookupBox("DBLookupCK", "CKID", TData::idCk);
    PlaceHeader(QStringLiteral("仓库"), DBLookupCK);
}

void TTradeDocument::PlacePartner()
{
    const bool supplier = m_type.Partner == TPartner::Supplier;
    PartnerCode = NewControl<TDBButtonEdit>(supplier ? "DBEditGysBH" : "DBEditKhBH",
                                            supplier ? "aGYSBH" : "aKHBH");
    PartnerCode->OnButtonClick = [this](TButtonEdit &) {
        Guarded([this] { PickPartner(); });
    };
    static_cast<TFieldControl *>(PartnerCode)->OnDblClick = [this](QWidget &) {
        Guarded([this] { PickPartner(); });
    };
    PartnerName =
        NewControl<TDBEdit>(supplier ? "DBEditGysMC" : "DBEditKhMC", supplier ? "aGYSMC" : "aKHMC");
    PartnerName->SetReadOnly(true);
    PlaceHeader(partnerCaption(), PartnerCode);
    PlaceHeader(QStringLiteral("名称"), PartnerName, 3);
}

QString TTradeDocument::partnerCaption() const
{
    return m_type.Partner == TPartner::Supplier ? QStringLiteral("供应商") : QStringLiteral("客户");
}

void TTradeDocument::PlaceSalesman(const QString &caption)
{
    DBComboYWY = NewControl<TDBComboBox>("DBComboYWY", "YWY");
    DBComboYWY->setMinimumWidth(110);
    PlaceHeader(caption, DBComboYWY);
}

void TTradeDocument::PlaceSettlement(const char *amountField, const QString &amountCaption,
                                     const QString &accountCaption)
{
    DBEditPaid = NewControl<TDBEdit>("DBEditPaid", amountField);
    PlaceHeader(amountCaption, DBEditPaid);
    DBLookupSFKFS = NewLookupBox("DBLookupSFKFS", "SFKFSID", TData::idSfkfs);
    PlaceHeader(QStringLiteral("结算方式"), DBLookupSFKFS);
    DBLookupZH = NewLookupBox("DBLookupZH", "ZHID", TData::idZh);
    PlaceHeader(accountCaption, DBLookupZH);
}

TDBComboBox *TTradeDocument::PlaceReturnHeader(const QStringList &types, const char *refundField)
{
    PlacePartner();
    PlaceWarehouse();
    NewHeaderRow();
    TDBComboBox *returnType = PlaceReturnType(types);
    PlaceSalesman();
    NewHeaderRow();
    PlaceSettlement(refundField, QStringLiteral("退款金额"), QStringLiteral("账户"));
    return returnType;
}

TDBComboBox *TTradeDocument::PlaceReturnType(const QStringList &types)
{
    m_returnTypes = types;
    auto *combo = NewControl<TDBComboBox>("DBComboTHLX", "aTHLX");
    combo->SetItems(types);
    combo->SetStyle(TDBComboBox::csDropDownList);
    PlaceHeader(QStringLiteral("退货类型"), combo);
    return combo;
}

TDBLookupComboBox *TTradeDocument::PlaceInvoiceType()
{
    m_invoiceTypes = std::make_unique<TInvoiceTypes>();
    auto *combo = NewControl<TDBLookupComboBox>("DBComboBox2", "FPLX");
    combo->SetListSource(m_invoiceTypes->Source());
    combo->SetKeyField(QStringLiteral("ID"));
    combo->SetListField(QStringLiteral("MC"));
    PlaceHeader(QStringLiteral("发票类型"), combo);
    return combo;
}

double TTradeDocument::InvoiceTaxRate() const
{
    return m_invoiceTypes ? m_invoiceTypes->RateOf(ZbInteger("FPLX")) : 0;
}

void TTradeDocument::MxOnNewRecord(TClientDataSet &DataSet)
{
    TfrmTypedDj::MxOnNewRecord(DataSet);
    if (!m_invoiceTypes)
        return;
    if (TField *rate = DataSet.FindField(QStringLiteral("NSL")))
        rate->SetAsFloat(InvoiceTaxRate());
}

void TTradeDocument::ZbOnNewRecord(TClientDataSet &DataSet)
{
    TfrmTypedDj::ZbOnNewRecord(DataSet);
    if (m_returnTypes.isEmpty())
        return;
    DataSet.FieldByName(QStringLiteral("THLX"))->SetAsInteger(1);
    DataSet.FieldByName(QStringLiteral("aTHLX"))->SetAsString(m_returnTypes.first());
    TClientDataSet &methods = Data().Sfkfs();
    if (!methods.Active())
        methods.Open();
    if (!methods.IsEmpty())
        DataSet.FieldByName(QStringLiteral("SFKFSID"))
            ->SetValue(methods.FieldByName(QStringLiteral("ID"))->Value());
    DataSet.FieldByName(QStringLiteral("YWY"))->SetAsString(QString());
}

void TTradeDocument::ZbBeforePost(TClientDataSet &DataSet)
{
    // The header keeps the type as the text the user chose; the code goes with it.
    const TField *text = DataSet.FindField(QStringLiteral("aTHLX"));
    TField *code = DataSet.FindField(QStringLiteral("THLX"));
    if (!m_returnTypes.isEmpty() && text && code) {
        const int index = m_returnTypes.indexOf(text->AsString().trimmed());
        if (index >= 0 && code->AsInteger() != index + 1)
            code->SetAsInteger(index + 1);
    }
    TfrmTypedDj::ZbBeforePost(DataSet);
}

void TTradeDocument::PickPartner()
{
    if (!ZbDataSet() || ZbDataSet()->ReadOnly() || !Panel3->isEnabled())
        return;
    const QStringList sources{QStringLiteral("ID"), QStringLiteral("BH"), QStringLiteral("MC")};
    if (m_type.Partner == TPartner::Supplier) {
        std::unique_ptr<TfrmGysHelp> picker(CreateForm<TfrmGysHelp>(this));
        PickInto(*picker,
                 {QStringLiteral("GYSID"), QStringLiteral("aGYSBH"), QStringLiteral("aGYSMC")},
                 sources);
    } else if (m_type.Partner == TPartner::Customer) {
        std::unique_ptr<TfrmKhHelp> picker(CreateForm<TfrmKhHelp>(this));
        PickInto(*picker,
                 {QStringLiteral("KHID"), QStringLiteral("aKHBH"), QStringLiteral("aKHMC")},
                 sources);
    }
}

void TTradeDocument::FormShow()
{
    // Shown again (restored in the workspace): set up already.
    if (ZbDataSet())
        return TfrmTypedDj::FormShow();
    if (strZbHelpFields.isEmpty())
        strZbHelpFields = QLatin1String(m_type.ZbHelpFields);
    if (m_invoiceTypes)
        m_invoiceTypes->Open();
    if (DBComboYWY) {
        QStringList names;
        TTmpDataSet query;
        FillListFromQuery(names, SalesmanSql, *query);
        DBComboYWY->SetItems(names);
    }
    TfrmTypedDj::FormShow();
    // The checks name the partner, whichever of its fields is missing.
    if (PartnerName && PartnerName->Field())
        PartnerName->Field()->SetDisplayLabel(partnerCaption());
}
