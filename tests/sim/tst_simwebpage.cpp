#include <QTest>

#include "isolatednetwork.h"
#include "simnetwork.h"
#include "simtestclient.h"

using namespace Qt::StringLiterals;

namespace {

const QString kPlayer = u"127.0.0.5"_s;
constexpr quint16 kWebPort = 80;

} // namespace

class TestSimWebPage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void answersRequest_data();
    void answersRequest();
    void oversizedRequestGetsNoPage();

private:
    CSimNetwork m_network;
};

void TestSimWebPage::initTestCase()
{
    CSimPlayerConfig player = CSimPlayerConfig::ForAddress(kPlayer);
    player.m_strModel = u"KS-200"_s;
    player.m_strName = u"Hall <Speaker> & Co"_s;
    QString error;
    QVERIFY2(m_network.Start({player}, &error), qPrintable(error));
}

void TestSimWebPage::cleanupTestCase()
{
    m_network.Stop();
}

void TestSimWebPage::answersRequest_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("statusLine");
    QTest::addColumn<bool>("page");
    QTest::newRow("GET /") << QByteArray("GET / HTTP/1.1\r\nHost: 127.0.0.5\r\n\r\n")
                           << QByteArray("HTTP/1.0 200 OK") << true;
    QTest::newRow("GET /index.html")
        << QByteArray("GET /index.html HTTP/1.0\r\n\r\n") << QByteArray("HTTP/1.0 200 OK") << true;
    QTest::newRow("other path") << QByteArray("GET /setup.cgi HTTP/1.0\r\n\r\n")
                                << QByteArray("HTTP/1.0 404 Not Found") << false;
    QTest::newRow("POST") << QByteArray("POST / HTTP/1.0\r\nContent-Length: 0\r\n\r\n")
                          << QByteArray("HTTP/1.0 405 Method Not Allowed") << false;
}

void TestSimWebPage::answersRequest()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, statusLine);
    QFETCH(bool, page);
    const SimTestClient::CReply reply = SimTestClient::Exchange(kPlayer, kWebPort, request);
    QVERIFY(reply.m_closedByPeer);
    const QByteArray response = reply.All();
    QCOMPARE(response.left(response.indexOf("\r\n")), statusLine);
    const qsizetype bodyAt = response.indexOf("\r\n\r\n") + 4;
    QVERIFY(response.contains(
        "\r\nContent-Length: " + QByteArray::number(response.size() - bodyAt) + "\r\n"));
    QCOMPARE(response.contains("\r\nContent-Type: text/html; charset=UTF-8\r\n"), page);
    QCOMPARE(response.contains("<title>Hall &lt;Speaker&gt; &amp; Co (KS-200)</title>"), page);
}

void TestSimWebPage::oversizedRequestGetsNoPage()
{
    const QByteArray request = "GET / HTTP/1.0\r\nX-Padding: " + QByteArray(16 * 1024, 'a');
    const SimTestClient::CReply reply = SimTestClient::Exchange(kPlayer, kWebPort, request);
    QVERIFY(reply.m_closedByPeer);
    QVERIFY(!reply.All().contains("<title>"));
}

KESTAVON_TEST_MAIN(TestSimWebPage)
#include "tst_simwebpage.moc"
