#include <QLabel>
#include <QProcess>
#include <QTest>

#include "aboutdlg.h"
#include "kestavonversion.h"
#include "uitestmain.h"

namespace {

// Long enough for a loaded machine; only reached when something is broken.
constexpr int WAIT_MS = 30000;

} // namespace

class TestVersions : public QObject
{
    Q_OBJECT

private slots:
    void everyExecutableTellsItsVersion_data();
    void everyExecutableTellsItsVersion();
    void setupHelpNeedsNoDisplay();
    void aboutBoxShowsTheVersion();
};

void TestVersions::everyExecutableTellsItsVersion_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("name");
    QTest::newRow("desktop tool") << QStringLiteral(KESTAVON_SETUP_EXECUTABLE)
                                  << QStringLiteral("kestavon-setup");
    QTest::newRow("command line") << QStringLiteral(KESTAVON_CLI_EXECUTABLE)
                                  << QStringLiteral("kestavon-cli");
    QTest::newRow("simulator") << QStringLiteral(KESTAVON_SIM_EXECUTABLE)
                               << QStringLiteral("kestavon-player-sim");
}

void TestVersions::everyExecutableTellsItsVersion()
{
    QFETCH(QString, program);
    QFETCH(QString, name);
    QProcess process;
    process.start(program, {QStringLiteral("--version")});
    QVERIFY(process.waitForFinished(WAIT_MS));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(QString::fromLocal8Bit(process.readAllStandardOutput()),
             name + QStringLiteral(" " KESTAVON_VERSION "\n"));
}

void TestVersions::setupHelpNeedsNoDisplay()
{
    // Without any platform to show windows on, --help must still answer:
    // manual pages are made from it at build time.
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("none-such"));
    environment.remove(QStringLiteral("DISPLAY"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(KESTAVON_SETUP_EXECUTABLE), {QStringLiteral("--help")});
    QVERIFY(process.waitForFinished(WAIT_MS));
    QCOMPARE(process.exitCode(), 0);
    const QString help = QString::fromLocal8Bit(process.readAllStandardOutput());
    QVERIFY2(help.startsWith(QStringLiteral("Usage: kestavon-setup")), qPrintable(help));
    QVERIFY(help.contains(QStringLiteral("--version")));
}

void TestVersions::aboutBoxShowsTheVersion()
{
    CAboutDlg about;
    QStringList texts;
    for (const QLabel *label : about.findChildren<QLabel *>())
        texts.append(label->text());
    QVERIFY2(texts.contains(QStringLiteral("Kestavon Setup PC Version " KESTAVON_VERSION)),
             qPrintable(texts.join(QLatin1Char('|'))));
}

KESTAVON_UI_TEST_MAIN(TestVersions)
#include "tst_versions.moc"
