#pragma once

#include <QString>

// Which process listens on a local TCP port (shared by doctor and by the
// windows that cannot bind their port), read from /proc: the kernel's
// socket tables give the socket, the processes' descriptors its owner. Only
// processes this user may look into can be named.
class CPortHolder
{
public:
    // "NAME (pid N)", or empty when no readable process holds the port.
    static QString Find(quint16 port);
    // "TCP port N is in use", followed by " by NAME (pid N)" when the holder
    // can be named.
    static QString InUseText(quint16 port);

private:
    static QString ListeningInode(quint16 port);
    static QString OwnerOf(const QString &inode);
};
