// Comparison of field values across their storage types.
#include "client/data/valueorder.h"

#include <QDate>
#include <QDateTime>

namespace {

bool isNumber(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

template<class T>
int threeWay(const T &x, const T &y)
{
    return x < y ? -1 : (y < x ? 1 : 0);
}

} // namespace

int CompareValues(const QVariant &a, const QVariant &b, TTextOrder textOrder)
{
    const bool aNull = !a.isValid() || a.isNull();
    const bool bNull = !b.isValid() || b.isNull();
    if (aNull || bNull)
        return aNull == bNull ? 0 : (aNull ? -1 : 1);
    if (isNumber(a) && isNumber(b)) {
        // Whole numbers compare exactly: a 64-bit ID does not survive a trip through double.
        const bool aWhole = a.typeId() != QMetaType::Double && a.typeId() != QMetaType::Float;
        const bool bWhole = b.typeId() != QMetaType::Double && b.typeId() != QMetaType::Float;
        if (aWhole && bWhole)
            return threeWay(a.toLongLong(), b.toLongLong());
        return threeWay(a.toDouble(), b.toDouble());
    }
    if (a.typeId() == QMetaType::QDate && b.typeId() == QMetaType::QDate)
        return threeWay(a.toDate(), b.toDate());
    if (a.typeId() == QMetaType::QDateTime && b.typeId() == QMetaType::QDateTime)
        return threeWay(a.toDateTime(), b.toDateTime());
    const QString x = a.toString();
    const QString y = b.toString();
    const int c = textOrder == TTextOrder::Locale ? x.localeAwareCompare(y) : x.compare(y);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}
