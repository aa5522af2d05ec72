#include "playerrequest.h"

#include <array>
#include <utility>

namespace {

using CommandName = std::pair<EPlayerCommand, const char *>;

const std::array<CommandName, 16> kCommandNames = {{
    {EPlayerCommand::Adapters, "adapters"},
    {EPlayerCommand::Discover, "discover"},
    {EPlayerCommand::Info, "info"},
    {EPlayerCommand::Name, "name"},
    {EPlayerCommand::Wifi, "wifi"},
    {EPlayerCommand::Aps, "aps"},
    {EPlayerCommand::Connect, "connect"},
    {EPlayerCommand::Forget, "forget"},
    {EPlayerCommand::Lan, "lan"},
    {EPlayerCommand::Wlan, "wlan"},
    {EPlayerCommand::Reboot, "reboot"},
    {EPlayerCommand::Reset, "reset"},
    {EPlayerCommand::Firmware, "firmware"},
    {EPlayerCommand::Inventory, "inventory"},
    {EPlayerCommand::Apply, "apply"},
    {EPlayerCommand::Doctor, "doctor"},
}};

} // namespace

bool CPlayerRequest::IsPlayerCommand() const
{
    return m_command != EPlayerCommand::None && m_command != EPlayerCommand::Adapters &&
           m_command != EPlayerCommand::Discover && m_command != EPlayerCommand::Doctor &&
           !IsSiteCommand();
}

bool CPlayerRequest::IsSiteCommand() const
{
    return m_command == EPlayerCommand::Inventory || m_command == EPlayerCommand::Apply;
}

bool CPlayerRequest::IsQuery() const
{
    switch (m_command) {
    case EPlayerCommand::Info:
    case EPlayerCommand::Aps:
        return true;
    case EPlayerCommand::Lan:
    case EPlayerCommand::Wlan:
        return Setup() == ESetupAction::Show;
    default:
        return false;
    }
}

ESetupAction CPlayerRequest::Setup() const
{
    if (m_arguments.isEmpty())
        return ESetupAction::Show;
    return m_arguments.first() == QLatin1String("static") ? ESetupAction::Static
                                                          : ESetupAction::Dhcp;
}

QString CPlayerRequest::CommandName() const
{
    return CommandName(m_command);
}

QString CPlayerRequest::CommandName(EPlayerCommand command)
{
    for (const auto &[value, name] : kCommandNames) {
        if (value == command)
            return QLatin1String(name);
    }
    return {};
}

EPlayerCommand CPlayerRequest::CommandFromName(const QString &name)
{
    for (const auto &[value, text] : kCommandNames) {
        if (name == QLatin1String(text))
            return value;
    }
    return EPlayerCommand::None;
}
