// The header of the issue and the return: warehouse, department and person.
#include "client/documents/staffstock.h"

#include "client/data/fields.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dblookupcombo.h"

TfrmStaffStockDj::TfrmStaffStockDj(const char *formName, const QString &caption,
                                   const TDocumentTables &tables, const QString &personCaption,
                                   QWidget *parent)
    : TfrmTypedDj(formName, caption, tables, parent)
{
    AddGoodsColumns({}, {{"SRCNO", "源单号", 110}});

    DBLookupCK = NewLookupBox("DBLookupCK", "CKID", TData::idCk);
    DBLookupBM = NewLookupBox("DBLookupBM", "BMID", TData::idBm);
    DBComboJSR = NewPersonBox("DBComboJSR", "JSR");
    Place(QStringLiteral("仓库"), DBLookupCK, 0);
    Place(QStringLiteral("部门"), DBLookupBM, 0);
    Place(personCaption, DBComboJSR, 0);
    PlaceRemark(1);

    // The person's department comes along with the person.
    AddHeaderLookup({QStringLiteral("JSR"),
                     QStringLiteral("select Y.ID, Y.BMID, B.MC from YG Y left join BM B on "
                                    "Y.BMID = B.ID where Y.XM = "),
                     {QStringLiteral("YGID"), QStringLiteral("BMID"), QStringLiteral("aBMMC")},
                     {QStringLiteral("ID"), QStringLiteral("BMID"), QStringLiteral("MC")},
                     nullptr});
}

QString TfrmStaffStockDj::HeaderSql(const QString &where) const
{
    return HeaderQueryOf(strZbMainTable, where);
}

QString TfrmStaffStockDj::HeaderQueryOf(const QString &headerTable, const QString &where)
{
    return QStringLiteral("select Z.*, B.MC as aBMMC, C.MC as aCKMC from (") + headerTable +
           QStringLiteral(" Z left join BM B on Z.BMID = B.ID) left join CK C on Z.CKID = C.ID") +
           where;
}

void TfrmStaffStockDj::sZbDataChange(TDataSource &Sender, TField *Field)
{
    TfrmTypedDj::sZbDataChange(Sender, Field);
    if (!Field || ApplyingHeader() ||
        Field->FieldName().compare(QLatin1String("BMID"), Qt::CaseInsensitive) != 0)
        return;
    const QVariant name =
        Data().Bm().Lookup(QStringLiteral("ID"), Field->AsLargeInt(), QStringLiteral("MC"));
    WriteHeader([&] { SetZbValue("aBMMC", name.isValid() ? name : QVariant(QString())); });
}
