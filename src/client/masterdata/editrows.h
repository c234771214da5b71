// The master-data forms built from tables: a list's grid columns, and the controls of a
// record edit form, each row a caption and a data-aware control bound to the list's data
// source, laid out in columns, the captions becoming the fields' display labels so the
// required-field message names them.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <initializer_list>
#include <utility>

class QGridLayout;
class QWidget;
class TClientDataSet;
class TDataSource;
class TDBCheckBox;
class TDBGrid;
class TDBEdit;
class TDBLookupComboBox;
class TDBRadioGroup;

struct TColumnSpec
{
    const char *field;
    const char *title;
    int width;
};

void AddColumns(TDBGrid *grid, std::initializer_list<TColumnSpec> columns);

class TEditRows
{
public:
    // Rows go down the page in `columns` columns of caption and control.
    TEditRows(QWidget *page, TDataSource *source, int columns = 1);

    // A plain edit named "RzDBEdit_" + field; the name field MC is "RzDBEdit_Name", the
    // control the edit form focuses on a new record.
    TDBEdit *Edit(const char *field, const char *caption);
    // A choice of list's key (ID) shown by its name (MC).
    TDBLookupComboBox *Lookup(const char *field, const char *caption, TDataSource *list);
    // Radio buttons with the captions of items, storing "True" for the first and "False"
    // for the second (a boolean field).
    TDBRadioGroup *Choice(const char *field, const char *caption, const char *trueItem,
                          const char *falseItem);
    TDBCheckBox *Check(const char *field, const char *caption);
    // A control made by the form, placed as the next row.
    void Add(QWidget *control, const char *field, const char *caption);

    // Gives the dataset's fields the captions of the rows (the fields that exist).
    void ApplyLabels(TClientDataSet &dataSet) const;

private:
    template<class Control>
    Control *bind(Control *control, const char *field, const char *caption);

    QWidget *m_page;
    TDataSource *m_source;
    QGridLayout *m_grid;
    int m_columns;
    int m_count = 0;
    QList<std::pair<QString, QString>> m_labels;
};

// Copies the first row of sql into fieldNames ("QMJE;aSJJE") of the current record without
// leaving a change to send: for values the server worked out on a save the form made. Does
// nothing while the dataset holds unsent changes.
void ReadBackFields(TClientDataSet &dataSet, const QString &sql, const QString &fieldNames);
