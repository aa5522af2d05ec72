#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Watches a reply arrive in pieces for one of the closing tags that mark it
// complete. Only the last few bytes of what came before are kept, so a tag
// split across reads is found however the reply was cut, without searching
// the whole reply again after every read.
class CReplyTerminator
{
public:
    void Feed(QByteArrayView chunk);
    bool Found() const { return m_bFound; }

private:
    QByteArray m_tail;
    bool m_bFound = false;
};
