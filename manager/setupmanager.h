// CSetupManager: the one controller of players and discovery; one operation per user action.
#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <optional>

#include <QList>
#include <QMutex>
#include <QSet>
#include <QObject>
#include <QString>
#include <QStringList>

#include "accesspoint.h"
#include "device.h"
#include "devicesink.h"
#include "devicesummary.h"
#include "networkchecker.h"
#include "playersession.h"
#include "readfailure.h"
#include "resultstore.h"
#include "stpcmderrortag.h"
#include "sweeprange.h"

class CDeviceDiscover;

// The one controller: it owns the adapters, the discovery thread, the list of
// discovered players and the selected player's session (its data, command
// channel and errors), and offers one operation per user action. The
// operations run one at a time, on the front end's thread or on a worker it
// hands each call to, never two at once; AddDevice alone is called by the
// announcement threads, under the discovery lock.
//
// What the manager tells the front end it posts, as CPostedMessage events, to
// the object registered with SetMainWindow.
class CSetupManager : public CResultStore, public CDeviceSink
{
public:
    // Slots for discovered players between two refreshes; later ones are ignored.
    static constexpr int MAX_DEVICES = 260;
    // Players beyond the slots are counted up to this many, which a /16 of
    // them would still not reach in practice.
    static constexpr int MAX_TURNED_AWAY = 65536;
    // The wait for the first answer after a sweep: up to five polls of two
    // seconds, then a little longer so that players answering together with
    // the first one make it into the list.
    static constexpr int REFRESH_POLLS = 5;
    static constexpr int REFRESH_POLL_MS = 2000;
    static constexpr int REFRESH_SETTLE_MS = 300;

    // How the user-interface thread waits during a refresh; a front end may
    // keep its windows painted meanwhile.
    using WaitFunction = std::function<void(int milliseconds)>;

    CSetupManager();
    ~CSetupManager() override;
    CSetupManager(const CSetupManager &) = delete;
    CSetupManager &operator=(const CSetupManager &) = delete;

    void SetMainWindow(QObject *mainWindow);
    QObject *MainWindow() const override;
    void SetWaitFunction(WaitFunction wait);

    // Core
    int StartDiscovery();
    void StopDiscovery();
    bool AddDevice(QString model, QString name, QString ip, QString udn) override;
    int RefreshDevices();
    int SelectAdapter(const QString &description);
    int SelectDevice(const QString &name, const QString &ip);
    void UpdateDeviceName(int index, const QString &name);
    QString GetAdapterDescription() const { return m_strAdapterDescription; }
    QString GetSelectedDeviceIp() const { return m_session.GetListedIp(); }
    QString GetDeviceIp(int index) const;
    // A copy of the discovered players, taken under the device list's lock.
    QList<CDeviceSummary> GetDevices() const;
    // How many other players answered since the list was emptied while every
    // slot was taken; they are not listed, and a front end says so.
    int GetTurnedAwayCount() const;

    // Result store: a reply for the selected player.
    void StoreResult(const STP_CMD_RESULT_TAG &result) override { m_session.StoreResult(result); }

    // Device operations, aimed at the selected player: 1 on success, 0 on
    // failure with the error recorded.
    int GetDeviceName() { return m_session.GetDeviceName(); }
    int SetDeviceName(const QString &name) { return m_session.SetDeviceName(name); }
    int GetWifiOnOff() { return m_session.GetWifiOnOff(); }
    int SetWifiOnOff(int on) { return m_session.SetWifiOnOff(on); }
    int GetApList() { return m_session.GetApList(); }
    int ConnectAp(const QString &essid, const QString &password, const QString &encryptionkey)
    {
        return m_session.ConnectAp(essid, password, encryptionkey);
    }
    int GetDeviceInfo() { return m_session.GetDeviceInfo(); }
    int DeleteProfile(const QString &essid) { return m_session.DeleteProfile(essid); }
    int GetLanSetup() { return m_session.GetLanSetup(); }
    int GetWifiSetup() { return m_session.GetWifiSetup(); }
    int SetLanSetup(const QString &setupmode, const QString &ipaddress, const QString &subnetmask,
                    const QString &defaultgateway, const QString &primarydns,
                    const QString &seconddns)
    {
        return m_session.SetLanSetup(setupmode, ipaddress, subnetmask, defaultgateway, primarydns,
                                     seconddns);
    }
    int SetWifiSetup(const QString &setupmode, const QString &ipaddress, const QString &subnetmask,
                     const QString &defaultgateway, const QString &primarydns,
                     const QString &seconddns)
    {
        return m_session.SetWifiSetup(setupmode, ipaddress, subnetmask, defaultgateway, primarydns,
                                      seconddns);
    }
    // The player fetches from the address whose /24 is swept.
    int UpdateFirmware() { return m_session.UpdateFirmware(m_strLocalIp); }
    int ResetRender() { return m_session.ResetRender(); }
    int RebootDevice() { return m_session.RebootDevice(); }
    int FetchDeviceData() { return m_session.FetchDeviceData(); }
    void AddCommandError(const STP_CMD_ERROR_TAG &record) { m_session.AddCommandError(record); }
    // The distinct texts of the first two failures, and them one a line.
    QStringList GetCommandErrors() const { return m_session.GetCommandErrors(); }
    QString GetCommandErrorText() const { return m_session.GetCommandErrorText(); }
    // When a command of the current user action never reached its player
    // (no connection, the request not sent): a sentence naming that player by
    // name and address; empty otherwise. The cause is in the error texts.
    QString GetUnreachedText() const { return m_session.GetUnreachedText(); }

    // What both front ends need besides the operations: where to search
    // from, chosen without the refresh's wait; a sweep started at once; the
    // records the operations fill; and the player they are aimed at.
    // One line per adapter, or per address of an adapter with several (see
    // CNetworkChecker::SAddressChoice).
    QStringList GetAdapterDescriptions() const { return m_adapterDescriptions; }
    // False, changing nothing, for a description no adapter has. A line of
    // the list, or an adapter's own description, which stands for the address
    // the adapter list of the CLI shows for it (its last).
    bool ChooseAdapter(const QString &description);
    // Reads the adapters again, as they may have changed since the start (a
    // cable plugged in, an address added). The chosen line stays chosen when
    // it is still there, its address read anew; otherwise the first
    // adapter's is chosen. Nothing is swept.
    void ReadAdaptersAgain();
    // The address whose /24 is swept and that a firmware download names.
    void ChooseLocalIp(const QString &ip);
    QString GetLocalIp() const { return m_strLocalIp; }
    // Whether discovery runs and hears announcements (its port was free).
    bool IsDiscoveryListening() const;
    // Discovery that could not take its port tries once more (the program
    // holding it may have ended); true when it hears announcements now.
    [[nodiscard]] bool ListenAgain();
    // Sweeps range, or the local address's /24 when none is given, without
    // waiting for answers; false when discovery does not run.
    bool SweepNow(const std::optional<CSweepRange> &range = std::nullopt);
    // Aims the device operations at the player at ip, forgetting what was
    // read from the one before.
    void TargetDevice(const QString &ip) { m_session.TargetDevice(ip); }
    const CDevice &GetDevice() const { return m_session.GetDevice(); }
    // Shows a record read earlier again, e.g. after the page was rebuilt.
    void SetDevice(const CDevice &device) { m_session.SetDevice(device); }
    // The reads of the last FetchDeviceData that failed, in the order sent;
    // empty after a selection whose reads all succeeded.
    const QList<CReadFailure> &GetReadFailures() const { return m_session.GetReadFailures(); }
    const QList<CAccessPoint> &GetAccessPoints() const { return m_session.GetAccessPoints(); }
    QString GetConnectedEssid() const { return m_session.GetConnectedEssid(); }
    QString GetSelectedName() const { return m_session.GetListedName(); }
    void ClearSelectedIp() { m_session.ForgetListedIp(); }
    const QList<STP_CMD_ERROR_TAG> &GetErrorRecords() const { return m_session.GetErrorRecords(); }
    // Empties the list of discovered players, as a refresh does first.
    void ClearDevices() { ClearDeviceList(); }
    // For tests and benchmarks that watch discovery from inside.
    CDeviceDiscover *GetDiscover() const { return m_pDiscover; }
    void SetNetworkChecker(CNetworkChecker checker) { m_networkChecker = std::move(checker); }

private:
    QMutex &DeviceListLock() const;
    void ReadAdapters();
    // The first adapter's address that the CLI's adapter list shows.
    QString DefaultAdapterLine() const;
    // The address of the line, or of the adapter so described; empty for
    // neither.
    QString AdapterAddress(const QString &description) const;
    void ClearDeviceList();
    void Post(int message, qint64 wParam = 0) const;

    std::atomic<QObject *> m_pMainWindow = nullptr;
    WaitFunction m_wait;
    // Guards the device list while no discovery thread (and so no lock of its
    // own) exists.
    mutable QMutex m_fallbackLock;

    CNetworkChecker m_networkChecker;
    std::vector<CNetworkChecker::SAddressChoice> m_adapterChoices;
    CDeviceDiscover *m_pDiscover = nullptr;
    QString m_strLocalIp;
    QString m_strAdapterDescription;
    QStringList m_adapterDescriptions;
    QList<CDeviceSummary> m_devices;
    std::array<QString, MAX_DEVICES> m_deviceIps;
    // Addresses of players that found the list full; bounded, as they come
    // from the network.
    QSet<QString> m_turnedAway;
    // The selected player's: every device operation goes to it.
    CPlayerSession m_session;
};
