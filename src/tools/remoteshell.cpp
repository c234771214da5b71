#include "tools/remoteshell.h"

#include "wire/client.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace tools {

namespace {

std::string csvField(const QByteArray &value)
{
    if (value.indexOf(',') < 0 && value.indexOf('"') < 0 && value.indexOf('\r') < 0 &&
        value.indexOf('\n') < 0)
        return value.toStdString();
    std::string quoted = "\"";
    for (char c : value) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

// The shortest text that gives the number back to 15 significant digits ("17", "0.1").
std::string floatText(double value)
{
    if (value == 0)
        return "0";
    char buffer[40];
    if (std::fabs(value) < 9007199254740992.0 && value == std::trunc(value))
        std::snprintf(buffer, sizeof buffer, "%.0f", value);
    else
        std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

// The text the local mode prints for a value of a column of the given type: dates as
// YYYY-MM-DD, date-times as YYYY-MM-DD HH:MM:SS (also at midnight), booleans as 1 or 0,
// blobs in hexadecimal.
QByteArray csvText(const QVariant &value, wire::ValueType type)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
    case QMetaType::Nullptr:
        return {};
    case QMetaType::Bool:
        return value.toBool() ? "1" : "0";
    case QMetaType::Double:
        return QByteArray::fromStdString(floatText(value.toDouble()));
    case QMetaType::QDate: {
        QByteArray text = value.toDate().toString(Qt::ISODate).toUtf8();
        if (type == wire::ValueType::DateTime)
            text += " 00:00:00";
        return text;
    }
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
    case QMetaType::QByteArray:
        return value.toByteArray().toHex().toUpper();
    default:
        return value.toString().toUtf8();
    }
}

void printRows(const QList<wire::Row> &rows, const QList<wire::Field> &fields)
{
    std::string line;
    for (const wire::Row &row : rows) {
        line.clear();
        for (qsizetype c = 0; c < row.size(); ++c) {
            if (c)
                line += ',';
            line += csvField(
                csvText(row[c], c < fields.size() ? fields[c].type : wire::ValueType::Unknown));
        }
        std::printf("%s\r\n", line.c_str());
    }
}

// "host", "host:port", "[v6-address]:port"; an IPv6 address without brackets has no port.
bool parseServer(const QString &text, QString &host, quint16 &port)
{
    port = wire::DefaultPort;
    host = text.trimmed();
    QString portText;
    if (host.startsWith(QLatin1Char('['))) {
        const qsizetype close = host.indexOf(QLatin1Char(']'));
        if (close < 0)
            return false;
        portText = host.mid(close + 1);
        host = host.mid(1, close - 1);
        if (!portText.isEmpty() && !portText.startsWith(QLatin1Char(':')))
            return false;
        portText = portText.mid(1);
    } else if (host.count(QLatin1Char(':')) == 1) {
        const qsizetype colon = host.indexOf(QLatin1Char(':'));
        portText = host.mid(colon + 1);
        host = host.left(colon);
    }
    if (!portText.isEmpty()) {
        bool ok = false;
        const uint value = portText.toUInt(&ok);
        if (!ok || value == 0 || value > 65535)
            return false;
        port = quint16(value);
    }
    return !host.isEmpty();
}

} // namespace

int runRemote(const RemoteOptions &options)
{
    QString host;
    quint16 port = 0;
    if (!parseServer(options.server, host, port)) {
        std::fprintf(stderr, "vzsql: invalid server address \"%s\" (expected HOST:PORT)\n",
                     qPrintable(options.server));
        return 1;
    }
    try {
        wire::Client client;
        client.connect(host, port);
        client.hello();
        QString accountNo = options.accountNo;
        QString reason;
        if (client.connectAct(options.databaseKind, accountNo, &reason)) {
            std::fprintf(stderr, "vzsql: the server refused the account set \"%s\": %s\n",
                         qPrintable(options.accountNo), qPrintable(reason));
            return 1;
        }
        for (const QString &statement : options.statements) {
            wire::OpenResult result = client.open(QStringLiteral("pTmp"), statement);
            if (result.fields.isEmpty())
                continue;
            std::string header;
            for (qsizetype c = 0; c < result.fields.size(); ++c) {
                if (c)
                    header += ',';
                header += csvField(result.fields[c].name.toUtf8());
            }
            std::printf("%s\r\n", header.c_str());
            printRows(result.rows, result.fields);
            while (!result.eof()) {
                wire::Packet packet = client.fetch(result.cursor);
                printRows(packet.rows, result.fields);
                result.cursor = packet.cursor;
            }
        }
    } catch (const wire::Error &e) {
        std::fflush(stdout);
        std::fprintf(stderr, "vzsql: %s\n", qPrintable(e.message()));
        return 1;
    }
    std::fflush(stdout);
    return 0;
}

} // namespace tools
