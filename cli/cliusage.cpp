#include "cliusage.h"

#include "kestavonversion.h"

QString CCliUsage::ProgramName()
{
    return QStringLiteral("kestavon-cli");
}

QString CCliUsage::Version()
{
    return ProgramName() + QStringLiteral(" " KESTAVON_VERSION "\n");
}

QString CCliUsage::Synopsis()
{
    // clang-format off
    return QStringLiteral(
        "Usage:\n"
        "  kestavon-cli [--json] adapters\n"
        "  kestavon-cli [--json] discover [--adapter DESCRIPTION | --local-ip ADDRESS | --subnet CIDR]\n"
        "               [--wait SECONDS]\n"
        "  kestavon-cli [--json | --csv] inventory\n"
        "               [--adapter DESCRIPTION | --local-ip ADDRESS | --subnet CIDR]\n"
        "               [--wait SECONDS] [--parallel N]\n"
        "  kestavon-cli [--json] [--parallel N] (--player ADDRESS)... COMMAND [ARGS]\n"
        "  kestavon-cli [--json] [--parallel N] --all\n"
        "               [--adapter DESCRIPTION | --local-ip ADDRESS | --subnet CIDR]\n"
        "               [--wait SECONDS] COMMAND [ARGS]\n"
        "  kestavon-cli --help | --version\n");
    // clang-format on
}

QString CCliUsage::Help()
{
    // clang-format off
    return Synopsis() + QStringLiteral(
        "\n"
        "Finds Kestavon players on the local network and configures them from a terminal,\n"
        "with the same requests and the same error texts as the desktop tool.\n"
        "\n"
        "Commands:\n"
        "  adapters               list this computer's IPv4 network adapters\n"
        "  discover               sweep the /24 network of an adapter's address (default: the\n"
        "                         first adapter's), listen --wait seconds for answers, list the\n"
        "                         players by address: name, model, ip, udn, model class;\n"
        "                         --subnet CIDR sweeps every host of that IPv4 network\n"
        "                         instead (at most 4096 addresses: /20 or longer)\n"
        "  inventory              discover like discover, then read every player of model\n"
        "                         class 2 (info, lan, wlan); one row per player by address:\n"
        "                         name, model, modelClass, ip, udn, firmversion, serialnumber,\n"
        "                         lanmac, wifimac, lanip, wifiip, wifionoff, lanmode, wlanmode,\n"
        "                         error; other classes keep only what they announced; a\n"
        "                         player that fails is listed with its error (exit 1)\n"
        "  info                   name, Wi-Fi state and device information\n"
        "  name NEW_NAME          rename the player\n"
        "  wifi on|off            switch the player's Wi-Fi interface on or off\n"
        "  aps                    the access points the player sees\n"
        "  connect ESSID PASSWORD ENCRYPTION\n"
        "                         join an access point; PASSWORD - reads the password from\n"
        "                         standard input (one line), so it does not appear in the\n"
        "                         process list; ENCRYPTION is one of OPEN, WEP, WPA, WPA2,\n"
        "                         WPA/WPA2\n"
        "  forget ESSID [--reset] delete the player's saved profile of an access point;\n"
        "                         --reset then resets the player\n"
        "  lan, wlan              show the IP set-up of the LAN or Wi-Fi interface\n"
        "  lan static IP MASK GATEWAY DNS1 DNS2 [--reboot]\n"
        "  lan dhcp [--reboot]    change the LAN set-up; --reboot reboots the player after a\n"
        "                         successful change; GATEWAY, DNS1 and DNS2 may be \"\"\n"
        "  wlan static ... | wlan dhcp ...\n"
        "                         the same for the Wi-Fi interface\n"
        "  reboot                 reboot the player\n"
        "  reset                  reset the player\n"
        "  firmware FILE [--local-ip ADDRESS] [--timeout SECONDS]\n"
        "                         serve FILE on TCP port 10017, send \"updateFirmware\" to every\n"
        "                         player and wait until each has received the whole file or\n"
        "                         the time-out (default 300 s) has passed; ADDRESS is the local\n"
        "                         address the players download from (default: the address\n"
        "                         --all discovered from, else the first adapter's); a progress\n"
        "                         bar per player on standard error when it is a terminal\n"
        "\n"
        "Options:\n"
        "  --json                 write one JSON document on standard output\n"
        "  --csv                  inventory only: CSV (RFC 4180) with a header line\n"
        "  --player ADDRESS       a player to work on, by IPv4 address; repeat for several\n"
        "  --all                  discover first, then work on every player of model class 2;\n"
        "                         players of other classes are reported as skipped\n"
        "  --adapter DESCRIPTION  discover from the adapter with this description (see adapters)\n"
        "  --local-ip ADDRESS     discover from this local address instead\n"
        "  --wait SECONDS         how long discovery listens for answers (default 3)\n"
        "  --parallel N           work on up to N players at once (default 1: one after\n"
        "                         another; at most 64)\n"
        "  -h, --help             show this text\n"
        "  --version              show the version\n"
        "\n"
        "Output:\n"
        "  Text by default: a table, or one line or block per player. Failures go to standard\n"
        "  error as ADDRESS: ERROR_TEXT.\n"
        "  With --json, one JSON document on standard output:\n"
        "    adapters   [{description, name, mac, ip, mask}]\n"
        "    discover   [{name, model, ip, udn, modelClass}]\n"
        "    inventory  [{name, model, modelClass, ip, udn, firmversion, serialnumber, lanmac,\n"
        "               wifimac, lanip, wifiip, wifionoff, lanmode, wlanmode, error}]; modelClass\n"
        "               a number, wifionoff true/false, lanmode/wlanmode static or dhcp, a field\n"
        "               not read null\n"
        "    others     [{player, ok, skipped, result, error}], one entry per player; error\n"
        "               is the error text when ok is false, else null; result is null on\n"
        "               failure, otherwise:\n"
        "      info       {devicename, wifionoff (1 or 0), lanip, wifiip, lanmac, wifimac,\n"
        "                  firmversion, serialnumber}\n"
        "      aps        [{essid, encryptionkey, quality, connected, saved}]\n"
        "      lan, wlan  {setupmode, ipaddress, subnetmask, defaultgateway, primarydns,\n"
        "                  seconddns}, with reboot (true/false) after a change\n"
        "      name       {devicename}     wifi {wifionoff}\n"
        "      connect    {essid, encryptionkey}     forget {essid, reset}\n"
        "      firmware   {downloadip, size}     reboot, reset: null\n"
        "      skipped    {name, model, modelClass} (ok true, skipped true)\n"
        "\n"
        "Exit status:\n"
        "  0  every operation succeeded\n"
        "  1  at least one operation failed\n"
        "  2  usage error: nothing was sent\n"
        "  3  discovery found no player\n"
        "\n"
        "Examples:\n"
        "  kestavon-cli discover --wait 5\n"
        "  kestavon-cli --csv inventory --subnet 192.168.0.0/22 > site.csv\n"
        "  kestavon-cli --player 192.168.1.20 info\n"
        "  kestavon-cli --player 192.168.1.20 --player 192.168.1.21 name \"Living Room\"\n"
        "  echo \"$WIFI_PASSWORD\" | kestavon-cli --all connect Office - WPA2\n"
        "  kestavon-cli --player 192.168.1.20 lan static 192.168.1.50 255.255.255.0 192.168.1.1 192.168.1.1 \"\" --reboot\n"
        "  kestavon-cli --json --all --parallel 8 firmware ks210-2.4.bin --timeout 600\n");
    // clang-format on
}
