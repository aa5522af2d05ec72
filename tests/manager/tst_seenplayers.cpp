#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include "isolatednetwork.h"
#include "seenplayers.h"

class TestSeenPlayers : public QObject
{
    Q_OBJECT

private slots:
    void playersComeBackOnTheNextRun();
    void laterNewsKeepsWhatWasKnown();
    void forgottenPlayerIsGoneFromTheFile();
    void unusableFileIsSetAside_data();
    void unusableFileIsSetAside();
    void theStoreIsBounded();
    void onlyWhatPlayersSayOpenlyIsWritten();

private:
    static CSeenPlayers::SPlayer Player(int number);
};

CSeenPlayers::SPlayer TestSeenPlayers::Player(int number)
{
    CSeenPlayers::SPlayer player;
    player.m_strUdn = QStringLiteral("uuid:%1").arg(number);
    player.m_strName = QStringLiteral("Player %1").arg(number);
    player.m_strModel = QStringLiteral("KS-210");
    player.m_strIp = QStringLiteral("127.0.0.%1").arg(number % 250 + 2);
    player.m_strLanMac =
        QStringLiteral("00:11:22:33:44:%1").arg(number % 100, 2, 10, QLatin1Char('0'));
    player.m_strFirmware = QStringLiteral("1.0.%1").arg(number);
    player.m_lastSeen = QDateTime(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC).addSecs(number);
    return player;
}

void TestSeenPlayers::playersComeBackOnTheNextRun()
{
    const QTemporaryDir folder;
    // The folder is made when first written.
    const QString path = folder.filePath(QStringLiteral("sub/players.json"));
    CSeenPlayers first(path);
    QCOMPARE(first.Load(), CSeenPlayers::ELoad::Read);
    first.Remember(Player(1));
    first.Remember(Player(2));
    QVERIFY(first.Save());

    CSeenPlayers next(path);
    QCOMPARE(next.Load(), CSeenPlayers::ELoad::Read);
    QCOMPARE(next.Count(), 2);
    const CSeenPlayers::SPlayer back = next.Player(QStringLiteral("uuid:2"));
    QCOMPARE(back.m_strName, QStringLiteral("Player 2"));
    QCOMPARE(back.m_strModel, QStringLiteral("KS-210"));
    QCOMPARE(back.m_strIp, Player(2).m_strIp);
    QCOMPARE(back.m_strLanMac, Player(2).m_strLanMac);
    QCOMPARE(back.m_strFirmware, QStringLiteral("1.0.2"));
    QCOMPARE(back.m_lastSeen, Player(2).m_lastSeen);
}

void TestSeenPlayers::laterNewsKeepsWhatWasKnown()
{
    CSeenPlayers store(QStringLiteral("/nonexistent/players.json"));
    store.Remember(Player(1));
    // An announcement carries no MAC or firmware: what was read stays.
    CSeenPlayers::SPlayer announced;
    announced.m_strUdn = QStringLiteral("uuid:1");
    announced.m_strName = QStringLiteral("Renamed");
    announced.m_strIp = QStringLiteral("127.0.0.9");
    store.Remember(announced);
    const CSeenPlayers::SPlayer known = store.Player(QStringLiteral("uuid:1"));
    QCOMPARE(known.m_strName, QStringLiteral("Renamed"));
    QCOMPARE(known.m_strIp, QStringLiteral("127.0.0.9"));
    QCOMPARE(known.m_strLanMac, Player(1).m_strLanMac);
    QCOMPARE(known.m_strFirmware, Player(1).m_strFirmware);
    // Nothing to key it by: not remembered.
    store.Remember(CSeenPlayers::SPlayer{});
    QCOMPARE(store.Count(), 1);
}

void TestSeenPlayers::forgottenPlayerIsGoneFromTheFile()
{
    const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("players.json"));
    CSeenPlayers store(path);
    store.Remember(Player(1));
    store.Remember(Player(2));
    store.Forget(QStringLiteral("uuid:1"));
    QVERIFY(store.Save());
    CSeenPlayers next(path);
    QCOMPARE(next.Load(), CSeenPlayers::ELoad::Read);
    QVERIFY(!next.Contains(QStringLiteral("uuid:1")));
    QVERIFY(next.Contains(QStringLiteral("uuid:2")));
}

void TestSeenPlayers::unusableFileIsSetAside_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("not JSON") << QByteArray("\x00\xff garbage {");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("an array") << QByteArray("[1, 2, 3]");
    QTest::newRow("another format") << QByteArray(R"({"format": 99, "players": []})");
    QTest::newRow("another program's") << QByteArray(R"({"windows": {"size": [1, 2]}})");
    QTest::newRow("players not a list") << QByteArray(R"({"format": 1, "players": {}})");
    QTest::newRow("a player not an object") << QByteArray(R"({"format": 1, "players": [7]})");
    QTest::newRow("a player without udn")
        << QByteArray(R"({"format": 1, "players": [{"name": "x"}]})");
    QTest::newRow("truncated") << QByteArray(R"({"format": 1, "players": [{"udn": "uuid:1")");
    QByteArray huge(CSeenPlayers::MAX_FILE_BYTES + 1, ' ');
    huge.prepend(R"({"format": 1, "players": [)");
    huge.append("]}");
    QTest::newRow("too large") << huge;
}

void TestSeenPlayers::unusableFileIsSetAside()
{
    QFETCH(QByteArray, content);
    const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("players.json"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    CSeenPlayers store(path);
    QCOMPARE(store.Load(), CSeenPlayers::ELoad::SetAside);
    QCOMPARE(store.Count(), 0);
    QVERIFY(!QFile::exists(path));
    QVERIFY(store.SetAsidePath().startsWith(path + QStringLiteral(".corrupt-")));
    QFile aside(store.SetAsidePath());
    QVERIFY(aside.open(QIODevice::ReadOnly));
    QCOMPARE(aside.readAll(), content);

    // The next run starts afresh without a word.
    store.Remember(Player(1));
    QVERIFY(store.Save());
    CSeenPlayers next(path);
    QCOMPARE(next.Load(), CSeenPlayers::ELoad::Read);
    QCOMPARE(next.Count(), 1);
}

void TestSeenPlayers::theStoreIsBounded()
{
    const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("players.json"));
    CSeenPlayers store(path);
    for (int number = 0; number < CSeenPlayers::MAX_PLAYERS + 10; ++number)
        store.Remember(Player(number));
    QCOMPARE(store.Count(), CSeenPlayers::MAX_PLAYERS);
    // The players seen longest ago went.
    QVERIFY(!store.Contains(QStringLiteral("uuid:9")));
    QVERIFY(store.Contains(QStringLiteral("uuid:10")));
    QVERIFY(store.Save());
    QVERIFY(QFileInfo(path).size() < CSeenPlayers::MAX_FILE_BYTES);

    // A long text in a file is cut.
    CSeenPlayers::SPlayer longName = Player(CSeenPlayers::MAX_PLAYERS + 100);
    longName.m_strName = QString(100000, QLatin1Char('x'));
    store.Remember(longName);
    QCOMPARE(store.Player(longName.m_strUdn).m_strName.size(), CSeenPlayers::MAX_TEXT);
}

void TestSeenPlayers::onlyWhatPlayersSayOpenlyIsWritten()
{
    const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("players.json"));
    CSeenPlayers store(path);
    store.Remember(Player(1));
    QVERIFY(store.Save());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
    const QJsonObject player = root.value(QStringLiteral("players")).toArray().first().toObject();
    QStringList keys = player.keys();
    keys.sort();
    QCOMPARE(keys,
             (QStringList{QStringLiteral("firmversion"), QStringLiteral("ip"),
                          QStringLiteral("lanmac"), QStringLiteral("lastSeen"),
                          QStringLiteral("model"), QStringLiteral("name"), QStringLiteral("udn")}));
}

KESTAVON_TEST_MAIN(TestSeenPlayers)
#include "tst_seenplayers.moc"
