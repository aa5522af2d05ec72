#include "apsettingdlg.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "commanderror.h"
#include "messagebox.h"
#include "nametext.h"
#include "setupmanager.h"

namespace {

// A player's yes/no fields mean yes only when they are exactly this.
const QString &YesText()
{
    static const QString yes = QStringLiteral("1");
    return yes;
}

} // namespace

const std::array<QString, CAPSettingDlg::ENCRYPTION_COUNT> &CAPSettingDlg::EncryptionNames()
{
    static const std::array<QString, ENCRYPTION_COUNT> names = [] {
        std::array<QString, ENCRYPTION_COUNT> spelt;
        std::copy(PlayerKinds::ENCRYPTIONS.cbegin(), PlayerKinds::ENCRYPTIONS.cend(),
                  spelt.begin());
        return spelt;
    }();
    return names;
}

CAPSettingDlg::CAPSettingDlg(CSetupManager &manager, QWidget *parent)
    : CModalDialog(IDD, manager, parent), m_bOtherAp(true)
{
    BindControls();
}

CAPSettingDlg::CAPSettingDlg(CSetupManager &manager, const QString &essid,
                             const QString &encryptionkey, const QString &connected,
                             const QString &saved, QWidget *parent)
    : CModalDialog(IDD, manager, parent), m_bOtherAp(false), m_strConnected(connected),
      m_strSaved(saved), m_strEssid(essid), m_strEncryptionKey(encryptionkey)
{
    BindControls();
}

void CAPSettingDlg::BindControls()
{
    m_pPassword = Control<QLineEdit>(IDC_PASSWORD);
    m_pPasswordLabel = Control<QLabel>(IDC_PASSWORD_LABEL);
    m_pInputPassword = Control<QCheckBox>(IDC_INPUT_PASSWORD);
    ConnectButton(IDC_CLOSE, &CAPSettingDlg::OnClose);
    ConnectButton(IDC_CONNECT, &CAPSettingDlg::OnConnect);
    ConnectButton(IDC_REMOVE, &CAPSettingDlg::OnRemove);
    // clicked: only the user's clicks, after the box has toggled itself.
    connect(m_pInputPassword, &QCheckBox::clicked, this, &CAPSettingDlg::OnInputPassword);
}

void CAPSettingDlg::OnInitDialog()
{
    if (m_bOtherAp)
        InitOtherAccessPoint();
    else
        InitListed();
    Control<QLineEdit>(IDC_ESSID)->setText(m_strEssid);
    Control<QLineEdit>(IDC_ENCRYPTION_KEY)->setText(m_strEncryptionKey);
}

void CAPSettingDlg::InitOtherAccessPoint()
{
    m_pInputPassword->hide();
    ShowControl(IDC_REMOVE, false);
    auto *key = Control<QLineEdit>(IDC_ENCRYPTION_KEY);
    key->hide();
    // The list takes the key box's place; its closed box is as tall as the
    // font needs, as the builder placed it.
    auto *list = Control<QComboBox>(IDC_ENCRYPTION_LIST);
    for (const QString &name : EncryptionNames())
        CTemplateBuilder::AddString(list, name);
    list->setCurrentIndex(0);
    list->setGeometry(key->geometry());
    list->show();
}

void CAPSettingDlg::InitListed()
{
    ShowControl(IDC_ENCRYPTION_LIST, false);
    if (IsConnected()) {
        m_pPasswordLabel->hide();
        m_pPassword->hide();
        m_pInputPassword->hide();
        ShowControl(IDC_CONNECT, false);
    } else if (IsSaved()) {
        // The player knows the password; the user may give another one.
        m_pPasswordLabel->hide();
        m_pPassword->hide();
    } else {
        m_pInputPassword->hide();
        ShowControl(IDC_REMOVE, false);
    }
    EnableControl(IDC_ESSID, false);
    EnableControl(IDC_ENCRYPTION_KEY, false);
}

bool CAPSettingDlg::IsConnected() const
{
    return m_strConnected == YesText();
}

bool CAPSettingDlg::IsSaved() const
{
    return m_strSaved == YesText();
}

void CAPSettingDlg::OnInputPassword()
{
    m_bPasswordShown = !m_bPasswordShown;
    // Hiding keeps the typed text.
    m_pPasswordLabel->setVisible(m_bPasswordShown);
    m_pPassword->setVisible(m_bPasswordShown);
}

void CAPSettingDlg::OnClose()
{
    done(RESULT_CLOSED);
}

void CAPSettingDlg::OnConnect()
{
    m_strEssid = Control<QLineEdit>(IDC_ESSID)->text();
    m_strEncryptionKey = Control<QLineEdit>(IDC_ENCRYPTION_KEY)->text();
    // Hidden or not, the box's text is the password.
    const QString password = m_pPassword->text();
    QString essid = m_strEssid;
    QString encryptionkey = m_strEncryptionKey;
    if (m_bOtherAp)
        encryptionkey = Control<QComboBox>(IDC_ENCRYPTION_LIST)->currentText();
    if (!MayConnect(essid, password, encryptionkey))
        return; // missing input: no message, the dialog stays
    if (const QString problem = CNameText::EssidProblem(essid); !problem.isEmpty()) {
        CMessageBox::Show(QStringLiteral("The ESSID %1.").arg(problem));
        return;
    }
    if (!RunCommand([&](CSetupManager &manager) {
            return manager.ConnectAp(essid, password, encryptionkey);
        })) {
        ShowCommandError(QStringLiteral("Connecting to the access point failed."));
        done(RESULT_FAILED);
        return;
    }
    done(RESULT_CONNECTED);
}

bool CAPSettingDlg::MayConnect(const QString &essid, const QString &password,
                               const QString &encryptionkey) const
{
    if (m_bOtherAp)
        return !password.isEmpty() && !essid.isEmpty() && !encryptionkey.isEmpty();
    if (IsConnected())
        return false;
    // A saved one connects with the player's own password unless the user
    // asked to give one.
    if (IsSaved())
        return !m_bPasswordShown || !password.isEmpty();
    return !password.isEmpty();
}

void CAPSettingDlg::OnRemove()
{
    const bool connected = IsConnected();
    if (!connected && !IsSaved())
        return;
    const QString question =
        connected ? QStringLiteral("If you remove selected apitem, you must be reset the "
                                   "device.\nReally, do you want to reset?")
                  : QStringLiteral("Do you want to remove ?");
    if (CMessageBox::Show(question, CMessageBox::EButtons::YesNo) != QMessageBox::Yes)
        return;
    const QString essid = m_strEssid;
    if (!RunCommand([&essid](CSetupManager &manager) { return manager.DeleteProfile(essid); })) {
        ShowCommandError(QStringLiteral("Removing the access point failed."));
        done(RESULT_FAILED);
        return;
    }
    if (!connected) {
        done(RESULT_REMOVED);
        return;
    }
    // A player that resets may leave before it answers, so only a reset that
    // never reached it is known to have failed; the window must then not wait
    // for a restart that is not coming.
    if (!RunCommand([](CSetupManager &manager) { return manager.ResetRender(); }) &&
        !Manager()->GetUnreachedText().isEmpty()) {
        CMessageBox::Show(
            QStringLiteral("The access point was removed, but the player could not be told to "
                           "reset.\n%1")
                .arg(CCommandError::Text(Manager(), QString())));
        done(RESULT_REMOVED);
        return;
    }
    done(RESULT_RESET);
}
