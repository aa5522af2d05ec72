#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QByteArray>
#include <QJsonArray>
#include <QHash>
#include <QJsonObject>
#include <QStringList>
#include <QList>
#include <QString>

#include "jsonkeys.h"

// One interface's address set-up as a plan wants it.
class CPlanSetup
{
public:
    bool m_bDhcp = false;
    // For a static set-up; gateway and name servers may be empty.
    QString m_strIp;
    QString m_strMask;
    QString m_strGateway;
    QString m_strDns1;
    QString m_strDns2;
};

class CPlanAccessPoint
{
public:
    QString m_strEssid;
    QString m_strEncryption;
    // Read from the environment variable the plan names, never from the plan.
    QString m_strPassword;
};

class CUploadFile;

class CPlanFirmware
{
public:
    QString m_strFile;
    QString m_strVersion;
    // m_strFile as it was when the plan was checked: what its downloads serve.
    std::shared_ptr<const CUploadFile> m_pImage;
};

// What one player must become. Only the fields the plan names are set.
class CPlanEntry
{
public:
    // Where the entry stands in the plan, from 1, for messages.
    int m_nNumber = 0;
    QString m_strUdn;
    QString m_strLanMac;
    std::optional<QString> m_name;
    std::optional<bool> m_wifiOn;
    std::optional<CPlanAccessPoint> m_accessPoint;
    std::optional<CPlanFirmware> m_firmware;
    std::optional<CPlanSetup> m_lan;
    std::optional<CPlanSetup> m_wlan;

    // How the entry names its player: the udn, else the LAN MAC address.
    QString Key() const { return m_strUdn.isEmpty() ? m_strLanMac : m_strUdn; }
};

// Reads a commissioning plan, JSON or CSV (a file name ending in .csv), and
// checks every entry completely, so that a plan with any fault is refused
// before anything is sent. The error names the entry and the field.
class CPlan
{
public:
    // The value of an environment variable, none when it is not set.
    using Environment = std::function<std::optional<QString>(const QString &name)>;
    // A plan is text for some hundreds of players; anything larger is a mistake.
    static constexpr qint64 MAX_FILE_SIZE = 4 * 1024 * 1024;

    static std::optional<QList<CPlanEntry>> Load(const QString &path, const Environment &env,
                                                 QString *error);
    static std::optional<QList<CPlanEntry>> FromJson(const QByteArray &json, const Environment &env,
                                                     QString *error);
    // A header line naming the fields, nested ones flattened with "_"
    // (lan_ip); an empty cell leaves the field out.
    static std::optional<QList<CPlanEntry>> FromCsv(const QString &csv, const Environment &env,
                                                    QString *error);

private:
    CPlan(const Environment &env, QString *error) : m_env(env), m_pError(error) {}

    std::optional<QList<CPlanEntry>> Read(const QJsonArray &entries);
    bool ReadEntry(const QJsonObject &object, CPlanEntry &entry);
    bool ReadSetup(const QJsonValue &value, const QString &field, std::optional<CPlanSetup> &setup);
    bool ReadAccessPoint(const QJsonValue &value, std::optional<CPlanAccessPoint> &ap);
    bool ReadFirmware(const QJsonValue &value, std::optional<CPlanFirmware> &firmware);
    bool CheckKeys(const QJsonObject &object, const QString &field, const QStringList &allowed);
    bool Text(const QJsonObject &object, const QString &key, const QString &field, QString &text,
              bool allowEmpty = false);
    bool Address(const QJsonObject &object, const QString &key, const QString &field,
                 QString &address, bool required);
    bool CheckDistinct(const QList<CPlanEntry> &entries);
    bool FailTwice(const QJsonArray &entries, const CJsonKeys::CDuplicate &twice);
    bool Fail(const QString &field, const QString &problem);

    const Environment &m_env;
    QString *m_pError;
    // Images already read, by path: entries naming one file share one copy.
    QHash<QString, std::shared_ptr<const CUploadFile>> m_images;
    // The entry being read, for messages.
    int m_nNumber = 0;
    QString m_strKey;
};
