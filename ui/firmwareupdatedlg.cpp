#include "firmwareupdatedlg.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QHostAddress>
#include <QLabel>
#include <QProgressBar>
#include <QTimerEvent>

#include "busyrunner.h"
#include "filechooser.h"
#include "fileuploader.h"
#include "messagebox.h"
#include "portholder.h"
#include "postedmessage.h"
#include "setupmanager.h"

CFirmwareUpdateDlg::CFirmwareUpdateDlg(CSetupManager &manager, QWidget *parent)
    : CModalDialog(IDD, manager, parent), m_listener(this, [this] { return m_pImage; })
{
    m_pProgress = Control<QProgressBar>(IDC_PROGRESS);
    ConnectButton(IDC_CHOOSE_FILE, &CFirmwareUpdateDlg::OnChooseFile);
    connect(&m_listener, &CUpdateListener::UploadStarted, this,
            &CFirmwareUpdateDlg::OnUploadStarted);
    m_connectWait.setSingleShot(true);
    connect(&m_connectWait, &QTimer::timeout, this, &CFirmwareUpdateDlg::OnNoPlayerConnected);
}

CFirmwareUpdateDlg::~CFirmwareUpdateDlg()
{
    m_listener.Close();
}

void CFirmwareUpdateDlg::OnInitDialog()
{
    m_strTitle = QStringLiteral("Update Firmware");
    m_strNotice = QStringLiteral(
        "Please download the latest firmware from Quenby Digital FTP server and use the PC Setup "
        "software for firmware update.Firmware update can also be done by using halvorin Control "
        "apps Firmware update.");
    Control<QLabel>(IDC_TITLE)->setText(m_strTitle);
    Control<QLabel>(IDC_NOTICE)->setText(m_strNotice);
    m_pProgress->setRange(0, m_nProgressMax);
    m_pProgress->setValue(0);
    // Without the port the dialog still opens; "Update" tries again and, if
    // the port is still taken, says by whom instead of sending the player
    // to another program's server.
    static_cast<void>(m_listener.Listen());
}

// The server goes with the dialog; uploads already running finish unheard.
void CFirmwareUpdateDlg::done(int result)
{
    m_bEnded = true;
    m_listener.Close();
    m_connectWait.stop();
    if (m_nTimerId) {
        killTimer(m_nTimerId);
        m_nTimerId = 0;
    }
    CModalDialog::done(result);
}

void CFirmwareUpdateDlg::OnChooseFile()
{
    const std::optional<CFileChooser::SChoice> choice = CFileChooser::Choose(this);
    if (!choice)
        return;
    // Joined as they come: a folder ending in a separator gives two, which
    // opens all the same.
    const QString path = choice->m_strFolder + QLatin1Char('/') + choice->m_strFileName;
    // Read whole now: refused now rather than when the player connects,
    // where the update would end in a failure the user can no longer connect
    // to the choice; and what the player receives is this file as it is now,
    // whatever becomes of it on disk.
    CUploadFile::ELoad outcome = CUploadFile::ELoad::Unreadable;
    std::shared_ptr<const CUploadFile> image = CUploadFile::Load(path, &outcome);
    if (!image) {
        CMessageBox::Show(FileProblem(path, outcome));
        return;
    }
    m_pImage = std::move(image);
    m_strFilePath = path;
    Control<QLabel>(IDC_FILE_PATH)->setText(m_strFilePath);
}

QString CFirmwareUpdateDlg::FileProblem(const QString &path, CUploadFile::ELoad outcome)
{
    switch (outcome) {
    case CUploadFile::ELoad::Empty:
        return QStringLiteral("'%1' is empty: choose a firmware file.").arg(path);
    case CUploadFile::ELoad::TooLarge:
        return QStringLiteral("'%1' is too large: a firmware file is smaller than 2 GiB.")
            .arg(path);
    default:
        return QStringLiteral("'%1' cannot be read.").arg(path);
    }
}

QString CFirmwareUpdateDlg::PortProblem() const
{
    const QString holder = CPortHolder::Find(CUpdateListener::UPDATE_PORT);
    const QString consequence =
        QStringLiteral("so the player cannot download the firmware from this computer; nothing "
                       "was sent to it.");
    if (holder.isEmpty())
        return QStringLiteral("TCP port %1 cannot be opened (%2), %3")
            .arg(CUpdateListener::UPDATE_PORT)
            .arg(m_listener.errorString(), consequence);
    return QStringLiteral("TCP port %1 is held by %2, %3\nClose that program and press "
                          "\"Update\" again.")
        .arg(CUpdateListener::UPDATE_PORT)
        .arg(holder, consequence);
}

void CFirmwareUpdateDlg::OnOK()
{
    if (!m_pImage)
        return;
    // Told to download while another program holds the port, the player
    // would fetch whatever that program serves.
    if (!m_listener.Listen()) {
        CMessageBox::Show(PortProblem());
        return;
    }
    m_nPlayer = Manager() ? QHostAddress(Manager()->GetDevice().ip).toIPv4Address() : 0;
    m_pProgress->setValue(0);
    EnableButtons(false, false, false);
    if (RunCommand([](CSetupManager &manager) { return manager.UpdateFirmware(); })) {
        // The player connects and downloads, or the wait ends and says so.
        m_connectWait.start(m_nConnectWaitMs);
        return;
    }
    CMessageBox::Show(QStringLiteral("failed sending file:"));
    EnableButtons(true, true, true);
}

void CFirmwareUpdateDlg::OnCancel()
{
    if (m_bUpdating) {
        if (CMessageBox::Show(
                QStringLiteral("Updating Firmawre is continuing.\ndo you want to stop current "
                               "task?"),
                CMessageBox::EButtons::YesNo) != QMessageBox::Yes)
            return;
        // The download may have ended while the question was open; only one
        // still running is stopped, and said to be.
        if (m_bUpdating) {
            StopDownloads();
            CMessageBox::Show(QStringLiteral("The firmware update was stopped: the player's "
                                             "download was cut off before it had the whole "
                                             "file."));
        }
    }
    done(IDCANCEL);
}

// The player is reset, never sent an end of file, so it cannot take the part
// it holds for the whole image; the dialog closes only once the connections
// are cut, so what the user is told is already true.
void CFirmwareUpdateDlg::StopDownloads()
{
    m_bEnded = true;
    m_bUpdating = false;
    m_connectWait.stop();
    m_listener.Close();
    m_listener.AbortUploads();
    if (m_listener.RunningUploads() == 0)
        return;
    QEventLoop loop;
    connect(&m_listener, &CUpdateListener::AllUploadsEnded, &loop, &QEventLoop::quit);
    QTimer::singleShot(ABORT_WAIT_MS, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

bool CFirmwareUpdateDlg::IsOurPlayer(qint64 nPlayer) const
{
    return !m_bEnded && m_nPlayer != 0 && nPlayer == m_nPlayer;
}

// lParam names the player whose upload a message is about. Anyone on the
// LAN can connect to the file server; a download that is not the selected
// player's neither moves the bar nor ends the update, either way.
bool CFirmwareUpdateDlg::event(QEvent *event)
{
    const int type = static_cast<int>(event->type());
    if (type != WM_UPLOAD_PROGRESS && type != WM_UPLOAD_FAILED)
        return CModalDialog::event(event);
    const auto *message = static_cast<CPostedMessage *>(event);
    if (!IsOurPlayer(message->LParam()))
        return true;
    if (type == WM_UPLOAD_PROGRESS)
        OnUploadProgress(static_cast<int>(message->WParam()));
    else
        OnUploadFailed(message->Text());
    return true;
}

void CFirmwareUpdateDlg::OnUploadProgress(int progress)
{
    m_pProgress->setValue(progress);
    m_pProgress->repaint();
    if (progress != m_nProgressMax)
        return;
    // "Cancel" stays disabled: the dialog closes by itself.
    EnableButtons(true, true, false);
    m_bUpdating = false;
    // The bar was repainted above; the window thread never sleeps, so
    // nothing else is held up meanwhile.
    if (!m_nTimerId)
        m_nTimerId = startTimer(CLOSE_DELAY_MS);
}

void CFirmwareUpdateDlg::OnUploadStarted(qint64 nPlayer)
{
    if (!IsOurPlayer(nPlayer))
        return;
    m_bUpdating = true;
    m_connectWait.stop();
}

// A failed upload never completes, so it ends the update here: the user can
// choose again, update again or close.
void CFirmwareUpdateDlg::OnUploadFailed(const QString &text)
{
    m_bUpdating = false;
    m_connectWait.stop();
    EnableButtons(true, true, true);
    ShowFailure(text);
}

void CFirmwareUpdateDlg::OnNoPlayerConnected()
{
    if (m_bUpdating)
        return;
    EnableButtons(true, true, true);
    ShowFailure(QStringLiteral("The player has not fetched the firmware within %1 seconds.\n"
                               "A firewall blocking TCP port %2 of this computer is the likely "
                               "cause.")
                    .arg(m_nConnectWaitMs / 1000)
                    .arg(CUpdateListener::UPDATE_PORT));
}

// Every connection can fail on its own; each failure opening a box over the
// last would stack boxes the user has to close one by one.
void CFirmwareUpdateDlg::ShowFailure(const QString &text)
{
    m_pendingFailures.append(text);
    if (m_bShowingFailure)
        return;
    m_bShowingFailure = true;
    while (!m_pendingFailures.isEmpty()) {
        const QString shown = m_pendingFailures.join(QLatin1Char('\n'));
        m_pendingFailures.clear();
        CMessageBox::Show(shown);
    }
    m_bShowingFailure = false;
}

// The close box closes the dialog as Cancel does, also while "Cancel" is
// disabled waiting for a player; while a download runs it asks first.
void CFirmwareUpdateDlg::closeEvent(QCloseEvent *event)
{
    if (!isVisible() || CBusyRunner::IsBusy()) {
        event->ignore();
        return;
    }
    OnCancel();
    if (isVisible())
        event->ignore();
}

void CFirmwareUpdateDlg::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_nTimerId) {
        CModalDialog::timerEvent(event);
        return;
    }
    done(IDOK);
}

void CFirmwareUpdateDlg::EnableButtons(bool update, bool chooseFile, bool cancel) const
{
    EnableControl(IDOK, update);
    EnableControl(IDC_CHOOSE_FILE, chooseFile);
    EnableControl(IDCANCEL, cancel);
}
