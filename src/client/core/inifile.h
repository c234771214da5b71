// Windows-style ini files, read and written the way the client's configuration files have
// always been: sections and keys without regard to case, the file kept in its own order,
// unknown lines left alone.
#pragma once

#include <QString>
#include <QStringList>

class TIniFile
{
public:
    explicit TIniFile(const QString &fileName);

    const QString &FileName() const { return m_fileName; }

    QString ReadString(const QString &section, const QString &key,
                       const QString &defaultValue = {}) const;
    int ReadInteger(const QString &section, const QString &key, int defaultValue) const;
    // "1"/"0" as written by the client; "true"/"false" and "yes"/"no" are accepted as well.
    bool ReadBool(const QString &section, const QString &key, bool defaultValue) const;
    bool ValueExists(const QString &section, const QString &key) const;

    // Changes the key in place, or adds it (and its section) at the end; writes the file.
    // False when the file cannot be written.
    bool WriteString(const QString &section, const QString &key, const QString &value);
    bool WriteInteger(const QString &section, const QString &key, int value);
    bool WriteBool(const QString &section, const QString &key, bool value);

    // The whole file as "name=value" lines: the value of the first line whose name equals
    // the given one without regard to case, whatever its section.
    static QString FirstValue(const QString &fileName, const QString &name);

private:
    // Index of the key's line, or -1; *sectionEnd receives the line after the section's last
    // line (-1 when the section is missing).
    int find(const QString &section, const QString &key, int *sectionEnd) const;
    bool save() const;

    QString m_fileName;
    QStringList m_lines;
};
