#include "simjsonfields.h"

#include <limits>

#include <QJsonValue>

namespace {

// 2^53: beyond it a JSON number no longer holds every whole number exactly.
constexpr double kMaxExactInteger = 9007199254740992.0;

} // namespace

bool CSimJsonFields::Keys(const QJsonObject &object, std::initializer_list<const char *> allowed,
                          const QString &where)
{
    for (auto it = object.begin(); Ok() && it != object.end(); ++it) {
        bool known = false;
        for (const char *key : allowed)
            known = known || it.key() == QLatin1String(key);
        if (!known)
            Fail(QStringLiteral("%1: unknown field \"%2\"").arg(where, it.key()));
    }
    return Ok();
}

bool CSimJsonFields::Text(const QJsonObject &object, const char *key, QString &out)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (!Ok() || value.isUndefined())
        return Ok();
    if (value.isDouble())
        out = QString::number(value.toDouble());
    else if (value.isString())
        out = value.toString();
    else
        return WrongType(key, "a text");
    return true;
}

bool CSimJsonFields::Flag(const QJsonObject &object, const char *key, bool &out)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (!Ok() || value.isUndefined())
        return Ok();
    const QString text = value.isString() ? value.toString() : QString();
    if (value.isBool())
        out = value.toBool();
    else if (value.isDouble() && (value.toInt(-1) == 0 || value.toInt(-1) == 1))
        out = value.toInt() == 1;
    else if (text == QLatin1String("1") || text == QLatin1String("0"))
        out = text == QLatin1String("1");
    else
        return WrongType(key, "true, false, 1 or 0");
    return true;
}

bool CSimJsonFields::Int(const QJsonObject &object, const char *key, int &out)
{
    std::optional<qint64> wide;
    if (!Int64(object, key, wide) || !wide)
        return Ok();
    if (*wide < std::numeric_limits<int>::min() || *wide > std::numeric_limits<int>::max())
        return WrongType(key, "a smaller number");
    out = static_cast<int>(*wide);
    return true;
}

bool CSimJsonFields::Int64(const QJsonObject &object, const char *key, std::optional<qint64> &out)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (!Ok() || value.isUndefined())
        return Ok();
    const double number = value.toDouble();
    if (!value.isDouble() || number > kMaxExactInteger || number < -kMaxExactInteger ||
        number != static_cast<double>(static_cast<qint64>(number)))
        return WrongType(key, "a whole number");
    out = static_cast<qint64>(number);
    return true;
}

bool CSimJsonFields::OptionalText(const QJsonObject &object, const char *key,
                                  std::optional<QString> &out)
{
    if (!object.contains(QLatin1String(key)))
        return Ok();
    QString text;
    if (!Text(object, key, text))
        return false;
    out = text;
    return true;
}

bool CSimJsonFields::Fail(const QString &message)
{
    if (Ok())
        m_strError = message;
    return false;
}

bool CSimJsonFields::WrongType(const char *key, const char *wanted)
{
    return Fail(
        QStringLiteral("field \"%1\" must be %2").arg(QLatin1String(key), QLatin1String(wanted)));
}
