// The server's own TLS certificate: a key and a self-signed certificate made in the data
// folder at the first start without one, and used from then on.
#pragma once

#include <QString>

namespace server {

struct CertificateFiles
{
    QString certificate;
    QString key;
    bool created = false; // made just now
};

// The files of dataDir/tls, made when the certificate is missing (a key without its
// certificate is what an interrupted first start leaves: both are made again). Throws
// wire::TlsError.
CertificateFiles ownCertificate(const QString &dataDir);

} // namespace server
