// The single-table editors: TSingleModelFrm edits the rows of one table in place in a grid
// with its own actions (move, add, save, cancel, delete, find, filter, print, export, select);
// TSingleTableFrm ("单表模板") adds the table name and an optional date range;
// TSingleTableFrm_1 is the plain code list without one. The wage code lists are members:
// piece-rate processes TGz_GXuFrm, time-rate trades TGz_GongZFrm, piece-rate trades
// TGz_GZongFrm.
#pragma once

#include "client/data/clientdataset.h"
#include "client/forms/actions.h"
#include "client/forms/rootform.h"

#include <memory>

class QCheckBox;
class QDateEdit;
class QLabel;
class QMenu;
class QToolButton;
class TDataSource;
class TDBGrid;
class TKingFilterDialog;
class TPanel;

class TSingleModelFrm : public TFrmRoot
{
    Q_OBJECT
public:
    explicit TSingleModelFrm(QWidget *parent = nullptr);
    ~TSingleModelFrm() override;

    // The rows the form edits (not owned); bound to the grid.
    void SetDataSet(TClientDataSet *dataSet);
    TClientDataSet *DataSet() const { return m_dataSet; }

    // Picker use: "选中" takes the row and closes with OK.
    bool SelectMode = false;
    QString ResultID;

    TPanel *ToolBar1;
    TDBGrid *DBGrid1;
    QMenu *PopOut;
    TAction *acPrior;
    TAction *acNext;
    TAction *acInsert;
    TAction *acSave;
    TAction *acCancel;
    TAction *acDelete;
    TAction *acPrint;
    TAction *acReturn;
    TAction *acEdit;
    TAction *acFind;
    TAction *acFilter;
    TAction *acSelect;
    QAction *pmnExcel;
    QAction *pmnText;

protected:
    // The table of the edited rows, for new keys.
    virtual QString KeyTable() const = 0;
    void FormShow() override;
    bool FormCloseQuery() override;
    virtual void acInsertExecute();
    virtual void acSaveExecute();
    virtual void acCancelExecute();
    virtual void acDeleteExecute();
    void setActionStates();
    // The column layout of the grid's row: below the tool bar, above the grid.
    QWidget *TopArea() const { return m_topArea; }

private:
    void buildActions();
    void exportGrid(bool text);
    bool isEditing() const;

    TClientDataSet *m_dataSet = nullptr;
    std::unique_ptr<TDataSource> m_source;
    std::unique_ptr<TKingFilterDialog> m_filter;
    QWidget *m_topArea;
    QString m_lastFindText;
    int m_lastFindColumn = 0;
};

class TSingleTableFrm : public TSingleModelFrm
{
    Q_OBJECT
public:
    explicit TSingleTableFrm(QWidget *parent = nullptr);

    QString TableName;
    QString DateField; // the date column the range filters; empty for none

    QCheckBox *cbDate;
    QDateEdit *dtFrom;
    QDateEdit *dtTo;
    QLabel *lblTo;

    // The condition after " where ": " 1=1", or the date range when ticked and configured.
    QString Condition() const;
    // Reads the rows again with the condition.
    virtual void OpenRows();

protected:
    QString KeyTable() const override { return TableName; }
    void FormShow() override;
};

// The code lists: no date range.
class TSingleTableFrm_1 : public TSingleTableFrm
{
    Q_OBJECT
public:
    explicit TSingleTableFrm_1(QWidget *parent = nullptr);
};

class TGz_GXuFrm : public TSingleTableFrm_1
{
    Q_OBJECT
public:
    explicit TGz_GXuFrm(QWidget *parent = nullptr);
    void OpenRows() override;

protected:
    void FormShow() override;

private:
    void tradeChanged(TField *field);
    QStringList m_trades;
};

class TGz_GongZFrm : public TSingleTableFrm_1
{
    Q_OBJECT
public:
    explicit TGz_GongZFrm(QWidget *parent = nullptr);
};

class TGz_GZongFrm : public TSingleTableFrm_1
{
    Q_OBJECT
public:
    explicit TGz_GZongFrm(QWidget *parent = nullptr);
};

// Opens a single-table form on the dataset modally and frees it: the caption, the table and
// the date field it filters by (empty for none).
void ShowSingleTable(TClientDataSet &dataSet, const QString &caption, const QString &tableName,
                     const QString &dateField, QWidget *parent = nullptr);
