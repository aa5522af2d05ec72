#include <QTest>

#include "isolatednetwork.h"
#include "simrequestreader.h"

using EStatus = CSimRequestReader::EStatus;

namespace {

const QByteArray kBody =
    QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><Tavrion api=\"1.0.1\" "
                      "operation=\"getDeviceName\"></Tavrion>");

QByteArray Header(const QByteArray &contentLength)
{
    return "POST /TavrionAPI HTTP/1.1\r\nContent-Length: " + contentLength +
           "\r\nContent-Type: text/plain; charset=UTF-8\r\nHost: 127.0.0.1:10015\r\n"
           "Connection: Keep-Alive\r\n\r\n";
}

} // namespace

class TestSimRequestReader : public QObject
{
    Q_OBJECT

private slots:
    void readsWholeRequestFromAnyPieces_data();
    void readsWholeRequestFromAnyPieces();
    void rejectsRequestsBeyondItsLimits_data();
    void rejectsRequestsBeyondItsLimits();
};

void TestSimRequestReader::readsWholeRequestFromAnyPieces_data()
{
    QTest::addColumn<int>("pieceSize");
    QTest::addColumn<QByteArray>("trailing");
    QTest::newRow("one piece") << 100000 << QByteArray();
    QTest::newRow("byte by byte") << 1 << QByteArray();
    QTest::newRow("pieces cut across the empty line") << 7 << QByteArray();
    QTest::newRow("bytes after the body are not part of it") << 100000 << QByteArray("\r\n");
}

void TestSimRequestReader::readsWholeRequestFromAnyPieces()
{
    QFETCH(int, pieceSize);
    QFETCH(QByteArray, trailing);
    const QByteArray request = Header(QByteArray::number(kBody.size())) + kBody;
    const QByteArray sent = request + trailing;
    CSimRequestReader reader;
    EStatus status = EStatus::NeedMore;
    for (qsizetype at = 0; at < sent.size(); at += pieceSize) {
        QCOMPARE(status, EStatus::NeedMore);
        status = reader.Feed(sent.mid(at, pieceSize));
    }
    QCOMPARE(status, EStatus::Complete);
    QCOMPARE(reader.Body(), kBody);
    QCOMPARE(reader.Raw(), request);
}

void TestSimRequestReader::rejectsRequestsBeyondItsLimits_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::newRow("no Content-Length") << QByteArray("POST / HTTP/1.1\r\nHost: x\r\n\r\n") + kBody;
    QTest::newRow("Content-Length not a number") << Header("9x") + kBody;
    QTest::newRow("Content-Length negative") << Header("-1") + kBody;
    QTest::newRow("Content-Length twice")
        << QByteArray("POST / HTTP/1.1\r\nContent-Length: 1\r\ncontent-length: 1\r\n\r\nx");
    QTest::newRow("body over 64 KiB") << Header(QByteArray::number(64 * 1024 + 1));
    QTest::newRow("header over 8 KiB without an end")
        << QByteArray("POST / HTTP/1.1\r\nX: ") + QByteArray(8 * 1024, 'a');
    QTest::newRow("header over 8 KiB")
        << QByteArray("POST / HTTP/1.1\r\nX: ") + QByteArray(8 * 1024, 'a') +
               "\r\nContent-Length: " + QByteArray::number(kBody.size()) + "\r\n\r\n" + kBody;
}

void TestSimRequestReader::rejectsRequestsBeyondItsLimits()
{
    QFETCH(QByteArray, request);
    CSimRequestReader reader;
    QCOMPARE(reader.Feed(request), EStatus::Failed);
    QVERIFY(reader.Body().isEmpty());
    QCOMPARE(reader.Feed(kBody), EStatus::Failed);
}

KESTAVON_TEST_MAIN(TestSimRequestReader)
#include "tst_simrequestreader.moc"
