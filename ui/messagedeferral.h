#pragma once

#include <optional>

#include <QEvent>
#include <QList>
#include <QString>

// Holds the main window's messages while an operation runs, so that they are
// handled after it, in the order they came. Once anything is held, later
// messages queue up behind it even when no operation runs any more, or a
// message arriving just after the operation would overtake older ones.
class CMessageDeferral
{
public:
    // One held message: its number (or QEvent::Timer) and its parameters.
    struct SMessage
    {
        int m_nMessage = 0;
        qint64 m_wParam = 0;
        qint64 m_lParam = 0;
        QString m_strText;
    };

    // Announcements during a long wait arrive by the hundred. Two list
    // changes in a row refill the list alike, so they are held as one; past
    // this many held messages the oldest go, so a flood cannot grow the queue
    // without end.
    static constexpr qsizetype MAX_HELD = 1024;

    // Keeps a copy of event and returns true when it must wait: while busy,
    // or while older messages are still held.
    bool HoldIfNeeded(const QEvent *event, bool busy);
    bool HasHeld() const { return !m_held.isEmpty(); }
    std::optional<SMessage> TakeNext();

private:
    QList<SMessage> m_held;
};
