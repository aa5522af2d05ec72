// CPacket: the framed request's bytes.
#pragma once

// Base of the request packets the command channel sends.
class CPacket
{
public:
    virtual ~CPacket() = default;
};
