// Throughput and memory of the firmware file server against a minimal
// blocking write loop, both serving the same file over loopback to a plain
// blocking downloader. Each server runs in a child process of its own, so
// its ru_maxrss is its peak resident memory and nothing of the downloader's.
// The slow-reader mode then fills every upload slot with players that read a
// byte a second and queues one normal download behind them: it must
// complete, and the server must still hold no more than file + allowance.
//
//   bench_firmware_upload [--size-mib N] [--rounds N] [--mode normal|slow-readers|all]

#include <algorithm>
#include <cstdio>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTemporaryDir>

#include "benchsettings.h"
#include "blockingserver.h"
#include "childserver.h"
#include "firmwareimage.h"
#include "isolatednetwork.h"
#include "plaindownload.h"
#include "slowreaders.h"
#include "updatelistener.h"
#include "uploadserver.h"

namespace {

using namespace BenchSettings;

// Where the downloader connects from, like a player on the LAN.
const auto PLAYER_ADDRESS = QStringLiteral("127.0.0.50");
const auto ROLE_UPLOAD = QStringLiteral("upload");
const auto ROLE_BLOCKING = QStringLiteral("blocking");
const auto ROLE_UPLOAD_SLOW = QStringLiteral("upload-slow");
const auto MODE_NORMAL = QStringLiteral("normal");
const auto MODE_SLOW = QStringLiteral("slow-readers");
const auto MODE_ALL = QStringLiteral("all");

struct CMeasurement
{
    QString strRole;
    quint16 port = 0;
    CChildServer server;
    double mibPerSecond = 0;
    double peakMiB = 0;
};

double ToMiB(qint64 nBytes)
{
    return static_cast<double>(nBytes) / static_cast<double>(MIB);
}

bool StartServer(CMeasurement &measurement, const CFirmwareImage &image, int nRounds)
{
    if (measurement.server.Start({QStringLiteral("--serve"), measurement.strRole,
                                  QStringLiteral("--file"), image.strPath,
                                  QStringLiteral("--rounds"), QString::number(nRounds)}))
        return true;
    std::fprintf(stderr, "%s server did not start\n", qPrintable(measurement.strRole));
    return false;
}

bool DownloadRound(CMeasurement &measurement, const CFirmwareImage &image)
{
    const CDownloadResult result = DownloadOnce(PLAYER_ADDRESS, measurement.port, ROUND_TIMEOUT_MS);
    if (!result.bOk || result.nBytes != image.nSize || result.seconds <= 0) {
        std::fprintf(stderr, "%s server: got %lld of %lld bytes\n", qPrintable(measurement.strRole),
                     static_cast<long long>(result.nBytes), static_cast<long long>(image.nSize));
        return false;
    }
    measurement.mibPerSecond =
        std::max(measurement.mibPerSecond, ToMiB(result.nTimedBytes) / result.seconds);
    return true;
}

bool FinishServer(CMeasurement &measurement, int timeoutMs)
{
    const bool bClean = measurement.server.Finish(timeoutMs);
    measurement.peakMiB = ToMiB(measurement.server.PeakResidentBytes());
    if (!bClean)
        std::fprintf(stderr, "%s server did not end cleanly\n", qPrintable(measurement.strRole));
    return bClean;
}

// Both servers run at once, and their rounds alternate.
bool MeasureBoth(CMeasurement &server, CMeasurement &baseline, const CFirmwareImage &image,
                 int nRounds)
{
    if (!StartServer(server, image, nRounds) || !StartServer(baseline, image, nRounds))
        return false;
    bool bOk = true;
    for (int i = 0; i < nRounds && bOk; ++i)
        bOk = DownloadRound(server, image) && DownloadRound(baseline, image);
    const int finishTimeoutMs = bOk ? ROUND_TIMEOUT_MS : START_TIMEOUT_MS;
    const bool bServerEnded = FinishServer(server, finishTimeoutMs);
    const bool bBaselineEnded = FinishServer(baseline, finishTimeoutMs);
    return bOk && bServerEnded && bBaselineEnded;
}

const char *Verdict(bool bMet)
{
    return bMet ? "met" : "NOT MET";
}

// Sixteen players reading a byte a second hold every slot; a normal
// download queued behind them must still complete, and the server must not
// grow with the number of connections.
int RunSlowReaderMode(const CFirmwareImage &image, qint64 nSizeMiB)
{
    CChildServer server;
    if (!server.Start({QStringLiteral("--serve"), ROLE_UPLOAD_SLOW, QStringLiteral("--file"),
                       image.strPath, QStringLiteral("--rounds"),
                       QString::number(SLOW_READERS + 1)})) {
        std::fprintf(stderr, "slow-reader server did not start\n");
        return 1;
    }
    CSlowReaders readers;
    readers.Start(SLOW_READERS, SLOW_READER_FIRST_HOST, CUpdateListener::UPDATE_PORT);
    QThread::msleep(SLOW_READERS_SETTLE_MS);
    QElapsedTimer clock;
    clock.start();
    const CDownloadResult result =
        DownloadOnce(PLAYER_ADDRESS, CUpdateListener::UPDATE_PORT, SLOW_MODE_TIMEOUT_MS);
    const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    const bool bComplete = result.bOk && result.nBytes == image.nSize;
    readers.Stop();
    const bool bClean = server.Finish(SLOW_MODE_TIMEOUT_MS);
    const double peakMiB = ToMiB(server.PeakResidentBytes());
    const double memoryGoalMiB = ToMiB(image.nSize + MEMORY_ALLOWANCE_PER_CONNECTION);

    std::printf("firmware upload, slow readers: %d players reading 1 byte/s, then one normal "
                "download of %lld MiB queued behind them\n",
                SLOW_READERS, static_cast<long long>(nSizeMiB));
    std::printf("  normal download       %s after %.1f s (%lld of %lld bytes); goal: completes: "
                "%s\n",
                bComplete ? "complete" : "INCOMPLETE", seconds,
                static_cast<long long>(result.nBytes), static_cast<long long>(image.nSize),
                Verdict(bComplete));
    std::printf("  server peak memory    %9.1f MiB     goal <= %.1f MiB (file + %lld MiB): %s\n",
                peakMiB, memoryGoalMiB,
                static_cast<long long>(MEMORY_ALLOWANCE_PER_CONNECTION / MIB),
                Verdict(peakMiB > 0 && peakMiB <= memoryGoalMiB));
    if (!bClean)
        std::fprintf(stderr, "slow-reader server did not end cleanly\n");
    return bComplete && bClean ? 0 : 1;
}

int RunNormalMode(const CFirmwareImage &image, qint64 nSizeMiB, int nRounds)
{
    CMeasurement server{ROLE_UPLOAD, CUpdateListener::UPDATE_PORT, {}};
    CMeasurement baseline{ROLE_BLOCKING, BASELINE_PORT, {}};
    if (!MeasureBoth(server, baseline, image, nRounds))
        return 1;

    const double ratio = server.mibPerSecond / baseline.mibPerSecond;
    const double memoryGoalMiB = ToMiB(image.nSize + MEMORY_ALLOWANCE_PER_CONNECTION);
    std::printf("firmware upload: %lld MiB file over loopback, best of %d rounds each, "
                "alternating, one connection at a time\n",
                static_cast<long long>(nSizeMiB), nRounds);
    std::printf("  firmware file server  %9.1f MiB/s   peak resident %7.1f MiB\n",
                server.mibPerSecond, server.peakMiB);
    std::printf("  blocking write loop   %9.1f MiB/s   peak resident %7.1f MiB\n",
                baseline.mibPerSecond, baseline.peakMiB);
    std::printf("  throughput ratio      %9.2f         goal >= %.2f: %s\n", ratio,
                MIN_THROUGHPUT_RATIO, Verdict(ratio >= MIN_THROUGHPUT_RATIO));
    std::printf("  server peak memory    %9.1f MiB     goal <= %.1f MiB (file + %lld MiB): %s\n",
                server.peakMiB, memoryGoalMiB,
                static_cast<long long>(MEMORY_ALLOWANCE_PER_CONNECTION / MIB),
                Verdict(server.peakMiB <= memoryGoalMiB));
    std::printf("  (throughput from the first byte to the end of the stream; peak memory is\n"
                "   the server process's ru_maxrss, Qt and the runtime included)\n");
    return 0;
}

int RunBenchmark(qint64 nSizeMiB, int nRounds, const QString &mode)
{
    QTemporaryDir dir;
    const CFirmwareImage image =
        CFirmwareImage::Write(dir.filePath(QStringLiteral("firmware.bin")), nSizeMiB * MIB);
    if (!dir.isValid() || image.sha256Hex.isEmpty()) {
        std::fprintf(stderr, "cannot write the %lld MiB test file\n",
                     static_cast<long long>(nSizeMiB));
        return 1;
    }
    int status = 0;
    if (mode != MODE_SLOW)
        status |= RunNormalMode(image, nSizeMiB, nRounds);
    if (mode != MODE_NORMAL)
        status |= RunSlowReaderMode(image, nSizeMiB);
    return status;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    KestavonTest::RequireIsolatedNetwork();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Firmware file server throughput and memory"));
    parser.addHelpOption();
    const QCommandLineOption sizeOption(QStringLiteral("size-mib"),
                                        QStringLiteral("Size of the file served, in MiB."),
                                        QStringLiteral("n"), QString::number(DEFAULT_SIZE_MIB));
    const QCommandLineOption roundsOption(QStringLiteral("rounds"),
                                          QStringLiteral("Downloads per server; the best counts."),
                                          QStringLiteral("n"), QString::number(DEFAULT_ROUNDS));
    const QCommandLineOption modeOption(QStringLiteral("mode"),
                                        QStringLiteral("normal, slow-readers or all."),
                                        QStringLiteral("mode"), MODE_ALL);
    QCommandLineOption serveOption(QStringLiteral("serve"), QString(), QStringLiteral("role"));
    QCommandLineOption fileOption(QStringLiteral("file"), QString(), QStringLiteral("path"));
    serveOption.setFlags(QCommandLineOption::HiddenFromHelp);
    fileOption.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({sizeOption, roundsOption, modeOption, serveOption, fileOption});
    parser.process(app);

    const qint64 nSizeMiB = parser.value(sizeOption).toLongLong();
    const int nRounds = parser.value(roundsOption).toInt();
    const QString mode = parser.value(modeOption);
    if (mode != MODE_NORMAL && mode != MODE_SLOW && mode != MODE_ALL) {
        std::fprintf(stderr, "--mode takes normal, slow-readers or all\n");
        return 2;
    }
    if (nSizeMiB <= 0 || nRounds <= 0) {
        std::fprintf(stderr, "--size-mib and --rounds take positive numbers\n");
        return 2;
    }
    if (parser.value(serveOption) == ROLE_UPLOAD)
        return RunUploadServer(parser.value(fileOption), nRounds);
    if (parser.value(serveOption) == ROLE_BLOCKING)
        return RunBlockingServer(parser.value(fileOption), nRounds);
    // Every slow reader is given up; the one normal download completes.
    if (parser.value(serveOption) == ROLE_UPLOAD_SLOW)
        return RunUploadServer(parser.value(fileOption), nRounds, nRounds - 1);
    return RunBenchmark(nSizeMiB, nRounds, mode);
}
