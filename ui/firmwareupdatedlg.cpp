#include "firmwareupdatedlg.h"

#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <QTimerEvent>

#include "filechooser.h"
#include "messagebox.h"
#include "postedmessage.h"
#include "setupmanager.h"

CFirmwareUpdateDlg::CFirmwareUpdateDlg(QWidget *parent)
    : CModalDialog(IDD, parent), m_listener(this, [this] { return m_strFilePath; })
{
    m_pProgress = Control<QProgressBar>(IDC_PROGRESS);
    ConnectButton(IDC_CHOOSE_FILE, &CFirmwareUpdateDlg::OnChooseFile);
    connect(&m_listener, &CUpdateListener::UploadStarted, this, [this] { m_bUpdating = true; });
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
    m_strFilePath = choice->m_strFolder + QLatin1Char('/') + choice->m_strFileName;
    Control<QLabel>(IDC_FILE_PATH)->setText(m_strFilePath);
}

void CFirmwareUpdateDlg::OnOK()
{
    if (m_strFilePath.isEmpty())
        return;
    m_pProgress->setValue(0);
    EnableButtons(false, false, false);
    if (RunCommand([](CSetupManager &manager) { return manager.UpdateFirmware(); }))
        return; // the player connects and downloads
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
        // The dialog stays as it is: a failed upload never completes.
        CMessageBox::Show(static_cast<CPostedMessage *>(event)->Text());
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
    // Started before the pause, so the pause does not lengthen the wait.
    if (!m_nTimerId)
        m_nTimerId = startTimer(CLOSE_DELAY_MS);
    QThread::msleep(COMPLETION_PAUSE_MS);
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
