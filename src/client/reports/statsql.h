// The SQL texts of the charts and the statistics reports: business volume per subject (top N),
// employees counted per attribute, price rows and structure shares over the stock ledger, and
// the year analysis pivoted by month in a work table of its user. Pure text functions like
// reportsql.h, so every text can be checked without a server.
#pragma once

#include "client/reports/reportsql.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

// One business the chart window analyses: its audited headers, its lines and its subjects.
struct TChartVariant
{
    const char *Caption;     // "销售图形分析"
    const char *HeaderTable; // "XSKDZB"
    const char *LinesTable;  // "XSKD"
    QStringList Subjects;    // "月份", "部门", ...
};

const std::vector<TChartVariant> &ChartVariants();
// The variant of a window caption; the main menu names the issue chart "物品领用图表分析".
const TChartVariant *FindChartVariant(const QString &caption);

// "12" or " 8 " is a top N; anything else is refused before it reaches the server.
bool IsTopCount(const QString &text);

// The value per subject of the fully audited documents between the dates: the top rows by
// value, or every month in month order.
QString ChartSQL(const TReportContext &ctx, const TChartVariant &variant, const QString &subject,
                 int top, QDate from, QDate to);

// Employees counted per department, sex, nationality, position, speciality or marital state.
const QStringList &EmployeeChartSubjects();
QString EmployeeChartSQL(int databaseKind, const QString &subject, const QString &caption);

// The ledger rows of sales (XS, customers) or purchases (CS, suppliers) with goods, category,
// warehouse, employee and partner, for the panel's condition and dates.
QString PriceRowsSQL(bool sales, const QString &condition);

// Per goods, or per goods and partner: the lowest and the highest price row (date, price,
// partner, salesman; among equal prices the latest row, the one with the highest id), the
// average price and the price of the latest row.
enum class TPriceSubject { Goods, GoodsPartner };
QString PriceAnalysisSQL(bool sales, const QString &rows, TPriceSubject subject);

// The amount of all rows, and each goods' quantity, amount and share of that amount in %.
QString StructureTotalSQL(const QString &rows);
QString StructureSQL(const QString &rows, const QString &total);

// A subject of the year analysis: a key of the source, and where its name is shown from.
struct TYearSubject
{
    const char *Caption;      // "货品"
    const char *Key;          // "HPID"; the column of the source rows
    const char *KeyTable;     // "HP"; empty when the key is itself the text shown
    const char *DisplayField; // "PM"
};

// A business the year analysis reads: the source rows (fully audited lines with their
// header's date and keys), the amount of a row and the subjects offered.
struct TYearVariant
{
    const char *Caption; // "年销售量分析"
    QString (*Source)(const TReportContext &ctx);
    const char *Amount;
    std::vector<TYearSubject> Subjects;
};

const std::vector<TYearVariant> &YearVariants();
const TYearVariant *FindYearVariant(const QString &caption);

// The year analysis in a work table of its user: one row per key with the quantity and the
// amount of each month, filled from the source in one statement, then totalled.
class TYearAnalysis
{
public:
    // The user code in hex keeps the table's name a plain identifier.
    static QString WorkTableName(const QString &userCode);
    TYearAnalysis(const TReportContext &ctx, const TYearVariant &variant,
                  const TYearSubject &subject, int year, const QString &table);
    QString DropSQL() const;
    QString CreateSQL() const;
    QString FillSQL() const;
    QString TotalsSQL() const;
    QString ReportSQL() const;

private:
    bool textKey() const { return *m_subject.KeyTable == '\0'; }

    TReportContext m_ctx;
    const TYearVariant &m_variant;
    const TYearSubject &m_subject;
    int m_year;
    QString m_table;
};
