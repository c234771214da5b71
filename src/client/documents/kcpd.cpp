// The count sheet, the adjustment and the opening stock.
#include "client/documents/kcpd.h"

#include "client/data/fields.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dblookupcombo.h"

#include <QLabel>

namespace {

const TDocumentTables Tables{"KCPDZB", "KCPD", "mnuKcpd", "ID,ZBID; RQ,RQ; CKID,CKID",
                             "DJBH; RQ; CKID"};

struct TAdjustmentKind
{
    const char *Code;
    const char *Caption;
};

// The first is the default.
const TAdjustmentKind Kinds[] = {
    {"KCPD", "盘点单"},
    {"KCTZ", "库存调整单"},
    {"KCCS", "库存初始单"},
};

const TAdjustmentKind &kindOf(const QString &code)
{
    for (const TAdjustmentKind &kind : Kinds)
        if (code.trimmed().compare(QLatin1String(kind.Code), Qt::CaseInsensitive) == 0)
            return kind;
    return Kinds[0];
}

} // namespace

TFrmpd::TFrmpd(QWidget *parent)
    : TfrmTypedDj("Frmpd", QStringLiteral("盘盈盘亏调整单"), Tables, parent)
{
    AddGoodsColumns({{"KCSL", "账面数量", 70}});

    DBLookupCK = NewLookupBox("DBLookupCK", "CKID", TData::idCk);
    DBComboJSR = NewPersonBox("DBComboJSR", "JSR");
    Place(QStringLiteral("仓  库"), DBLookupCK, 0);
    Place(QStringLiteral("经手人"), DBComboJSR, 0);
    PlaceRemark(1);
    applyKind();
}

QString TFrmpd::HeaderSql(const QString &where) const
{
    return HeaderQuery(where);
}

QString TFrmpd::HeaderQuery(const QString &where)
{
    return QStringLiteral("select Z.*, C.MC as aCKMC, switch(Z.BillType='KCPD','盘点单', "
                          "Z.BillType='KCTZ','库存调整单', Z.BillType='KCCS','库存初始单') as "
                          "aBillType from KCPDZB as Z left outer join CK C on Z.CKID = C.ID") +
           where;
}

void TFrmpd::SetBillType(const QString &billType)
{
    TfrmTypedDj::SetBillType(billType);
    m_kind = QLatin1String(kindOf(billType).Code);
    applyKind();
    TClientDataSet *header = ZbDataSet();
    if (header && header->State() == dsInsert)
        SetZbValue("BillType", m_kind);
}

void TFrmpd::applyKind()
{
    const TAdjustmentKind &kind = kindOf(m_kind);
    const bool countSheet = &kind == &Kinds[0];
    setWindowTitle(QString::fromUtf8(kind.Caption));
    Label1->setText(windowTitle());
    TDBGridColumns &columns = DBGrid1->Columns();
    if (TColumn *book = columns.FindByFieldName(QStringLiteral("KCSL")))
        book->SetVisible(countSheet);
    if (TColumn *quantity = columns.FindByFieldName(QStringLiteral("SL")))
        quantity->Title().SetCaption(countSheet ? QStringLiteral("盘点数量")
                                                : QStringLiteral("数量"));
}

void TFrmpd::FormShow()
{
    TfrmTypedDj::FormShow();
    // The saved column settings must not bring the book quantity back to other kinds.
    applyKind();
}

void TFrmpd::ZbOnNewRecord(TClientDataSet &DataSet)
{
    TfrmTypedDj::ZbOnNewRecord(DataSet);
    if (TField *kind = DataSet.FindField(QStringLiteral("BillType")))
        kind->SetAsString(m_kind);
}
