#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QObject>
#include <QString>
#include <QTcpSocket>

// A plain player-side downloader for the tests: connects from its own
// loopback address to the file server, optionally sends a request line, reads
// until the server closes and keeps the size and SHA-256 of what arrived. It
// can stop reading after some bytes (until Resume()) or abort there.
class CTestDownloader : public QObject
{
    Q_OBJECT

public:
    explicit CTestDownloader(const QString &localAddress, QObject *parent = nullptr);

    void SetRequestLine(const QByteArray &requestLine) { m_requestLine = requestLine; }
    void SetPauseAfter(qint64 nBytes) { m_nPauseAfter = nBytes; }
    void SetAbortAfter(qint64 nBytes) { m_nAbortAfter = nBytes; }

    void Start(quint16 port);
    void Resume();

    bool IsConnected() const { return m_bConnected; }
    bool IsDone() const { return m_bDone; }
    bool IsPaused() const { return m_nPauseAfter >= 0 && m_nReceived >= m_nPauseAfter; }
    qint64 Received() const { return m_nReceived; }
    QByteArray Sha256Hex() const { return m_hash.result().toHex(); }
    QAbstractSocket::SocketError Error() const { return m_error; }

private:
    void OnConnected();
    void OnReadyRead();
    void OnEnded();

    QTcpSocket m_socket;
    QString m_strLocalAddress;
    QByteArray m_requestLine;
    QCryptographicHash m_hash{QCryptographicHash::Sha256};
    qint64 m_nReceived = 0;
    qint64 m_nPauseAfter = -1;
    qint64 m_nAbortAfter = -1;
    bool m_bConnected = false;
    bool m_bDone = false;
    QAbstractSocket::SocketError m_error = QAbstractSocket::UnknownSocketError;
};
