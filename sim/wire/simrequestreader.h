#pragma once

#include <QByteArray>

// Collects one command request (header, empty line, Content-Length bytes of
// XML) from whatever pieces the socket delivers, within the size caps.
class CSimRequestReader
{
public:
    enum class EStatus
    {
        NeedMore,
        Complete,
        Failed
    };

    // Takes the next bytes; once Complete or Failed, further bytes are ignored.
    EStatus Feed(const QByteArray &bytes);
    EStatus Status() const { return m_status; }
    // The request exactly as received: header and body, nothing after the body.
    QByteArray Raw() const { return m_raw; }
    QByteArray Body() const;

private:
    EStatus ParseHeader();
    EStatus CheckBody();

    QByteArray m_raw;
    qsizetype m_headerSize = -1;
    qsizetype m_contentLength = -1;
    EStatus m_status = EStatus::NeedMore;
};
