// TLS channels over OpenSSL 3.
#include "wire/tls.h"

#include "wire/frame.h"

#include <QCborMap>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace wire {

namespace {

using Clock = std::chrono::steady_clock;

// A TLS record starts with its content type: 22 handshake, 21 alert.
constexpr unsigned char HandshakeRecord = 22;
constexpr unsigned char AlertRecord = 21;

struct SslFree
{
    void operator()(SSL *ssl) const { SSL_free(ssl); }
};
using SslPtr = std::unique_ptr<SSL, SslFree>;

QString openSslErrors()
{
    QStringList texts;
    while (const unsigned long code = ERR_get_error()) {
        char text[256];
        ERR_error_string_n(code, text, sizeof text);
        texts.append(QString::fromLatin1(text));
    }
    return texts.isEmpty() ? QStringLiteral("unknown TLS error") : texts.join(QStringLiteral("; "));
}

Clock::time_point deadlineIn(int timeoutMs)
{
    return timeoutMs < 0 ? Clock::time_point::max()
                         : Clock::now() + std::chrono::milliseconds(timeoutMs);
}

int msLeft(Clock::time_point deadline)
{
    if (deadline == Clock::time_point::max())
        return -1;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return int(std::clamp<long long>(left, 0, INT32_MAX));
}

enum class Wait { Ready, TimedOut, Woken, Failed };

// Waits until fd is ready for events, the deadline passes or wakeFd (when >= 0) is readable.
Wait waitFor(int fd, short events, Clock::time_point deadline, int wakeFd = -1)
{
    pollfd fds[2] = {{fd, events, 0}, {wakeFd, POLLIN, 0}};
    for (;;) {
        const int n = ::poll(fds, wakeFd >= 0 ? 2 : 1, msLeft(deadline));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return Wait::Failed;
        if (n == 0)
            return Wait::TimedOut;
        if (wakeFd >= 0 && fds[1].revents)
            return Wait::Woken;
        return Wait::Ready;
    }
}

void setBlocking(int fd, bool blocking)
{
    const int flags = ::fcntl(fd, F_GETFL);
    ::fcntl(fd, F_SETFL, blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK);
}

// OpenSSL's own socket BIO writes with write(), which raises SIGPIPE when the peer has gone;
// a client program must not die of a server that went away. This one sends with
// MSG_NOSIGNAL and otherwise behaves as the socket BIO does.
struct SocketState
{
    int fd = -1;
    bool eof = false;
    // A client looks at the server's first bytes before OpenSSL does: those of a server
    // without TLS are kept for their message instead of failing the handshake obscurely.
    bool vetFirstBytes = false;
    bool notTls = false;
    QByteArray plainBytes;
};

int socketWrite(BIO *bio, const char *data, size_t size, size_t *written)
{
    auto *state = static_cast<SocketState *>(BIO_get_data(bio));
    BIO_clear_retry_flags(bio);
    const ssize_t n = ::send(state->fd, data, size, MSG_NOSIGNAL);
    if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
            BIO_set_retry_write(bio);
        return 0;
    }
    *written = size_t(n);
    return 1;
}

int socketRead(BIO *bio, char *data, size_t size, size_t *read)
{
    auto *state = static_cast<SocketState *>(BIO_get_data(bio));
    BIO_clear_retry_flags(bio);
    const ssize_t n = ::recv(state->fd, data, size, 0);
    if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
            BIO_set_retry_read(bio);
        return 0;
    }
    if (n == 0) {
        state->eof = true;
        return 0;
    }
    if (state->vetFirstBytes) {
        state->vetFirstBytes = false;
        if (data[0] != char(HandshakeRecord) && data[0] != char(AlertRecord)) {
            state->notTls = true;
            state->plainBytes = QByteArray(data, n);
            return 0;
        }
    }
    *read = size_t(n);
    return 1;
}

long socketControl(BIO *bio, int command, long, void *)
{
    switch (command) {
    case BIO_CTRL_FLUSH:
        return 1;
    case BIO_CTRL_EOF:
        return static_cast<SocketState *>(BIO_get_data(bio))->eof ? 1 : 0;
    default:
        return 0;
    }
}

int socketDestroy(BIO *bio)
{
    delete static_cast<SocketState *>(BIO_get_data(bio));
    BIO_set_data(bio, nullptr);
    return 1;
}

const BIO_METHOD *socketMethod()
{
    static BIO_METHOD *const method = [] {
        BIO_METHOD *m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "vz socket");
        BIO_meth_set_write_ex(m, socketWrite);
        BIO_meth_set_read_ex(m, socketRead);
        BIO_meth_set_ctrl(m, socketControl);
        BIO_meth_set_destroy(m, socketDestroy);
        return m;
    }();
    return method;
}

// An SSL object on the socket, or null with *error.
SslPtr newSsl(const TlsContext &context, int fd, QString *error, bool vetFirstBytes = false)
{
    SslPtr ssl(SSL_new(context.handle()));
    BIO *bio = ssl ? BIO_new(socketMethod()) : nullptr;
    if (!bio) {
        *error = QStringLiteral("cannot set up TLS: ") + openSslErrors();
        return {};
    }
    auto *state = new SocketState;
    state->fd = fd;
    state->vetFirstBytes = vetFirstBytes;
    BIO_set_data(bio, state);
    BIO_set_init(bio, 1);
    SSL_set_bio(ssl.get(), bio, bio);
    return ssl;
}

QString fingerprintOf(X509 *certificate)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!certificate || X509_digest(certificate, EVP_sha256(), digest, &length) != 1)
        return {};
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char *>(digest), int(length)).toHex(':').toUpper());
}

class TlsChannel final : public Channel
{
public:
    TlsChannel(int fd, SslPtr ssl)
        : Channel(fd)
        , m_ssl(std::move(ssl))
    {
        X509 *peer = SSL_get1_peer_certificate(m_ssl.get());
        m_peerFingerprint = fingerprintOf(peer);
        X509_free(peer);
    }

    ~TlsChannel() override
    {
        // Says goodbye when the socket takes it at once; a peer that is gone is not waited for,
        // and after a fatal error there is nothing left to say.
        if (!m_aborted && !m_failed)
            SSL_shutdown(m_ssl.get());
    }

    bool sendAll(const char *data, qsizetype size) override
    {
        auto deadline = deadlineIn(m_sendTimeoutMs);
        while (size > 0) {
            size_t written = 0;
            ERR_clear_error();
            if (SSL_write_ex(m_ssl.get(), data, size_t(size), &written) == 1) {
                data += written;
                size -= qsizetype(written);
                deadline = deadlineIn(m_sendTimeoutMs);
                continue;
            }
            const int code = SSL_get_error(m_ssl.get(), 0);
            if (code != SSL_ERROR_WANT_WRITE && code != SSL_ERROR_WANT_READ) {
                m_failed = true;
                return false;
            }
            if (waitFor(m_fd, code == SSL_ERROR_WANT_WRITE ? POLLOUT : POLLIN, deadline) !=
                Wait::Ready)
                return false;
        }
        return true;
    }

    ReceiveStatus receiveSome(char *buffer, qsizetype capacity, int timeoutMs,
                              qsizetype *received) override
    {
        *received = 0;
        const auto deadline = deadlineIn(timeoutMs);
        for (;;) {
            size_t read = 0;
            ERR_clear_error();
            if (SSL_read_ex(m_ssl.get(), buffer, size_t(capacity), &read) == 1) {
                *received = qsizetype(read);
                return ReceiveStatus::Data;
            }
            short events = POLLIN;
            switch (SSL_get_error(m_ssl.get(), 0)) {
            case SSL_ERROR_ZERO_RETURN:
                return ReceiveStatus::Closed;
            case SSL_ERROR_WANT_READ:
                break;
            case SSL_ERROR_WANT_WRITE:
                events = POLLOUT;
                break;
            default:
                m_failed = true;
                return ReceiveStatus::Failed;
            }
            switch (waitFor(m_fd, events, deadline)) {
            case Wait::Ready:
                continue;
            case Wait::TimedOut:
                return ReceiveStatus::TimedOut;
            case Wait::Woken:
            case Wait::Failed:
                return ReceiveStatus::Failed;
            }
        }
    }

    bool hasBufferedInput() const override { return SSL_pending(m_ssl.get()) > 0; }
    void setSendTimeout(int ms) override { m_sendTimeoutMs = ms; }
    bool isEncrypted() const override { return true; }
    QString peerFingerprint() const override { return m_peerFingerprint; }

private:
    SslPtr m_ssl;
    QString m_peerFingerprint;
    int m_sendTimeoutMs = -1;
    bool m_failed = false;
};

// Runs a handshake step by step on the non-blocking socket.
bool handshake(SSL *ssl, int fd, Clock::time_point deadline, int wakeFd, AcceptFailure *failure,
               QString *error)
{
    *failure = AcceptFailure::None;
    for (;;) {
        ERR_clear_error();
        const int rc = SSL_do_handshake(ssl);
        if (rc == 1)
            return true;
        const int code = SSL_get_error(ssl, rc);
        if (code != SSL_ERROR_WANT_READ && code != SSL_ERROR_WANT_WRITE) {
            *failure = AcceptFailure::Handshake;
            *error = code == SSL_ERROR_SYSCALL && ERR_peek_error() == 0
                         ? QStringLiteral("the peer hung up during the TLS handshake")
                         : QStringLiteral("the TLS handshake failed: ") + openSslErrors();
            return false;
        }
        const Wait wait =
            waitFor(fd, code == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT, deadline, wakeFd);
        if (wait == Wait::TimedOut) {
            *failure = AcceptFailure::TimedOut;
            *error = QStringLiteral("the TLS handshake did not end within the time allowed");
            return false;
        }
        if (wait != Wait::Ready) {
            *failure = wait == Wait::Woken ? AcceptFailure::Stopped : AcceptFailure::Handshake;
            *error = QStringLiteral("the TLS handshake was broken off");
            return false;
        }
    }
}

// What a server that does not speak TLS answered: its error frame's message when it sent one.
QString plainAnswer(int fd, const QByteArray &received, Clock::time_point deadline)
{
    FrameReader reader;
    reader.append(received);
    char buffer[4096];
    for (;;) {
        QCborMap frame;
        const auto status = reader.next(frame);
        if (status == FrameReader::Status::Frame)
            return frame.value(QStringLiteral("error")).toString();
        if (status != FrameReader::Status::NeedMore || reader.buffered() > 64 * 1024)
            return {};
        qsizetype received = 0;
        if (receiveSome(fd, buffer, sizeof buffer, msLeft(deadline), &received) !=
            ReceiveStatus::Data)
            return {};
        reader.append(buffer, received);
    }
}

bool isIpAddress(const QString &host)
{
    unsigned char address[16];
    const QByteArray text = host.toLatin1();
    return ::inet_pton(AF_INET, text.constData(), address) == 1 ||
           ::inet_pton(AF_INET6, text.constData(), address) == 1;
}

} // namespace

// --- TlsContext ---------------------------------------------------------------------------------

TlsContext::~TlsContext()
{
    SSL_CTX_free(m_ctx);
}

std::unique_ptr<TlsContext> TlsContext::client()
{
    SSL_CTX *ctx = SSL_CTX_new(TLS_client_method());
    if (!ctx)
        throw TlsError(QStringLiteral("cannot set up TLS: ") + openSslErrors());
    std::unique_ptr<TlsContext> context(new TlsContext(ctx));
    SSL_CTX_set_min_proto_version(ctx, TLS1_3_VERSION);
    SSL_CTX_set_verify(ctx, SSL_VERIFY_NONE, nullptr);
    SSL_CTX_set_options(ctx, SSL_OP_IGNORE_UNEXPECTED_EOF);
    return context;
}

std::unique_ptr<TlsContext> TlsContext::server(const QString &certificateFile,
                                               const QString &keyFile)
{
    SSL_CTX *ctx = SSL_CTX_new(TLS_server_method());
    if (!ctx)
        throw TlsError(QStringLiteral("cannot set up TLS: ") + openSslErrors());
    std::unique_ptr<TlsContext> context(new TlsContext(ctx));
    SSL_CTX_set_min_proto_version(ctx, TLS1_3_VERSION);
    SSL_CTX_set_options(ctx, SSL_OP_IGNORE_UNEXPECTED_EOF);
    // Clients connect once and stay: resumption tickets would only cost each handshake.
    SSL_CTX_set_num_tickets(ctx, 0);
    const QByteArray certificate = QFile::encodeName(certificateFile);
    const QByteArray key = QFile::encodeName(keyFile);
    ERR_clear_error();
    if (SSL_CTX_use_certificate_chain_file(ctx, certificate.constData()) != 1)
        throw TlsError(QStringLiteral("cannot read the TLS certificate %1: %2")
                           .arg(certificateFile, openSslErrors()));
    if (SSL_CTX_use_PrivateKey_file(ctx, key.constData(), SSL_FILETYPE_PEM) != 1 &&
        ERR_GET_REASON(ERR_peek_last_error()) != X509_R_KEY_VALUES_MISMATCH)
        throw TlsError(
            QStringLiteral("cannot read the TLS key %1: %2").arg(keyFile, openSslErrors()));
    if (SSL_CTX_check_private_key(ctx) != 1)
        throw TlsError(QStringLiteral("the TLS key %1 does not belong to the certificate %2")
                           .arg(keyFile, certificateFile));
    context->m_fingerprint = fingerprintOf(SSL_CTX_get0_certificate(ctx));
    return context;
}

// --- Handshakes ---------------------------------------------------------------------------------

std::unique_ptr<Channel> connectTls(const TlsContext &context, int fd, const QString &host,
                                    int timeoutMs, QString *error)
{
    const auto deadline = deadlineIn(timeoutMs);
    SslPtr ssl = newSsl(context, fd, error, true);
    if (!ssl)
        return {};
    SSL_set_connect_state(ssl.get());
    if (!host.isEmpty() && !isIpAddress(host))
        SSL_set_tlsext_host_name(ssl.get(), host.toUtf8().constData());
    setBlocking(fd, false);
    AcceptFailure failure = AcceptFailure::None;
    if (!handshake(ssl.get(), fd, deadline, -1, &failure, error)) {
        const auto *state = static_cast<const SocketState *>(BIO_get_data(SSL_get_rbio(ssl.get())));
        if (state->notTls) {
            // A server of the plain protocol answers a handshake with an error frame, or not.
            const QString answer = plainAnswer(fd, state->plainBytes, deadline);
            *error = answer.isEmpty()
                         ? QStringLiteral("the server does not speak TLS: it may be running "
                                          "without encryption (--no-tls), and then only a "
                                          "client without TLS can connect to it")
                         : QStringLiteral("the server answered without TLS: ") + answer;
        } else if (failure == AcceptFailure::TimedOut) {
            *error = QStringLiteral("the server did not complete the TLS handshake within %1 s")
                         .arg(timeoutMs / 1000.0);
        }
        setBlocking(fd, true);
        return {};
    }
    return std::make_unique<TlsChannel>(fd, std::move(ssl));
}

std::unique_ptr<Channel> acceptTls(const TlsContext &context, int fd, int timeoutMs, int wakeFd,
                                   AcceptFailure *failure, QString *error)
{
    const auto deadline = deadlineIn(timeoutMs);
    // A client of the plain protocol starts with a frame's length, whose first byte is never
    // that of a TLS handshake record (frames that long are refused).
    switch (waitFor(fd, POLLIN, deadline, wakeFd)) {
    case Wait::Ready:
        break;
    case Wait::TimedOut:
        *failure = AcceptFailure::TimedOut;
        *error = QStringLiteral("the client sent nothing within %1 s").arg(timeoutMs / 1000);
        return {};
    case Wait::Woken:
        *failure = AcceptFailure::Stopped;
        *error = QStringLiteral("server stopping");
        return {};
    case Wait::Failed:
        *failure = AcceptFailure::Handshake;
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return {};
    }
    unsigned char first = 0;
    const ssize_t n = ::recv(fd, &first, 1, MSG_PEEK);
    if (n <= 0) {
        *failure = AcceptFailure::Handshake;
        *error = QStringLiteral("closed by the client before the TLS handshake");
        return {};
    }
    if (first != HandshakeRecord) {
        *failure = AcceptFailure::NotTls;
        *error = QStringLiteral("the client does not speak TLS");
        return {};
    }
    SslPtr ssl = newSsl(context, fd, error);
    if (!ssl) {
        *failure = AcceptFailure::Handshake;
        return {};
    }
    SSL_set_accept_state(ssl.get());
    setBlocking(fd, false);
    if (!handshake(ssl.get(), fd, deadline, wakeFd, failure, error)) {
        if (*failure == AcceptFailure::TimedOut)
            *error =
                QStringLiteral("the TLS handshake did not end within %1 s").arg(timeoutMs / 1000);
        return {};
    }
    return std::make_unique<TlsChannel>(fd, std::move(ssl));
}

// --- Certificates -------------------------------------------------------------------------------

namespace {

struct PkeyFree
{
    void operator()(EVP_PKEY *key) const { EVP_PKEY_free(key); }
};
struct X509Free
{
    void operator()(X509 *certificate) const { X509_free(certificate); }
};
struct BioFree
{
    void operator()(BIO *bio) const { BIO_free(bio); }
};
struct BnFree
{
    void operator()(BIGNUM *bn) const { BN_free(bn); }
};

QByteArray memoryContents(BIO *bio)
{
    char *data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    return QByteArray(data, qsizetype(size));
}

// Writes the file under a temporary name with the given mode, flushes it to the disk and
// renames it into place.
void writeFileAtomically(const QString &path, const QByteArray &contents, mode_t mode)
{
    const QByteArray target = QFile::encodeName(path);
    const QByteArray temporary = target + ".new";
    ::unlink(temporary.constData());
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0)
        throw TlsError(QStringLiteral("cannot write %1: %2")
                           .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    const char *data = contents.constData();
    qsizetype left = contents.size();
    bool ok = true;
    while (ok && left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        data += n;
        left -= n;
    }
    ok = ok && ::fsync(fd) == 0;
    const int code = errno;
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(temporary.constData(), target.constData()) != 0) {
        ::unlink(temporary.constData());
        throw TlsError(QStringLiteral("cannot write %1: %2")
                           .arg(path, QString::fromLocal8Bit(std::strerror(ok ? errno : code))));
    }
}

void syncFolderOf(const QString &path)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

void addNameEntry(X509_NAME *name, const char *field, const QString &value)
{
    const QByteArray text = value.toUtf8();
    if (!text.isEmpty())
        X509_NAME_add_entry_by_txt(name, field, MBSTRING_UTF8,
                                   reinterpret_cast<const unsigned char *>(text.constData()),
                                   int(text.size()), -1, 0);
}

} // namespace

void createSelfSignedCertificate(const QString &certificateFile, const QString &keyFile,
                                 const QString &commonName, const QString &organization,
                                 int validDays)
{
    ERR_clear_error();
    std::unique_ptr<EVP_PKEY, PkeyFree> key(EVP_EC_gen("P-256"));
    std::unique_ptr<X509, X509Free> certificate(X509_new());
    std::unique_ptr<BIGNUM, BnFree> serial(BN_new());
    if (!key || !certificate || !serial)
        throw TlsError(QStringLiteral("cannot make a TLS key: ") + openSslErrors());
    X509 *x = certificate.get();
    X509_set_version(x, X509_VERSION_3);
    BN_rand(serial.get(), 127, BN_RAND_TOP_ANY, BN_RAND_BOTTOM_ANY);
    BN_to_ASN1_INTEGER(serial.get(), X509_get_serialNumber(x));
    // An hour back, for clocks of the network that run a little behind.
    X509_gmtime_adj(X509_getm_notBefore(x), -3600);
    X509_time_adj_ex(X509_getm_notAfter(x), validDays, 0, nullptr);
    X509_NAME *name = X509_get_subject_name(x);
    addNameEntry(name, "O", organization);
    addNameEntry(name, "CN", commonName);
    X509_set_issuer_name(x, name);
    X509_set_pubkey(x, key.get());
    if (X509_sign(x, key.get(), EVP_sha256()) <= 0)
        throw TlsError(QStringLiteral("cannot sign the TLS certificate: ") + openSslErrors());

    std::unique_ptr<BIO, BioFree> keyPem(BIO_new(BIO_s_mem()));
    std::unique_ptr<BIO, BioFree> certificatePem(BIO_new(BIO_s_mem()));
    if (!keyPem || !certificatePem ||
        PEM_write_bio_PrivateKey(keyPem.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) !=
            1 ||
        PEM_write_bio_X509(certificatePem.get(), x) != 1)
        throw TlsError(QStringLiteral("cannot write the TLS key: ") + openSslErrors());
    writeFileAtomically(keyFile, memoryContents(keyPem.get()), 0600);
    writeFileAtomically(certificateFile, memoryContents(certificatePem.get()), 0644);
    syncFolderOf(keyFile);
    syncFolderOf(certificateFile);
}

bool sameFingerprint(const QString &a, const QString &b)
{
    const auto bare = [](QString text) {
        text.remove(QLatin1Char(':'));
        text.remove(QLatin1Char(' '));
        return text.toUpper();
    };
    return bare(a) == bare(b);
}

QString certificateFileFingerprint(const QString &certificateFile)
{
    QFile file(certificateFile);
    if (!file.open(QIODevice::ReadOnly))
        throw TlsError(QStringLiteral("cannot read the TLS certificate %1: %2")
                           .arg(certificateFile, file.errorString()));
    const QByteArray pem = file.readAll();
    std::unique_ptr<BIO, BioFree> bio(BIO_new_mem_buf(pem.constData(), int(pem.size())));
    std::unique_ptr<X509, X509Free> certificate(
        bio ? PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr) : nullptr);
    if (!certificate)
        throw TlsError(QStringLiteral("%1 holds no PEM certificate").arg(certificateFile));
    return fingerprintOf(certificate.get());
}

} // namespace wire
