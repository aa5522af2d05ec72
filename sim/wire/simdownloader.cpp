#include "simdownloader.h"

#include <utility>

#include <QNetworkProxy>
#include <QTcpSocket>

#include "simlimits.h"
#include "simregistry.h"

namespace {

using EKind = CSimFault::EKind;

const QByteArray kFirmMagic = QByteArrayLiteral("KSFW");
// The version line must fit in the image's first bytes; this is plenty.
constexpr qsizetype kFirmHeadBytes = 64;

} // namespace

CSimDownloader::CSimDownloader(CSimRegistry &registry, QString address, QHostAddress from,
                               QHostAddress server, const QList<CSimFault> &faults, QObject *parent)
    : QObject(parent), m_registry(registry), m_strAddress(std::move(address)),
      m_from(std::move(from)), m_server(std::move(server)), m_holdMs(SimLimits::kDefaultHoldMs)
{
    for (const CSimFault &fault : faults) {
        if (fault.m_kind == EKind::DownloadDelay)
            m_delayMs = fault.m_delayMs;
        if (fault.m_kind == EKind::DownloadStopReading) {
            m_stopAt = fault.Bytes();
            m_holdMs = fault.m_holdMs;
        }
        if (fault.m_kind == EKind::DownloadAbort)
            m_abortAt = fault.Bytes();
        if (fault.m_kind == EKind::DownloadRequestLine)
            m_requestLine = fault.Text().toUtf8();
    }
    m_timer.setSingleShot(true);
    // A scripted delay is a promise: never fire early, as a coarse timer may.
    m_timer.setTimerType(Qt::PreciseTimer);
}

void CSimDownloader::Start()
{
    connect(&m_timer, &QTimer::timeout, this, &CSimDownloader::Connect);
    m_timer.start(qMax(0, m_delayMs));
}

void CSimDownloader::Connect()
{
    disconnect(&m_timer, nullptr, this, nullptr);
    connect(&m_timer, &QTimer::timeout, this, [this] { Finish(false); });
    m_pSocket = new QTcpSocket(this);
    m_pSocket->setProxy(QNetworkProxy::NoProxy);
    // Taken in small steps, so a reader that stops really pushes back on the tool.
    m_pSocket->setReadBufferSize(SimLimits::kDownloadReadChunk);
    connect(m_pSocket, &QTcpSocket::connected, this, &CSimDownloader::OnConnected);
    connect(m_pSocket, &QTcpSocket::readyRead, this, &CSimDownloader::Take);
    connect(m_pSocket, &QTcpSocket::disconnected, this, &CSimDownloader::OnDisconnected);
    connect(m_pSocket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
        if (m_pSocket->state() != QAbstractSocket::ConnectedState)
            OnDisconnected();
    });
    if (!m_pSocket->bind(m_from, 0)) {
        Finish(false);
        return;
    }
    m_pSocket->connectToHost(m_server, SimLimits::kFirmwarePort);
    m_timer.start(SimLimits::kConnectTimeoutMs);
}

void CSimDownloader::OnConnected()
{
    m_connected = true;
    if (m_requestLine)
        m_pSocket->write(*m_requestLine);
    m_timer.start(SimLimits::kDownloadIdleTimeoutMs);
    Take();
}

void CSimDownloader::Take()
{
    if (m_recorded)
        return;
    while (m_pSocket->bytesAvailable() > 0) {
        const qint64 want = NextReadSize();
        if (want <= 0)
            break;
        const QByteArray chunk = m_pSocket->read(want);
        m_hash.addData(chunk);
        m_size += chunk.size();
        if (m_head.size() < kFirmHeadBytes)
            m_head.append(chunk.left(kFirmHeadBytes - m_head.size()));
    }
    m_timer.start(SimLimits::kDownloadIdleTimeoutMs);
    if (m_stopAt && m_size >= *m_stopAt)
        Hold();
    else if ((m_abortAt && m_size >= *m_abortAt) || m_size >= SimLimits::kMaxDownloadBytes)
        Finish(false);
}

qint64 CSimDownloader::NextReadSize() const
{
    qint64 want = qMin(SimLimits::kDownloadReadChunk, SimLimits::kMaxDownloadBytes - m_size);
    if (m_stopAt)
        want = qMin(want, *m_stopAt - m_size);
    if (m_abortAt)
        want = qMin(want, *m_abortAt - m_size);
    return want;
}

void CSimDownloader::OnDisconnected()
{
    if (m_recorded)
        return;
    Take();
    // The tool ends a good upload by closing; anything else is a failed download.
    const QAbstractSocket::SocketError error = m_pSocket->error();
    if (!m_recorded)
        Finish(m_connected && (error == QAbstractSocket::RemoteHostClosedError ||
                               error == QAbstractSocket::UnknownSocketError));
}

void CSimDownloader::Hold()
{
    // Recorded now, so a test can watch the tool while the player is stuck.
    m_recorded = true;
    CSimDownload download{m_size, QString::fromLatin1(m_hash.result().toHex()), false, {}};
    m_registry.RecordDownload(m_strAddress, download);
    disconnect(m_pSocket, nullptr, this, nullptr);
    disconnect(&m_timer, nullptr, this, nullptr);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_pSocket->abort();
        deleteLater();
    });
    m_timer.start(qMax(0, m_holdMs));
}

void CSimDownloader::Finish(bool complete)
{
    if (m_recorded)
        return;
    m_recorded = true;
    m_timer.stop();
    const QString version = complete ? FirmVersion() : QString();
    CSimDownload download{m_size, QString::fromLatin1(m_hash.result().toHex()), complete, version};
    m_registry.RecordDownload(m_strAddress, download);
    if (!version.isEmpty()) {
        m_registry.Update(m_strAddress, [&version](CSimPlayerRecord &record) {
            record.m_state.m_strFirmVersion = version;
        });
    }
    if (m_pSocket)
        m_pSocket->abort();
    if (!version.isEmpty())
        emit Installed();
    deleteLater();
}

QString CSimDownloader::FirmVersion() const
{
    const qsizetype newline = m_head.indexOf('\n');
    if (!m_head.startsWith(kFirmMagic) || newline < 0)
        return {};
    return QString::fromUtf8(m_head.mid(kFirmMagic.size(), newline - kFirmMagic.size())).trimmed();
}
