#include <QTest>

#include "jsonkeys.h"
#include "isolatednetwork.h"

// A key given twice is found in any object of a plan, however it is spelled
// or nested; what only looks like a key is not.
class TestJsonKeys : public QObject
{
    Q_OBJECT

private slots:
    void findsTheFirstKeyGivenTwice_data();
    void findsTheFirstKeyGivenTwice();
};

void TestJsonKeys::findsTheFirstKeyGivenTwice_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<int>("element");
    QTest::addColumn<QString>("path");
    const auto row = [](const char *tag, const QByteArray &json, int element, const char *path) {
        QTest::newRow(tag) << json << element << QString::fromLatin1(path);
    };
    row("none", R"([{"a": 1, "b": {"a": 2}}, {"a": 3}])", -1, "");
    row("same key in two entries", R"([{"name": "x"}, {"name": "x"}])", -1, "");
    row("same key in sibling objects", R"([{"lan": {"ip": "1"}, "wlan": {"ip": "1"}}])", -1, "");
    row("twice in an entry", R"([{"udn": "u", "name": "a", "name": "b"}])", 0, "name");
    row("twice in the third entry", R"([1, "s", {"a": [1, {"b": 2}], "a": 0}])", 2, "a");
    row("twice in a nested object", R"([{}, {"lan": {"mode": "x", "mode": "y"}}])", 1, "lan.mode");
    row("spelled with an escape", R"([{"ab": 1, "a\u0062": 2}])", 0, "ab");
    row("a key inside a text", R"([{"t": "\"t\": 1, ", "u": "{\"t\"}"}])", -1, "");
    row("an object in a list in an object", R"([{"l": [{"k": 1, "k": 2}]}])", 0, "l.k");
    row("values that are literals", R"([{"a": true, "b": null, "c": -1.5e3, "a": false}])", 0, "a");
    row("no list around", R"({"a": 1, "a": 2})", -1, "a");
}

void TestJsonKeys::findsTheFirstKeyGivenTwice()
{
    QFETCH(QByteArray, json);
    QFETCH(int, element);
    QFETCH(QString, path);
    const std::optional<CJsonKeys::CDuplicate> twice = CJsonKeys::FindDuplicate(json);
    QCOMPARE(twice.has_value(), !path.isEmpty());
    if (!twice)
        return;
    QCOMPARE(twice->m_nElement, element);
    QCOMPARE(twice->m_strPath, path);
}

KESTAVON_TEST_MAIN(TestJsonKeys)
#include "tst_jsonkeys.moc"
