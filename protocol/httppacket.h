// CHttpPacket: frames one command as an HTTP POST with its XML envelope.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "packet.h"
#include "stpcmdtag.h"

// One device command as an HTTP POST whose content is a small XML document.
// The command channel owns one packet and reuses it for every command; it keeps
// the last request until the next SetCommand or SetBody.
class CHttpPacket : public CPacket
{
public:
    static constexpr auto API_VERSION = u"1.0.1";

    ~CHttpPacket() override = default;

    void SetCommand(const STP_CMD_TAG &command);
    void SetBody(const QString &body);
    void BuildXml();
    void BuildRequest();

    QString GetRequest() const { return m_strRequest; }
    QString GetBodyFormat() const { return m_strBodyFormat; }
    // The bytes that go on the wire: the request as UTF-8.
    QByteArray GetRequestBytes() const { return m_strRequest.toUtf8(); }

    // Fills the "%s" places of a template with the arguments, in order. Only the
    // template is scanned; each argument is XML-escaped so that no text can change
    // the structure of the request, and a carriage return is written as a
    // character reference so that it reaches the player as sent. Surplus arguments are ignored and
    // surplus places stay "%s".
    static QString FillBody(const QString &format, const QStringList &arguments);
    static QString EscapeXml(const QString &text);

private:
    STP_CMD_TAG m_command;
    QString m_strHeader;
    QString m_strXml;
    QString m_strBodyFormat;
    QString m_strOpenTag;
    QString m_strCloseTag;
    QString m_strBody;
    QString m_strRequest;
};
