#include "httppacket.h"

#include "wirevocabulary.h"

namespace {

const QString kPlaceholder = QStringLiteral("%s");

// The Host line names one fixed address, whatever player is addressed; players
// do not look at it.
const QString kHeaderFormat = QStringLiteral("POST /TavrionAPI HTTP/1.1\r\n"
                                             "Content-Length: %1\r\n"
                                             "Content-Type: text/plain; charset=UTF-8\r\n"
                                             "Host: 127.0.0.1:10015\r\n"
                                             "Connection: Keep-Alive\r\n");

const QString kOpenTagFormat =
    QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><%1 api=\"%2\" operation=\"%3\">");

const QString kCloseTag = QStringLiteral("</%1>").arg(WireVocabulary::ROOT);

} // namespace

void CHttpPacket::SetCommand(const STP_CMD_TAG &command)
{
    m_command = command;
    m_strBodyFormat = command.strBodyFormat;
    m_strBody = command.strBodyFormat;
    BuildRequest();
}

void CHttpPacket::SetBody(const QString &body)
{
    m_strBody = body;
    BuildRequest();
}

void CHttpPacket::BuildXml()
{
    m_strOpenTag = kOpenTagFormat.arg(WireVocabulary::ROOT, QString::fromUtf16(API_VERSION),
                                      m_command.strOperation);
    m_strCloseTag = kCloseTag;
    m_strXml = m_strOpenTag + m_strBody + m_strCloseTag;
}

void CHttpPacket::BuildRequest()
{
    BuildXml();
    // The length counts the bytes actually sent; for ASCII it equals the
    // number of characters.
    const qsizetype contentLength = m_strXml.toUtf8().size();
    m_strHeader = kHeaderFormat.arg(contentLength);
    m_strRequest = m_strHeader + QStringLiteral("\r\n") + m_strXml;
}

QString CHttpPacket::FillBody(const QString &format, const QStringList &arguments)
{
    QString body;
    qsizetype position = 0;
    qsizetype used = 0;
    while (used < arguments.size()) {
        const qsizetype found = format.indexOf(kPlaceholder, position);
        if (found < 0)
            break;
        body += QStringView(format).mid(position, found - position);
        body += EscapeXml(arguments.at(used));
        ++used;
        position = found + kPlaceholder.size();
    }
    if (used == 0)
        return format;
    body += QStringView(format).mid(position);
    return body;
}

QString CHttpPacket::EscapeXml(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            escaped += QStringLiteral("&amp;");
            break;
        case u'<':
            escaped += QStringLiteral("&lt;");
            break;
        case u'>':
            escaped += QStringLiteral("&gt;");
            break;
        case u'"':
            escaped += QStringLiteral("&quot;");
            break;
        case u'\'':
            escaped += QStringLiteral("&apos;");
            break;
        case u'\r': // a reader would fold a literal one into a line feed
            escaped += QStringLiteral("&#13;");
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}
