#pragma once

#include <QObject>

class CDeviceDiscover;

// Takes the messages posted to the discovery thread. It lives on that thread
// from the start, so messages posted before the thread's loop runs wait for
// it instead of being lost.
class CDiscoverInbox : public QObject
{
    Q_OBJECT

public:
    explicit CDiscoverInbox(CDeviceDiscover *discover);

    // The event type of the quit request, distinct from every message number.
    static int QuitRequest();

    bool event(QEvent *event) override;

private:
    CDeviceDiscover *m_pDiscover;
};
