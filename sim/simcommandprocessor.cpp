#include "simcommandprocessor.h"

#include "simcommandhandler.h"
#include "simregistry.h"
#include "simreplyshaper.h"

namespace {

// The protocol version every reply states.
constexpr const char *kApiVersion = "1.0.1";

// The request's Tavrion element, or a null node when it has none.
pugi::xml_node RequestRoot(const pugi::xml_document &document, bool parsed)
{
    return parsed ? document.select_node("/Tavrion").node() : pugi::xml_node();
}

} // namespace

CSimCommandProcessor::CResult CSimCommandProcessor::Process(const QByteArray &body, bool readOk)
{
    pugi::xml_document request;
    const bool parsed =
        readOk && request.load_buffer(body.constData(), static_cast<size_t>(body.size()),
                                      pugi::parse_default, pugi::encoding_utf8);
    const pugi::xml_node requestRoot = RequestRoot(request, parsed);
    const QString operation = QString::fromUtf8(requestRoot.attribute("operation").value());

    pugi::xml_document reply;
    pugi::xml_node root = reply.append_child("Tavrion");
    root.append_attribute("api").set_value(kApiVersion);
    root.append_attribute("operation").set_value(operation.toUtf8().constData());
    pugi::xml_attribute errcode = root.append_attribute("errcode");

    CResult result;
    m_registry.Update(m_strAddress, [&](CSimPlayerRecord &record) {
        if (requestRoot)
            result.m_outcome =
                CSimCommandHandler(record.m_state).Handle(operation, requestRoot, root);
    });
    errcode.set_value(result.m_outcome.m_success ? "1" : "0");
    const QList<CSimFault> faults =
        m_registry.TakeFaults(m_strAddress, CSimFault::EService::Command, operation);
    result.m_delivery = CSimReplyShaper(faults).Shape(root);
    return result;
}
