// CPostedMessage: an event posted between threads, numbered like the messages below.
#pragma once

#include <utility>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QString>

#include "threadhandover.h"

// The messages the core posts to the front end and to its own worker threads.
// Their numbers are the event types, so a receiver can tell them apart by
// QEvent::type() alone.
constexpr int WM_USER = 1024;
constexpr int WM_DISCOVER_SWEEP = WM_USER + 101;      // 1125
constexpr int WM_DEVICE_LIST_CHANGED = WM_USER + 102; // 1126
constexpr int WM_SHOW_DEVICE_PAGE = WM_USER + 200;    // 1224
constexpr int WM_DELAYED_REFRESH = WM_USER + 201;     // 1225
constexpr int WM_UPLOAD_PROGRESS = WM_USER + 900;     // 1924
// An uploader thread cannot show a message box; it posts the text instead.
constexpr int WM_UPLOAD_FAILED = WM_USER + 901; // 1925

// A posted message: an event whose type is the message number, with the two
// integer parameters a message carries and, for failure reports, a text.
class CPostedMessage : public QEvent
{
public:
    CPostedMessage(int message, qint64 wParam = 0, qint64 lParam = 0, QString text = {})
        : QEvent(static_cast<QEvent::Type>(message)), m_wParam(wParam), m_lParam(lParam),
          m_strText(std::move(text))
    {}

    // Qt deletes a message on the receiving thread, also one never delivered.
    ~CPostedMessage() override { ThreadHandover::Acquire(this); }

    int Message() const { return static_cast<int>(type()); }
    qint64 WParam() const { return m_wParam; }
    qint64 LParam() const { return m_lParam; }
    QString Text() const { return m_strText; }

    // Posts without ever blocking the caller; a null receiver drops the message.
    static void Post(QObject *receiver, int message, qint64 wParam = 0, qint64 lParam = 0,
                     QString text = {})
    {
        if (!receiver)
            return;
        auto *posted = new CPostedMessage(message, wParam, lParam, std::move(text));
        ThreadHandover::Release(posted);
        QCoreApplication::postEvent(receiver, posted);
    }

private:
    qint64 m_wParam;
    qint64 m_lParam;
    QString m_strText;
};
