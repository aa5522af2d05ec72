#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include "devicesink.h"

// Records every player handed over, as the setup manager would list them.
class CFakeDeviceSink : public CDeviceSink
{
public:
    struct Device
    {
        QString m_strModel;
        QString m_strName;
        QString m_strIp;
        QString m_strUdn;

        bool operator==(const Device &) const = default;
    };

    explicit CFakeDeviceSink(QObject *mainWindow) : m_pMainWindow(mainWindow) {}

    bool AddDevice(QString model, QString name, QString ip, QString udn) override;
    QObject *MainWindow() const override { return m_pMainWindow; }

    // Read with the discovery lock held, as the manager does.
    QList<Device> Devices() const { return m_devices; }

private:
    QObject *m_pMainWindow;
    QList<Device> m_devices;
};
