// The rows of a workbook turned into the statements that replace a master-data table: the
// column map, the value conversion by data type and the name look-ups that create a missing
// department, goods category, warehouse or employee category once. No window and no server
// here, so that the whole conversion can be checked on its own and sent as one request.
#pragma once

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// One importable column of the target table and the workbook column it is read from.
struct TImportField
{
    QString Code;     // column of the target table
    QString Name;     // caption shown to the user, matched against the workbook's headings
    QString DataType; // "S" text, "F" number, anything else: written as given
    int Column = -1;  // zero-based workbook column; -1 while unmapped
    // What the target column takes, when known: text bytes (GBK) and whether null is refused.
    int MaxBytes = 0;
    bool Required = false;
};

// Gives each field the column of the heading equal to its caption; other fields keep theirs.
void MapFieldsByHeading(QList<TImportField> &fields, const QStringList &headings);

// Name -> id of the look-up tables a column may name, with the ids that new rows get.
class TImportNames
{
public:
    enum Kind { Department, GoodsCategory, Warehouse, EmployeeCategory, KindCount };

    // The look-up a target column names, or KindCount for a plain column.
    static Kind KindOfColumn(const QString &code);
    // The select that loads a kind's existing rows (id, name) and its next id.
    static QString LoadSQL(Kind kind);

    void Add(Kind kind, const QString &id, const QString &name);
    void SetNextId(Kind kind, qint64 id) { m_nextId[kind] = id; }

    // The value a cell naming a row of the kind stands for; a name not known yet gets a new
    // row, whose insert is appended to created once.
    QString Resolve(Kind kind, const QString &name, QStringList *created);

private:
    QHash<QString, QString> m_ids[KindCount];
    qint64 m_nextId[KindCount] = {1, 1, 1, 1};
};

// A goods row as imported, for its opening stock.
struct TImportedGoods
{
    qint64 Id = 0;
    double Quantity = 0; // InSL
    double Price = 0;    // JJ
    qint64 Warehouse = 0;
};

// Builds the inserts of the imported rows. Ids run on over all rows given, whatever sheet
// they come from.
class TImportBuilder
{
public:
    TImportBuilder(QString table, QList<TImportField> fields, bool withId, TImportNames *names);

    // One workbook row (cells as texts by column). Returns false with the reason when a value
    // cannot be written; a row whose key field (the first field) is empty is skipped.
    bool AddRow(const QStringList &cells, QString *error);

    int Imported() const { return m_counter; }
    // The look-up rows created so far, then the inserts, in the order they must run.
    QStringList Statements() const { return m_created + m_inserts; }
    QStringList Inserts() const { return m_inserts; }
    QStringList Created() const { return m_created; }
    // The rows with an opening quantity (with ids only), in import order.
    const QList<TImportedGoods> &StockedGoods() const { return m_stocked; }

    // A cell's text as an SQL value of the data type; false when it is not one.
    static bool ConvertValue(const QString &dataType, const QString &text, QString *value);

private:
    QString m_table;
    QList<TImportField> m_fields;
    bool m_withId;
    TImportNames *m_names;
    QString m_head;
    int m_counter = 0;
    QStringList m_created;
    QStringList m_inserts;
    QList<TImportedGoods> m_stocked;
};

// The audited stocktakings that book the imported quantities as opening stock: one per
// warehouse (0 is 1) in order of first appearance, numbered "PD" with the sequences from
// firstSequence on; each with its lines and its ledger rows (received, Flag 1). *used gets the
// number of sequences taken.
QStringList OpeningStockStatements(const QList<TImportedGoods> &goods, QDate date,
                                   qint64 firstSequence, int *used);

// Many statements per part, so that thousands of rows take a few round trips.
QStringList JoinIntoParts(const QStringList &statements, int statementsPerPart = 500);
