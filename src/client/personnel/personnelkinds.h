// The personnel and office record kinds: one row per kind says which table and dataset of the
// central data module hold it, which edit form class changes it, which columns its list shows
// and which fields its edit form offers. The list, the edit forms and the main window's
// opener all read this one table.
#pragma once

#include <QDate>
#include <QString>

#include <span>

enum class TRecordFieldType { Text, Date, DateTime, Number, Flag };

struct TKindField
{
    const char *field;
    const char *caption;
    TRecordFieldType kind = TRecordFieldType::Text;
};

// Piece-rate wages name a process of Gz_GXu, time-rate wages a trade of Gz_GongZ; both are
// listed through a join that names the process and the employee.
enum class TWageKind { None, PieceRate, TimeRate };

struct TPersonnelKind
{
    const char *caption;   // the list's caption, which chooses the kind
    bool byContainment;    // the caption only has to contain it ("请假管理" ...)
    const char *table;     // the physical table
    const char *dataSet;   // the dataset of the central data module
    const char *editClass; // the edit form's class
    TWageKind wage;
    std::span<const TKindField> fields; // beyond the employee and the record date
};

// All seventeen kinds, in the order of the personnel menu and then the office and wage
// records.
std::span<const TPersonnelKind> PersonnelKinds();
// The kind of a caption; nullptr for none.
const TPersonnelKind *FindPersonnelKind(const QString &caption);
const TPersonnelKind *PersonnelKindOfEditClass(const QString &className);

// What the list is narrowed to on the left: nothing, a department (with every department
// below it), or one employee.
struct TPersonnelScope
{
    enum Kind { All, Department, Employee } kind = All;
    QString id;
    QStringList departmentIds; // Department: the department and those below it
};

// The list query of a kind: its source joined with the employee and the department, the
// scope, and the date range on RQ when dated is set.
QString PersonnelListSQL(const TPersonnelKind &kind, int databaseKind, const TPersonnelScope &scope,
                         bool dated, QDate from, QDate to);
// " and Z.RQ between #from# and #to#" in the dialect's date literals.
QString PersonnelDateCondition(int databaseKind, QDate from, QDate to);
// The department and every department below it, from (ID, ParentCode) pairs.
QStringList DepartmentAndBelow(const QString &id,
                               const QList<std::pair<QString, QString>> &idAndParent);
