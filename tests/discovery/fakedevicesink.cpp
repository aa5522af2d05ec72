#include "fakedevicesink.h"

#include <utility>

void CFakeDeviceSink::AddDevice(QString model, QString name, QString ip, QString udn)
{
    m_devices.append({std::move(model), std::move(name), std::move(ip), std::move(udn)});
}
