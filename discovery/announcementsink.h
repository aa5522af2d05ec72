#pragma once

class CAnnouncement;

// Where an announcement receiver hands the player it has read. Called on the
// receiver's own thread; several receivers may call at once.
class CAnnouncementSink
{
public:
    virtual ~CAnnouncementSink() = default;
    virtual void OnDeviceFound(const CAnnouncement &announcement) = 0;
};
