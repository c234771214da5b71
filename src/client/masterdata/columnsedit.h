// The column layout of a document grid: TfrmTableColumnsEdit lets the administrator rename,
// reorder, resize and hide the grid's columns and stores the layout in TableColumns under the
// grid's name; ApplyTableColumns gives a grid its stored layout when its document opens.
#pragma once

#include "client/forms/rootform.h"

#include <memory>

class QPushButton;
class TClientDataSet;
class TDataSource;
class TDBGrid;

class TfrmTableColumnsEdit : public TFrmRoot
{
    Q_OBJECT
public:
    // tableName is the grid's name in TableColumns; grid gives the default rows when none is
    // stored (it is only read).
    TfrmTableColumnsEdit(const QString &tableName, const TDBGrid *grid, QWidget *parent = nullptr);
    ~TfrmTableColumnsEdit() override;

    TClientDataSet *Columns; // the layout rows (owned)
    TDBGrid *DBGrid1;
    QPushButton *btnSave;
    QPushButton *btnRestore;
    QPushButton *btnClose;

    // The first position outside 1..N as its refusal ("序号不能小于1", "序号不能大于N");
    // empty when every position is valid.
    QString PositionError() const;

protected:
    void FormShow() override;
    void btnSaveClick();
    void btnRestoreClick();

private:
    void addDefaultRows();

    QString m_tableName;
    const TDBGrid *m_grid;
    std::unique_ptr<TClientDataSet> m_columns;
    std::unique_ptr<TDataSource> m_source;
};

// Applies the stored layout of tableName to the grid: stored columns take their caption,
// width and visibility and come first in their order; columns without a row keep their place
// after them. Nothing changes when no layout is stored.
// Returns how many stored columns of the grid are shown.
int ApplyTableColumns(TDBGrid &grid, const QString &tableName);
