// The SQL corpus the report builders are held to: each text under its "-- label" line, so a
// builder's output can be compared with the text the SQL tests run on real data.
#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QMap>
#include <QString>

#include <functional>
#include <vector>

namespace corpustexts {

inline QMap<QString, QString> corpus(const QString &file)
{
    QFile f(QStringLiteral(VZ_REPORT_CORPUS_DIR "/") + file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(f.readAll());
    QMap<QString, QString> texts;
    qsizetype at = 0;
    while ((at = text.indexOf(QStringLiteral("\n-- "), at)) >= 0) {
        const qsizetype labelEnd = text.indexOf(QLatin1Char('\n'), at + 4);
        const qsizetype end = text.indexOf(QStringLiteral(";\n"), labelEnd);
        if (labelEnd < 0 || end < 0)
            break;
        texts[text.mid(at + 4, labelEnd - at - 4)] = text.mid(labelEnd + 1, end - labelEnd - 1);
        at = labelEnd;
    }
    return texts;
}

// A builder's text for a label, in the dialect of kind (0 Jet, otherwise T-SQL).
struct TCase
{
    const char *label;
    std::function<QString(int kind)> build;
};

// Every case's text equals the corpus text of its label in the dialect of kind.
inline void expectCorpusTexts(const std::vector<TCase> &cases, int kind)
{
    const auto texts = corpus(kind == 0 ? QStringLiteral("jet.sql") : QStringLiteral("tsql.sql"));
    ASSERT_FALSE(texts.isEmpty());
    for (const TCase &c : cases) {
        const QString label = QString::fromUtf8(c.label);
        ASSERT_TRUE(texts.contains(label)) << c.label;
        EXPECT_EQ(c.build(kind).toStdString(), texts.value(label).toStdString()) << c.label;
    }
}

} // namespace corpustexts
