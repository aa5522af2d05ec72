#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "dialogtemplate.h"
#include "templatebuilder.h"
#include "uitestmain.h"

// The windows as built from their templates, checked against a table of what
// every window must hold: ids, kinds, captions and rectangles in dialog units.
class TestTemplateBuilder : public QObject
{
    Q_OBJECT

private slots:
    void windows_data();
    void windows();
    void controls_data();
    void controls();
    void pagesAreChildrenWithoutFrame();
    void boundControlTakesThePlaceOfItsId();
    void sortedComboKeepsAlphabeticalOrder();
    void brokenTemplatesAreRejected_data();
    void brokenTemplatesAreRejected();

private:
    static QString TextOf(const QWidget *widget);
};

namespace {

// An id for rows that find a control without one by its text.
constexpr int BY_TEXT = -1;

void AddControl(int dialog, int id, const char *kind, const QString &text, const QRect &rect)
{
    QTest::addRow("%d/%d %s", dialog, id, qPrintable(text.isEmpty() ? QString::number(id) : text))
        << dialog << id << QByteArray(kind) << text << rect;
}

} // namespace

QString TestTemplateBuilder::TextOf(const QWidget *widget)
{
    if (auto *label = qobject_cast<const QLabel *>(widget))
        return label->text();
    if (auto *button = qobject_cast<const QAbstractButton *>(widget))
        return button->text();
    if (auto *group = qobject_cast<const QGroupBox *>(widget))
        return group->title();
    return {};
}

void TestTemplateBuilder::windows_data()
{
    QTest::addColumn<int>("dialog");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QSize>("units");
    QTest::newRow("about") << 100 << QStringLiteral("About Kestavon Setup") << QSize(170, 62);
    QTest::newRow("main") << 102 << QStringLiteral("Kestavon Setup") << QSize(465, 362);
    QTest::newRow("wifi list") << 132 << QStringLiteral("Wifi Network Selection")
                               << QSize(311, 220);
    QTest::newRow("ap setting") << 133 << QStringLiteral("Ap Setting") << QSize(165, 100);
    QTest::newRow("ip setup") << 134 << QStringLiteral("Dialog") << QSize(219, 145);
    QTest::newRow("firmware") << 135 << QStringLiteral("Firmware Update") << QSize(309, 176);
}

void TestTemplateBuilder::windows()
{
    QFETCH(int, dialog);
    QFETCH(QString, caption);
    QFETCH(QSize, units);
    QDialog window;
    QVERIFY(CTemplateBuilder::Build(dialog, &window));
    const CDialogUnits converter = CTemplateBuilder::Units(*CDialogTemplate::Load(dialog));
    QCOMPARE(window.windowTitle(), caption);
    QCOMPARE(window.size(), converter.ToPixels(units));
    // A fixed frame: the window cannot be resized.
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QCOMPARE(window.font().pointSize(), 8);
}

void TestTemplateBuilder::controls_data()
{
    QTest::addColumn<int>("dialog");
    QTest::addColumn<int>("id");
    QTest::addColumn<QByteArray>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("rect");
    const QString none;

    AddControl(100, BY_TEXT, "QLabel", QStringLiteral("Kestavon Setup PC Version 1.0"),
               {42, 14, 114, 8});
    AddControl(100, 1, "QPushButton", QStringLiteral("OK"), {113, 41, 50, 14});

    AddControl(102, 1003, "QFrame", none, {7, 7, 135, 128});
    AddControl(102, BY_TEXT, "QLabel", QStringLiteral("Network Adapter List"), {7, 145, 75, 8});
    AddControl(102, 1000, "QComboBox", none, {7, 157, 135, 30});
    AddControl(102, BY_TEXT, "QLabel", QStringLiteral("Device List"), {7, 179, 75, 8});
    AddControl(102, 1001, "QListWidget", none, {7, 191, 135, 137});
    AddControl(102, 1002, "QPushButton", QStringLiteral("Refresh"), {7, 334, 134, 21});
    AddControl(102, 1004, "QFrame", none, {152, 7, 308, 348});

    AddControl(130, BY_TEXT, "QLabel", QStringLiteral("Change Device Name"), {8, 14, 283, 11});
    AddControl(130, BY_TEXT, "QLabel", QStringLiteral("current name :"), {11, 31, 48, 8});
    AddControl(130, 1013, "QLabel", none, {68, 31, 118, 8});
    AddControl(130, BY_TEXT, "QLabel", QStringLiteral("new name:"), {11, 48, 50, 8});
    AddControl(130, 1005, "QLineEdit", none, {66, 46, 121, 14});
    AddControl(130, 1006, "QPushButton", QStringLiteral("apply"), {205, 46, 50, 14});
    AddControl(130, BY_TEXT, "QLabel", QStringLiteral("Wifi Setup"), {8, 83, 283, 11});
    AddControl(130, BY_TEXT, "QLabel", QStringLiteral("wifi on interface :"), {11, 104, 57, 8});
    AddControl(130, 1007, "QCheckBox", QStringLiteral("wifi off ( warining...)"),
               {86, 104, 82, 10});
    AddControl(130, 1009, "QPushButton", QStringLiteral("go to wifi selection"),
               {88, 124, 105, 14});
    AddControl(130, BY_TEXT, "QLabel", QStringLiteral("Device Information"), {8, 158, 283, 11});
    AddControl(130, BY_TEXT, "QLabel", QStringLiteral("lan ip address"), {11, 182, 45, 8});
    AddControl(130, BY_TEXT, "QLabel", QStringLiteral("wifi ip address"), {11, 198, 46, 8});
    AddControl(130, BY_TEXT, "QLabel", QStringLiteral("lan mac address"), {11, 214, 52, 8});
    AddControl(130, BY_TEXT, "QLabel", QStringLiteral("wifi mac address"), {11, 230, 54, 8});
    AddControl(130, BY_TEXT, "QLabel", QStringLiteral("firmware version"), {11, 246, 54, 8});
    AddControl(130, BY_TEXT, "QLabel", QStringLiteral("serial number"), {12, 262, 44, 8});
    for (int field = 0; field < 6; ++field)
        AddControl(130, 1014 + field, "QLabel", none, {108, 182 + 16 * field, 119, 8});
    AddControl(130, 1020, "QPushButton", QStringLiteral("Lan Setup"), {238, 178, 50, 14});
    AddControl(130, 1021, "QPushButton", QStringLiteral("Wifi Setup"), {237, 195, 50, 14});
    AddControl(130, BY_TEXT, "QLabel", QStringLiteral("Firmware Update"), {8, 286, 283, 11});
    AddControl(130, 1012, "QPushButton", QStringLiteral("Update"), {238, 302, 50, 14});
    AddControl(130, 1022, "QLabel", none, {8, 320, 287, 26});

    AddControl(131, 1044, "QWidget", none, {33, 66, 60, 25});

    AddControl(132, 1021, "QTreeWidget", none, {7, 7, 297, 172});
    AddControl(132, 1022, "QPushButton", QStringLiteral("Other Access Point"), {234, 186, 70, 14});
    AddControl(132, 2, "QPushButton", QStringLiteral("Close"), {131, 199, 50, 14});

    AddControl(133, BY_TEXT, "QLabel", QStringLiteral("essid :"), {9, 10, 52, 8});
    AddControl(133, 1024, "QLineEdit", none, {63, 7, 95, 14});
    AddControl(133, BY_TEXT, "QLabel", QStringLiteral("encryptionkey :"), {8, 29, 52, 8});
    AddControl(133, 1025, "QLineEdit", none, {63, 26, 95, 14});
    AddControl(133, 1045, "QComboBox", none, {77, 42, 48, 30});
    AddControl(133, 1023, "QCheckBox", QStringLiteral("input password"), {8, 44, 65, 10});
    AddControl(133, 1031, "QLabel", QStringLiteral("password :"), {9, 58, 52, 8});
    AddControl(133, 1026, "QLineEdit", none, {63, 55, 95, 14});
    AddControl(133, 1027, "QPushButton", QStringLiteral("Remove"), {13, 79, 38, 14});
    AddControl(133, 1028, "QPushButton", QStringLiteral("Connect"), {63, 79, 38, 14});
    AddControl(133, 1029, "QPushButton", QStringLiteral("Close"), {113, 79, 38, 14});

    AddControl(134, 1037, "QComboBox", none, {7, 7, 64, 30});
    const QStringList ipLabels = {QStringLiteral("IP Address"), QStringLiteral("Subnet Mask"),
                                  QStringLiteral("Default Gateway"),
                                  QStringLiteral("Primary Dns Server"),
                                  QStringLiteral("Secondary Dns Server")};
    for (int field = 0; field < 5; ++field) {
        AddControl(134, BY_TEXT, "QLabel", ipLabels[field], {7, 34 + 18 * field, 103, 8});
        AddControl(134, 1032 + field, "QLineEdit", none, {115, 31 + 18 * field, 95, 14});
    }
    AddControl(134, 1, "QPushButton", QStringLiteral("setup"), {47, 124, 50, 14});
    AddControl(134, 2, "QPushButton", QStringLiteral("close"), {112, 124, 50, 14});

    AddControl(135, 1040, "QLabel", QStringLiteral("Static"), {7, 20, 86, 8});
    AddControl(135, 1041, "QLabel", QStringLiteral("Static"), {7, 43, 295, 32});
    AddControl(135, 1038, "QPushButton", QStringLiteral("Choose File"), {7, 87, 50, 14});
    AddControl(135, BY_TEXT, "QLabel", QStringLiteral("Location : "), {66, 92, 34, 8});
    AddControl(135, 1042, "QLabel", none, {105, 92, 188, 19});
    AddControl(135, 1039, "QProgressBar", none, {7, 119, 295, 14});
    AddControl(135, 1, "QPushButton", QStringLiteral("Update"), {107, 155, 50, 14});
    AddControl(135, 2, "QPushButton", QStringLiteral("Cancel"), {163, 155, 50, 14});
}

void TestTemplateBuilder::controls()
{
    QFETCH(int, dialog);
    QFETCH(int, id);
    QFETCH(QByteArray, kind);
    QFETCH(QString, text);
    QFETCH(QRect, rect);

    QDialog window;
    QVERIFY(CTemplateBuilder::Build(dialog, &window));
    QWidget *control = nullptr;
    if (id == BY_TEXT) {
        const QList<QLabel *> labels = window.findChildren<QLabel *>();
        for (QLabel *label : labels) {
            if (label->text() == text)
                control = label;
        }
    } else {
        control = CTemplateBuilder::Control<QWidget>(&window, id);
    }
    QVERIFY2(control, "no such control");
    QCOMPARE(QByteArray(control->metaObject()->className()), kind);
    QCOMPARE(TextOf(control), text);

    const CDialogUnits units = CTemplateBuilder::Units(*CDialogTemplate::Load(dialog));
    QRect expected = units.ToPixels(rect);
    // A drop-down list's height is its closed height; the template's counts
    // the list that drops down.
    if (kind == "QComboBox")
        expected.setHeight(control->sizeHint().height());
    QCOMPARE(control->geometry(), expected);
}

void TestTemplateBuilder::pagesAreChildrenWithoutFrame()
{
    QWidget owner;
    auto *page = new QWidget(&owner);
    QVERIFY(CTemplateBuilder::Build(130, page));
    QVERIFY(!page->isWindow());
    const CDialogUnits units = CTemplateBuilder::Units(*CDialogTemplate::Load(130));
    // As tall as the main window's page area: the last line says which reads failed.
    QCOMPARE(page->size(), units.ToPixels(QSize(302, 348)));
    // The three section frames carry no caption.
    const QList<QGroupBox *> groups = page->findChildren<QGroupBox *>();
    QCOMPARE(groups.size(), 3);
    for (const QGroupBox *group : groups)
        QVERIFY(group->title().isEmpty());
}

void TestTemplateBuilder::boundControlTakesThePlaceOfItsId()
{
    QWidget page;
    auto *own = new QLabel(QStringLiteral("mine"));
    QVERIFY(CTemplateBuilder::Build(131, &page, {{1044, own}}));
    QCOMPARE(CTemplateBuilder::Control<QWidget>(&page, 1044), own);
    QCOMPARE(own->parentWidget(), &page);
    QCOMPARE(page.findChildren<QWidget *>(Qt::FindDirectChildrenOnly).size(), 1);
}

void TestTemplateBuilder::sortedComboKeepsAlphabeticalOrder()
{
    QDialog window;
    QVERIFY(CTemplateBuilder::Build(133, &window));
    auto *sorted = CTemplateBuilder::Control<QComboBox>(&window, 1045);
    const QStringList names = {QStringLiteral("OPEN"), QStringLiteral("WEP"), QStringLiteral("WPA"),
                               QStringLiteral("WPA2"), QStringLiteral("WPA/WPA2")};
    for (const QString &name : names)
        CTemplateBuilder::AddString(sorted, name);
    QStringList shown;
    for (int line = 0; line < sorted->count(); ++line)
        shown.append(sorted->itemText(line));
    QCOMPARE(shown,
             (QStringList{QStringLiteral("OPEN"), QStringLiteral("WEP"), QStringLiteral("WPA"),
                          QStringLiteral("WPA/WPA2"), QStringLiteral("WPA2")}));

    // An unsorted list keeps the order items came in.
    QDialog ipSetup;
    QVERIFY(CTemplateBuilder::Build(134, &ipSetup));
    auto *unsorted = CTemplateBuilder::Control<QComboBox>(&ipSetup, 1037);
    CTemplateBuilder::AddString(unsorted, QStringLiteral("STATIC"));
    QCOMPARE(CTemplateBuilder::AddString(unsorted, QStringLiteral("DHCP")), 1);
}

void TestTemplateBuilder::brokenTemplatesAreRejected_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("not json") << QByteArray("{ caption: ");
    QTest::newRow("no size") << QByteArray(R"({"controls": []})");
    QTest::newRow("control without rectangle")
        << QByteArray(R"({"size": [10, 10], "controls": [{"kind": "label"}]})");
    QTest::newRow("rectangle of three")
        << QByteArray(R"({"size": [10, 10], "controls": [{"kind": "edit", "rect": [1, 2, 3]}]})");
    QTest::newRow("control without kind")
        << QByteArray(R"({"size": [10, 10], "controls": [{"rect": [1, 2, 3, 4]}]})");
}

void TestTemplateBuilder::brokenTemplatesAreRejected()
{
    QFETCH(QByteArray, json);
    QString error;
    QVERIFY(!CDialogTemplate::FromJson(json, &error));
    QVERIFY(!error.isEmpty());
    QWidget untouched;
    QVERIFY(!CTemplateBuilder::Build(999, &untouched));
    QVERIFY(untouched.children().isEmpty());
}

KESTAVON_UI_TEST_MAIN(TestTemplateBuilder)
#include "tst_templatebuilder.moc"
