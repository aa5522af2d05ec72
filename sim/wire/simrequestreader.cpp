#include "simrequestreader.h"

#include <QList>

#include "simlimits.h"

namespace {

const QByteArray kHeaderEnd = QByteArrayLiteral("\r\n\r\n");
const QByteArray kLineEnd = QByteArrayLiteral("\r\n");
const QByteArray kContentLength = QByteArrayLiteral("content-length");

// The Content-Length value, or -1 when it is missing, repeated or not a number.
qsizetype ContentLength(const QByteArray &header)
{
    qsizetype length = -1;
    const QList<QByteArray> lines = header.split('\n');
    for (const QByteArray &line : lines) {
        const qsizetype colon = line.indexOf(':');
        if (colon < 0 || line.left(colon).trimmed().toLower() != kContentLength)
            continue;
        bool ok = false;
        const qlonglong value = line.mid(colon + 1).trimmed().toLongLong(&ok);
        if (!ok || value < 0 || length >= 0)
            return -1;
        length = static_cast<qsizetype>(value);
    }
    return length;
}

} // namespace

CSimRequestReader::EStatus CSimRequestReader::Feed(const QByteArray &bytes)
{
    if (m_status != EStatus::NeedMore)
        return m_status;
    m_raw.append(bytes);
    m_status = m_headerSize < 0 ? ParseHeader() : CheckBody();
    return m_status;
}

QByteArray CSimRequestReader::Body() const
{
    return m_status == EStatus::Complete ? m_raw.mid(m_headerSize) : QByteArray();
}

CSimRequestReader::EStatus CSimRequestReader::ParseHeader()
{
    const qsizetype end = m_raw.indexOf(kHeaderEnd);
    if (end < 0) {
        if (m_raw.size() > SimLimits::kMaxRequestHeader)
            return EStatus::Failed;
        return EStatus::NeedMore;
    }
    m_headerSize = end + kHeaderEnd.size();
    if (m_headerSize > SimLimits::kMaxRequestHeader)
        return EStatus::Failed;
    m_contentLength = ContentLength(m_raw.left(end + kLineEnd.size()));
    if (m_contentLength < 0 || m_contentLength > SimLimits::kMaxRequestBody)
        return EStatus::Failed;
    return CheckBody();
}

CSimRequestReader::EStatus CSimRequestReader::CheckBody()
{
    const qsizetype total = m_headerSize + m_contentLength;
    if (m_raw.size() < total)
        return EStatus::NeedMore;
    m_raw.truncate(total);
    return EStatus::Complete;
}
