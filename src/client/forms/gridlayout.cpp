// Column layouts of grids kept in an ini file, one "position,width" value per column.
#include "client/forms/gridlayout.h"

#include "client/core/inifile.h"
#include "client/core/paths.h"
#include "client/widgets/dbgrid.h"

#include <QDir>
#include <QFileInfo>

QString GridLayoutFile()
{
    return ExeDirFile(QStringLiteral("System\\GridLayout.ini"));
}

bool SaveGridLayout(const TDBGrid &grid, const QString &section, const QString &fileName)
{
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    TIniFile ini(fileName);
    bool ok = true;
    const TColumnsLayout layout = grid.ColumnsLayout();
    for (auto it = layout.cbegin(); it != layout.cend(); ++it)
        ok = ini.WriteString(section, it.key(),
                             QStringLiteral("%1,%2").arg(it->Position).arg(it->Width)) &&
             ok;
    return ok;
}

void RestoreGridLayout(TDBGrid &grid, const QString &section, const QString &fileName)
{
    if (!QFileInfo::exists(fileName))
        return;
    const TIniFile ini(fileName);
    TColumnsLayout layout;
    // The grid's own keys, so that the ini file's case-blind lookup decides.
    for (const QString &key : grid.ColumnsLayout().keys()) {
        const QStringList parts = ini.ReadString(section, key).split(QLatin1Char(','));
        bool hasPosition = false;
        const int position = parts.size() >= 2 ? parts[0].trimmed().toInt(&hasPosition) : 0;
        if (!hasPosition)
            continue;
        bool hasWidth = false;
        const int width = parts[1].trimmed().toInt(&hasWidth);
        layout.insert(key, {position, hasWidth ? width : 0});
    }
    grid.ApplyColumnsLayout(layout);
}
