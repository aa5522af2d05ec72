#include <cstring>

#include <arpa/inet.h>
#include <netinet/in.h>

#include <QHostAddress>
#include <QNetworkProxy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include "isolatednetwork.h"
#include "peeraddress.h"

namespace {

// Long enough for a loaded machine; only reached when something is broken.
constexpr int WAIT_MS = 10000;

sockaddr_storage Ipv4(const char *text, socklen_t *length)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    ::inet_pton(AF_INET, text, &address.sin_addr);
    sockaddr_storage storage{};
    std::memcpy(&storage, &address, sizeof(address));
    *length = sizeof(address);
    return storage;
}

sockaddr_storage Ipv6(const char *text, socklen_t *length)
{
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    ::inet_pton(AF_INET6, text, &address.sin6_addr);
    sockaddr_storage storage{};
    std::memcpy(&storage, &address, sizeof(address));
    *length = sizeof(address);
    return storage;
}

} // namespace

using Peer = std::optional<quint32>;
Q_DECLARE_METATYPE(Peer)

class TestPeerAddress : public QObject
{
    Q_OBJECT

private slots:
    void fromAddress_data();
    void fromAddress();
    void mappedPeerOfADualStackSocket();
};

void TestPeerAddress::fromAddress_data()
{
    QTest::addColumn<bool>("six");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("shortBy");
    QTest::addColumn<Peer>("peer");

    QTest::newRow("an IPv4 peer is its address")
        << false << QByteArray("127.0.0.9") << 0 << Peer(0x7F000009u);
    QTest::newRow("an IPv4-mapped IPv6 peer is the same host")
        << true << QByteArray("::ffff:127.0.0.9") << 0 << Peer(0x7F000009u);
    QTest::newRow("a plain IPv6 peer has no IPv4 address")
        << true << QByteArray("::1") << 0 << Peer();
    QTest::newRow("an IPv4-compatible IPv6 peer is not mapped")
        << true << QByteArray("::127.0.0.9") << 0 << Peer();
    QTest::newRow("a truncated IPv4 address is not read")
        << false << QByteArray("127.0.0.9") << 1 << Peer();
    QTest::newRow("a truncated IPv6 address is not read")
        << true << QByteArray("::ffff:127.0.0.9") << 1 << Peer();
}

void TestPeerAddress::fromAddress()
{
    QFETCH(bool, six);
    QFETCH(QByteArray, text);
    QFETCH(int, shortBy);
    QFETCH(Peer, peer);

    socklen_t length = 0;
    const sockaddr_storage address =
        six ? Ipv6(text.constData(), &length) : Ipv4(text.constData(), &length);
    QCOMPARE(CPeerAddress::Ipv4Of(address, length - socklen_t(shortBy)), peer);
}

void TestPeerAddress::mappedPeerOfADualStackSocket()
{
    // A server listening on every address of both families sees an IPv4
    // client as ::ffff:a.b.c.d.
    QTcpServer server;
    server.setProxy(QNetworkProxy::NoProxy);
    if (!server.listen(QHostAddress::Any, 0))
        QSKIP("no dual-stack socket here");
    QTcpSocket client;
    client.setProxy(QNetworkProxy::NoProxy);
    QVERIFY(client.bind(QHostAddress(QStringLiteral("127.0.0.9")), 0));
    client.connectToHost(QHostAddress::LocalHost, server.serverPort());
    QVERIFY(client.waitForConnected(WAIT_MS));
    QVERIFY(server.waitForNewConnection(WAIT_MS));
    QTcpSocket *accepted = server.nextPendingConnection();
    QVERIFY(accepted);
    QCOMPARE(CPeerAddress::Ipv4Of(accepted->socketDescriptor()), Peer(0x7F000009u));
}

KESTAVON_TEST_MAIN(TestPeerAddress)
#include "tst_peeraddress.moc"
