#include "setupcommandline.h"

#include <cstring>

#include "kestavonversion.h"

QString CSetupCommandLine::Version()
{
    return QStringLiteral("kestavon-setup " KESTAVON_VERSION "\n");
}

QString CSetupCommandLine::Help()
{
    // clang-format off
    return QStringLiteral(
        "Usage: kestavon-setup [--help | --version]\n"
        "\n"
        "Finds Kestavon network media players on the local network and configures them:\n"
        "the player's name, Wi-Fi on or off, the Wi-Fi access point, the LAN and Wi-Fi IP\n"
        "set-up (static or DHCP), reboot and firmware update. Players of other models are\n"
        "shown through their own web page.\n"
        "\n"
        "At start the tool searches the network of the first adapter in its list; choose\n"
        "another adapter to search there. Players answer on TCP port 10014 and fetch\n"
        "firmware from TCP port 10017 of this computer, so a firewall must let them in:\n"
        "the firewalld service \"kestavon-setup\" and the ufw profile \"Kestavon Setup\",\n"
        "installed with the tool, open exactly these two ports.\n"
        "\n"
        "Only one copy runs at a time; a second one brings the first one's window to\n"
        "the front and ends at once.\n"
        "\n"
        "The embedded browser for the other models' web pages is loaded when a page is\n"
        "first shown, from kestavon-setup-browser.so in the tool's library folder.\n"
        "\n"
        "Environment:\n"
        "  KESTAVON_SETUP_INSTANCE  a name of its own for this copy's single instance\n"
        "                           (letters, digits, '.', '_', '-'), so that it runs\n"
        "                           beside a copy started without it\n"
        "\n"
        "Options:\n"
        "  -h, --help     show this text\n"
        "  --version      show the version\n");
    // clang-format on
}

std::optional<QString> CSetupCommandLine::Answer(int argc, const char *const *argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            return Help();
        if (std::strcmp(argv[i], "--version") == 0)
            return Version();
    }
    return std::nullopt;
}
