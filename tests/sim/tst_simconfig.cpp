#include <QTcpServer>
#include <QSet>
#include <QTest>

#include "isolatednetwork.h"
#include "simconfigloader.h"
#include "simnetwork.h"
#include "simtestclient.h"

using namespace Qt::StringLiterals;

namespace {

const QString kExamples = QStringLiteral(KESTAVON_SIM_EXAMPLES);

int CountConnectedSaved(const QList<CSimPlayerConfig> &players, bool connected, bool saved)
{
    int count = 0;
    for (const CSimPlayerConfig &player : players) {
        for (const CSimAccessPoint &ap : player.m_state.m_accessPoints)
            count += ap.m_connected == connected && ap.m_saved == saved;
    }
    return count;
}

} // namespace

class TestSimConfig : public QObject
{
    Q_OBJECT

private slots:
    void examplePlayersCoverTheCases();
    void entryFillsInDefaultsAndOverrides();
    void invalidFileIsRejected_data();
    void invalidFileIsRejected();
    void startsAllOfTheManyPlayers();
    void startFailsWhenAPortIsTaken();
};

void TestSimConfig::examplePlayersCoverTheCases()
{
    QString error;
    const QList<CSimPlayerConfig> players =
        CSimConfigLoader::LoadFile(kExamples + u"/players.json"_s, &error);
    QVERIFY2(!players.isEmpty(), qPrintable(error));
    QVERIFY(players.size() >= 5 && players.size() <= 6);
    int configurable = 0;
    for (const CSimPlayerConfig &player : players)
        configurable += player.m_strModel.contains(u"210"_s);
    QVERIFY(configurable >= 2);
    // Every other model class has a player too: 100, 200 and anything else.
    QSet<QString> others;
    for (const CSimPlayerConfig &player : players) {
        if (!player.m_strModel.contains(u"210"_s))
            others.insert(player.m_strModel.contains(u"200"_s)   ? u"1"_s
                          : player.m_strModel.contains(u"100"_s) ? u"0"_s
                                                                 : u"3"_s);
    }
    QCOMPARE(others.size(), 3);
    for (bool connected : {false, true}) {
        for (bool saved : {false, true})
            QVERIFY(CountConnectedSaved(players, connected, saved) > 0);
    }
}

void TestSimConfig::entryFillsInDefaultsAndOverrides()
{
    const QByteArray json = R"({"players": [
        {"address": "127.0.0.9", "name": "Den",
         "state": {"wifionoff": "OFF", "aplist": [{"essid": "A", "connected": true, "saved": 1,
                                                   "password": "pw"}]},
         "faults": [{"kind": "errcode", "operation": "getWifiOnOff", "count": 2, "text": "01"}]},
        {"generate": {"from": "127.0.0.20", "count": 3, "model": "KS-100", "namePrefix": "Desk "}}
    ]})";
    QString error;
    const QList<CSimPlayerConfig> players = CSimConfigLoader::Load(json, &error);
    QVERIFY2(players.size() == 4, qPrintable(error));

    const CSimPlayerConfig &den = players.at(0);
    QCOMPARE(den.m_strModel, u"KS-210"_s);
    QCOMPARE(den.m_strUdn, u"uuid:kestavon-0009"_s);
    QCOMPARE(den.m_state.m_strDeviceName, u"Den"_s);
    QVERIFY(!den.m_state.m_wifiOn);
    QCOMPARE(den.m_state.m_strLanIp, u"127.0.0.9"_s);
    QCOMPARE(den.m_state.m_accessPoints.size(), 1);
    QVERIFY(den.m_state.m_accessPoints.first().m_connected);
    QCOMPARE(den.m_state.m_accessPoints.first().m_strPassword, u"pw"_s);
    QCOMPARE(den.m_faults.size(), 1);
    QCOMPARE(den.m_faults.first().m_kind, CSimFault::EKind::Errcode);
    QCOMPARE(den.m_faults.first().m_count, 2);
    QCOMPARE(den.m_faults.first().Text(), u"01"_s);

    QCOMPARE(players.at(3).m_strAddress, u"127.0.0.22"_s);
    QCOMPARE(players.at(3).m_strName, u"Desk 3"_s);
    QCOMPARE(players.at(3).m_strModel, u"KS-100"_s);
    QCOMPARE(players.at(3).m_strUdn, u"uuid:kestavon-0022"_s);
}

void TestSimConfig::invalidFileIsRejected_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("not JSON") << QByteArray("[{") << u"not JSON"_s;
    QTest::newRow("no players") << QByteArray("[]") << u"no players"_s;
    QTest::newRow("address off loopback")
        << QByteArray(R"([{"address": "192.168.1.20"}])") << u"192.168.1.20"_s;
    QTest::newRow("the tool's own address")
        << QByteArray(R"([{"address": "127.0.0.1"}])") << u"127.0.0.1"_s;
    QTest::newRow("address twice")
        << QByteArray(
               R"([{"address": "127.0.0.2"}, {"generate": {"from": "127.0.0.2", "count": 1}}])")
        << u"twice"_s;
    QTest::newRow("misspelt field")
        << QByteArray(R"([{"address": "127.0.0.2", "nmae": "x"}])") << u"nmae"_s;
    QTest::newRow("unknown fault")
        << QByteArray(R"([{"address": "127.0.0.2", "faults": [{"kind": "explode"}]}])")
        << u"explode"_s;
    QTest::newRow("negative pause")
        << QByteArray(
               R"([{"address": "127.0.0.2", "faults": [{"kind": "pieces", "pauseMs": -1}]}])")
        << u"negative"_s;
    QTest::newRow("generate past .255")
        << QByteArray(R"([{"generate": {"from": "127.0.0.250", "count": 7}}])") << u"generate"_s;
}

void TestSimConfig::invalidFileIsRejected()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, mentions);
    QString error;
    QVERIFY(CSimConfigLoader::Load(json, &error).isEmpty());
    QVERIFY2(error.contains(mentions), qPrintable(error));
}

void TestSimConfig::startsAllOfTheManyPlayers()
{
    QString error;
    const QList<CSimPlayerConfig> players =
        CSimConfigLoader::LoadFile(kExamples + u"/many-players.json"_s, &error);
    QCOMPARE(players.size(), 254);
    CSimNetwork network;
    QVERIFY2(network.Start(players, &error), qPrintable(error));
    QCOMPARE(network.Addresses().size(), 254);
    QCOMPARE(SimTestClient::Command(u"127.0.0.2"_s, u"getDeviceName"_s),
             SimTestClient::Reply(u"getDeviceName"_s, "<devicename>Player 1</devicename>"));
    QCOMPARE(SimTestClient::Command(u"127.0.0.255"_s, u"getDeviceName"_s),
             SimTestClient::Reply(u"getDeviceName"_s, "<devicename>Player 254</devicename>"));
}

void TestSimConfig::startFailsWhenAPortIsTaken()
{
    QTcpServer squatter;
    QVERIFY(squatter.listen(QHostAddress(u"127.0.0.3"_s), 10015));
    CSimNetwork network;
    QString error;
    QVERIFY(!network.Start({CSimPlayerConfig::ForAddress(u"127.0.0.2"_s),
                            CSimPlayerConfig::ForAddress(u"127.0.0.3"_s)},
                           &error));
    QVERIFY2(error.contains(u"127.0.0.3"_s), qPrintable(error));
    QVERIFY(!network.IsRunning());
    // Nothing is left behind: the other player's port is free again.
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress(u"127.0.0.2"_s), 10015));
}

KESTAVON_TEST_MAIN(TestSimConfig)
#include "tst_simconfig.moc"
