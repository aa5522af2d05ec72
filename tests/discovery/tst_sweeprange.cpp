#include <QHostAddress>
#include <QTest>

#include "isolatednetwork.h"
#include "sweeprange.h"

class TestSweepRange : public QObject
{
    Q_OBJECT

private slots:
    void accepted_data();
    void accepted();
    void refused_data();
    void refused();
    void covering_data();
    void covering();
};

void TestSweepRange::accepted_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("normalised");
    QTest::addColumn<int>("hosts");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");

    QTest::newRow("/24") << "127.0.0.0/24"
                         << "127.0.0.0/24" << 254 << "127.0.0.1"
                         << "127.0.0.254";
    QTest::newRow("host bits cleared") << "127.0.3.77/22"
                                       << "127.0.0.0/22" << 1022 << "127.0.0.1"
                                       << "127.0.3.254";
    QTest::newRow("/20, the widest") << "127.0.16.0/20"
                                     << "127.0.16.0/20" << 4094 << "127.0.16.1"
                                     << "127.0.31.254";
    QTest::newRow("/30") << "127.0.0.4/30"
                         << "127.0.0.4/30" << 2 << "127.0.0.5"
                         << "127.0.0.6";
    QTest::newRow("/31 keeps both") << "127.0.0.8/31"
                                    << "127.0.0.8/31" << 2 << "127.0.0.8"
                                    << "127.0.0.9";
    QTest::newRow("/32 one host") << "127.0.0.9/32"
                                  << "127.0.0.9/32" << 1 << "127.0.0.9"
                                  << "127.0.0.9";
}

// Every host in address order, nothing outside the network, and none twice.
void TestSweepRange::accepted()
{
    QFETCH(QString, text);
    QFETCH(QString, normalised);
    QFETCH(int, hosts);
    QFETCH(QString, first);
    QFETCH(QString, last);

    QString error;
    const std::optional<CSweepRange> range = CSweepRange::Parse(text, &error);
    QVERIFY2(range, qPrintable(error));
    QCOMPARE(range->Text(), normalised);
    const QList<quint32> addresses = range->Hosts();
    QCOMPARE(addresses.size(), hosts);
    QCOMPARE(QHostAddress(addresses.first()).toString(), first);
    QCOMPARE(QHostAddress(addresses.last()).toString(), last);
    for (qsizetype i = 1; i < addresses.size(); ++i)
        QCOMPARE(addresses.at(i), addresses.at(i - 1) + 1);
}

void TestSweepRange::refused_data()
{
    QTest::addColumn<QString>("text");
    for (const char *text : {"127.0.0.0/19", "127.0.0.0/8", "0.0.0.0/0", "127.0.0.0", "127.0.0.0/",
                             "127.0.0.0/33", "127.0.0.0/-1", "127.0.0.0/24x", "127.0.0/24",
                             "127.0.0.010/24", "localhost/24", "", "/24"})
        QTest::newRow(text) << QString::fromLatin1(text);
}

// Refused with a message, so the CLI can name the field before sending.
void TestSweepRange::refused()
{
    QFETCH(QString, text);
    QString error;
    QVERIFY(!CSweepRange::Parse(text, &error));
    QVERIFY(!error.isEmpty());
}

void TestSweepRange::covering_data()
{
    QTest::addColumn<QStringList>("addresses");
    QTest::addColumn<QString>("range");
    QTest::newRow("one") << QStringList{QStringLiteral("127.0.0.7")} << "127.0.0.7/32";
    QTest::newRow("neighbours") << QStringList{QStringLiteral("127.0.0.2"),
                                               QStringLiteral("127.0.0.3")}
                                << "127.0.0.2/31";
    QTest::newRow("within a /29") << QStringList{QStringLiteral("127.0.0.4"),
                                                 QStringLiteral("127.0.0.2")}
                                  << "127.0.0.0/29";
    // .7 is the broadcast of 127.0.0.0/29, which is not swept: one bit wider.
    QTest::newRow("edge widened") << QStringList{QStringLiteral("127.0.0.4"),
                                                 QStringLiteral("127.0.0.7")}
                                  << "127.0.0.0/28";
    QTest::newRow("across a /24") << QStringList{QStringLiteral("127.0.0.200"),
                                                 QStringLiteral("127.0.1.3")}
                                  << "127.0.0.0/23";
    QTest::newRow("too far apart")
        << QStringList{QStringLiteral("127.0.0.2"), QStringLiteral("127.0.64.2")} << QString();
    QTest::newRow("none") << QStringList() << QString();
}

void TestSweepRange::covering()
{
    QFETCH(QStringList, addresses);
    QFETCH(QString, range);
    QList<quint32> numbers;
    for (const QString &address : addresses)
        numbers.append(QHostAddress(address).toIPv4Address());
    const std::optional<CSweepRange> covering = CSweepRange::Covering(numbers);
    QCOMPARE(covering ? covering->Text() : QString(), range);
    if (covering) {
        for (quint32 number : numbers)
            QVERIFY(covering->Hosts().contains(number));
    }
}

KESTAVON_TEST_MAIN(TestSweepRange)
#include "tst_sweeprange.moc"
