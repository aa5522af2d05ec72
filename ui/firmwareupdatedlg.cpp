#include "firmwareupdatedlg.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QTimerEvent>

#include "busyrunner.h"
#include "filechooser.h"
#include "fileuploader.h"
#include "messagebox.h"
#include "postedmessage.h"
#include "setupmanager.h"

CFirmwareUpdateDlg::CFirmwareUpdateDlg(CSetupManager &manager, QWidget *parent)
    : CModalDialog(IDD, manager, parent), m_listener(this, [this] { return m_strFilePath; })
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
    // Without the port the dialog still opens; the player's download then fails.
    m_listener.Listen();
}

// The server goes with the dialog; uploads already running finish unheard.
void CFirmwareUpdateDlg::done(int result)
{
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
    // Refused now rather than when the player connects, where the update
    // would end in a failure the user can no longer connect to the choice.
    const QString problem = FileProblem(path);
    if (!problem.isEmpty()) {
        CMessageBox::Show(problem);
        return;
    }
    m_strFilePath = path;
    Control<QLabel>(IDC_FILE_PATH)->setText(m_strFilePath);
}

QString CFirmwareUpdateDlg::FileProblem(const QString &path)
{
    const QFileInfo info(path);
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return QStringLiteral("'%1' cannot be read.").arg(path);
    if (info.size() == 0)
        return QStringLiteral("'%1' is empty: choose a firmware file.").arg(path);
    if (info.size() > CFileUpLoader::MAX_FILE_LENGTH)
        return QStringLiteral("'%1' is too large: a firmware file is smaller than 2 GiB.")
            .arg(path);
    return {};
}

void CFirmwareUpdateDlg::OnOK()
{
    if (m_strFilePath.isEmpty())
        return;
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
    if (m_bUpdating &&
        CMessageBox::Show(
            QStringLiteral("Updating Firmawre is continuing.\ndo you want to stop current task?"),
            CMessageBox::EButtons::YesNo) != QMessageBox::Yes)
        return;
    done(IDCANCEL);
}

bool CFirmwareUpdateDlg::event(QEvent *event)
{
    // lParam names the player; this dialog serves one and ignores it.
    switch (static_cast<int>(event->type())) {
    case WM_UPLOAD_PROGRESS:
        OnUploadProgress(static_cast<int>(static_cast<CPostedMessage *>(event)->WParam()));
        return true;
    case WM_UPLOAD_FAILED:
        OnUploadFailed(static_cast<CPostedMessage *>(event)->Text());
        return true;
    default:
        return CModalDialog::event(event);
    }
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

void CFirmwareUpdateDlg::OnUploadStarted()
{
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
    if (m_bUpdating || m_listener.ActiveUploads() > 0)
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
