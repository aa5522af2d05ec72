// CAPSettingDlg: the access point dialog: ESSID, encryption, password.
#pragma once

#include <array>

#include <QString>

#include "modaldialog.h"
#include "playerkinds.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

// Acts on one Wi-Fi access point for the selected player: connects the player
// to it, or removes the player's saved profile of it (and resets the player
// when it was connected to it). Listed mode shows a row of the access point
// list read-only; other-access-point mode lets the user type an ESSID and a
// password and pick the encryption.
class CAPSettingDlg : public CModalDialog
{
    Q_OBJECT

public:
    static constexpr int IDD = 133;
    static constexpr int IDC_INPUT_PASSWORD = 1023;
    static constexpr int IDC_ESSID = 1024;
    static constexpr int IDC_ENCRYPTION_KEY = 1025;
    static constexpr int IDC_PASSWORD = 1026;
    static constexpr int IDC_REMOVE = 1027;
    static constexpr int IDC_CONNECT = 1028;
    static constexpr int IDC_CLOSE = 1029;
    static constexpr int IDC_PASSWORD_LABEL = 1031;
    static constexpr int IDC_ENCRYPTION_LIST = 1045;

    // Results.
    static constexpr int RESULT_CLOSED = 1;
    static constexpr int RESULT_FAILED = 2; // also Escape and the close box
    static constexpr int RESULT_CONNECTED = 3;
    static constexpr int RESULT_RESET = 4;   // the connected one removed, player reset
    static constexpr int RESULT_REMOVED = 5; // a saved, not connected one removed

    // The encryptions a player knows, as it names them.
    static constexpr int ENCRYPTION_COUNT = int(PlayerKinds::ENCRYPTIONS.size());
    static const std::array<QString, ENCRYPTION_COUNT> &EncryptionNames();

    // Other-access-point mode.
    explicit CAPSettingDlg(CSetupManager &manager, QWidget *parent = nullptr);
    // Listed mode, with the texts of a row of the access point list.
    CAPSettingDlg(CSetupManager &manager, const QString &essid, const QString &encryptionkey,
                  const QString &connected, const QString &saved, QWidget *parent = nullptr);

protected:
    void OnInitDialog() override;

private:
    void BindControls();
    void InitOtherAccessPoint();
    void InitListed();
    bool IsConnected() const;
    bool IsSaved() const;
    void OnInputPassword();
    void OnClose();
    void OnConnect();
    bool MayConnect(const QString &essid, const QString &password,
                    const QString &encryptionkey) const;
    void OnRemove();

    bool m_bOtherAp;
    QString m_strConnected;
    QString m_strSaved;
    QString m_strEssid;
    QString m_strEncryptionKey;
    QLineEdit *m_pPassword = nullptr;
    QLabel *m_pPasswordLabel = nullptr;
    QCheckBox *m_pInputPassword = nullptr;
    bool m_bPasswordShown = false;
};
