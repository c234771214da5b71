// What a report prints: the document's header fields, its lines, and the named texts the
// program sets on the template before it is shown.
#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

#include <optional>

namespace print {

class TReportDataSource
{
public:
    virtual ~TReportDataSource() = default;
    // Field names are matched case-insensitively; an unknown field is an invalid QVariant.
    virtual QVariant MasterValue(const QString &field) const = 0;
    virtual int LineCount() const = 0;
    virtual QVariant LineValue(int line, const QString &field) const = 0;
};

// A data source holding its values: filled from a document's datasets, or by hand.
class TReportValues : public TReportDataSource
{
public:
    void SetMaster(const QString &field, const QVariant &value);
    // Appends an empty line and returns its index.
    int AddLine();
    void SetLine(int line, const QString &field, const QVariant &value);

    QVariant MasterValue(const QString &field) const override;
    int LineCount() const override { return int(m_lines.size()); }
    QVariant LineValue(int line, const QString &field) const override;

private:
    QHash<QString, QVariant> m_master;
    QList<QHash<QString, QVariant>> m_lines;
};

// The texts a program sets by name ("pplink", "ppaddress"): only names the template has are
// taken, and an item naming a text nobody set is not printed.
class TNamedTexts
{
public:
    void Set(const QString &name, const QString &text) { m_texts.insert(name, text); }
    std::optional<QString> Find(const QString &name) const;

private:
    QHash<QString, QString> m_texts;
};

} // namespace print
