// The stock issue reports: details by recipient, by goods and of returns, summaries by
// recipient, by department (with its subtotal and total rows), by department and category,
// and each department's issues against the stock value. They read one source and differ in
// conditions, columns and composition, so one window class serves them all, configured by
// the report's entry in a table.
#pragma once

#include "client/reports/rptmodal.h"

#include <vector>

class TButtonEdit;

struct TIssueReport
{
    enum Condition { Recipient = 1, GoodsName = 2, Department = 4, Category = 8, Attributes = 16 };

    const char *ClassName; // "TFrmRptLLryly", as the window manager knows it
    const char *Caption;
    int Conditions;
    std::vector<TReportColumn> Columns;
    // The report text for the panel's condition, the department's included.
    QString (*Compose)(const TReportContext &ctx, const QString &condition);
    // Totals are rows of the result itself, so the grid shows no sum footer.
    bool TotalRows = false;
};

// Every issue report, in menu order.
const std::vector<TIssueReport> &IssueReports();
class TFrmRptModal;
// The window of the report.
TFrmRptModal *CreateIssueReport(const TIssueReport &report);

class TFrmRptIssue : public TFrmRptModal
{
    Q_OBJECT
public:
    explicit TFrmRptIssue(const TIssueReport &report, QWidget *parent = nullptr);

    // The department picker's condition, when a department is chosen and its key is the
    // picker's id list.
    QString DepartmentCondition() const;

protected:
    void FormCreate() override;
    void OpenDataSet() override;
    void GetCellParams(TColumn &column, TCellParams &params) override;

    const TIssueReport &Report() const { return m_report; }

private:
    const TIssueReport &m_report;
    TButtonEdit *m_dept = nullptr;
};

// Issues per department against the stock value up to the to-date; with no stock value the
// rate has no base and nothing is queried.
class TFrmRptLLbmRate : public TFrmRptIssue
{
    Q_OBJECT
public:
    explicit TFrmRptLLbmRate(QWidget *parent = nullptr);

    // The stock value the last run read; empty when the ledger had none.
    const QString &StockValue() const { return m_stockValue; }

protected:
    void OpenDataSet() override;

private:
    QString m_stockValue;
};
