#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include "isolatednetwork.h"
#include "simnetwork.h"
#include "simtestclient.h"

using namespace Qt::StringLiterals;
using EKind = CSimFault::EKind;

Q_DECLARE_METATYPE(CSimFault)

namespace {

const QString kTool = u"127.0.0.1"_s;
const QString kPlayer = u"127.0.0.2"_s;
// Generous for loopback; only reached when something is wrong.
constexpr int kWaitMs = 5000;
constexpr int kMiB = 1024 * 1024;

QByteArray Image(qsizetype size, const QByteArray &header = {})
{
    QByteArray image = header;
    for (quint32 word = 0; image.size() < size; ++word)
        image.append(reinterpret_cast<const char *>(&word), sizeof word);
    return image.left(size);
}

QString Sha256(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

// As the tool does it: send updateFirmware and close without reading a reply.
void RequestUpdate(const QString &downloadIp)
{
    QTcpSocket socket;
    socket.connectToHost(kPlayer, SimTestClient::kCommandPort);
    QVERIFY(socket.waitForConnected(kWaitMs));
    socket.write(SimTestClient::Request(u"updateFirmware"_s,
                                        "<downloadip>" + downloadIp.toUtf8() + "</downloadip>"));
    QVERIFY(socket.waitForBytesWritten(kWaitMs));
    socket.disconnectFromHost();
}

// Writes as much of the image as the peer takes, then closes.
void Upload(QTcpSocket &socket, const QByteArray &image)
{
    socket.write(image);
    const QDeadlineTimer deadline(kWaitMs);
    while (socket.bytesToWrite() > 0 && socket.state() == QAbstractSocket::ConnectedState &&
           !deadline.hasExpired())
        socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()));
    socket.disconnectFromHost();
    if (socket.state() != QAbstractSocket::UnconnectedState)
        socket.waitForDisconnected(kWaitMs);
}

} // namespace

class TestSimFirmware : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void downloadRecordsSizeAndHash_data();
    void downloadRecordsSizeAndHash();
    void stoppedReaderHoldsTheConnectionOpen();
    void lateDownloadStillCompletes();

private:
    std::unique_ptr<QTcpSocket> AcceptDownload();

    CSimNetwork m_network;
    QTcpServer m_server;
};

void TestSimFirmware::init()
{
    QString error;
    QVERIFY2(m_network.Start({CSimPlayerConfig::ForAddress(kPlayer)}, &error), qPrintable(error));
    QVERIFY(m_server.listen(QHostAddress(kTool), SimTestClient::kFirmwarePort));
}

void TestSimFirmware::cleanup()
{
    m_server.close();
    m_network.Stop();
}

std::unique_ptr<QTcpSocket> TestSimFirmware::AcceptDownload()
{
    if (!m_server.waitForNewConnection(kWaitMs))
        return nullptr;
    return std::unique_ptr<QTcpSocket>(m_server.nextPendingConnection());
}

void TestSimFirmware::downloadRecordsSizeAndHash_data()
{
    QTest::addColumn<CSimFault>("fault");
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<qint64>("kept");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<QString>("version");
    const QByteArray versioned = Image(3 * kMiB + 5, "KSFW 2.2.0-beta\n");
    const QByteArray plain = Image(kMiB);
    // A fault that never hits, so the row runs without one.
    const CSimFault none{.m_kind = EKind::Delay, .m_strOperation = u"never"_s};

    QTest::newRow("whole image with a version line")
        << none << versioned << qint64(versioned.size()) << true << u"2.2.0-beta"_s;
    QTest::newRow("image without a version")
        << none << plain << qint64(plain.size()) << true << u"1.0.0"_s;
    QTest::newRow("aborted after 100000 bytes")
        << CSimFault{.m_kind = EKind::DownloadAbort, .m_bytes = 100000} << versioned
        << qint64(100000) << false << u"1.0.0"_s;
    QTest::newRow("request line before reading")
        << CSimFault{.m_kind = EKind::DownloadRequestLine} << plain << qint64(plain.size()) << true
        << u"1.0.0"_s;
}

void TestSimFirmware::downloadRecordsSizeAndHash()
{
    QFETCH(CSimFault, fault);
    QFETCH(QByteArray, image);
    QFETCH(qint64, kept);
    QFETCH(bool, complete);
    QFETCH(QString, version);
    m_network.SetFault(kPlayer, fault);
    RequestUpdate(kTool);
    const auto socket = AcceptDownload();
    QVERIFY(socket);
    QCOMPARE(socket->peerAddress().toString(), kPlayer);
    if (fault.m_kind == EKind::DownloadRequestLine) {
        QVERIFY(socket->waitForReadyRead(kWaitMs));
        QCOMPARE(socket->readAll(), QByteArray("GET /firmware HTTP/1.0\r\n\r\n"));
    }
    Upload(*socket, image);
    QVERIFY(m_network.WaitForDownload(kPlayer, kWaitMs));
    const QList<CSimDownload> downloads = m_network.Downloads(kPlayer);
    QCOMPARE(downloads.size(), 1);
    QCOMPARE(downloads.first().m_size, kept);
    QCOMPARE(downloads.first().m_strSha256, Sha256(image.left(kept)));
    QCOMPARE(downloads.first().m_complete, complete);
    QCOMPARE(m_network.State(kPlayer).m_strFirmVersion, version);
}

void TestSimFirmware::stoppedReaderHoldsTheConnectionOpen()
{
    constexpr qint64 kStopAt = 200000;
    m_network.SetFault(
        kPlayer,
        CSimFault{.m_kind = EKind::DownloadStopReading, .m_holdMs = 500, .m_bytes = kStopAt});
    RequestUpdate(kTool);
    const auto socket = AcceptDownload();
    QVERIFY(socket);
    const QByteArray image = Image(32 * kMiB);
    socket->write(image);
    const QDeadlineTimer deadline(kWaitMs);
    while (!m_network.WaitForDownload(kPlayer, 0) && !deadline.hasExpired())
        socket->waitForBytesWritten(50);
    const QList<CSimDownload> downloads = m_network.Downloads(kPlayer);
    QCOMPARE(downloads.size(), 1);
    QCOMPARE(downloads.first().m_size, kStopAt);
    QCOMPARE(downloads.first().m_strSha256, Sha256(image.left(kStopAt)));
    QVERIFY(!downloads.first().m_complete);
    // The player takes nothing more, yet keeps the connection until its hold ends.
    socket->waitForBytesWritten(100);
    QCOMPARE(socket->state(), QAbstractSocket::ConnectedState);
    QVERIFY(socket->bytesToWrite() > 0);
    QVERIFY(socket->waitForDisconnected(kWaitMs));
}

void TestSimFirmware::lateDownloadStillCompletes()
{
    constexpr int kDelayMs = 300;
    m_network.SetFault(kPlayer, CSimFault{.m_kind = EKind::DownloadDelay, .m_delayMs = kDelayMs});
    QElapsedTimer timer;
    timer.start();
    RequestUpdate(kTool);
    const auto socket = AcceptDownload();
    QVERIFY(socket);
    QVERIFY2(timer.elapsed() >= kDelayMs, qPrintable(QString::number(timer.elapsed())));
    const QByteArray image = Image(4096);
    Upload(*socket, image);
    QVERIFY(m_network.WaitForDownload(kPlayer, kWaitMs));
    QCOMPARE(m_network.Downloads(kPlayer).first().m_strSha256, Sha256(image));
    QVERIFY(m_network.Downloads(kPlayer).first().m_complete);
}

KESTAVON_TEST_MAIN(TestSimFirmware)
#include "tst_simfirmware.moc"
