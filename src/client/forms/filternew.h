// The goods attribute filter ("选择货品"): a row per goods column (code, name, mnemonic and the
// company's attribute columns) with a link, a comparison and a value; the rows with a value
// make the goods list's extra SQL condition on the alias H.
#pragma once

#include "client/forms/rootform.h"

#include <QList>
#include <memory>

class QPushButton;
class TClientDataSet;
class TDataSource;
class TDBGrid;

struct TAttrFilterRow
{
    QString Flag = QStringLiteral("与");         // "与" and, "或" or
    QString Caption;                             // MC: what the row is called
    QString Comparison = QStringLiteral("包含"); // BJGX: "包含" or an operator such as "="
    QString Value;                               // SZ
    QString FieldName;                           // BH: the goods column
};

// The rows the dialog starts with: 货品编号 (BH), 货品名称 (PM), 助记码 (ZJM) and every
// enabled goods attribute with the company's caption.
QList<TAttrFilterRow> DefaultAttrFilterRows();

// Every row with a value, in order: from the second one on its link (" and " / " or "), then
// "(H." + field + comparison + quoted value + ")"; "包含" becomes " like " with the value
// wrapped in "%".
QString AttrFilterText(const QList<TAttrFilterRow> &rows);

class TdlgFilter_New : public TFrmRoot
{
    Q_OBJECT
public:
    explicit TdlgFilter_New(QWidget *parent = nullptr);
    ~TdlgFilter_New() override;

    void SetRows(const QList<TAttrFilterRow> &rows);
    QList<TAttrFilterRow> Rows() const;
    // The condition of the rows as they stand.
    QString ConditionText() const { return AttrFilterText(Rows()); }

    TDBGrid *DBGrid1;
    QPushButton *btnOk;
    QPushButton *btnCancel;

private:
    std::unique_ptr<TClientDataSet> m_rows;
    std::unique_ptr<TDataSource> m_source;
};

// The goods list's goods-information button: shows the dialog with the rows of the last call
// of the run; on OK stores them and gives their condition. False when cancelled.
bool ShowAttrFilter(QString &condition, QWidget *parent = nullptr);
