// The chart windows: a result of two columns (a subject's values and their amount or count)
// shown as a bar, pie or line chart on the page "图表" and as a grid with its total on the page
// "表格". The grid prints and exports as every report does; the chart exports as a picture.
// TFrmRptModal_Tu analyses sales, purchases or issues between two dates (top N per subject, or
// every month); TFrmRptModal_Tu_Rs counts the employees per attribute.
#pragma once

#include "client/reports/rptmodal.h"
#include "client/reports/statsql.h"

#include <QPair>

class QButtonGroup;
class QChartView;
class QLineEdit;
class QTabWidget;

// A row of radio buttons under one caption, as the conditions choose a subject or a kind.
class TRadioGroup : public QWidget
{
    Q_OBJECT
public:
    explicit TRadioGroup(QWidget *parent = nullptr);
    void SetItems(const QStringList &items, int itemIndex = 0);
    QStringList Items() const { return m_items; }
    int ItemIndex() const;
    void SetItemIndex(int index);
    QString Text() const;
    // After the user chose another item.
    std::function<void()> OnClick;

private:
    QButtonGroup *m_group;
    QStringList m_items;
};

enum class TChartKind { Bar, Pie, Line };

class TFrmRptChart : public TFrmRptModal
{
    Q_OBJECT
public:
    explicit TFrmRptChart(QWidget *parent = nullptr);

    TRadioGroup *RadioGroupFX;
    TRadioGroup *RadioGroupTu;
    QTabWidget *RzPageClient;
    QWidget *TabSheet_JBXX; // 图表
    QWidget *TabSheet_HPSX; // 表格
    QChartView *DBChart1;
    QAction *Menu_ExportChart;

    void OpenDataSet() override;
    TChartKind Kind() const { return TChartKind(RadioGroupTu->ItemIndex()); }
    // The label and value of each point of the chart's series, in order.
    QList<QPair<QString, double>> ChartPoints() const;
    int SeriesCount() const;
    bool SaveChartImage(const QString &fileName) const;
    void Menu_ExportChartClick();

protected:
    void FormCreate() override;
    // The SQL of the current subject; empty after a message to the user.
    virtual QString ComposeSQL() = 0;
    virtual QString ValueCaption() const { return windowTitle(); }

private:
    void showResult();
    void buildChart();

    int m_shownSubject = -1;
};

class TFrmRptModal_Tu : public TFrmRptChart
{
    Q_OBJECT
public:
    explicit TFrmRptModal_Tu(QWidget *parent = nullptr);
    QLineEdit *EditSeq;
    void SetBillType(const QString &caption) override;
    const TChartVariant &Variant() const { return *m_variant; }

protected:
    QString ComposeSQL() override;
    QString ValueCaption() const override;

private:
    const TChartVariant *m_variant;
};

class TFrmRptModal_Tu_Rs : public TFrmRptChart
{
    Q_OBJECT
public:
    explicit TFrmRptModal_Tu_Rs(QWidget *parent = nullptr);

protected:
    QString ComposeSQL() override;
};
