#include <QLockFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>

#include "singleinstance.h"
#include "uitestmain.h"

// One copy of the tool at a time: a second copy ends at once, silently.
class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void secondHolderIsRefusedUntilTheFirstEnds();
    void secondCopyOfTheToolEndsSilently();
};

namespace {

// Generous for a loaded machine; reached only when something is broken.
constexpr int WAIT_MS = 20000;
QProcess *StartTool(QObject *parent)
{
    auto *tool = new QProcess(parent);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    tool->setProcessEnvironment(environment);
    tool->start(QStringLiteral(KESTAVON_SETUP_EXECUTABLE), {});
    return tool;
}

} // namespace

void TestSingleInstance::secondHolderIsRefusedUntilTheFirstEnds()
{
    const QString name =
        QStringLiteral("tst_singleinstance-%1").arg(QCoreApplication::applicationPid());
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
    const QString lockPath = CSingleInstance::LockPathFor(QStringLiteral("kestavon-setup"));
    QLockFile probe(lockPath);
    probe.setStaleLockTime(0);
    if (!probe.tryLock(0))
        QSKIP("a copy of kestavon-setup is running for this user");
    probe.unlock();

    // The first copy runs and holds the lock. Only looked at, never taken:
    // holding it even briefly would make the starting copy a second one.
    QProcess *first = StartTool(this);
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
    QCOMPARE(first->state(), QProcess::Running);

    // The second ends by itself, successfully, without a word.
    QProcess *second = StartTool(this);
    QVERIFY(second->waitForFinished(WAIT_MS));
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);
    QCOMPARE(second->readAllStandardOutput(), QByteArray());
    QCOMPARE(second->readAllStandardError(), QByteArray());
    QCOMPARE(first->state(), QProcess::Running);
}

KESTAVON_UI_TEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
