// The universal filter's conditions and the filter text they give.
#include "client/forms/kingfilter.h"

#include "client/common/sqltext.h"

namespace KingFilter {

namespace {

bool isTextType(TFieldType type)
{
    return IsStringType(type) || type == ftBlob || type == ftUnknown;
}

bool isDateType(TFieldType type)
{
    return type == ftDate || type == ftTime || type == ftDateTime;
}

} // namespace

const QStringList &OperatorCaptions()
{
    static const QStringList captions{
        QStringLiteral("等于"),       QStringLiteral("不等于"),     QStringLiteral("大于"),
        QStringLiteral("大于或等于"), QStringLiteral("小于"),       QStringLiteral("小于或等于"),
        QStringLiteral("始于"),       QStringLiteral("并非起始于"), QStringLiteral("止于"),
        QStringLiteral("并非结束于"), QStringLiteral("包含"),       QStringLiteral("不包含")};
    return captions;
}

QList<int> OperatorsFor(TFieldType type)
{
    if (isTextType(type))
        return {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    if (IsNumericType(type) || isDateType(type))
        return {0, 1, 2, 3, 4, 5};
    if (type == ftBoolean)
        return {0, 1};
    return {};
}

QString FormattedValue(TFieldType type, const QString &value)
{
    if (type == ftBoolean)
        return value == QStringLiteral("是") ||
                       value.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0
                   ? QStringLiteral("True")
                   : QStringLiteral("False");
    if (IsNumericType(type)) {
        bool ok = false;
        value.trimmed().toDouble(&ok);
        // A number is written as typed; anything else would not parse, so it is compared as text.
        return ok ? value.trimmed() : QuotedStr(value);
    }
    return QuotedStr(value);
}

QString ConditionText(const TKingFilterCondition &c)
{
    const QString &f = c.FieldName;
    const QString starts = QuotedStr(c.Value + QLatin1Char('%'));
    const QString ends = QuotedStr(QLatin1Char('%') + c.Value);
    const QString contains = QuotedStr(QLatin1Char('%') + c.Value + QLatin1Char('%'));
    switch (c.Operator) {
    case 0:
        return f + QStringLiteral(" = ") + FormattedValue(c.FieldType, c.Value);
    case 1:
        return f + QStringLiteral(" <> ") + FormattedValue(c.FieldType, c.Value);
    case 2:
        return f + QStringLiteral(" >") + FormattedValue(c.FieldType, c.Value);
    case 3:
        return f + QStringLiteral(" >= ") + FormattedValue(c.FieldType, c.Value);
    case 4:
        return f + QStringLiteral(" < ") + FormattedValue(c.FieldType, c.Value);
    case 5:
        return f + QStringLiteral(" <= ") + FormattedValue(c.FieldType, c.Value);
    case 6:
        return f + QStringLiteral(" LIKE ") + starts;
    case 7:
        return QStringLiteral(" NOT ") + f + QStringLiteral(" LIKE ") + starts;
    case 8:
        return f + QStringLiteral(" LIKE ") + ends;
    case 9:
        return QStringLiteral(" NOT ") + f + QStringLiteral(" LIKE ") + ends;
    case 10:
        return f + QStringLiteral(" LIKE ") + contains;
    case 11:
        return QStringLiteral(" NOT ") + f + QStringLiteral(" LIKE ") + contains;
    default:
        return {};
    }
}

QString FilterText(const QList<TKingFilterCondition> &conditions)
{
    QString text;
    for (int i = 0; i < conditions.size(); ++i) {
        if (i > 0)
            text += conditions[i].Link == QLatin1String("0") ? QStringLiteral(" AND ")
                                                             : QStringLiteral(" OR ");
        text += ConditionText(conditions[i]);
    }
    return text.trimmed();
}

} // namespace KingFilter

TKingFilter::~TKingFilter()
{
    Detach();
}

void TKingFilter::Attach(TClientDataSet *dataSet)
{
    Detach();
    m_dataSet = dataSet;
    if (!m_dataSet)
        return;
    m_savedHandler = m_dataSet->OnFilterRecord;
    m_dataSet->OnFilterRecord = [this](TClientDataSet &, bool &accept) {
        accept = !m_condition || m_condition->Accepts();
    };
}

void TKingFilter::Detach()
{
    if (!m_dataSet)
        return;
    m_dataSet->OnFilterRecord = m_savedHandler;
    m_savedHandler = nullptr;
    m_condition.reset();
    m_dataSet = nullptr;
}

void TKingFilter::Apply()
{
    if (!m_dataSet)
        return;
    m_dataSet->SetFiltered(false);
    m_condition.reset();
    if (Conditions.isEmpty())
        return;
    // The handler evaluates the very text the dialog shows, in the dataset's filter
    // language, so what the user reads is what filters.
    m_condition.emplace(Text(), *m_dataSet, TFilterOptions(foCaseInsensitive) | foNoPartialCompare);
    m_dataSet->SetFiltered(true);
}
