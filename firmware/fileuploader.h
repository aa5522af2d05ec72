#pragma once

#include <atomic>
#include <chrono>
#include <memory>

#include <QString>
#include <QThread>

class COwnerLink;

// Serves one accepted download connection on a thread of its own: reads the
// whole file into memory, streams it to the player as fast as the connection
// takes it, closes, and deletes itself when the thread ends (also after a
// failure, so no idle thread is left behind).
//
// The owner learns about the upload only through posted messages:
// WM_UPLOAD_PROGRESS after every send that took bytes (wParam 0..500, 500
// exactly when the last byte has gone) and WM_UPLOAD_FAILED with the text to
// show. After a failure no completion is reported. lParam of both carries the
// player's IPv4 address as a number (0 when unknown), so that a front end
// updating several players at once can tell their uploads apart; the dialog,
// which serves one player, ignores it.
class CFileUpLoader : public QThread
{
    Q_OBJECT

public:
    // The connection socket; created inside run() from m_hAccepted.
    class CSendNotitication;

    // wParam of the progress message once every byte has gone.
    static constexpr qint64 PROGRESS_COMPLETE = 500;
    // The whole file is held in one block per connection; 2 GiB and more is
    // not a firmware image and would not fit many concurrent players.
    static constexpr qint64 MAX_FILE_LENGTH = (qint64{1} << 31) - 1;
    // A player that takes nothing for this long has stopped reading; its
    // thread and its copy of the file are given back.
    static constexpr std::chrono::milliseconds DEFAULT_STALL_TIMEOUT{60000};

    // Owns the descriptor from here on; it is closed however the upload ends.
    explicit CFileUpLoader(qintptr hAccepted, QObject *parent = nullptr);
    ~CFileUpLoader() override;

    // Called before start(): where progress and failures go, which file to send.
    void SetSource(std::shared_ptr<COwnerLink> hDialogWnd, const QString &strFilePath);
    void SetStallTimeout(std::chrono::milliseconds timeout);

    // Reads the whole file into m_pFileData; true on success. A file that
    // cannot be opened, is too large or reads short reports "File open fail:";
    // an empty file fails silently.
    bool LoadFile();

    // sent * 500 / total in integer arithmetic: 500 only for the last byte.
    static qint64 ProgressOf(qint64 nSent, qint64 nTotal);
    // Uploader objects alive in the process, running or awaiting deletion.
    static int LiveCount();

protected:
    void run() override;

private:
    void OnSent(qint64 nBytes);
    void ReportFailure(const QString &text);
    static qint64 PeerAddressOf(qintptr hSocket);

    static inline std::atomic<int> s_nLive{0};

    qintptr m_hAccepted;
    qint64 m_nPeerAddress = 0;
    std::shared_ptr<COwnerLink> m_hDialogWnd;
    QString m_strFilePath;
    std::chrono::milliseconds m_stallTimeout = DEFAULT_STALL_TIMEOUT;
    qint64 m_nFileLength = 0;
    std::unique_ptr<char[]> m_pFileData;
    qint64 m_nSent = 0;
    qint64 m_nLeft = 0;
};
