// The statistics reports: prices per goods (lowest, highest, average, latest), each goods'
// share of the turnover, and the year analysis by month. Each serves sales and purchases (the
// year analysis also issues), chosen by the caption the menu passes.
#pragma once

#include "client/reports/rptmodal.h"
#include "client/reports/statsql.h"

class QLineEdit;
class TRadioGroup;

// The sales or purchase variant of a price or structure caption ("销售…" or "采购…").
class TFrmRptTradeStatic : public TFrmRptModal
{
    Q_OBJECT
public:
    bool Sales() const { return m_sales; }
    void SetBillType(const QString &caption) override;

protected:
    TFrmRptTradeStatic(const char *name, const QString &caption);
    // The ledger rows of the variant under the panel's conditions and dates.
    QString Rows() const;
    virtual void VariantChanged() {}

private:
    bool m_sales;
};

class TFrmRptStatic_Price : public TFrmRptTradeStatic
{
    Q_OBJECT
public:
    explicit TFrmRptStatic_Price(QWidget *parent = nullptr);
    TRadioGroup *RadioGroupFX;
    void OpenDataSet() override;

protected:
    void FormCreate() override;
    void VariantChanged() override;

private:
    void rebuildColumns();
};

class TFrmStatic_Structure : public TFrmRptTradeStatic
{
    Q_OBJECT
public:
    explicit TFrmStatic_Structure(QWidget *parent = nullptr);
    void OpenDataSet() override;
    void iniColCaption() override;
};

class TFrm_Static_Month : public TFrmRptModal
{
    Q_OBJECT
public:
    explicit TFrm_Static_Month(QWidget *parent = nullptr);
    QLineEdit *edtYear;
    TRadioGroup *RadioGroupFX;
    void SetBillType(const QString &caption) override;
    void OpenDataSet() override;
    const TYearVariant &Variant() const { return *m_variant; }

protected:
    void FormCreate() override;

private:
    void applyVariant(const TYearVariant &variant);
    void rebuildColumns();

    const TYearVariant *m_variant;
};
