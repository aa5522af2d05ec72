#pragma once

#include <QObject>
#include <QString>

// What discovery needs from its owner: somewhere to put the players that
// announce themselves, and the front-end object to tell about it.
class CDeviceSink
{
public:
    virtual ~CDeviceSink() = default;
    // Called on a receiver thread with the discovery lock held. True when the
    // player was added; false for a repeat or a player that is not taken.
    virtual bool AddDevice(QString model, QString name, QString ip, QString udn) = 0;
    // The front end's object that WM_DEVICE_LIST_CHANGED is posted to, or nullptr.
    virtual QObject *MainWindow() const = 0;
};
