// The purchase reports over audited receipts: details in three variants chosen by caption,
// and summaries by goods, by supplier and by buyer, each drilling down to the details.
#pragma once

#include "client/reports/rptmodal.h"

class TFrmRptPurchase : public TFrmRptModal
{
    Q_OBJECT
protected:
    TFrmRptPurchase(const char *name, const QString &caption,
                    std::initializer_list<TReportColumn> columns, bool withAttributes);
    // The report text for the condition of the panel with both dates.
    virtual QString ComposeSQL(const QString &condition) const = 0;
    void OpenDataSet() override;
};

class TFrmRptCGMX : public TFrmRptPurchase
{
    Q_OBJECT
public:
    explicit TFrmRptCGMX(QWidget *parent = nullptr);
    void SetBillType(const QString &caption) override;

protected:
    QString ComposeSQL(const QString &condition) const override;

private:
    TPurchaseDetailOrder m_order = TPurchaseDetailOrder::None;
};

class TFrmRptCGHZ : public TFrmRptPurchase
{
    Q_OBJECT
public:
    explicit TFrmRptCGHZ(QWidget *parent = nullptr);

protected:
    QString ComposeSQL(const QString &condition) const override;
    void DBGrid1DblClick() override;
};

class TFrmRptCGVentderHZ : public TFrmRptPurchase
{
    Q_OBJECT
public:
    explicit TFrmRptCGVentderHZ(QWidget *parent = nullptr);

protected:
    QString ComposeSQL(const QString &condition) const override;
    void DBGrid1DblClick() override;
};

// Drills down to the purchase details of the clicked buyer.
class TFrmRptCGYGHZ : public TFrmRptPurchase
{
    Q_OBJECT
public:
    explicit TFrmRptCGYGHZ(QWidget *parent = nullptr);

protected:
    QString ComposeSQL(const QString &condition) const override;
    void DBGrid1DblClick() override;
};
