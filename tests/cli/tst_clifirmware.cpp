#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include <sys/stat.h>

#include <QCryptographicHash>
#include <QFile>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include "clirun.h"
#include "expectedrequest.h"
#include "isolatednetwork.h"
#include "plainconnection.h"
#include "simnetwork.h"

namespace {

const QStringList PLAYERS = {QStringLiteral("127.0.0.2"), QStringLiteral("127.0.0.3"),
                             QStringLiteral("127.0.0.4")};
constexpr quint16 FIRMWARE_PORT = 10017;
// Larger than one send, so every upload reports progress more than once.
constexpr qsizetype IMAGE_SIZE = 3 * 1024 * 1024 + 17;
// Larger than what the kernel buffers on a loopback connection, so a player
// that stops reading cannot have the whole file.
constexpr qsizetype STALLED_IMAGE_SIZE = 48 * 1024 * 1024;
constexpr qint64 STALL_AFTER_BYTES = 64 * 1024;
// Seconds; loopback delivers the image in well under one.
const QString DOWNLOAD_TIMEOUT = QStringLiteral("30");
// The players' downloads end by the time the program does; this only bounds
// the wait for the simulator to record them.
constexpr int DOWNLOAD_RECORD_TIMEOUT_MS = 10000;

QByteArray RandomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(size);
    for (char &byte : bytes)
        byte = static_cast<char>(generator.bounded(256));
    return bytes;
}

QStringList WithPlayers(const QStringList &players)
{
    QStringList arguments;
    for (const QString &player : players)
        arguments << QStringLiteral("--player") << player;
    return arguments;
}

} // namespace

// firmware serves the file, tells every player to fetch it and waits until
// each has all of it, checked by the players themselves (size and SHA-256).
class TestCliFirmware : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void threePlayersAtOnceGetTheWholeFile();
    void unreachablePlayerFailsTheOthersComplete();
    void playerBreakingOffFails();
    void playerStoppingFailsAtTheTimeout();
    void nothingIsSentWhenTheFileCannotBeServed();
    void downloadStillRunningAtTheEndIsReported();
    void expectedVersionIsReadBackAfterTheReboot_data();
    void expectedVersionIsReadBackAfterTheReboot();
    void expectedVersionWithAllReportsItInJson();
    void imageChangedAfterTheCheckChangesNothing_data();
    void imageChangedAfterTheCheckChangesNothing();
    void fifoOrDeviceIsRefusedAtOnce_data();
    void fifoOrDeviceIsRefusedAtOnce();

private:
    QString WriteImage(const QString &name, const QByteArray &bytes);
    // Replaces path, as an atomic rename, by another image, a FIFO no one
    // writes to or a link to /dev/zero; or removes it ("none").
    bool Replace(const QString &path, const QString &replacement);
    // A plan that updates the first player with the image at path.
    QString WriteFirmwarePlan(const QString &path);

    QTemporaryDir m_dir;
    CSimNetwork m_network;
};

void TestCliFirmware::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TestCliFirmware::init()
{
    QList<CSimPlayerConfig> players;
    for (const QString &player : PLAYERS)
        players.append(CSimPlayerConfig::ForAddress(player));
    QString error;
    QVERIFY2(m_network.Start(players, &error), qPrintable(error));
}

QString TestCliFirmware::WriteImage(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir.filePath(name);
    // Never written through: an earlier case may have left a FIFO there.
    QFile::remove(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

void TestCliFirmware::threePlayersAtOnceGetTheWholeFile()
{
    const QByteArray image = RandomBytes(IMAGE_SIZE);
    const QString path = WriteImage(QStringLiteral("image.bin"), image);
    QVERIFY(!path.isEmpty());
    const QString sha256 =
        QString::fromLatin1(QCryptographicHash::hash(image, QCryptographicHash::Sha256).toHex());

    const CCliRun run = CCliRun::Run(
        QStringList{QStringLiteral("--json"), QStringLiteral("--parallel"), QStringLiteral("3")} +
        WithPlayers(PLAYERS) +
        QStringList{QStringLiteral("firmware"), path, QStringLiteral("--timeout"),
                    DOWNLOAD_TIMEOUT});
    QVERIFY2(run.m_nExitCode == 0, run.Describe());
    QCOMPARE(run.m_strErr, QString());
    const QJsonArray entries = run.Json();
    QCOMPARE(entries.size(), PLAYERS.size());
    for (qsizetype i = 0; i < PLAYERS.size(); ++i) {
        const QString &player = PLAYERS.at(i);
        const QJsonObject entry = entries.at(i).toObject();
        QCOMPARE(entry.value(QStringLiteral("player")).toString(), player);
        QCOMPARE(entry.value(QStringLiteral("ok")), QJsonValue(true));
        QCOMPARE(entry.value(QStringLiteral("result")).toObject(),
                 (QJsonObject{{QStringLiteral("downloadip"), QStringLiteral("127.0.0.1")},
                              {QStringLiteral("size"), IMAGE_SIZE}}));

        QCOMPARE(m_network.ReceivedRequests(player),
                 QList<QByteArray>{ExpectedRequest(QStringLiteral("updateFirmware"),
                                                   QStringLiteral("<downloadip>127.0.0.1"
                                                                  "</downloadip>"))});
        QVERIFY(m_network.WaitForDownload(player, DOWNLOAD_RECORD_TIMEOUT_MS));
        const QList<CSimDownload> downloads = m_network.Downloads(player);
        QCOMPARE(downloads.size(), 1);
        QVERIFY(downloads.first().m_complete);
        QCOMPARE(downloads.first().m_size, IMAGE_SIZE);
        QCOMPARE(downloads.first().m_strSha256, sha256);
    }
}

void TestCliFirmware::unreachablePlayerFailsTheOthersComplete()
{
    CSimFault refuse;
    refuse.m_kind = CSimFault::EKind::Refuse;
    m_network.SetFault(PLAYERS.at(1), refuse);
    const QString path = WriteImage(QStringLiteral("small.bin"), RandomBytes(IMAGE_SIZE));

    const CCliRun run = CCliRun::Run(
        WithPlayers(PLAYERS) +
        QStringList{QStringLiteral("firmware"), path, QStringLiteral("--local-ip"),
                    QStringLiteral("127.0.0.1"), QStringLiteral("--timeout"), DOWNLOAD_TIMEOUT});
    QCOMPARE(run.m_nExitCode, 1);
    QCOMPARE(run.m_strErr, PLAYERS.at(1) + QStringLiteral(": error: socket connection failed\n"));
    QCOMPARE(run.m_strOut,
             PLAYERS.at(0) + QStringLiteral(": ok\n") + PLAYERS.at(2) + QStringLiteral(": ok\n"));
    QCOMPARE(m_network.Downloads(PLAYERS.at(1)).size(), 0);
    QVERIFY(m_network.WaitForDownload(PLAYERS.at(2), DOWNLOAD_RECORD_TIMEOUT_MS));
    QCOMPARE(m_network.Downloads(PLAYERS.at(2)).first().m_size, IMAGE_SIZE);
}

void TestCliFirmware::playerBreakingOffFails()
{
    CSimFault abort;
    abort.m_kind = CSimFault::EKind::DownloadAbort;
    abort.m_bytes = STALL_AFTER_BYTES;
    m_network.SetFault(PLAYERS.first(), abort);
    const QString path = WriteImage(QStringLiteral("large.bin"), RandomBytes(STALLED_IMAGE_SIZE));

    const CCliRun run = CCliRun::Run(WithPlayers({PLAYERS.first()}) +
                                     QStringList{QStringLiteral("firmware"), path});
    QCOMPARE(run.m_nExitCode, 1);
    QVERIFY2(run.m_strErr.startsWith(PLAYERS.first() +
                                     QStringLiteral(": Server Socket failed to send: ")),
             run.Describe());
    QCOMPARE(run.m_strOut, QString());
}

void TestCliFirmware::playerStoppingFailsAtTheTimeout()
{
    CSimFault stop;
    stop.m_kind = CSimFault::EKind::DownloadStopReading;
    stop.m_bytes = STALL_AFTER_BYTES;
    m_network.SetFault(PLAYERS.first(), stop);
    const QString path = WriteImage(QStringLiteral("large.bin"), RandomBytes(STALLED_IMAGE_SIZE));

    const CCliRun run =
        CCliRun::Run(WithPlayers({PLAYERS.first()}) +
                     QStringList{QStringLiteral("--json"), QStringLiteral("firmware"), path,
                                 QStringLiteral("--timeout"), QStringLiteral("0.5")});
    QCOMPARE(run.m_nExitCode, 1);
    const QJsonObject entry = run.Json().first().toObject();
    QCOMPARE(entry.value(QStringLiteral("ok")), QJsonValue(false));
    QCOMPARE(entry.value(QStringLiteral("error")).toString(),
             QStringLiteral("firmware download not complete after 0.5 s"));
}

void TestCliFirmware::nothingIsSentWhenTheFileCannotBeServed()
{
    QTcpServer squatter;
    QVERIFY(squatter.listen(QHostAddress::AnyIPv4, FIRMWARE_PORT));
    const QString path = WriteImage(QStringLiteral("small.bin"), RandomBytes(IMAGE_SIZE));

    const CCliRun run =
        CCliRun::Run(WithPlayers(PLAYERS) + QStringList{QStringLiteral("firmware"), path});
    QCOMPARE(run.m_nExitCode, 1);
    QCOMPARE(run.m_strErr,
             QStringLiteral("kestavon-cli: cannot serve the firmware: TCP port 10017 is in use "
                            "by tst_clifirmware (pid %1)\n")
                 .arg(QCoreApplication::applicationPid()));
    QCOMPARE(run.m_strOut, QString());
    for (const QString &player : PLAYERS)
        QCOMPARE(m_network.ReceivedRequests(player), QList<QByteArray>());
}

// A download nobody waits for (another host, say) that is still running when
// the program ends is cut, and the cut is reported: ending the process must
// not end it silently.
void TestCliFirmware::downloadStillRunningAtTheEndIsReported()
{
    // Small enough for the player to have it quickly even in a sanitizer
    // build; larger than a receive buffer that is never read, so the
    // stranger's upload is still running when the time-out ends the wait.
    const QString path = WriteImage(QStringLiteral("small.bin"), RandomBytes(IMAGE_SIZE));
    std::atomic<bool> bConnected = false;
    std::atomic<bool> bProgramEnded = false;
    int nEnd = -1;
    std::thread stranger([&] {
        // Connects as soon as the program listens, then reads nothing until
        // the program is over.
        constexpr int ATTEMPTS = 500;
        constexpr std::chrono::milliseconds RETRY{20};
        std::unique_ptr<CPlainConnection> connection;
        for (int i = 0; i < ATTEMPTS && !bConnected; ++i) {
            connection =
                std::make_unique<CPlainConnection>(QStringLiteral("127.0.0.99"), FIRMWARE_PORT);
            bConnected = connection->IsConnected();
            if (!bConnected)
                std::this_thread::sleep_for(RETRY);
        }
        while (bConnected && !bProgramEnded)
            std::this_thread::sleep_for(RETRY);
        qint64 nReceived = 0;
        if (connection && bConnected)
            nEnd = connection->ReadToEnd(&nReceived);
    });
    const CCliRun run =
        CCliRun::Run(WithPlayers({PLAYERS.first()}) + QStringList{QStringLiteral("firmware"), path,
                                                                  QStringLiteral("--timeout"),
                                                                  QStringLiteral("10")});
    bProgramEnded = true;
    stranger.join();
    QVERIFY(bConnected);
    QVERIFY2(run.m_nExitCode == 0, run.Describe());
    QCOMPARE(run.m_strOut, PLAYERS.first() + QStringLiteral(": ok\n"));
    QCOMPARE(run.m_strErr,
             QStringLiteral("kestavon-cli: an upload failed: Server Socket failed to send: %1\n")
                 .arg(ECANCELED));
    QCOMPARE(nEnd, ECONNRESET);
}

void TestCliFirmware::expectedVersionIsReadBackAfterTheReboot_data()
{
    QTest::addColumn<QStringList>("players");
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<int>("awayMs");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    const QStringList two = {PLAYERS.at(0), PLAYERS.at(2)};
    QTest::newRow("updated") << two << QByteArray("KSFW 3.0.0\n") << 300 << 0
                             << QStringLiteral("127.0.0.2: updated to 3.0.0\n"
                                               "127.0.0.4: updated to 3.0.0\n")
                             << QString();
    // An image the player does not take: it keeps running the old version.
    QTest::newRow("not updated") << two << QByteArray("no version line\n") << 300 << 1 << QString()
                                 << QStringLiteral(
                                        "127.0.0.2: not updated: runs 1.0.0, not 3.0.0\n"
                                        "127.0.0.4: not updated: runs 1.0.0, not 3.0.0\n");
    QTest::newRow("not back") << QStringList{PLAYERS.at(0)} << QByteArray("KSFW 3.0.0\n") << 60000
                              << 1 << QString()
                              << QStringLiteral("127.0.0.2: not back: not found again by udn "
                                                "within 2 s\n");
    QTest::newRow("one not there to begin with")
        << QStringList{PLAYERS.at(0), QStringLiteral("127.0.0.9")} << QByteArray("KSFW 3.0.0\n")
        << 300 << 1 << QStringLiteral("127.0.0.2: updated to 3.0.0\n")
        << QStringLiteral("127.0.0.9: did not answer a discovery, so it could not be found again "
                          "after the update; nothing sent\n");
}

void TestCliFirmware::expectedVersionIsReadBackAfterTheReboot()
{
    QFETCH(QStringList, players);
    QFETCH(QByteArray, head);
    QFETCH(int, awayMs);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    m_network.SetUnreachableTime(awayMs);
    const QString path = WriteImage(QStringLiteral("versioned.bin"), head + RandomBytes(100000));
    const CCliRun run = CCliRun::Run(
        WithPlayers(players) +
        QStringList{QStringLiteral("firmware"), path, QStringLiteral("--expect-version"),
                    QStringLiteral("3.0.0"), QStringLiteral("--timeout"), QStringLiteral("2")});
    QVERIFY2(run.m_nExitCode == exitCode, run.Describe());
    QCOMPARE(run.m_strOut, out);
    QCOMPARE(run.m_strErr, err);
}

void TestCliFirmware::expectedVersionWithAllReportsItInJson()
{
    m_network.SetUnreachableTime(300);
    const QString path =
        WriteImage(QStringLiteral("all.bin"), QByteArray("KSFW 3.1.0\n") + RandomBytes(1000));
    const CCliRun run =
        CCliRun::Run({QStringLiteral("--json"), QStringLiteral("--all"), QStringLiteral("--wait"),
                      QStringLiteral("1"), QStringLiteral("--parallel"), QStringLiteral("3"),
                      QStringLiteral("firmware"), path, QStringLiteral("--expect-version"),
                      QStringLiteral("3.1.0"), QStringLiteral("--timeout"), DOWNLOAD_TIMEOUT});
    QVERIFY2(run.m_nExitCode == 0, run.Describe());
    QCOMPARE(run.Json().size(), PLAYERS.size());
    for (const QJsonValue &entry : run.Json()) {
        QCOMPARE(entry.toObject().value(QStringLiteral("result")).toObject(),
                 (QJsonObject{{QStringLiteral("downloadip"), QStringLiteral("127.0.0.1")},
                              {QStringLiteral("size"), 1000 + 11},
                              {QStringLiteral("firmversion"), QStringLiteral("3.1.0")},
                              {QStringLiteral("update"), QStringLiteral("updated")}}));
    }
    for (const QString &player : PLAYERS)
        QCOMPARE(m_network.State(player).m_strFirmVersion, QStringLiteral("3.1.0"));
}

bool TestCliFirmware::Replace(const QString &path, const QString &replacement)
{
    const QString swapped = m_dir.filePath(QStringLiteral("swapped"));
    QFile::remove(swapped);
    if (replacement == QLatin1String("none"))
        return QFile::remove(path);
    if (replacement == QLatin1String("other")) {
        if (WriteImage(QStringLiteral("swapped"), QByteArray("KSFW 9.9.9\n") + RandomBytes(5000))
                .isEmpty())
            return false;
    } else if (replacement == QLatin1String("fifo")) {
        if (::mkfifo(QFile::encodeName(swapped).constData(), 0600) != 0)
            return false;
    } else if (!QFile::link(QStringLiteral("/dev/zero"), swapped)) {
        return false;
    }
    return ::rename(QFile::encodeName(swapped).constData(), QFile::encodeName(path).constData()) ==
           0;
}

QString TestCliFirmware::WriteFirmwarePlan(const QString &path)
{
    return WriteImage(QStringLiteral("plan.json"),
                      QStringLiteral(R"([{"udn": "uuid:kestavon-0002", )"
                                     R"("firmware": {"file": "%1", "version": "3.0.0"}}])")
                          .arg(path)
                          .toUtf8());
}

void TestCliFirmware::imageChangedAfterTheCheckChangesNothing_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("replacement");
    for (const QString &command : {QStringLiteral("firmware"), QStringLiteral("apply")}) {
        const QByteArray prefix = command.toLatin1() + ": ";
        QTest::newRow(prefix + "another image written over it")
            << command << QStringLiteral("other");
        QTest::newRow(prefix + "removed") << command << QStringLiteral("none");
        QTest::newRow(prefix + "a FIFO no one writes to") << command << QStringLiteral("fifo");
        QTest::newRow(prefix + "a link to /dev/zero") << command << QStringLiteral("zero");
    }
}

// The image is read whole when it is checked, and that copy is what the
// players receive: whatever becomes of the file while the command is sent
// and the player comes to download neither changes the bytes nor holds the
// program up.
void TestCliFirmware::imageChangedAfterTheCheckChangesNothing()
{
    QFETCH(QString, command);
    QFETCH(QString, replacement);
    const QString player = PLAYERS.first();
    const QByteArray image = QByteArray("KSFW 3.0.0\n") + RandomBytes(IMAGE_SIZE);
    const QString path = WriteImage(QStringLiteral("checked.bin"), image);
    QVERIFY(!path.isEmpty());
    const QString plan = WriteFirmwarePlan(path);
    QVERIFY(!plan.isEmpty());
    // The player comes to download a while after the command, by when the
    // file has been replaced.
    CSimFault late;
    late.m_kind = CSimFault::EKind::DownloadDelay;
    late.m_delayMs = 1000;
    m_network.SetFault(player, late);
    m_network.SetUnreachableTime(300);

    std::atomic<bool> bReplaced = false;
    std::atomic<bool> bProgramEnded = false;
    std::thread replacer([&] {
        constexpr std::chrono::milliseconds LOOK_AGAIN{10};
        while (!bProgramEnded) {
            for (const QByteArray &request : m_network.ReceivedRequests(player)) {
                if (request.contains("updateFirmware")) {
                    bReplaced = Replace(path, replacement);
                    return;
                }
            }
            std::this_thread::sleep_for(LOOK_AGAIN);
        }
    });
    const QStringList arguments =
        command == QLatin1String("firmware")
            ? WithPlayers({player}) + QStringList{QStringLiteral("firmware"), path,
                                                  QStringLiteral("--timeout"), DOWNLOAD_TIMEOUT}
            : QStringList{
                  QStringLiteral("--json"), QStringLiteral("apply"), plan,
                  QStringLiteral("--wait"), QStringLiteral("1"),     QStringLiteral("--timeout"),
                  DOWNLOAD_TIMEOUT};
    const CCliRun run = CCliRun::Run(arguments);
    bProgramEnded = true;
    replacer.join();

    QVERIFY(bReplaced);
    QVERIFY2(run.m_bFinished && run.m_nExitCode == 0, run.Describe());
    QVERIFY(m_network.WaitForDownload(player, DOWNLOAD_RECORD_TIMEOUT_MS));
    const QList<CSimDownload> downloads = m_network.Downloads(player);
    QCOMPARE(downloads.size(), 1);
    QVERIFY(downloads.first().m_complete);
    QCOMPARE(downloads.first().m_size, image.size());
    QCOMPARE(
        downloads.first().m_strSha256,
        QString::fromLatin1(QCryptographicHash::hash(image, QCryptographicHash::Sha256).toHex()));
}

void TestCliFirmware::fifoOrDeviceIsRefusedAtOnce_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("replacement");
    for (const QString &command : {QStringLiteral("firmware"), QStringLiteral("apply")}) {
        const QByteArray prefix = command.toLatin1() + ": ";
        QTest::newRow(prefix + "a FIFO no one writes to") << command << QStringLiteral("fifo");
        QTest::newRow(prefix + "a link to /dev/zero") << command << QStringLiteral("zero");
    }
}

// Neither is opened to be read: a FIFO would hold the program waiting for a
// writer, a device pour endless bytes or none.
void TestCliFirmware::fifoOrDeviceIsRefusedAtOnce()
{
    QFETCH(QString, command);
    QFETCH(QString, replacement);
    const QString path = m_dir.filePath(QStringLiteral("not-an-image.bin"));
    QFile::remove(path);
    QVERIFY(Replace(path, replacement));
    const QString plan = WriteFirmwarePlan(path);
    const CCliRun run = CCliRun::Run(command == QLatin1String("firmware")
                                         ? WithPlayers({PLAYERS.first()}) +
                                               QStringList{QStringLiteral("firmware"), path}
                                         : QStringList{QStringLiteral("apply"), plan});
    QVERIFY2(run.m_bFinished && run.m_nExitCode == 2, run.Describe());
    QVERIFY2(run.m_strErr.contains(QStringLiteral("'%1' is not a file").arg(path)), run.Describe());
    QCOMPARE(m_network.ReceivedRequests(PLAYERS.first()), QList<QByteArray>());
}

KESTAVON_TEST_MAIN(TestCliFirmware)
#include "tst_clifirmware.moc"
