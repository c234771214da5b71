// Files and folders beside the program.
#include "client/core/paths.h"

#include <QCoreApplication>
#include <QDir>

namespace {

QString &overrideDir()
{
    static QString dir;
    return dir;
}

QString withSlash(QString path)
{
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

} // namespace

QString ExeDir()
{
    if (!overrideDir().isEmpty())
        return overrideDir();
    const QString home = qEnvironmentVariable("VZCLIENT_HOME");
    if (!home.isEmpty())
        return withSlash(QDir(home).absolutePath());
    return withSlash(QCoreApplication::applicationDirPath());
}

QString ExeDirFile(const QString &name)
{
    QString relative = name;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return ExeDir() + relative;
}

void SetExeDir(const QString &path)
{
    overrideDir() = path.isEmpty() ? QString() : withSlash(QDir(path).absolutePath());
}
