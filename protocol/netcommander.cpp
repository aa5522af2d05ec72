#include "netcommander.h"

#include <QDeadlineTimer>

#include "commandcatalogue.h"
#include "commandsocket.h"
#include "replydecoder.h"
#include "replyterminator.h"
#include "resultstore.h"

namespace {

// Players act on these at once and do not answer: the exchange ends after
// sending.
bool ExpectsNoReply(qint32 id)
{
    return id == CMD_UPDATE_FIRMWARE || id == CMD_REBOOT_DEVICE;
}

} // namespace

CNetCommander::CNetCommander(CResultStore *manager) : m_pManager(manager) {}

void CNetCommander::SetTimeouts(int connectMs, int receiveMs)
{
    m_connectTimeoutMs = connectMs;
    m_receiveTimeoutMs = receiveMs;
}

void CNetCommander::SetCommandTarget(const QString &address, const STP_CMD_TAG &command)
{
    m_strAddress = address;
    m_command = command;
    m_packet.SetCommand(command);
}

int CNetCommander::Execute(const QString &address, const STP_CMD_TAG &command)
{
    SetCommandTarget(address, command);
    return Transact();
}

int CNetCommander::ExecuteWithArgs(const QString &address, const STP_CMD_TAG &command,
                                   const QStringList &arguments)
{
    if (arguments.isEmpty()) {
        m_bRequestSent = false;
        // The new command is not taken; the previous one carries the error.
        SetError(QStringLiteral("error: invalid argc"));
        return 0;
    }
    SetCommandTarget(address, command);
    m_packet.SetBody(CHttpPacket::FillBody(m_packet.GetBodyFormat(), arguments));
    return Transact();
}

void CNetCommander::SetError(const QString &text)
{
    m_command.error.nCode = 1;
    m_command.error.strText = text;
}

int CNetCommander::Transact()
{
    m_bRequestSent = false;
    CCommandSocket socket;
    switch (socket.Connect(m_strAddress, COMMAND_PORT, m_connectTimeoutMs)) {
    case CCommandSocket::Result::Done:
        break;
    case CCommandSocket::Result::NoSocket:
        SetError(QStringLiteral("error: socket creation failed"));
        return 0;
    case CCommandSocket::Result::TimedOut:
        SetError(QStringLiteral("error: socket connection timed out"));
        return 0;
    default:
        SetError(QStringLiteral("error: socket connection failed"));
        return 0;
    }

    const QDeadlineTimer sendDeadline(m_receiveTimeoutMs);
    switch (socket.SendAll(m_packet.GetRequestBytes(), sendDeadline)) {
    case CCommandSocket::Result::Done:
        break;
    // Without a text the user would learn only that something failed.
    case CCommandSocket::Result::TimedOut:
        SetError(QStringLiteral("error: socket send timed out"));
        return 0;
    default:
        SetError(QStringLiteral("error: socket send failed"));
        return 0;
    }
    m_bRequestSent = true;
    if (ExpectsNoReply(m_command.nId))
        return 1;

    QByteArray reply;
    CReplyTerminator terminator;
    switch (ReadUntilClosed(socket, reply, terminator)) {
    case ReadOutcome::Closed:
        return HandleReply(reply, terminator.Found());
    case ReadOutcome::TimedOut:
        SetError(QStringLiteral("error: socket receive timed out"));
        return 0;
    case ReadOutcome::TooLarge:
        SetError(QStringLiteral("error: reply too large"));
        return 0;
    case ReadOutcome::Failed:
        break;
    }
    SetError(QStringLiteral("error: socket receive.. failed"));
    return 0;
}

// The player's close ends the reply; there is no length to go by.
CNetCommander::ReadOutcome CNetCommander::ReadUntilClosed(CCommandSocket &socket, QByteArray &reply,
                                                          CReplyTerminator &terminator)
{
    const QDeadlineTimer deadline(m_receiveTimeoutMs);
    for (;;) {
        const qsizetype start = reply.size();
        switch (socket.Receive(reply, RECV_CHUNK_SIZE, deadline)) {
        case CCommandSocket::Result::Done:
            if (reply.size() > MAX_REPLY_SIZE)
                return ReadOutcome::TooLarge;
            terminator.Feed(QByteArrayView(reply).sliced(start));
            break;
        case CCommandSocket::Result::Closed:
            return ReadOutcome::Closed;
        case CCommandSocket::Result::TimedOut:
            return ReadOutcome::TimedOut;
        default:
            return ReadOutcome::Failed;
        }
    }
}

int CNetCommander::HandleReply(const QByteArray &reply, bool bTerminated)
{
    if (!bTerminated) {
        SetError(QStringLiteral("error: Invalid Packet"));
        return 0;
    }
    return ParseReply(ExtractXml(QString::fromUtf8(reply)));
}

QString CNetCommander::ExtractXml(const QString &reply)
{
    return CReplyDecoder::ExtractXml(reply);
}

int CNetCommander::ParseReply(const QString &xml)
{
    if (m_command.bSet == 1)
        return ParseStatusReply(xml, m_command.strOperation);
    return ParseDataReply(xml);
}

int CNetCommander::ParseStatusReply(const QString &xml, const QString &operation)
{
    return CReplyDecoder::DecodeStatus(xml, operation, m_command.error);
}

int CNetCommander::ParseDataReply(const QString &xml)
{
    STP_CMD_RESULT_TAG result;
    if (!CReplyDecoder::DecodeData(xml, m_command.nId, result, m_command.error))
        return 0;
    if (m_pManager)
        m_pManager->StoreResult(result);
    return 1;
}
