#include "pg/error.h"

#include <utility>

namespace pg {

Error::Error(const std::string &message, std::string sqlState, std::string detail)
    : std::runtime_error(message)
    , m_sqlState(std::move(sqlState))
    , m_detail(std::move(detail))
{}

} // namespace pg
