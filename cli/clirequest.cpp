#include "clirequest.h"

#include <array>
#include <utility>

namespace {

using CommandName = std::pair<ECliCommand, const char *>;

const std::array<CommandName, 16> kCommandNames = {{
    {ECliCommand::Adapters, "adapters"},
    {ECliCommand::Discover, "discover"},
    {ECliCommand::Info, "info"},
    {ECliCommand::Name, "name"},
    {ECliCommand::Wifi, "wifi"},
    {ECliCommand::Aps, "aps"},
    {ECliCommand::Connect, "connect"},
    {ECliCommand::Forget, "forget"},
    {ECliCommand::Lan, "lan"},
    {ECliCommand::Wlan, "wlan"},
    {ECliCommand::Reboot, "reboot"},
    {ECliCommand::Reset, "reset"},
    {ECliCommand::Firmware, "firmware"},
    {ECliCommand::Inventory, "inventory"},
    {ECliCommand::Apply, "apply"},
    {ECliCommand::Doctor, "doctor"},
}};

} // namespace

bool CCliRequest::IsPlayerCommand() const
{
    return m_command != ECliCommand::None && m_command != ECliCommand::Adapters &&
           m_command != ECliCommand::Discover && m_command != ECliCommand::Doctor &&
           !IsSiteCommand();
}

bool CCliRequest::IsSiteCommand() const
{
    return m_command == ECliCommand::Inventory || m_command == ECliCommand::Apply;
}

bool CCliRequest::IsQuery() const
{
    switch (m_command) {
    case ECliCommand::Info:
    case ECliCommand::Aps:
        return true;
    case ECliCommand::Lan:
    case ECliCommand::Wlan:
        return Setup() == ECliSetup::Show;
    default:
        return false;
    }
}

ECliSetup CCliRequest::Setup() const
{
    if (m_arguments.isEmpty())
        return ECliSetup::Show;
    return m_arguments.first() == QLatin1String("static") ? ECliSetup::Static : ECliSetup::Dhcp;
}

QString CCliRequest::CommandName() const
{
    return CommandName(m_command);
}

QString CCliRequest::CommandName(ECliCommand command)
{
    for (const auto &[value, name] : kCommandNames) {
        if (value == command)
            return QLatin1String(name);
    }
    return {};
}

ECliCommand CCliRequest::CommandFromName(const QString &name)
{
    for (const auto &[value, text] : kCommandNames) {
        if (name == QLatin1String(text))
            return value;
    }
    return ECliCommand::None;
}
