#include <QTest>

#include "fileuploader.h"
#include "firmwareimage.h"
#include "firmwaresuite.h"
#include "isolatednetwork.h"
#include "testdownloader.h"
#include "updatelistener.h"
#include "uploadrecorder.h"

// What the owner sees of an upload: one progress message per send that took
// bytes, rising to 500 exactly when the last byte has gone.
class TestUploadProgress : public CFirmwareSuite
{
    Q_OBJECT

private slots:
    void progressOf_data();
    void progressOf();
    void smallFileGivesOneProgressOf500();
    void largeFileArrivesWholeAndCompletesOnlyAtTheEnd();
};

namespace {

// Far beyond the loopback socket buffers, so the file takes many sends.
constexpr qint64 LARGE_FILE_SIZE = 24 * 1024 * 1024 + 7;
constexpr qint64 SMALL_FILE_SIZE = 1000;

} // namespace

void TestUploadProgress::progressOf_data()
{
    QTest::addColumn<qint64>("sent");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<qint64>("progress");

    constexpr qint64 sixteenMiB = 16 * 1024 * 1024;
    constexpr qint64 largest = CFileUpLoader::MAX_FILE_LENGTH;
    QTest::newRow("nothing yet") << qint64{0} << qint64{1000} << qint64{0};
    QTest::newRow("600 of 1000") << qint64{600} << qint64{1000} << qint64{300};
    QTest::newRow("1000 of 1000") << qint64{1000} << qint64{1000} << qint64{500};
    QTest::newRow("one byte file") << qint64{1} << qint64{1} << qint64{500};
    QTest::newRow("one short of 16 MiB") << sixteenMiB - 1 << sixteenMiB << qint64{499};
    QTest::newRow("all of 16 MiB") << sixteenMiB << sixteenMiB << qint64{500};
    QTest::newRow("one short of the largest") << largest - 1 << largest << qint64{499};
    QTest::newRow("all of the largest") << largest << largest << qint64{500};
}

void TestUploadProgress::progressOf()
{
    QFETCH(qint64, sent);
    QFETCH(qint64, total);
    QFETCH(qint64, progress);
    QCOMPARE(CFileUpLoader::ProgressOf(sent, total), progress);
}

void TestUploadProgress::smallFileGivesOneProgressOf500()
{
    const auto image =
        CFirmwareImage::Write(m_dir.filePath(QStringLiteral("small.bin")), SMALL_FILE_SIZE);
    CUploadRecorder owner;
    CUpdateListener listener(&owner, Serving(image.strPath));
    QVERIFY(listener.Listen());

    CTestDownloader player(QStringLiteral("127.0.0.5"));
    player.Start(CUpdateListener::UPDATE_PORT);
    QTRY_VERIFY_WITH_TIMEOUT(player.IsDone(), TRANSFER_WAIT_MS);
    QTRY_COMPARE(CFileUpLoader::LiveCount(), 0);
    QCoreApplication::sendPostedEvents(&owner);

    QCOMPARE(player.Received(), SMALL_FILE_SIZE);
    QCOMPARE(player.Sha256Hex(), image.sha256Hex);
    QCOMPARE(owner.Progress(), QList<qint64>{CFileUpLoader::PROGRESS_COMPLETE});
    QVERIFY(owner.Failures().isEmpty());
}

void TestUploadProgress::largeFileArrivesWholeAndCompletesOnlyAtTheEnd()
{
    const auto image =
        CFirmwareImage::Write(m_dir.filePath(QStringLiteral("large.bin")), LARGE_FILE_SIZE);
    CUploadRecorder owner;
    CUpdateListener listener(&owner, Serving(image.strPath));
    QVERIFY(listener.Listen());

    CTestDownloader player(QStringLiteral("127.0.0.6"));
    player.Start(CUpdateListener::UPDATE_PORT);
    QTRY_VERIFY_WITH_TIMEOUT(player.IsDone(), TRANSFER_WAIT_MS);
    QTRY_COMPARE(CFileUpLoader::LiveCount(), 0);
    QCoreApplication::sendPostedEvents(&owner);

    QCOMPARE(player.Received(), image.nSize);
    QCOMPARE(player.Sha256Hex(), image.sha256Hex);
    QVERIFY(owner.Failures().isEmpty());
    const QList<qint64> progress = owner.Progress();
    QVERIFY2(progress.size() > 1, "the file should take more than one send");
    QCOMPARE(progress.last(), CFileUpLoader::PROGRESS_COMPLETE);
    for (qsizetype i = 1; i < progress.size(); ++i) {
        QVERIFY(progress[i - 1] <= progress[i]);
        QVERIFY(progress[i - 1] < CFileUpLoader::PROGRESS_COMPLETE);
    }
}

KESTAVON_TEST_MAIN(TestUploadProgress)
#include "tst_uploadprogress.moc"
