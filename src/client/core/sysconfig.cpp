// SysConfig.ini as the start-up reads and writes it.
#include "client/core/sysconfig.h"

#include "client/core/inifile.h"
#include "client/core/paths.h"
#include "wire/address.h"

#include <QFileInfo>
#include <QSysInfo>

namespace {
const QString Login = QStringLiteral("login");
const QString Tls = QStringLiteral("tls");
} // namespace

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

QString KnownServerFingerprint(const QString &server)
{
    return TIniFile(SysConfigFileName()).ReadString(Tls, server).trimmed();
}

bool RememberServerFingerprint(const QString &server, const QString &fingerprint)
{
    return TIniFile(SysConfigFileName()).WriteString(Tls, server, fingerprint);
}

QString LocalComputerName()
{
    return QSysInfo::machineHostName();
}

ServerAddress ParseServerAddress(const QString &address)
{
    wire::ServerAddress parsed;
    // A malformed port falls back to the default port rather than to no server at all.
    if (!wire::parseServerAddress(address, &parsed) && parsed.host.isEmpty())
        parsed.host = address.trimmed();
    return {parsed.host, parsed.port};
}
