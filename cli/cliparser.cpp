#include "cliparser.h"

#include "clivalues.h"
#include "ipv4text.h"
#include "nametext.h"
#include "playerkinds.h"

namespace {

const QLatin1String OPTION_PREFIX("--");
const QLatin1String END_OF_OPTIONS("--");

QString OptionName(const QString &token)
{
    const qsizetype equals = token.indexOf(QLatin1Char('='));
    return equals < 0 ? token : token.left(equals);
}

bool IsOption(const QString &token)
{
    return token.startsWith(OPTION_PREFIX) && token != END_OF_OPTIONS;
}

// "static" IP MASK GATEWAY DNS1 DNS2: the address and mask are needed, a
// player on an isolated segment may have no gateway or name server.
constexpr qsizetype STATIC_ARGUMENTS = 6;
constexpr qsizetype FIRST_ADDRESS = 1;
constexpr qsizetype MASK_ARGUMENT = 2;
constexpr qsizetype FIRST_OPTIONAL_ADDRESS = 3;

const QStringList kEncryptions = PlayerKinds::EncryptionNames();

} // namespace

CCliParseResult CCliParser::Parse(const QStringList &arguments)
{
    return CCliParser(arguments).Run();
}

CCliParser::CCliParser(const QStringList &arguments) : m_arguments(arguments) {}

CCliParseResult CCliParser::Run()
{
    CCliParseResult result;
    if (Requested(QLatin1StringView("--help"), QLatin1StringView("-h"))) {
        result.m_status = CCliParseResult::EStatus::Help;
        return result;
    }
    if (Requested(QLatin1StringView("--version"))) {
        result.m_status = CCliParseResult::EStatus::Version;
        return result;
    }
    if (ParseGlobalOptions() && ParseCommandWord() && ParseCommandTail() && CheckTargets() &&
        CheckArguments()) {
        m_request.m_players.removeDuplicates();
        result.m_status = CCliParseResult::EStatus::Run;
        result.m_request = m_request;
        return result;
    }
    result.m_strError = m_strError;
    return result;
}

bool CCliParser::Fail(const QString &error)
{
    m_strError = error;
    return false;
}

// Help and version win over anything else on the line, as in most tools.
bool CCliParser::Requested(QLatin1StringView longName, QLatin1StringView shortName) const
{
    for (const QString &token : m_arguments) {
        if (token == END_OF_OPTIONS)
            return false;
        if (token == longName || (!shortName.isEmpty() && token == shortName))
            return true;
    }
    return false;
}

bool CCliParser::TakeValue(const QString &token, QString &value)
{
    const qsizetype equals = token.indexOf(QLatin1Char('='));
    if (equals >= 0) {
        value = token.mid(equals + 1);
        return true;
    }
    if (m_nIndex + 1 >= m_arguments.size())
        return Fail(QStringLiteral("option %1 needs a value").arg(token));
    value = m_arguments.at(++m_nIndex);
    return true;
}

// --adapter, --local-ip and --wait choose where and how long to discover.
bool CCliParser::ParseSweepOption(const QString &name, const QString &token, bool &handled)
{
    handled = true;
    QString value;
    if (name == QLatin1String("--adapter")) {
        if (!TakeValue(token, value))
            return false;
        if (value.isEmpty())
            return Fail(QStringLiteral("--adapter needs an adapter description"));
        m_request.m_strAdapter = value;
    } else if (name == QLatin1String("--local-ip")) {
        if (!TakeValue(token, value))
            return false;
        if (!CIpv4Text::IsAddress(value))
            return Fail(QStringLiteral("--local-ip: '%1' is not an IPv4 address").arg(value));
        m_request.m_strSweepIp = value;
    } else if (name == QLatin1String("--wait")) {
        if (!TakeValue(token, value))
            return false;
        const std::optional<int> ms = CCliValues::ParseSeconds(value, MAX_WAIT_SECONDS);
        if (!ms)
            return Fail(
                QStringLiteral("--wait: '%1' is not a number of seconds above 0, at most %2")
                    .arg(value)
                    .arg(MAX_WAIT_SECONDS));
        m_request.m_nWaitMs = *ms;
    } else if (name == QLatin1String("--subnet")) {
        if (!TakeValue(token, value))
            return false;
        QString error;
        m_request.m_subnet = CSweepRange::Parse(value, &error);
        if (!m_request.m_subnet)
            return Fail(QStringLiteral("--subnet: %1").arg(error));
    } else {
        handled = false;
        return true;
    }
    m_bSweepOptions = true;
    return true;
}

bool CCliParser::ParseGlobalOptions()
{
    for (; m_nIndex < m_arguments.size() && IsOption(m_arguments.at(m_nIndex)); ++m_nIndex) {
        const QString token = m_arguments.at(m_nIndex);
        const QString name = OptionName(token);
        bool handled = false;
        if (!ParseSweepOption(name, token, handled))
            return false;
        if (handled)
            continue;
        QString value;
        if (name == QLatin1String("--json")) {
            m_request.m_bJson = true;
        } else if (name == QLatin1String("--csv")) {
            m_request.m_bCsv = true;
        } else if (name == QLatin1String("--all")) {
            m_request.m_bAll = true;
        } else if (name == QLatin1String("--player")) {
            if (!TakeValue(token, value))
                return false;
            if (!CIpv4Text::IsAddress(value))
                return Fail(QStringLiteral("--player: '%1' is not an IPv4 address").arg(value));
            m_request.m_players.append(value);
        } else if (name == QLatin1String("--parallel")) {
            if (!ParseParallel(token))
                return false;
        } else {
            return Fail(QStringLiteral("unknown option '%1'").arg(token));
        }
    }
    return true;
}

bool CCliParser::ParseParallel(const QString &token)
{
    QString value;
    if (!TakeValue(token, value))
        return false;
    const std::optional<int> count = CCliValues::ParseCount(value, MAX_PARALLEL);
    if (!count)
        return Fail(QStringLiteral("--parallel: '%1' is not a number from 1 to %2")
                        .arg(value)
                        .arg(MAX_PARALLEL));
    m_request.m_nParallel = *count;
    m_bParallelGiven = true;
    return true;
}

bool CCliParser::ParseTimeout(const QString &token)
{
    QString value;
    if (!TakeValue(token, value))
        return false;
    const std::optional<int> ms = CCliValues::ParseSeconds(value, MAX_TIMEOUT_SECONDS);
    if (!ms)
        return Fail(QStringLiteral("--timeout: '%1' is not a number of seconds above 0, at most %2")
                        .arg(value)
                        .arg(MAX_TIMEOUT_SECONDS));
    m_request.m_nTimeoutMs = *ms;
    return true;
}

bool CCliParser::ParseCommandWord()
{
    if (m_nIndex >= m_arguments.size() || m_arguments.at(m_nIndex) == END_OF_OPTIONS)
        return Fail(QStringLiteral("no command given"));
    const QString word = m_arguments.at(m_nIndex++);
    m_request.m_command = CPlayerRequest::CommandFromName(word);
    if (m_request.m_command == EPlayerCommand::None)
        return Fail(QStringLiteral("unknown command '%1'").arg(word));
    return true;
}

bool CCliParser::ParseCommandTail()
{
    bool optionsEnded = false;
    for (; m_nIndex < m_arguments.size(); ++m_nIndex) {
        const QString token = m_arguments.at(m_nIndex);
        if (!optionsEnded && token == END_OF_OPTIONS) {
            optionsEnded = true;
        } else if (!optionsEnded && IsOption(token)) {
            if (!ParseTailOption(OptionName(token), token))
                return false;
        } else {
            m_request.m_arguments.append(token);
        }
    }
    return true;
}

bool CCliParser::ParseTailOption(const QString &name, const QString &token)
{
    const EPlayerCommand command = m_request.m_command;
    QString value;
    if (name == QLatin1String("--json")) {
        m_request.m_bJson = true;
        return true;
    }
    if (name == QLatin1String("--csv")) {
        m_request.m_bCsv = true;
        return true;
    }
    if (command == EPlayerCommand::Apply && name == QLatin1String("--dry-run")) {
        m_request.m_bDryRun = true;
        return true;
    }
    if (command == EPlayerCommand::Firmware && name == QLatin1String("--expect-version")) {
        if (!TakeValue(token, value))
            return false;
        if (value.trimmed().isEmpty())
            return Fail(QStringLiteral("--expect-version needs a version text"));
        m_request.m_strExpectVersion = value;
        return true;
    }
    if (m_request.IsSiteCommand() && name == QLatin1String("--parallel"))
        return ParseParallel(token);
    if ((command == EPlayerCommand::Firmware || command == EPlayerCommand::Apply) &&
        name == QLatin1String("--timeout"))
        return ParseTimeout(token);
    if (command == EPlayerCommand::Discover || m_request.IsSiteCommand()) {
        bool handled = false;
        if (!ParseSweepOption(name, token, handled))
            return false;
        if (handled)
            return true;
    } else if (command == EPlayerCommand::Forget && name == QLatin1String("--reset")) {
        m_request.m_bReset = true;
        return true;
    } else if ((command == EPlayerCommand::Lan || command == EPlayerCommand::Wlan) &&
               name == QLatin1String("--reboot")) {
        m_request.m_bReboot = true;
        return true;
    } else if (command == EPlayerCommand::Firmware && name == QLatin1String("--local-ip")) {
        if (!TakeValue(token, value))
            return false;
        if (!CIpv4Text::IsAddress(value))
            return Fail(QStringLiteral("--local-ip: '%1' is not an IPv4 address").arg(value));
        m_request.m_strDownloadIp = value;
        return true;
    }
    return Fail(
        QStringLiteral("option %1 does not apply to '%2'").arg(name, m_request.CommandName()));
}

bool CCliParser::CheckTargets()
{
    const CPlayerRequest &r = m_request;
    if (!r.m_strAdapter.isEmpty() && !r.m_strSweepIp.isEmpty())
        return Fail(QStringLiteral("--adapter and --local-ip cannot be used together"));
    if (r.m_subnet && (!r.m_strAdapter.isEmpty() || !r.m_strSweepIp.isEmpty()))
        return Fail(QStringLiteral("--subnet cannot be used with --adapter or --local-ip"));
    if (r.m_bCsv && r.m_bJson)
        return Fail(QStringLiteral("--json and --csv cannot be used together"));
    if (r.m_bCsv && r.m_command != EPlayerCommand::Inventory)
        return Fail(QStringLiteral("--csv applies only to 'inventory'"));
    if (r.IsSiteCommand()) {
        if (r.m_bAll || !r.m_players.isEmpty())
            return Fail(QStringLiteral("'%1' finds the players itself: --player and --all do "
                                       "not apply")
                            .arg(r.CommandName()));
        return true;
    }
    if (!r.IsPlayerCommand()) {
        if (r.m_bAll || !r.m_players.isEmpty() || m_bParallelGiven)
            return Fail(QStringLiteral("'%1' works on no player: --player, --all and --parallel "
                                       "do not apply")
                            .arg(r.CommandName()));
        if (r.m_command != EPlayerCommand::Discover && m_bSweepOptions)
            return Fail(QStringLiteral("'%1' takes no discovery option").arg(r.CommandName()));
        return true;
    }
    if (r.m_bAll && !r.m_players.isEmpty())
        return Fail(QStringLiteral("--player and --all cannot be used together"));
    if (!r.m_bAll && r.m_players.isEmpty())
        return Fail(QStringLiteral("name the players with --player ADDRESS, or use --all"));
    if (!r.m_bAll && m_bSweepOptions)
        return Fail(QStringLiteral("--adapter, --local-ip, --subnet and --wait apply only to "
                                   "discover, inventory, apply and --all"));
    return true;
}

bool CCliParser::CheckArity(int count)
{
    if (m_request.m_arguments.size() == count)
        return true;
    return Fail(QStringLiteral("'%1' takes %2 argument(s), %3 given")
                    .arg(m_request.CommandName())
                    .arg(count)
                    .arg(m_request.m_arguments.size()));
}

bool CCliParser::CheckArguments()
{
    const QStringList &args = m_request.m_arguments;
    switch (m_request.m_command) {
    case EPlayerCommand::Name:
        if (!CheckArity(1))
            return false;
        if (args.first().isEmpty())
            return Fail(QStringLiteral("the new name is empty"));
        return CheckName(QStringLiteral("the new name"),
                         CNameText::DeviceNameProblem(args.first()));
    case EPlayerCommand::Wifi:
        if (!CheckArity(1))
            return false;
        return args.first() == QLatin1String("on") || args.first() == QLatin1String("off") ||
               Fail(QStringLiteral("'wifi' takes on or off, not '%1'").arg(args.first()));
    case EPlayerCommand::Connect:
        if (!CheckArity(3))
            return false;
        if (args.first().isEmpty())
            return Fail(QStringLiteral("the ESSID is empty"));
        if (!CheckName(QStringLiteral("the ESSID"), CNameText::EssidProblem(args.first())))
            return false;
        return kEncryptions.contains(args.at(2)) ||
               Fail(QStringLiteral("unknown encryption '%1': use one of %2")
                        .arg(args.at(2), kEncryptions.join(QLatin1String(", "))));
    case EPlayerCommand::Forget:
        if (!CheckArity(1))
            return false;
        return !args.first().isEmpty() || Fail(QStringLiteral("the ESSID is empty"));
    case EPlayerCommand::Lan:
    case EPlayerCommand::Wlan:
        return CheckIpSetup();
    case EPlayerCommand::Apply:
        if (!CheckArity(1))
            return false;
        return !args.first().isEmpty() || Fail(QStringLiteral("the plan file name is empty"));
    case EPlayerCommand::Firmware:
        if (!CheckArity(1))
            return false;
        return !args.first().isEmpty() || Fail(QStringLiteral("the firmware file name is empty"));
    default:
        return CheckArity(0);
    }
}

bool CCliParser::CheckName(const QString &field, const QString &problem)
{
    return problem.isEmpty() || Fail(field + QLatin1Char(' ') + problem);
}

// lan and wlan: nothing (show), "dhcp", or "static" with five addresses.
bool CCliParser::CheckIpSetup()
{
    const QStringList &args = m_request.m_arguments;
    const QString command = m_request.CommandName();
    if (args.isEmpty()) {
        return !m_request.m_bReboot ||
               Fail(QStringLiteral("--reboot applies only to '%1 static' and '%1 dhcp'")
                        .arg(command));
    }
    if (args.first() == QLatin1String("dhcp"))
        return CheckArity(1);
    if (args.first() != QLatin1String("static"))
        return Fail(
            QStringLiteral("'%1' takes static or dhcp, not '%2'").arg(command, args.first()));
    if (args.size() != STATIC_ARGUMENTS)
        return Fail(QStringLiteral("'%1 static' takes IP MASK GATEWAY DNS1 DNS2").arg(command));
    if (!CheckAddressArguments(FIRST_ADDRESS, FIRST_OPTIONAL_ADDRESS, false) ||
        !CheckAddressArguments(FIRST_OPTIONAL_ADDRESS, STATIC_ARGUMENTS, true))
        return false;
    // A mask with a gap in its one-bits leaves the player without a network.
    const QString &mask = args.at(MASK_ARGUMENT);
    return CIpv4Text::IsMask(mask) || Fail(QStringLiteral("'%1' is not a subnet mask").arg(mask));
}

bool CCliParser::CheckAddressArguments(qsizetype first, qsizetype end, bool allowEmpty)
{
    const QStringList &args = m_request.m_arguments;
    for (qsizetype i = first; i < end; ++i) {
        const QString &value = args.at(i);
        if (allowEmpty && value.isEmpty())
            continue;
        if (!CIpv4Text::IsAddress(value))
            return Fail(QStringLiteral("'%1' is not an IPv4 address").arg(value));
    }
    return true;
}
