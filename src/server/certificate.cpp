// The server's self-signed certificate.
#include "server/certificate.h"

#include "wire/tls.h"

#include "vzversion.h"

#include <QDir>
#include <QFileInfo>
#include <QSysInfo>

namespace server {

namespace {

// Clients pin the certificate itself: it may as well outlive the computer it was made on.
constexpr int ValidDays = 20 * 365;

} // namespace

CertificateFiles ownCertificate(const QString &dataDir)
{
    const QDir folder(QDir(dataDir).filePath(QStringLiteral("tls")));
    CertificateFiles files;
    files.certificate = folder.filePath(QStringLiteral("server.crt"));
    files.key = folder.filePath(QStringLiteral("server.key"));
    if (QFileInfo::exists(files.certificate))
        return files;
    if (!folder.mkpath(QStringLiteral(".")))
        throw wire::TlsError(QStringLiteral("cannot create the folder %1").arg(folder.path()));
    const QString host = QSysInfo::machineHostName();
    wire::createSelfSignedCertificate(files.certificate, files.key,
                                      QStringLiteral("vzserver on %1").arg(host),
                                      QStringLiteral(VZ_PRODUCT_TITLE), ValidDays);
    files.created = true;
    return files;
}

} // namespace server
