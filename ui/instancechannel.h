#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

class QLocalSocket;

// How a second copy of the tool reaches the first: the first listens on a
// local socket of its user's; a second copy connects, asks it to show its
// window, and ends.
class CInstanceChannel : public QObject
{
    Q_OBJECT

public:
    // The one request there is.
    static constexpr char SHOW_REQUEST[] = "show\n";
    // A request is one short line; anything longer is not a copy of ours.
    static constexpr qint64 MAX_REQUEST_BYTES = 64;
    // A copy that does not send its request by then is cut off; a second
    // copy gives up on a first that does not take it by then.
    static constexpr int TIMEOUT_MS = 2000;

    explicit CInstanceChannel(QObject *parent = nullptr);

    // Listens at path. Only the holder of the single-instance lock calls it,
    // so a socket file left there by a crashed copy is removed first.
    bool Listen(const QString &path);
    // Asks the copy listening at path to show its window; false when none
    // took the request.
    static bool AskToShow(const QString &path);

signals:
    void ShowRequested();

private:
    void OnNewConnection();
    void OnReadyRead(QLocalSocket *socket);
    // Hangs up on a peer that is not a copy of ours.
    static void Drop(QLocalSocket *socket);

    QLocalServer m_server;
};
