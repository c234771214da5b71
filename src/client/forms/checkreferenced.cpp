// The deletion reference check.
#include "client/forms/checkreferenced.h"

#include "client/common/sqltext.h"
#include "client/data/clientdataset.h"
#include "client/data/serveraccess.h"
#include "client/widgets/messagebox.h"

#include <QStringList>

namespace {

struct ProbePart
{
    const char *table;
    const char *column;
    bool textKey; // the column holds the key as text
};

struct KindProbe
{
    const char *kind;
    std::initializer_list<ProbePart> parts;
    const char *message; // nullptr: the default message
};

const QString DefaultMessage = QStringLiteral("该数据已被引用,不能删除！");

const KindProbe Probes[] = {
    // Goods: every document line, production plan and bill of materials, and the ledger.
    {"HP",
     {{"CGSQ", "hpid", false},    {"CGDD", "hpid", false},      {"CGSH", "hpid", false},
      {"CGTH", "hpid", false},    {"XSDD", "hpid", false},      {"XSKD", "hpid", false},
      {"XSTH", "hpid", false},    {"LL", "hpid", false},        {"TL", "hpid", false},
      {"CKDB", "hpid", false},    {"KCPD", "hpid", false},      {"QTKCBD", "hpid", false},
      {"CPJC", "hpid", false},    {"CHTJ", "hpid", false},      {"Lskd", "hpid", false},
      {"Ckzz", "hpid", false},    {"SC_CGJH", "hpid", false},   {"SC_ProduceOrder", "hpid", false},
      {"SC_SCJH", "hpid", false}, {"SC_WLXQJH", "hpid", false}, {"SC_BOM", "hpid", false},
      {"SC_Wtjg", "hpid", false}, {"CY_KD", "hpid", false},     {"Inv_ItemList", "hpid", false}},
     nullptr},
    {"CUST", {{"XSKDZB", "khid", false}, {"XSTHZB", "khid", false}}, nullptr},
    {"DQ", {{"KH", "dqid", false}, {"GYS", "dqid", false}}, nullptr},
    {"PUR", {{"CGSHZB", "gysid", false}, {"CGTHZB", "gysid", false}}, nullptr},
    {"ITEMTYPE", {{"hp", "hplbid", false}}, nullptr},
    {"DEPT",
     {{"CK", "BMID", false}, {"AppUserGroup", "gMemo", true}, {"YG", "bmid", false}},
     "部门可能被【仓库，员工，用户组】引用,不能删除！"},
    {"YHZ", {{"AppUser", "gName", true}}, "用户组被【用户管理】引用,不能删除！"},
    {"QTKCBDLX",
     {{"QTKCBDZB", "QTKCBDLXID", false}},
     "其它库存变动类型资料被【其它库存变动】引用,不能删除！"},
};

QString keyLiteral(const QString &id, bool textKey)
{
    if (textKey)
        return QuotedStr(id);
    bool isNumber = false;
    id.toDouble(&isNumber);
    return isNumber ? id : QuotedStr(id);
}

} // namespace

TReferenceProbe ReferenceProbe(const QString &Kind, const QString &ID)
{
    const QString kind = Kind.toUpper();
    for (const KindProbe &probe : Probes) {
        if (kind != QLatin1String(probe.kind))
            continue;
        QStringList parts;
        for (const ProbePart &part : probe.parts)
            parts << QStringLiteral(" select top 1 1 from ") + QLatin1String(part.table) +
                         QStringLiteral(" where ") + QLatin1String(part.column) +
                         QStringLiteral(" = ") + keyLiteral(ID, part.textKey);
        return {parts.join(QStringLiteral(" union ")),
                probe.message ? QString::fromUtf8(probe.message) : DefaultMessage};
    }
    return {QString(), DefaultMessage};
}

bool CheckReferenced(const QString &Kind, const QString &ID)
{
    if (ID.isEmpty()) {
        MessageBox(QStringLiteral("请选择网格内一条记录！"), QStringLiteral("资料删除"),
                   TMsgIcon::Error);
        Abort();
    }
    const TReferenceProbe probe = ReferenceProbe(Kind, ID);
    if (probe.Sql.isEmpty())
        return false;
    bool referenced = false;
    {
        TTmpDataSet tmp;
        tmp->SetCommandText(probe.Sql);
        tmp->Open();
        for (int row = 0; row < tmp->RowCount() && !referenced; ++row) {
            const TClientDataSet::TRowScope scope(*tmp, row);
            referenced = tmp->Fields(0)->AsFloat() > 0;
        }
    }
    if (referenced)
        MessageBox(probe.Message, QStringLiteral("资料删除失败"), TMsgIcon::Warning);
    return referenced;
}
