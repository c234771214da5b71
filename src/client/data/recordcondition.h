// A condition in the dataset's filter language, evaluated on whatever record the fields
// read: lets a record-filter handler agree exactly with a filter text.
#pragma once

#include "client/data/dbtypes.h"

#include <QString>

#include <memory>

class TClientDataSet;
namespace DataInternal {
class Expression;
}

class TRecordCondition
{
public:
    // Raises EDatabaseError for text that does not parse or names a missing field.
    TRecordCondition(const QString &text, const TClientDataSet &dataSet,
                     TFilterOptions options = foCaseInsensitive);
    ~TRecordCondition();
    TRecordCondition(TRecordCondition &&) noexcept;
    TRecordCondition &operator=(TRecordCondition &&) noexcept;

    bool Accepts() const;
    const QString &Text() const { return m_text; }

private:
    QString m_text;
    std::shared_ptr<DataInternal::Expression> m_expression;
};
