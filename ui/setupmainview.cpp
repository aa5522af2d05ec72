#include "setupmainview.h"

#include <algorithm>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "aplistdlg.h"
#include "busyrunner.h"
#include "commandcatalogue.h"
#include "commanderror.h"
#include "firmwareupdatedlg.h"
#include "messagebox.h"
#include "nametext.h"
#include "setupdlg.h"
#include "setupmanager.h"
#include "templatebuilder.h"

CSetupMainView::CSetupMainView(CSetupManager &manager, QWidget *parent)
    : QWidget(parent), m_manager(manager)
{
    CTemplateBuilder::Build(IDD, this);
    m_pDeviceName = CTemplateBuilder::Control<QLabel>(this, IDC_DEVICE_NAME);
    m_pNewName = CTemplateBuilder::Control<QLineEdit>(this, IDC_NEW_NAME);
    for (int field = 0; field < INFO_FIELDS; ++field)
        m_info[static_cast<size_t>(field)] =
            CTemplateBuilder::Control<QLabel>(this, IDC_LAN_IP + field);
    m_pWifiOff = CTemplateBuilder::Control<QCheckBox>(this, IDC_WIFI_OFF);
    m_pReadFailures = CTemplateBuilder::Control<QLabel>(this, IDC_READ_FAILURES);

    ConnectButton(IDC_APPLY, &CSetupMainView::OnApply);
    ConnectButton(IDC_WIFI_SELECTION, &CSetupMainView::OnGoToWifiSelection);
    ConnectButton(IDC_LAN_SETUP, &CSetupMainView::OnLanSetup);
    ConnectButton(IDC_WIFI_SETUP, &CSetupMainView::OnWifiSetup);
    ConnectButton(IDC_FIRMWARE_UPDATE, &CSetupMainView::OnFirmwareUpdate);
    // clicked: only the user's clicks, after the box has toggled itself.
    connect(m_pWifiOff, &QCheckBox::clicked, this, &CSetupMainView::OnWifiOffClicked);
}

void CSetupMainView::ConnectButton(int id, void (CSetupMainView::*handler)())
{
    if (auto *button = CTemplateBuilder::Control<QPushButton>(this, id))
        connect(button, &QPushButton::clicked, this, handler);
}

namespace {

// What the page lacks when a read fails, in the words of the page.
QString ReadName(qint32 id)
{
    switch (id) {
    case CMD_GET_DEVICE_NAME:
        return QStringLiteral("the name");
    case CMD_GET_WIFI_ON_OFF:
        return QStringLiteral("the Wi-Fi state");
    case CMD_GET_DEVICE_INFO:
        return QStringLiteral("the device information");
    default:
        return QStringLiteral("a setting");
    }
}

QString ReadFailureText(const QList<CReadFailure> &failures)
{
    QStringList lines;
    for (const CReadFailure &failure : failures) {
        const QString what = ReadName(failure.nCmdId);
        lines.append(failure.strText.isEmpty()
                         ? QStringLiteral("Reading %1 failed.").arg(what)
                         : QStringLiteral("Reading %1 failed: %2").arg(what, failure.strText));
    }
    return lines.join(QLatin1Char('\n'));
}

bool WifiStateRead(const QList<CReadFailure> &failures)
{
    return std::none_of(failures.cbegin(), failures.cend(), [](const CReadFailure &failure) {
        return failure.nCmdId == CMD_GET_WIFI_ON_OFF;
    });
}

} // namespace

void CSetupMainView::RefreshView()
{
    const CDevice &device = m_manager.GetDevice();
    m_pDeviceName->setText(device.devicename);
    m_pNewName->clear();
    ShowWifiState(device);
    const std::array<const QString *, INFO_FIELDS> fields = {
        &device.lanip,   &device.wifiip,      &device.lanmac,
        &device.wifimac, &device.firmversion, &device.serialnumber};
    for (size_t field = 0; field < fields.size(); ++field)
        m_info[field]->setText(*fields[field]);
    m_pReadFailures->setText(ReadFailureText(m_manager.GetReadFailures()));
    repaint();
}

// A state that was not read is neither on nor off: the box shows neither and
// cannot be clicked, so no one switches a player by what another one said.
void CSetupMainView::ShowWifiState(const CDevice &device)
{
    const bool read = WifiStateRead(m_manager.GetReadFailures());
    m_pWifiOff->setTristate(!read);
    if (read)
        m_pWifiOff->setChecked(device.wifionoff == 0);
    else
        m_pWifiOff->setCheckState(Qt::PartiallyChecked);
    m_pWifiOff->setEnabled(read);
}

void CSetupMainView::OnApply()
{
    // Sent as typed, but never empty: a nameless player would be a blank line
    // in the list that no one can tell apart.
    const QString name = m_pNewName->text();
    if (name.trimmed().isEmpty()) {
        CMessageBox::Show(QStringLiteral("The new name is empty."));
        m_pNewName->setFocus();
        return;
    }
    if (const QString problem = CNameText::DeviceNameProblem(name); !problem.isEmpty()) {
        CMessageBox::Show(QStringLiteral("The new name %1.").arg(problem));
        m_pNewName->setFocus();
        return;
    }
    CSetupManager &manager = m_manager;
    if (!CBusyRunner::Run([&manager, name] { return manager.SetDeviceName(name); })) {
        CCommandError::Show(&manager, QStringLiteral("Renaming the player failed."));
        return;
    }
    emit DeviceRenamed(name);
    m_pDeviceName->setText(name);
    repaint();
}

void CSetupMainView::OnWifiOffClicked(bool off)
{
    CSetupManager &manager = m_manager;
    const int on = off ? 0 : 1;
    // On failure the box keeps the state the user clicked it into.
    if (!CBusyRunner::Run([&manager, on] { return manager.SetWifiOnOff(on); }))
        CCommandError::Show(&manager, on ? QStringLiteral("Switching Wi-Fi on failed.")
                                         : QStringLiteral("Switching Wi-Fi off failed."));
}

void CSetupMainView::OnGoToWifiSelection()
{
    CAPListDlg dialog(m_manager, this);
    // Only a reset player leaves the network; the main window waits for it
    // and searches again.
    if (dialog.exec() == CAPListDlg::RESULT_RESET)
        emit DelayedRefreshRequested();
}

void CSetupMainView::OnLanSetup()
{
    CSetupDlg dialog(m_manager, true, this);
    dialog.exec();
}

void CSetupMainView::OnWifiSetup()
{
    CSetupDlg dialog(m_manager, false, this);
    dialog.exec();
}

void CSetupMainView::OnFirmwareUpdate()
{
    CFirmwareUpdateDlg dialog(m_manager, this);
    dialog.exec();
}
