#include "simwebpage.h"

#include <QList>

namespace {

QString Row(const QString &label, const QString &value)
{
    return QStringLiteral("<tr><th>%1</th><td>%2</td></tr>\n")
        .arg(label.toHtmlEscaped(), value.toHtmlEscaped());
}

} // namespace

QByteArray CSimWebPage::Respond(const QByteArray &requestHead) const
{
    const QList<QByteArray> words = requestHead.left(requestHead.indexOf('\r')).split(' ');
    // A head cut off at the size cap is no request at all.
    if (!requestHead.contains("\r\n\r\n") || words.size() != 3 || !words.at(2).startsWith("HTTP/"))
        return Response("400 Bad Request", "text/plain", "bad request\n", true);
    const QByteArray &method = words.at(0);
    const bool head = method == "HEAD";
    if (method != "GET" && !head)
        return Response("405 Method Not Allowed", "text/plain", "method not allowed\n", true);
    const QByteArray &path = words.at(1);
    if (path != "/" && path != "/index.html")
        return Response("404 Not Found", "text/plain", "not found\n", !head);
    return Response("200 OK", "text/html; charset=UTF-8", Html(), !head);
}

QByteArray CSimWebPage::Html() const
{
    const CSimPlayerState &state = m_record.m_state;
    const QString title = QStringLiteral("%1 (%2)").arg(state.m_strDeviceName, m_record.m_strModel);
    QString connected;
    for (const CSimAccessPoint &ap : state.m_accessPoints) {
        if (ap.m_connected)
            connected = ap.m_strEssid;
    }
    QString html = QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"UTF-8\">"
                                  "<title>%1</title></head>\n<body>\n<h1>%1</h1>\n<table>\n")
                       .arg(title.toHtmlEscaped());
    html += Row(QStringLiteral("Model"), m_record.m_strModel);
    html += Row(QStringLiteral("Address"), m_strAddress);
    html += Row(QStringLiteral("Firmware"), state.m_strFirmVersion);
    html += Row(QStringLiteral("Serial number"), state.m_strSerialNumber);
    html += Row(QStringLiteral("LAN MAC"), state.m_strLanMac);
    html +=
        Row(QStringLiteral("Wi-Fi"), state.m_wifiOn ? QStringLiteral("On") : QStringLiteral("Off"));
    html += Row(QStringLiteral("Connected network"), connected);
    html += QStringLiteral("</table>\n</body></html>\n");
    return html.toUtf8();
}

QByteArray CSimWebPage::Response(const QByteArray &status, const QByteArray &type,
                                 const QByteArray &body, bool withBody)
{
    QByteArray response = "HTTP/1.0 " + status + "\r\nContent-Type: " + type +
                          "\r\nContent-Length: " + QByteArray::number(body.size()) +
                          "\r\nConnection: close\r\n\r\n";
    if (withBody)
        response += body;
    return response;
}
