#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include "setupmanager.h"
#include "simnetwork.h"
#include "simplayerconfig.h"

// One simulated player selected in a setup manager of its own, for dialogs
// that are given the manager. Whatever the dialogs post to the main window is
// posted to this fixture, which keeps the message numbers.
class CPlayerFixture : public QObject
{
public:
    static QString PlayerIp() { return QStringLiteral("127.0.0.2"); }
    // The player fetches firmware from here: a loopback address, as it must.
    static QString LocalIp() { return QStringLiteral("127.0.0.1"); }
    // A player away after a reset or reboot is back this soon, so a test
    // never waits for it.
    static constexpr int UNREACHABLE_MS = 200;

    CPlayerFixture();
    ~CPlayerFixture() override;

    // Starts player and selects it; false with error set when it cannot start.
    bool Start(const CSimPlayerConfig &player, QString *error);
    // A default player at PlayerIp().
    static CSimPlayerConfig DefaultPlayer();

    CSimNetwork &Network() { return m_network; }
    CSetupManager &Manager() { return m_manager; }
    CSimPlayerState State() const { return m_network.State(PlayerIp()); }
    void SetFault(const CSimFault &fault) { m_network.SetFault(PlayerIp(), fault); }
    // The operation names of the requests the player received, oldest first.
    QStringList Operations() const;
    // The last request with this operation, empty when there was none.
    QByteArray LastRequest(const QString &operation) const;
    const QList<int> &PostedMessages() const { return m_posted; }

protected:
    bool event(QEvent *event) override;

private:
    CSimNetwork m_network;
    CSetupManager m_manager;
    QList<int> m_posted;
};
