// A filter-language condition evaluated on the current record.
#include "client/data/recordcondition.h"

#include "client/data/expression.h"

TRecordCondition::TRecordCondition(const QString &text, const TClientDataSet &dataSet,
                                   TFilterOptions options)
    : m_text(text)
    , m_expression(DataInternal::Expression::parse(text, dataSet, false))
{
    m_expression->setOptions(options);
}

TRecordCondition::~TRecordCondition() = default;
TRecordCondition::TRecordCondition(TRecordCondition &&) noexcept = default;
TRecordCondition &TRecordCondition::operator=(TRecordCondition &&) noexcept = default;

bool TRecordCondition::Accepts() const
{
    return m_expression->accepts();
}
