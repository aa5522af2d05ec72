#include "clipasswordreader.h"

#include <cerrno>
#include <cstdio>

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <QByteArray>
#include <QDeadlineTimer>

namespace {

// Switches echo off on a terminal for as long as it lives.
class CEchoOff
{
public:
    explicit CEchoOff(int fd) : m_fd(fd)
    {
        if (::tcgetattr(m_fd, &m_saved) != 0)
            return;
        termios quiet = m_saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        m_bActive = ::tcsetattr(m_fd, TCSAFLUSH, &quiet) == 0;
    }
    ~CEchoOff()
    {
        if (m_bActive)
            ::tcsetattr(m_fd, TCSAFLUSH, &m_saved);
    }
    CEchoOff(const CEchoOff &) = delete;
    CEchoOff &operator=(const CEchoOff &) = delete;

private:
    int m_fd;
    termios m_saved{};
    bool m_bActive = false;
};

} // namespace

CCliPasswordReader::CCliPasswordReader(int fd, int timeoutMs) : m_fd(fd), m_nTimeoutMs(timeoutMs) {}

std::optional<QString> CCliPasswordReader::Read(QString *error) const
{
    std::optional<QByteArray> line;
    if (::isatty(m_fd)) {
        std::fputs("Password: ", stderr);
        std::fflush(stderr);
        CEchoOff echoOff(m_fd);
        line = ReadLine(error);
        std::fputs("\n", stderr);
    } else {
        line = ReadLine(error);
    }
    if (!line)
        return std::nullopt;
    if (line->endsWith('\r'))
        line->chop(1);
    return QString::fromUtf8(*line);
}

// Byte by byte, so nothing after the line is taken from the descriptor.
std::optional<QByteArray> CCliPasswordReader::ReadLine(QString *error) const
{
    const QDeadlineTimer deadline(m_nTimeoutMs);
    QByteArray line;
    for (;;) {
        pollfd wait{m_fd, POLLIN, 0};
        const int ready = ::poll(&wait, 1, static_cast<int>(deadline.remainingTime()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0) {
            *error = QStringLiteral("no password on standard input in time");
            return std::nullopt;
        }
        char byte = 0;
        const ssize_t got = ready < 0 ? -1 : ::read(m_fd, &byte, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            *error = QStringLiteral("cannot read the password from standard input");
            return std::nullopt;
        }
        if (got == 0 || byte == '\n') {
            if (got == 0 && line.isEmpty()) {
                *error = QStringLiteral("no password on standard input");
                return std::nullopt;
            }
            return line;
        }
        if (line.size() >= MAX_PASSWORD_BYTES) {
            *error = QStringLiteral("the password on standard input is too long");
            return std::nullopt;
        }
        line.append(byte);
    }
}
