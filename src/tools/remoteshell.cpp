// vzsql's remote mode through a running vzserver.
#include "tools/remoteshell.h"

#include "sql/csv.h"
#include "wire/address.h"
#include "wire/client.h"

#include <cstdio>
#include <string>

namespace tools {

namespace {

bool isNull(const QVariant &value)
{
    return value.typeId() == QMetaType::UnknownType || value.typeId() == QMetaType::Nullptr;
}

// The text the local mode prints for a value of a column of the given type: dates as
// YYYY-MM-DD, date-times as YYYY-MM-DD HH:MM:SS (also at midnight), booleans as 1 or 0,
// blobs in hexadecimal.
QByteArray csvText(const QVariant &value, wire::ValueType type)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? "1" : "0";
    case QMetaType::Double:
        return QByteArray::fromStdString(sql::formatFloat(value.toDouble()));
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
    sql::CsvRecord record;
    for (const wire::Row &row : rows) {
        for (qsizetype c = 0; c < row.size(); ++c) {
            if (isNull(row[c])) {
                record.addNull();
                continue;
            }
            const QByteArray text =
                csvText(row[c], c < fields.size() ? fields[c].type : wire::ValueType::Unknown);
            record.addText(std::string_view(text.constData(), size_t(text.size())));
        }
        std::fputs(record.end().c_str(), stdout);
    }
}

} // namespace

int runRemote(const RemoteOptions &options)
{
    wire::ServerAddress address;
    if (!wire::parseServerAddress(options.server, &address)) {
        std::fprintf(stderr, "vzsql: invalid server address \"%s\" (expected HOST:PORT)\n",
                     qPrintable(options.server));
        return 1;
    }
    try {
        wire::Client client;
        client.setTls(options.tls);
        client.setExpectedFingerprint(options.fingerprint);
        client.connect(address.host, address.port);
        if (options.tls && options.fingerprint.isEmpty())
            std::fprintf(stderr,
                         "vzsql: the server's certificate has the SHA-256 fingerprint %s; it was "
                         "not checked: give --fingerprint to make sure this is your server\n",
                         qPrintable(client.serverFingerprint()));
        client.hello();
        QString accountNo = options.accountNo;
        QString reason;
        if (client.connectAct(options.databaseKind, accountNo, &reason)) {
            std::fprintf(stderr, "vzsql: the server refused the account set \"%s\": %s\n",
                         qPrintable(options.accountNo), qPrintable(reason));
            return 1;
        }
        if (!options.user.isEmpty())
            client.login(options.user, options.password);
        for (const QString &statement : options.statements) {
            wire::OpenResult result = client.open(QStringLiteral("pTmp"), statement);
            if (result.fields.isEmpty())
                continue;
            sql::CsvRecord header;
            for (const wire::Field &field : result.fields)
                header.addText(field.name.toStdString());
            std::fputs(header.end().c_str(), stdout);
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
