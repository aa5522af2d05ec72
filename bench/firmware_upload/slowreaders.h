#pragma once

#include <atomic>
#include <thread>
#include <vector>

#include <QString>

// Players that download and read one byte a second, each from an address of
// its own (127.0.0.<firstHost + i>), on threads of their own, until the
// server ends their connection or Stop() is called.
class CSlowReaders
{
public:
    ~CSlowReaders();

    void Start(int nReaders, int nFirstHost, quint16 port);
    void Stop();

private:
    void Read(const QString &localAddress, quint16 port);

    std::vector<std::thread> m_threads;
    std::atomic<bool> m_bStop = false;
};
