#include <unistd.h>

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostInfo>
#include <QLocalSocket>
#include <QLockFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include "halvorinsetup101app.h"
#include "instancechannel.h"
#include "messageboxrecorder.h"
#include "runtimefolder.h"
#include "singleinstance.h"
#include "uitestmain.h"

// One copy of the tool at a time: a second copy asks the first to show its
// window and ends at once, silently.
class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void secondHolderIsRefusedUntilTheFirstEnds();
    void secondCopyOfTheToolEndsSilently();
    void secondCopyAsksTheFirstToShowItself();
    void channelTakesOnlyTheRequest_data();
    void channelTakesOnlyTheRequest();
    void shownWindowIsRestoredAndActive();
    void unfitInstanceNameIsRefused_data();
    void unfitInstanceNameIsRefused();
    void withoutRuntimeFolderTheLockIsInAPrivateFolder();
    void runtimeFolderOfAnotherUserIsNotUsed();
    void unfitPrivateFolderIsRefused_data();
    void unfitPrivateFolderIsRefused();
    void lockHeldByAnotherUserIsSaid_data();
    void lockHeldByAnotherUserIsSaid();
    void toolSaysWhyItCannotRun_data();
    void toolSaysWhyItCannotRun();
    void refusalIsShownInABox();
};

namespace {

// Generous for a loaded machine; reached only when something is broken.
constexpr int WAIT_MS = 20000;

// A single-instance name of this test's own, so a copy of the tool the user
// runs meanwhile is neither met nor disturbed.
QString OwnName(const char *what)
{
    return QStringLiteral("tst_singleinstance-%1-%2")
        .arg(QLatin1String(what))
        .arg(QCoreApplication::applicationPid());
}

QProcess *StartTool(QObject *parent, const QString &instance)
{
    auto *tool = new QProcess(parent);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QString::fromLatin1(CHalvorinSetup101App::INSTANCE_VARIABLE), instance);
    tool->setProcessEnvironment(environment);
    tool->start(QStringLiteral(KESTAVON_SETUP_EXECUTABLE), {});
    return tool;
}

void ExpectSilentSuccess(QProcess *process)
{
    // It may have ended while the test waited for something else.
    QVERIFY(process->state() == QProcess::NotRunning || process->waitForFinished(WAIT_MS));
    QCOMPARE(process->exitStatus(), QProcess::NormalExit);
    QCOMPARE(process->exitCode(), 0);
    QCOMPARE(process->readAllStandardOutput(), QByteArray());
    QCOMPARE(process->readAllStandardError(), QByteArray());
}

// Tests run as root; this user owns nothing of theirs.
constexpr uid_t OTHER_USER = 65534;

// Points the temporary folder at a fresh one of the test's and takes the
// session's runtime folder away, as after sudo or su; both come back when it
// is destroyed.
class CNoRuntimeFolder
{
public:
    CNoRuntimeFolder()
        : m_oldTemp(qgetenv("TMPDIR")), m_oldRuntime(qgetenv("XDG_RUNTIME_DIR")),
          m_bHadRuntime(qEnvironmentVariableIsSet("XDG_RUNTIME_DIR"))
    {
        qputenv("TMPDIR", QFile::encodeName(m_temp.path()));
        qunsetenv("XDG_RUNTIME_DIR");
    }
    ~CNoRuntimeFolder()
    {
        if (m_oldTemp.isEmpty())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", m_oldTemp);
        if (m_bHadRuntime)
            qputenv("XDG_RUNTIME_DIR", m_oldRuntime);
    }
    CNoRuntimeFolder(const CNoRuntimeFolder &) = delete;
    CNoRuntimeFolder &operator=(const CNoRuntimeFolder &) = delete;

    QString Temp() const { return m_temp.path(); }
    QString Private() const
    {
        return QDir(m_temp.path())
            .filePath(QLatin1String(CRuntimeFolder::PRIVATE_PREFIX) + QString::number(geteuid()));
    }

private:
    QTemporaryDir m_temp;
    QByteArray m_oldTemp;
    QByteArray m_oldRuntime;
    bool m_bHadRuntime;
};

mode_t ModeOf(const QString &path)
{
    struct stat info
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode : 0;
}

uid_t OwnerOf(const QString &path)
{
    struct stat info
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_uid : 0;
}

// Only root can hand a file to another user; a run in a user namespace that
// maps nobody else cannot.
bool CanActAsOtherUser()
{
    QTemporaryDir probe;
    return geteuid() == 0 && probe.isValid() &&
           ::chown(QFile::encodeName(probe.path()).constData(), OTHER_USER, OTHER_USER) == 0;
}

bool MakeFolder(const QString &path, mode_t mode, uid_t owner)
{
    return QDir().mkpath(path) && ::chmod(QFile::encodeName(path).constData(), mode) == 0 &&
           ::chown(QFile::encodeName(path).constData(), owner, owner) == 0;
}

// A process of the other user's that lives until it is killed.
QProcess *StartOtherUsersProcess(QObject *parent)
{
    auto *process = new QProcess(parent);
    process->setChildProcessModifier([] {
        if (::setgid(OTHER_USER) != 0 || ::setuid(OTHER_USER) != 0)
            ::_exit(1);
    });
    process->start(QStringLiteral("sleep"), {QStringLiteral("600")});
    return process;
}

// A lock as QLockFile writes it, naming pid as its holder, owned by owner.
bool CraftLock(const QString &path, qint64 pid, const QString &program, uid_t owner)
{
    QFile lock(path);
    if (!lock.open(QIODevice::WriteOnly))
        return false;
    lock.write(QByteArray::number(pid) + '\n' + program.toUtf8() + '\n' +
               QHostInfo::localHostName().toUtf8() + '\n');
    lock.close();
    return ::chown(QFile::encodeName(path).constData(), owner, owner) == 0;
}

} // namespace

void TestSingleInstance::secondHolderIsRefusedUntilTheFirstEnds()
{
    const QString name = OwnName("lock");
    {
        CSingleInstance first(name);
        QVERIFY(first.TryAcquire());
        CSingleInstance second(name);
        QVERIFY(!second.TryAcquire());
        QCOMPARE(second.LockPath(), first.LockPath());
    }
    CSingleInstance later(name);
    QVERIFY(later.TryAcquire());
}

void TestSingleInstance::secondCopyOfTheToolEndsSilently()
{
    const QString name = OwnName("tool");
    QLockFile probe(CSingleInstance::LockPathFor(name));
    probe.setStaleLockTime(0);

    // The first copy runs and holds the lock. Only looked at, never taken:
    // holding it even briefly would make the starting copy a second one.
    QProcess *first = StartTool(this, name);
    const auto endFirst = qScopeGuard([first] {
        first->kill();
        first->waitForFinished(WAIT_MS);
    });
    QVERIFY(first->waitForStarted(WAIT_MS));
    QVERIFY(QTest::qWaitFor(
        [&probe, first] {
            qint64 owner = 0;
            return probe.getLockInfo(&owner, nullptr, nullptr) && owner == first->processId();
        },
        WAIT_MS));
    // And listens for later copies.
    QVERIFY(QTest::qWaitFor(
        [name] {
            QLocalSocket socket;
            socket.connectToServer(CSingleInstance::ChannelPathFor(name));
            return socket.waitForConnected(WAIT_MS);
        },
        WAIT_MS));
    QCOMPARE(first->state(), QProcess::Running);

    // The second ends by itself, successfully, without a word.
    ExpectSilentSuccess(StartTool(this, name));
    QCOMPARE(first->state(), QProcess::Running);
}

// This test stands in for the first copy; the real program is the second.
void TestSingleInstance::secondCopyAsksTheFirstToShowItself()
{
    const QString name = OwnName("show");
    CSingleInstance first(name);
    QVERIFY(first.TryAcquire());
    CInstanceChannel channel;
    QVERIFY(channel.Listen(CSingleInstance::ChannelPathFor(name)));
    QSignalSpy shows(&channel, &CInstanceChannel::ShowRequested);

    QProcess *second = StartTool(this, name);
    QTRY_COMPARE_WITH_TIMEOUT(shows.count(), 1, WAIT_MS);
    ExpectSilentSuccess(second);
    QCOMPARE(shows.count(), 1);
}

void TestSingleInstance::channelTakesOnlyTheRequest_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<int>("shows");
    QTest::newRow("the request") << QByteArray(CInstanceChannel::SHOW_REQUEST) << 1;
    QTest::newRow("the request in two pieces") << QByteArray("sh") << 0;
    QTest::newRow("another line") << QByteArray("quit\n") << 0;
    QTest::newRow("the request with more on its line") << QByteArray("show me\n") << 0;
    QTest::newRow("a line without end")
        << QByteArray(CInstanceChannel::MAX_REQUEST_BYTES * 4, 'x') << 0;
    QTest::newRow("nothing") << QByteArray() << 0;
}

// Whatever a peer sends, only the exact request shows the window, and every
// peer is hung up on: none keeps a socket of the tool open.
void TestSingleInstance::channelTakesOnlyTheRequest()
{
    QFETCH(QByteArray, sent);
    QFETCH(int, shows);
    const QString path = CSingleInstance::ChannelPathFor(OwnName("channel"));
    CInstanceChannel channel;
    QVERIFY(channel.Listen(path));
    QSignalSpy requests(&channel, &CInstanceChannel::ShowRequested);

    QLocalSocket peer;
    peer.connectToServer(path);
    QVERIFY(peer.waitForConnected(WAIT_MS));
    peer.write(sent);
    QVERIFY(sent.isEmpty() || peer.waitForBytesWritten(WAIT_MS));
    QTRY_COMPARE_WITH_TIMEOUT(peer.state(), QLocalSocket::UnconnectedState, WAIT_MS);
    QCOMPARE(requests.count(), shows);
}

void TestSingleInstance::shownWindowIsRestoredAndActive()
{
    QWidget window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.showMinimized();
    QTRY_VERIFY_WITH_TIMEOUT(window.isMinimized(), WAIT_MS);

    CHalvorinSetup101App::BringToFront(&window);
    QTRY_VERIFY_WITH_TIMEOUT(!window.isMinimized(), WAIT_MS);
    QVERIFY(window.isVisible());
    QVERIFY(QTest::qWaitForWindowActive(&window, WAIT_MS));
}

void TestSingleInstance::unfitInstanceNameIsRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("a path") << QStringLiteral("../elsewhere");
    QTest::newRow("hidden file") << QStringLiteral(".hidden");
    QTest::newRow("space") << QStringLiteral("two words");
    QTest::newRow("too long") << QString(65, QLatin1Char('a'));
}

void TestSingleInstance::unfitInstanceNameIsRefused()
{
    QFETCH(QString, name);
    QProcess *tool = StartTool(this, name);
    QVERIFY(tool->waitForFinished(WAIT_MS));
    QCOMPARE(tool->exitCode(), 2);
    QVERIFY(tool->readAllStandardError().contains(CHalvorinSetup101App::INSTANCE_VARIABLE));
}

// Without a runtime folder (sudo, su, ssh) the lock is not put at a name any
// user can take in the shared temporary folder, but in a folder of the user's
// own, made closed to everyone else.
void TestSingleInstance::withoutRuntimeFolderTheLockIsInAPrivateFolder()
{
    const CNoRuntimeFolder environment;
    const QString name = OwnName("private");
    CSingleInstance instance(name);
    QCOMPARE(QFileInfo(instance.LockPath()).absolutePath(), environment.Private());
    QCOMPARE(QFileInfo(CSingleInstance::ChannelPathFor(name)).absolutePath(),
             environment.Private());
    QCOMPARE(ModeOf(environment.Private()) & 07777, mode_t(0700));
    QCOMPARE(OwnerOf(environment.Private()), geteuid());
    QVERIFY(S_ISDIR(ModeOf(environment.Private())));
    QCOMPARE(instance.Acquire(), CSingleInstance::EOutcome::Acquired);
    QVERIFY(QFile::exists(instance.LockPath()));
}

// su keeps the first user's variable; that user's folder is not this one's.
void TestSingleInstance::runtimeFolderOfAnotherUserIsNotUsed()
{
    if (!CanActAsOtherUser())
        QSKIP("needs root that may act as another user");
    const CNoRuntimeFolder environment;
    const QString theirs = QDir(environment.Temp()).filePath(QStringLiteral("run-user"));
    QVERIFY(MakeFolder(theirs, 0700, OTHER_USER));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(theirs));
    CSingleInstance instance(OwnName("theirs"));
    QCOMPARE(QFileInfo(instance.LockPath()).absolutePath(), environment.Private());
    QCOMPARE(instance.Acquire(), CSingleInstance::EOutcome::Acquired);
    QVERIFY(QDir(theirs).isEmpty());
}

void TestSingleInstance::unfitPrivateFolderIsRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("why");
    QTest::newRow("open to the group") << QStringLiteral("0750") << QStringLiteral("mode 0750");
    QTest::newRow("open to everyone") << QStringLiteral("0777") << QStringLiteral("mode 0777");
    QTest::newRow("another user's")
        << QStringLiteral("other") << QStringLiteral("belongs to another user, nobody");
    QTest::newRow("a symbolic link to a private folder")
        << QStringLiteral("link") << QStringLiteral("symbolic link");
    QTest::newRow("a file") << QStringLiteral("file") << QStringLiteral("not a folder");
}

// Made in advance by someone else, or opened up, the folder is not used: the
// tool says why instead of handing its lock to whoever prepared the place.
void TestSingleInstance::unfitPrivateFolderIsRefused()
{
    QFETCH(QString, kind);
    QFETCH(QString, why);
    const CNoRuntimeFolder environment;
    const QString folder = environment.Private();
    const QString target = QDir(environment.Temp()).filePath(QStringLiteral("target"));
    if (kind == QLatin1String("other") && !CanActAsOtherUser())
        QSKIP("needs root that may act as another user");
    if (kind == QLatin1String("other")) {
        QVERIFY(MakeFolder(folder, 0700, OTHER_USER));
    } else if (kind == QLatin1String("link")) {
        QVERIFY(MakeFolder(target, 0700, geteuid()));
        QVERIFY(QFile::link(target, folder));
    } else if (kind == QLatin1String("file")) {
        QFile file(folder);
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else {
        QVERIFY(MakeFolder(folder, static_cast<mode_t>(kind.toUInt(nullptr, 8)), geteuid()));
    }

    CSingleInstance instance(OwnName("unfit"));
    QCOMPARE(instance.Acquire(), CSingleInstance::EOutcome::Refused);
    QVERIFY(instance.LockPath().isEmpty());
    QVERIFY2(instance.ErrorText().contains(folder), qPrintable(instance.ErrorText()));
    QVERIFY2(instance.ErrorText().contains(why), qPrintable(instance.ErrorText()));
    QVERIFY(CSingleInstance::ChannelPathFor(OwnName("unfit")).isEmpty());
    // Nothing was put into the place it refused.
    if (QFileInfo(folder).isDir())
        QVERIFY(QDir(folder).isEmpty());
    if (kind == QLatin1String("link"))
        QVERIFY(QDir(target).isEmpty());
}

void TestSingleInstance::lockHeldByAnotherUserIsSaid_data()
{
    QTest::addColumn<bool>("otherProcess");
    QTest::newRow("another user's running process") << true;
    QTest::newRow("a lock file another user made") << false;
}

// A lock only a copy of this user's could hold does not silence the tool when
// someone else holds it.
void TestSingleInstance::lockHeldByAnotherUserIsSaid()
{
    QFETCH(bool, otherProcess);
    if (!CanActAsOtherUser())
        QSKIP("needs root that may act as another user");
    const CNoRuntimeFolder environment;
    const QString name = OwnName("held");
    const QString path = CSingleInstance::LockPathFor(name);
    QVERIFY(!path.isEmpty());

    QProcess *holder = nullptr;
    const auto endHolder = qScopeGuard([&holder] {
        if (holder) {
            holder->kill();
            holder->waitForFinished(WAIT_MS);
        }
    });
    if (otherProcess) {
        holder = StartOtherUsersProcess(this);
        QVERIFY(holder->waitForStarted(WAIT_MS));
        // Its folder in /proc names the user only once it has switched.
        const QString proc = QStringLiteral("/proc/%1").arg(holder->processId());
        QVERIFY(QTest::qWaitFor([&proc] { return OwnerOf(proc) == OTHER_USER; }, WAIT_MS));
        QVERIFY(CraftLock(path, holder->processId(), QStringLiteral("sleep"), OTHER_USER));
    } else {
        QVERIFY(CraftLock(path, QCoreApplication::applicationPid(),
                          QFileInfo(QCoreApplication::applicationFilePath()).fileName(),
                          OTHER_USER));
    }

    CSingleInstance instance(name);
    QCOMPARE(instance.Acquire(), CSingleInstance::EOutcome::Refused);
    QVERIFY2(instance.ErrorText().contains(QStringLiteral("another user, nobody")),
             qPrintable(instance.ErrorText()));
    QVERIFY(instance.ErrorText().contains(path));
}

void TestSingleInstance::toolSaysWhyItCannotRun_data()
{
    QTest::addColumn<bool>("heldByOther");
    QTest::newRow("its folder is open to everyone") << false;
    QTest::newRow("another user holds its lock") << true;
}

// Without a display (ssh) there is no box: the words go to stderr, and the
// tool ends with 1, not with the silent 0 of a second copy.
void TestSingleInstance::toolSaysWhyItCannotRun()
{
    QFETCH(bool, heldByOther);
    if (heldByOther && !CanActAsOtherUser())
        QSKIP("needs root that may act as another user");
    const CNoRuntimeFolder environment;
    const QString name = OwnName("why");
    QString expected;
    if (heldByOther) {
        const QString path = CSingleInstance::LockPathFor(name);
        QVERIFY(CraftLock(path, QCoreApplication::applicationPid(),
                          QFileInfo(QCoreApplication::applicationFilePath()).fileName(),
                          OTHER_USER));
        expected = QStringLiteral("another user");
    } else {
        QVERIFY(MakeFolder(environment.Private(), 0777, geteuid()));
        expected = environment.Private();
    }

    QProcess tool;
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    for (const char *display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        variables.remove(QString::fromLatin1(display));
    variables.insert(QString::fromLatin1(CHalvorinSetup101App::INSTANCE_VARIABLE), name);
    tool.setProcessEnvironment(variables);
    tool.start(QStringLiteral(KESTAVON_SETUP_EXECUTABLE), {});
    QVERIFY(tool.waitForFinished(WAIT_MS));
    QCOMPARE(tool.exitCode(), 1);
    const QString said = QString::fromLocal8Bit(tool.readAllStandardError());
    QVERIFY2(said.contains(expected), qPrintable(said));
}

void TestSingleInstance::refusalIsShownInABox()
{
    const CMessageBoxRecorder boxes;
    CHalvorinSetup101App::ShowRefusal(QStringLiteral("held by another user"));
    QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("held by another user")});
    QCOMPARE(boxes.Requests().first().m_icon, QMessageBox::Warning);
}

KESTAVON_UI_TEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
