#pragma once

#include <memory>

#include <QSocketNotifier>
#include <QTimer>

#include "fileuploader.h"

// The connection socket of one upload, living on the uploader's thread. It
// sends straight from the uploader's copy of the file with non-blocking
// send() calls driven by a write notifier, instead of through QTcpSocket:
// QTcpSocket::write() would copy the file into Qt's write buffer, holding it
// twice per connection, while send() from the held block lets the kernel take
// as much as it can each time and nothing else is buffered.
class CFileUpLoader::CSendNotitication
{
public:
    // Send errors are errno values; a stall is reported as ETIMEDOUT.
    CSendNotitication(CFileUpLoader &uploader, qintptr hSocket);
    ~CSendNotitication();
    CSendNotitication(const CSendNotitication &) = delete;
    CSendNotitication &operator=(const CSendNotitication &) = delete;

    // Begins sending once the file is loaded.
    void Start();
    // Ends the connection so that every byte handed to the kernel still
    // reaches the player before the end of the stream; idempotent.
    void Close();
    // Resets the connection, so that a player holding part of the file sees
    // an error rather than an end of file; idempotent.
    void Abort();

private:
    void OnReadyWrite();
    void OnStalled();
    void Fail(int errorCode);
    void DiscardReceived();
    void Release();

    CFileUpLoader &m_uploader;
    qintptr m_hSocket;
    std::unique_ptr<QSocketNotifier> m_pWriteNotifier;
    QTimer m_stallTimer;
};
