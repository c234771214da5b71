// Identity numbers.
#include "client/masterdata/idnumber.h"

namespace {

bool allDigits(QStringView text)
{
    for (const QChar ch : text) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return false;
    }
    return true;
}

} // namespace

QChar IdentityCheckCharacter(const QString &first17)
{
    if (first17.size() != 17 || !allDigits(first17))
        return {};
    // Weights 2^(17-i) mod 11 for positions 0..16; the remainder picks the character.
    static constexpr int weights[17] = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
    static constexpr char characters[] = "10X98765432";
    int sum = 0;
    for (int i = 0; i < 17; ++i)
        sum += (first17.at(i).unicode() - '0') * weights[i];
    return QLatin1Char(characters[sum % 11]);
}

TIdentityNumber CheckIdentityNumber(const QString &number, QDate today)
{
    TIdentityNumber result;
    result.Normalized = number.trimmed().toUpper();
    const QString &id = result.Normalized;
    if (id.size() != 18) {
        result.Error = QStringLiteral("身份证号码应为 18 位，现在是 %1 位！").arg(id.size());
        return result;
    }
    const QChar last = id.at(17);
    if (!allDigits(QStringView(id).left(17)) ||
        !(last == QLatin1Char('X') || allDigits(QStringView(id).right(1)))) {
        result.Error = QStringLiteral("身份证号码前 17 位只能是数字，最后一位只能是数字或 X！");
        return result;
    }
    const QDate birth = QDate::fromString(id.mid(6, 8), QStringLiteral("yyyyMMdd"));
    if (!birth.isValid() || birth.year() < 1900 || birth > today) {
        result.Error = QStringLiteral("身份证号码中的出生日期 %1 不是有效日期！").arg(id.mid(6, 8));
        return result;
    }
    if (IdentityCheckCharacter(id.left(17)) != last) {
        result.Error = QStringLiteral("身份证号码校验位不正确，请核对后重新输入！");
        return result;
    }
    result.BirthDate = birth;
    result.Sex = (id.at(16).unicode() - '0') % 2 == 1 ? QStringLiteral("男") : QStringLiteral("女");
    return result;
}
