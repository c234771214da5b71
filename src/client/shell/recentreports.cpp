// The list of frequently used reports kept in Tree_Function.txt.
#include "client/shell/recentreports.h"

#include "client/common/gbk.h"

#include <QFile>
#include <QSaveFile>

QString TRecentReports::RecordedTitle(const QString &caption)
{
    QString title = caption;
    if (title.contains(QStringLiteral("单总表")))
        title = GbkDropLast(title, 6);
    if (title.endsWith(QStringLiteral("管理")))
        title = GbkDropLast(title, 4);
    if (GbkLength(title) >= 17)
        return {};
    return title;
}

bool TRecentReports::Add(const QString &caption,
                         const std::function<QString(const QString &)> &lookup)
{
    const QString title = RecordedTitle(caption);
    if (title.isEmpty())
        return false;
    bool changed = false;
    for (int i = int(m_entries.size()) - 1; i >= 0; --i) {
        if (m_entries[i].Title == title) {
            m_entries.removeAt(i);
            changed = true;
        }
    }
    const QString itemName = lookup ? lookup(title) : QString();
    if (itemName.isEmpty())
        return changed;
    m_entries.prepend({title, itemName});
    while (m_entries.size() > MaxEntries)
        m_entries.removeLast();
    return true;
}

void TRecentReports::RemoveAt(int index)
{
    if (index >= 0 && index < m_entries.size())
        m_entries.removeAt(index);
}

bool TRecentReports::Load(const QString &fileName)
{
    m_entries.clear();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return !file.exists();
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (QString line : lines) {
        line.remove(QLatin1Char('\r'));
        const int tab = line.indexOf(QLatin1Char('\t'));
        if (tab <= 0 || tab == line.size() - 1)
            continue;
        m_entries.append({line.left(tab), line.mid(tab + 1)});
        if (m_entries.size() == MaxEntries)
            break;
    }
    return true;
}

bool TRecentReports::Save(const QString &fileName) const
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (const TRecentReport &entry : m_entries)
        file.write((entry.Title + QLatin1Char('\t') + entry.ItemName + QLatin1Char('\n')).toUtf8());
    return file.commit();
}
