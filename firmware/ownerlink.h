#pragma once

#include <memory>

#include <QMutex>
#include <QObject>
#include <QString>

// The way from an uploader thread to the object that shows its progress. The
// owner may be destroyed on its own thread while an upload runs; a QPointer
// read on the uploader's thread would race with that deletion, so every post
// happens under a lock that the owner's destruction takes to cut the link.
class COwnerLink
{
public:
    // A link that cuts itself when pOwner is destroyed; pOwner may be null.
    static std::shared_ptr<COwnerLink> Create(QObject *pOwner);

    explicit COwnerLink(QObject *pOwner);
    COwnerLink(const COwnerLink &) = delete;
    COwnerLink &operator=(const COwnerLink &) = delete;

    // Posts a CPostedMessage to the owner; false once the owner is gone.
    bool Post(int message, qint64 wParam, qint64 lParam = 0, const QString &text = {});
    // After this returns no post is in progress and none will reach the owner.
    void Clear();

private:
    QMutex m_mutex;
    QObject *m_pOwner;
};
