#include "mainwindowfixture.h"

#include <QComboBox>
#include <QListWidget>
#include <QScreen>
#include <QTest>
#include <QThread>

#include "busyrunner.h"
#include "templatebuilder.h"

CMainWindowFixture::CMainWindowFixture() = default;

CMainWindowFixture::~CMainWindowFixture()
{
    m_pWindow.reset();
    m_network.Stop();
}

CSimPlayerConfig CMainWindowFixture::Player(const QString &address, const QString &model,
                                            const QString &name)
{
    CSimPlayerConfig player = CSimPlayerConfig::ForAddress(address);
    player.m_strModel = model;
    player.m_strName = name;
    player.m_state.m_strDeviceName = name;
    return player;
}

QList<CSimPlayerConfig> CMainWindowFixture::DemoPlayers()
{
    return {
        Player(QStringLiteral("127.0.0.2"), QStringLiteral("KS-210"),
               QStringLiteral("Living Room")),
        Player(QStringLiteral("127.0.0.3"), QStringLiteral("KS-210"), QStringLiteral("Kitchen")),
        Player(QStringLiteral("127.0.0.5"), QStringLiteral("KS-100"), QStringLiteral("Hall")),
        Player(QStringLiteral("127.0.0.6"), QStringLiteral("KS-200"), QStringLiteral("Porch")),
        Player(QStringLiteral("127.0.0.7"), QStringLiteral("KS-300"), QStringLiteral("Studio"))};
}

bool CMainWindowFixture::Start(const QList<CSimPlayerConfig> &players, QString *error)
{
    if (!players.isEmpty() && !m_network.Start(players, error))
        return false;
    m_pWindow = std::make_unique<CHalvorinSetup101Dlg>();
    if (m_pAdapters) {
        // No host name either: only the given adapters can be swept.
        m_pWindow->Manager().SetNetworkChecker(
            CNetworkChecker(std::make_unique<CFakeAdapterSource>(m_pAdapters),
                            [] { return QList<QHostAddress>(); }));
    }
    m_pWindow->Manager().SetWaitFunction([](int milliseconds) {
        QThread::msleep(static_cast<unsigned long>(milliseconds / REFRESH_SPEEDUP));
    });
    m_pWindow->SetSearchSpeedup(REFRESH_SPEEDUP);
    if (m_pScreen) {
        // Placed, or it would open on the screen under the mouse pointer.
        m_pWindow->setScreen(m_pScreen);
        m_pWindow->move(m_pScreen->availableGeometry().topLeft());
    }
    m_pWindow->show();
    return true;
}

bool CMainWindowFixture::WaitForDevices(int count) const
{
    QListWidget *list = DeviceList();
    if (!QTest::qWaitFor([list, count] { return list->count() == count; }, WAIT_MS))
        return false;
    // Each player's announcement was posted before its line could show.
    QCoreApplication::sendPostedEvents(m_pWindow.get());
    return Settle() && WaitForOverviewReads();
}

bool CMainWindowFixture::Settle() const
{
    const CHalvorinSetup101Dlg *window = m_pWindow.get();
    return QTest::qWaitFor(
        [window] {
            return !CBusyRunner::IsBusy() && !window->HasHeldMessages() && !window->IsSearching();
        },
        WAIT_MS);
}

bool CMainWindowFixture::WaitForOverviewReads() const
{
    const COverviewModel &model = m_pWindow->OverviewModel();
    return QTest::qWaitFor([&model] { return model.ReadsPending() == 0; }, WAIT_MS);
}

QListWidget *CMainWindowFixture::DeviceList() const
{
    return CTemplateBuilder::Control<QListWidget>(m_pWindow.get(),
                                                  CHalvorinSetup101Dlg::IDC_DEVICE_LIST);
}

QComboBox *CMainWindowFixture::AdapterList() const
{
    return CTemplateBuilder::Control<QComboBox>(m_pWindow.get(),
                                                CHalvorinSetup101Dlg::IDC_ADAPTER_LIST);
}

int CMainWindowFixture::Line(const QString &name) const
{
    const QList<QListWidgetItem *> items = DeviceList()->findItems(name, Qt::MatchExactly);
    return items.isEmpty() ? -1 : DeviceList()->row(items.first());
}

void CMainWindowFixture::ClickLine(int line)
{
    QListWidget *list = DeviceList();
    const QRect rect = list->visualItemRect(list->item(line));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

bool CMainWindowFixture::SelectAndWaitForPage(const QString &name, bool devicePage)
{
    const int line = Line(name);
    if (line < 0)
        return false;
    ClickLine(line);
    QWidget *page = devicePage ? static_cast<QWidget *>(&m_pWindow->MainView())
                               : static_cast<QWidget *>(&m_pWindow->WebView());
    return QTest::qWaitFor([page] { return page->isVisible(); }, WAIT_MS);
}
