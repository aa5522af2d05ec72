#include "expectedrequest.h"

QByteArray ExpectedRequest(const QString &operation, const QString &body)
{
    const QByteArray xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                                          "<Tavrion api=\"1.0.1\" operation=\"%1\">%2</Tavrion>")
                               .arg(operation, body)
                               .toUtf8();
    return "POST /TavrionAPI HTTP/1.1\r\nContent-Length: " + QByteArray::number(xml.size()) +
           "\r\nContent-Type: text/plain; charset=UTF-8\r\nHost: 127.0.0.1:10015\r\n"
           "Connection: Keep-Alive\r\n\r\n" +
           xml;
}
