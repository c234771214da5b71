// The SQL texts of the reports, composed from a few shared sources (stock ledger, issues and
// returns, purchase receipts and returns, cash and bank movements, expenses and other
// income). Pure text functions: the session and the user's rights come in through
// TReportContext, so every text can be checked without a server.
#pragma once

#include <QDate>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

struct TReportContext
{
    int DatabaseKind = 0;
    int Status = 1; // audit levels of a fully audited document
    QString Attrs;  // goods attribute columns, each led by a comma
    QString DeptFrom = QStringLiteral(" BM C ");
    QString WarehouseFrom = QStringLiteral(" CK C ");
};

// The context of the logged-in session.
TReportContext CurrentReportContext();

// The names a ledger row's BillType code is shown with, in display order.
const QList<QPair<QString, QString>> &MovementTypeNames();
// The BillType code as its name: a nested switch() for Jet, a CASE for T-SQL.
QString MovementTypeExpr(int databaseKind);

// Condition pieces of the report condition panel. Aliases: C warehouse, K customer or
// supplier, V and P member, H goods, Y employee, L goods category.
// A key list is usable only as a plain id or a parenthesised list of integers.
bool IsKeyList(const QString &key);
QString WarehouseKeyCondition(const QString &keyList);
QString PartnerKeyCondition(const QString &key);
QString MemberKeyCondition(const QString &keyList);
QString PartnerNameCondition(const QString &name);
QString GoodsCodeCondition(const QString &code);
QString GoodsNameCondition(const QString &namePart);
QString MemberCardCondition(const QString &card);
QString MemberNameCondition(const QString &name);
QString EmployeeNameCondition(const QString &name);
QString CategoryCondition(const QString &categoryCode);
QString CategoryCodeSQL(const QString &categoryName);

// Sources.
QString GetInvListSQL(const QString &condition);
QString GetFCKCSQL(const QString &condition);
// mode 0 issues (receipts), 1 returns, 2 both with returns negated
QString GetLLTLSQL(const TReportContext &ctx, const QString &condition, int mode);
QString GetCGSHTHSQL(const TReportContext &ctx, const QString &condition, int mode);
// A null from-date means "up to the to-date".
QString GetXjyhSQL(const TReportContext &ctx, int account, QDate to, QDate from);
QString GetSzSQL(const TReportContext &ctx, int category, QDate to, QDate from);

// Stock reports. panel is the condition panel's text without dates.
QString StockLedgerSQL(const TReportContext &ctx, const QString &panel, QDate from, QDate to,
                       bool movementsOnly);
QString GetKcHzSQL(const TReportContext &ctx, const QString &condition, QDate from,
                   bool byWarehouse);
enum class TStockAlarm { All, BelowMinimum, AboveMaximum };
QString StockAlarmSQL(const TReportContext &ctx, const QString &panel, TStockAlarm which);
QString StocktakingDifferenceSQL(const QString &condition);
// Every issue document's amount from its lines, in one statement.
QString RecalcIssueAmountsSQL();

// The stock-by-warehouse pivot in a work table of its user: one column s<id> per warehouse
// and the total, filled from the ledger's rows by goods in one statement.
class TStockByWarehouse
{
public:
    static QString WarehousesSQL(const QString &keyList);
    // The user's own work table, so that two users running the report at once do not share
    // it: the user code in hex keeps the name a plain identifier whatever the code holds.
    static QString WorkTableName(const QString &userCode);
    TStockByWarehouse(const TReportContext &ctx, const QList<QPair<int, QString>> &warehouses,
                      const QString &table);
    QString DropSQL() const;
    QString CreateSQL() const;
    // One row per goods of GetFCKCSQL(condition). That source groups by warehouse and the six
    // attributes, so one goods and warehouse may come in several rows: they add up.
    QString FillSQL(const QString &condition) const;
    QString TotalsSQL() const;
    // The warehouse columns are named s<id>, never by the warehouse's name, which may hold
    // quotes, spaces or repeat another's.
    QString ReportSQL() const;
    static QString ColumnName(int warehouse);

private:
    TReportContext m_ctx;
    QList<QPair<int, QString>> m_warehouses;
    QString m_table;
};

// Purchase reports over receipts only.
enum class TPurchaseDetailOrder { None, BySupplier, ByGoods };
QString PurchaseDetailSQL(const TReportContext &ctx, const QString &condition,
                          TPurchaseDetailOrder order);
QString PurchaseSummarySQL(const TReportContext &ctx, const QString &condition);
QString PurchaseBySupplierSQL(const TReportContext &ctx, const QString &condition);
QString PurchaseByBuyerSQL(const TReportContext &ctx, const QString &condition);

// Issue reports; condition includes the department condition where the report has one.
QString IssuesByRecipientSQL(const TReportContext &ctx, const QString &condition);
QString IssuesByGoodsSQL(const TReportContext &ctx, const QString &condition);
QString ReturnsSQL(const TReportContext &ctx, const QString &condition);
QString IssuesByCategorySQL(const TReportContext &ctx, const QString &condition);
QString IssuesByRecipientSummarySQL(const TReportContext &ctx, const QString &condition);
QString IssuesByDepartmentSQL(const TReportContext &ctx, const QString &condition);
QString StockValueSQL(const TReportContext &ctx, QDate to);
QString IssueRateByDepartmentSQL(const TReportContext &ctx, const QString &condition,
                                 const QString &stockValue);

// Cash and bank; type is the business type or empty for all.
QString BusinessTypeCondition(const QString &type);
QString CashBankDetailSQL(const TReportContext &ctx, int account, QDate from, QDate to,
                          const QString &type);
QString CashBankSummarySQL(const TReportContext &ctx, QDate from, QDate to, const QString &type);

// Income and expense.
QString IncomeExpenseTypeCondition(const QString &type);
QString CounterpartyCondition(const QString &namePrefix);
QString IncomeExpenseDetailSQL(const TReportContext &ctx, int category, QDate from, QDate to,
                               const QString &type, const QString &counterparty);
QString IncomeExpenseSummarySQL(const TReportContext &ctx, int category, QDate from, QDate to,
                                const QString &type);

// HR reminders: one per column, on the day or in the month of a date.
struct THrReminder
{
    QString Caption; // "过生日人员" ...
    QString Column;  // "CSRQ" ...
};
const QList<THrReminder> &HrReminders();
QString HrReminderCondition(const QString &column, QDate date, bool onDay);
// The number of employees under each condition, in one statement: a sum per condition, C0,
// C1, ... in the order given, so the twelve reminders cost one round trip, not twelve.
QString HrReminderCountsSQL(const TReportContext &ctx, const QStringList &conditions);
QString HrReminderListSQL(const QString &condition);
