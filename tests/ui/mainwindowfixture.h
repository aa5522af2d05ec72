#pragma once

#include <memory>

#include <QList>
#include <QString>

#include "fakeadaptersource.h"
#include "halvorinsetup101dlg.h"
#include "simnetwork.h"
#include "simplayerconfig.h"

class QComboBox;
class QListWidget;
class QScreen;

// A running main window in front of simulated players: the players start,
// the window opens, and its first search runs as it does for a person, only
// with the search's polls shortened.
class CMainWindowFixture
{
public:
    // Generous for a loaded machine; reached only when something is broken.
    static constexpr int WAIT_MS = 20000;
    // The search polls ten times as often as the tool's own, so tests wait
    // fractions of a second instead of seconds.
    static constexpr int REFRESH_SPEEDUP = 10;

    // Two class-2 players, then one each of classes 0, 1 and 3.
    static QList<CSimPlayerConfig> DemoPlayers();
    static CSimPlayerConfig Player(const QString &address, const QString &model,
                                   const QString &name);

    CMainWindowFixture();
    ~CMainWindowFixture();

    // The screen the window opens on (before Start); the primary one unless
    // set.
    void SetScreen(QScreen *screen) { m_pScreen = screen; }
    // The adapters the window lists (before Start), in place of the
    // system's; the test may change them later.
    void SetAdapters(std::shared_ptr<const CFakeAdapterSource::Records> adapters)
    {
        m_pAdapters = std::move(adapters);
    }
    // Starts the players and opens the window; false with error set when the
    // players could not start.
    bool Start(const QList<CSimPlayerConfig> &players, QString *error);
    // Waits until the device list shows count lines and every announcement
    // that led there has been handled, so no late refill clears a selection,
    // and the overview's reads of them are over, so they do not mix with
    // what a test sends.
    bool WaitForDevices(int count) const;
    // Waits until the overview has every read it started back.
    bool WaitForOverviewReads() const;
    // Waits until no operation or search runs and no message waits to be
    // handled.
    bool Settle() const;

    CHalvorinSetup101Dlg &Window() { return *m_pWindow; }
    CSimNetwork &Network() { return m_network; }
    QListWidget *DeviceList() const;
    QComboBox *AdapterList() const;
    // The device list's line showing name, or -1.
    int Line(const QString &name) const;
    // Clicks line as a person would.
    void ClickLine(int line);
    // Clicks the line of name, then waits until the page for it shows.
    bool SelectAndWaitForPage(const QString &name, bool devicePage);

private:
    CSimNetwork m_network;
    std::unique_ptr<CHalvorinSetup101Dlg> m_pWindow;
    QScreen *m_pScreen = nullptr;
    std::shared_ptr<const CFakeAdapterSource::Records> m_pAdapters;
};
