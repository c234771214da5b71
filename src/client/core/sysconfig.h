// SysConfig.ini beside the program: server host, last account set, last user, alert switch,
// the certificates of the servers known.
#pragma once

#include <QString>

constexpr quint16 DefaultServerPort = 211;

QString SysConfigFileName();
bool SysConfigExists();

// The value of the first "HostName=" line of the file, whatever its section (a file written
// by the server address dialog has it under [login], one written by WriteDefaultConfig under
// [hostname]; whichever comes first wins).
QString ConfiguredHostName();

// Writes [login] hostname= the given address (the server address dialog's OK).
bool SaveServerAddress(const QString &host);
// Creates the file with [hostname] hostname= the local computer name.
bool WriteDefaultConfig();

QString ReadLoginSetting(const QString &key, const QString &defaultValue = {});
bool WriteLoginSetting(const QString &key, const QString &value);
bool ReadShowAudit(); // [login] showaudit, true when missing

// [tls]: the SHA-256 fingerprint of each server's certificate, by "host:port", remembered at
// the first encrypted connection to it. Empty when the server is not known yet.
QString KnownServerFingerprint(const QString &server);
bool RememberServerFingerprint(const QString &server, const QString &fingerprint);

// The local computer's name, as the login dialog records it.
QString LocalComputerName();

struct ServerAddress
{
    QString host;
    quint16 port = DefaultServerPort;
};
// "host" or "host:port"; a missing or malformed port gives the default port 211.
ServerAddress ParseServerAddress(const QString &address);
