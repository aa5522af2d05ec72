#pragma once

#include <vector>

#include <QString>

// Idle connections from one address to a port, held open until this object
// goes: what a broken or hostile host does to starve a listener.
class CConnectionFlood
{
public:
    // Returns how many connections were set up (or are being set up).
    int Open(const QString &from, const QString &to, quint16 port, int count);
    ~CConnectionFlood();

private:
    std::vector<int> m_sockets;
};
