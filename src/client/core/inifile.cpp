// Windows-style ini files, kept in their own order with unknown lines left alone.
#include "client/core/inifile.h"

#include <QFile>
#include <QSaveFile>

namespace {

QStringList readLines(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QString text = QString::fromUtf8(bytes);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

bool isSectionLine(const QString &line, QString *name)
{
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(QLatin1Char('[')) || !trimmed.endsWith(QLatin1Char(']')))
        return false;
    *name = trimmed.mid(1, trimmed.size() - 2).trimmed();
    return true;
}

bool splitKeyValue(const QString &line, QString *key, QString *value)
{
    const int eq = line.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return false;
    *key = line.left(eq).trimmed();
    *value = line.mid(eq + 1);
    return true;
}

} // namespace

TIniFile::TIniFile(const QString &fileName)
    : m_fileName(fileName)
    , m_lines(readLines(fileName))
{}

int TIniFile::find(const QString &section, const QString &key, int *sectionEnd) const
{
    bool inSection = false;
    *sectionEnd = -1;
    for (int i = 0; i < m_lines.size(); ++i) {
        QString name;
        if (isSectionLine(m_lines[i], &name)) {
            if (inSection)
                return -1; // the section ended without the key
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            if (inSection)
                *sectionEnd = i + 1;
            continue;
        }
        if (!inSection)
            continue;
        if (!m_lines[i].trimmed().isEmpty())
            *sectionEnd = i + 1;
        QString k;
        QString v;
        if (splitKeyValue(m_lines[i], &k, &v) && k.compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString TIniFile::ReadString(const QString &section, const QString &key,
                             const QString &defaultValue) const
{
    int sectionEnd = -1;
    const int line = find(section, key, &sectionEnd);
    if (line < 0)
        return defaultValue;
    QString k;
    QString v;
    splitKeyValue(m_lines[line], &k, &v);
    return v;
}

int TIniFile::ReadInteger(const QString &section, const QString &key, int defaultValue) const
{
    bool ok = false;
    const int value = ReadString(section, key).trimmed().toInt(&ok, 0);
    return ok ? value : defaultValue;
}

bool TIniFile::ReadBool(const QString &section, const QString &key, bool defaultValue) const
{
    const QString text = ReadString(section, key).trimmed().toLower();
    if (text == QLatin1String("true") || text == QLatin1String("yes"))
        return true;
    if (text == QLatin1String("false") || text == QLatin1String("no"))
        return false;
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool TIniFile::ValueExists(const QString &section, const QString &key) const
{
    int sectionEnd = -1;
    return find(section, key, &sectionEnd) >= 0;
}

bool TIniFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    int sectionEnd = -1;
    const int line = find(section, key, &sectionEnd);
    const QString entry = key + QLatin1Char('=') + value;
    if (line >= 0) {
        m_lines[line] = entry;
    } else if (sectionEnd >= 0) {
        m_lines.insert(sectionEnd, entry);
    } else {
        if (!m_lines.isEmpty() && !m_lines.last().trimmed().isEmpty())
            m_lines << QString();
        m_lines << QLatin1Char('[') + section + QLatin1Char(']') << entry;
    }
    return save();
}

bool TIniFile::WriteInteger(const QString &section, const QString &key, int value)
{
    return WriteString(section, key, QString::number(value));
}

bool TIniFile::WriteBool(const QString &section, const QString &key, bool value)
{
    return WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool TIniFile::save() const
{
    QSaveFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (const QString &line : m_lines) {
        file.write(line.toUtf8());
        file.write("\n");
    }
    return file.commit();
}

QString TIniFile::FirstValue(const QString &fileName, const QString &name)
{
    for (const QString &line : readLines(fileName)) {
        QString key;
        QString value;
        if (splitKeyValue(line, &key, &value) && key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}
