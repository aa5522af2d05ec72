#include "playerfixture.h"

#include <QRegularExpression>

#include "postedmessage.h"

CPlayerFixture::CPlayerFixture()
{
    m_manager.SetMainWindow(this);
}

CPlayerFixture::~CPlayerFixture()
{
    m_manager.SetMainWindow(nullptr);
    m_network.Stop();
}

CSimPlayerConfig CPlayerFixture::DefaultPlayer()
{
    return CSimPlayerConfig::ForAddress(PlayerIp());
}

bool CPlayerFixture::Start(const CSimPlayerConfig &player, QString *error)
{
    if (!m_network.Start({player}, error))
        return false;
    m_network.SetUnreachableTime(UNREACHABLE_MS);
    m_manager.TargetDevice(player.m_strAddress);
    m_manager.ChooseLocalIp(LocalIp());
    return true;
}

QStringList CPlayerFixture::Operations() const
{
    static const QRegularExpression operation(QStringLiteral("operation=\"([^\"]*)\""));
    QStringList operations;
    for (const QByteArray &request : m_network.ReceivedRequests(PlayerIp())) {
        const QRegularExpressionMatch match = operation.match(QString::fromLatin1(request));
        if (match.hasMatch())
            operations.append(match.captured(1));
    }
    return operations;
}

QByteArray CPlayerFixture::LastRequest(const QString &operation) const
{
    const QByteArray marker = "operation=\"" + operation.toLatin1() + '"';
    const QList<QByteArray> requests = m_network.ReceivedRequests(PlayerIp());
    for (auto it = requests.crbegin(); it != requests.crend(); ++it) {
        if (it->contains(marker))
            return *it;
    }
    return {};
}

bool CPlayerFixture::event(QEvent *event)
{
    if (event->type() >= static_cast<QEvent::Type>(WM_USER) && event->type() < QEvent::MaxUser) {
        m_posted.append(static_cast<int>(event->type()));
        return true;
    }
    return QObject::event(event);
}
