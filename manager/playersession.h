// CPlayerSession: the work on one player, through a command channel of its own.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "accesspoint.h"
#include "device.h"
#include "netcommander.h"
#include "readfailure.h"
#include "resultstore.h"
#include "stpcmderrortag.h"

// Everything that concerns one player at a time: the command channel, the
// record read from the player, its access points and connected network, and
// the errors of the commands sent to it. It knows nothing of discovery or
// adapters, so it is cheap to make, and a thread that owns one may use it
// without any other; the operations run one at a time on that thread.
//
// The desktop tool's manager holds the selected player's session; the CLI's
// workers each hold one of their own.
class CPlayerSession : public CResultStore
{
public:
    CPlayerSession();
    ~CPlayerSession() override = default;
    CPlayerSession(const CPlayerSession &) = delete;
    CPlayerSession &operator=(const CPlayerSession &) = delete;

    // Aims the device operations at the player at ip, forgetting what was
    // read from the one before.
    void TargetDevice(const QString &ip);
    // The user chose the player at ip, listed as name: a new user action.
    // Everything read before is forgotten and no player is aimed at until
    // TargetDevice names one.
    void ChooseListed(const QString &name, const QString &ip);
    // The player chosen from the list, as the list showed it.
    QString GetListedName() const { return m_strListedName; }
    QString GetListedIp() const { return m_strListedIp; }
    void ForgetListedName() { m_strListedName.clear(); }
    void ForgetListedIp() { m_strListedIp.clear(); }

    // Result store
    void StoreResult(const STP_CMD_RESULT_TAG &result) override;

    // Device operations: 1 on success, 0 on failure with the error recorded.
    int GetDeviceName();
    int SetDeviceName(const QString &name);
    int GetWifiOnOff();
    int SetWifiOnOff(int on);
    int GetApList();
    int ConnectAp(const QString &essid, const QString &password, const QString &encryptionkey);
    int GetDeviceInfo();
    int DeleteProfile(const QString &essid);
    int GetLanSetup();
    int GetWifiSetup();
    int SetLanSetup(const QString &setupmode, const QString &ipaddress, const QString &subnetmask,
                    const QString &defaultgateway, const QString &primarydns,
                    const QString &seconddns);
    int SetWifiSetup(const QString &setupmode, const QString &ipaddress, const QString &subnetmask,
                     const QString &defaultgateway, const QString &primarydns,
                     const QString &seconddns);
    // The player fetches the image from downloadIp, this computer's address.
    int UpdateFirmware(const QString &downloadIp);
    int ResetRender();
    int RebootDevice();
    int FetchDeviceData();

    void AddCommandError(const STP_CMD_ERROR_TAG &record);
    // Empties the error records, as a user action does when it starts.
    void ForgetErrors();
    // The distinct texts of the first two failures, and them one a line.
    QStringList GetCommandErrors() const;
    QString GetCommandErrorText() const;
    // When a command of the current user action never reached its player
    // (no connection, the request not sent): a sentence naming that player by
    // name and address; empty otherwise. The cause is in the error texts.
    QString GetUnreachedText() const { return m_strUnreached; }
    const QList<STP_CMD_ERROR_TAG> &GetErrorRecords() const { return m_errors; }

    const CDevice &GetDevice() const { return m_device; }
    // Shows a record read earlier again, e.g. after the page was rebuilt.
    void SetDevice(const CDevice &device)
    {
        m_device = device;
        m_readFailures.clear();
    }
    // The reads of the last FetchDeviceData that failed, in the order sent;
    // empty after a selection whose reads all succeeded.
    const QList<CReadFailure> &GetReadFailures() const { return m_readFailures; }
    const QList<CAccessPoint> &GetAccessPoints() const { return m_accessPoints; }
    QString GetConnectedEssid() const { return m_strConnectedEssid; }

private:
    // Its cases start from records no reply could leave behind.
    friend class TestStoreResult;

    void BeginUserAction();
    // Empties everything read from a player, before another one is aimed at.
    void ForgetDevice();
    QString DescribeUnreached() const;
    int SendCommand(qint32 id, const QStringList &arguments = {});
    int SendUserCommand(qint32 id, const QStringList &arguments = {});

    // While FetchDeviceData runs, its three commands report together.
    bool m_bInBatch = false;
    CNetCommander m_commander;
    QString m_strListedName;
    QString m_strListedIp;
    QString m_strConnectedEssid;
    CDevice m_device;
    QList<CAccessPoint> m_accessPoints;
    QList<STP_CMD_ERROR_TAG> m_errors;
    QString m_strUnreached;
    QList<CReadFailure> m_readFailures;
};
