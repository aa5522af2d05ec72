// CSetupDlg: the IP set-up dialog, for the LAN or the Wi-Fi side.
#pragma once

#include <array>

#include <QString>

#include "modaldialog.h"

class QComboBox;

// The IP configuration of the selected player's LAN or Wi-Fi interface:
// "STATIC" with five addresses, or "DHCP". Loaded from the player when the
// dialog opens; "setup" sends it and may have the player reboot.
class CSetupDlg : public CModalDialog
{
    Q_OBJECT

public:
    static constexpr int IDD = 134;
    static constexpr int IDC_IP_ADDRESS = 1032; // then subnet mask, gateway, two DNS servers
    static constexpr int IDC_SETUP_MODE = 1037;
    static constexpr int ADDRESS_FIELDS = 5;
    // Lines of the mode list.
    static constexpr int MODE_STATIC = 0;
    static constexpr int MODE_DHCP = 1;

    // lan: true for the LAN interface, false for Wi-Fi.
    CSetupDlg(CSetupManager &manager, bool lan, QWidget *parent = nullptr);

protected:
    void OnInitDialog() override;
    // "setup"
    void OnOK() override;

private:
    void Load();
    void ApplyMode(bool isStatic);
    void OnModeChanged(int line);
    // Says which box is wrong and returns false when one is.
    bool CheckStaticAddresses();
    int Send();
    // False, having said why, when the player was not told to reboot.
    [[nodiscard]] bool Reboot();
    void PostDelayedRefresh() const;

    bool m_bLan;
    QComboBox *m_pMode = nullptr;
    QString m_strSetupmode;
    // ipaddress, subnetmask, defaultgateway, primarydns, seconddns
    std::array<QString, ADDRESS_FIELDS> m_addresses;
};
