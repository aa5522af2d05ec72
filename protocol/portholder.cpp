#include "portholder.h"

#include <unistd.h>

#include <array>

#include <QDir>
#include <QFile>

namespace {

// The state column's value for a listening socket.
const QLatin1String LISTEN_STATE("0A");
constexpr int LOCAL_ADDRESS_COLUMN = 1;
constexpr int STATE_COLUMN = 3;
constexpr int INODE_COLUMN = 9;
// The tables are small; this only bounds a surprise.
constexpr qint64 MAX_TABLE_BYTES = 16 * 1024 * 1024;
constexpr int HEX = 16;

// What a descriptor link names ("socket:[INODE]"); Qt resolves it as a path.
QString LinkText(const QString &path)
{
    std::array<char, 64> buffer{};
    const ssize_t length = ::readlink(path.toLocal8Bit().constData(), buffer.data(), buffer.size());
    return length > 0 ? QString::fromLatin1(buffer.data(), length) : QString();
}

} // namespace

QString CPortHolder::Find(quint16 port)
{
    const QString inode = ListeningInode(port);
    return inode.isEmpty() ? QString() : OwnerOf(inode);
}

QString CPortHolder::InUseText(quint16 port)
{
    const QString holder = Find(port);
    const QString text = QStringLiteral("TCP port %1 is in use").arg(port);
    return holder.isEmpty() ? text : text + QStringLiteral(" by ") + holder;
}

QString CPortHolder::ListeningInode(quint16 port)
{
    for (const QString &table :
         {QStringLiteral("/proc/net/tcp"), QStringLiteral("/proc/net/tcp6")}) {
        QFile file(table);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QStringList lines = QString::fromLatin1(file.read(MAX_TABLE_BYTES)).split(u'\n');
        for (const QString &line : lines.mid(1)) {
            const QStringList columns = line.simplified().split(u' ');
            if (columns.size() <= INODE_COLUMN || columns.at(STATE_COLUMN) != LISTEN_STATE)
                continue;
            bool ok = false;
            const uint local = columns.at(LOCAL_ADDRESS_COLUMN).section(u':', -1).toUInt(&ok, HEX);
            if (ok && local == port && columns.at(INODE_COLUMN) != QLatin1String("0"))
                return columns.at(INODE_COLUMN);
        }
    }
    return {};
}

QString CPortHolder::OwnerOf(const QString &inode)
{
    const QString socket = QStringLiteral("socket:[%1]").arg(inode);
    const QDir proc(QStringLiteral("/proc"));
    for (const QString &pid : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool numeric = false;
        pid.toUInt(&numeric);
        if (!numeric)
            continue;
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
        for (const QString &fd : fds.entryList(QDir::System | QDir::NoDotAndDotDot)) {
            if (LinkText(fds.filePath(fd)) != socket)
                continue;
            QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
            const QString name = comm.open(QIODevice::ReadOnly)
                                     ? QString::fromLocal8Bit(comm.readLine()).trimmed()
                                     : QStringLiteral("?");
            return QStringLiteral("%1 (pid %2)").arg(name, pid);
        }
    }
    return {};
}
