#include "plan.h"

#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QRegularExpression>

#include "csv.h"
#include "filecheck.h"
#include "jsonkeys.h"
#include "ipv4text.h"
#include "nametext.h"
#include "playerkinds.h"

namespace {

const QString UDN = QStringLiteral("udn");
const QString LANMAC = QStringLiteral("lanmac");
const QString NAME = QStringLiteral("name");
const QString WIFI = QStringLiteral("wifi");
const QString LAN = QStringLiteral("lan");
const QString WLAN = QStringLiteral("wlan");
const QString ACCESS_POINT = QStringLiteral("accessPoint");
const QString FIRMWARE = QStringLiteral("firmware");
const QString MODE = QStringLiteral("mode");
const QString IP = QStringLiteral("ip");
const QString MASK = QStringLiteral("mask");
const QString GATEWAY = QStringLiteral("gateway");
const QString DNS1 = QStringLiteral("dns1");
const QString DNS2 = QStringLiteral("dns2");
const QString ESSID = QStringLiteral("essid");
const QString ENCRYPTION = QStringLiteral("encryption");
const QString PASSWORD_ENV = QStringLiteral("passwordEnv");
const QString FILE_KEY = QStringLiteral("file");
const QString VERSION = QStringLiteral("version");
// Flattened CSV columns join a field and its part with this.
const QChar CSV_NESTING = u'_';

const QStringList kEntryKeys = {UDN, LANMAC, NAME, WIFI, LAN, WLAN, ACCESS_POINT, FIRMWARE};
const QStringList kSetupKeys = {MODE, IP, MASK, GATEWAY, DNS1, DNS2};
const QStringList kAccessPointKeys = {ESSID, ENCRYPTION, PASSWORD_ENV};
const QStringList kFirmwareKeys = {FILE_KEY, VERSION};
const QStringList kEncryptions = PlayerKinds::EncryptionNames();

QString Dotted(const QString &field, const QString &key)
{
    return field.isEmpty() ? key : field + QLatin1Char('.') + key;
}

bool IsMac(const QString &text)
{
    static const QRegularExpression mac(QStringLiteral("^[0-9A-Fa-f]{2}(:[0-9A-Fa-f]{2}){5}$"));
    return mac.match(text).hasMatch();
}

} // namespace

std::optional<QList<CPlanEntry>> CPlan::Load(const QString &path, const Environment &env,
                                             QString *error)
{
    const QString problem = CFileCheck::Problem(
        path, MAX_FILE_SIZE, QStringLiteral("is too large (more than 4 MiB)"), true);
    QFile file(path);
    if (!problem.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("plan '%1' %2")
                     .arg(path, problem.isEmpty() ? QStringLiteral("cannot be read") : problem);
        return std::nullopt;
    }
    const QByteArray content = file.read(MAX_FILE_SIZE + 1);
    std::optional<QList<CPlanEntry>> entries;
    QString why;
    if (path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        entries = FromCsv(QString::fromUtf8(content), env, &why);
    else
        entries = FromJson(content, env, &why);
    if (!entries)
        *error = QStringLiteral("plan '%1': %2").arg(path, why);
    return entries;
}

std::optional<QList<CPlanEntry>> CPlan::FromJson(const QByteArray &json, const Environment &env,
                                                 QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *error = QStringLiteral("not valid JSON at offset %1: %2")
                     .arg(parseError.offset)
                     .arg(parseError.errorString());
        return std::nullopt;
    }
    if (!document.isArray()) {
        *error = QStringLiteral("a plan is a JSON list of entries");
        return std::nullopt;
    }
    CPlan plan(env, error);
    if (const std::optional<CJsonKeys::CDuplicate> twice = CJsonKeys::FindDuplicate(json)) {
        plan.FailTwice(document.array(), *twice);
        return std::nullopt;
    }
    return plan.Read(document.array());
}

// The document kept one of the two values; which one is not the user's choice.
bool CPlan::FailTwice(const QJsonArray &entries, const CJsonKeys::CDuplicate &twice)
{
    m_nNumber = twice.m_nElement + 1;
    const QJsonObject entry =
        twice.m_nElement >= 0 ? entries.at(twice.m_nElement).toObject() : QJsonObject();
    const QString top = twice.m_strPath.section(QLatin1Char('.'), 0, 0);
    // The entry is named by its udn or lanmac, unless that is the key given twice.
    if (top != UDN && top != LANMAC) {
        m_strKey = entry.value(UDN).toString();
        if (m_strKey.isEmpty())
            m_strKey = entry.value(LANMAC).toString().toUpper();
    }
    return Fail(twice.m_strPath, QStringLiteral("is given twice"));
}

std::optional<QList<CPlanEntry>> CPlan::FromCsv(const QString &csv, const Environment &env,
                                                QString *error)
{
    QString why;
    const std::optional<QList<QStringList>> records = CCsv::Parse(csv, &why);
    if (!records) {
        *error = QStringLiteral("not valid CSV: %1").arg(why);
        return std::nullopt;
    }
    if (records->isEmpty()) {
        *error = QStringLiteral("the CSV plan has no header line");
        return std::nullopt;
    }
    const QStringList header = records->first();
    for (const QString &column : header) {
        const QString top = column.section(CSV_NESTING, 0, 0);
        if (!kEntryKeys.contains(top) || header.count(column) > 1) {
            *error =
                QStringLiteral("column '%1' is not a plan field, or is given twice").arg(column);
            return std::nullopt;
        }
    }
    QJsonArray entries;
    for (qsizetype row = 1; row < records->size(); ++row) {
        const QStringList &cells = records->at(row);
        // Spreadsheets end the file with an empty line.
        if (cells.size() == 1 && cells.first().isEmpty())
            continue;
        if (cells.size() != header.size()) {
            *error = QStringLiteral("line %1 has %2 cells, the header %3")
                         .arg(row + 1)
                         .arg(cells.size())
                         .arg(header.size());
            return std::nullopt;
        }
        QJsonObject entry;
        for (qsizetype i = 0; i < header.size(); ++i) {
            if (cells.at(i).isEmpty())
                continue;
            const QString top = header.at(i).section(CSV_NESTING, 0, 0);
            const QString part = header.at(i).section(CSV_NESTING, 1);
            if (part.isEmpty()) {
                entry.insert(top, cells.at(i));
                continue;
            }
            QJsonObject nested = entry.value(top).toObject();
            nested.insert(part, cells.at(i));
            entry.insert(top, nested);
        }
        entries.append(entry);
    }
    return CPlan(env, error).Read(entries);
}

bool CPlan::Fail(const QString &field, const QString &problem)
{
    const QString entry = m_strKey.isEmpty()
                              ? QStringLiteral("entry %1").arg(m_nNumber)
                              : QStringLiteral("entry %1 (%2)").arg(m_nNumber).arg(m_strKey);
    *m_pError = field.isEmpty() ? QStringLiteral("%1: %2").arg(entry, problem)
                                : QStringLiteral("%1: %2: %3").arg(entry, field, problem);
    return false;
}

std::optional<QList<CPlanEntry>> CPlan::Read(const QJsonArray &entries)
{
    if (entries.isEmpty()) {
        *m_pError = QStringLiteral("the plan lists no player");
        return std::nullopt;
    }
    QList<CPlanEntry> plan;
    for (const QJsonValue &value : entries) {
        CPlanEntry entry;
        entry.m_nNumber = ++m_nNumber;
        m_strKey.clear();
        if (!value.isObject()) {
            Fail({}, QStringLiteral("an entry is a JSON object"));
            return std::nullopt;
        }
        if (!ReadEntry(value.toObject(), entry))
            return std::nullopt;
        plan.append(entry);
    }
    if (!CheckDistinct(plan))
        return std::nullopt;
    return plan;
}

bool CPlan::ReadEntry(const QJsonObject &object, CPlanEntry &entry)
{
    if (object.contains(UDN) && !Text(object, UDN, UDN, entry.m_strUdn))
        return false;
    if (object.contains(LANMAC)) {
        if (!Text(object, LANMAC, LANMAC, entry.m_strLanMac))
            return false;
        if (!IsMac(entry.m_strLanMac))
            return Fail(LANMAC, QStringLiteral("'%1' is not a MAC address").arg(entry.m_strLanMac));
        entry.m_strLanMac = entry.m_strLanMac.toUpper();
    }
    m_strKey = entry.Key();
    if (!CheckKeys(object, {}, kEntryKeys))
        return false;
    if (m_strKey.isEmpty())
        return Fail({}, QStringLiteral("names its player by neither udn nor lanmac"));
    if (object.contains(NAME)) {
        QString name;
        if (!Text(object, NAME, NAME, name))
            return false;
        if (const QString problem = CNameText::DeviceNameProblem(name); !problem.isEmpty())
            return Fail(NAME, problem);
        entry.m_name = name;
    }
    if (object.contains(WIFI)) {
        QString wifi;
        if (!Text(object, WIFI, WIFI, wifi))
            return false;
        if (wifi != QLatin1String("on") && wifi != QLatin1String("off"))
            return Fail(WIFI, QStringLiteral("'%1' is neither on nor off").arg(wifi));
        entry.m_wifiOn = wifi == QLatin1String("on");
    }
    return ReadSetup(object.value(LAN), LAN, entry.m_lan) &&
           ReadSetup(object.value(WLAN), WLAN, entry.m_wlan) &&
           ReadAccessPoint(object.value(ACCESS_POINT), entry.m_accessPoint) &&
           ReadFirmware(object.value(FIRMWARE), entry.m_firmware);
}

bool CPlan::CheckKeys(const QJsonObject &object, const QString &field, const QStringList &allowed)
{
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        if (!allowed.contains(it.key()))
            return Fail(Dotted(field, it.key()), QStringLiteral("not a plan field"));
    }
    return true;
}

bool CPlan::Text(const QJsonObject &object, const QString &key, const QString &field, QString &text,
                 bool allowEmpty)
{
    const QJsonValue value = object.value(key);
    if (!value.isString())
        return Fail(field, value.isUndefined() ? QStringLiteral("missing")
                                               : QStringLiteral("must be a text"));
    text = value.toString();
    if (!allowEmpty && text.trimmed().isEmpty())
        return Fail(field, QStringLiteral("is empty"));
    return true;
}

bool CPlan::Address(const QJsonObject &object, const QString &key, const QString &field,
                    QString &address, bool required)
{
    if (!object.contains(key) && !required)
        return true;
    if (!Text(object, key, field, address, !required))
        return false;
    if (address.isEmpty() || CIpv4Text::IsAddress(address))
        return true;
    return Fail(field, QStringLiteral("'%1' is not an IPv4 address").arg(address));
}

bool CPlan::ReadSetup(const QJsonValue &value, const QString &field,
                      std::optional<CPlanSetup> &setup)
{
    if (value.isUndefined())
        return true;
    if (!value.isObject())
        return Fail(field, QStringLiteral("must be an object with a mode"));
    const QJsonObject object = value.toObject();
    if (!CheckKeys(object, field, kSetupKeys))
        return false;
    QString mode;
    if (!Text(object, MODE, Dotted(field, MODE), mode))
        return false;
    CPlanSetup wanted;
    if (mode == QLatin1String("dhcp")) {
        wanted.m_bDhcp = true;
        for (const QString &key : kSetupKeys) {
            if (key != MODE && object.contains(key))
                return Fail(Dotted(field, key), QStringLiteral("applies only to mode static"));
        }
        setup = wanted;
        return true;
    }
    if (mode != QLatin1String("static"))
        return Fail(Dotted(field, MODE),
                    QStringLiteral("'%1' is neither static nor dhcp").arg(mode));
    if (!Address(object, IP, Dotted(field, IP), wanted.m_strIp, true) ||
        !Address(object, MASK, Dotted(field, MASK), wanted.m_strMask, true) ||
        !Address(object, GATEWAY, Dotted(field, GATEWAY), wanted.m_strGateway, false) ||
        !Address(object, DNS1, Dotted(field, DNS1), wanted.m_strDns1, false) ||
        !Address(object, DNS2, Dotted(field, DNS2), wanted.m_strDns2, false))
        return false;
    // A mask with a gap in its one-bits leaves the player without a network.
    if (!CIpv4Text::IsMask(wanted.m_strMask))
        return Fail(Dotted(field, MASK),
                    QStringLiteral("'%1' is not a subnet mask").arg(wanted.m_strMask));
    setup = wanted;
    return true;
}

bool CPlan::ReadAccessPoint(const QJsonValue &value, std::optional<CPlanAccessPoint> &ap)
{
    if (value.isUndefined())
        return true;
    const QString field = ACCESS_POINT;
    if (!value.isObject())
        return Fail(field, QStringLiteral("must be an object"));
    const QJsonObject object = value.toObject();
    if (!CheckKeys(object, field, kAccessPointKeys))
        return false;
    CPlanAccessPoint wanted;
    if (!Text(object, ESSID, Dotted(field, ESSID), wanted.m_strEssid) ||
        !Text(object, ENCRYPTION, Dotted(field, ENCRYPTION), wanted.m_strEncryption))
        return false;
    if (const QString problem = CNameText::EssidProblem(wanted.m_strEssid); !problem.isEmpty())
        return Fail(Dotted(field, ESSID), problem);
    if (!kEncryptions.contains(wanted.m_strEncryption))
        return Fail(Dotted(field, ENCRYPTION),
                    QStringLiteral("'%1' is not one of %2")
                        .arg(wanted.m_strEncryption, kEncryptions.join(QLatin1String(", "))));
    // An open network needs no password; any other one names where it is.
    if (wanted.m_strEncryption != PlayerKinds::OPEN_ENCRYPTION || object.contains(PASSWORD_ENV)) {
        QString variable;
        if (!Text(object, PASSWORD_ENV, Dotted(field, PASSWORD_ENV), variable))
            return false;
        const std::optional<QString> password = m_env(variable);
        if (!password)
            return Fail(Dotted(field, PASSWORD_ENV),
                        QStringLiteral("environment variable '%1' is not set").arg(variable));
        wanted.m_strPassword = *password;
    }
    ap = wanted;
    return true;
}

bool CPlan::ReadFirmware(const QJsonValue &value, std::optional<CPlanFirmware> &firmware)
{
    if (value.isUndefined())
        return true;
    const QString field = FIRMWARE;
    if (!value.isObject())
        return Fail(field, QStringLiteral("must be an object with file and version"));
    const QJsonObject object = value.toObject();
    CPlanFirmware wanted;
    if (!CheckKeys(object, field, kFirmwareKeys) ||
        !Text(object, FILE_KEY, Dotted(field, FILE_KEY), wanted.m_strFile) ||
        !Text(object, VERSION, Dotted(field, VERSION), wanted.m_strVersion))
        return false;
    // The same rules as the firmware command's, so an image the server would
    // refuse stops the plan before its first change; and read here, once, so
    // that what was checked is what the players receive.
    wanted.m_pImage = m_images.value(wanted.m_strFile);
    if (!wanted.m_pImage) {
        QString problem;
        wanted.m_pImage = CFileCheck::LoadFirmware(wanted.m_strFile, &problem);
        if (!wanted.m_pImage)
            return Fail(Dotted(field, FILE_KEY),
                        QStringLiteral("'%1' %2").arg(wanted.m_strFile, problem));
        m_images.insert(wanted.m_strFile, wanted.m_pImage);
    }
    firmware = wanted;
    return true;
}

// Two entries for one player, or two players given one static address, can
// only end with one of them wrong.
bool CPlan::CheckDistinct(const QList<CPlanEntry> &entries)
{
    QHash<QString, int> keys;
    QHash<QString, int> addresses;
    for (const CPlanEntry &entry : entries) {
        m_nNumber = entry.m_nNumber;
        m_strKey = entry.Key();
        if (keys.contains(entry.Key()))
            return Fail(
                {},
                QStringLiteral("names the same player as entry %1").arg(keys.value(entry.Key())));
        keys.insert(entry.Key(), entry.m_nNumber);
        for (const auto &[setup, field] : {std::pair{&entry.m_lan, LAN}, {&entry.m_wlan, WLAN}}) {
            if (!*setup || (*setup)->m_bDhcp)
                continue;
            const QString ip = (*setup)->m_strIp;
            if (addresses.contains(ip))
                return Fail(Dotted(field, IP), QStringLiteral("'%1' is also planned for entry %2")
                                                   .arg(ip)
                                                   .arg(addresses.value(ip)));
            addresses.insert(ip, entry.m_nNumber);
        }
    }
    return true;
}
