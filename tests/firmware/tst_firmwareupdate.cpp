#include <QTest>
#include <QThread>

#include "fileuploader.h"
#include "firmwareimage.h"
#include "firmwaresuite.h"
#include "isolatednetwork.h"
#include "setupmanager.h"
#include "simnetwork.h"
#include "updatelistener.h"
#include "uploadrecorder.h"

// A whole firmware update the way the dialog drives it: the file server
// listens, the manager sends "updateFirmware" with the PC's address, and the
// reference player downloads the image from us.
class TestFirmwareUpdate : public CFirmwareSuite
{
    Q_OBJECT

private slots:
    void playerDownloadsTheChosenFile();

private:
    void PrepareSuite() override;

    CSimNetwork m_network;
};

namespace {

const QString PLAYER = QStringLiteral("127.0.0.2");
// Several sends' worth, so progress is reported along the way.
constexpr qint64 IMAGE_SIZE = 12 * 1024 * 1024 + 3;

// Players answer within milliseconds here; a tenth of each of the manager's
// waits keeps its polling order while the test stays quick.
void ShortWait(int milliseconds)
{
    QThread::msleep(static_cast<unsigned long>(milliseconds / 10));
}

} // namespace

void TestFirmwareUpdate::PrepareSuite()
{
    QString error;
    QVERIFY2(m_network.Start({CSimPlayerConfig::ForAddress(PLAYER)}, &error), qPrintable(error));
}

void TestFirmwareUpdate::playerDownloadsTheChosenFile()
{
    const auto image =
        CFirmwareImage::Write(m_dir.filePath(QStringLiteral("firmware.bin")), IMAGE_SIZE);
    QVERIFY(!image.sha256Hex.isEmpty());
    CUploadRecorder dialog;
    CUpdateListener listener(&dialog, Serving(image.strPath));
    QVERIFY(listener.Listen());

    CSetupManager manager;
    manager.SetWaitFunction(ShortWait);
    QCOMPARE(manager.StartDiscovery(), 1);
    QCOMPARE(manager.RefreshDevices(), 1);
    const QList<CDeviceSummary> devices = manager.GetDevices();
    QCOMPARE(devices.size(), 1);
    QCOMPARE(manager.SelectDevice(devices.first().name, PLAYER), 1);
    QCOMPARE(manager.UpdateFirmware(), 1);

    // The server accepts on this thread, so wait with the event loop running.
    QTRY_COMPARE_WITH_TIMEOUT(m_network.Downloads(PLAYER).size(), 1, TRANSFER_WAIT_MS);
    QTRY_COMPARE(CFileUpLoader::LiveCount(), 0);
    QCoreApplication::sendPostedEvents(&dialog);
    const CSimDownload download = m_network.Downloads(PLAYER).first();
    QVERIFY(download.m_complete);
    QCOMPARE(download.m_size, image.nSize);
    QCOMPARE(download.m_strSha256, QString::fromLatin1(image.sha256Hex));
    QVERIFY(dialog.Failures().isEmpty());
    QVERIFY(!dialog.Progress().isEmpty());
    QCOMPARE(dialog.Progress().last(), CFileUpLoader::PROGRESS_COMPLETE);
    manager.StopDiscovery();
}

KESTAVON_TEST_MAIN(TestFirmwareUpdate)
#include "tst_firmwareupdate.moc"
