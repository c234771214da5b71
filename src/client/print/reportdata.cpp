#include "client/print/reportdata.h"

namespace print {

void TReportValues::SetMaster(const QString &field, const QVariant &value)
{
    m_master.insert(field.toUpper(), value);
}

int TReportValues::AddLine()
{
    m_lines.append(QHash<QString, QVariant>());
    return int(m_lines.size()) - 1;
}

void TReportValues::SetLine(int line, const QString &field, const QVariant &value)
{
    if (line >= 0 && line < m_lines.size())
        m_lines[line].insert(field.toUpper(), value);
}

QVariant TReportValues::MasterValue(const QString &field) const
{
    return m_master.value(field.toUpper());
}

QVariant TReportValues::LineValue(int line, const QString &field) const
{
    if (line < 0 || line >= m_lines.size())
        return {};
    return m_lines.at(line).value(field.toUpper());
}

std::optional<QString> TNamedTexts::Find(const QString &name) const
{
    const auto it = m_texts.constFind(name);
    if (it == m_texts.constEnd())
        return std::nullopt;
    return *it;
}

} // namespace print
