// The universal filter's conditions: each line names a field, an operator and a value and is
// linked to the one before it with "and" or "or". They read as a filter text and filter a
// dataset's records with exactly that meaning.
#pragma once

#include "client/data/clientdataset.h"
#include "client/data/recordcondition.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

struct TKingFilterCondition
{
    QString Link = QStringLiteral("0"); // "0" and, anything else or
    int Operator = 0;                   // index into the operator captions
    QString Value;
    QString FieldName;
    TFieldType FieldType = ftString;
};

namespace KingFilter {

// "等于", "不等于", ... in index order.
const QStringList &OperatorCaptions();

// The operators a field of the type may use (indexes into OperatorCaptions); empty for types
// that cannot be filtered.
QList<int> OperatorsFor(TFieldType type);

// The value as it stands in the text for operators 0-5.
QString FormattedValue(TFieldType type, const QString &value);

// One condition's text, without its link.
QString ConditionText(const TKingFilterCondition &condition);

// All conditions with their links, trimmed.
QString FilterText(const QList<TKingFilterCondition> &conditions);

} // namespace KingFilter

// Filters a dataset by a list of conditions through its record-filter handler, which it
// saves on attaching and gives back on detaching.
class TKingFilter
{
public:
    ~TKingFilter();

    void Attach(TClientDataSet *dataSet);
    void Detach();
    TClientDataSet *DataSet() const { return m_dataSet; }

    QList<TKingFilterCondition> Conditions;
    QString Text() const { return KingFilter::FilterText(Conditions); }

    // Switches filtering off, then on again when there is at least one condition, so that an
    // empty list shows every row. Raises EDatabaseError when a value does not fit its field.
    void Apply();

private:
    TClientDataSet *m_dataSet = nullptr;
    TFilterRecordEvent m_savedHandler;
    std::optional<TRecordCondition> m_condition;
};
