// Exceptions and type helpers of the data layer.
#include "client/data/dbtypes.h"

#include "client/data/clientdataset.h"

Exception::Exception(const QString &message)
    : m_message(message)
    , m_utf8(message.toUtf8())
{}

EAbort::EAbort()
    : Exception(QStringLiteral("Operation aborted"))
{}

void Abort()
{
    throw EAbort();
}

void DatabaseError(const QString &message, const TClientDataSet *dataSet)
{
    if (dataSet && !dataSet->Name().isEmpty())
        throw EDatabaseError(dataSet->Name() + QStringLiteral(": ") + message);
    throw EDatabaseError(message);
}

QString FieldTypeName(TFieldType type)
{
    switch (type) {
    case ftUnknown:
        return QStringLiteral("Unknown");
    case ftString:
        return QStringLiteral("String");
    case ftWideString:
        return QStringLiteral("WideString");
    case ftSmallint:
        return QStringLiteral("SmallInt");
    case ftInteger:
        return QStringLiteral("Integer");
    case ftAutoInc:
        return QStringLiteral("AutoInc");
    case ftLargeint:
        return QStringLiteral("LargeInt");
    case ftBoolean:
        return QStringLiteral("Boolean");
    case ftFloat:
        return QStringLiteral("Float");
    case ftCurrency:
        return QStringLiteral("Currency");
    case ftBCD:
        return QStringLiteral("BCD");
    case ftDate:
        return QStringLiteral("Date");
    case ftTime:
        return QStringLiteral("Time");
    case ftDateTime:
        return QStringLiteral("DateTime");
    case ftMemo:
        return QStringLiteral("Memo");
    case ftWideMemo:
        return QStringLiteral("WideMemo");
    case ftBlob:
        return QStringLiteral("Blob");
    case ftGraphic:
        return QStringLiteral("Graphic");
    }
    return QString();
}

bool IsNumericType(TFieldType type)
{
    switch (type) {
    case ftSmallint:
    case ftInteger:
    case ftAutoInc:
    case ftLargeint:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
        return true;
    default:
        return false;
    }
}

bool IsStringType(TFieldType type)
{
    return type == ftString || type == ftWideString || type == ftMemo || type == ftWideMemo;
}

bool IsBlobType(TFieldType type)
{
    return type == ftMemo || type == ftWideMemo || type == ftBlob || type == ftGraphic;
}
