// The issue TfrmStockLl ("物品领用单"): goods a person takes from a warehouse for a
// department, at their first-in-first-out cost, against the department's yearly budget.
#pragma once

#include "client/documents/staffstock.h"

class TfrmStockLl : public TfrmStaffStockDj
{
    Q_OBJECT
public:
    explicit TfrmStockLl(QWidget *parent = nullptr);

    // The header query of the type's own table; where starts with " where".
    static QString HeaderQuery(const QString &where);

    // What the department has issued in audited documents of the year and its yearly
    // budget, both rounded to cents.
    static QString UsedBudgetSql(qint64 department, int year);
    static QString BudgetSql(qint64 department);

protected:
    void ZbOnNewRecord(TClientDataSet &DataSet) override;
    void aSaveExecute() override;
    // "ppbudget": the department's yearly budget and what it has issued this year, so whoever
    // signs the slip sees the budget beside it.
    void SetReprotBuildParam() override;

private:
    struct TBudget
    {
        double Used = 0;   // audited issues of the document's year
        double Budget = 0; // 0: the department has no budget
    };
    TBudget departmentBudget() const;
    void warnOverBudget();
};
