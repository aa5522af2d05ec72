#include <atomic>

#include <QGuiApplication>
#include <QLineEdit>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <qpa/qwindowsysteminterface.h>

#include "busyrunner.h"
#include "threadhandover.h"
#include "uitestmain.h"

// While an operation runs, the user-interface thread keeps handling
// everything but user input. Each test's operation waits for something only
// a live user-interface thread can do, so a frozen thread fails the test
// instead of slowing it down.
class TestBusyRunner : public QObject
{
    Q_OBJECT

private slots:
    void returnsTheResultOfWorkOffTheUserInterfaceThread();
    void timersFireAndTheWaitCursorShowsDuringTheCall();
    void windowsRepaintDuringTheCall();
    void userInputDuringTheCallIsDropped();
    void operationsStartedDuringAnotherRunOneAfterTheOther();
};

namespace {

// Generous for a loaded machine; reached only when something is broken.
constexpr int WAIT_MS = 10000;
// How often the user-interface thread's helpers tick during a call.
constexpr int TICK_MS = 5;

// A widget that reports each repaint.
class CPaintCounter : public QWidget
{
public:
    QSemaphore m_painted;

protected:
    void paintEvent(QPaintEvent *) override { m_painted.release(); }
};

} // namespace

void TestBusyRunner::returnsTheResultOfWorkOffTheUserInterfaceThread()
{
    QThread *workThread = nullptr;
    QSignalSpy idle(CBusyRunner::Instance(), &CBusyRunner::Idle);
    const int result = CBusyRunner::Run([&workThread] {
        workThread = QThread::currentThread();
        return 42;
    });
    QCOMPARE(result, 42);
    QVERIFY(workThread);
    QVERIFY(workThread != QThread::currentThread());
    QVERIFY(!CBusyRunner::IsBusy());
    QCOMPARE(idle.count(), 1);
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestBusyRunner::timersFireAndTheWaitCursorShowsDuringTheCall()
{
    QSemaphore ticked;
    bool waitCursor = false;
    bool busy = false;
    QTimer timer;
    connect(&timer, &QTimer::timeout, this, [&] {
        const QCursor *cursor = QGuiApplication::overrideCursor();
        waitCursor = cursor && cursor->shape() == Qt::WaitCursor;
        busy = CBusyRunner::IsBusy();
        ticked.release();
    });
    timer.start(TICK_MS);
    const int result = CBusyRunner::Run([&ticked] { return ticked.tryAcquire(1, WAIT_MS); });
    QCOMPARE(result, 1);
    QVERIFY(waitCursor);
    QVERIFY(busy);
}

void TestBusyRunner::windowsRepaintDuringTheCall()
{
    CPaintCounter widget;
    widget.resize(100, 100);
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    while (widget.m_painted.tryAcquire()) {
    }
    const int result = CBusyRunner::Run([&widget] {
        QMetaObject::invokeMethod(&widget, ThreadHandover::Handed([&widget] { widget.update(); }),
                                  Qt::QueuedConnection);
        return widget.m_painted.tryAcquire(1, WAIT_MS);
    });
    QCOMPARE(result, 1);
}

void TestBusyRunner::userInputDuringTheCallIsDropped()
{
    QLineEdit edit;
    edit.show();
    edit.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&edit));
    edit.setFocus();

    // The key arrives from the window system while the call runs; afterwards
    // the loop ticks twice more, so a loop that handled input would have.
    QSemaphore afterKey;
    bool keySent = false;
    QTimer timer;
    connect(&timer, &QTimer::timeout, this, [&] {
        if (!keySent) {
            keySent = true;
            QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
                edit.windowHandle(), QEvent::KeyPress, Qt::Key_A, Qt::NoModifier,
                QStringLiteral("a"));
            return;
        }
        afterKey.release();
    });
    timer.start(TICK_MS);
    const int result = CBusyRunner::Run([&afterKey] { return afterKey.tryAcquire(2, WAIT_MS); });
    timer.stop();
    QCOMPARE(result, 1);
    QCOMPARE(edit.text(), QString());
    // Dropped, not replayed: a key typed afterwards is the only one handled.
    // It comes the same way as the first, so had the first been kept it would
    // be handled before it.
    QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
        edit.windowHandle(), QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"));
    QTRY_VERIFY_WITH_TIMEOUT(!edit.text().isEmpty(), WAIT_MS);
    QCOMPARE(edit.text(), QStringLiteral("b"));
}

void TestBusyRunner::operationsStartedDuringAnotherRunOneAfterTheOther()
{
    std::atomic<int> inside{0};
    std::atomic<int> mostInside{0};
    std::atomic<bool> innerStarted{false};
    auto enter = [&] { mostInside = std::max(mostInside.load(), ++inside); };
    int innerResult = 0;
    QTimer::singleShot(0, this, [&] {
        innerStarted = true;
        innerResult = CBusyRunner::Run([&] {
            enter();
            --inside;
            return 2;
        });
    });
    const int outerResult = CBusyRunner::Run([&] {
        enter();
        QDeadlineTimer deadline(WAIT_MS);
        while (!innerStarted && !deadline.hasExpired())
            QThread::msleep(TICK_MS);
        // Give the inner operation every chance to overlap if it could.
        QThread::msleep(TICK_MS * 4);
        --inside;
        return innerStarted ? 1 : 0;
    });
    QCOMPARE(outerResult, 1);
    QTRY_COMPARE_WITH_TIMEOUT(innerResult, 2, WAIT_MS);
    QCOMPARE(mostInside.load(), 1);
}

KESTAVON_UI_TEST_MAIN(TestBusyRunner)
#include "tst_busyrunner.moc"
