// The customer and supplier edit forms.
#include "client/masterdata/partneredit.h"

#include "client/common/pinyin.h"
#include "client/common/sqltext.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dblookupcombo.h"

TfrmPartnerEdit::TfrmPartnerEdit(QWidget *parent, TDataSource *source, const QString &table,
                                 const char *openingCaption, const char *codeCaption)
    : TfrmComEdit(parent)
    , m_rows(TabSheet_JBXX, source, 2)
    , m_table(table)
    , m_codeCaption(QString::fromUtf8(codeCaption))
{
    RzDBEdit_ID->SetDataSource(source);
    RzDBEdit_ID->SetDataField(QStringLiteral("ID"));
    RzDBEdit_BH = m_rows.Edit("BH", "编号");
    RzDBEdit_Name = m_rows.Edit("MC", "简称");
    RzDBEdit_QC = m_rows.Edit("QC", "全称");
    RzDBEdit_ZJM = m_rows.Edit("ZJM", "助记码");
    RzDBLookupComboBox_DQ = m_rows.Lookup("DQID", "地区", &Data().sDq());
    m_rows.Edit("LXR", "联系人");
    m_rows.Edit("DH", "电话");
    m_rows.Edit("CZ", "传真");
    m_rows.Edit("DZ", "地址");
    m_rows.Edit("YB", "邮编");
    m_rows.Edit("WZ", "网址");
    m_rows.Edit("DY", "电子邮件");
    m_rows.Edit("KHYH", "开户银行");
    m_rows.Edit("YHZH", "银行帐号");
    m_rows.Edit("NSH", "税号");
    m_rows.Edit("QCJE", openingCaption);
    RzDBEdit_Name->OnExit = [this](QWidget &) {
        ShortNameExit();
    };
    resize(640, 420);
}

void TfrmPartnerEdit::FormShow()
{
    IdTable = m_table;
    UniqueCode = {m_table, QStringLiteral("BH"), m_codeCaption};
    RequiredFields = QStringLiteral("BH;MC;DQID");
    TClientDataSet &regions = Data().Dq();
    if (!regions.Active())
        regions.Open();
    if (TClientDataSet *ds = RzDBEdit_ID->DataSource()->DataSet())
        m_rows.ApplyLabels(*ds);
    TfrmComEdit::FormShow();
}

void TfrmPartnerEdit::SetDuplicateValue()
{
    TfrmComEdit::SetDuplicateValue();
    const QString id = EditDataSet->FieldByName(QStringLiteral("ID"))->AsString();
    DuplicateCheck = QStringLiteral("【简称】|select MC from ") + m_table +
                     QStringLiteral(" where MC = ") +
                     QuotedStr(EditDataSet->FieldByName(QStringLiteral("MC"))->AsString()) +
                     QStringLiteral(" and ID <> ") + (id.isEmpty() ? QStringLiteral("0") : id);
}

void TfrmPartnerEdit::ShortNameExit()
{
    if (!EditDataSet || !EditDataSet->Active())
        return;
    TClientDataSet &ds = *EditDataSet;
    if (ds.State() != dsInsert && ds.State() != dsEdit)
        return;
    const QString name = ds.FieldByName(QStringLiteral("MC"))->AsString().trimmed();
    if (name.isEmpty())
        return;
    TField *fullName = ds.FieldByName(QStringLiteral("QC"));
    if (fullName->AsString().trimmed().isEmpty())
        fullName->SetAsString(name);
    TField *mnemonic = ds.FindField(QStringLiteral("ZJM"));
    if (mnemonic && mnemonic->AsString().trimmed().isEmpty())
        mnemonic->SetAsString(GetPY(name));
}

void TfrmPartnerEdit::MyAfterApplyUpdates()
{
    TfrmComEdit::MyAfterApplyUpdates();
    const QString id = EditDataSet->FieldByName(QStringLiteral("ID"))->AsString();
    if (!id.isEmpty())
        ReadBackFields(*EditDataSet,
                       QStringLiteral("select QMJE, QMJE-YXJE as aSJJE from ") + m_table +
                           QStringLiteral(" where ID=") + id,
                       QStringLiteral("QMJE;aSJJE"));
}

void TfrmPartnerEdit::sDataChange(TDataSource &Sender, TField *Field)
{
    TfrmComEdit::sDataChange(Sender, Field);
    CopyLookupName(Field, QStringLiteral("DQID"), QStringLiteral("aDQMC"), Data().Dq());
}

TfrmCustomEdit::TfrmCustomEdit(QWidget *parent)
    : TfrmPartnerEdit(parent, &Data().sKh(), QStringLiteral("KH"), "期初应收", "客户编号")
{
    setObjectName(QStringLiteral("frmCustomEdit"));
    setWindowTitle(QStringLiteral("客户"));
    m_rows.Edit("XYED", "信用额度");
    auto *priceLevel = new TDBComboBox(TabSheet_JBXX);
    priceLevel->setObjectName(QStringLiteral("RzDBComboBox_PriceLevel"));
    priceLevel->SetDataSource(&Data().sKh());
    priceLevel->SetDataField(QStringLiteral("PriceLevel"));
    m_rows.Add(priceLevel, "PriceLevel", "价格等级");
    m_rows.Edit("Laiy", "来源");
    m_rows.Edit("Zhuangt", "状态");
    m_rows.Check("ZT", "停用");
    m_rows.Edit("BZ", "备注");
}

void TfrmCustomEdit::FormShow()
{
    // The price levels a sale can use, in their order.
    if (auto *priceLevel = findChild<TDBComboBox *>(QStringLiteral("RzDBComboBox_PriceLevel"))) {
        TClientDataSet &levels = Data().Sjzl();
        if (!levels.Active())
            levels.Open();
        QStringList items;
        for (levels.First(); !levels.Eof(); levels.Next())
            items << levels.FieldByName(QStringLiteral("MC"))->AsString();
        priceLevel->SetItems(items);
        priceLevel->SetStyle(TDBComboBox::csDropDownList);
    }
    TfrmPartnerEdit::FormShow();
}

TfrmVendCustEdit::TfrmVendCustEdit(QWidget *parent)
    : TfrmPartnerEdit(parent, &Data().sGys(), QStringLiteral("GYS"), "期初应付", "供应商编号")
{
    setObjectName(QStringLiteral("frmVendCustEdit"));
    setWindowTitle(QStringLiteral("供应商"));
    m_rows.Check("ZT", "停用");
    m_rows.Edit("BZ", "备注");
}
