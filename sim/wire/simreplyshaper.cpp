#include "simreplyshaper.h"

#include "simxml.h"

namespace {

using EKind = CSimFault::EKind;

// Inserted before the last closing tag, it leaves an element never closed.
const QByteArray kUnclosed = QByteArrayLiteral("<unclosed>");
const QByteArray kDeviceInfoEnd = QByteArrayLiteral("</deviceInfo>");
constexpr char kPadding = 'x';

// Where the final closing tag starts, or the end when there is none.
qsizetype LastTag(const QByteArray &bytes)
{
    const qsizetype at = bytes.lastIndexOf("</");
    return at < 0 ? bytes.size() : at;
}

} // namespace

CSimDelivery CSimReplyShaper::Shape(pugi::xml_node &root) const
{
    BendDocument(root);
    const QByteArray bytes = BendBytes(SimXml::Declaration() + SimXml::Serialize(root));
    CSimDelivery delivery;
    Schedule(bytes, delivery);
    return delivery;
}

const CSimFault *CSimReplyShaper::Find(CSimFault::EKind kind) const
{
    for (const CSimFault &fault : m_faults) {
        if (fault.m_kind == kind)
            return &fault;
    }
    return nullptr;
}

void CSimReplyShaper::BendDocument(pugi::xml_node &root) const
{
    if (const CSimFault *fault = Find(EKind::Errcode))
        root.attribute("errcode").set_value(fault->Text().toUtf8().constData());
    if (Find(EKind::NoErrcode))
        root.remove_attribute("errcode");
    if (const CSimFault *fault = Find(EKind::Oversized)) {
        const QByteArray padding(fault->Bytes(), kPadding);
        root.append_child("padding").text().set(padding.constData());
    }
    if (const CSimFault *fault = Find(EKind::WrongRoot))
        root.set_name(fault->Text().toUtf8().constData());
}

QByteArray CSimReplyShaper::BendBytes(QByteArray bytes) const
{
    if (Find(EKind::DeviceInfoEndTag))
        bytes = bytes.left(LastTag(bytes)) + kDeviceInfoEnd;
    if (const CSimFault *fault = Find(EKind::MalformedXml)) {
        if (fault->m_text)
            bytes = fault->m_text->toUtf8();
        else
            bytes.insert(LastTag(bytes), kUnclosed);
    }
    if (const CSimFault *fault = Find(EKind::PrefixText))
        bytes.prepend(fault->Text().toUtf8());
    return bytes;
}

void CSimReplyShaper::Schedule(const QByteArray &bytes, CSimDelivery &delivery) const
{
    delivery.m_pieces = {bytes};
    if (const CSimFault *fault = Find(EKind::Delay))
        delivery.m_delayMs = fault->m_delayMs;
    if (const CSimFault *fault = Find(EKind::SplitEndTag)) {
        delivery.m_pieces = CSimDelivery::SplitInEndTag(bytes);
        delivery.m_pauseMs = fault->m_pauseMs;
    }
    if (const CSimFault *fault = Find(EKind::Pieces)) {
        delivery.m_pieces = CSimDelivery::Split(bytes, fault->m_pieceSize);
        delivery.m_pauseMs = fault->m_pauseMs;
    }
    if (const CSimFault *fault = Find(EKind::CloseWithoutReply)) {
        delivery.m_pieces.clear();
        delivery.m_holdMs = fault->m_holdMs;
    }
    if (const CSimFault *fault = Find(EKind::NoAnswer)) {
        delivery.m_pieces.clear();
        delivery.m_end = CSimDelivery::EEnd::Hold;
        delivery.m_holdMs = fault->m_holdMs;
    }
}
