#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTest>

#include "firmwareimage.h"
#include "firmwaresuite.h"
#include "isolatednetwork.h"
#include "uploadfile.h"

// What reading a firmware image takes and refuses: only a regular file of
// 1 byte to under 2 GiB is read, whole, and nothing else is even read from:
// a FIFO must not hold the reader waiting for a writer, a device must not
// pour endless bytes or none.
class TestUploadFile : public CFirmwareSuite
{
    Q_OBJECT

private slots:
    void onlyARegularFileIsRead_data();
    void onlyARegularFileIsRead();

private:
    void PrepareSuite() override;

    CFirmwareImage m_image;
};

namespace {

constexpr qint64 IMAGE_SIZE = 3 * 1024 * 1024 + 5;

using ELoad = CUploadFile::ELoad;

} // namespace

void TestUploadFile::PrepareSuite()
{
    QVERIFY(WriteImage(m_image, QStringLiteral("image.bin"), IMAGE_SIZE));
    QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("folder")));
    QVERIFY(::mkfifo(QFile::encodeName(m_dir.filePath(QStringLiteral("fifo"))).constData(), 0600) ==
            0);
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), m_dir.filePath(QStringLiteral("zero"))));
    QVERIFY(QFile::link(m_image.strPath, m_dir.filePath(QStringLiteral("image-link"))));
    QFile empty(m_dir.filePath(QStringLiteral("empty.bin")));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    // Sparse: no disk space is used.
    QFile huge(m_dir.filePath(QStringLiteral("huge.bin")));
    QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(CUploadFile::MAX_LENGTH + 1));
    QFile locked(m_dir.filePath(QStringLiteral("locked.bin")));
    QVERIFY(locked.open(QIODevice::WriteOnly) && locked.write("KSFW") == 4);
    QVERIFY(locked.setPermissions(QFileDevice::WriteOwner));
}

void TestUploadFile::onlyARegularFileIsRead_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<ELoad>("outcome");
    QTest::newRow("a regular file is read whole") << QStringLiteral("image.bin") << ELoad::Loaded;
    QTest::newRow("a link to one as well") << QStringLiteral("image-link") << ELoad::Loaded;
    QTest::newRow("a name that is not there") << QStringLiteral("gone.bin") << ELoad::Missing;
    QTest::newRow("no name at all") << QString() << ELoad::Missing;
    QTest::newRow("a folder is not a file") << QStringLiteral("folder") << ELoad::NotAFile;
    QTest::newRow("a FIFO is refused without waiting for a writer")
        << QStringLiteral("fifo") << ELoad::NotAFile;
    QTest::newRow("a device is not a file") << QStringLiteral("/dev/zero") << ELoad::NotAFile;
    QTest::newRow("nor is a link to one") << QStringLiteral("zero") << ELoad::NotAFile;
    QTest::newRow("an empty file has nothing to send")
        << QStringLiteral("empty.bin") << ELoad::Empty;
    QTest::newRow("2 GiB is not a firmware image") << QStringLiteral("huge.bin") << ELoad::TooLarge;
    QTest::newRow("a file the user may not read")
        << QStringLiteral("locked.bin") << ELoad::Unreadable;
}

void TestUploadFile::onlyARegularFileIsRead()
{
    QFETCH(QString, path);
    QFETCH(ELoad, outcome);
    if (outcome == ELoad::Unreadable && ::geteuid() == 0)
        QSKIP("root reads any file");
    const QString full = path.isEmpty() || QDir::isAbsolutePath(path) ? path : m_dir.filePath(path);
    ELoad loaded = ELoad::Loaded;
    const std::shared_ptr<const CUploadFile> image = CUploadFile::Load(full, &loaded);
    QCOMPARE(loaded, outcome);
    QCOMPARE(bool(image), outcome == ELoad::Loaded);
    if (!image)
        return;
    QCOMPARE(image->Size(), m_image.nSize);
    QCOMPARE(QCryptographicHash::hash(QByteArrayView(image->Data(), image->Size()),
                                      QCryptographicHash::Sha256)
                 .toHex(),
             m_image.sha256Hex);
}

KESTAVON_TEST_MAIN(TestUploadFile)
#include "tst_uploadfile.moc"
