// CSendNotitication: the socket of one download connection, inside CFileUpLoader.
#pragma once

#include <memory>

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include "fileuploader.h"

// The connection socket of one upload, living on the uploader's thread. It
// keeps the whole state of the connection: the send cursor, the count the
// player's TCP stack has acknowledged, and the stall window; it tells the
// uploader only what it needs to report (acknowledged, failed, completed).
//
// It sends straight from the shared copy of the file with non-blocking
// send() calls driven by a write notifier, instead of through QTcpSocket:
// QTcpSocket::write() would copy the file into Qt's write buffer. What the
// kernel took is not yet the player's: socket buffers hold megabytes, so
// progress counts only what the peer has acknowledged (bytes written minus
// the unacknowledged send queue), and the upload completes when that is all.
class CFileUpLoader::CSendNotitication
{
public:
    // Send errors are errno values; a stall is reported as ETIMEDOUT.
    CSendNotitication(CFileUpLoader &uploader, qintptr hSocket);
    ~CSendNotitication();
    CSendNotitication(const CSendNotitication &) = delete;
    CSendNotitication &operator=(const CSendNotitication &) = delete;

    // Begins sending nSize bytes from pData, which outlive the connection.
    // Less than nMinProgress acknowledged in a window (or less than what was
    // left) gives the download up.
    void Start(const char *pData, qint64 nSize, std::chrono::milliseconds stallWindow,
               qint64 nMinProgress);
    // Ends the connection so that every byte handed to the kernel still
    // reaches the player before the end of the stream; idempotent.
    void Close();
    // Resets the connection, so that a player holding part of the file sees
    // an error rather than an end of file; idempotent.
    void Abort();
    // Gives the upload up as failed with errorCode; from the uploader's thread.
    void Fail(int errorCode);
    // Events for this connection are delivered through this object.
    QObject *Context() { return &m_context; }

private:
    void OnReadyWrite();
    void CheckAcknowledged();
    void OnStallWindowEnded();
    qint64 Unacknowledged() const;
    void DiscardReceived();
    void Release();

    CFileUpLoader &m_uploader;
    qintptr m_hSocket;
    QObject m_context;
    std::unique_ptr<QSocketNotifier> m_pWriteNotifier;
    QTimer m_ackTimer;
    QTimer m_stallTimer;
    const char *m_pData = nullptr;
    qint64 m_nSize = 0;
    qint64 m_nWritten = 0;
    qint64 m_nAcknowledged = 0;
    qint64 m_nAcknowledgedAtWindowStart = 0;
    qint64 m_nMinProgress = 0;
    bool m_bEndQueued = false;
    bool m_bDone = false;
};
