#include <QSet>
#include <QTest>

#include <pugixml.hpp>

#include "commandcatalogue.h"
#include "httppacket.h"
#include "isolatednetwork.h"

namespace {

// The request's XML document, as a player's parser sees it.
bool ParseBody(const QByteArray &request, pugi::xml_document &doc)
{
    const qsizetype start = request.indexOf("\r\n\r\n");
    if (start < 0)
        return false;
    const QByteArray body = request.mid(start + 4);
    return doc.load_buffer(body.constData(), static_cast<size_t>(body.size()),
                           pugi::parse_default | pugi::parse_ws_pcdata, pugi::encoding_utf8);
}

// The texts of the elements that hold no further elements, in document order.
QStringList LeafTexts(const pugi::xml_node &node)
{
    QStringList texts;
    for (const pugi::xml_node &child : node.children()) {
        if (child.type() != pugi::node_element)
            continue;
        if (child.find_child(
                [](const pugi::xml_node &n) { return n.type() == pugi::node_element; }))
            texts += LeafTexts(child);
        else
            texts += QString::fromUtf8(child.child_value());
    }
    return texts;
}

} // namespace

class TestCommandCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void tableIsFoundByNumber();
    void unknownNumbersFindNothing();
    void everyTemplateFramesIntoItsOperation_data();
    void everyTemplateFramesIntoItsOperation();
    void operationsAreDistinct();
    void sharedTemplates();
};

void TestCommandCatalogue::tableIsFoundByNumber()
{
    for (size_t i = 0; i < STP_CMD_TABLE.size(); ++i) {
        const int id = static_cast<int>(i) + 1;
        QCOMPARE(STP_CMD_TABLE.at(i).nId, id);
        QCOMPARE(FindCommand(id), &STP_CMD_TABLE.at(i));
        QCOMPARE(STP_CMD_TABLE.at(i).error.nCode, 0);
        QVERIFY(STP_CMD_TABLE.at(i).error.strText.isEmpty());
    }
}

void TestCommandCatalogue::unknownNumbersFindNothing()
{
    QVERIFY(!FindCommand(0));
    QVERIFY(!FindCommand(STP_CMD_COUNT + 1));
    QVERIFY(!FindCommand(-1));
}

void TestCommandCatalogue::everyTemplateFramesIntoItsOperation_data()
{
    QTest::addColumn<int>("id");
    for (const STP_CMD_TAG &entry : STP_CMD_TABLE)
        QTest::addRow("%d %s", entry.nId, qPrintable(entry.strOperation)) << entry.nId;
}

// Each place of a template must become one element's whole text, in order,
// inside an envelope that names the entry's operation; a query sends no body
// and a setting is marked as one.
void TestCommandCatalogue::everyTemplateFramesIntoItsOperation()
{
    QFETCH(int, id);
    const STP_CMD_TAG &entry = *FindCommand(id);
    const qsizetype places = entry.strBodyFormat.count(QStringLiteral("%s"));
    QStringList values;
    for (qsizetype i = 0; i < places; ++i)
        values += QStringLiteral("value %1").arg(i);

    CHttpPacket packet;
    packet.SetCommand(entry);
    if (places > 0)
        packet.SetBody(CHttpPacket::FillBody(packet.GetBodyFormat(), values));
    pugi::xml_document doc;
    QVERIFY(ParseBody(packet.GetRequestBytes(), doc));
    const pugi::xml_node envelope = doc.document_element();
    QCOMPARE(QString::fromUtf8(envelope.name()), QStringLiteral("Tavrion"));
    QCOMPARE(QString::fromUtf8(envelope.attribute("operation").value()), entry.strOperation);
    QCOMPARE(LeafTexts(envelope), values);

    const bool query = entry.strOperation.startsWith(QStringLiteral("get"));
    QCOMPARE(entry.bSet, query ? 0 : 1);
    if (query)
        QVERIFY(entry.strBodyFormat.isEmpty());
}

void TestCommandCatalogue::operationsAreDistinct()
{
    QSet<QString> operations;
    for (const STP_CMD_TAG &entry : STP_CMD_TABLE)
        operations.insert(entry.strOperation);
    QCOMPARE(operations.size(), STP_CMD_COUNT);
}

void TestCommandCatalogue::sharedTemplates()
{
    QCOMPARE(FindCommand(CMD_ADD_PROFILE)->strBodyFormat,
             FindCommand(CMD_SET_PROFILE)->strBodyFormat);
    QCOMPARE(FindCommand(CMD_SET_LAN_SETUP)->strBodyFormat,
             FindCommand(CMD_SET_WIFI_SETUP)->strBodyFormat);
}

KESTAVON_TEST_MAIN(TestCommandCatalogue)
#include "tst_commandcatalogue.moc"
