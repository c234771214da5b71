#include "client/print/capitalmoney.h"

#include <cmath>

namespace {

const QString Digits = QStringLiteral("零壹贰叁肆伍陆柒捌玖");
const QString PlaceUnits[] = {QString(), QStringLiteral("拾"), QStringLiteral("佰"),
                              QStringLiteral("仟")};
// Every four places the group unit: 万, 亿, then 万 again for 万亿.
const QString GroupUnits[] = {QString(), QStringLiteral("万"), QStringLiteral("亿"),
                              QStringLiteral("万")};

QString integerWords(long long yuan)
{
    const QString digits = QString::number(yuan);
    QString words;
    bool zeroPending = false;
    bool groupHasDigit = false;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        const int digit = digits.at(i).digitValue();
        const qsizetype place = digits.size() - 1 - i;
        if (digit == 0) {
            zeroPending = !words.isEmpty();
        } else {
            // Any run of zeros between two digits is read as one 零, even across a group unit.
            if (zeroPending)
                words += Digits.at(0);
            zeroPending = false;
            words += Digits.at(digit) + PlaceUnits[place % 4];
            groupHasDigit = true;
        }
        if (place % 4 == 0) {
            if (groupHasDigit)
                words += GroupUnits[(place / 4) % 4];
            groupHasDigit = false;
        }
    }
    return words;
}

} // namespace

QString CapitalMoney(double amount)
{
    if (!std::isfinite(amount))
        return QString();
    // Cents from the shortest decimal form, so 1.005 is the 1.01 the user typed.
    const double cents = std::round(QString::number(std::fabs(amount) * 100, 'g', 15).toDouble());
    if (cents >= 1e15)
        return QString();
    const auto total = static_cast<long long>(cents);
    const long long yuan = total / 100;
    const int jiao = static_cast<int>(total / 10 % 10);
    const int fen = static_cast<int>(total % 10);

    QString words = total != 0 && amount < 0 ? QStringLiteral("负") : QString();
    if (yuan > 0)
        words += integerWords(yuan) + QStringLiteral("元");
    if (jiao == 0 && fen == 0)
        return yuan > 0 ? words + QStringLiteral("整") : QStringLiteral("零元整");
    if (jiao > 0)
        words += Digits.at(jiao) + QStringLiteral("角");
    else if (yuan > 0)
        words += Digits.at(0);
    if (fen > 0)
        words += Digits.at(fen) + QStringLiteral("分");
    else
        words += QStringLiteral("整");
    return words;
}
