// CUpdateListener: the firmware file server: listens on TCP 10017, one uploader per download.
#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <set>

#include <QString>
#include <QTcpServer>

#include "fileuploader.h"

class COwnerLink;
class CUploadFile;

// The firmware file server: listens on TCP port 10017 of every local IPv4
// address and gives each accepted connection an uploader thread of its own,
// which sends the image that was chosen when the connection was accepted:
// the copy its owner read when the image was chosen, never the file anew.
// Lives on its owner's thread; the owner receives the uploaders'
// WM_UPLOAD_PROGRESS and WM_UPLOAD_FAILED messages as CPostedMessage events.
//
// Use Close() rather than QTcpServer::close(), so that connections waiting
// for an uploader are let go as well, each with a report: a front end that
// stops serving never cuts a download silently. Running uploads go on after
// Close() (and after the listener is gone) unless AbortUploads() cuts them,
// which reports each as failed too.
class CUpdateListener : public QTcpServer
{
    Q_OBJECT

public:
    // The owner's current image, null when none is chosen; called once per
    // accepted connection.
    using ImageSource = std::function<std::shared_ptr<const CUploadFile>()>;

    // The port the players' firmware fetches from; not ours to choose.
    static constexpr quint16 UPDATE_PORT = 10017;
    // Players are updated one or a few at a time; a short queue is plenty,
    // and a player that finds it full retries its connect.
    static constexpr int LISTEN_BACKLOG = 5;
    // Each upload has a thread and a connection of its own; more players
    // than this at once wait in the kernel's queue until an upload ends.
    static constexpr int MAX_UPLOADS = 16;
    // Accepted while the ceiling was reached, before accepting could pause;
    // bounded by the backlog in practice, capped in case it is not.
    static constexpr std::size_t MAX_WAITING = 32;

    // pDialog (may be null) receives the messages; image gives what to send.
    CUpdateListener(QObject *pDialog, ImageSource image, QObject *parent = nullptr);
    ~CUpdateListener() override;

    // Starts listening; false when the port cannot be had, and then the
    // owner must not send a player to it: another program's server would
    // answer. isListening() tells, errorString() why.
    [[nodiscard]] bool Listen();
    // Accepts no further connection. Players still waiting for an uploader,
    // in our queue or in the kernel's, get a reset (never an end of file)
    // and each is reported to the owner with WM_UPLOAD_FAILED; uploads in
    // progress run to their end.
    void Close();
    // Cuts every running upload; each reports WM_UPLOAD_FAILED.
    void AbortUploads();

    void SetStallTimeout(std::chrono::milliseconds timeout);
    void SetStallLimit(std::chrono::milliseconds window, qint64 nMinProgress);
    void SetMaxUploads(int nMaxUploads);
    // Uploads with a thread of their own, sending or about to.
    int ActiveUploads() const { return m_nActive; }
    int RunningUploads() const { return m_nActive; }
    // Connections accepted but waiting for an uploader.
    int QueuedUploads() const { return static_cast<int>(m_waiting.size()); }

    // The text reported for a player that connected but was never served.
    static QString NotServedText();

signals:
    // An uploader thread has started for a new connection from nPlayer (its
    // IPv4 address as a number, as the uploader's messages carry it).
    void UploadStarted(qint64 nPlayer);
    // The last running upload has ended and none is waiting.
    void AllUploadsEnded();

protected:
    void incomingConnection(qintptr handle) override;

private:
    struct CWaitingConnection
    {
        qintptr hAccepted;
        std::shared_ptr<const CUploadFile> pFile;
    };

    void StartWaitingUploads();
    bool StartUpload(const CWaitingConnection &connection);
    void OnUploadEnded(CFileUpLoader *pUploader);
    void UpdateAccepting();
    void RefuseWaiting();
    void Refuse(qintptr hAccepted);

    const quint16 m_nPort = UPDATE_PORT;
    std::shared_ptr<COwnerLink> m_pDialog;
    ImageSource m_imageSource;
    std::deque<CWaitingConnection> m_waiting;
    std::set<CFileUpLoader *> m_running;
    int m_nActive = 0;
    int m_nMaxUploads = MAX_UPLOADS;
    std::chrono::milliseconds m_stallTimeout = CFileUpLoader::DEFAULT_STALL_TIMEOUT;
    qint64 m_nMinProgress = CFileUpLoader::MIN_PROGRESS;
};
