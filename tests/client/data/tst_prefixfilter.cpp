// LIKE with a constant prefix pattern on a text column is matched on the stored bytes; it must
// answer exactly as the general evaluator does, for every pattern, value, case rule and NOT.
#include "testdata.h"

#include "client/common/sqltext.h"
#include "client/data/prefixpattern.h"

#include <QByteArray>

#include <functional>
#include <iterator>

using DataInternal::PrefixPattern;

namespace {

const char16_t *const Values[] = {
    u"abc",      u"ABC",      u"aBc", u"ab",          u"a",      u"",   u"a_c", u"axc",
    u"螺丝刀",   u"螺丝",     u"螺",  u"O'Neil 螺丝", u"o'neil", u"ß",  u"SS",  u"straße",
    u"İstanbul", u"istanbul", u"😀x",  u"x😀",          u"a%b",    u"A*", u"12",  u"\uFEFFab",
    u"ab\uFEFF", u"ｆｕｌｌ", u"ΣΑΣ", u"σας",         u"a b",    u" ab"};

const char16_t *const Patterns[] = {
    u"a%",   u"A%",  u"ab%", u"abc",  u"ab",   u"%",       u"",        u"_",    u"_%",      u"__",
    u"a_c%", u"a_c", u"螺%", u"螺丝", u"螺_%", u"O'Neil%", u"o'NEIL%", u"a%%",  u"a*",      u"a*%",
    u"ß%",   u"SS%", u"ss%", u"i%",   u"İ%",   u"😀%",      u"_x%",     u"__x",  u"\uFEFF%", u"ｆ%",
    u"Σ%",   u"σ%",  u"ς%",  u"a %",  u" %",   u"%a",      u"a%c",     u"%螺%", u"a_%c",    u"12%"};

// Goods codes holding every value above once, and a null.
void createCodes(TClientDataSet &ds)
{
    ds.FieldDefs().Add(QStringLiteral("ID"), ftInteger);
    ds.FieldDefs().Add(QStringLiteral("BH"), ftWideString, 40);
    ds.FieldDefs().Add(QStringLiteral("PM"), ftString, 40);
    ds.CreateDataSet();
    int id = 0;
    for (const char16_t *value : Values) {
        ++id;
        ds.AppendRecord({id, QString::fromUtf16(value), QString::fromUtf16(value)});
    }
    ds.AppendRecord({++id, QVariant(), QVariant()});
    ds.MergeChangeLog();
    // A record changed since it was read matches by its new value.
    ds.Locate(QStringLiteral("BH"), QStringLiteral("axc"));
    ds.Edit();
    ds.FieldByName(QStringLiteral("BH"))->SetAsString(QStringLiteral("AXC"));
    ds.Post();
}

QString filtered(TClientDataSet &ds, const QString &filter, TFilterOptions options)
{
    ds.SetFilterOptions(options);
    ds.SetFilter(filter);
    QStringList ids;
    for (ds.First(); !ds.Eof(); ds.Next())
        ids << ds.FieldByName(QStringLiteral("ID"))->AsString();
    return ids.join(u',');
}

} // namespace

TEST(PrefixFilter, AgreesWithTheGeneralEvaluator)
{
    TClientDataSet ds;
    createCodes(ds);
    ds.SetFiltered(true);
    int compared = 0;
    for (const char16_t *pattern : Patterns) {
        const QString quoted = QuotedStr(QString::fromUtf16(pattern));
        for (const char *form : {"BH like %1", "BH not like %1", "PM like %1 or ID like %1",
                                 "not (BH like %1) and PM like %1"}) {
            const QString filter = QString::fromLatin1(form).arg(quoted);
            for (TFilterOptions options : {TFilterOptions(), TFilterOptions(foCaseInsensitive)}) {
                const QString fast = filtered(ds, filter, options);
                const QString general = filtered(ds, filter, options | foGeneralEvaluator);
                EXPECT_EQ(fast, general)
                    << filter.toStdString() << (options ? " case-insensitive" : "");
                ++compared;
            }
        }
    }
    EXPECT_EQ(compared, int(std::size(Patterns)) * 8);
}

// What the look-up list relies on, spelled out, so that both evaluators agreeing on a wrong
// answer does not pass.
TEST(PrefixFilter, LookupListPrefixes)
{
    TClientDataSet ds;
    createCodes(ds);
    ds.SetFiltered(true);
    const struct
    {
        const char16_t *filter;
        TFilterOptions options;
        const char *ids;
    } cases[] = {
        {u"BH like 'a%'", {}, "1,3,4,5,7,21,24,25,29"},
        {u"BH like 'A%'", {}, "2,8,22"},
        {u"BH like 'a%'", foCaseInsensitive, "1,2,3,4,5,7,8,21,22,24,25,29"},
        {u"BH like 'ab'", {}, "4,24"},
        // An empty text is kept as null, which no pattern matches.
        {u"BH like '%'",
         {},
         "1,2,3,4,5,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,"
         "27,28,29,30"},
        {u"BH like ''", {}, ""},
        // NOT LIKE lets nulls through, as the general evaluator always has.
        {u"BH not like ''",
         {},
         "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,"
         "25,26,27,28,29,30,31"},
        {u"BH like 'a_c%'", {}, "1,3,7"},
        {u"BH like '螺%'", {}, "9,10,11"},
        {u"BH like '螺丝'", {}, "10"},
        {u"BH like 'O''Neil%'", {}, "12"},
        {u"BH like 'o''neil%'", foCaseInsensitive, "12,13"},
        {u"BH like '😀%'", {}, "19"},
        {u"BH like '_x'", {}, ""}, // the emoji is two units
        {u"BH like '__x'", {}, "19"},
        {u"BH like 'ab%'", {}, "1,4,24,25"}, // a leading byte-order mark is dropped on reading
        {u"BH not like 'a%' and ID < 6", {}, "2"},
        {u"BH like 'ｆ%'", {}, "26"},
    };
    for (const auto &c : cases) {
        const QString filter = QString::fromUtf16(c.filter);
        EXPECT_EQ(filtered(ds, filter, c.options), QString::fromLatin1(c.ids))
            << filter.toStdString();
    }
}

TEST(PrefixFilter, WhichPatternsCompile)
{
    const struct
    {
        const char16_t *pattern;
        bool compiles;
    } cases[] = {
        {u"ab%", true},   {u"ab", true},       {u"", true},         {u"%", true},
        {u"a_%", true},   {u"a%%*", true},     {u"%a", false},      {u"a%b", false},
        {u"a*b%", false}, {u"\uFFFD%", false}, {u"\xD83D%", false}, {u"\xDE00%", false},
        {u"😀%", true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(PrefixPattern::compile(QString::fromUtf16(c.pattern)).has_value(), c.compiles)
            << QString::fromUtf16(c.pattern).toStdString();
}

// Bytes a server or a file may hand over that are not well-formed UTF-8: the byte matcher
// either answers as the decoded text would, or leaves the record to the general evaluator.
TEST(PrefixFilter, MalformedBytesAnswerAsTheirDecodedText)
{
    const QByteArray cells[] = {
        QByteArray("ab\xFF"),
        QByteArray("\xFF"
                   "ab"),
        QByteArray("a\xC0\x80"),
        QByteArray("\xED\xA0\x80"),
        QByteArray("ab\xE8\x9E"),
        QByteArray("\xEF\xBB\xBF"
                   "ab"),
        QByteArray("\xEF\xBB\xBF"),
        QByteArray("a\xF4\x90\x80\x80"),
        QByteArray("AB\xFE"),
        QByteArray("\xE8\x9E\xBA\xFF"),
    };
    TClientDataSet ds;
    ds.FieldDefs().Add(QStringLiteral("ID"), ftInteger);
    ds.FieldDefs().Add(QStringLiteral("BH"), ftWideString, 40);
    ds.CreateDataSet();
    ds.AppendRecord({1, QString()});
    ds.SetFiltered(true);
    int answered = 0;
    for (const QByteArray &cell : cells) {
        ds.SetFilter(QString());
        ds.First();
        ds.Edit();
        ds.FieldByName(QStringLiteral("BH"))->SetAsString(QString::fromUtf8(cell));
        ds.Post();
        for (const char16_t *pattern : Patterns) {
            const auto compiled = PrefixPattern::compile(QString::fromUtf16(pattern));
            if (!compiled)
                continue;
            const QString filter =
                QStringLiteral("BH like ") + QuotedStr(QString::fromUtf16(pattern));
            for (TFilterOptions options : {TFilterOptions(), TFilterOptions(foCaseInsensitive)}) {
                const PrefixPattern::Match match =
                    compiled->match(std::string_view(cell.constData(), size_t(cell.size())),
                                    options.testFlag(foCaseInsensitive));
                if (match == PrefixPattern::Match::Unknown)
                    continue;
                ++answered;
                const bool general = !filtered(ds, filter, options | foGeneralEvaluator).isEmpty();
                EXPECT_EQ(match == PrefixPattern::Match::Yes, general)
                    << filter.toStdString() << " on " << cell.toHex().toStdString();
            }
        }
    }
    EXPECT_GT(answered, 100);
}

TEST(PrefixFilter, WhichPatternsNarrowOthers)
{
    const struct
    {
        const char16_t *pattern;
        const char16_t *older;
        bool narrows;
    } cases[] = {
        {u"ab%", u"a%", true},    {u"ab", u"a%", true},    {u"a%", u"a%", true},
        {u"ab%", u"a_%", true},   {u"a_%", u"ab%", false}, {u"a%", u"ab%", false},
        {u"ab%", u"a", false},    {u"ab%", u"b%", false},  {u"Ab%", u"a%", false},
        {u"螺丝%", u"螺%", true}, {u"a%", u"%", true},     {u"", u"%", true},
        {u"ab%", u"ab", false},
    };
    for (const auto &c : cases) {
        const auto pattern = PrefixPattern::compile(QString::fromUtf16(c.pattern));
        const auto older = PrefixPattern::compile(QString::fromUtf16(c.older));
        ASSERT_TRUE(pattern && older);
        EXPECT_EQ(pattern->narrows(*older), c.narrows)
            << QString::fromUtf16(c.pattern).toStdString() << " after "
            << QString::fromUtf16(c.older).toStdString();
    }
}

// A filter typed one character further tests only the rows the previous one kept; between
// keys records are posted, inserted and deleted. The rows must be those of a dataset that
// evaluates every filter afresh over every record.
TEST(PrefixFilter, NarrowingGivesTheRowsOfAFreshFilter)
{
    const auto lookupFilter = [](const QString &t) {
        if (t.isEmpty())
            return QString();
        return QStringLiteral("BH like ") + QuotedStr(t + u'%') + QStringLiteral(" or PM like ") +
               QuotedStr(t + u'%');
    };
    for (TFilterOptions options : {TFilterOptions(), TFilterOptions(foCaseInsensitive)}) {
        TClientDataSet narrowed;
        TClientDataSet fresh;
        createCodes(narrowed);
        createCodes(fresh);
        narrowed.SetFilterOptions(options);
        fresh.SetFilterOptions(options | foGeneralEvaluator);
        narrowed.SetFiltered(true);
        fresh.SetFiltered(true);
        const auto both = [&](const std::function<void(TClientDataSet &)> &step) {
            step(narrowed);
            step(fresh);
        };
        const auto ids = [](TClientDataSet &ds) {
            QStringList list;
            for (ds.First(); !ds.Eof(); ds.Next())
                list << ds.FieldByName(QStringLiteral("ID"))->AsString();
            return list.join(u',');
        };
        const char16_t *const steps[] = {
            u"a",      u"ab", u"abc", u"ab",   u"a", u"",   u"a",   u"a_", u"a_c",
            u"+abz",   u"ab", u"abz", u"ab",   u"-", u"ab", u"a",   u"螺", u"螺丝",
            u"螺丝刀", u"螺", u"=x",  u"螺丝", u"",  u"O'", u"O'N", u"o",  u"o'n",
        };
        for (const char16_t *stepText : steps) {
            const QString step = QString::fromUtf16(stepText);
            if (step.startsWith(u'+')) {
                // A new record that the current filter lets through.
                both([&](TClientDataSet &ds) {
                    ds.Append();
                    ds.FieldByName(QStringLiteral("ID"))->SetAsInteger(100);
                    ds.FieldByName(QStringLiteral("BH"))->SetAsString(step.mid(1));
                    ds.Post();
                });
            } else if (step == u"-") {
                both([&](TClientDataSet &ds) {
                    ds.First();
                    ds.Delete();
                });
            } else if (step.startsWith(u'=')) {
                // The first record shown changes its code and leaves the view.
                both([&](TClientDataSet &ds) {
                    ds.First();
                    ds.Edit();
                    ds.FieldByName(QStringLiteral("BH"))->SetAsString(step.mid(1));
                    ds.FieldByName(QStringLiteral("PM"))->SetAsString(step.mid(1));
                    ds.Post();
                });
            } else {
                both([&](TClientDataSet &ds) { ds.SetFilter(lookupFilter(step)); });
            }
            EXPECT_EQ(ids(narrowed), ids(fresh))
                << "after " << step.toStdString() << (options ? " case-insensitive" : "");
        }
    }
}
