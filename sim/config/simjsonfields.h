#pragma once

#include <initializer_list>
#include <optional>

#include <QJsonObject>
#include <QString>

// Typed access to the fields of the JSON player files. The first problem is
// kept as the error (with where it was found) and every later call fails.
class CSimJsonFields
{
public:
    // Fails on any key not in allowed, so a misspelt field is not silently ignored.
    bool Keys(const QJsonObject &object, std::initializer_list<const char *> allowed,
              const QString &where);
    // Each leaves out untouched when the key is absent and fails on a wrong type.
    bool Text(const QJsonObject &object, const char *key, QString &out);
    bool Flag(const QJsonObject &object, const char *key, bool &out);
    bool Int(const QJsonObject &object, const char *key, int &out);
    bool Int64(const QJsonObject &object, const char *key, std::optional<qint64> &out);
    bool OptionalText(const QJsonObject &object, const char *key, std::optional<QString> &out);

    bool Fail(const QString &message);
    bool Ok() const { return m_strError.isEmpty(); }
    QString Error() const { return m_strError; }

private:
    bool WrongType(const char *key, const char *wanted);

    QString m_strError;
};
