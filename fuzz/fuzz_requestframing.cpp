// Request framing: any argument texts, framed into a request and parsed back
// by an XML reader, must come back unchanged, and the Content-Length must
// count the body's bytes. The first byte picks a command with a body; the
// rest, as UTF-8, holds its arguments separated by 0x1f.

#include <array>
#include <cstddef>
#include <cstdint>

#include <pugixml.hpp>

#include <QByteArray>
#include <QStringList>

#include "commandcatalogue.h"
#include "httppacket.h"

namespace {

constexpr std::array<qint32, 10> kCommands = {
    CMD_SET_DEVICE_NAME, CMD_SET_WIFI_ON_OFF, CMD_CONNECT_AP,     CMD_ADD_PROFILE,
    CMD_SET_PROFILE,     CMD_DELETE_PROFILE,  CMD_ACTIVE_PROFILE, CMD_SET_LAN_SETUP,
    CMD_SET_WIFI_SETUP,  CMD_UPDATE_FIRMWARE,
};
constexpr char kSeparator = '\x1f';
const QByteArray kHeaderEnd("\r\n\r\n");
const QByteArray kLengthField("Content-Length: ");

void Require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

qint64 ContentLength(const QByteArray &header)
{
    const qsizetype start = header.indexOf(kLengthField);
    Require(start >= 0);
    const qsizetype end = header.indexOf("\r\n", start);
    bool ok = false;
    const qint64 length =
        header.mid(start + kLengthField.size(), end - start - kLengthField.size()).toLongLong(&ok);
    Require(ok);
    return length;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const STP_CMD_TAG &command = *FindCommand(kCommands[data[0] % kCommands.size()]);
    const QByteArray input(reinterpret_cast<const char *>(data + 1),
                           static_cast<qsizetype>(size - 1));
    // No front end can hand over U+0000 (neither a command line nor a text
    // box carries it), and XML has no way to write it.
    if (input.contains('\0'))
        return 0;
    const qsizetype places = command.strBodyFormat.count(QStringLiteral("%s"));
    QStringList arguments;
    for (const QByteArray &part : input.split(kSeparator))
        arguments.append(QString::fromUtf8(part));
    while (arguments.size() < places)
        arguments.append(QString());
    arguments = arguments.mid(0, places);

    CHttpPacket packet;
    packet.SetCommand(command);
    packet.SetBody(CHttpPacket::FillBody(packet.GetBodyFormat(), arguments));
    const QByteArray request = packet.GetRequestBytes();

    const qsizetype headerEnd = request.indexOf(kHeaderEnd);
    Require(headerEnd > 0);
    const QByteArray body = request.mid(headerEnd + kHeaderEnd.size());
    Require(ContentLength(request.left(headerEnd)) == body.size());

    pugi::xml_document doc;
    const unsigned int options = pugi::parse_default | pugi::parse_ws_pcdata;
    Require(doc.load_buffer(body.constData(), static_cast<size_t>(body.size()), options,
                            pugi::encoding_utf8));
    const pugi::xml_node root = doc.document_element();
    Require(QString::fromUtf8(root.attribute("operation").value()) == command.strOperation);
    // Every element without element children holds one argument, in order.
    const pugi::xpath_node_set leaves = root.select_nodes(".//*[not(*)]");
    Require(static_cast<qsizetype>(leaves.size()) == places);
    for (qsizetype i = 0; i < places; ++i) {
        const QString expected = QString::fromUtf8(arguments.at(i).toUtf8());
        Require(QString::fromUtf8(leaves[static_cast<size_t>(i)].node().child_value()) == expected);
    }
    return 0;
}
