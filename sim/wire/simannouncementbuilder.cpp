#include "simannouncementbuilder.h"

#include <pugixml.hpp>

#include "simxml.h"

namespace {

using EKind = CSimFault::EKind;

constexpr char kPadding = 'x';

} // namespace

CSimDelivery CSimAnnouncementBuilder::Build(const QString &model, const QString &name,
                                            const QString &ip, const QString &udn) const
{
    QByteArray bytes = Document(model, name, ip, udn);
    if (const CSimFault *fault = Find(EKind::AnnounceTrailing))
        bytes.append(fault->Text().toUtf8());
    CSimDelivery delivery;
    delivery.m_pieces = {bytes};
    if (const CSimFault *fault = Find(EKind::AnnounceDelay))
        delivery.m_delayMs = fault->m_delayMs;
    if (const CSimFault *fault = Find(EKind::AnnounceSplitEndTag)) {
        delivery.m_pieces = CSimDelivery::SplitInEndTag(bytes);
        delivery.m_pauseMs = fault->m_pauseMs;
    }
    if (const CSimFault *fault = Find(EKind::AnnouncePieces)) {
        delivery.m_pieces = CSimDelivery::Split(bytes, fault->m_pieceSize);
        delivery.m_pauseMs = fault->m_pauseMs;
    }
    if (const CSimFault *fault = Find(EKind::AnnounceSilent)) {
        delivery.m_pieces.clear();
        delivery.m_end = CSimDelivery::EEnd::Hold;
        delivery.m_holdMs = fault->m_holdMs;
    }
    return delivery;
}

const CSimFault *CSimAnnouncementBuilder::Find(CSimFault::EKind kind) const
{
    for (const CSimFault &fault : m_faults) {
        if (fault.m_kind == kind)
            return &fault;
    }
    return nullptr;
}

QByteArray CSimAnnouncementBuilder::Document(const QString &model, const QString &name,
                                             const QString &ip, const QString &udn) const
{
    pugi::xml_document document;
    pugi::xml_node root = document.append_child("deviceInfo");
    pugi::xml_node parent = Find(EKind::AnnounceNested) ? root.append_child("device") : root;
    const CSimFault *missing = Find(EKind::AnnounceMissing);
    const QString left = missing ? missing->Text() : QString();
    const std::pair<const char *, QString> elements[] = {
        {"model", model}, {"name", name}, {"ip", ip}, {"udn", udn}};
    for (const auto &[element, value] : elements) {
        if (left != QLatin1String(element))
            SimXml::AddText(parent, element, value);
    }
    if (const CSimFault *fault = Find(EKind::AnnounceTwoIp))
        parent.insert_child_after("ip", parent.child("ip"))
            .text()
            .set(fault->Text().toUtf8().constData());
    if (const CSimFault *fault = Find(EKind::AnnounceOversized))
        parent.append_child("padding").text().set(QByteArray(fault->Bytes(), kPadding).constData());
    return SimXml::Declaration() + SimXml::Serialize(root);
}
