// The warehouse transfer.
#include "client/documents/ckdb.h"

#include "client/data/fields.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dblookupcombo.h"
#include "client/widgets/messagebox.h"

namespace {

const TDocumentTables Tables{"CKDBZB", "CKDB", "mnuCkdb",
                             "ID,ZBID; RQ,RQ; DCCID,DCCID; DRCID,DRCID;DJBH,DJBH",
                             "DJBH; RQ; DCCID; DRCID;JSR"};

const char *const TransferKinds[] = {"CKDB", "SCLL", "SCIN"};

} // namespace

TfrmStockdb::TfrmStockdb(QWidget *parent)
    : TfrmTypedDj("frmStockdb", QStringLiteral("仓库调拨单"), Tables, parent)
{
    AddReferSource(
        {"aRefer", "选择物料需求计划", "物料需求计划", "SC_WLXQJHZB", "SC_WLXQJH", "M.JSR"});
    AddReferSource({"aReferOrder", "选择生产订单", "生产订单", "SC_ProduceOrderZB",
                    "SC_ProduceOrder", "M.JSR"});
    AddGoodsColumns({}, {{"SRCNO", "源单号", 110}});

    DBLookupDCC = NewLookupBox("DBLookupDCC", "DCCID", TData::idCk);
    DBLookupDRC = NewLookupBox("DBLookupDRC", "DRCID", TData::idCk);
    DBComboJSR = NewPersonBox("DBComboJSR", "JSR");
    Place(QStringLiteral("调出仓"), DBLookupDCC, 0);
    Place(QStringLiteral("调入仓"), DBLookupDRC, 0);
    Place(QStringLiteral("经手人"), DBComboJSR, 0);
    PlaceRemark(1);
}

QString TfrmStockdb::HeaderSql(const QString &where) const
{
    return HeaderQuery(where);
}

QString TfrmStockdb::HeaderQuery(const QString &where)
{
    return QStringLiteral("select Z.*, C.MC as aCKMC, D.MC as aDRCMC from (CKDBZB as Z left "
                          "outer join CK C on Z.DCCID = C.ID) left outer join CK D on Z.DRCID = "
                          "D.ID") +
           where;
}

void TfrmStockdb::SetBillType(const QString &billType)
{
    TfrmTypedDj::SetBillType(billType);
    m_kind = QStringLiteral("CKDB");
    for (const char *kind : TransferKinds)
        if (billType.trimmed().compare(QLatin1String(kind), Qt::CaseInsensitive) == 0)
            m_kind = QLatin1String(kind);
    // Opened as a new document before the kind arrived: the document takes it now.
    TClientDataSet *header = ZbDataSet();
    if (header && header->State() == dsInsert)
        SetZbValue("DBType", m_kind);
}

void TfrmStockdb::ZbOnNewRecord(TClientDataSet &DataSet)
{
    TfrmTypedDj::ZbOnNewRecord(DataSet);
    if (TField *kind = DataSet.FindField(QStringLiteral("DBType")))
        kind->SetAsString(m_kind);
}

void TfrmStockdb::ZbBeforePost(TClientDataSet &DataSet)
{
    TfrmTypedDj::ZbBeforePost(DataSet);
    if (ZbInteger("DCCID") != ZbInteger("DRCID"))
        return;
    MessageBox(QStringLiteral("'调出仓'与'调入仓'不能相同, 请重新录入!"),
               QStringLiteral("录入错误"), TMsgIcon::Warning);
    DBLookupDCC->setFocus();
    Abort();
}
