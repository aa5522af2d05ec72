// CNetCommander: the command channel: one TCP exchange with a player's port 10015.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "httppacket.h"
#include "stpcmdtag.h"

#include "commandsocket.h"

class CReplyTerminator;
class CResultStore;

// The command channel: one request/reply exchange with a player over a fresh
// TCP connection per command. Synchronous: the caller waits until the player
// has closed the connection, bounded by the time-outs below.
class CNetCommander
{
public:
    static constexpr quint16 COMMAND_PORT = 10015;
    static constexpr qint64 RECV_CHUNK_SIZE = 40960;
    // A player on the local network answers a connect at once; five seconds
    // covers a busy one without leaving the user staring at a wait cursor.
    static constexpr int CONNECT_TIMEOUT_MS = 5000;
    // From the end of sending to the player's close: long enough for a player
    // that scans for access points before it answers.
    static constexpr int RECEIVE_TIMEOUT_MS = 15000;
    // Replies are small XML documents; anything larger is not a player talking.
    static constexpr qint64 MAX_REPLY_SIZE = 1024 * 1024;

    explicit CNetCommander(CResultStore *manager);
    virtual ~CNetCommander() = default;

    void SetCommandTarget(const QString &address, const STP_CMD_TAG &command);
    int Execute(const QString &address, const STP_CMD_TAG &command);
    int ExecuteWithArgs(const QString &address, const STP_CMD_TAG &command,
                        const QStringList &arguments);
    int Transact();

    static QString ExtractXml(const QString &reply);
    int ParseReply(const QString &xml);
    int ParseStatusReply(const QString &xml, const QString &operation);
    int ParseDataReply(const QString &xml);

    // The current command; its error member records the outcome.
    const STP_CMD_TAG &GetCommand() const { return m_command; }
    // Whether the last exchange handed its whole request to the player; false
    // when it failed before (no connection, sending broke off, no command).
    bool RequestSent() const { return m_bRequestSent; }
    QString GetAddress() const { return m_strAddress; }
    const CHttpPacket &GetPacket() const { return m_packet; }

    void SetTimeouts(int connectMs, int receiveMs);

private:
    enum class ReadOutcome
    {
        Closed,
        TimedOut,
        Failed,
        TooLarge
    };

    void SetError(const QString &text);
    ReadOutcome ReadUntilClosed(CCommandSocket &socket, QByteArray &reply,
                                CReplyTerminator &terminator);
    int HandleReply(const QByteArray &reply, bool bTerminated);

    CResultStore *m_pManager;
    QString m_strAddress;
    STP_CMD_TAG m_command;
    CHttpPacket m_packet;
    int m_connectTimeoutMs = CONNECT_TIMEOUT_MS;
    int m_receiveTimeoutMs = RECEIVE_TIMEOUT_MS;
    bool m_bRequestSent = false;
};
