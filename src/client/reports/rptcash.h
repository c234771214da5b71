// The money reports: the cash and bank journal and its summary per account, and the expenses
// and other income in lines and per category, the summary drilling down to the lines of the
// clicked category.
#pragma once

#include "client/reports/rptmodal.h"

// A money report: its columns and type combo; a concrete report composes its text from the
// dates and the chosen type.
class TFrmRptMoney : public TFrmRptModal
{
    Q_OBJECT
protected:
    TFrmRptMoney(const char *name, const QString &caption,
                 std::initializer_list<TReportColumn> columns, const char *typeCombo,
                 const QStringList &types);
    // The type chosen in the type combo; empty for all.
    QString ChosenType() const;
    virtual QString ComposeSQL() const = 0;
    void OpenDataSet() override;

private:
    TConditionCombo *m_type;
};

// The business types a cash or bank movement is listed under.
const QStringList &CashBusinessTypes();

class TFrmRptSzLsz : public TFrmRptMoney
{
    Q_OBJECT
public:
    explicit TFrmRptSzLsz(QWidget *parent = nullptr);

protected:
    QString ComposeSQL() const override;
};

class TFrmRptXjyhHZ : public TFrmRptMoney
{
    Q_OBJECT
public:
    explicit TFrmRptXjyhHZ(QWidget *parent = nullptr);

protected:
    QString ComposeSQL() const override;
};

// The expenses and other income; the category is chosen by name.
class TFrmRptSzBase : public TFrmRptMoney
{
    Q_OBJECT
protected:
    TFrmRptSzBase(const char *name, const QString &caption,
                  std::initializer_list<TReportColumn> columns);
    void FormCreate() override;
    // The id of the category named in CombLB, 0 for all.
    int CategoryId() const;

    TConditionCombo *CombLB;
};

class TFrmRptSzMx : public TFrmRptSzBase
{
    Q_OBJECT
public:
    explicit TFrmRptSzMx(QWidget *parent = nullptr);

protected:
    QString ComposeSQL() const override;
};

class TFrmRptSzHZ : public TFrmRptSzBase
{
    Q_OBJECT
public:
    explicit TFrmRptSzHZ(QWidget *parent = nullptr);

protected:
    QString ComposeSQL() const override;
    void DBGrid1DblClick() override;
};
