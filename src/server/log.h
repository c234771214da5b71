// The server's log: one line per connection and per failed request, to standard error and
// to a file in the data folder. Row data never goes into it.
#pragma once

#include <QFile>
#include <QString>

#include <mutex>

namespace server {

class Logger
{
public:
    // filePath empty: standard error only.
    explicit Logger(const QString &filePath = {});

    void write(const QString &line);

private:
    std::mutex m_mutex;
    QFile m_file;
};

} // namespace server
