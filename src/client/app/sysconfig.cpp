#include "client/app/sysconfig.h"

#include "client/app/inifile.h"
#include "client/app/paths.h"

#include <QFileInfo>
#include <QSysInfo>

namespace {
const QString Login = QStringLiteral("login");
}

QString SysConfigFileName()
{
    return ExeDirFile(QStringLiteral("SysConfig.ini"));
}

bool SysConfigExists()
{
    return QFileInfo::exists(SysConfigFileName());
}

QString ConfiguredHostName()
{
    return TIniFile::FirstValue(SysConfigFileName(), QStringLiteral("HostName"));
}

bool SaveServerAddress(const QString &host)
{
    return TIniFile(SysConfigFileName()).WriteString(Login, QStringLiteral("hostname"), host);
}

bool WriteDefaultConfig()
{
    return TIniFile(SysConfigFileName())
        .WriteString(QStringLiteral("hostname"), QStringLiteral("hostname"), LocalComputerName());
}

QString ReadLoginSetting(const QString &key, const QString &defaultValue)
{
    return TIniFile(SysConfigFileName()).ReadString(Login, key, defaultValue);
}

bool WriteLoginSetting(const QString &key, const QString &value)
{
    return TIniFile(SysConfigFileName()).WriteString(Login, key, value);
}

bool ReadShowAudit()
{
    return TIniFile(SysConfigFileName()).ReadBool(Login, QStringLiteral("showaudit"), true);
}

QString LocalComputerName()
{
    return QSysInfo::machineHostName();
}

ServerAddress ParseServerAddress(const QString &address)
{
    ServerAddress result;
    const QString text = address.trimmed();
    const int colon = text.lastIndexOf(QLatin1Char(':'));
    // One colon only: an IPv6 address without brackets carries no port.
    if (colon > 0 && text.indexOf(QLatin1Char(':')) == colon) {
        bool ok = false;
        const uint port = text.mid(colon + 1).toUInt(&ok);
        result.host = text.left(colon);
        if (ok && port > 0 && port <= 65535)
            result.port = quint16(port);
        return result;
    }
    if (text.startsWith(QLatin1Char('[')) && text.contains(QLatin1String("]:"))) {
        const int close = text.indexOf(QLatin1String("]:"));
        result.host = text.mid(1, close - 1);
        bool ok = false;
        const uint port = text.mid(close + 2).toUInt(&ok);
        if (ok && port > 0 && port <= 65535)
            result.port = quint16(port);
        return result;
    }
    result.host = text;
    return result;
}
