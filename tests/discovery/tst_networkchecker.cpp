#include <memory>
#include <utility>

#include <QHostAddress>
#include <QScopeGuard>
#include <QSemaphore>
#include <QTest>

#include "isolatednetwork.h"
#include "networkchecker.h"
#include "systemadaptersource.h"

using Record = CAdapterSource::Record;
using Ipv4Entry = CAdapterSource::Ipv4Entry;

namespace {

// An answer comes at once; the deadline is only reached when something is broken.
constexpr int ANSWER_DEADLINE_MS = 20000;
// Short, since a lookup that never answers reaches it every time.
constexpr int SILENCE_DEADLINE_MS = 50;

class CTableSource : public CAdapterSource
{
public:
    explicit CTableSource(QList<Record> records) : m_records(std::move(records)) {}
    QList<Record> Interfaces() const override { return m_records; }

private:
    QList<Record> m_records;
};

Record MakeRecord(const QString &name, const QString &readable, QList<Ipv4Entry> ipv4,
                  bool loopback = false, const QByteArray &mac = {})
{
    Record record;
    record.m_strName = name;
    record.m_strHumanReadableName = readable;
    record.m_hardwareAddress = mac;
    record.m_loopback = loopback;
    record.m_ipv4 = std::move(ipv4);
    return record;
}

CNetworkChecker MakeChecker(QList<Record> records)
{
    return CNetworkChecker(std::make_unique<CTableSource>(std::move(records)));
}

QStringList Names(const CNetworkChecker &checker)
{
    QStringList names;
    for (const CAdapterInfo &adapter : checker.Adapters())
        names.append(adapter.AdapterName());
    return names;
}

} // namespace

class TestNetworkChecker : public QObject
{
    Q_OBJECT

private slots:
    void macFormatting_data();
    void macFormatting();
    void hardwareTextToBytes_data();
    void hardwareTextToBytes();
    void lastAddressPairWins_data();
    void lastAddressPairWins();
    void listsOnlyIpv4InterfacesLoopbackLast();
    void descriptionFallsBackToName();
    void listingTwiceListsEveryAdapterTwice();
    void everyAddressIsAChoice_data();
    void everyAddressIsAChoice();
    void choicesAreReadAfreshEachTime();
    void prefixOfAMask_data();
    void prefixOfAMask();
    void lookupIsExactAndCaseSensitive_data();
    void lookupIsExactAndCaseSensitive();
    void localAddressKeepsLastGoodAnswer();
    void lookupIsWaitedForOnlyUntilItsDeadline_data();
    void lookupIsWaitedForOnlyUntilItsDeadline();
    void systemSourceListsLoopback();
};

void TestNetworkChecker::macFormatting_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("six bytes") << QByteArray::fromHex("001a2b3c4d5e")
                               << QStringLiteral("00-1a-2b-3c-4d-5e");
    QTest::newRow("upper digits") << QByteArray::fromHex("AABBCCDDEEFF")
                                  << QStringLiteral("aa-bb-cc-dd-ee-ff");
    QTest::newRow("eight bytes") << QByteArray::fromHex("0102030405060708")
                                 << QStringLiteral("01-02-03-04-05-06-07-08");
    QTest::newRow("one byte") << QByteArray::fromHex("0f") << QStringLiteral("0f");
    QTest::newRow("none") << QByteArray() << QString();
}

void TestNetworkChecker::macFormatting()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    CNetworkChecker checker = MakeChecker({MakeRecord(
        QStringLiteral("eth0"), QStringLiteral("eth0"),
        {{QStringLiteral("192.168.1.2"), QStringLiteral("255.255.255.0")}}, false, bytes)});
    checker.EnumerateAdapters();
    QCOMPARE(checker.Adapters().size(), 1u);
    QCOMPARE(checker.Adapters().front().MacAddress(), expected);
}

void TestNetworkChecker::hardwareTextToBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("colons") << QStringLiteral("00:1A:2B:3C:4D:5E")
                            << QByteArray::fromHex("001a2b3c4d5e");
    QTest::newRow("empty") << QString() << QByteArray();
}

void TestNetworkChecker::hardwareTextToBytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, expected);
    QCOMPARE(CSystemAdapterSource::HardwareBytes(text), expected);
}

void TestNetworkChecker::lastAddressPairWins_data()
{
    using Entries = QList<CAdapterSource::Ipv4Entry>;
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("mask");
    QTest::newRow("one") << Entries{{QStringLiteral("10.0.0.2"), QStringLiteral("255.0.0.0")}}
                         << QStringLiteral("10.0.0.2") << QStringLiteral("255.0.0.0");
    QTest::newRow("two") << Entries{{QStringLiteral("10.0.0.2"), QStringLiteral("255.0.0.0")},
                                    {QStringLiteral("192.168.7.9"),
                                     QStringLiteral("255.255.255.0")}}
                         << QStringLiteral("192.168.7.9") << QStringLiteral("255.255.255.0");
    QTest::newRow("three") << Entries{{QStringLiteral("10.0.0.2"), QStringLiteral("255.0.0.0")},
                                      {QStringLiteral("172.16.0.1"), QStringLiteral("255.255.0.0")},
                                      {QStringLiteral("192.168.7.9"),
                                       QStringLiteral("255.255.255.128")}}
                           << QStringLiteral("192.168.7.9") << QStringLiteral("255.255.255.128");
}

void TestNetworkChecker::lastAddressPairWins()
{
    QFETCH(QList<CAdapterSource::Ipv4Entry>, entries);
    QFETCH(QString, ip);
    QFETCH(QString, mask);
    CNetworkChecker checker =
        MakeChecker({MakeRecord(QStringLiteral("eth0"), QStringLiteral("Wired"), entries)});
    checker.EnumerateAdapters();
    QCOMPARE(checker.Adapters().size(), 1u);
    QCOMPARE(checker.Adapters().front().IpAddress(), ip);
    QCOMPARE(checker.Adapters().front().IpMask(), mask);
}

void TestNetworkChecker::listsOnlyIpv4InterfacesLoopbackLast()
{
    const CAdapterSource::Ipv4Entry loop{QStringLiteral("127.0.0.1"), QStringLiteral("255.0.0.0")};
    const CAdapterSource::Ipv4Entry lan{QStringLiteral("192.168.1.5"),
                                        QStringLiteral("255.255.255.0")};
    CNetworkChecker checker = MakeChecker({
        MakeRecord(QStringLiteral("lo"), QStringLiteral("lo"), {loop}, true),
        MakeRecord(QStringLiteral("eth0"), QStringLiteral("eth0"), {lan}),
        MakeRecord(QStringLiteral("v6only"), QStringLiteral("v6only"), {}),
        MakeRecord(QStringLiteral("wlan0"), QStringLiteral("wlan0"), {lan}),
    });
    checker.EnumerateAdapters();
    QCOMPARE(Names(checker),
             (QStringList{QStringLiteral("eth0"), QStringLiteral("wlan0"), QStringLiteral("lo")}));
    const CAdapterInfo &last = checker.Adapters().back();
    QCOMPARE(last.IpAddress(), QStringLiteral("127.0.0.1"));
    QCOMPARE(last.IpMask(), QStringLiteral("255.0.0.0"));
}

void TestNetworkChecker::descriptionFallsBackToName()
{
    const CAdapterSource::Ipv4Entry lan{QStringLiteral("192.168.1.5"),
                                        QStringLiteral("255.255.255.0")};
    CNetworkChecker checker =
        MakeChecker({MakeRecord(QStringLiteral("eth0"), QStringLiteral("Office LAN"), {lan}),
                     MakeRecord(QStringLiteral("eth1"), QString(), {lan})});
    QStringList list;
    checker.GetAdapterList(list);
    QCOMPARE(list, (QStringList{QStringLiteral("Office LAN"), QStringLiteral("eth1")}));
    QCOMPARE(checker.Adapters().front().AdapterName(), QStringLiteral("eth0"));
}

void TestNetworkChecker::listingTwiceListsEveryAdapterTwice()
{
    const CAdapterSource::Ipv4Entry lan{QStringLiteral("192.168.1.5"),
                                        QStringLiteral("255.255.255.0")};
    CNetworkChecker checker =
        MakeChecker({MakeRecord(QStringLiteral("eth0"), QStringLiteral("eth0"), {lan}),
                     MakeRecord(QStringLiteral("lo"), QStringLiteral("lo"), {lan}, true)});
    QStringList list{QStringLiteral("kept")};
    checker.GetAdapterList(list);
    checker.GetAdapterList(list);
    // The second call enumerates again and then lists all four records held.
    QCOMPARE(list, (QStringList{QStringLiteral("kept"), QStringLiteral("eth0"),
                                QStringLiteral("lo"), QStringLiteral("eth0"), QStringLiteral("lo"),
                                QStringLiteral("eth0"), QStringLiteral("lo")}));
    QCOMPARE(Names(checker), (QStringList{QStringLiteral("eth0"), QStringLiteral("lo"),
                                          QStringLiteral("eth0"), QStringLiteral("lo")}));
}

void TestNetworkChecker::everyAddressIsAChoice_data()
{
    const Ipv4Entry ten{QStringLiteral("10.0.0.2"), QStringLiteral("255.0.0.0")};
    const Ipv4Entry lan{QStringLiteral("192.168.7.9"), QStringLiteral("255.255.255.0")};
    const Ipv4Entry loop{QStringLiteral("127.0.0.1"), QStringLiteral("255.0.0.0")};
    const QString dash = QStringLiteral(" \u2014 ");
    QTest::addColumn<QList<Record>>("records");
    // Line, address, mask and whether it is the adapter's own address, by
    // "|" apart.
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("one address keeps the adapter's line")
        << QList<Record>{MakeRecord(QStringLiteral("eth0"), QStringLiteral("Wired"), {lan})}
        << QStringList{QStringLiteral("Wired|192.168.7.9|255.255.255.0|1")};
    QTest::newRow("two addresses, a line each, the last the adapter's")
        << QList<Record>{MakeRecord(QStringLiteral("eth0"), QStringLiteral("Wired"), {ten, lan})}
        << QStringList{QStringLiteral("Wired") + dash +
                           QStringLiteral("10.0.0.2/8|10.0.0.2|255.0.0.0|0"),
                       QStringLiteral("Wired") + dash +
                           QStringLiteral("192.168.7.9/24|192.168.7.9|255.255.255.0|1")};
    QTest::newRow("loopback last, no IPv4 no line")
        << QList<Record>{MakeRecord(QStringLiteral("lo"), QStringLiteral("lo"), {loop}, true),
                         MakeRecord(QStringLiteral("v6only"), QString(), {}),
                         MakeRecord(QStringLiteral("eth1"), QString(), {ten, lan})}
        << QStringList{QStringLiteral("eth1") + dash +
                           QStringLiteral("10.0.0.2/8|10.0.0.2|255.0.0.0|0"),
                       QStringLiteral("eth1") + dash +
                           QStringLiteral("192.168.7.9/24|192.168.7.9|255.255.255.0|1"),
                       QStringLiteral("lo|127.0.0.1|255.0.0.0|1")};
}

void TestNetworkChecker::everyAddressIsAChoice()
{
    QFETCH(QList<Record>, records);
    QFETCH(QStringList, expected);
    const CNetworkChecker checker = MakeChecker(records);
    QStringList choices;
    for (const CNetworkChecker::SAddressChoice &choice : checker.ReadAddressChoices())
        choices.append(QStringList{choice.m_strLine, choice.m_strAddress, choice.m_strMask,
                                   QString::number(int(choice.m_bAdapterAddress))}
                           .join(QLatin1Char('|')));
    QCOMPARE(choices, expected);
    // Nothing is kept: the one-line-per-adapter list stays as it was.
    QVERIFY(checker.Adapters().empty());
}

void TestNetworkChecker::choicesAreReadAfreshEachTime()
{
    const CNetworkChecker checker =
        MakeChecker({MakeRecord(QStringLiteral("eth0"), QString(),
                                {{QStringLiteral("10.0.0.2"), QStringLiteral("255.0.0.0")}})});
    QCOMPARE(checker.ReadAddressChoices().size(), 1u);
    QCOMPARE(checker.ReadAddressChoices().size(), 1u);
}

void TestNetworkChecker::prefixOfAMask_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("expected");
    QTest::newRow("/24") << QStringLiteral("255.255.255.0") << QStringLiteral("/24");
    QTest::newRow("/8") << QStringLiteral("255.0.0.0") << QStringLiteral("/8");
    QTest::newRow("/32") << QStringLiteral("255.255.255.255") << QStringLiteral("/32");
    QTest::newRow("/0") << QStringLiteral("0.0.0.0") << QStringLiteral("/0");
    QTest::newRow("/20") << QStringLiteral("255.255.240.0") << QStringLiteral("/20");
    QTest::newRow("not contiguous")
        << QStringLiteral("255.0.255.0") << QStringLiteral("/255.0.255.0");
    QTest::newRow("not a mask") << QStringLiteral("x") << QStringLiteral("/x");
}

void TestNetworkChecker::prefixOfAMask()
{
    QFETCH(QString, mask);
    QFETCH(QString, expected);
    QCOMPARE(CNetworkChecker::PrefixText(mask), expected);
}

void TestNetworkChecker::lookupIsExactAndCaseSensitive_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("expected");
    QTest::newRow("exact") << QStringLiteral("Office LAN") << QStringLiteral("192.168.1.5");
    QTest::newRow("first of two equal") << QStringLiteral("Twin") << QStringLiteral("10.0.0.1");
    QTest::newRow("other case") << QStringLiteral("office lan") << QString();
    QTest::newRow("prefix") << QStringLiteral("Office") << QString();
    QTest::newRow("adapter name") << QStringLiteral("eth0") << QString();
    QTest::newRow("empty") << QString() << QString();
}

void TestNetworkChecker::lookupIsExactAndCaseSensitive()
{
    QFETCH(QString, description);
    QFETCH(QString, expected);
    CNetworkChecker checker = MakeChecker({
        MakeRecord(QStringLiteral("eth0"), QStringLiteral("Office LAN"),
                   {{QStringLiteral("192.168.1.5"), QStringLiteral("255.255.255.0")}}),
        MakeRecord(QStringLiteral("eth1"), QStringLiteral("Twin"),
                   {{QStringLiteral("10.0.0.1"), QStringLiteral("255.0.0.0")}}),
        MakeRecord(QStringLiteral("eth2"), QStringLiteral("Twin"),
                   {{QStringLiteral("10.0.0.2"), QStringLiteral("255.0.0.0")}}),
    });
    QCOMPARE(checker.GetAdapterAddress(description), QString());
    checker.EnumerateAdapters();
    QCOMPARE(checker.GetAdapterAddress(description), expected);
}

void TestNetworkChecker::localAddressKeepsLastGoodAnswer()
{
    QList<QList<QHostAddress>> answers{
        {},
        {QHostAddress(QStringLiteral("::1")), QHostAddress(QStringLiteral("192.168.1.5")),
         QHostAddress(QStringLiteral("10.0.0.1"))},
        {},
        {QHostAddress(QStringLiteral("fe80::1"))},
        {QHostAddress(QStringLiteral("10.0.0.1"))},
    };
    CNetworkChecker checker(std::make_unique<CTableSource>(QList<Record>{}),
                            [&answers] { return answers.takeFirst(); });
    QCOMPARE(checker.GetLocalAddress(), QString());
    QCOMPARE(checker.GetLocalAddress(), QStringLiteral("192.168.1.5"));
    QCOMPARE(checker.GetLocalAddress(), QStringLiteral("192.168.1.5"));
    QCOMPARE(checker.GetLocalAddress(), QStringLiteral("192.168.1.5"));
    QCOMPARE(checker.GetLocalAddress(), QStringLiteral("10.0.0.1"));
}

void TestNetworkChecker::lookupIsWaitedForOnlyUntilItsDeadline_data()
{
    QTest::addColumn<bool>("answers");
    QTest::addColumn<QString>("expected");
    QTest::newRow("an answer in time") << true << QStringLiteral("192.168.1.5");
    QTest::newRow("no answer at all") << false << QString();
}

// A name server that never answers holds the lookup, not its caller: the
// caller goes on as after a failed lookup.
void TestNetworkChecker::lookupIsWaitedForOnlyUntilItsDeadline()
{
    QFETCH(bool, answers);
    QFETCH(QString, expected);
    // Released when the test is over, so the thread that waits on it ends.
    const auto release = std::make_shared<QSemaphore>();
    const auto releaseAtEnd = qScopeGuard([release] { release->release(); });
    CNetworkChecker checker(std::make_unique<CTableSource>(QList<Record>{}),
                            CNetworkChecker::WithDeadline(
                                [release, answers] {
                                    if (!answers)
                                        release->acquire();
                                    return QList<QHostAddress>{
                                        QHostAddress(QStringLiteral("192.168.1.5"))};
                                },
                                answers ? ANSWER_DEADLINE_MS : SILENCE_DEADLINE_MS));
    QCOMPARE(checker.GetLocalAddress(), expected);
}

void TestNetworkChecker::systemSourceListsLoopback()
{
    // Inside the test's namespace loopback is the only interface.
    CNetworkChecker checker;
    QStringList list;
    checker.GetAdapterList(list);
    QCOMPARE(Names(checker), QStringList{QStringLiteral("lo")});
    QCOMPARE(list, QStringList{QStringLiteral("lo")});
    QCOMPARE(checker.Adapters().front().IpAddress(), QStringLiteral("127.0.0.1"));
    QCOMPARE(checker.Adapters().front().IpMask(), QStringLiteral("255.0.0.0"));
    QCOMPARE(checker.GetAdapterAddress(QStringLiteral("lo")), QStringLiteral("127.0.0.1"));
}

KESTAVON_TEST_MAIN(TestNetworkChecker)
#include "tst_networkchecker.moc"
