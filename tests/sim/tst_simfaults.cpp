#include <pugixml.hpp>

#include <QElapsedTimer>
#include <QTest>

#include "isolatednetwork.h"
#include "simnetwork.h"
#include "simtestclient.h"

using namespace Qt::StringLiterals;
using EKind = CSimFault::EKind;
using SimTestClient::CReply;

Q_DECLARE_METATYPE(CSimFault)

namespace {

const QString kPlayer = u"127.0.0.2"_s;
const QByteArray kNormal =
    SimTestClient::Reply(u"getDeviceName"_s, "<devicename>Living Room</devicename>");

// What a client sees of one getDeviceName under the fault.
enum class ECheck
{
    SameBytesInSeveralReads,
    LastReadIsRionEnd,
    ExactBytes,
    NotWellFormed,
    RootIsResponse,
    Oversized,
    ClosedWithoutBytes,
    OpenWithoutBytes,
};

QString Problem(ECheck check, const CReply &reply, const QByteArray &expected)
{
    const QByteArray all = reply.All();
    pugi::xml_document document;
    const bool parsed = document.load_buffer(all.constData(), static_cast<size_t>(all.size()));
    switch (check) {
    case ECheck::SameBytesInSeveralReads:
        if (reply.m_reads.size() < 2 || all != kNormal)
            return u"%1 reads: %2"_s.arg(reply.m_reads.size()).arg(QString::fromUtf8(all));
        return {};
    case ECheck::LastReadIsRionEnd:
        if (reply.m_reads.size() < 2 || reply.m_reads.last() != "rion>" || all != kNormal)
            return u"reads: %1"_s.arg(QString::fromUtf8(reply.m_reads.join('|')));
        return {};
    case ECheck::ExactBytes:
        return all == expected ? QString() : QString::fromUtf8(all);
    case ECheck::NotWellFormed:
        return parsed || !reply.m_closedByPeer ? QString::fromUtf8(all) : QString();
    case ECheck::RootIsResponse:
        return parsed && document.document_element().name() == std::string("Response")
                   ? QString()
                   : QString::fromUtf8(all);
    case ECheck::Oversized:
        return all.size() > 2 * 1024 * 1024 && all.endsWith("</Tavrion>") && parsed
                   ? QString()
                   : u"%1 bytes"_s.arg(all.size());
    case ECheck::ClosedWithoutBytes:
        return all.isEmpty() && reply.m_closedByPeer ? QString() : u"not closed at once"_s;
    case ECheck::OpenWithoutBytes:
        return all.isEmpty() && !reply.m_closedByPeer ? QString() : u"answered or closed"_s;
    }
    return u"unknown check"_s;
}

CSimFault Fault(EKind kind)
{
    return CSimFault{.m_kind = kind};
}

} // namespace

Q_DECLARE_METATYPE(ECheck)

class TestSimFaults : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void faultIsVisibleToTheClient_data();
    void faultIsVisibleToTheClient();
    void delayHoldsTheReplyBack();
    void refusesConnectionsUntilCleared();
    void faultHitsOnlyItsOperationAndOnlyCountTimes();

private:
    CSimNetwork m_network;
};

void TestSimFaults::init()
{
    CSimPlayerConfig player = CSimPlayerConfig::ForAddress(kPlayer);
    player.m_strName = u"Living Room"_s;
    QString error;
    QVERIFY2(m_network.Start({player}, &error), qPrintable(error));
}

void TestSimFaults::cleanup()
{
    m_network.Stop();
}

void TestSimFaults::faultIsVisibleToTheClient_data()
{
    QTest::addColumn<CSimFault>("fault");
    QTest::addColumn<int>("clientTimeoutMs");
    QTest::addColumn<ECheck>("check");
    QTest::addColumn<QByteArray>("expected");
    const int wait = SimTestClient::kTimeoutMs;
    const QByteArray noErrcode = QByteArray(kNormal).replace(" errcode=\"1\"", "");

    QTest::newRow("pieces") << CSimFault{.m_kind = EKind::Pieces, .m_pieceSize = 9, .m_pauseMs = 50}
                            << wait << ECheck::SameBytesInSeveralReads << QByteArray();
    QTest::newRow("closing tag split") << CSimFault{.m_kind = EKind::SplitEndTag, .m_pauseMs = 200}
                                       << wait << ECheck::LastReadIsRionEnd << QByteArray();
    QTest::newRow("errcode 01") << CSimFault{.m_kind = EKind::Errcode, .m_text = u"01"_s} << wait
                                << ECheck::ExactBytes
                                << QByteArray(kNormal).replace("errcode=\"1\"", "errcode=\"01\"");
    QTest::newRow("errcode space 1")
        << CSimFault{.m_kind = EKind::Errcode, .m_text = u" 1"_s} << wait << ECheck::ExactBytes
        << QByteArray(kNormal).replace("errcode=\"1\"", "errcode=\" 1\"");
    QTest::newRow("no errcode") << Fault(EKind::NoErrcode) << wait << ECheck::ExactBytes
                                << noErrcode;
    QTest::newRow("text before the declaration")
        << Fault(EKind::PrefixText) << wait << ECheck::ExactBytes
        << "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\n\r\n" + kNormal;
    QTest::newRow("malformed") << Fault(EKind::MalformedXml) << wait << ECheck::NotWellFormed
                               << QByteArray();
    QTest::newRow("wrong root") << Fault(EKind::WrongRoot) << wait << ECheck::RootIsResponse
                                << QByteArray();
    QTest::newRow("ends with deviceInfo")
        << Fault(EKind::DeviceInfoEndTag) << wait << ECheck::ExactBytes
        << QByteArray(kNormal).replace("</Tavrion>", "</deviceInfo>");
    QTest::newRow("oversized") << Fault(EKind::Oversized) << wait << ECheck::Oversized
                               << QByteArray();
    QTest::newRow("close without reply")
        << Fault(EKind::CloseWithoutReply) << wait << ECheck::ClosedWithoutBytes << QByteArray();
    QTest::newRow("never answer") << Fault(EKind::NoAnswer) << 500 << ECheck::OpenWithoutBytes
                                  << QByteArray();
    QTest::newRow("never answer, held at most holdMs")
        << CSimFault{.m_kind = EKind::NoAnswer, .m_holdMs = 100} << wait
        << ECheck::ClosedWithoutBytes << QByteArray();
}

void TestSimFaults::faultIsVisibleToTheClient()
{
    QFETCH(CSimFault, fault);
    QFETCH(int, clientTimeoutMs);
    QFETCH(ECheck, check);
    QFETCH(QByteArray, expected);
    m_network.SetFault(kPlayer, fault);
    const CReply reply =
        SimTestClient::Exchange(kPlayer, SimTestClient::kCommandPort,
                                SimTestClient::Request(u"getDeviceName"_s), clientTimeoutMs);
    QVERIFY(reply.m_connected);
    const QString problem = Problem(check, reply, expected);
    QVERIFY2(problem.isEmpty(), qPrintable(problem.left(300)));
    // The command itself was carried out and recorded all the same.
    QCOMPARE(m_network.ReceivedRequests(kPlayer).size(), 1);
}

void TestSimFaults::delayHoldsTheReplyBack()
{
    constexpr int kDelayMs = 300;
    m_network.SetFault(kPlayer, CSimFault{.m_kind = EKind::Delay, .m_delayMs = kDelayMs});
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(SimTestClient::Command(kPlayer, u"getDeviceName"_s), kNormal);
    QVERIFY2(timer.elapsed() >= kDelayMs, qPrintable(QString::number(timer.elapsed())));
}

void TestSimFaults::refusesConnectionsUntilCleared()
{
    m_network.SetFault(kPlayer, Fault(EKind::Refuse));
    const CReply refused = SimTestClient::Exchange(kPlayer, SimTestClient::kCommandPort,
                                                   SimTestClient::Request(u"getDeviceName"_s));
    QVERIFY(!refused.m_connected);
    QCOMPARE(refused.m_connectError, QAbstractSocket::ConnectionRefusedError);
    m_network.ClearFaults(kPlayer);
    QCOMPARE(SimTestClient::Command(kPlayer, u"getDeviceName"_s), kNormal);
}

void TestSimFaults::faultHitsOnlyItsOperationAndOnlyCountTimes()
{
    const QByteArray wifiOn = SimTestClient::Reply(u"getWifiOnOff"_s, "<wifionoff>ON</wifionoff>");
    m_network.SetFault(
        kPlayer,
        CSimFault{.m_kind = EKind::Errcode, .m_strOperation = u"getWifiOnOff"_s, .m_count = 2});
    QCOMPARE(SimTestClient::Command(kPlayer, u"getDeviceName"_s), kNormal);
    const QByteArray failed = QByteArray(wifiOn).replace("errcode=\"1\"", "errcode=\"0\"");
    QCOMPARE(SimTestClient::Command(kPlayer, u"getWifiOnOff"_s), failed);
    QCOMPARE(SimTestClient::Command(kPlayer, u"getWifiOnOff"_s), failed);
    QCOMPARE(SimTestClient::Command(kPlayer, u"getWifiOnOff"_s), wifiOn);
}

KESTAVON_TEST_MAIN(TestSimFaults)
#include "tst_simfaults.moc"
