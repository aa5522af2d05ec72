#include "fakedevicesink.h"

#include <utility>

bool CFakeDeviceSink::AddDevice(QString model, QString name, QString ip, QString udn)
{
    // Like the manager, a repeated address is not added again.
    for (const Device &device : std::as_const(m_devices)) {
        if (device.m_strIp == ip)
            return false;
    }
    m_devices.append({std::move(model), std::move(name), std::move(ip), std::move(udn)});
    return true;
}
