#include "simtestclient.h"

#include <QDeadlineTimer>
#include <QTcpSocket>

namespace SimTestClient {

namespace {

constexpr int kProbeSize = 100;
constexpr char kProbeFiller = 0x55;

} // namespace

QByteArray CReply::All() const
{
    QByteArray all;
    for (const QByteArray &read : m_reads)
        all += read;
    return all;
}

QByteArray Request(const QString &operation, const QByteArray &body)
{
    const QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Tavrion api=\"1.0.1\" "
                           "operation=\"" +
                           operation.toUtf8() + "\">" + body + "</Tavrion>";
    return "POST /TavrionAPI HTTP/1.1\r\nContent-Length: " + QByteArray::number(xml.size()) +
           "\r\nContent-Type: text/plain; charset=UTF-8\r\nHost: 127.0.0.1:10015\r\n"
           "Connection: Keep-Alive\r\n\r\n" +
           xml;
}

CReply Exchange(const QString &ip, quint16 port, const QByteArray &bytes, int timeoutMs)
{
    CReply reply;
    QTcpSocket socket;
    const QDeadlineTimer deadline(timeoutMs);
    socket.connectToHost(ip, port);
    if (!socket.waitForConnected(timeoutMs)) {
        reply.m_connectError = socket.error();
        return reply;
    }
    reply.m_connected = true;
    socket.write(bytes);
    socket.waitForBytesWritten(timeoutMs);
    while (!deadline.hasExpired()) {
        if (socket.bytesAvailable() == 0 &&
            !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            break;
        const QByteArray read = socket.readAll();
        if (!read.isEmpty())
            reply.m_reads.append(read);
    }
    reply.m_closedByPeer = socket.state() == QAbstractSocket::UnconnectedState;
    return reply;
}

QByteArray Command(const QString &ip, const QString &operation, const QByteArray &body)
{
    return Exchange(ip, kCommandPort, Request(operation, body)).All();
}

QByteArray Reply(const QString &operation, const QByteArray &elements, const QByteArray &errcode)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Tavrion api=\"1.0.1\" operation=\"" +
           operation.toUtf8() + "\" errcode=\"" + errcode + "\">" + elements + "</Tavrion>";
}

QByteArray Probe()
{
    QByteArray probe = QByteArrayLiteral("tavrion.ver012.windows_x86\0");
    probe.append(kProbeSize - probe.size(), kProbeFiller);
    return probe;
}

} // namespace SimTestClient
