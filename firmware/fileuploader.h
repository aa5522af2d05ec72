// CFileUpLoader: the thread that sends the firmware file to one player.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>

#include <QMutex>
#include <QString>
#include <QThread>

class COwnerLink;
class CUploadFile;

// Serves one accepted download connection on a thread of its own: streams the
// image's shared copy, read when the image was chosen, to the player as fast
// as the connection takes it, closes, and deletes itself when the thread
// ends (also after a failure, so no idle thread is left behind).
//
// The owner learns about the upload only through posted messages:
// WM_UPLOAD_PROGRESS whenever the share of the file the player's TCP stack
// has acknowledged grows (wParam 0..500, 500 exactly when the last byte is
// acknowledged) and WM_UPLOAD_FAILED with the text to show. After a failure
// no completion is reported. lParam of both carries the player's IPv4
// address as a number (0 when unknown), so that a front end can tell whose
// upload a message is about: the dialog counts only its player's, and the
// CLI tells its players apart.
class CFileUpLoader : public QThread
{
    Q_OBJECT

public:
    // The connection socket; created inside run() from m_hAccepted.
    class CSendNotitication;

    // wParam of the progress message once every byte is acknowledged.
    static constexpr qint64 PROGRESS_COMPLETE = 500;
    static constexpr qint64 MAX_FILE_LENGTH = (qint64{1} << 31) - 1;
    // A download that gets less than MIN_PROGRESS acknowledged in a stall
    // window has as good as stopped: a player reading a byte now and then
    // would otherwise hold its thread, its connection and a slot of the
    // listener for days.
    static constexpr std::chrono::milliseconds DEFAULT_STALL_TIMEOUT{60000};
    static constexpr qint64 MIN_PROGRESS = 64 * 1024;

    // Owns the descriptor from here on; it is closed however the upload ends.
    explicit CFileUpLoader(qintptr hAccepted, QObject *parent = nullptr);
    ~CFileUpLoader() override;

    // Called before start(): where progress and failures go, and the image to
    // send (null when none was chosen).
    void SetSource(std::shared_ptr<COwnerLink> hDialogWnd,
                   std::shared_ptr<const CUploadFile> pFile);
    void SetStallTimeout(std::chrono::milliseconds timeout);
    void SetStallLimit(std::chrono::milliseconds window, qint64 nMinProgress);

    // Takes the image's copy; true when there is one to send. No image
    // reports "File open fail:"; an empty one fails silently.
    bool LoadFile();

    // Cuts the upload from any thread, reporting it as failed; the player
    // sees a reset, never an end of file.
    void Abort();

    // sent * 500 / total in integer arithmetic: 500 only for the last byte.
    static qint64 ProgressOf(qint64 nSent, qint64 nTotal);
    // Uploader objects alive in the process, running or awaiting deletion.
    static int LiveCount();
    // The player's IPv4 address of a connection, host order; 0 if unknown.
    static qint64 PeerAddressOf(qintptr hSocket);

protected:
    void run() override;

private:
    // Reports of the connection socket, on the uploader's thread.
    void OnAcknowledged(qint64 nAcknowledged);
    void OnFailed(int errorCode);
    void OnCompleted();
    void ReportFailure(const QString &text);

    static inline std::atomic<int> s_nLive{0};

    qintptr m_hAccepted;
    qint64 m_nPeerAddress = 0;
    std::shared_ptr<COwnerLink> m_hDialogWnd;
    // The image as chosen; handed to m_pFile when the upload starts.
    std::shared_ptr<const CUploadFile> m_pSource;
    std::chrono::milliseconds m_stallTimeout = DEFAULT_STALL_TIMEOUT;
    qint64 m_nMinProgress = MIN_PROGRESS;
    std::shared_ptr<const CUploadFile> m_pFile;
    qint64 m_nReported = 0;

    // Abort() reaches the socket on the uploader's thread through this.
    QMutex m_abortMutex;
    CSendNotitication *m_pSocket = nullptr;
    bool m_bAbortRequested = false;
};
