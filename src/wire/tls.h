// TLS 1.3 over the protocol's TCP connections (OpenSSL), and the self-signed certificates the
// server makes for itself. Servers are trusted by pinning: a client compares the fingerprint of
// the certificate it is shown with the one it knows, there is no certificate authority.
#pragma once

#include "wire/channel.h"

#include <QString>

#include <memory>
#include <stdexcept>

using SSL_CTX = struct ssl_ctx_st;

namespace wire {

// A TLS setup that cannot be used: a certificate or key that cannot be read, or made.
class TlsError : public std::runtime_error
{
public:
    explicit TlsError(const QString &message)
        : std::runtime_error(message.toStdString())
    {}
};

class TlsContext
{
public:
    // A client's: TLS 1.3 only, no chain validation (the caller checks the fingerprint).
    static std::unique_ptr<TlsContext> client();
    // A server's, with its certificate and private key (PEM files); throws TlsError.
    static std::unique_ptr<TlsContext> server(const QString &certificateFile,
                                              const QString &keyFile);
    ~TlsContext();
    TlsContext(const TlsContext &) = delete;
    TlsContext &operator=(const TlsContext &) = delete;

    // A server's own certificate's fingerprint (as Channel::peerFingerprint() gives it).
    const QString &fingerprint() const { return m_fingerprint; }
    SSL_CTX *handle() const { return m_ctx; }

private:
    explicit TlsContext(SSL_CTX *ctx)
        : m_ctx(ctx)
    {}

    SSL_CTX *m_ctx;
    QString m_fingerprint;
};

// Runs the client's handshake over a connected socket within timeoutMs. On success the
// channel owns the socket; otherwise the socket stays the caller's and *error says why:
// a server that answers without TLS is told apart from a failed handshake, and when it
// answered with an error frame of the plain protocol, that frame's message is passed on.
std::unique_ptr<Channel> connectTls(const TlsContext &context, int fd, const QString &host,
                                    int timeoutMs, QString *error);

enum class AcceptFailure {
    None,
    NotTls,    // the client's first bytes are no TLS handshake: a client of the plain protocol
    TimedOut,  // the handshake did not end in time
    Stopped,   // wakeFd became readable
    Handshake, // the handshake failed, or the client hung up
};

// Runs the server's handshake within timeoutMs, giving up early when wakeFd (optional)
// becomes readable. On success the channel owns the socket; otherwise the socket stays the
// caller's, still blocking and with nothing read from it when *failure is NotTls.
std::unique_ptr<Channel> acceptTls(const TlsContext &context, int fd, int timeoutMs, int wakeFd,
                                   AcceptFailure *failure, QString *error);

// A new EC P-256 key and a self-signed certificate for it, valid for validDays, written as PEM
// files: the key readable by its owner only. Each file is written under a temporary name and
// renamed, the key first, so that neither is ever seen half-written. Throws TlsError.
void createSelfSignedCertificate(const QString &certificateFile, const QString &keyFile,
                                 const QString &commonName, const QString &organization,
                                 int validDays);

// Whether two fingerprints are the same, written with or without colons, in either case.
bool sameFingerprint(const QString &a, const QString &b);

// The SHA-256 fingerprint of a PEM certificate file; throws TlsError.
QString certificateFileFingerprint(const QString &certificateFile);

} // namespace wire
