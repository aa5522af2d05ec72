#include <cerrno>
#include <memory>
#include <vector>

#include <QHostAddress>
#include <QSignalSpy>
#include <QTest>

#include "fileuploader.h"
#include "firmwareimage.h"
#include "firmwaresuite.h"
#include "isolatednetwork.h"
#include "plainconnection.h"
#include "testdownloader.h"
#include "updatelistener.h"
#include "uploadfile.h"
#include "uploadrecorder.h"

// Which connections the file server accepts and what each one is sent.
class TestUpdateListener : public CFirmwareSuite
{
    Q_OBJECT

private slots:
    void twoSimultaneousPlayersEachGetTheWholeFile();
    void requestLineBeforeReadingIsIgnored();
    void fileIsChosenWhenTheConnectionIsAccepted();
    void ceilingMakesPlayersWaitWithoutDroppingThem();
    void closedListenerAcceptsNothingButFinishesUploads_data();
    void closedListenerAcceptsNothingButFinishesUploads();
    void busyPortLeavesListenerNotListening();
    void closingReportsPlayersStillWaiting();
    void simultaneousDownloadsShareOneCopy();
    void abortedUploadsAreReported();

private:
    void PrepareSuite() override;

    CFirmwareImage m_image;
    CFirmwareImage m_otherImage;
};

namespace {

// Larger than what the loopback buffers hold, so a paused player keeps its
// upload in progress.
constexpr qint64 IMAGE_SIZE = 24 * 1024 * 1024;
constexpr qint64 OTHER_IMAGE_SIZE = 4096;
constexpr qint64 PAUSE_AFTER = 1024 * 1024;

} // namespace

void TestUpdateListener::PrepareSuite()
{
    QVERIFY(WriteImage(m_image, QStringLiteral("image.bin"), IMAGE_SIZE));
    QVERIFY(WriteImage(m_otherImage, QStringLiteral("other.bin"), OTHER_IMAGE_SIZE, 2));
}

void TestUpdateListener::twoSimultaneousPlayersEachGetTheWholeFile()
{
    CUploadRecorder owner;
    CUpdateListener listener(&owner, Serving(m_image.strPath));
    QSignalSpy started(&listener, &CUpdateListener::UploadStarted);
    QVERIFY(listener.Listen());

    CTestDownloader first(QStringLiteral("127.0.0.11"));
    CTestDownloader second(QStringLiteral("127.0.0.12"));
    first.Start(CUpdateListener::UPDATE_PORT);
    second.Start(CUpdateListener::UPDATE_PORT);
    QTRY_VERIFY_WITH_TIMEOUT(first.IsDone() && second.IsDone(), TRANSFER_WAIT_MS);

    // Each start names the player it serves, as its messages will.
    QCOMPARE(started.count(), 2);
    QStringList startedFor;
    for (const QList<QVariant> &arguments : std::as_const(started))
        startedFor.append(
            QHostAddress(static_cast<quint32>(arguments.first().value<qint64>())).toString());
    startedFor.sort();
    QCOMPARE(startedFor, (QStringList{QStringLiteral("127.0.0.11"), QStringLiteral("127.0.0.12")}));
    for (const CTestDownloader *player : {&first, &second}) {
        QCOMPARE(player->Received(), m_image.nSize);
        QCOMPARE(player->Sha256Hex(), m_image.sha256Hex);
    }
    // Each progress message names the player it belongs to, and each player
    // reaches the end exactly once.
    QTRY_COMPARE(owner.Progress().count(CFileUpLoader::PROGRESS_COMPLETE), 2);
    QStringList completed;
    for (qsizetype i = 0; i < owner.Progress().size(); ++i) {
        const QString player = owner.ProgressPlayers().at(i);
        QVERIFY2(player == QLatin1String("127.0.0.11") || player == QLatin1String("127.0.0.12"),
                 qPrintable(player));
        if (owner.Progress().at(i) == CFileUpLoader::PROGRESS_COMPLETE)
            completed.append(player);
    }
    completed.sort();
    QCOMPARE(completed, (QStringList{QStringLiteral("127.0.0.11"), QStringLiteral("127.0.0.12")}));
}

void TestUpdateListener::requestLineBeforeReadingIsIgnored()
{
    CUploadRecorder owner;
    CUpdateListener listener(&owner, Serving(m_image.strPath));
    QVERIFY(listener.Listen());

    CTestDownloader player(QStringLiteral("127.0.0.13"));
    player.SetRequestLine(QByteArrayLiteral("GET /firmware HTTP/1.0\r\n\r\n"));
    player.Start(CUpdateListener::UPDATE_PORT);
    QTRY_VERIFY_WITH_TIMEOUT(player.IsDone(), TRANSFER_WAIT_MS);

    QCOMPARE(player.Received(), m_image.nSize);
    QCOMPARE(player.Sha256Hex(), m_image.sha256Hex);
}

void TestUpdateListener::fileIsChosenWhenTheConnectionIsAccepted()
{
    CUploadRecorder owner;
    CUpdateListener::ImageSource chosen = Serving(m_image.strPath);
    CUpdateListener listener(&owner, [&chosen] { return chosen(); });
    QSignalSpy started(&listener, &CUpdateListener::UploadStarted);
    QVERIFY(listener.Listen());

    CTestDownloader first(QStringLiteral("127.0.0.14"));
    first.SetPauseAfter(PAUSE_AFTER);
    first.Start(CUpdateListener::UPDATE_PORT);
    QTRY_COMPARE(started.count(), 1);
    chosen = Serving(m_otherImage.strPath);
    CTestDownloader second(QStringLiteral("127.0.0.15"));
    second.Start(CUpdateListener::UPDATE_PORT);
    QTRY_VERIFY_WITH_TIMEOUT(second.IsDone(), TRANSFER_WAIT_MS);
    first.Resume();
    QTRY_VERIFY_WITH_TIMEOUT(first.IsDone(), TRANSFER_WAIT_MS);

    QCOMPARE(first.Sha256Hex(), m_image.sha256Hex);
    QCOMPARE(second.Sha256Hex(), m_otherImage.sha256Hex);
}

void TestUpdateListener::ceilingMakesPlayersWaitWithoutDroppingThem()
{
    CUploadRecorder owner;
    CUpdateListener listener(&owner, Serving(m_image.strPath));
    listener.SetMaxUploads(1);
    int nMostActive = 0;
    connect(&listener, &CUpdateListener::UploadStarted, this,
            [&] { nMostActive = std::max(nMostActive, listener.ActiveUploads()); });
    QSignalSpy started(&listener, &CUpdateListener::UploadStarted);
    QVERIFY(listener.Listen());

    CTestDownloader first(QStringLiteral("127.0.0.16"));
    first.SetPauseAfter(PAUSE_AFTER);
    first.Start(CUpdateListener::UPDATE_PORT);
    QTRY_VERIFY(first.IsPaused());
    CTestDownloader second(QStringLiteral("127.0.0.17"));
    CTestDownloader third(QStringLiteral("127.0.0.18"));
    second.Start(CUpdateListener::UPDATE_PORT);
    third.Start(CUpdateListener::UPDATE_PORT);
    // Both are connected as far as the kernel goes, yet neither is served.
    QTRY_VERIFY(second.IsConnected() && third.IsConnected());
    QCOMPARE(started.count(), 1);
    QCOMPARE(second.Received(), 0);
    QCOMPARE(third.Received(), 0);

    first.Resume();
    QTRY_VERIFY_WITH_TIMEOUT(first.IsDone() && second.IsDone() && third.IsDone(), TRANSFER_WAIT_MS);
    QCOMPARE(started.count(), 3);
    QCOMPARE(nMostActive, 1);
    for (const CTestDownloader *player : {&first, &second, &third})
        QCOMPARE(player->Sha256Hex(), m_image.sha256Hex);
}

void TestUpdateListener::closedListenerAcceptsNothingButFinishesUploads_data()
{
    QTest::addColumn<bool>("destroy");
    QTest::newRow("closed") << false;
    QTest::newRow("destroyed") << true;
}

void TestUpdateListener::closedListenerAcceptsNothingButFinishesUploads()
{
    QFETCH(bool, destroy);
    CUploadRecorder owner;
    auto listener = std::make_unique<CUpdateListener>(&owner, Serving(m_image.strPath));
    QVERIFY(listener->Listen());
    CTestDownloader running(QStringLiteral("127.0.0.19"));
    running.SetPauseAfter(PAUSE_AFTER);
    running.Start(CUpdateListener::UPDATE_PORT);
    QTRY_VERIFY(running.IsPaused());

    if (destroy)
        listener.reset();
    else
        listener->Close();
    CTestDownloader late(QStringLiteral("127.0.0.20"));
    late.Start(CUpdateListener::UPDATE_PORT);
    QTRY_VERIFY(late.IsDone());
    QCOMPARE(late.Error(), QAbstractSocket::ConnectionRefusedError);
    QCOMPARE(late.Received(), 0);

    running.Resume();
    QTRY_VERIFY_WITH_TIMEOUT(running.IsDone(), TRANSFER_WAIT_MS);
    QCOMPARE(running.Sha256Hex(), m_image.sha256Hex);
}

void TestUpdateListener::busyPortLeavesListenerNotListening()
{
    QTcpServer squatter;
    QVERIFY(squatter.listen(QHostAddress::AnyIPv4, CUpdateListener::UPDATE_PORT));
    CUploadRecorder owner;
    CUpdateListener listener(&owner, Serving(m_image.strPath));

    QVERIFY(!listener.Listen());
    QVERIFY(!listener.isListening());
    listener.Close();
    QVERIFY(owner.Failures().isEmpty());
}

// A player waiting for a slot has a connection the kernel completed; when
// serving stops, it gets a reset rather than an empty file, and the owner is
// told, while the running upload goes on to its end.
void TestUpdateListener::closingReportsPlayersStillWaiting()
{
    CUploadRecorder owner;
    CUpdateListener listener(&owner, Serving(m_image.strPath));
    listener.SetMaxUploads(1);
    QSignalSpy started(&listener, &CUpdateListener::UploadStarted);
    QVERIFY(listener.Listen());
    CTestDownloader running(QStringLiteral("127.0.0.21"));
    running.SetPauseAfter(PAUSE_AFTER);
    running.Start(CUpdateListener::UPDATE_PORT);
    QTRY_VERIFY(running.IsPaused());
    const CPlainConnection waiting(QStringLiteral("127.0.0.22"), CUpdateListener::UPDATE_PORT);
    QVERIFY(waiting.IsConnected());
    QTest::qWait(100);
    QCOMPARE(started.count(), 1);

    listener.Close();
    qint64 nReceived = 0;
    QCOMPARE(waiting.ReadToEnd(&nReceived), ECONNRESET);
    QCOMPARE(nReceived, 0);
    QCoreApplication::sendPostedEvents(&owner);
    QCOMPARE(owner.Failures(),
             QStringList{QStringLiteral(
                 "firmware download not served: the server stopped before it began")});

    running.Resume();
    QTRY_VERIFY_WITH_TIMEOUT(running.IsDone(), TRANSFER_WAIT_MS);
    QCOMPARE(running.Sha256Hex(), m_image.sha256Hex);
}

// Players updated at once cost one copy of the file, not one each: the one
// read when it was chosen, which goes when its owner lets it go.
void TestUpdateListener::simultaneousDownloadsShareOneCopy()
{
    CUploadRecorder owner;
    auto listener = std::make_unique<CUpdateListener>(&owner, Serving(m_image.strPath));
    QSignalSpy started(listener.get(), &CUpdateListener::UploadStarted);
    QVERIFY(listener->Listen());
    std::vector<std::unique_ptr<CTestDownloader>> players;
    for (const char *address : {"127.0.0.23", "127.0.0.24", "127.0.0.25", "127.0.0.26"}) {
        players.push_back(std::make_unique<CTestDownloader>(QLatin1String(address)));
        players.back()->SetPauseAfter(PAUSE_AFTER);
        players.back()->Start(CUpdateListener::UPDATE_PORT);
    }
    for (const auto &player : players)
        QTRY_VERIFY(player->IsPaused());
    QCOMPARE(started.count(), 4);
    QCOMPARE(CUploadFile::LiveCount(), 1);

    for (const auto &player : players)
        player->Resume();
    for (const auto &player : players) {
        QTRY_VERIFY_WITH_TIMEOUT(player->IsDone(), TRANSFER_WAIT_MS);
        QCOMPARE(player->Sha256Hex(), m_image.sha256Hex);
    }
    QTRY_COMPARE(CFileUpLoader::LiveCount(), 0);
    QCOMPARE(CUploadFile::LiveCount(), 1);
    listener.reset();
    QTRY_COMPARE(CUploadFile::LiveCount(), 0);
}

// A front end that stops serving may cut running uploads, but never
// silently: each is reported, and the player sees a reset, not an end.
void TestUpdateListener::abortedUploadsAreReported()
{
    CUploadRecorder owner;
    CUpdateListener listener(&owner, Serving(m_image.strPath));
    QSignalSpy ended(&listener, &CUpdateListener::AllUploadsEnded);
    QVERIFY(listener.Listen());
    CTestDownloader running(QStringLiteral("127.0.0.27"));
    running.SetPauseAfter(PAUSE_AFTER);
    running.Start(CUpdateListener::UPDATE_PORT);
    QTRY_VERIFY(running.IsPaused());
    QCOMPARE(listener.RunningUploads(), 1);

    listener.Close();
    listener.AbortUploads();
    QTRY_COMPARE(ended.count(), 1);
    QCOMPARE(listener.RunningUploads(), 0);
    QCoreApplication::sendPostedEvents(&owner);
    QCOMPARE(owner.Failures(),
             QStringList{QStringLiteral("Server Socket failed to send: %1").arg(ECANCELED)});
    QVERIFY(!owner.Progress().contains(CFileUpLoader::PROGRESS_COMPLETE));
    running.Resume();
    QTRY_VERIFY(running.IsDone());
    QVERIFY(running.Received() < m_image.nSize);
}

KESTAVON_TEST_MAIN(TestUpdateListener)
#include "tst_updatelistener.moc"
