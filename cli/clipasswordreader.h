#pragma once

#include <optional>

#include <QString>

// Reads a password from a descriptor (standard input), so that it never shows
// in the process list. One line; on a terminal it asks and does not echo.
class CCliPasswordReader
{
public:
    // Wi-Fi passphrases are at most 63 characters (64 hex digits as a key);
    // anything much longer is not one.
    static constexpr qsizetype MAX_PASSWORD_BYTES = 1024;
    // Time for a person to type it; a script has it ready at once.
    static constexpr int INPUT_TIMEOUT_MS = 120000;

    explicit CCliPasswordReader(int fd, int timeoutMs = INPUT_TIMEOUT_MS);

    // The line without its line end; none, with error set, when nothing
    // usable came.
    std::optional<QString> Read(QString *error) const;

private:
    std::optional<QByteArray> ReadLine(QString *error) const;

    const int m_fd;
    const int m_nTimeoutMs;
};
