#include "adapterinfo.h"

#include <utility>

CAdapterInfo::CAdapterInfo(QString description, QString adapterName, QString macAddress,
                           QString ipAddress, QString ipMask)
    : m_strDescription(std::move(description)), m_strAdapterName(std::move(adapterName)),
      m_strMacAddress(std::move(macAddress)), m_strIpAddress(std::move(ipAddress)),
      m_strIpMask(std::move(ipMask))
{}
