// The edit forms of accounts, payment methods, income and expense categories and kinds of
// other stock changes.
#include "client/masterdata/codeedit.h"

#include "client/common/sqltext.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dblookupcombo.h"

namespace {

void openIfClosed(TClientDataSet &dataSet)
{
    if (!dataSet.Active())
        dataSet.Open();
}

bool editing(const TClientDataSet &ds)
{
    return ds.State() == dsInsert || ds.State() == dsEdit;
}

// "label|probe": another row of table holding the value of field.
QString duplicateProbe(const TClientDataSet &ds, const char *label, const char *table,
                       const char *field)
{
    const QString id = ds.FieldByName(QStringLiteral("ID"))->AsString();
    return QString::fromUtf8(label) + QStringLiteral("|select ID from ") + QLatin1String(table) +
           QStringLiteral(" where ") + QLatin1String(field) + QStringLiteral(" = ") +
           QuotedStr(ds.FieldByName(QLatin1String(field))->AsString()) +
           QStringLiteral(" and ID <> ") + (id.isEmpty() ? QStringLiteral("0") : id);
}

} // namespace

// --- Accounts --------------------------------------------------------------------------------

TfrmZhEdit::TfrmZhEdit(QWidget *parent)
    : TfrmComEdit(parent)
    , m_rows(TabSheet_JBXX, &Data().sZh())
{
    setObjectName(QStringLiteral("frmZhEdit"));
    setWindowTitle(QStringLiteral("帐户"));
    RzDBEdit_ID->SetDataSource(&Data().sZh());
    RzDBEdit_ID->SetDataField(QStringLiteral("ID"));
    RzDBEdit_ID->show();
    m_rows.Add(RzDBEdit_ID, "ID", "帐户编号");
    RzDBEdit_Name = m_rows.Edit("MC", "帐户名称");
    RzDBRadioGroup_YHL = m_rows.Choice("YHL", "类别", "银行存款类", "现金类");
    RzDBEdit_KHYH = m_rows.Edit("KHYH", "开户银行");
    RzDBEdit_YHZH = m_rows.Edit("YHZH", "银行帐号");
    RzDBEdit_QCJE = m_rows.Edit("QCJE", "期初余额");
    resize(420, 300);
}

void TfrmZhEdit::FormShow()
{
    IdTable = QStringLiteral("ZH");
    RequiredFields = QStringLiteral("MC");
    m_rows.ApplyLabels(Data().Zh());
    TfrmComEdit::FormShow();
    updateBankFields();
}

bool TfrmZhEdit::isBank() const
{
    const TField *kind = EditDataSet ? EditDataSet->FindField(QStringLiteral("YHL")) : nullptr;
    return kind && kind->AsBoolean();
}

void TfrmZhEdit::updateBankFields()
{
    const bool bank = isBank();
    RzDBEdit_KHYH->setEnabled(bank);
    RzDBEdit_YHZH->setEnabled(bank);
}

void TfrmZhEdit::dsBeforePost(TClientDataSet &DataSet)
{
    TfrmComEdit::dsBeforePost(DataSet);
    // A cash account carries no bank details, whatever it had as a bank account.
    if (!isBank()) {
        for (const char *field : {"KHYH", "YHZH"}) {
            if (TField *f = DataSet.FindField(QLatin1String(field)); f && !f->AsString().isEmpty())
                f->SetAsString(QString());
        }
    }
}

void TfrmZhEdit::sDataChange(TDataSource &Sender, TField *Field)
{
    TfrmComEdit::sDataChange(Sender, Field);
    if (!Field || Field->FieldName().compare(QLatin1String("YHL"), Qt::CaseInsensitive) == 0) {
        updateBankFields();
        if (Field && editing(*EditDataSet)) {
            if (TField *caption = EditDataSet->FindField(QStringLiteral("aYHL")))
                caption->SetAsString(isBank() ? QStringLiteral("银行存款类")
                                              : QStringLiteral("现金类"));
        }
    }
}

void TfrmZhEdit::MyAfterApplyUpdates()
{
    TfrmComEdit::MyAfterApplyUpdates();
    const QString id = EditDataSet->FieldByName(QStringLiteral("ID"))->AsString();
    if (!id.isEmpty())
        ReadBackFields(*EditDataSet, QStringLiteral("select QMJE from ZH where ID = ") + id,
                       QStringLiteral("QMJE"));
}

// --- Payment methods -------------------------------------------------------------------------

TfrmSfkfsEdit::TfrmSfkfsEdit(QWidget *parent)
    : TfrmComEdit(parent)
    , m_rows(TabSheet_JBXX, &Data().sSfkfs())
{
    setObjectName(QStringLiteral("frmSfkfsEdit"));
    setWindowTitle(QStringLiteral("收付款方式"));
    RzDBEdit_ID->SetDataSource(&Data().sSfkfs());
    RzDBEdit_ID->SetDataField(QStringLiteral("ID"));
    RzDBEdit_ID->show();
    m_rows.Add(RzDBEdit_ID, "ID", "编号");
    m_rows.Edit("MC", "名称");
    m_rows.Lookup("ZHID", "缺省帐户", &Data().sZh());
    resize(380, 200);
}

void TfrmSfkfsEdit::FormShow()
{
    IdTable = QStringLiteral("SFKFS");
    RequiredFields = QStringLiteral("MC");
    openIfClosed(Data().Zh());
    m_rows.ApplyLabels(Data().Sfkfs());
    TfrmComEdit::FormShow();
}

void TfrmSfkfsEdit::sDataChange(TDataSource &Sender, TField *Field)
{
    TfrmComEdit::sDataChange(Sender, Field);
    CopyLookupName(Field, QStringLiteral("ZHID"), QStringLiteral("aZHMC"), Data().Zh());
}

// --- Income and expense categories -----------------------------------------------------------

TfrmSrzclbEdit::TfrmSrzclbEdit(QWidget *parent)
    : TfrmComEdit(parent)
    , m_rows(TabSheet_JBXX, &Data().sSrzclb())
{
    setObjectName(QStringLiteral("frmSrzclbEdit"));
    setWindowTitle(QStringLiteral("收支类别"));
    RzDBEdit_ID->SetDataSource(&Data().sSrzclb());
    RzDBEdit_ID->SetDataField(QStringLiteral("ID"));
    m_rows.Edit("BH", "编号");
    m_rows.Edit("MC", "名称");
    m_rows.Choice("SRL", "类别", "收入类", "支出类");
    m_rows.Edit("BZ", "说明");
    resize(420, 240);
}

void TfrmSrzclbEdit::FormShow()
{
    IdTable = QStringLiteral("SRZCLB");
    RequiredFields = QStringLiteral("BH; MC");
    if (TClientDataSet *ds = RzDBEdit_ID->DataSource()->DataSet())
        m_rows.ApplyLabels(*ds);
    TfrmComEdit::FormShow();
}

void TfrmSrzclbEdit::SetDuplicateValue()
{
    TfrmComEdit::SetDuplicateValue();
    DuplicateCheck = duplicateProbe(*EditDataSet, "【编号】", "SRZCLB", "BH");
}

void TfrmSrzclbEdit::sDataChange(TDataSource &Sender, TField *Field)
{
    TfrmComEdit::sDataChange(Sender, Field);
    if (!Field || Field->FieldName().compare(QLatin1String("SRL"), Qt::CaseInsensitive) != 0 ||
        !editing(*EditDataSet))
        return;
    if (TField *caption = EditDataSet->FindField(QStringLiteral("aSRL")))
        caption->SetAsString(Field->AsBoolean() ? QStringLiteral("收入类")
                                                : QStringLiteral("支出类"));
}

// --- Kinds of other stock changes ------------------------------------------------------------

TfrmQtkcbdlxEdit::TfrmQtkcbdlxEdit(QWidget *parent)
    : TfrmComEdit(parent)
    , m_rows(TabSheet_JBXX, &Data().sQtkcbdlx())
{
    setObjectName(QStringLiteral("frmQtkcbdlxEdit"));
    setWindowTitle(QStringLiteral("其它库存变动类型"));
    RzDBEdit_ID->SetDataSource(&Data().sQtkcbdlx());
    RzDBEdit_ID->SetDataField(QStringLiteral("ID"));
    m_rows.Edit("MC", "名称");
    m_rows.Choice("RKL", "类别", "入库类(库存增加)", "出库类(库存减少)");
    m_rows.Check("THBZ", "货品将退回(借入借出)");
    resize(420, 220);
}

void TfrmQtkcbdlxEdit::FormShow()
{
    IdTable = QStringLiteral("QTKCBDLX");
    RequiredFields = QStringLiteral("MC");
    m_rows.ApplyLabels(Data().Qtkcbdlx());
    TfrmComEdit::FormShow();
}

void TfrmQtkcbdlxEdit::dsOnNewRecord(TClientDataSet &DataSet)
{
    TfrmComEdit::dsOnNewRecord(DataSet);
    if (DataSet.State() != dsInsert)
        return;
    if (TField *receipt = DataSet.FindField(QStringLiteral("RKL")))
        receipt->SetAsBoolean(true);
    if (TField *returned = DataSet.FindField(QStringLiteral("THBZ")))
        returned->SetAsBoolean(false);
}

void TfrmQtkcbdlxEdit::SetDuplicateValue()
{
    TfrmComEdit::SetDuplicateValue();
    DuplicateCheck = duplicateProbe(*EditDataSet, "【名称】", "QTKCBDLX", "MC");
}
