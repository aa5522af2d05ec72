#include <atomic>
#include <memory>
#include <thread>

#include <QSignalSpy>
#include <QTest>

#include "fileuploader.h"
#include "firmwareimage.h"
#include "firmwaresuite.h"
#include "isolatednetwork.h"
#include "ownerlink.h"
#include "postedmessage.h"
#include "testdownloader.h"
#include "updatelistener.h"
#include "uploadrecorder.h"

// The owner may go while uploads run: they must finish for the player and
// never post to the dead owner.
class TestOwnerLifetime : public CFirmwareSuite
{
    Q_OBJECT

private slots:
    void linkPostsToALiveOwner();
    void linkDropsPostsOnceTheOwnerIsDestroyed();
    void postingRacesWithTheOwnersDestruction();
    void uploadOutlivesItsOwner_data();
    void uploadOutlivesItsOwner();

private:
    void PrepareSuite() override;

    CFirmwareImage m_image;
};

namespace {

// Larger than what the loopback buffers hold, so a paused player keeps its
// upload in progress.
constexpr qint64 IMAGE_SIZE = 24 * 1024 * 1024;
constexpr qint64 PAUSE_AFTER = 1024 * 1024;
// The poster runs until the owner's destruction stops it; this only bounds
// the test if that never happens.
constexpr int MAX_RACING_POSTS = 1000000;
constexpr int POSTS_AFTER_REFUSAL = 1000;

} // namespace

void TestOwnerLifetime::PrepareSuite()
{
    QVERIFY(WriteImage(m_image, QStringLiteral("image.bin"), IMAGE_SIZE));
}

void TestOwnerLifetime::linkPostsToALiveOwner()
{
    CUploadRecorder owner;
    const auto link = COwnerLink::Create(&owner);

    QVERIFY(link->Post(WM_UPLOAD_PROGRESS, 250));
    QVERIFY(link->Post(WM_UPLOAD_FAILED, 0, 0, QStringLiteral("File open fail:")));
    QCoreApplication::sendPostedEvents(&owner);

    QCOMPARE(owner.Progress(), QList<qint64>{250});
    QCOMPARE(owner.Failures(), QStringList{QStringLiteral("File open fail:")});
}

void TestOwnerLifetime::linkDropsPostsOnceTheOwnerIsDestroyed()
{
    auto owner = std::make_unique<CUploadRecorder>();
    const auto link = COwnerLink::Create(owner.get());
    owner.reset();

    QVERIFY(!link->Post(WM_UPLOAD_PROGRESS, 500));
    QVERIFY(!COwnerLink::Create(nullptr)->Post(WM_UPLOAD_PROGRESS, 500));
}

// A thread posts without pause while the owner is destroyed here: once a post
// has been refused, none may get through again (the sanitizer builds would
// also catch a post reaching freed memory).
void TestOwnerLifetime::postingRacesWithTheOwnersDestruction()
{
    auto owner = std::make_unique<CUploadRecorder>();
    const auto link = COwnerLink::Create(owner.get());
    std::atomic<bool> bPosting{false};
    std::atomic<bool> bRefused{false};
    std::atomic<int> nPostedAfterRefusal{0};
    std::thread poster([&] {
        int nPosted = 0;
        while (nPosted < MAX_RACING_POSTS && link->Post(WM_UPLOAD_PROGRESS, nPosted % 500)) {
            ++nPosted;
            bPosting = true;
        }
        bRefused = nPosted < MAX_RACING_POSTS;
        for (int i = 0; i < POSTS_AFTER_REFUSAL; ++i)
            nPostedAfterRefusal += link->Post(WM_UPLOAD_PROGRESS, 0) ? 1 : 0;
    });
    QTRY_VERIFY(bPosting.load());
    owner.reset();
    poster.join();

    QVERIFY(bRefused.load());
    QCOMPARE(nPostedAfterRefusal.load(), 0);
}

void TestOwnerLifetime::uploadOutlivesItsOwner_data()
{
    QTest::addColumn<bool>("listenerIsOwned");
    // The way the firmware dialog holds it: the listener goes with the owner.
    QTest::newRow("listener goes with the owner") << true;
    QTest::newRow("listener outlives the owner") << false;
}

void TestOwnerLifetime::uploadOutlivesItsOwner()
{
    QFETCH(bool, listenerIsOwned);
    auto owner = std::make_unique<CUploadRecorder>();
    auto *pListener = new CUpdateListener(owner.get(), Serving(m_image.strPath),
                                          listenerIsOwned ? owner.get() : nullptr);
    const std::unique_ptr<CUpdateListener> outliving(listenerIsOwned ? nullptr : pListener);
    QVERIFY(pListener->Listen());
    CTestDownloader player(QStringLiteral("127.0.0.41"));
    player.SetPauseAfter(PAUSE_AFTER);
    player.Start(CUpdateListener::UPDATE_PORT);
    QTRY_VERIFY(player.IsPaused());
    QTRY_VERIFY(!owner->Progress().isEmpty());
    QVERIFY(!owner->Progress().contains(CFileUpLoader::PROGRESS_COMPLETE));
    QCOMPARE(CFileUpLoader::LiveCount(), 1);

    owner.reset();
    player.Resume();
    QTRY_VERIFY_WITH_TIMEOUT(player.IsDone(), TRANSFER_WAIT_MS);
    QTRY_COMPARE(CFileUpLoader::LiveCount(), 0);

    QCOMPARE(player.Received(), m_image.nSize);
    QCOMPARE(player.Sha256Hex(), m_image.sha256Hex);
}

KESTAVON_TEST_MAIN(TestOwnerLifetime)
#include "tst_ownerlifetime.moc"
