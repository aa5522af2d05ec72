#pragma once

#include <QEvent>
#include <QList>
#include <QObject>
#include <QPair>

#include "postedmessage.h"

// Stands in for the front end's main window: records every posted message.
class CMessageLog : public QObject
{
public:
    using Entry = QPair<int, qint64>; // message number, first parameter

    bool event(QEvent *event) override
    {
        if (event->type() >= static_cast<QEvent::Type>(WM_USER)) {
            const auto *message = static_cast<CPostedMessage *>(event);
            entries.append({message->Message(), message->WParam()});
            return true;
        }
        return QObject::event(event);
    }

    int Count(int message) const
    {
        int count = 0;
        for (const Entry &entry : entries)
            count += entry.first == message ? 1 : 0;
        return count;
    }

    QList<Entry> entries;
};
