#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "isolatednetwork.h"
#include "simnetwork.h"

// The real program, its browser library loaded on the first navigation, on
// a display where the engine draws with OpenGL: the page loads, and neither
// Qt nor the engine has anything to warn about. Run on a virtual X display
// (scripts/with-xvfb); the program is driven by the start-up probe, which
// picks the first player and reports when its page has loaded.
class TestBrowserStartup : public QObject
{
    Q_OBJECT

private slots:
    void firstNavigationLoadsThePageWithoutWarnings();
};

namespace {

// Generous for a loaded machine; reached only when something is broken.
constexpr int WAIT_MS = 60000;
const QByteArray kNavigatedField = "navigated-ms=";

} // namespace

void TestBrowserStartup::firstNavigationLoadsThePageWithoutWarnings()
{
    if (qEnvironmentVariable("QT_QPA_PLATFORM") != QLatin1String("xcb"))
        QSKIP("needs an X display (scripts/with-xvfb)");
    CSimNetwork network;
    CSimPlayerConfig player = CSimPlayerConfig::ForAddress(QStringLiteral("127.0.0.5"));
    player.m_strModel = QStringLiteral("KS-100");
    player.m_strName = QStringLiteral("Hall");
    QString error;
    QVERIFY2(network.Start({player}, &error), qPrintable(error));

    QProcess tool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Nothing of the run is remembered in the user's configuration folder.
    const QTemporaryDir configuration;
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configuration.path());
    environment.insert(QStringLiteral("XDG_DATA_HOME"), configuration.path());
    environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(KESTAVON_STARTUP_PROBE));
    environment.insert(QStringLiteral("KESTAVON_PROBE_NAVIGATE"), QStringLiteral("1"));
    environment.insert(
        QStringLiteral("KESTAVON_SETUP_INSTANCE"),
        QStringLiteral("tst_browserstartup-%1").arg(QCoreApplication::applicationPid()));
    // A sanitizer build wants its runtime first among the libraries; the
    // preloaded probe comes before it. The whole program on an X display also
    // loads the graphics driver and D-Bus, whose own leaks are reported from
    // libraries already unloaded at exit, where no suppression can name them;
    // our code's leaks are checked by the suites that run it in-process
    // offscreen (tst_setupwebview).
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       environment.value(QStringLiteral("ASAN_OPTIONS")) +
                           QStringLiteral(" verify_asan_link_order=0 detect_leaks=0"));
    // Every message says what kind it is.
    environment.insert(QStringLiteral("QT_MESSAGE_PATTERN"), QStringLiteral("%{type}: %{message}"));
    tool.setProcessEnvironment(environment);
    tool.start(QStringLiteral(KESTAVON_SETUP_EXECUTABLE), {});
    QVERIFY(tool.waitForFinished(WAIT_MS));
    const QByteArray messages = tool.readAllStandardError();
    QVERIFY2(tool.exitCode() == 0, messages.constData());

    const QByteArray output = tool.readAllStandardOutput();
    const qsizetype at = output.indexOf(kNavigatedField);
    QVERIFY2(at >= 0, output.constData());
    // -1 would mean the page failed to load.
    QVERIFY2(!output.mid(at + kNavigatedField.size()).startsWith('-'), output.constData());
    for (const QByteArray &line : messages.split('\n')) {
        QVERIFY2(!line.startsWith("warning:") && !line.startsWith("critical:") &&
                     !line.startsWith("fatal:"),
                 messages.constData());
    }
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    KestavonTest::RequireIsolatedNetwork();
    TestBrowserStartup tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_browserstartup.moc"
