// Text handlers of coded fields.
#include "client/data/displaytexts.h"

#include "client/data/clientdataset.h"
#include "client/data/fields.h"
#include "client/data/formats.h"

namespace {

// The text of an integer code from a list starting at `first`; empty for other codes.
QString codeText(const TField &field, std::initializer_list<const char16_t *> texts, int first)
{
    if (field.IsNull())
        return {};
    const double value = field.AsFloat();
    const int index = int(value) - first;
    if (value != double(int(value)) || index < 0 || index >= int(texts.size()))
        return {};
    return QString::fromUtf16(texts.begin()[index]);
}

QString flagText(const TField &field, const char16_t *whenTrue, const char16_t *whenFalse)
{
    if (field.IsNull())
        return {};
    return QString::fromUtf16(field.AsBoolean() ? whenTrue : whenFalse);
}

} // namespace

void uFlagGetText(TField &Sender, QString &Text, bool)
{
    Text = codeText(Sender, {u"草稿", u"审核"}, 0);
}

void ConverHphsff(TField &Sender, QString &Text, bool)
{
    Text = codeText(Sender, {u"库存商品", u"服务/劳务", u"其它收入", u"其它支出", u"折扣"}, 1);
}

void ZhYHLGetText(TField &Sender, QString &Text, bool)
{
    Text = flagText(Sender, u"银行存款类", u"现金类");
}

void SrzclbSRLGetText(TField &Sender, QString &Text, bool)
{
    Text = flagText(Sender, u"收入类", u"支出类");
}

void QtkcbdlxRKLGetText(TField &Sender, QString &Text, bool)
{
    Text = flagText(Sender, u"入库类", u"出库类");
}

void QtkcbdlxTHBZGetText(TField &Sender, QString &Text, bool)
{
    Text = flagText(Sender, u"需要", u"不需要");
}

void YgJSFFGetText(TField &Sender, QString &Text, bool)
{
    Text = codeText(Sender, {u"月薪", u"计件"}, 1);
}

void NSLGetText(TField &Sender, QString &Text, bool)
{
    // The empty lines of a new document have no rate and show no lone "%".
    Text = Sender.IsNull() ? QString() : Sender.AsString() + QLatin1Char('%');
}

void AppMenumCaptionGetText(TField &Sender, QString &Text, bool)
{
    const TField *level = Sender.DataSet()->FindField(QStringLiteral("mLevel"));
    const int indent = level ? std::max(0, level->AsInteger()) : 0;
    Text = (QString(4 * indent, QLatin1Char(' ')) + Sender.AsString()).left(50);
}

void ZeroToEmpty(TField &Sender, QString &Text, bool)
{
    const double value = Sender.AsFloat();
    Text = value == 0 ? QString() : FormatFloat(Sender.DisplayFormat(), value);
}

void YwyGetText(TField &Sender, QString &Text, bool)
{
    Text = Sender.AsString();
    if (Text.isEmpty())
        Text = QStringLiteral("其他");
}
