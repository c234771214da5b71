// The universal find ("万能查找"): moves a grid's dataset to the next row whose column matches
// a text, as a whole value or a part, with or without regard to case.
#pragma once

#include "client/forms/rootform.h"

#include <QStringList>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TClientDataSet;
class TDBGrid;

struct TFindOptions
{
    QString Text;
    QString FieldName;
    bool WholeValue = false;
    bool CaseSensitive = false;
};

// The first row from startRow on whose field's display text matches; -1 when none.
int FindRow(const TClientDataSet &dataSet, const TFindOptions &options, int startRow);

class TfrmFindPublic : public TFrmRoot
{
    Q_OBJECT
public:
    TfrmFindPublic(TDBGrid *grid, TClientDataSet *dataSet, QWidget *parent = nullptr);

    // The last search of the list: text and column index.
    void SetLastSearch(const QString &text, int columnIndex);
    QString SearchText() const;
    int ColumnIndex() const;
    bool Found() const { return m_found; }

    TFindOptions Options() const;

    QLineEdit *edtText;
    QComboBox *cbFields;
    QRadioButton *rbAll;
    QRadioButton *rbDown;
    QCheckBox *chkWhole;
    QCheckBox *chkCase;
    QPushButton *btnFind;
    QPushButton *btnNext;
    QPushButton *btnCancel;

protected:
    // Finds from the first row or from the current row down and closes with OK on a match.
    void btnFindClick();
    // Searches on from the row after the current one; the window stays open.
    void btnNextClick();

private:
    bool findFrom(int startRow);

    TDBGrid *m_grid;
    TClientDataSet *m_dataSet;
    QStringList m_fieldNames; // parallel to cbFields
    bool m_found = false;
};

// The lists' find action: shows the window with the last text and column and hands them back
// for the next call; true when a row was found.
bool FindPublic(TDBGrid *grid, TClientDataSet *dataSet, QString &searchText, int &columnIndex,
                QWidget *parent = nullptr);
