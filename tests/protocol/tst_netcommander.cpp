#include <sys/socket.h>
#include <netinet/in.h>
#include <arpa/inet.h>
#include <unistd.h>

#include <thread>

#include <QTcpSocket>
#include <QTest>

#include "commandcatalogue.h"
#include "isolatednetwork.h"
#include "netcommander.h"
#include "resultstore.h"
#include "scriptedserver.h"

namespace {

const QString kPlayer = QStringLiteral("127.0.0.2");
// Short time-outs keep the failure cases quick; the real ones are seconds.
constexpr int kConnectTimeoutMs = 500;
constexpr int kReceiveTimeoutMs = 600;

QByteArray Reply(const char *operation, const QByteArray &inner,
                 const QByteArray &attributes = " errcode=\"1\"")
{
    return QByteArray(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Tavrion api=\"1.0.1\" operation=\"") +
           operation + "\"" + attributes + ">" + inner + "</Tavrion>";
}

class CRecordingStore : public CResultStore
{
public:
    void StoreResult(const STP_CMD_RESULT_TAG &result) override { results.append(result); }
    QList<STP_CMD_RESULT_TAG> results;
};

} // namespace

class TestNetCommander : public QObject
{
    Q_OBJECT

private slots:
    void exchange_data();
    void exchange();
    void requestBytesReachThePlayerUnchanged();
    void commandsWithoutReplyEndAfterSending_data();
    void commandsWithoutReplyEndAfterSending();
    void refusedConnection();
    void unknownHostName();
    void onlyDottedAddressesAreConnected_data();
    void onlyDottedAddressesAreConnected();
    void connectTimesOut();
    void silentPlayerTimesOut();
    void noArgumentsKeepsThePreviousCommand();
    void sendCutOffByThePlayerHasItsText();
    void requestSentTellsHowFarTheExchangeCame();

private:
    CRecordingStore m_store;
};

void TestNetCommander::exchange_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QList<QByteArray>>("pieces");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("stored");

    const QByteArray name = Reply("getDeviceName", "<devicename>Den</devicename>");
    const QByteArray status = Reply("setDeviceName", "");
    const int get = CMD_GET_DEVICE_NAME;
    const int set = CMD_SET_DEVICE_NAME;
    const QString none;
    const QString invalid = QStringLiteral("error: Invalid Packet");

    QTest::newRow("data reply") << get << QList<QByteArray>{name} << 1 << 0 << none << 1;
    QTest::newRow("status reply") << set << QList<QByteArray>{status} << 1 << 0 << none << 0;
    QTest::newRow("several pieces")
        << get << QList<QByteArray>{name.left(20), name.mid(20, 40), name.mid(60)} << 1 << 0 << none
        << 1;
    QTest::newRow("terminator split across reads")
        << get << QList<QByteArray>{name.chopped(5), name.right(5)} << 1 << 0 << none << 1;
    QTest::newRow("ended by deviceInfo")
        << get
        << QList<QByteArray>{"<?xml "
                             "version=\"1.0\"?><deviceInfo><devicename>D</devicename></deviceInfo>"}
        << 1 << 0 << none << 1;
    QTest::newRow("text before the declaration")
        << get << QList<QByteArray>{"HTTP/1.1 200 OK\r\n\r\n" + name} << 1 << 0 << none << 1;
    QTest::newRow("zero byte before the declaration is not a cut")
        << get << QList<QByteArray>{QByteArray("junk\0junk", 9) + name} << 1 << 0 << none << 1;
    QTest::newRow("closed without a reply") << get << QList<QByteArray>{} << 0 << 1 << invalid << 0;
    QTest::newRow("no terminator")
        << get << QList<QByteArray>{name.chopped(10)} << 0 << 1 << invalid << 0;
    QTest::newRow("terminator but no declaration")
        << get << QList<QByteArray>{"<Tavrion><devicename>x</devicename></Tavrion>"} << 0 << 1
        << QStringLiteral("error: xml parsing loadXML() failed") << 0;
    QTest::newRow("malformed status reply")
        << set << QList<QByteArray>{"<?xml version=\"1.0\"?><Tavrion errcode=\"1\"><a></Tavrion>"}
        << 0 << 1 << QStringLiteral("error: xml parsing failed") << 0;
    QTest::newRow("errcode not 1")
        << set << QList<QByteArray>{Reply("setDeviceName", "", " errcode=\"3\"")} << 0 << 1
        << QStringLiteral("tavrion setup error : command=setDeviceName, errcode =3") << 0;
    QTest::newRow("no errcode") << set << QList<QByteArray>{Reply("setDeviceName", "", "")} << 0
                                << 0 << none << 0;
    QTest::newRow("oversized reply")
        << get
        << QList<QByteArray>{Reply("getDeviceName",
                                   "<devicename>" + QByteArray(1100 * 1024, 'x') + "</devicename>")}
        << 0 << 1 << QStringLiteral("error: reply too large") << 0;
}

void TestNetCommander::exchange()
{
    QFETCH(int, id);
    QFETCH(QList<QByteArray>, pieces);
    QFETCH(int, result);
    QFETCH(int, code);
    QFETCH(QString, text);
    QFETCH(int, stored);

    CScriptedServer player(QHostAddress(kPlayer), {pieces});
    QVERIFY(player.Start());
    m_store.results.clear();
    CNetCommander commander(&m_store);
    commander.SetTimeouts(kConnectTimeoutMs, 5000);

    const STP_CMD_TAG &command = *FindCommand(id);
    const int actual = command.strBodyFormat.isEmpty()
                           ? commander.Execute(kPlayer, command)
                           : commander.ExecuteWithArgs(kPlayer, command, {QStringLiteral("x")});
    QCOMPARE(actual, result);
    QCOMPARE(commander.GetCommand().error.nCode, code);
    QCOMPARE(commander.GetCommand().error.strText, text);
    QCOMPARE(m_store.results.size(), stored);
    if (stored)
        QCOMPARE(m_store.results.first().nCmdId, id);
}

void TestNetCommander::requestBytesReachThePlayerUnchanged()
{
    CScriptedServer player(QHostAddress(kPlayer), {{Reply("connectAp", "")}});
    QVERIFY(player.Start());
    CNetCommander commander(&m_store);
    const QStringList arguments = {QStringLiteral("Caf\u00e9 & Bar"), QStringLiteral("p<w>"),
                                   QStringLiteral("WPA2")};
    QCOMPARE(commander.ExecuteWithArgs(kPlayer, *FindCommand(CMD_CONNECT_AP), arguments), 1);
    QTRY_COMPARE(player.Requests().size(), 1);
    QCOMPARE(player.Requests().first(), commander.GetPacket().GetRequestBytes());
    QVERIFY(player.Requests().first().endsWith(
        "<essid>Caf\xc3\xa9 &amp; Bar</essid><password>p&lt;w&gt;</password>"
        "<encryptionkey>WPA2</encryptionkey></Tavrion>"));
}

void TestNetCommander::commandsWithoutReplyEndAfterSending_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("updateFirmware")
        << int(CMD_UPDATE_FIRMWARE) << QStringList{QStringLiteral("127.0.0.1")};
    QTest::newRow("rebootDevice") << int(CMD_REBOOT_DEVICE) << QStringList{};
}

void TestNetCommander::commandsWithoutReplyEndAfterSending()
{
    QFETCH(int, id);
    QFETCH(QStringList, arguments);

    // The player answers nothing and keeps the connection open: a command
    // that waited for a reply would time out.
    CScriptedServer player(QHostAddress(kPlayer), {{}, 0, 10000});
    QVERIFY(player.Start());
    CNetCommander commander(&m_store);
    commander.SetTimeouts(kConnectTimeoutMs, kReceiveTimeoutMs);
    const STP_CMD_TAG &command = *FindCommand(id);
    const int result = arguments.isEmpty() ? commander.Execute(kPlayer, command)
                                           : commander.ExecuteWithArgs(kPlayer, command, arguments);
    QCOMPARE(result, 1);
    QCOMPARE(commander.GetCommand().error.nCode, 0);
    QTRY_COMPARE(player.Requests().size(), 1);
    QCOMPARE(player.Requests().first(), commander.GetPacket().GetRequestBytes());
}

void TestNetCommander::refusedConnection()
{
    CNetCommander commander(&m_store);
    QCOMPARE(commander.Execute(QStringLiteral("127.0.0.3"), *FindCommand(CMD_GET_DEVICE_NAME)), 0);
    QCOMPARE(commander.GetCommand().error.nCode, 1);
    QCOMPARE(commander.GetCommand().error.strText,
             QStringLiteral("error: socket connection failed"));
}

void TestNetCommander::unknownHostName()
{
    CNetCommander commander(&m_store);
    commander.SetTimeouts(3000, kReceiveTimeoutMs);
    QCOMPARE(commander.Execute(QStringLiteral("no-such-player.invalid"), *FindCommand(1)), 0);
    QCOMPARE(commander.GetCommand().error.strText,
             QStringLiteral("error: socket connection failed"));
    QCOMPARE(commander.Execute(QString(), *FindCommand(1)), 0);
    QCOMPARE(commander.GetCommand().error.strText,
             QStringLiteral("error: socket connection failed"));
}

void TestNetCommander::onlyDottedAddressesAreConnected_data()
{
    QTest::addColumn<QString>("address");

    // Each names 127.0.0.1 to a resolver or to inet_aton; a player listens
    // there, so only a refusal to look the text up makes the command fail.
    QTest::newRow("host name") << QStringLiteral("localhost");
    QTest::newRow("short form") << QStringLiteral("127.1");
    QTest::newRow("one number") << QStringLiteral("2130706433");
    QTest::newRow("hexadecimal part") << QStringLiteral("0x7f.0.0.1");
    QTest::newRow("leading zeros") << QStringLiteral("127.0.0.01");
    QTest::newRow("trailing space") << QStringLiteral("127.0.0.1 ");
    QTest::newRow("trailing dot") << QStringLiteral("127.0.0.1.");
}

void TestNetCommander::onlyDottedAddressesAreConnected()
{
    QFETCH(QString, address);
    const QByteArray name = Reply("getDeviceName", "<devicename>Den</devicename>");
    CScriptedServer player(QHostAddress(QStringLiteral("127.0.0.1")), {{name}});
    QVERIFY(player.Start());
    CNetCommander commander(&m_store);
    commander.SetTimeouts(kConnectTimeoutMs, kReceiveTimeoutMs);
    QCOMPARE(commander.Execute(QStringLiteral("127.0.0.1"), *FindCommand(CMD_GET_DEVICE_NAME)), 1);

    QCOMPARE(commander.Execute(address, *FindCommand(CMD_GET_DEVICE_NAME)), 0);
    QCOMPARE(commander.GetCommand().error.nCode, 1);
    QCOMPARE(commander.GetCommand().error.strText,
             QStringLiteral("error: socket connection failed"));
    QCOMPARE(player.Requests().size(), 1);
}

void TestNetCommander::connectTimesOut()
{
    // A listener with a backlog of nothing, never accepting: once its queue
    // holds a connection, further handshakes go unanswered.
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    QVERIFY(fd >= 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(CNetCommander::COMMAND_PORT);
    ::inet_pton(AF_INET, "127.0.0.4", &address.sin_addr);
    QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    QCOMPARE(::listen(fd, 0), 0);
    QTcpSocket fillers[2];
    for (QTcpSocket &filler : fillers)
        filler.connectToHost(QStringLiteral("127.0.0.4"), CNetCommander::COMMAND_PORT);
    QVERIFY(fillers[0].waitForConnected(2000));

    CNetCommander commander(&m_store);
    commander.SetTimeouts(kConnectTimeoutMs, kReceiveTimeoutMs);
    QCOMPARE(commander.Execute(QStringLiteral("127.0.0.4"), *FindCommand(1)), 0);
    QCOMPARE(commander.GetCommand().error.strText,
             QStringLiteral("error: socket connection timed out"));
    ::close(fd);
}

void TestNetCommander::silentPlayerTimesOut()
{
    CScriptedServer player(QHostAddress(kPlayer), {{}, 0, 10000});
    QVERIFY(player.Start());
    CNetCommander commander(&m_store);
    commander.SetTimeouts(kConnectTimeoutMs, kReceiveTimeoutMs);
    QCOMPARE(commander.Execute(kPlayer, *FindCommand(CMD_GET_DEVICE_INFO)), 0);
    QCOMPARE(commander.GetCommand().error.strText,
             QStringLiteral("error: socket receive timed out"));
}

void TestNetCommander::noArgumentsKeepsThePreviousCommand()
{
    CNetCommander commander(&m_store);
    commander.Execute(QStringLiteral("127.0.0.3"), *FindCommand(CMD_GET_WIFI_ON_OFF));
    QCOMPARE(commander.ExecuteWithArgs(kPlayer, *FindCommand(CMD_SET_DEVICE_NAME), {}), 0);
    QCOMPARE(commander.GetCommand().nId, int(CMD_GET_WIFI_ON_OFF));
    QCOMPARE(commander.GetCommand().error.nCode, 1);
    QCOMPARE(commander.GetCommand().error.strText, QStringLiteral("error: invalid argc"));
    QCOMPARE(commander.GetAddress(), QStringLiteral("127.0.0.3"));
}

// A player that takes the connection and resets it mostly unread: a request larger
// than every buffer between the two cannot be handed over.
void TestNetCommander::sendCutOffByThePlayerHasItsText()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    QVERIFY(fd >= 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(CNetCommander::COMMAND_PORT);
    ::inet_pton(AF_INET, "127.0.0.5", &address.sin_addr);
    QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    QCOMPARE(::listen(fd, 1), 0);
    std::thread resetter([fd] {
        const int connection = ::accept(fd, nullptr, nullptr);
        if (connection < 0)
            return;
        // Once the request is on its way, not before: a reset during the
        // handshake would fail the connect instead.
        char first[1024];
        if (::recv(connection, first, sizeof first, 0) <= 0) {
            ::close(connection);
            return;
        }
        const linger reset{1, 0};
        ::setsockopt(connection, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
        ::close(connection);
    });

    constexpr qsizetype kLargerThanAnyBuffer = 16 * 1024 * 1024;
    CNetCommander commander(&m_store);
    commander.SetTimeouts(kConnectTimeoutMs, 10000);
    const int result =
        commander.ExecuteWithArgs(QStringLiteral("127.0.0.5"), *FindCommand(CMD_SET_DEVICE_NAME),
                                  {QString(kLargerThanAnyBuffer, QLatin1Char('x'))});
    resetter.join();
    ::close(fd);
    QCOMPARE(result, 0);
    QVERIFY(!commander.RequestSent());
    QCOMPARE(commander.GetCommand().error.nCode, 1);
    QCOMPARE(commander.GetCommand().error.strText, QStringLiteral("error: socket send failed"));
}

void TestNetCommander::requestSentTellsHowFarTheExchangeCame()
{
    CScriptedServer player(QHostAddress(kPlayer), {{}});
    QVERIFY(player.Start());
    CNetCommander commander(&m_store);
    commander.SetTimeouts(kConnectTimeoutMs, kReceiveTimeoutMs);
    // Sent, though the player closed without a word.
    QCOMPARE(commander.Execute(kPlayer, *FindCommand(CMD_GET_DEVICE_NAME)), 0);
    QVERIFY(commander.RequestSent());
    QCOMPARE(commander.Execute(QStringLiteral("127.0.0.3"), *FindCommand(CMD_GET_DEVICE_NAME)), 0);
    QVERIFY(!commander.RequestSent());
    QCOMPARE(commander.Execute(kPlayer, *FindCommand(CMD_REBOOT_DEVICE)), 1);
    QVERIFY(commander.RequestSent());
    QCOMPARE(commander.ExecuteWithArgs(kPlayer, *FindCommand(CMD_SET_DEVICE_NAME), {}), 0);
    QVERIFY(!commander.RequestSent());
}

KESTAVON_TEST_MAIN(TestNetCommander)
#include "tst_netcommander.moc"
