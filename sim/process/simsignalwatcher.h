#pragma once

#include <QObject>
#include <QSocketNotifier>

// Turns SIGINT and SIGTERM into a Qt signal on the main thread (through a
// socket pair, the only safe way out of a signal handler).
class CSimSignalWatcher : public QObject
{
    Q_OBJECT

public:
    explicit CSimSignalWatcher(QObject *parent = nullptr);
    ~CSimSignalWatcher() override;

    bool IsValid() const { return m_pNotifier != nullptr; }

signals:
    void Stopping();

private:
    static void Handle(int signal);

    QSocketNotifier *m_pNotifier = nullptr;
};
