#include "replyterminator.h"

#include "wirevocabulary.h"

void CReplyTerminator::Feed(QByteArrayView chunk)
{
    if (m_bFound)
        return;
    QByteArray window = m_tail;
    window.append(chunk);
    for (const QLatin1String tag : WireVocabulary::CLOSING_TAGS) {
        if (window.contains(QByteArrayView(tag.data(), tag.size()))) {
            m_bFound = true;
            m_tail.clear();
            return;
        }
    }
    // Anything that could still begin a tag completed by the next piece.
    m_tail = window.right(WireVocabulary::LONGEST_CLOSING_TAG - 1);
}
