// The table of personnel and office record kinds and the list query they share.
#include "client/personnel/personnelkinds.h"

#include "client/common/sqltext.h"

#include <QHash>

namespace {

using F = TRecordFieldType;

constexpr TKindField workFields[] = {{"F_beginDate", "开始日期", F::Date},
                                     {"F_endDate", "结束日期", F::Date},
                                     {"F_company", "工作单位"},
                                     {"F_duty", "职务"},
                                     {"F_useFlag", "有效", F::Flag}};
constexpr TKindField contractFields[] = {{"F_HTtype", "合同类型"},
                                         {"F_DAcode", "档案编号"},
                                         {"F_beginDate", "合同开始", F::Date},
                                         {"F_endDate", "合同到期", F::Date},
                                         {"F_useFlag", "有效", F::Flag}};
constexpr TKindField trainingFields[] = {{"F_kecheng", "培训课程"},
                                         {"F_zhengshu", "所获证书"},
                                         {"F_beginDate", "开始日期", F::Date},
                                         {"F_endDate", "结束日期", F::Date},
                                         {"F_useFlag", "有效", F::Flag}};
constexpr TKindField appraisalFields[] = {{"F_KHtype", "考评类型"},
                                          {"F_KHcj", "考评成绩", F::Number},
                                          {"F_PJemp", "评价人"},
                                          {"F_beginDate", "开始日期", F::Date},
                                          {"F_endDate", "结束日期", F::Date},
                                          {"F_useFlag", "有效", F::Flag}};
constexpr TKindField transferFields[] = {{"F_OLDdept", "原部门"},
                                         {"F_NewDept", "新部门"},
                                         {"F_NewDuty", "新职务"},
                                         {"F_beginDate", "生效日期", F::Date},
                                         {"F_useFlag", "有效", F::Flag}};
constexpr TKindField rewardFields[] = {{"F_JCtype", "奖惩类型"},
                                       {"F_JE", "奖惩金额", F::Number},
                                       {"F_reason", "奖惩原因"},
                                       {"F_beginDate", "生效日期", F::Date},
                                       {"F_useFlag", "有效", F::Flag}};
constexpr TKindField salaryFields[] = {{"F_beginPrice", "调前工资", F::Number},
                                       {"F_endPrice", "调后工资", F::Number},
                                       {"F_beginDate", "生效日期", F::Date},
                                       {"F_useFlag", "有效", F::Flag}};
constexpr TKindField certificateFields[] = {{"F_zhengshu", "证件名称"},
                                            {"F_DAcode", "证件号码"},
                                            {"F_beginDate", "发证日期", F::Date},
                                            {"F_endDate", "有效期至", F::Date},
                                            {"F_useFlag", "有效", F::Flag}};
constexpr TKindField leaveFields[] = {{"F_type", "请假类型"},
                                      {"F_StartDate", "开始时间", F::DateTime},
                                      {"F_EndDate", "结束时间", F::DateTime},
                                      {"F_Hours", "小时数", F::Number},
                                      {"F_reason", "请假原因"},
                                      {"F_BillDate", "登记日期", F::Date}};
constexpr TKindField overtimeFields[] = {{"F_StartDate", "开始时间", F::DateTime},
                                         {"F_EndDate", "结束时间", F::DateTime},
                                         {"F_Hours", "小时数", F::Number},
                                         {"F_reason", "加班事由"},
                                         {"F_BillDate", "登记日期", F::Date}};
constexpr TKindField houseFields[] = {{"F_HouseNo", "宿舍号"},
                                      {"F_BedNo", "床位号"},
                                      {"F_beginDate", "入住日期", F::Date},
                                      {"F_endDate", "退宿日期", F::Date},
                                      {"F_BillDate", "登记日期", F::Date}};
constexpr TKindField keysFields[] = {{"F_KeyName", "钥匙名称"},
                                     {"F_BorrowMan", "借用人"},
                                     {"F_BorrowDate", "借用日期", F::Date},
                                     {"F_ReturnDate", "归还日期", F::Date},
                                     {"F_UnReturn", "未归还", F::Flag},
                                     {"F_BillDate", "登记日期", F::Date}};
constexpr TKindField passFields[] = {{"F_PassDate", "外出日期", F::Date},
                                     {"F_Thing", "外出事由"},
                                     {"F_BillDate", "登记日期", F::Date}};
constexpr TKindField visitFields[] = {{"F_Visitor", "来访人"},
                                      {"F_Inc", "来访单位"},
                                      {"F_VisitDate", "来访日期", F::Date},
                                      {"F_Interviewee", "被访人"},
                                      {"F_BillDate", "登记日期", F::Date}};
// The address book's F_Name and F_Dept are the contact's; the employee is whose contact it is.
constexpr TKindField linkmanFields[] = {
    {"F_Name", "姓名"},    {"F_Sex", "性别"},       {"F_Dept", "单位部门"}, {"F_Tel", "电话"},
    {"F_Handset", "手机"}, {"F_Email", "电子邮件"}, {"F_QQ", "QQ"},         {"F_MSN", "MSN"}};
constexpr TKindField pieceRateFields[] = {{"F_GxID", "计件工序", F::Number},
                                          {"F_DJ", "单价", F::Number},
                                          {"F_SL", "数量", F::Number},
                                          {"F_JBGZ", "基本工资", F::Number},
                                          {"JE", "金额", F::Number}};
constexpr TKindField timeRateFields[] = {{"F_GxID", "计时工种", F::Number},
                                         {"F_DJ", "单价", F::Number},
                                         {"F_SL", "天数/小时", F::Number},
                                         {"F_JBGZ", "基本工资", F::Number},
                                         {"JE", "金额", F::Number}};

using W = TWageKind;

const TPersonnelKind kinds[] = {
    {"员工履历管理", false, "Rs_Work", "RS_Work", "TfrmYgWorkEdit", W::None, workFields},
    {"员工合同管理", false, "Rs_Contract", "RS_Contract", "TfrmYgHtEdit", W::None, contractFields},
    {"员工培训管理", false, "Rs_PX", "RS_PX", "TfrmYgPxEdit", W::None, trainingFields},
    {"员工考评管理", false, "Rs_KH", "RS_KH", "TfrmYgKpEdit", W::None, appraisalFields},
    {"员工调动管理", false, "Rs_DD", "RS_DD", "TfrmYgDdEdit", W::None, transferFields},
    {"员工奖惩管理", false, "Rs_JC", "RS_JC", "TfrmYgJcEdit", W::None, rewardFields},
    {"员工调薪管理", false, "Rs_TX", "RS_TX", "TfrmYgTxEdit", W::None, salaryFields},
    {"员工证件管理", false, "Rs_ZJ", "RS_ZJ", "TfrmYgZJEdit", W::None, certificateFields},
    {"请假管理", true, "Oa_Leave", "Oa_Leave", "TfrmOa_LeaveEdit", W::None, leaveFields},
    {"加班管理", true, "Oa_OverTime", "Oa_OverTime", "TfrmOa_OverTimeEdit", W::None,
     overtimeFields},
    {"宿舍管理", false, "Oa_House", "Oa_House", "TfrmOa_HouseEdit", W::None, houseFields},
    {"钥匙管理", false, "Oa_Keys", "Oa_Keys", "TfrmOa_KeysEdit", W::None, keysFields},
    {"人员外出登记", false, "Oa_Pass", "Oa_Pass", "TfrmOa_PassEdit", W::None, passFields},
    {"来访人员登记", false, "Oa_Visit", "Oa_Visit", "TfrmOa_VisitEdit", W::None, visitFields},
    {"通讯录", false, "Oa_Linkman", "Oa_Linkman", "TfrmOa_LinkManEdit", W::None, linkmanFields},
    {"计件工资", false, "Gz_JJGZ", "GZ_JJGZ", "TfrmGZ_JJGZEdit", W::PieceRate, pieceRateFields},
    {"计时工资", false, "GZ_JSGZ", "GZ_JSGZ", "TfrmGZ_JSGZEdit", W::TimeRate, timeRateFields},
};

// The wage row with its process (or trade), its employee and the employee's department.
QString wageSource(const TPersonnelKind &kind)
{
    const QString prices =
        kind.wage == TWageKind::PieceRate ? QStringLiteral("Gz_Gxu") : QStringLiteral("Gz_GongZ");
    return QStringLiteral(" select Z.*,F_Name as Gx_Name,Y.XM as YG_Name,Y.BH as F_Code  from ") +
           QLatin1String(kind.table) + QStringLiteral(" Z,") + prices +
           QStringLiteral(" b,YG y,BM c,   Z left join  b on Z.F_GxID=b.id,   Z left join y on "
                          "F_empID=y.id,    Y left join c on y.bmid=c.id   ") +
           QStringLiteral(" where 1=1 ");
}

} // namespace

std::span<const TPersonnelKind> PersonnelKinds()
{
    return kinds;
}

const TPersonnelKind *FindPersonnelKind(const QString &caption)
{
    for (const TPersonnelKind &kind : kinds) {
        const QString name = QString::fromUtf8(kind.caption);
        if (kind.byContainment ? caption.contains(name) : caption == name)
            return &kind;
    }
    return nullptr;
}

const TPersonnelKind *PersonnelKindOfEditClass(const QString &className)
{
    for (const TPersonnelKind &kind : kinds) {
        if (className == QLatin1String(kind.editClass))
            return &kind;
    }
    return nullptr;
}

QString PersonnelDateCondition(int databaseKind, QDate from, QDate to)
{
    return QStringLiteral(" and Z.RQ between ") + SQLDate(databaseKind, from) +
           QStringLiteral(" and ") + SQLDate(databaseKind, to);
}

QString PersonnelListSQL(const TPersonnelKind &kind, int databaseKind, const TPersonnelScope &scope,
                         bool dated, QDate from, QDate to)
{
    QString sql = kind.wage != TWageKind::None
                      ? wageSource(kind)
                      : QStringLiteral(" select Z.* from ") + QLatin1String(kind.table) +
                            QStringLiteral(" Z,YG Y,BM C") +
                            QStringLiteral(" where Z.F_empID =Y.ID and  Y.BMID = C.ID ");
    // Keys of the tree are numbers read from the server; they are checked all the same, so
    // that nothing but digits ever reaches the text.
    const auto numeric = [](const QString &id) {
        bool ok = false;
        id.toLongLong(&ok);
        return ok;
    };
    if (scope.kind == TPersonnelScope::Department) {
        QStringList ids;
        for (const QString &id : scope.departmentIds) {
            if (numeric(id))
                ids << id;
        }
        if (ids.isEmpty())
            ids << QStringLiteral("0");
        sql += QStringLiteral(" and C.ID In(") + ids.join(QLatin1Char(',')) + QStringLiteral(" )");
    } else if (scope.kind == TPersonnelScope::Employee) {
        sql += QStringLiteral(" and Y.id=") + (numeric(scope.id) ? scope.id : QStringLiteral("0"));
    }
    if (dated)
        sql += PersonnelDateCondition(databaseKind, from, to);
    return sql + QStringLiteral(" order by F_code");
}

QStringList DepartmentAndBelow(const QString &id,
                               const QList<std::pair<QString, QString>> &idAndParent)
{
    QMultiHash<QString, QString> children;
    for (const auto &[child, parent] : idAndParent)
        children.insert(parent, child);
    QStringList result{id};
    for (int i = 0; i < result.size(); ++i) {
        for (const QString &child : children.values(result[i])) {
            if (!result.contains(child))
                result << child;
        }
    }
    return result;
}
