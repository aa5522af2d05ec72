// CSetupMainView: the device page of a model-class-2 player (name, Wi-Fi, buttons for the dialogs).
#pragma once

#include <array>

#include <QWidget>

class CDevice;
class CSetupManager;
class QCheckBox;
class QLabel;
class QLineEdit;

// The device page of a selected class-2 player: its name, whether its Wi-Fi
// is on, six fields of device information, and the buttons that lead to every
// setting of such a player. It keeps no data of its own: it shows the
// manager's record of the selected player and changes the player only through
// the manager. What the window must do afterwards it learns by signals.
class CSetupMainView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int IDD = 130;
    static constexpr int IDC_NEW_NAME = 1005;
    static constexpr int IDC_APPLY = 1006;
    static constexpr int IDC_WIFI_OFF = 1007;
    static constexpr int IDC_WIFI_SELECTION = 1009;
    static constexpr int IDC_FIRMWARE_UPDATE = 1012;
    static constexpr int IDC_DEVICE_NAME = 1013;
    static constexpr int IDC_LAN_IP = 1014; // then wifi ip, lan mac, wifi mac,
                                            // firmware version, serial number
    static constexpr int IDC_LAN_SETUP = 1020;
    static constexpr int IDC_WIFI_SETUP = 1021;
    // Which reads of the player failed, one line each, with their texts.
    static constexpr int IDC_READ_FAILURES = 1022;
    static constexpr int INFO_FIELDS = 6;

    explicit CSetupMainView(CSetupManager &manager, QWidget *parent = nullptr);

    // Loads the controls from the manager's record of the selected player.
    void RefreshView();

signals:
    // The player took the new name.
    void DeviceRenamed(const QString &name);
    // The player was reset and leaves the network for a while.
    void DelayedRefreshRequested();

private:
    void OnApply();
    void OnWifiOffClicked(bool off);
    void OnGoToWifiSelection();
    void OnLanSetup();
    void OnWifiSetup();
    void OnFirmwareUpdate();
    void ConnectButton(int id, void (CSetupMainView::*handler)());
    void ShowWifiState(const CDevice &device);

    CSetupManager &m_manager;
    QLabel *m_pDeviceName = nullptr;
    QLineEdit *m_pNewName = nullptr;
    std::array<QLabel *, INFO_FIELDS> m_info{};
    QCheckBox *m_pWifiOff = nullptr;
    QLabel *m_pReadFailures = nullptr;
};
