// The purchase receipt.
#include "client/documents/purin.h"

#include "client/common/sqltext.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/forms/globalobj.h"
#include "client/masterdata/partnerhelp.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dblookupcombo.h"
#include "client/widgets/dbnavigator.h"

#include <QGridLayout>
#include <QLabel>

TfrmPurIn::TfrmPurIn(QWidget *parent)
    : TfrmComDj(parent)
{
    setObjectName(QStringLiteral("frmPurIn"));
    setWindowTitle(QStringLiteral("采购入库单"));
    TDBGridColumns &columns = DBGrid1->Columns();
    columns.Add(QStringLiteral("aBH"), QStringLiteral("货品编号"), 100);
    columns.Add(QStringLiteral("aPM"), QStringLiteral("货品名称"), 160);
    columns.Add(QStringLiteral("aGG"), QStringLiteral("规格"), 90);
    columns.Add(QStringLiteral("aDW"), QStringLiteral("单位"), 50);
    columns.Add(QStringLiteral("SL"), QStringLiteral("数量"), 70);
    columns.Add(QStringLiteral("DJ"), QStringLiteral("单价"), 80);
    columns.Add(QStringLiteral("NZK"), QStringLiteral("折扣"), 50);
    columns.Add(QStringLiteral("cJE"), QStringLiteral("金额"), 130);
    columns.Add(QStringLiteral("NSL"), QStringLiteral("税率"), 50);
    columns.Add(QStringLiteral("SRCNO"), QStringLiteral("申请单号"), 110);

    m_invoiceTypes = std::make_unique<TClientDataSet>(QStringLiteral("cdsFplx"));
    m_invoiceTypes->SetProviderName(QStringLiteral("pTmp"));
    m_sInvoiceTypes = std::make_unique<TDataSource>(m_invoiceTypes.get());
    buildHeader();
}

TfrmPurIn::~TfrmPurIn() = default;

QString TfrmPurIn::HeaderSql(const QString &where)
{
    return QStringLiteral(
               "select Z.*, F.MC as aFPLX, K.BH as aGYSBH, K.MC as aGYSMC, C.MC as aCKMC, "
               "S.MC as aSFKFSMC, H.MC as aZHMC,  switch(Z.CGLX=1,'现金采购',Z.CGLX=2,'挂帐采购') "
               "as aCGLX from ((((CGSHZB as Z left outer join GYS K on Z.GYSID = K.ID)   left "
               "outer join CK C on Z.CKID = C.ID)   left join SFKFS S on Z.SFKFSID = S.ID)   left "
               "outer join  ZH H on  Z.ZHID = H.ID) left join FPLX F on Z.FPLX = F.ID ") +
           where;
}

QString TfrmPurIn::LinesSql(qint64 headerId)
{
    return QStringLiteral(" select M.*,  H.BH as aBH, H.PM as aPM, H.DW as aDW, H.GG as "
                          "aGG,H.HPHSFSID,TypeName  from (CGSH M left join HP H on M.HPID=H.ID) "
                          "left join Pub_ItemType P on H.HPLBID=P.ItemType  where ZBID = ") +
           QString::number(headerId) + QStringLiteral("  order by M.HH");
}

void TfrmPurIn::buildHeader()
{
    auto *grid = new QGridLayout(Panel3);
    grid->setContentsMargins(2, 2, 2, 2);
    grid->setHorizontalSpacing(6);
    int column = 0;
    const auto place = [&](const QString &caption, QWidget *control, int row, int span = 1) {
        if (row == 0 && column == 0)
            column = 0;
        auto *label = new QLabel(caption, Panel3);
        label->setBuddy(control);
        grid->addWidget(label, row, column);
        grid->addWidget(control, row, column + 1, 1, span);
        column += 1 + span;
    };

    DBEditGysBH = new TDBButtonEdit(Panel3);
    DBEditGysBH->setObjectName(QStringLiteral("DBEditGysBH"));
    DBEditGysBH->SetDataField(QStringLiteral("aGYSBH"));
    DBEditGysBH->OnButtonClick = [this](TButtonEdit &) {
        Guarded([this] { pickSupplier(); });
    };
    static_cast<TFieldControl *>(DBEditGysBH)->OnDblClick = [this](QWidget &) {
        Guarded([this] { pickSupplier(); });
    };
    DBEditGysMC = new TDBEdit(Panel3);
    DBEditGysMC->setObjectName(QStringLiteral("DBEditGysMC"));
    DBEditGysMC->SetDataField(QStringLiteral("aGYSMC"));
    DBEditGysMC->SetReadOnly(true);
    DBLookupCK = new TDBLookupComboBox(Panel3);
    DBLookupCK->setObjectName(QStringLiteral("DBLookupCK"));
    DBLookupCK->SetDataField(QStringLiteral("CKID"));
    DBLookupCK->SetKeyField(QStringLiteral("ID"));
    DBLookupCK->SetListField(QStringLiteral("MC"));

    column = 0;
    place(QStringLiteral("供应商"), DBEditGysBH, 0);
    place(QStringLiteral("名称"), DBEditGysMC, 0, 3);
    place(QStringLiteral("仓库"), DBLookupCK, 0);

    DBComboBox2 = new TDBLookupComboBox(Panel3);
    DBComboBox2->setObjectName(QStringLiteral("DBComboBox2"));
    DBComboBox2->SetDataField(QStringLiteral("FPLX"));
    DBComboBox2->SetListSource(m_sInvoiceTypes.get());
    DBComboBox2->SetKeyField(QStringLiteral("ID"));
    DBComboBox2->SetListField(QStringLiteral("MC"));
    DBRadioCGLX = new TDBRadioGroup(Panel3);
    DBRadioCGLX->setObjectName(QStringLiteral("DBRadioCGLX"));
    DBRadioCGLX->SetDataField(QStringLiteral("CGLX"));
    DBRadioCGLX->SetItems({QStringLiteral("现金采购"), QStringLiteral("挂帐采购")});
    DBRadioCGLX->SetValues({QStringLiteral("1"), QStringLiteral("2")});
    DBRadioCGLX->SetColumns(2);
    DBRadioCGLX->setFlat(true);
    DBRadioCGLX->setMaximumWidth(200);
    DBComboYWY = new TDBComboBox(Panel3);
    DBComboYWY->setObjectName(QStringLiteral("DBComboYWY"));
    DBComboYWY->SetDataField(QStringLiteral("YWY"));
    DBComboYWY->setMinimumWidth(110);
    dbedtXSJE = new TDBEdit(Panel3);
    dbedtXSJE->setObjectName(QStringLiteral("dbedtXSJE"));
    dbedtXSJE->SetDataField(QStringLiteral("NZK"));
    dbedtXSJE->setMaximumWidth(80);
    dbedtXSJE->OnExit = [this](QWidget &) {
        Guarded([this] { discountLeft(); });
    };

    column = 0;
    place(QStringLiteral("发票类型"), DBComboBox2, 1);
    place(QStringLiteral("采购类型"), DBRadioCGLX, 1);
    place(QStringLiteral("业务员"), DBComboYWY, 1);
    place(QStringLiteral("折扣"), dbedtXSJE, 1);

    DBEditBZ = new TDBEdit(Panel3);
    DBEditBZ->setObjectName(QStringLiteral("DBEditBZ"));
    DBEditBZ->SetDataField(QStringLiteral("BZ"));
    column = 0;
    place(QStringLiteral("备注"), DBEditBZ, 2, 7);
    grid->setColumnStretch(3, 1);
}

void TfrmPurIn::FormShow()
{
    strZbMainTable = QStringLiteral("CGSHZB");
    strMxDetailTables = QStringLiteral("CGSH");
    FObjectName = QStringLiteral("mnuCgsh");
    strLinkFields = QStringLiteral("ID,ZBID; RQ,RQ; CKID,CKID;DJBH,DJBH");
    strZbMustFields = QStringLiteral("DJBH;RQ;AGYSMC;CKID;ACGLX;AFPLX;YWY");
    strZbHelpFields = QStringLiteral("AGYSBH");
    strMxMustFields = QStringLiteral("ABH");
    strMxHelpFields = QStringLiteral("ABH");

    TData &data = Data();
    TClientDataSet &header = data.Cgshzb();
    if (!header.Active()) {
        header.SetCommandText(HeaderSql(QStringLiteral(" where 1=2")));
        header.Open();
    }
    // The names the header checks give the fields they find empty.
    const std::pair<const char *, const char *> labels[] = {{"aGYSMC", "供应商"},
                                                            {"CKID", "仓库"},
                                                            {"YWY", "业务员"},
                                                            {"RQ", "日期"},
                                                            {"DJBH", "单号"}};
    for (const auto &[field, label] : labels)
        if (TField *found = header.FindField(QLatin1String(field)))
            found->SetDisplayLabel(QString::fromUtf8(label));
    if (!data.Ck().Active())
        data.Ck().Open();
    m_invoiceTypes->SetRemoteServer(&data.cn());
    m_invoiceTypes->SetCommandText(QStringLiteral("select ID, MC, NSL from FPLX order by ID"));
    m_invoiceTypes->Open();
    DBLookupCK->SetListSource(&data.sCk());
    QStringList salesmen;
    TTmpDataSet names;
    FillListFromQuery(salesmen, FuncRight().EmployeeNamesSQL, *names);
    DBComboYWY->SetItems(salesmen);

    for (QWidget *control : Panel3->findChildren<QWidget *>())
        if (auto *fieldControl = dynamic_cast<TFieldControl *>(control))
            fieldControl->SetDataSource(&data.sCgshzb());
    DBNavigator1->SetDataSource(&data.sCgshzb());
    DBGrid1->SetDataSource(&data.sCgsh());
    TfrmComDj::FormShow();
}

void TfrmPurIn::IniRecord()
{
    MxDataSet()->SetCommandText(LinesSql(ZbInteger("ID")));
    TfrmComDj::IniRecord();
}

void TfrmPurIn::ZbOnNewRecord(TClientDataSet &DataSet)
{
    TfrmComDj::ZbOnNewRecord(DataSet);
    DataSet.FieldByName(QStringLiteral("SFKFSID"))->SetAsInteger(0);
    DataSet.FieldByName(QStringLiteral("ZHID"))->SetAsInteger(0);
    DataSet.FieldByName(QStringLiteral("YWY"))->SetAsString(QString());
    DataSet.FieldByName(QStringLiteral("CGLX"))->SetAsInteger(1);
    // The VAT invoice is what suppliers of a registered business issue by default.
    DataSet.FieldByName(QStringLiteral("FPLX"))->SetAsInteger(3);
    if (TField *text = DataSet.FindField(QStringLiteral("aFPLX")))
        text->SetAsString(QStringLiteral("增值税发票"));
}

double TfrmPurIn::invoiceTaxRate() const
{
    const qint64 type = ZbInteger("FPLX");
    const QVariant rate = m_invoiceTypes->Lookup(QStringLiteral("ID"), type, QStringLiteral("NSL"));
    return rate.isValid() ? rate.toDouble() : 0;
}

void TfrmPurIn::MxOnNewRecord(TClientDataSet &DataSet)
{
    TfrmComDj::MxOnNewRecord(DataSet);
    if (TField *rate = DataSet.FindField(QStringLiteral("NSL")))
        rate->SetAsFloat(invoiceTaxRate());
}

void TfrmPurIn::sZbDataChange(TDataSource &Sender, TField *Field)
{
    TfrmComDj::sZbDataChange(Sender, Field);
    if (!Field || m_applyingHeader)
        return;
    const QString name = Field->FieldName().toUpper();
    if (name == QLatin1String("AGYSBH"))
        supplierCodeTyped();
    else if (name == QLatin1String("FPLX"))
        applyTaxRateToLines();
}

void TfrmPurIn::pickSupplier()
{
    if (!ZbDataSet() || ZbDataSet()->ReadOnly() || !Panel3->isEnabled())
        return;
    std::unique_ptr<TfrmGysHelp> picker(CreateForm<TfrmGysHelp>(this));
    m_applyingHeader = true;
    try {
        PickInto(*picker,
                 {QStringLiteral("GYSID"), QStringLiteral("aGYSBH"), QStringLiteral("aGYSMC")},
                 {QStringLiteral("ID"), QStringLiteral("BH"), QStringLiteral("MC")});
    } catch (...) {
        m_applyingHeader = false;
        throw;
    }
    m_applyingHeader = false;
}

void TfrmPurIn::supplierCodeTyped()
{
    TClientDataSet &header = *ZbDataSet();
    const QString code = header.FieldByName(QStringLiteral("aGYSBH"))->AsString().trimmed();
    if (code.isEmpty() || !(header.State() == dsEdit || header.State() == dsInsert))
        return;
    TTmpDataSet supplier;
    supplier->SetCommandText(QStringLiteral("select * from GYS where BH = ") + QuotedStr(code));
    supplier->Open();
    if (supplier->IsEmpty()) {
        supplier->Close();
        pickSupplier();
        return;
    }
    m_applyingHeader = true;
    header.FieldByName(QStringLiteral("GYSID"))
        ->SetValue(supplier->FieldByName(QStringLiteral("ID"))->Value());
    header.FieldByName(QStringLiteral("aGYSMC"))
        ->SetValue(supplier->FieldByName(QStringLiteral("MC"))->Value());
    m_applyingHeader = false;
}

void TfrmPurIn::applyTaxRateToLines()
{
    SetEveryLine(QStringLiteral("NSL"), invoiceTaxRate());
}

void TfrmPurIn::discountLeft()
{
    TClientDataSet &header = *ZbDataSet();
    TField *discount = header.FindField(QStringLiteral("NZK"));
    if (!discount || discount->AsFloat() == 0 ||
        !(header.State() == dsEdit || header.State() == dsInsert))
        return;
    const double rounded = QString::asprintf("%.1f", discount->AsFloat()).toDouble();
    if (rounded != discount->AsFloat())
        discount->SetAsFloat(rounded);
    FDefaultDiscount = rounded;
    SetEveryLine(QStringLiteral("NZK"), rounded);
}
