#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTcpSocket>

// A player announcing itself: connects from its own loopback address to the
// announcement port and sends its description, piece by piece.
class CFakeAnnouncer
{
public:
    // Long enough for a loaded machine; only reached when something is broken.
    static constexpr int WAIT_MS = 10000;
    // Long enough for the tool to read one piece before the next is sent.
    static constexpr int PIECE_GAP_MS = 30;

    explicit CFakeAnnouncer(const QString &playerAddress);

    // A well-formed announcement of a KS-200 named "Player HOST" at 127.0.0.HOST.
    static QByteArray Description(int host);

    bool Connect(quint16 port);
    bool Send(const QByteArray &bytes);
    bool SendPieces(const QList<QByteArray> &pieces);
    // Waits until the tool has closed the connection.
    bool WaitClosedByTool();
    void Close();

    QTcpSocket &Socket() { return m_socket; }

private:
    QString m_strAddress;
    QTcpSocket m_socket;
};
