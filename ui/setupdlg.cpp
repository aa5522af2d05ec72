#include "setupdlg.h"

#include <QComboBox>
#include <QLineEdit>

#include "commanderror.h"
#include "ipv4text.h"
#include "messagebox.h"
#include "postedmessage.h"
#include "setupmanager.h"

namespace {

// Anything else a player reports, "static" in lower case included, is DHCP.
const QString &StaticText()
{
    static const QString text = QStringLiteral("STATIC");
    return text;
}

const QString &DhcpText()
{
    static const QString text = QStringLiteral("DHCP");
    return text;
}

// The labels beside the boxes, so a message names the field the way the
// dialog shows it.
const std::array<QString, CSetupDlg::ADDRESS_FIELDS> &FieldNames()
{
    static const std::array<QString, CSetupDlg::ADDRESS_FIELDS> names = {
        QStringLiteral("IP Address"), QStringLiteral("Subnet Mask"),
        QStringLiteral("Default Gateway"), QStringLiteral("Primary Dns Server"),
        QStringLiteral("Secondary Dns Server")};
    return names;
}

constexpr int FIELD_SUBNET_MASK = 1;
// The gateway and the name servers may stay empty; address and mask may not.
constexpr int FIRST_OPTIONAL_FIELD = 2;

} // namespace

CSetupDlg::CSetupDlg(CSetupManager &manager, bool lan, QWidget *parent)
    : CModalDialog(IDD, manager, parent), m_bLan(lan)
{
    m_pMode = Control<QComboBox>(IDC_SETUP_MODE);
}

void CSetupDlg::OnInitDialog()
{
    setWindowTitle(m_bLan ? QStringLiteral("Lan Setup") : QStringLiteral("Wifi Setup"));
    Load();
    CTemplateBuilder::AddString(m_pMode, StaticText());
    CTemplateBuilder::AddString(m_pMode, DhcpText());
    const bool isStatic = m_strSetupmode == StaticText();
    m_pMode->setCurrentIndex(isStatic ? MODE_STATIC : MODE_DHCP);
    ApplyMode(isStatic);
    for (int field = 0; field < ADDRESS_FIELDS; ++field)
        Control<QLineEdit>(IDC_IP_ADDRESS + field)
            ->setText(m_addresses[static_cast<size_t>(field)]);
    // Only the user's choices from here on.
    connect(m_pMode, &QComboBox::activated, this, &CSetupDlg::OnModeChanged);
}

void CSetupDlg::Load()
{
    const bool lan = m_bLan;
    if (!RunCommand([lan](CSetupManager &manager) {
            return lan ? manager.GetLanSetup() : manager.GetWifiSetup();
        })) {
        // The dialog opens all the same, empty and in DHCP mode.
        ShowCommandError(lan ? QStringLiteral("Reading the LAN set-up failed.")
                             : QStringLiteral("Reading the Wi-Fi set-up failed."));
        return;
    }
    const CDevice &device = Manager()->GetDevice();
    m_strSetupmode = device.setupmode;
    m_addresses =
        lan ? std::array<QString, ADDRESS_FIELDS>{device.lanIpaddress, device.lanSubnetmask,
                                                  device.lanDefaultgateway, device.lanPrimarydns,
                                                  device.lanSeconddns}
            : std::array<QString, ADDRESS_FIELDS>{device.wifiIpaddress, device.wifiSubnetmask,
                                                  device.wifiDefaultgateway, device.wifiPrimarydns,
                                                  device.wifiSeconddns};
}

// The boxes keep their texts while hidden: switching back shows what was typed.
void CSetupDlg::ApplyMode(bool isStatic)
{
    m_strSetupmode = isStatic ? StaticText() : DhcpText();
    for (int field = 0; field < ADDRESS_FIELDS; ++field)
        ShowControl(IDC_IP_ADDRESS + field, isStatic);
}

void CSetupDlg::OnModeChanged(int line)
{
    ApplyMode(line == MODE_STATIC);
}

void CSetupDlg::OnOK()
{
    // Hidden boxes are sent too.
    for (int field = 0; field < ADDRESS_FIELDS; ++field)
        m_addresses[static_cast<size_t>(field)] =
            Control<QLineEdit>(IDC_IP_ADDRESS + field)->text();
    // A wrong static address can cut the player off the network for good, so
    // it is refused before the question and before anything is sent.
    if (m_strSetupmode == StaticText() && !CheckStaticAddresses())
        return;
    // Asked before anything is sent; the answer cannot stop the sending.
    const bool reboot = CMessageBox::Show(QStringLiteral("Do you want to reboot ?"),
                                          CMessageBox::EButtons::YesNo) == QMessageBox::Yes;
    if (!Send()) {
        ShowCommandError(m_bLan ? QStringLiteral("Sending the LAN set-up failed.")
                                : QStringLiteral("Sending the Wi-Fi set-up failed."));
        return;
    }
    if (reboot && !Reboot())
        return;
    done(IDOK);
}

// The set-up is stored either way; a player that missed its reboot keeps
// its old set-up until it restarts, so the user must know, and no search
// waits for a restart that is not coming. The dialog stays open to try again.
bool CSetupDlg::Reboot()
{
    if (!RunCommand([](CSetupManager &manager) { return manager.RebootDevice(); })) {
        CMessageBox::Show(
            QStringLiteral("The set-up was stored, but rebooting the player failed: it takes "
                           "effect when the player restarts.\n%1")
                .arg(CCommandError::Text(Manager(),
                                         QStringLiteral("Rebooting the player failed."))));
        return false;
    }
    PostDelayedRefresh();
    return true;
}

// In DHCP mode the player takes its addresses from the network and the hidden
// boxes go along as they are.
bool CSetupDlg::CheckStaticAddresses()
{
    for (int field = 0; field < ADDRESS_FIELDS; ++field) {
        const QString &text = m_addresses[static_cast<size_t>(field)];
        const QString &name = FieldNames()[static_cast<size_t>(field)];
        QString problem;
        if (text.isEmpty() && field < FIRST_OPTIONAL_FIELD)
            problem = QStringLiteral("%1 is empty.").arg(name);
        else if (!text.isEmpty() && field == FIELD_SUBNET_MASK && !CIpv4Text::IsMask(text))
            problem = QStringLiteral("%1: '%2' is not a subnet mask.").arg(name, text);
        else if (!text.isEmpty() && !CIpv4Text::IsAddress(text))
            problem = QStringLiteral("%1: '%2' is not an IPv4 address.").arg(name, text);
        if (!problem.isEmpty()) {
            CMessageBox::Show(problem);
            Control<QLineEdit>(IDC_IP_ADDRESS + field)->setFocus();
            return false;
        }
    }
    return true;
}

int CSetupDlg::Send()
{
    const bool lan = m_bLan;
    const QString mode = m_strSetupmode;
    const std::array<QString, ADDRESS_FIELDS> a = m_addresses;
    return RunCommand([lan, mode, a](CSetupManager &manager) {
        return lan ? manager.SetLanSetup(mode, a[0], a[1], a[2], a[3], a[4])
                   : manager.SetWifiSetup(mode, a[0], a[1], a[2], a[3], a[4]);
    });
}

// The main window waits for the player to come back, then searches again.
void CSetupDlg::PostDelayedRefresh() const
{
    if (Manager())
        CPostedMessage::Post(Manager()->MainWindow(), WM_DELAYED_REFRESH);
}
