#include "notifyreceiver.h"

#include <algorithm>
#include <optional>

#include <unistd.h>

#include <QTimer>

#include "devicediscover.h"
#include "notifysocket.h"
#include "xmldocument.h"

CNotifyReceiver::CNotifyReceiver(qintptr accepted, CDeviceDiscover *discover, int timeoutMs,
                                 qsizetype maxBytes)
    : m_hAccepted(accepted), m_pDiscover(discover), m_deadline(timeoutMs), m_maxBytes(maxBytes)
{}

void CNotifyReceiver::run()
{
    Receive();
    m_ended.store(true, std::memory_order_release);
}

void CNotifyReceiver::Receive()
{
    CNotifySocket socket(this, m_maxBytes);
    if (!socket.setSocketDescriptor(m_hAccepted)) {
        // The socket did not take the descriptor over, so it is still ours.
        ::close(static_cast<int>(m_hAccepted));
        return;
    }
    QTimer timeout;
    timeout.setSingleShot(true);
    connect(&timeout, &QTimer::timeout, &socket, &CNotifySocket::GiveUp);
    timeout.start(static_cast<int>(std::max<qint64>(0, m_deadline.remainingTime())));
    socket.Begin();
    exec();
    socket.abort();
}

void CNotifyReceiver::ParseDeviceInfo(const QString &text)
{
    CXmlDocument document;
    if (!document.LoadXml(text))
        return;
    const std::optional<QString> model = document.SelectText("model");
    const std::optional<QString> name = document.SelectText("name");
    const std::optional<QString> ip = document.SelectText("ip");
    const std::optional<QString> udn = document.SelectText("udn");
    if (!model || !name || !ip || !udn)
        return;
    m_pDiscover->OnDeviceFound(*model, *name, *ip, *udn);
}
