// The report window family: a condition panel with a date range and a quick period, a grid
// over the whole result held locally (sorting, filtering, grouping and footers need no
// server), printing, export, saved column widths and drill-down to detail reports and to
// documents. A concrete report adds its condition controls and columns in its constructor
// and composes its SQL in OpenDataSet before calling the base.
#pragma once

#include "client/forms/addtabform.h"
#include "client/reports/reportsql.h"
#include "client/widgets/gridprinter.h"

#include <QComboBox>

#include <functional>
#include <initializer_list>
#include <memory>
#include <span>

class QDateEdit;
class QHBoxLayout;
class QLabel;
class QMenu;
class QToolBar;
class QToolButton;
class TButtonEdit;
class TClientDataSet;
class TColumn;
class TDataSource;
class TDBGrid;
class TProcAllButtonObj;
struct TCellParams;

// A condition combo box that tells its form before it drops down (lists are filled then).
class TConditionCombo : public QComboBox
{
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    std::function<void(TConditionCombo &)> OnDropDown;
    void showPopup() override;
};

// Whether the stock ledger hides a "0" in the column of a row: everywhere in heading rows
// (no document number); in the opening row but its opening columns; in the closing row and in
// movement rows but their balance columns.
bool StockLedgerHidesZero(const QString &documentNo, const QString &date, const QString &field);

// A column a report shows: field, title, width.
struct TReportColumn
{
    const char *Field;
    const char *Title;
    int Width;
};

class TFrmRptModal : public TFrmAddTab
{
    Q_OBJECT
public:
    explicit TFrmRptModal(QWidget *parent = nullptr);
    ~TFrmRptModal() override;

    QToolBar *ToolBar1;
    QToolButton *btnFind;
    QToolButton *btnTemp;
    QToolButton *btnExport;
    QToolButton *btnPrint;
    QToolButton *btnExit;
    QMenu *PopupOpt;
    QAction *Menu_ExportExcel;
    QAction *Menu_SaveGrid;
    QWidget *Panel1;
    QLabel *Label1;
    QDateEdit *dtpRqa;
    QLabel *Label2;
    QDateEdit *dtpRqb;
    QComboBox *CombSelectedDate;
    TDBGrid *DBGrid1;
    TClientDataSet *cdsQry;
    TDataSource *SQry;

    void SetBillType(const QString &caption) override;
    virtual void OpenDataSet();
    virtual void iniColCaption();
    virtual void SetPrintParam() {}

    QString GetConditionSQL() const;
    QString GetWhereSQL(bool withFromDate) const;
    TReportContext Context() const { return CurrentReportContext(); }

    // Opens (or brings forward) the report of the class, copies this report's conditions,
    // sets one more ("name:text" or "name:text|key") and runs it.
    TFrmRptModal *ShowDetailReport(const QString &className, const QString &caption,
                                   const QString &condition);
    void CopyCondition(const TFrmRptModal &from);
    void SetCondition(const QString &condition);
    bool DrillDown = false;

    const QString &SQLText() const { return m_sql; }
    void SetSQLText(const QString &sql) { m_sql = sql; }

    // The page header and footer of the printout; %[title], %[caption], %[user_name] and
    // %[print_date] stand for the caption, the date range, the user and today.
    QString PrintTitle = QStringLiteral("%[title]");
    QString PrintSubTitle = QStringLiteral("%[caption]");
    // Two tabs apart in the stored rich text; spaces on the printed line.
    QString PrintFooter = QStringLiteral("制单：%[user_name]        打印日期：%[print_date]");
    QString ExpandPrintVariables(const QString &text) const;
    TGridPrintOptions PrintOptions() const;

    // The actions behind the buttons and the menu.
    void btnPrintClick();
    void Menu_ExportExcelClick();
    void Menu_SaveGridClick();
    void CombSelectedDateChange();
    void ProcAllDropDown(TConditionCombo &combo);

protected:
    void FormCreate() override;
    void FormClose() override;

    // Condition controls on Panel1's second row, in the order the condition walks them.
    TButtonEdit *AddButtonEdit(const char *name, const QString &caption, int width = 120);
    TConditionCombo *AddCombo(const char *name, const QString &caption, int width = 120);
    void AddConditionWidget(QWidget *widget, const QString &caption);

    // The grid's columns, in order, before FormCreate sets them up.
    void AddColumns(std::span<const TReportColumn> columns);
    void AddColumns(std::initializer_list<TReportColumn> columns)
    {
        AddColumns(std::span<const TReportColumn>(columns.begin(), columns.size()));
    }
    // The goods attribute columns in use join the grid at creation, after the model column.
    void SetWithAttributes(bool on) { m_withAttributes = on; }

    // Drill-down from a row; the base opens the source document of a detail report's row.
    virtual void DBGrid1DblClick();
    // Cell colours after the base's (subtotal rows blue).
    virtual void GetCellParams(TColumn &column, TCellParams &params);
    // Whether a "0" in the cell is drawn invisible.
    virtual bool HidesZero(const TColumn &column) const;

    QString FieldText(const QString &fieldName) const;
    // The footer "合计" on the first column, after the columns moved.
    void PlaceTotalCaption();

private:
    void setUpColumns();
    void titleClick(TColumn &column);

    QString m_sql;
    QHBoxLayout *m_conditions = nullptr;
    std::unique_ptr<TProcAllButtonObj> m_pickers;
    bool m_withAttributes = false;
};
