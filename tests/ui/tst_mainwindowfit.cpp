#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include "browserloader.h"
#include "dialogtemplate.h"
#include "halvorinsetup101app.h"
#include "isolatednetwork.h"
#include "mainwindowlayout.h"
#include "mainwindowfixture.h"
#include "statusline.h"
#include "templatebuilder.h"
#include "windowsettings.h"

// The main window at scale factor 2 on a screen of 1600x1000 pixels (800x500
// in the window's own units), lower than the window's template: it opens
// within the screen with every control in reach; on a screen that holds the
// template it grows when made larger; and it opens the next time at the size
// it was left at.
class TestMainWindowFit : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void windowOpensWithinTheScreen_data();
    void windowOpensWithinTheScreen();
    void devicePageScrollsToItsLastButton();
    void largerWindowGrowsThePageAreaAndTheList_data();
    void largerWindowGrowsThePageAreaAndTheList();
    void sizeIsRestoredOnTheNextWindow_data();
    void sizeIsRestoredOnTheNextWindow();
};

namespace {

constexpr int SCREEN_WIDTH = 1600;
constexpr int SCREEN_HEIGHT = 1000;
constexpr int SCALE = 2;
constexpr int TINY_WIDTH = 1000;
constexpr int TINY_HEIGHT = 600;
constexpr int WAIT_MS = CMainWindowFixture::WAIT_MS;

// Side by side: the small screen under test, one twice as large each way,
// and a tiny one.
QString ScreenJson(const QString &name, int x, int width, int height)
{
    return QStringLiteral("{\"name\": \"%1\", \"x\": %2, \"y\": 0, \"width\": %3, "
                          "\"height\": %4, \"logicalDpi\": 96, \"logicalBaseDpi\": 96, "
                          "\"dpr\": 1}")
        .arg(name)
        .arg(x)
        .arg(width)
        .arg(height);
}

QScreen *NamedScreen(const QString &name)
{
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen->name() == name)
            return screen;
    }
    return nullptr;
}

QScreen *SmallScreen()
{
    return NamedScreen(QStringLiteral("Small"));
}

QScreen *LargeScreen()
{
    return NamedScreen(QStringLiteral("Large"));
}

QSize TemplateSize()
{
    const std::optional<CDialogTemplate> main = CDialogTemplate::Load(CHalvorinSetup101Dlg::IDD);
    return CTemplateBuilder::Units(*main).ToPixels(main->m_sizeDialogUnits);
}

// The template leaves no room for the status line: the window's default is
// the template's size and the line's height below the page area.
QSize DefaultSize(CHalvorinSetup101Dlg &window)
{
    return TemplateSize() +
           QSize(0, window.StatusLine().height() + CHalvorinSetup101Dlg::STATUS_LINE_GAP);
}

QWidget *Control(CMainWindowFixture &fixture, int id)
{
    return CTemplateBuilder::Control<QWidget>(&fixture.Window(), id);
}

// The control's place in the window's own coordinates.
QRect InWindow(const QWidget *control, const QWidget *window)
{
    return QRect(control->mapTo(window, QPoint(0, 0)), control->size());
}

QScrollArea *PageArea(CMainWindowFixture &fixture)
{
    return fixture.Window().findChild<QScrollArea *>();
}

} // namespace

void TestMainWindowFit::init()
{
    QFile::remove(CWindowSettings::FilePath());
}

void TestMainWindowFit::windowOpensWithinTheScreen_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QSize>("pixels");
    QTest::addColumn<bool>("logo");
    QTest::newRow("1600x1000") << QStringLiteral("Small") << QSize(SCREEN_WIDTH, SCREEN_HEIGHT)
                               << true;
    // Too low even for the shortest device list: the logo gives up its room.
    QTest::newRow("1000x600") << QStringLiteral("Tiny") << QSize(TINY_WIDTH, TINY_HEIGHT) << false;
}

void TestMainWindowFit::windowOpensWithinTheScreen()
{
    QFETCH(QString, screen);
    QFETCH(QSize, pixels);
    QFETCH(bool, logo);
    QScreen *shownOn = NamedScreen(screen);
    QVERIFY(shownOn);
    const QRect available = shownOn->availableGeometry();
    QCOMPARE(available.size(), pixels / SCALE);
    // Otherwise the test shows nothing.
    QVERIFY(TemplateSize().height() > available.height());

    CMainWindowFixture fixture;
    fixture.SetScreen(shownOn);
    QString error;
    QVERIFY2(fixture.Start({}, &error), qPrintable(error));
    CHalvorinSetup101Dlg &window = fixture.Window();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY2(available.contains(window.frameGeometry()),
             qPrintable(QStringLiteral("frame %1,%2 %3x%4")
                            .arg(window.frameGeometry().x())
                            .arg(window.frameGeometry().y())
                            .arg(window.frameGeometry().width())
                            .arg(window.frameGeometry().height())));
    QVERIFY(window.minimumSize().height() <= window.height());
    QList<QWidget *> controls = window.findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    // Every control of the left column is whole and apart from the others.
    QList<QRect> column;
    for (QWidget *control : controls) {
        if (control->isWindow() || !control->isVisible() || control == PageArea(fixture))
            continue;
        const QRect place = InWindow(control, &window);
        QVERIFY2(window.rect().contains(place), control->metaObject()->className());
        for (const QRect &other : column)
            QVERIFY2(!other.intersects(place), control->metaObject()->className());
        column.append(place);
    }
    QVERIFY(Control(fixture, CHalvorinSetup101Dlg::IDC_REFRESH)->isVisible());
    QVERIFY(Control(fixture, CHalvorinSetup101Dlg::IDC_DEVICE_LIST)->height() >=
            CMainWindowLayout::MIN_LIST_HEIGHT);
    QCOMPARE(Control(fixture, CHalvorinSetup101Dlg::IDC_LOGO_FRAME)->isVisible(), logo);
    QVERIFY(window.rect().contains(InWindow(PageArea(fixture), &window)));
    QVERIFY(fixture.Settle());
}

void TestMainWindowFit::devicePageScrollsToItsLastButton()
{
    QVERIFY(SmallScreen());
    CMainWindowFixture fixture;
    fixture.SetScreen(SmallScreen());
    QString error;
    QVERIFY2(fixture.Start(CMainWindowFixture::DemoPlayers(), &error), qPrintable(error));
    QVERIFY(fixture.WaitForDevices(CMainWindowFixture::DemoPlayers().size()));
    QVERIFY(fixture.SelectAndWaitForPage(QStringLiteral("Kitchen"), true));
    CHalvorinSetup101Dlg &window = fixture.Window();
    auto *update = CTemplateBuilder::Control<QPushButton>(&window.MainView(), 1012);
    QVERIFY(update);

    // The page is taller than the window; its area scrolls to the button.
    QScrollArea *area = PageArea(fixture);
    QVERIFY(area);
    QVERIFY(area->verticalScrollBar()->isVisible());
    area->ensureWidgetVisible(update);
    const QRect viewport = InWindow(area->viewport(), &window);
    QVERIFY(viewport.contains(InWindow(update, &window)));
    QVERIFY(window.rect().contains(viewport));
    QVERIFY(SmallScreen()->availableGeometry().contains(window.frameGeometry()));
}

void TestMainWindowFit::largerWindowGrowsThePageAreaAndTheList_data()
{
    QTest::addColumn<QSize>("growth");
    QTest::newRow("wider") << QSize(90, 0);
    QTest::newRow("taller") << QSize(0, 120);
    QTest::newRow("both") << QSize(150, 200);
}

void TestMainWindowFit::largerWindowGrowsThePageAreaAndTheList()
{
    QFETCH(QSize, growth);
    QVERIFY(LargeScreen());
    CMainWindowFixture fixture;
    fixture.SetScreen(LargeScreen());
    QString error;
    QVERIFY2(fixture.Start({}, &error), qPrintable(error));
    CHalvorinSetup101Dlg &window = fixture.Window();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // Where the template fits, its size (and the status line's) is the
    // default and the least.
    QCOMPARE(window.size(), DefaultSize(window));
    QCOMPARE(window.minimumSize(), DefaultSize(window));
    QScrollArea *area = PageArea(fixture);
    QVERIFY(area);
    QWidget *list = Control(fixture, CHalvorinSetup101Dlg::IDC_DEVICE_LIST);
    QWidget *refresh = Control(fixture, CHalvorinSetup101Dlg::IDC_REFRESH);
    QWidget *status = &window.StatusLine();
    const QRect statusBefore = status->geometry();
    const QRect areaBefore = area->geometry();
    const QRect listBefore = list->geometry();
    const QRect refreshBefore = refresh->geometry();
    // At the default size nothing scrolls: the pages fill the area exactly.
    QCOMPARE(area->widget()->size(), areaBefore.size());

    window.resize(window.size() + growth);
    QCOMPARE(window.size(), DefaultSize(window) + growth);
    QCOMPARE(area->geometry(), areaBefore.adjusted(0, 0, growth.width(), growth.height()));
    QCOMPARE(area->widget()->size(), area->geometry().size());
    // The column on the left keeps its width; its list takes the new height
    // and Refresh stays at the bottom.
    QCOMPARE(list->geometry(), listBefore.adjusted(0, 0, 0, growth.height()));
    QCOMPARE(refresh->geometry(), refreshBefore.translated(0, growth.height()));
    // The status line stays along the bottom, as wide as the window allows.
    QCOMPARE(status->geometry(),
             statusBefore.translated(0, growth.height()).adjusted(0, 0, growth.width(), 0));
    QVERIFY(fixture.Settle());
}

void TestMainWindowFit::sizeIsRestoredOnTheNextWindow_data()
{
    QTest::addColumn<QSize>("growth");
    QTest::addColumn<bool>("nextOnLarge");
    QTest::newRow("same screen") << QSize(200, 150) << true;
    // A size left on a larger screen is cut to this one, frame included.
    QTest::newRow("smaller screen") << QSize(600, 400) << false;
}

void TestMainWindowFit::sizeIsRestoredOnTheNextWindow()
{
    QFETCH(QSize, growth);
    QFETCH(bool, nextOnLarge);
    QVERIFY(LargeScreen() && SmallScreen());
    QString error;
    const QSize left = TemplateSize() + growth;
    {
        CMainWindowFixture first;
        first.SetScreen(LargeScreen());
        QVERIFY2(first.Start({}, &error), qPrintable(error));
        QVERIFY(QTest::qWaitForWindowExposed(&first.Window()));
        first.Window().resize(left);
        QCOMPARE(first.Window().size(), left);
        QVERIFY(first.Settle());
    }

    CMainWindowFixture next;
    QScreen *screen = nextOnLarge ? LargeScreen() : SmallScreen();
    next.SetScreen(screen);
    QVERIFY2(next.Start({}, &error), qPrintable(error));
    QVERIFY(QTest::qWaitForWindowExposed(&next.Window()));
    if (nextOnLarge)
        QCOMPARE(next.Window().size(), left);
    QVERIFY(screen->availableGeometry().contains(next.Window().frameGeometry()));
    QVERIFY(next.Settle());
}

// The screen and the scale factor are the platform's, fixed before the
// application object exists.
int main(int argc, char *argv[])
{
    const QTemporaryDir folder;
    const QString screens = folder.filePath(QStringLiteral("screens.json"));
    QFile file(screens);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(
            QStringLiteral("{\"screens\": [%1, %2, %3]}")
                .arg(ScreenJson(QStringLiteral("Small"), 0, SCREEN_WIDTH, SCREEN_HEIGHT),
                     ScreenJson(QStringLiteral("Large"), SCREEN_WIDTH, 2 * SCREEN_WIDTH,
                                2 * SCREEN_HEIGHT),
                     ScreenJson(QStringLiteral("Tiny"), 3 * SCREEN_WIDTH, TINY_WIDTH, TINY_HEIGHT))
                .toUtf8()) < 0)
        return 1;
    file.close();
    qputenv("QT_QPA_PLATFORM", (QStringLiteral("offscreen:configfile=") + screens).toLocal8Bit());
    qputenv("QT_SCALE_FACTOR", QByteArray::number(SCALE));
    qputenv("XDG_CONFIG_HOME", folder.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", folder.filePath(QStringLiteral("data")).toLocal8Bit());
    CHalvorinSetup101App::PrepareEnvironment(argc, argv);
    QApplication app(argc, argv);
    CBrowserLoader::SetLibraryPath(QStringLiteral(KESTAVON_BROWSER_LIBRARY));
    KestavonTest::RequireIsolatedNetwork();
    TestMainWindowFit test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindowfit.moc"
