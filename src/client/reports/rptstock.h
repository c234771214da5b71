// The stock reports: the ledger per goods with its opening, movements and closing, the general
// ledger with its drill-down to the ledger and the recalculation of issue amounts, the stock
// alarms, the pivot of stock by warehouse and the stocktaking differences.
#pragma once

#include "client/reports/rptmodal.h"

class QCheckBox;
class QPushButton;
class QRadioButton;
class TCustomRemoteServer;

// Makes the pivot's work table afresh, then fills and totals it in one request over server;
// returns the report text. EDatabaseError with the server's reason when refused: the table
// is then empty, never half filled.
QString BuildStockByWarehouse(TCustomRemoteServer &server, const TStockByWarehouse &pivot,
                              const QString &condition);

// Sets every issue document's amount to the sum of its lines, in one request; false with the
// server's reason in message when refused.
bool RecalcIssueAmounts(QString *message = nullptr);

class TFrmRptStock : public TFrmRptModal
{
    Q_OBJECT
protected:
    TFrmRptStock(const char *name, const QString &caption,
                 std::initializer_list<TReportColumn> columns, bool withAttributes);
    // The report text for the panel as it stands.
    virtual QString ComposeSQL() = 0;
    void OpenDataSet() override;
    QCheckBox *AddCheckBox(const char *name, const QString &caption);
};

class TFrmRPTCkMx : public TFrmRptStock
{
    Q_OBJECT
public:
    explicit TFrmRPTCkMx(QWidget *parent = nullptr);
    QCheckBox *chkInOut;

protected:
    QString ComposeSQL() override;
    void FormCreate() override;
    void DBGrid1DblClick() override;
    bool HidesZero(const TColumn &column) const override;
};

class TFrmRPTCkkcHz : public TFrmRptStock
{
    Q_OBJECT
public:
    explicit TFrmRPTCkkcHz(QWidget *parent = nullptr);
    QCheckBox *chkCK;
    QPushButton *btnCalc;

protected:
    QString ComposeSQL() override;
    void DBGrid1DblClick() override;
    bool HidesZero(const TColumn &column) const override;

private:
    void showWarehouseColumn(bool on);
};

class TFrmRPTCkkcBj : public TFrmRptStock
{
    Q_OBJECT
public:
    explicit TFrmRPTCkkcBj(QWidget *parent = nullptr);
    QRadioButton *rbAll;
    QRadioButton *rbBelowMinimum;
    QRadioButton *rbAboveMaximum;

protected:
    QString ComposeSQL() override;
    void GetCellParams(TColumn &column, TCellParams &params) override;
};

class TFrmRptKCZZ_FCHZ : public TFrmRptStock
{
    Q_OBJECT
public:
    explicit TFrmRptKCZZ_FCHZ(QWidget *parent = nullptr);

protected:
    QString ComposeSQL() override;

private:
    void rebuildColumns(const QList<QPair<int, QString>> &warehouses);
};

class TFrmRptPdDif : public TFrmRptStock
{
    Q_OBJECT
public:
    explicit TFrmRptPdDif(QWidget *parent = nullptr);

protected:
    QString ComposeSQL() override;
};
