// Who a session is: Login binds it to a user of its account set, and what the user may do
// beyond reading and writing the books (administering account sets, passwords) is checked
// against the user's groups' function rights.
#include "server/session.h"

#include "auth/passwordhash.h"
#include "server/requesterror.h"

#include <QDateTime>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <thread>

namespace server {

namespace {

using namespace wire;

// The function-tree objects whose grant lets a user do each administrative duty.
struct DutyRights
{
    Session::Duty duty;
    std::initializer_list<const char *> objects;
    const char *what; // for the refusal
};

constexpr DutyRights dutyRights[] = {
    {Session::Duty::AccountSets, {"mnuAcount"}, "administering account sets"},
    {Session::Duty::Backup, {"mnuBackup", "mnuAcount"}, "backing up another account set"},
    {Session::Duty::Restore, {"mnuRestore", "mnuAcount"}, "restoring account sets"},
    {Session::Duty::Compact,
     {"mnuCompact", "mnuYearJZ", "mnuInitData", "mnuAcount"},
     "compacting the database"},
    {Session::Duty::Users, {"mnuUser"}, "setting other users' passwords"},
    {Session::Duty::Registry, {"mnuAcount", "Tool_UpLoad"}, "changing the server's registry"},
};

const DutyRights &rightsOf(Session::Duty duty)
{
    for (const DutyRights &rights : dutyRights)
        if (rights.duty == duty)
            return rights;
    return dutyRights[0];
}

// The group IDs of AppUser.gID, written "(1,2)".
QList<qint64> groupIds(const QString &text)
{
    QList<qint64> ids;
    QString digits = text;
    digits.remove(QLatin1Char('(')).remove(QLatin1Char(')'));
    for (const QString &part : digits.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const qint64 id = part.trimmed().toLongLong(&ok);
        if (ok)
            ids.append(id);
    }
    return ids;
}

} // namespace

QString Session::peerHost(int socket)
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (socket < 0 || ::getpeername(socket, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return QStringLiteral("local");
    char host[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET)
        ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in *>(&address)->sin_addr, host,
                    sizeof host);
    else if (address.ss_family == AF_INET6)
        ::inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6 *>(&address)->sin6_addr, host,
                    sizeof host);
    return QString::fromLatin1(host);
}

void Session::requireLogin() const
{
    if (!m_user)
        throw RequestError(code::Login, QStringLiteral("not logged in: call Login with a user "
                                                       "code and password first"));
}

bool Session::holds(Duty duty)
{
    requireLogin();
    if (m_user->code.compare(QLatin1String("SYS"), Qt::CaseInsensitive) == 0)
        return true;
    const QList<qint64> groups = groupIds(m_user->groups);
    if (groups.isEmpty())
        return false;
    QByteArray sqlText = "SELECT 1 FROM Sys_GroupFuncRight WHERE UserGroupNo IN (";
    for (int i = 0; i < groups.size(); ++i)
        sqlText += (i ? "," : "") + QByteArray::number(groups[i]);
    sqlText += ") AND ObjectName IN (";
    const DutyRights &rights = rightsOf(duty);
    bool first = true;
    for (const char *object : rights.objects) {
        sqlText += (first ? "'" : ",'") + QByteArray(object) + "'";
        first = false;
    }
    sqlText += ") LIMIT 1";
    return !accountStore().readTrusted(sqlText).isEmpty();
}

void Session::require(Duty duty)
{
    if (holds(duty))
        return;
    throw RequestError(code::Denied,
                       QStringLiteral("%1 needs the administrator SYS or a group right to it; "
                                      "user %2 has neither")
                           .arg(QString::fromLatin1(rightsOf(duty).what), m_user->code));
}

std::optional<Session::StoredUser> Session::findUser(const QString &code)
{
    // lower() on both sides: the codes are compared without regard to case on every engine.
    const QList<QVariantList> rows =
        accountStore().readTrusted("SELECT ID, uCode, uName, gID, gName, YGID, aYGMC FROM AppUser "
                                   "WHERE lower(uCode) = lower(?) ORDER BY ID LIMIT 1",
                                   {code});
    if (rows.isEmpty())
        return std::nullopt;
    const QVariantList &row = rows.first();
    StoredUser user;
    user.id = row.value(0).toLongLong();
    user.password = accountStore().storedPassword(user.id);
    user.row = QVariantMap{{QStringLiteral("ID"), user.id},
                           {QStringLiteral("uCode"), row.value(1).toString()},
                           {QStringLiteral("uName"), row.value(2).toString()},
                           {QStringLiteral("gID"), row.value(3).toString()},
                           {QStringLiteral("gName"), row.value(4).toString()},
                           {QStringLiteral("YGID"), row.value(5).toLongLong()},
                           {QStringLiteral("aYGMC"), row.value(6).toString()}};
    return user;
}

void Session::waitOutThrottle()
{
    const qint64 delay =
        m_context.loginThrottle.delayMs(m_peerHost, QDateTime::currentMSecsSinceEpoch());
    if (delay <= 0)
        return;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(delay);
    while (std::chrono::steady_clock::now() < until) {
        if (m_clock.expired())
            throw RequestError(code::Timeout, QStringLiteral("the login was stopped"));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

bool Session::checkPassword(const QString &entry, const QString &stored)
{
    waitOutThrottle();
    const bool right =
        entry.size() <= auth::MaxPasswordLength && auth::verifyPassword(entry, stored);
    if (right)
        m_context.loginThrottle.succeeded(m_peerHost);
    else
        m_context.loginThrottle.failed(m_peerHost, QDateTime::currentMSecsSinceEpoch());
    return right;
}

void Session::storePassword(qint64 userId, const QString &password)
{
    if (password.size() > auth::MaxPasswordLength)
        throw RequestError(code::InvalidValue,
                           QStringLiteral("a password may have at most %1 characters")
                               .arg(auth::MaxPasswordLength));
    accountStore().storePassword(userId, auth::hashPassword(password));
}

// Login(UserCode, Password): the user's row without its password.
QVariant Session::login(const QVariantList &args)
{
    accountStore(); // a user belongs to an account set: ConnectAct first
    const QString code = args.value(0).toString().trimmed();
    const QString password = args.value(1).toString();
    m_user.reset();
    const std::optional<StoredUser> user = code.isEmpty() ? std::nullopt : findUser(code);
    if (!user) {
        // Counts as a failure too: trying codes is part of guessing.
        waitOutThrottle();
        m_context.loginThrottle.failed(m_peerHost, QDateTime::currentMSecsSinceEpoch());
        throw RequestError(code::UnknownUser,
                           QStringLiteral("there is no user \"%1\"").arg(code.left(40)));
    }
    if (!checkPassword(password, user->password))
        throw RequestError(code::WrongPassword,
                           QStringLiteral("wrong password for user \"%1\"")
                               .arg(user->row.value(QStringLiteral("uCode")).toString()));
    m_user = LoggedInUser{user->id, user->row.value(QStringLiteral("uCode")).toString(),
                          user->row.value(QStringLiteral("gID")).toString()};
    log(QStringLiteral("user %1 logged in").arg(m_user->code));
    return user->row;
}

// ChangePassword(OldPassword, NewPassword): the logged-in user's own password.
QVariant Session::changePassword(const QVariantList &args)
{
    requireLogin();
    const std::optional<StoredUser> user = findUser(m_user->code);
    if (!user || user->id != m_user->id)
        throw RequestError(code::UnknownUser, QStringLiteral("the logged-in user no longer "
                                                             "exists"));
    if (!checkPassword(args.value(0).toString(), user->password))
        throw RequestError(code::WrongPassword, QStringLiteral("the old password is wrong"));
    storePassword(user->id, args.value(1).toString());
    log(QStringLiteral("user %1 changed the password").arg(m_user->code));
    return true;
}

// SetPassword(UserCode, NewPassword): an administrator sets another user's password.
QVariant Session::setPassword(const QVariantList &args)
{
    require(Duty::Users);
    const QString code = args.value(0).toString().trimmed();
    const std::optional<StoredUser> user = code.isEmpty() ? std::nullopt : findUser(code);
    if (!user)
        throw RequestError(code::UnknownUser,
                           QStringLiteral("there is no user \"%1\"").arg(code.left(40)));
    const QString target = user->row.value(QStringLiteral("uCode")).toString();
    if (target.compare(QLatin1String("SYS"), Qt::CaseInsensitive) == 0 &&
        m_user->code.compare(QLatin1String("SYS"), Qt::CaseInsensitive) != 0)
        throw RequestError(code::Denied, QStringLiteral("only SYS sets the password of SYS"));
    storePassword(user->id, args.value(1).toString());
    log(QStringLiteral("user %1 set the password of %2").arg(m_user->code, target));
    return true;
}

void Session::refusePasswordWrites(const sql::Translation &translation)
{
    // Reads are the store's business (masked, or nothing to hide); a stored password is changed,
    // on any engine, through the password methods only. A new user's row may name the column
    // (empty: no password yet).
    if (translation.kind != sql::StatementKind::Update ||
        QString::fromStdString(translation.table)
                .compare(QLatin1String(PasswordGuard::Table), Qt::CaseInsensitive) != 0)
        return;
    for (const sql::ColumnReference &reference : translation.references) {
        if (QString::fromStdString(reference.table)
                    .compare(QLatin1String(PasswordGuard::Table), Qt::CaseInsensitive) == 0 &&
            QString::fromStdString(reference.column)
                    .compare(QLatin1String(PasswordGuard::Column), Qt::CaseInsensitive) == 0)
            throw RequestError(code::Denied,
                               QStringLiteral("stored passwords are changed only through the "
                                              "ChangePassword and SetPassword methods"));
    }
}

void Session::stripPasswords(const QString &table, QList<Change> &changes)
{
    if (table.compare(QLatin1String(PasswordGuard::Table), Qt::CaseInsensitive) != 0)
        return;
    // The column is write-only through the password methods: what a client read of it is a
    // mask, and what it writes into it is ignored rather than stored in clear.
    const auto strip = [](QVariantMap &values) {
        for (auto it = values.begin(); it != values.end();)
            it = it.key().compare(QLatin1String(PasswordGuard::Column), Qt::CaseInsensitive) == 0
                     ? values.erase(it)
                     : std::next(it);
    };
    for (Change &change : changes) {
        strip(change.oldValues);
        strip(change.newValues);
    }
}

} // namespace server
