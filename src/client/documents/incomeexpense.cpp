// The expenses and other income: lines by category, payment method and account.
#include "client/documents/incomeexpense.h"

#include "client/common/sqltext.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/masterdata/partnerhelp.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dblookupcombo.h"
#include "client/widgets/messagebox.h"

TfrmIncomeExpense::TfrmIncomeExpense(const TIncomeExpenseKind &kind, QWidget *parent)
    : TfrmTypedDj(kind.FormName, QString::fromUtf8(kind.Caption), kind.Tables, parent)
    , m_kind(kind)
{
    AddColumns(DBGrid1, {{"aBH", "类别编号", 90},
                         {"aMC", "类别名称", 160},
                         {"JE", "金额", 110},
                         {"ZY", "摘要", 260}});

    DBLookupSFKFS = NewLookupBox("DBLookupSFKFS", "SFKFSID", TData::idSfkfs);
    DBLookupZH = NewLookupBox("DBLookupZH", "ZHID", TData::idZh);
    DBEditPH = NewControl<TDBEdit>("DBEditPH", "PH");
    DBComboJSR = NewPersonBox("DBComboJSR", "JSR");
    Place(QStringLiteral("结算方式"), DBLookupSFKFS, 0);
    Place(QStringLiteral("账户"), DBLookupZH, 0);
    Place(QStringLiteral("票号"), DBEditPH, 0);
    Place(QStringLiteral("经手人"), DBComboJSR, 0);
    PlaceRemark(1);
}

QString TfrmIncomeExpense::HeaderSql(const QString &where) const
{
    return HeaderQueryOf(strZbMainTable, where);
}

QString TfrmIncomeExpense::LinesSql(qint64 headerId) const
{
    return LinesQueryOf(strMxDetailTables, headerId);
}

QString TfrmIncomeExpense::HeaderQueryOf(const QString &headerTable, const QString &where)
{
    return QStringLiteral("select Z.*, S.MC as aSFKFSMC, H.MC as aZHMC from (") + headerTable +
           QStringLiteral(" as Z left join SFKFS S on Z.SFKFSID = S.ID) left outer join ZH H on "
                          "Z.ZHID = H.ID") +
           where;
}

QString TfrmIncomeExpense::LinesQueryOf(const QString &linesTable, qint64 headerId)
{
    return QStringLiteral("select M.*, L.BH as aBH, L.MC as aMC from ") + linesTable +
           QStringLiteral(" M left outer join  SRZCLB L  on M.SRZCLBID=L.ID where ZBID = ") +
           QString::number(headerId) + QStringLiteral(" order by M.HH");
}

void TfrmIncomeExpense::sZbDataChange(TDataSource &Sender, TField *Field)
{
    TfrmTypedDj::sZbDataChange(Sender, Field);
    if (!Field || ApplyingHeader() ||
        Field->FieldName().compare(QLatin1String("SFKFSID"), Qt::CaseInsensitive) != 0)
        return;
    // A payment method may name the account it goes through.
    const QVariant account =
        Data().Sfkfs().Lookup(QStringLiteral("ID"), Field->AsLargeInt(), QStringLiteral("ZHID"));
    if (account.toLongLong() != 0)
        WriteHeader([&] { SetZbValue("ZHID", account); });
}

void TfrmIncomeExpense::sMxDataChange(TDataSource &Sender, TField *Field)
{
    TfrmTypedDj::sMxDataChange(Sender, Field);
    TClientDataSet *lines = MxDataSet();
    if (!Field || m_inCategoryCode || !lines ||
        Field->FieldName().compare(QLatin1String("aBH"), Qt::CaseInsensitive) != 0 ||
        (lines->State() != dsEdit && lines->State() != dsInsert) ||
        Field->AsString().trimmed().isEmpty())
        return;
    m_inCategoryCode = true;
    try {
        categoryCodeTyped();
    } catch (...) {
        m_inCategoryCode = false;
        throw;
    }
    m_inCategoryCode = false;
}

void TfrmIncomeExpense::categoryCodeTyped()
{
    TClientDataSet &lines = *MxDataSet();
    TField *code = lines.FieldByName(QStringLiteral("aBH"));
    TTmpDataSet category;
    category->SetCommandText(QLatin1String(m_kind.CategorySql) +
                             QuotedStr(code->AsString().trimmed()));
    category->Open();
    if (category->IsEmpty()) {
        code->SetAsString(QString());
        ShowMessage(QStringLiteral("该收支类别不存在！"));
        return;
    }
    lines.FieldByName(QStringLiteral("SRZCLBID"))
        ->SetValue(category->FieldByName(QStringLiteral("ID"))->Value());
    lines.FieldByName(QStringLiteral("aMC"))
        ->SetValue(category->FieldByName(QStringLiteral("MC"))->Value());
}

void TfrmIncomeExpense::DBGrid1EditButtonClick()
{
    const TField *selected = DBGrid1->SelectedField();
    if (!selected || selected->FieldName().compare(QLatin1String("aBH"), Qt::CaseInsensitive))
        return TfrmTypedDj::DBGrid1EditButtonClick();
    if (FOpenMode == QLatin1String("V") || DBGrid1->ReadOnly())
        Abort();
    std::unique_ptr<TfrmSrzclbHelp> picker(CreateForm<TfrmSrzclbHelp>(this));
    picker->setWindowTitle(QString::fromUtf8(m_kind.PickerCaption));
    picker->TargetDataSet = MxDataSet();
    picker->TargetFields = QStringLiteral("SRZCLBID;aMC;aBH");
    picker->SourceFields = QStringLiteral("ID;MC;BH");
    // The code the picker writes is known already: no second look-up.
    m_inCategoryCode = true;
    try {
        picker->ShowModal();
    } catch (...) {
        m_inCategoryCode = false;
        throw;
    }
    m_inCategoryCode = false;
}
