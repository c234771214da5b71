// The workspace's list of frequently used reports: at most 20 entries, newest first, kept in
// Tree_Function.txt beside the program.
#pragma once

#include <QList>
#include <QString>

#include <functional>

struct TRecentReport
{
    QString Title;
    QString ItemName; // the main-menu item that opens the report
};

class TRecentReports
{
public:
    static constexpr int MaxEntries = 20;

    const QList<TRecentReport> &Entries() const { return m_entries; }
    int Count() const { return int(m_entries.size()); }

    // The title a report window's caption is recorded under: "…单总表" loses its last three
    // characters, then a trailing "管理" goes; empty when the result is 17 GBK bytes or more.
    static QString RecordedTitle(const QString &caption);

    // Records a report that just opened. The title moves to the top when the function tree
    // names a menu item for it (lookup returns the item name, or empty when it has none).
    // Returns true when the list changed.
    bool Add(const QString &caption, const std::function<QString(const QString &)> &lookup);

    void RemoveAt(int index);
    void Clear() { m_entries.clear(); }

    // One entry per line: title, a tab, the item name. A missing file is an empty list.
    bool Load(const QString &fileName);
    bool Save(const QString &fileName) const;

private:
    QList<TRecentReport> m_entries;
};
