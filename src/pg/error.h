// The error every PostgreSQL operation throws: the server's primary message with its SQLSTATE,
// so that callers tell a duplicate key or a cancelled statement from other failures.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace pg {

// The SQLSTATE codes the system reacts to; the server documents the full list.
namespace sqlstate {
inline constexpr std::string_view UniqueViolation = "23505";
inline constexpr std::string_view ForeignKeyViolation = "23503";
inline constexpr std::string_view NotNullViolation = "23502";
inline constexpr std::string_view CheckViolation = "23514";
inline constexpr std::string_view SerializationFailure = "40001";
inline constexpr std::string_view DeadlockDetected = "40P01";
inline constexpr std::string_view QueryCanceled = "57014";
inline constexpr std::string_view LockNotAvailable = "55P03";
inline constexpr std::string_view SyntaxError = "42601";
inline constexpr std::string_view CharacterNotInRepertoire = "22021";
} // namespace sqlstate

class Error : public std::runtime_error
{
public:
    explicit Error(const std::string &message, std::string sqlState = {}, std::string detail = {});

    // Five characters, or empty when the failure did not come from the server (a lost
    // connection, a refused connect).
    const std::string &sqlState() const { return m_sqlState; }
    const std::string &detail() const { return m_detail; }

private:
    std::string m_sqlState;
    std::string m_detail;
};

} // namespace pg
