#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <memory>

#include <QString>
#include <QTcpServer>

#include "fileuploader.h"

class COwnerLink;

// The firmware file server: listens on TCP port 10017 of every local IPv4
// address and gives each accepted connection an uploader thread of its own,
// which sends the file that was chosen when the connection was accepted.
// Lives on its owner's thread; the owner receives the uploaders'
// WM_UPLOAD_PROGRESS and WM_UPLOAD_FAILED messages as CPostedMessage events.
//
// Use Close() rather than QTcpServer::close(), so that connections waiting
// for an uploader are let go as well.
class CUpdateListener : public QTcpServer
{
    Q_OBJECT

public:
    // Reads the owner's current file path; called once per accepted connection.
    using FilePathSource = std::function<QString()>;

    // The port the players' firmware fetches from; not ours to choose.
    static constexpr quint16 UPDATE_PORT = 10017;
    // Players are updated one or a few at a time; a short queue is plenty,
    // and a player that finds it full retries its connect.
    static constexpr int LISTEN_BACKLOG = 5;
    // Each uploader holds the whole file; more players than this at once
    // wait in the kernel's queue until an upload ends.
    static constexpr int MAX_UPLOADS = 16;
    // Accepted while the ceiling was reached, before accepting could pause;
    // bounded by the backlog in practice, capped in case it is not.
    static constexpr std::size_t MAX_WAITING = 32;

    // pDialog (may be null) receives the messages; filePath names the file to send.
    CUpdateListener(QObject *pDialog, FilePathSource filePath, QObject *parent = nullptr);
    ~CUpdateListener() override;

    // Starts listening; false when the port cannot be had (no message: the
    // owner works on, players just cannot download). isListening() tells.
    bool Listen();
    // Accepts no further connection; uploads in progress run to their end.
    void Close();

    void SetStallTimeout(std::chrono::milliseconds timeout);
    void SetMaxUploads(int nMaxUploads);
    int ActiveUploads() const { return m_nActive; }

signals:
    // An uploader thread has started for a new connection.
    void UploadStarted();

protected:
    void incomingConnection(qintptr handle) override;

private:
    struct CWaitingConnection
    {
        qintptr hAccepted;
        QString strFilePath;
    };

    void StartWaitingUploads();
    bool StartUpload(const CWaitingConnection &connection);
    void OnUploadEnded();
    void UpdateAccepting();

    const quint16 m_nPort = UPDATE_PORT;
    std::shared_ptr<COwnerLink> m_pDialog;
    FilePathSource m_filePathSource;
    std::deque<CWaitingConnection> m_waiting;
    int m_nActive = 0;
    int m_nMaxUploads = MAX_UPLOADS;
    std::chrono::milliseconds m_stallTimeout = CFileUpLoader::DEFAULT_STALL_TIMEOUT;
};
