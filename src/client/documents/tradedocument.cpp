// The purchase and sales documents' shared header: layout, binding, partner and salesmen.
#include "client/documents/tradedocument.h"

#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/documents/invoicetypes.h"
#include "client/forms/globalobj.h"
#include "client/masterdata/partnerhelp.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dblookupcombo.h"
#include "client/widgets/dbnavigator.h"

#include <QGridLayout>
#include <QLabel>

TTradeDocument::TTradeDocument(const TTradeDocumentType &type, QWidget *parent)
    : TfrmComDj(parent)
    , SalesmanSql(FuncRight().EmployeeNamesSQL)
    , m_type(type)
    , m_grid(new QGridLayout(Panel3))
{
    m_grid->setContentsMargins(2, 2, 2, 2);
    m_grid->setHorizontalSpacing(6);
    // The partner's name takes what room the header has.
    m_grid->setColumnStretch(3, 1);
    // Each runs only where the header has its field.
    if (type.Partner == TPartner::Supplier)
        AddHeaderLookup(HeaderLookups::Supplier([this] { PickPartner(); }));
    else if (type.Partner == TPartner::Customer)
        AddHeaderLookup(HeaderLookups::Customer([this] { PickPartner(); }));
    for (THeaderLookup lookup :
         {HeaderLookups::Salesman(), HeaderLookups::Warehouse(), HeaderLookups::PaymentMethod(),
          HeaderLookups::Account(), HeaderLookups::InvoiceType()})
        AddHeaderLookup(std::move(lookup));
}

TTradeDocument::~TTradeDocument() = default;

void TTradeDocument::bindName(QWidget *control, const char *name, const char *field)
{
    control->setObjectName(QLatin1String(name));
    if (auto *fieldControl = dynamic_cast<TFieldControl *>(control))
        fieldControl->SetDataField(QLatin1String(field));
}

void TTradeDocument::AddGoodsColumns()
{
    TDBGridColumns &columns = DBGrid1->Columns();
    columns.Add(QStringLiteral("aBH"), QStringLiteral("货品编号"), 100);
    columns.Add(QStringLiteral("aPM"), QStringLiteral("货品名称"), 160);
    columns.Add(QStringLiteral("aGG"), QStringLiteral("规格"), 90);
    columns.Add(QStringLiteral("aDW"), QStringLiteral("单位"), 50);
    columns.Add(QStringLiteral("SL"), QStringLiteral("数量"), 70);
    columns.Add(QStringLiteral("DJ"), QStringLiteral("单价"), 80);
}

void TTradeDocument::NewHeaderRow()
{
    if (m_column > 0)
        ++m_row;
    m_column = 0;
}

void TTradeDocument::PlaceHeader(const QString &caption, QWidget *control, int span)
{
    auto *label = new QLabel(caption, Panel3);
    label->setBuddy(control);
    m_grid->addWidget(label, m_row, m_column);
    m_grid->addWidget(control, m_row, m_column + 1, 1, span);
    m_column += 1 + span;
    if (auto *fieldControl = dynamic_cast<TFieldControl *>(control))
        m_labels.emplace_back(fieldControl->DataField(), caption);
}

void TTradeDocument::NameHeaderField(const char *field, const QString &label)
{
    m_labels.emplace_back(QLatin1String(field), label);
}

TDBLookupComboBox *TTradeDocument::HeaderLookupCombo(const char *name, const char *field,
                                                     TData::TDataSetId list)
{
    auto *combo = HeaderControl<TDBLookupComboBox>(name, field);
    combo->SetKeyField(QStringLiteral("ID"));
    combo->SetListField(QStringLiteral("MC"));
    combo->SetListSource(&Data().DataSource(list));
    m_lists.push_back(list);
    return combo;
}

void TTradeDocument::PlacePartner()
{
    const bool supplier = m_type.Partner == TPartner::Supplier;
    PartnerCode = HeaderControl<TDBButtonEdit>(supplier ? "DBEditGysBH" : "DBEditKhBH",
                                               supplier ? "aGYSBH" : "aKHBH");
    PartnerCode->OnButtonClick = [this](TButtonEdit &) {
        Guarded([this] { PickPartner(); });
    };
    static_cast<TFieldControl *>(PartnerCode)->OnDblClick = [this](QWidget &) {
        Guarded([this] { PickPartner(); });
    };
    PartnerName = HeaderControl<TDBEdit>(supplier ? "DBEditGysMC" : "DBEditKhMC",
                                         supplier ? "aGYSMC" : "aKHMC");
    PartnerName->SetReadOnly(true);
    const QString caption = supplier ? QStringLiteral("供应商") : QStringLiteral("客户");
    PlaceHeader(caption, PartnerCode);
    PlaceHeader(QStringLiteral("名称"), PartnerName, 3);
    // The checks name the partner, whichever of its fields is missing.
    NameHeaderField(supplier ? "aGYSMC" : "aKHMC", caption);
}

void TTradeDocument::PlaceWarehouse()
{
    DBLookupCK = HeaderLookupCombo("DBLookupCK", "CKID", TData::idCk);
    PlaceHeader(QStringLiteral("仓库"), DBLookupCK);
}

TDBComboBox *TTradeDocument::PlaceSalesman(const QString &caption)
{
    DBComboYWY = HeaderControl<TDBComboBox>("DBComboYWY", "YWY");
    DBComboYWY->setMinimumWidth(110);
    PlaceHeader(caption, DBComboYWY);
    return DBComboYWY;
}

void TTradeDocument::PlaceSettlement(const char *amountField, const QString &amountCaption,
                                     const QString &accountCaption)
{
    DBEditPaid = HeaderControl<TDBEdit>("DBEditPaid", amountField);
    PlaceHeader(amountCaption, DBEditPaid);
    DBLookupSFKFS = HeaderLookupCombo("DBLookupSFKFS", "SFKFSID", TData::idSfkfs);
    PlaceHeader(QStringLiteral("结算方式"), DBLookupSFKFS);
    DBLookupZH = HeaderLookupCombo("DBLookupZH", "ZHID", TData::idZh);
    PlaceHeader(accountCaption, DBLookupZH);
}

TDBComboBox *TTradeDocument::PlaceReturnType(const QStringList &types)
{
    m_returnTypes = types;
    auto *combo = HeaderControl<TDBComboBox>("DBComboTHLX", "aTHLX");
    combo->SetItems(types);
    combo->SetStyle(TDBComboBox::csDropDownList);
    PlaceHeader(QStringLiteral("退货类型"), combo);
    return combo;
}

void TTradeDocument::PlaceRemark(int span)
{
    DBEditBZ = HeaderControl<TDBEdit>("DBEditBZ", "BZ");
    PlaceHeader(QStringLiteral("备注"), DBEditBZ, span);
}

TDBLookupComboBox *TTradeDocument::PlaceInvoiceType()
{
    m_invoiceTypes = std::make_unique<TInvoiceTypes>();
    auto *combo = HeaderControl<TDBLookupComboBox>("DBComboBox2", "FPLX");
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
    TfrmComDj::MxOnNewRecord(DataSet);
    if (!m_invoiceTypes)
        return;
    if (TField *rate = DataSet.FindField(QStringLiteral("NSL")))
        rate->SetAsFloat(InvoiceTaxRate());
}

void TTradeDocument::ZbOnNewRecord(TClientDataSet &DataSet)
{
    TfrmComDj::ZbOnNewRecord(DataSet);
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
    TfrmComDj::ZbBeforePost(DataSet);
}

void TTradeDocument::IniRecord()
{
    MxDataSet()->SetCommandText(m_type.LinesSql(ZbInteger("ID")));
    TfrmComDj::IniRecord();
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
    const auto preset = [](QString &setting, const char *value) {
        if (setting.isEmpty())
            setting = QLatin1String(value);
    };
    preset(strZbMainTable, m_type.HeaderTable);
    preset(strMxDetailTables, m_type.LinesTable);
    preset(FObjectName, m_type.ObjectName);
    preset(strLinkFields, m_type.LinkFields);
    preset(strZbMustFields, m_type.ZbMustFields);
    preset(strZbHelpFields, m_type.ZbHelpFields);
    preset(strMxMustFields, "ABH");
    preset(strMxHelpFields, "ABH");
    TData &data = Data();
    TClientDataSet &header = data.DataSet(m_type.Header);
    if (!header.Active()) {
        header.SetCommandText(m_type.HeaderSql(QStringLiteral(" where 1=2")));
        header.Open();
    }
    for (const auto &[field, label] : m_labels)
        if (TField *found = header.FindField(field))
            found->SetDisplayLabel(label);
    for (TData::TDataSetId list : m_lists)
        if (!data.DataSet(list).Active())
            data.DataSet(list).Open();
    if (m_invoiceTypes)
        m_invoiceTypes->Open();
    if (DBComboYWY) {
        QStringList names;
        TTmpDataSet query;
        FillListFromQuery(names, SalesmanSql, *query);
        DBComboYWY->SetItems(names);
    }
    TDataSource &source = data.DataSource(m_type.Header);
    for (QWidget *control : Panel3->findChildren<QWidget *>())
        if (auto *fieldControl = dynamic_cast<TFieldControl *>(control))
            if (!fieldControl->DataSource())
                fieldControl->SetDataSource(&source);
    DBNavigator1->SetDataSource(&source);
    DBGrid1->SetDataSource(&data.DataSource(m_type.Lines));
    TfrmComDj::FormShow();
}
