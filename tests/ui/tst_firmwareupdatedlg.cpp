#include <cerrno>

#include <sys/stat.h>

#include <QCryptographicHash>
#include <QDir>
#include <QHostAddress>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include "filechooser.h"
#include "fileuploader.h"
#include "firmwareupdatedlg.h"
#include "messagebox.h"
#include "plainconnection.h"
#include "playerfixture.h"
#include "postedmessage.h"
#include "templatebuilder.h"
#include "testdownloader.h"
#include "uitestmain.h"

// The firmware update against a simulated player: the whole road from the
// chosen file to the closed dialog, the failures the user sees, the cancel
// question, and the file server living exactly as long as the dialog.
class TestFirmwareUpdateDlg : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void opensWithItsTextsAndAnEmptyBar();
    void updateWithoutFileDoesNothing();
    void chooserJoinsFolderAndNameAndKeepsThePathOnCancel();
    void wholeRoadToTheClosedDialog();
    void undeliveredCommandShowsTheFailure();
    void fileChangedAfterChoiceChangesNothing_data();
    void fileChangedAfterChoiceChangesNothing();
    void onlyThePlayersMessagesCount_data();
    void onlyThePlayersMessagesCount();
    void anotherHostsDownloadDoesNotCompleteTheUpdate();
    void cancelAsksWhileUpdating();
    void yesStopsTheDownload();
    void busyPortIsNamedAndNothingIsSent();
    void cancelBeforeUpdateClosesAtOnce();
    void serverListensExactlyAsLongAsTheDialog();
    void unusableFileIsRefusedWhenChosen_data();
    void unusableFileIsRefusedWhenChosen();
    void failuresNeverNestTheirBoxes();
    void noPlayerFetchingSaysSoAndReenablesTheButtons();
    void closeBoxWorksWhileNoDownloadRuns();
    void closeBoxAsksWhileADownloadRuns();

private:
    void Open();
    QPushButton *Button(int id) const;
    QProgressBar *Bar() const;
    // Chooses path through the dialog's "Choose File".
    void Choose(const QString &path);
    QString WriteFirmware(qint64 size);
    // Chooses a small image and presses "Update"; the player takes the
    // command but does not come to download while the test runs.
    void UpdateWithoutDownload();
    static bool PortAccepts();
    static qint64 Address(const QString &ip);

    std::unique_ptr<CPlayerFixture> m_pFixture;
    std::unique_ptr<CFirmwareUpdateDlg> m_pDialog;
    QTemporaryDir m_dir;
    QStringList m_boxes;
    QMessageBox::StandardButton m_answer = QMessageBox::Ok;
};

namespace {

constexpr int WAIT_MS = 20000;
// Large enough that the loopback's buffers cannot swallow it while the
// player has stopped reading.
constexpr qint64 LARGE_FIRMWARE = 48 * 1024 * 1024;
constexpr qint64 SMALL_FIRMWARE = 300 * 1024;
// The player stops reading, then gives up after this long.
constexpr int STALLED_PLAYER_HOLD_MS = 500;
const QString STOPPED = QStringLiteral(
    "The firmware update was stopped: the player's download was cut off before it had the whole "
    "file.");

} // namespace

void TestFirmwareUpdateDlg::init()
{
    QVERIFY(m_dir.isValid());
    m_boxes.clear();
    m_answer = QMessageBox::Ok;
    // Every box, also one a late upload failure would show, is answered here.
    CMessageBox::SetInterceptor([this](const CMessageBox::SRequest &request) {
        m_boxes.append(request.m_strText);
        return m_answer;
    });
    m_pFixture = std::make_unique<CPlayerFixture>();
    QString error;
    QVERIFY2(m_pFixture->Start(CPlayerFixture::DefaultPlayer(), &error), qPrintable(error));
}

void TestFirmwareUpdateDlg::cleanup()
{
    m_pDialog.reset();
    // Uploads outlive their dialog; let them end before the player goes.
    QTRY_COMPARE_WITH_TIMEOUT(CFileUpLoader::LiveCount(), 0, WAIT_MS);
    m_pFixture.reset();
    CFileChooser::SetInterceptor({});
    CMessageBox::SetInterceptor({});
}

void TestFirmwareUpdateDlg::Open()
{
    m_pDialog = std::make_unique<CFirmwareUpdateDlg>(m_pFixture->Manager());
    m_pDialog->show();
}

QPushButton *TestFirmwareUpdateDlg::Button(int id) const
{
    return CTemplateBuilder::Control<QPushButton>(m_pDialog.get(), id);
}

QProgressBar *TestFirmwareUpdateDlg::Bar() const
{
    return CTemplateBuilder::Control<QProgressBar>(m_pDialog.get(),
                                                   CFirmwareUpdateDlg::IDC_PROGRESS);
}

void TestFirmwareUpdateDlg::Choose(const QString &path)
{
    const QFileInfo file(path);
    CFileChooser::SetInterceptor([file] {
        return std::optional<CFileChooser::SChoice>(
            CFileChooser::SChoice{file.absolutePath(), file.fileName()});
    });
    Button(CFirmwareUpdateDlg::IDC_CHOOSE_FILE)->click();
}

QString TestFirmwareUpdateDlg::WriteFirmware(qint64 size)
{
    QByteArray image = "KSFW 2.2.0\n";
    image.reserve(size);
    while (image.size() < size)
        image.append(static_cast<char>(image.size() * 7 % 251));
    const QString path = m_dir.filePath(QStringLiteral("firmware.bin"));
    // Never written through: an earlier case may have left a FIFO there.
    QFile::remove(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size())
        return {};
    return path;
}

void TestFirmwareUpdateDlg::UpdateWithoutDownload()
{
    m_pFixture->SetFault(
        CSimFault{.m_kind = CSimFault::EKind::DownloadDelay, .m_delayMs = 2 * WAIT_MS});
    Choose(WriteFirmware(SMALL_FIRMWARE));
    Button(CModalDialog::IDOK)->click();
    // Sent without waiting for a reply: the player records it a moment later.
    QTRY_VERIFY_WITH_TIMEOUT(!m_pFixture->LastRequest(QStringLiteral("updateFirmware")).isEmpty(),
                             WAIT_MS);
    QVERIFY(m_boxes.isEmpty());
}

qint64 TestFirmwareUpdateDlg::Address(const QString &ip)
{
    return QHostAddress(ip).toIPv4Address();
}

bool TestFirmwareUpdateDlg::PortAccepts()
{
    QTcpSocket socket;
    socket.connectToHost(CPlayerFixture::LocalIp(), CUpdateListener::UPDATE_PORT);
    const bool connected = socket.waitForConnected(WAIT_MS);
    socket.abort();
    return connected;
}

void TestFirmwareUpdateDlg::opensWithItsTextsAndAnEmptyBar()
{
    Open();
    const auto label = [this](int id) {
        return CTemplateBuilder::Control<QLabel>(m_pDialog.get(), id)->text();
    };
    QCOMPARE(m_pDialog->windowTitle(), QStringLiteral("Firmware Update"));
    QCOMPARE(label(CFirmwareUpdateDlg::IDC_TITLE), QStringLiteral("Update Firmware"));
    QCOMPARE(label(CFirmwareUpdateDlg::IDC_NOTICE),
             QStringLiteral("Please download the latest firmware from Quenby Digital FTP server "
                            "and use the PC Setup software for firmware update.Firmware update "
                            "can also be done by using halvorin Control apps Firmware update."));
    QCOMPARE(label(CFirmwareUpdateDlg::IDC_FILE_PATH), QString());
    QCOMPARE(Bar()->minimum(), 0);
    QCOMPARE(Bar()->maximum(), 500);
    QCOMPARE(Bar()->value(), 0);
    QVERIFY(m_pDialog->Listener().isListening());
}

void TestFirmwareUpdateDlg::updateWithoutFileDoesNothing()
{
    Open();
    // A cancelled chooser leaves no path behind.
    CFileChooser::SetInterceptor([] { return std::optional<CFileChooser::SChoice>(); });
    Button(CFirmwareUpdateDlg::IDC_CHOOSE_FILE)->click();
    Button(CModalDialog::IDOK)->click();
    QVERIFY(m_pFixture->Operations().isEmpty());
    for (int id : {int(CModalDialog::IDOK), int(CFirmwareUpdateDlg::IDC_CHOOSE_FILE),
                   int(CModalDialog::IDCANCEL)})
        QVERIFY(Button(id)->isEnabled());
    QVERIFY(m_boxes.isEmpty());
}

void TestFirmwareUpdateDlg::chooserJoinsFolderAndNameAndKeepsThePathOnCancel()
{
    Open();
    auto *label =
        CTemplateBuilder::Control<QLabel>(m_pDialog.get(), CFirmwareUpdateDlg::IDC_FILE_PATH);
    // Joined as they come: a folder that ends in a separator gives two.
    QVERIFY(!WriteFirmware(SMALL_FIRMWARE).isEmpty());
    const QString folder = m_dir.path() + QLatin1Char('/');
    CFileChooser::SetInterceptor([folder] {
        return std::optional<CFileChooser::SChoice>(
            CFileChooser::SChoice{folder, QStringLiteral("firmware.bin")});
    });
    Button(CFirmwareUpdateDlg::IDC_CHOOSE_FILE)->click();
    const QString joined = folder + QStringLiteral("/firmware.bin");
    QCOMPARE(label->text(), joined);
    CFileChooser::SetInterceptor([] { return std::optional<CFileChooser::SChoice>(); });
    Button(CFirmwareUpdateDlg::IDC_CHOOSE_FILE)->click();
    QCOMPARE(label->text(), joined);
    QVERIFY(m_boxes.isEmpty());
}

void TestFirmwareUpdateDlg::wholeRoadToTheClosedDialog()
{
    const QString path = WriteFirmware(SMALL_FIRMWARE);
    QVERIFY(!path.isEmpty());
    Open();
    Choose(path);
    QCOMPARE(CTemplateBuilder::Control<QLabel>(m_pDialog.get(), CFirmwareUpdateDlg::IDC_FILE_PATH)
                 ->text(),
             path);

    QList<int> progress;
    connect(Bar(), &QProgressBar::valueChanged, this,
            [&progress](int value) { progress.append(value); });
    // How the dialog looks as it closes itself.
    QList<bool> enabledAtClose;
    bool updatingAtClose = true;
    connect(m_pDialog.get(), &QDialog::finished, this, [&](int) {
        for (int id : {int(CModalDialog::IDOK), int(CFirmwareUpdateDlg::IDC_CHOOSE_FILE),
                       int(CModalDialog::IDCANCEL)})
            enabledAtClose.append(Button(id)->isEnabled());
        updatingAtClose = m_pDialog->IsUpdating();
    });
    Button(CModalDialog::IDOK)->click();
    QVERIFY(!Button(CModalDialog::IDCANCEL)->isEnabled());
    // The server accepts on this thread: wait with the event loop running.
    QTRY_VERIFY_WITH_TIMEOUT(!m_pDialog->isVisible(), WAIT_MS);
    QTRY_COMPARE_WITH_TIMEOUT(m_pFixture->Network().Downloads(CPlayerFixture::PlayerIp()).size(), 1,
                              WAIT_MS);

    QCOMPARE(m_pDialog->result(), CModalDialog::IDOK);
    QVERIFY(m_pFixture->LastRequest(QStringLiteral("updateFirmware"))
                .contains("<downloadip>127.0.0.1</downloadip>"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const CSimDownload download =
        m_pFixture->Network().Downloads(CPlayerFixture::PlayerIp()).first();
    QVERIFY(download.m_complete);
    QCOMPARE(download.m_strSha256,
             QString::fromLatin1(
                 QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex()));
    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.last(), 500);
    QVERIFY(std::is_sorted(progress.cbegin(), progress.cend()));
    QCOMPARE(enabledAtClose, (QList<bool>{true, true, false}));
    QVERIFY(!updatingAtClose);
    QVERIFY(m_boxes.isEmpty());
}

void TestFirmwareUpdateDlg::undeliveredCommandShowsTheFailure()
{
    m_pFixture->SetFault(CSimFault{.m_kind = CSimFault::EKind::Refuse});
    Open();
    Choose(WriteFirmware(SMALL_FIRMWARE));
    Button(CModalDialog::IDOK)->click();
    QCOMPARE(m_boxes, QStringList{QStringLiteral("failed sending file:")});
    for (int id : {int(CModalDialog::IDOK), int(CFirmwareUpdateDlg::IDC_CHOOSE_FILE),
                   int(CModalDialog::IDCANCEL)})
        QVERIFY(Button(id)->isEnabled());
    QVERIFY(m_pDialog->isVisible());
}

void TestFirmwareUpdateDlg::fileChangedAfterChoiceChangesNothing_data()
{
    QTest::addColumn<QString>("replacement");
    QTest::newRow("another image written over it") << QStringLiteral("other");
    QTest::newRow("removed") << QStringLiteral("none");
    QTest::newRow("a FIFO no one writes to") << QStringLiteral("fifo");
    QTest::newRow("a link to /dev/zero") << QStringLiteral("zero");
}

// The image is what was chosen: what happens to the file between the choice
// and the player's download neither changes the bytes nor holds anything up.
void TestFirmwareUpdateDlg::fileChangedAfterChoiceChangesNothing()
{
    QFETCH(QString, replacement);
    const QString path = WriteFirmware(SMALL_FIRMWARE);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray chosen = file.readAll();
    file.close();
    Open();
    Choose(path);

    const QString swapped = m_dir.filePath(QStringLiteral("swapped"));
    if (replacement == QLatin1String("other")) {
        QFile other(swapped);
        QVERIFY(other.open(QIODevice::WriteOnly));
        QVERIFY(other.write(QByteArray("KSFW 9.9.9\n").repeated(1000)) > 0);
    } else if (replacement == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(QFile::encodeName(swapped).constData(), 0600), 0);
    } else if (replacement == QLatin1String("zero")) {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), swapped));
    }
    QVERIFY(QFile::remove(path));
    if (replacement != QLatin1String("none"))
        QVERIFY(QFile::rename(swapped, path));

    Button(CModalDialog::IDOK)->click();
    QTRY_VERIFY_WITH_TIMEOUT(!m_pDialog->isVisible(), WAIT_MS);
    QCOMPARE(m_pDialog->result(), CModalDialog::IDOK);
    QTRY_COMPARE_WITH_TIMEOUT(m_pFixture->Network().Downloads(CPlayerFixture::PlayerIp()).size(), 1,
                              WAIT_MS);
    const CSimDownload download =
        m_pFixture->Network().Downloads(CPlayerFixture::PlayerIp()).first();
    QVERIFY(download.m_complete);
    QCOMPARE(download.m_size, chosen.size());
    QCOMPARE(
        download.m_strSha256,
        QString::fromLatin1(QCryptographicHash::hash(chosen, QCryptographicHash::Sha256).toHex()));
    QVERIFY(m_boxes.isEmpty());
}

void TestFirmwareUpdateDlg::onlyThePlayersMessagesCount_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<bool>("counts");
    QTest::newRow("the player's own") << CPlayerFixture::PlayerIp() << true;
    QTest::newRow("another host's") << QStringLiteral("127.0.0.9") << false;
    QTest::newRow("nobody's") << QStringLiteral("0.0.0.0") << false;
}

// Anyone can download from the file server; progress, a failure or a
// completion of a download that is not the player's own leaves the update
// as it is.
void TestFirmwareUpdateDlg::onlyThePlayersMessagesCount()
{
    QFETCH(QString, from);
    QFETCH(bool, counts);
    Open();
    UpdateWithoutDownload();
    const qint64 sender = Address(from);

    CPostedMessage::Post(m_pDialog.get(), WM_UPLOAD_PROGRESS, 123, sender);
    const QString failure = QStringLiteral("Server Socket failed to send: 104");
    CPostedMessage::Post(m_pDialog.get(), WM_UPLOAD_FAILED, 0, sender, failure);
    QCoreApplication::sendPostedEvents(m_pDialog.get());
    QCOMPARE(Bar()->value(), counts ? 123 : 0);
    QCOMPARE(m_boxes, counts ? QStringList{failure} : QStringList{});
    // The failure of the player's own download gives the buttons back.
    QCOMPARE(Button(CModalDialog::IDOK)->isEnabled(), counts);

    CPostedMessage::Post(m_pDialog.get(), WM_UPLOAD_PROGRESS, 500, sender);
    QCoreApplication::sendPostedEvents(m_pDialog.get());
    QCOMPARE(Bar()->value(), counts ? 500 : 0);
    // Complete, or still waiting for the player with every button disabled.
    QCOMPARE(Button(CModalDialog::IDOK)->isEnabled(), counts);
    if (counts) {
        QTRY_VERIFY_WITH_TIMEOUT(!m_pDialog->isVisible(), WAIT_MS);
        QCOMPARE(m_pDialog->result(), CModalDialog::IDOK);
    } else {
        QVERIFY(m_pDialog->isVisible());
    }
}

// Another host fetching the whole image while the player has not come is not
// the player's update completing.
void TestFirmwareUpdateDlg::anotherHostsDownloadDoesNotCompleteTheUpdate()
{
    Open();
    UpdateWithoutDownload();
    CTestDownloader stranger(QStringLiteral("127.0.0.9"));
    stranger.Start(CUpdateListener::UPDATE_PORT);
    QTRY_VERIFY_WITH_TIMEOUT(stranger.IsDone(), WAIT_MS);
    QCOMPARE(stranger.Received(), SMALL_FIRMWARE);
    QTRY_COMPARE_WITH_TIMEOUT(CFileUpLoader::LiveCount(), 0, WAIT_MS);
    QCoreApplication::sendPostedEvents(m_pDialog.get());

    QVERIFY(m_pDialog->isVisible());
    QVERIFY(!m_pDialog->IsUpdating());
    QCOMPARE(Bar()->value(), 0);
    for (int id : {int(CModalDialog::IDOK), int(CFirmwareUpdateDlg::IDC_CHOOSE_FILE),
                   int(CModalDialog::IDCANCEL)})
        QVERIFY(!Button(id)->isEnabled());
    QVERIFY(m_boxes.isEmpty());
}

void TestFirmwareUpdateDlg::cancelAsksWhileUpdating()
{
    m_pFixture->SetFault(CSimFault{.m_kind = CSimFault::EKind::DownloadStopReading,
                                   .m_holdMs = STALLED_PLAYER_HOLD_MS});
    Open();
    Choose(WriteFirmware(LARGE_FIRMWARE));
    Button(CModalDialog::IDOK)->click();
    QTRY_VERIFY_WITH_TIMEOUT(m_pDialog->IsUpdating(), WAIT_MS);

    const QString question =
        QStringLiteral("Updating Firmawre is continuing.\ndo you want to stop current task?");
    m_answer = QMessageBox::No;
    // Escape is the cancel command too, even while "Cancel" is disabled.
    QTest::keyClick(m_pDialog.get(), Qt::Key_Escape);
    QCOMPARE(m_boxes, QStringList{question});
    QVERIFY(m_pDialog->isVisible());

    m_answer = QMessageBox::Yes;
    QTest::keyClick(m_pDialog.get(), Qt::Key_Escape);
    QCOMPARE(m_boxes, (QStringList{question, question, STOPPED}));
    QVERIFY(!m_pDialog->isVisible());
    QCOMPARE(m_pDialog->result(), CModalDialog::IDCANCEL);
}

// Yes stops the task: the player's connection is cut with a reset before
// the dialog closes, no byte follows, and the user is told.
void TestFirmwareUpdateDlg::yesStopsTheDownload()
{
    Open();
    m_pFixture->SetFault(
        CSimFault{.m_kind = CSimFault::EKind::DownloadDelay, .m_delayMs = 2 * WAIT_MS});
    Choose(WriteFirmware(LARGE_FIRMWARE));
    Button(CModalDialog::IDOK)->click();
    // The player downloads, and does not read while the question is open.
    const CPlainConnection player(CPlayerFixture::PlayerIp(), CUpdateListener::UPDATE_PORT);
    QVERIFY(player.IsConnected());
    QTRY_VERIFY_WITH_TIMEOUT(m_pDialog->IsUpdating(), WAIT_MS);
    QCOMPARE(m_pDialog->Listener().RunningUploads(), 1);

    m_answer = QMessageBox::Yes;
    QTest::keyClick(m_pDialog.get(), Qt::Key_Escape);
    QVERIFY(!m_pDialog->isVisible());
    QCOMPARE(m_pDialog->result(), CModalDialog::IDCANCEL);
    QCOMPARE(m_boxes, (QStringList{QStringLiteral("Updating Firmawre is continuing.\ndo you want "
                                                  "to stop current task?"),
                                   STOPPED}));
    QCOMPARE(m_pDialog->Listener().RunningUploads(), 0);

    qint64 nReceived = 0;
    QCOMPARE(player.ReadToEnd(&nReceived), ECONNRESET);
    QVERIFY(nReceived < LARGE_FIRMWARE);
    // The cut download's own failure is part of the stop, not news.
    QCoreApplication::sendPostedEvents(m_pDialog.get());
    QCOMPARE(m_boxes.size(), 2);
}

// Another program on the port would hand the player whatever it serves:
// the dialog says who holds it and does not send the player there.
void TestFirmwareUpdateDlg::busyPortIsNamedAndNothingIsSent()
{
    auto squatter = std::make_unique<QTcpServer>();
    QVERIFY(squatter->listen(QHostAddress::AnyIPv4, CUpdateListener::UPDATE_PORT));
    Open();
    QVERIFY(!m_pDialog->Listener().isListening());
    const QString path = WriteFirmware(SMALL_FIRMWARE);
    Choose(path);
    Button(CModalDialog::IDOK)->click();

    QCOMPARE(m_boxes.size(), 1);
    QVERIFY2(m_boxes.first().contains(QStringLiteral("TCP port 10017")),
             qPrintable(m_boxes.first()));
    QVERIFY2(m_boxes.first().contains(
                 QStringLiteral("(pid %1)").arg(QCoreApplication::applicationPid())),
             qPrintable(m_boxes.first()));
    QVERIFY(!m_pFixture->Operations().contains(QStringLiteral("updateFirmware")));
    for (int id : {int(CModalDialog::IDOK), int(CFirmwareUpdateDlg::IDC_CHOOSE_FILE),
                   int(CModalDialog::IDCANCEL)})
        QVERIFY(Button(id)->isEnabled());

    // Once the port is free, "Update" takes it and the update goes through.
    squatter.reset();
    Button(CModalDialog::IDOK)->click();
    QTRY_VERIFY_WITH_TIMEOUT(!m_pDialog->isVisible(), WAIT_MS);
    QCOMPARE(m_pDialog->result(), CModalDialog::IDOK);
    QCOMPARE(m_boxes.size(), 1);
    // The player, which has downloaded by now, was told once: the second time.
    QCOMPARE(m_pFixture->Operations().count(QStringLiteral("updateFirmware")), 1);
}

void TestFirmwareUpdateDlg::cancelBeforeUpdateClosesAtOnce()
{
    Open();
    Button(CModalDialog::IDCANCEL)->click();
    QVERIFY(!m_pDialog->isVisible());
    QCOMPARE(m_pDialog->result(), CModalDialog::IDCANCEL);
    QVERIFY(m_boxes.isEmpty());
}

void TestFirmwareUpdateDlg::serverListensExactlyAsLongAsTheDialog()
{
    QVERIFY(!PortAccepts());
    Open();
    QVERIFY(PortAccepts());
    Button(CModalDialog::IDCANCEL)->click();
    QVERIFY(!PortAccepts());

    // Also when the dialog goes without being ended.
    Open();
    QVERIFY(PortAccepts());
    m_pDialog.reset();
    QVERIFY(!PortAccepts());
}

void TestFirmwareUpdateDlg::unusableFileIsRefusedWhenChosen_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    const QString unreadable = QStringLiteral("'%1' cannot be read.");
    QTest::newRow("no bytes") << QStringLiteral("empty") << QStringLiteral("empty.bin")
                              << QStringLiteral("'%1' is empty: choose a firmware file.");
    QTest::newRow("2 GiB") << QStringLiteral("huge") << QStringLiteral("huge.bin")
                           << QStringLiteral("'%1' is too large: a firmware file is smaller "
                                             "than 2 GiB.");
    QTest::newRow("missing") << QStringLiteral("missing") << QStringLiteral("gone.bin")
                             << unreadable;
    QTest::newRow("a folder") << QStringLiteral("folder") << QStringLiteral("folder.bin")
                              << unreadable;
    // Refused at once: opening it to read would wait for a writer.
    QTest::newRow("a FIFO") << QStringLiteral("fifo") << QStringLiteral("fifo.bin") << unreadable;
    // Endless zeros, reported as no bytes at all.
    QTest::newRow("a device") << QStringLiteral("device") << QStringLiteral("zero.bin")
                              << unreadable;
}

void TestFirmwareUpdateDlg::unusableFileIsRefusedWhenChosen()
{
    QFETCH(QString, kind);
    QFETCH(QString, name);
    QFETCH(QString, message);
    const QString path = m_dir.filePath(name);
    if (kind == QLatin1String("empty") || kind == QLatin1String("huge")) {
        // Sparse: no disk space is used for the large one.
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(
            file.resize(kind == QLatin1String("huge") ? CFileUpLoader::MAX_FILE_LENGTH + 1 : 0));
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir(m_dir.path()).mkdir(name));
    } else if (kind == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == QLatin1String("device")) {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    }
    Open();
    const QString good = WriteFirmware(SMALL_FIRMWARE);
    Choose(good);
    Choose(path);
    QCOMPARE(m_boxes, QStringList{message.arg(path)});
    // The earlier choice stays.
    QCOMPARE(CTemplateBuilder::Control<QLabel>(m_pDialog.get(), CFirmwareUpdateDlg::IDC_FILE_PATH)
                 ->text(),
             good);
    QVERIFY(QFile::remove(path) || QDir(m_dir.path()).rmdir(name) ||
            kind == QLatin1String("missing"));
}

// Each failure of an update reports once; one that comes while a box is open
// waits for it instead of opening a box over it.
void TestFirmwareUpdateDlg::failuresNeverNestTheirBoxes()
{
    Open();
    UpdateWithoutDownload();
    const qint64 player = Address(CPlayerFixture::PlayerIp());
    int open = 0;
    int mostOpen = 0;
    QStringList shown;
    const QString first = QStringLiteral("Server Socket failed to send: 104");
    const QString second = QStringLiteral("Server Socket failed to send: 32");
    const QString third = QStringLiteral("File open fail:");
    CFirmwareUpdateDlg *dialog = m_pDialog.get();
    CMessageBox::SetInterceptor([&, player](const CMessageBox::SRequest &request) {
        mostOpen = std::max(mostOpen, ++open);
        shown.append(request.m_strText);
        if (shown.size() == 1) {
            // A real box runs the event loop while it is open.
            CPostedMessage::Post(dialog, WM_UPLOAD_FAILED, 0, player, second);
            CPostedMessage::Post(dialog, WM_UPLOAD_FAILED, 0, player, third);
            QCoreApplication::sendPostedEvents(dialog);
        }
        --open;
        return QMessageBox::Ok;
    });
    CPostedMessage::Post(dialog, WM_UPLOAD_FAILED, 0, player, first);
    QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 2, WAIT_MS);
    QCOMPARE(mostOpen, 1);
    QCOMPARE(shown, (QStringList{first, second + QLatin1Char('\n') + third}));
}

void TestFirmwareUpdateDlg::noPlayerFetchingSaysSoAndReenablesTheButtons()
{
    // The player takes the command and does not connect while the test runs.
    m_pFixture->SetFault(
        CSimFault{.m_kind = CSimFault::EKind::DownloadDelay, .m_delayMs = 2 * WAIT_MS});
    Open();
    m_pDialog->SetConnectWaitMs(200);
    Choose(WriteFirmware(SMALL_FIRMWARE));
    Button(CModalDialog::IDOK)->click();
    QVERIFY(!Button(CModalDialog::IDOK)->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(m_boxes.size(), 1, WAIT_MS);
    QVERIFY(m_boxes.first().contains(QStringLiteral("10017")));
    QVERIFY(m_boxes.first().contains(QStringLiteral("firewall")));
    for (int id : {int(CModalDialog::IDOK), int(CFirmwareUpdateDlg::IDC_CHOOSE_FILE),
                   int(CModalDialog::IDCANCEL)})
        QVERIFY(Button(id)->isEnabled());
    QVERIFY(m_pDialog->isVisible());
}

void TestFirmwareUpdateDlg::closeBoxWorksWhileNoDownloadRuns()
{
    m_pFixture->SetFault(
        CSimFault{.m_kind = CSimFault::EKind::DownloadDelay, .m_delayMs = 2 * WAIT_MS});
    Open();
    Choose(WriteFirmware(SMALL_FIRMWARE));
    Button(CModalDialog::IDOK)->click();
    QVERIFY(!Button(CModalDialog::IDCANCEL)->isEnabled());
    // Waiting for a player that does not come: the close box still closes.
    QVERIFY(m_pDialog->close());
    QVERIFY(!m_pDialog->isVisible());
    QCOMPARE(m_pDialog->result(), CModalDialog::IDCANCEL);
    QVERIFY(m_boxes.isEmpty());
}

void TestFirmwareUpdateDlg::closeBoxAsksWhileADownloadRuns()
{
    m_pFixture->SetFault(CSimFault{.m_kind = CSimFault::EKind::DownloadStopReading,
                                   .m_holdMs = STALLED_PLAYER_HOLD_MS});
    Open();
    Choose(WriteFirmware(LARGE_FIRMWARE));
    Button(CModalDialog::IDOK)->click();
    QTRY_VERIFY_WITH_TIMEOUT(m_pDialog->IsUpdating(), WAIT_MS);
    m_answer = QMessageBox::No;
    QVERIFY(!m_pDialog->close());
    QVERIFY(m_pDialog->isVisible());
    QCOMPARE(m_boxes, QStringList{QStringLiteral(
                          "Updating Firmawre is continuing.\ndo you want to stop current task?")});
}

KESTAVON_UI_TEST_MAIN(TestFirmwareUpdateDlg)
#include "tst_firmwareupdatedlg.moc"
