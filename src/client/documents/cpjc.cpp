// The product intake.
#include "client/documents/cpjc.h"

#include "client/data/fields.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dblookupcombo.h"

namespace {

const TDocumentTables Tables{"CPJCZB", "CPJC", "mnuCpjc", "ID,ZBID; RQ,RQ; CKID,CKID",
                             "DJBH; RQ; CKID"};

} // namespace

TfrmProductIn::TfrmProductIn(QWidget *parent)
    : TfrmTypedDj("frmProductIn", QStringLiteral("产品进仓单"), Tables, parent)
{
    AddGoodsColumns();

    DBLookupCK = NewLookupBox("DBLookupCK", "CKID", TData::idCk);
    DBLookupBM = NewLookupBox("DBLookupBM", "BMID", TData::idBm);
    DBComboJSR = NewPersonBox("DBComboJSR", "JSR");
    DBEditJE = NewControl<TDBEdit>("DBEditJE", "JE");
    DBEditJE->SetReadOnly(true);
    DBEditJE->setMaximumWidth(110);
    Place(QStringLiteral("仓库"), DBLookupCK, 0);
    Place(QStringLiteral("生产部门"), DBLookupBM, 0);
    Place(QStringLiteral("经手人"), DBComboJSR, 0);
    Place(QStringLiteral("金额"), DBEditJE, 0);
    PlaceRemark(1);
}

QString TfrmProductIn::HeaderQuery(const QString &where)
{
    return HeaderQueryOf(QLatin1String(Tables.HeaderTable), where);
}

QString TfrmProductIn::HeaderSql(const QString &where) const
{
    return HeaderQueryOf(strZbMainTable, where);
}

QString TfrmProductIn::HeaderQueryOf(const QString &headerTable, const QString &where)
{
    return QStringLiteral("select Z.*, C.MC as aCKMC, B.MC as aBMMC from (") + headerTable +
           QStringLiteral(" as Z left outer join CK C on Z.CKID = C.ID) left outer join BM B on "
                          "Z.BMID = B.ID") +
           where;
}

// A new header takes the day, the user's default warehouse and the user from the generic
// form; the total follows the lines without tax.

void TfrmProductIn::sMxDataChange(TDataSource &Sender, TField *Field)
{
    TfrmTypedDj::sMxDataChange(Sender, Field);
    if (!Field)
        return;
    const QString name = Field->FieldName().toUpper();
    if (name == QLatin1String("SL") || name == QLatin1String("DJ"))
        RunningTotal('E', false);
}

void TfrmProductIn::TotalField(char kind, const QVariant &value)
{
    TfrmTypedDj::TotalField(kind, value);
    RunningTotal(kind, false);
}
