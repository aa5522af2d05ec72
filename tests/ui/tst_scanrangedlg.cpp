#include <QLineEdit>
#include <QTest>

#include "scanrangedlg.h"
#include "uitestmain.h"

// The range dialog takes exactly what the command line's --subnet takes, and
// says which field is wrong and why before anything could be swept.
class TestScanRangeDlg : public QObject
{
    Q_OBJECT

private slots:
    void refusedInputIsExplained_data();
    void refusedInputIsExplained();
    void acceptedInputIsTheNetwork_data();
    void acceptedInputIsTheNetwork();
    void keyboardAndNames();
};

namespace {

QString NotANetwork(const QString &text)
{
    return QStringLiteral("Network: '%1' is not an IPv4 network such as 192.168.1.0/24.").arg(text);
}

QString TooWide(const QString &text)
{
    return QStringLiteral("Network: '%1' holds more than 4096 addresses (use /20 or longer).")
        .arg(text);
}

// Types text and presses Enter, as a person would.
void Submit(CScanRangeDlg &dialog, const QString &text)
{
    dialog.show();
    dialog.NetworkEdit()->clear();
    QTest::keyClicks(dialog.NetworkEdit(), text);
    QTest::keyClick(dialog.NetworkEdit(), Qt::Key_Return);
}

} // namespace

void TestScanRangeDlg::refusedInputIsExplained_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("problem");
    for (const char *text :
         {"", "192.168.1.0", "192.168.1.0/", "192.168.1.0/33", "192.168.1.0/+4", "192.168.1.0/ 24",
          "192.168.1/24", "300.1.2.0/24", "10.0.0.0/24/24", "host.example/24", " 10.0.0.0/24"})
        QTest::newRow(text) << QString::fromLatin1(text) << NotANetwork(QString::fromLatin1(text));
    QTest::newRow("/19") << QStringLiteral("10.0.0.0/19") << TooWide(QStringLiteral("10.0.0.0/19"));
    QTest::newRow("/8") << QStringLiteral("10.0.0.0/8") << TooWide(QStringLiteral("10.0.0.0/8"));
    QTest::newRow("/0") << QStringLiteral("0.0.0.0/0") << TooWide(QStringLiteral("0.0.0.0/0"));
}

void TestScanRangeDlg::refusedInputIsExplained()
{
    QFETCH(QString, text);
    QFETCH(QString, problem);
    CScanRangeDlg dialog;
    Submit(dialog, text);
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(!dialog.Range());
    QCOMPARE(dialog.Problem(), problem);
    // The field is ready to be corrected; editing it takes the problem away.
    QCOMPARE(dialog.focusWidget(), dialog.NetworkEdit());
    QTest::keyClick(dialog.NetworkEdit(), Qt::Key_End);
    QTest::keyClick(dialog.NetworkEdit(), Qt::Key_0);
    QVERIFY(dialog.Problem().isEmpty());
}

void TestScanRangeDlg::acceptedInputIsTheNetwork_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("range");
    QTest::addColumn<int>("hosts");
    QTest::newRow("/24") << QStringLiteral("192.168.7.0/24") << QStringLiteral("192.168.7.0/24")
                         << 254;
    QTest::newRow("host bits cleared")
        << QStringLiteral("10.1.2.3/20") << QStringLiteral("10.1.0.0/20") << 4094;
    QTest::newRow("/32") << QStringLiteral("127.0.0.2/32") << QStringLiteral("127.0.0.2/32") << 1;
}

void TestScanRangeDlg::acceptedInputIsTheNetwork()
{
    QFETCH(QString, text);
    QFETCH(QString, range);
    QFETCH(int, hosts);
    CScanRangeDlg dialog;
    Submit(dialog, text);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(dialog.Range());
    QCOMPARE(dialog.Range()->Text(), range);
    QCOMPARE(dialog.Range()->Hosts().size(), hosts);
}

void TestScanRangeDlg::keyboardAndNames()
{
    CScanRangeDlg dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    // The field has the focus at once and a name a screen reader can say.
    QVERIFY(dialog.NetworkEdit()->hasFocus());
    QCOMPARE(dialog.NetworkEdit()->accessibleName(), QStringLiteral("Network"));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
}

KESTAVON_UI_TEST_MAIN(TestScanRangeDlg)
#include "tst_scanrangedlg.moc"
