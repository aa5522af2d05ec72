#pragma once

#include <optional>

#include <QByteArray>
#include <QCryptographicHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include "simfault.h"

class QTcpSocket;
class CSimRegistry;

// Fetches one firmware image: connects from the player's address to port
// 10017 of the tool and reads until the tool closes. Records size and
// SHA-256 in the registry, then deletes itself.
//
// An image that starts with "KSFW" followed by a version text and a newline
// (within its first 64 bytes) sets the player's firmversion once it has been
// received in full, and the player reboots to run it.
class CSimDownloader : public QObject
{
    Q_OBJECT

public:
    // address names the player's record; from is where it connects from.
    CSimDownloader(CSimRegistry &registry, QString address, QHostAddress from, QHostAddress server,
                   const QList<CSimFault> &faults, QObject *parent);
    void Start();

signals:
    // A whole image with a version line arrived: the player installs it and reboots.
    void Installed();

private:
    void Connect();
    void OnConnected();
    void Take();
    qint64 NextReadSize() const;
    void OnDisconnected();
    void Finish(bool complete);
    void Hold();
    QString FirmVersion() const;

    CSimRegistry &m_registry;
    QString m_strAddress;
    QHostAddress m_from;
    QHostAddress m_server;
    int m_delayMs = 0;
    int m_holdMs = 0;
    std::optional<qint64> m_stopAt;
    std::optional<qint64> m_abortAt;
    std::optional<QByteArray> m_requestLine;
    QTcpSocket *m_pSocket = nullptr;
    QCryptographicHash m_hash{QCryptographicHash::Sha256};
    qint64 m_size = 0;
    QByteArray m_head;
    QTimer m_timer;
    bool m_connected = false;
    bool m_recorded = false;
};
