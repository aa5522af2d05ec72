#include <QCryptographicHash>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include "filechooser.h"
#include "fileuploader.h"
#include "firmwareupdatedlg.h"
#include "messagebox.h"
#include "playerfixture.h"
#include "postedmessage.h"
#include "templatebuilder.h"
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
    void fileThatCannotBeOpenedIsReported();
    void serverMessagesMoveTheBarAndShowFailures();
    void cancelAsksWhileUpdating();
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
    static bool PortAccepts();

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
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size())
        return {};
    return path;
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

void TestFirmwareUpdateDlg::fileThatCannotBeOpenedIsReported()
{
    Open();
    // Gone between choosing it and the player's connect.
    const QString path = WriteFirmware(SMALL_FIRMWARE);
    Choose(path);
    QVERIFY(QFile::remove(path));
    Button(CModalDialog::IDOK)->click();
    QTRY_COMPARE_WITH_TIMEOUT(m_boxes, QStringList{QStringLiteral("File open fail:")}, WAIT_MS);
    // The failed upload ends the update: everything can be used again, and
    // Cancel closes without asking about a task that no longer runs.
    QVERIFY(m_pDialog->isVisible());
    QVERIFY(!m_pDialog->IsUpdating());
    for (int id : {int(CModalDialog::IDOK), int(CFirmwareUpdateDlg::IDC_CHOOSE_FILE),
                   int(CModalDialog::IDCANCEL)})
        QVERIFY(Button(id)->isEnabled());
    Button(CModalDialog::IDCANCEL)->click();
    QVERIFY(!m_pDialog->isVisible());
    QCOMPARE(m_boxes, QStringList{QStringLiteral("File open fail:")});
}

void TestFirmwareUpdateDlg::serverMessagesMoveTheBarAndShowFailures()
{
    Open();
    // The player's address in lParam makes no difference.
    CPostedMessage::Post(m_pDialog.get(), WM_UPLOAD_PROGRESS, 123, 0x7f000002);
    QTRY_COMPARE_WITH_TIMEOUT(Bar()->value(), 123, WAIT_MS);
    QVERIFY(m_pDialog->isVisible());
    const QString failure = QStringLiteral("Server Socket failed to send: 104");
    CPostedMessage::Post(m_pDialog.get(), WM_UPLOAD_FAILED, 0, 0x7f000002, failure);
    QTRY_COMPARE_WITH_TIMEOUT(m_boxes, QStringList{failure}, WAIT_MS);
    QCOMPARE(Bar()->value(), 123);
    CPostedMessage::Post(m_pDialog.get(), WM_UPLOAD_PROGRESS, 500);
    QTRY_VERIFY_WITH_TIMEOUT(!m_pDialog->isVisible(), WAIT_MS);
    QCOMPARE(m_pDialog->result(), CModalDialog::IDOK);
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
    QCOMPARE(m_boxes, (QStringList{question, question}));
    QVERIFY(!m_pDialog->isVisible());
    QCOMPARE(m_pDialog->result(), CModalDialog::IDCANCEL);
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
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("no bytes") << qint64{0} << QStringLiteral("empty.bin")
                              << QStringLiteral("'%1' is empty: choose a firmware file.");
    QTest::newRow("2 GiB") << CFileUpLoader::MAX_FILE_LENGTH + 1 << QStringLiteral("huge.bin")
                           << QStringLiteral("'%1' is too large: a firmware file is smaller "
                                             "than 2 GiB.");
    QTest::newRow("missing") << qint64{-1} << QStringLiteral("gone.bin")
                             << QStringLiteral("'%1' cannot be read.");
    QTest::newRow("a folder") << qint64{-2} << QStringLiteral("folder.bin")
                              << QStringLiteral("'%1' cannot be read.");
}

void TestFirmwareUpdateDlg::unusableFileIsRefusedWhenChosen()
{
    QFETCH(qint64, size);
    QFETCH(QString, name);
    QFETCH(QString, message);
    const QString path = m_dir.filePath(name);
    if (size >= 0) {
        // Sparse: no disk space is used for the large one.
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(size));
    } else if (size == -2) {
        QVERIFY(QDir(m_dir.path()).mkdir(name));
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
    QVERIFY(QFile::remove(path) || QDir(m_dir.path()).rmdir(name) || size == -1);
}

// Each failure of an update reports once; one that comes while a box is open
// waits for it instead of opening a box over it.
void TestFirmwareUpdateDlg::failuresNeverNestTheirBoxes()
{
    Open();
    int open = 0;
    int mostOpen = 0;
    QStringList shown;
    const QString first = QStringLiteral("Server Socket failed to send: 104");
    const QString second = QStringLiteral("Server Socket failed to send: 32");
    const QString third = QStringLiteral("File open fail:");
    CFirmwareUpdateDlg *dialog = m_pDialog.get();
    CMessageBox::SetInterceptor([&](const CMessageBox::SRequest &request) {
        mostOpen = std::max(mostOpen, ++open);
        shown.append(request.m_strText);
        if (shown.size() == 1) {
            // A real box runs the event loop while it is open.
            CPostedMessage::Post(dialog, WM_UPLOAD_FAILED, 0, 0, second);
            CPostedMessage::Post(dialog, WM_UPLOAD_FAILED, 0, 0, third);
            QCoreApplication::sendPostedEvents(dialog);
        }
        --open;
        return QMessageBox::Ok;
    });
    CPostedMessage::Post(dialog, WM_UPLOAD_FAILED, 0, 0, first);
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
