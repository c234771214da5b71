// The other stock change.
#include "client/documents/qtkcbd.h"

#include "client/data/fields.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dblookupcombo.h"
#include "client/widgets/messagebox.h"

namespace {

const TDocumentTables Tables{"QTKCBDZB", "QTKCBD", "mnuQtkcbd",
                             "ID,ZBID; RQ,RQ; CKID,CKID; CRLX,CRLX", "DJBH; RQ; CKID;QTKCBDLXID;"};

QString directionText(int direction)
{
    switch (direction) {
    case 1:
        return QStringLiteral("入库");
    case 2:
        return QStringLiteral("出库");
    default:
        return {};
    }
}

} // namespace

TfrmQtkcbd::TfrmQtkcbd(QWidget *parent)
    : TfrmTypedDj("frmQtkcbd", QStringLiteral("其它库存变动"), Tables, parent)
{
    AddGoodsColumns();

    DBLookupCK = NewLookupBox("DBLookupCK", "CKID", TData::idCk);
    DBLookupLX = NewLookupBox("DBLookupLX", "QTKCBDLXID", TData::idQtkcbdlx);
    DBEditCRLX = NewControl<TDBEdit>("DBEditCRLX", "aCRLX");
    DBEditCRLX->SetReadOnly(true);
    DBEditCRLX->setMaximumWidth(70);
    DBComboJSR = NewPersonBox("DBComboJSR", "JSR");
    Place(QStringLiteral("仓库"), DBLookupCK, 0);
    Place(QStringLiteral("变动类型"), DBLookupLX, 0);
    Place(QStringLiteral("出入"), DBEditCRLX, 0);
    Place(QStringLiteral("经手人"), DBComboJSR, 0);
    PlaceRemark(1);
}

QString TfrmQtkcbd::HeaderSql(const QString &where) const
{
    return HeaderQuery(where);
}

QString TfrmQtkcbd::HeaderQuery(const QString &where)
{
    return QStringLiteral("select Z.*, L.MC as aQTKCBDLXMC, C.MC as aCKMC, "
                          "switch(Z.CRLX=1,'入库',Z.CRLX=2,'出库') as aCRLX from (QTKCBDZB Z left "
                          "outer join QTKCBDLX L on Z.QTKCBDLXID = L.ID) left outer join CK C on "
                          "Z.CKID = C.ID") +
           where;
}

void TfrmQtkcbd::sZbDataChange(TDataSource &Sender, TField *Field)
{
    TfrmTypedDj::sZbDataChange(Sender, Field);
    if (!Field || ApplyingHeader() ||
        Field->FieldName().compare(QLatin1String("QTKCBDLXID"), Qt::CaseInsensitive) != 0)
        return;
    TClientDataSet &types = Data().Qtkcbdlx();
    const QVariant type = Field->AsLargeInt();
    const QVariant name = types.Lookup(QStringLiteral("ID"), type, QStringLiteral("MC"));
    const QVariant storesIn = types.Lookup(QStringLiteral("ID"), type, QStringLiteral("RKL"));
    const int direction = !name.isValid() ? 0 : storesIn.toBool() ? 1 : 2;
    WriteHeader([&] {
        SetZbValue("aQTKCBDLXMC", name.isValid() ? name : QVariant(QString()));
        SetZbValue("CRLX", direction);
        SetZbValue("aCRLX", directionText(direction));
    });
}

void TfrmQtkcbd::aSaveExecute()
{
    CommitHeaderControls();
    if (ZbInteger("QTKCBDLXID") == 0) {
        ShowMessage(QStringLiteral("库存变动类型不能为空！"));
        DBLookupLX->setFocus();
        Abort();
    }
    TfrmTypedDj::aSaveExecute();
}
