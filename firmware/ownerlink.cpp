#include "ownerlink.h"

#include <QMutexLocker>

#include "postedmessage.h"

std::shared_ptr<COwnerLink> COwnerLink::Create(QObject *pOwner)
{
    auto link = std::make_shared<COwnerLink>(pOwner);
    // destroyed() comes before QObject removes the owner's posted events, so
    // anything posted up to the cut is discarded with the owner, never delivered.
    if (pOwner)
        QObject::connect(pOwner, &QObject::destroyed, pOwner, [link] { link->Clear(); });
    return link;
}

COwnerLink::COwnerLink(QObject *pOwner) : m_pOwner(pOwner) {}

bool COwnerLink::Post(int message, qint64 wParam, qint64 lParam, const QString &text)
{
    QMutexLocker locker(&m_mutex);
    if (!m_pOwner)
        return false;
    CPostedMessage::Post(m_pOwner, message, wParam, lParam, text);
    return true;
}

void COwnerLink::Clear()
{
    QMutexLocker locker(&m_mutex);
    m_pOwner = nullptr;
}
