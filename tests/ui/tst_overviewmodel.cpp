#include <QAbstractItemModelTester>
#include <QSortFilterProxyModel>
#include <QTest>
#include <QTextDocument>

#include "overviewfilter.h"
#include "overviewmodel.h"
#include "uitestmain.h"
#include "wirevocabulary.h"

using namespace Qt::StringLiterals;

// The overview's table model on its own: rows from announcements, reads
// filling them in, generations, and the sorted, filtered view of it.
class TestOverviewModel : public QObject
{
    Q_OBJECT

private slots:
    void announcementsMakeRowsAtOnce();
    void readsFillTheRowsIn();
    void aFailedReadSaysWhatFailed();
    void playerTextInATooltipIsShownAsWritten_data();
    void playerTextInATooltipIsShownAsWritten();
    void aResultOfAnOlderSearchIsDropped();
    void orderIsStableAcrossSearches();
    void rememberedPlayersShowWhenLastSeen();
    void removedRowsAreGone();
    void filterSearchesEveryColumn_data();
    void filterSearchesEveryColumn();
    void sortsByAnyColumn_data();
    void sortsByAnyColumn();

private:
    static CDeviceSummary Device(int number, const QString &udn = {});
    static QStringList Column(const QAbstractItemModel &model, int column);
    static CPlayerResult ReadOk(int number);
};

CDeviceSummary TestOverviewModel::Device(int number, const QString &udn)
{
    return CDeviceSummary(QStringLiteral("Player %1").arg(number), QStringLiteral("KS-210"),
                          QStringLiteral("127.0.0.%1").arg(number),
                          udn.isNull() ? QStringLiteral("uuid:%1").arg(number) : udn);
}

CPlayerResult TestOverviewModel::ReadOk(int number)
{
    using namespace WireVocabulary;
    return CPlayerResult::Success(QStringLiteral("127.0.0.%1").arg(number),
                                  {{NAME, QStringLiteral("Read %1").arg(number)},
                                   {FIRMVERSION, QStringLiteral("2.0.%1").arg(number)},
                                   {LANMAC, QStringLiteral("00:00:00:00:00:%1").arg(number)},
                                   {WIFIONOFF, number % 2 == 0}});
}

QStringList TestOverviewModel::Column(const QAbstractItemModel &model, int column)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts.append(model.index(row, column).data().toString());
    return texts;
}

void TestOverviewModel::announcementsMakeRowsAtOnce()
{
    COverviewModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.BeginSearch();
    QCOMPARE(model.Announce({Device(2), Device(3)}).size(), 2);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.columnCount(), int(COverviewModel::COLUMN_COUNT));
    QCOMPARE(Column(model, COverviewModel::COL_NAME),
             (QStringList{QStringLiteral("Player 2"), QStringLiteral("Player 3")}));
    QCOMPARE(Column(model, COverviewModel::COL_ADDRESS),
             (QStringList{QStringLiteral("127.0.0.2"), QStringLiteral("127.0.0.3")}));
    QCOMPARE(Column(model, COverviewModel::COL_STATUS),
             (QStringList{QStringLiteral("Answering"), QStringLiteral("Answering")}));
    // A repeat is no news; a new player appends.
    QVERIFY(model.Announce({Device(2), Device(3)}).isEmpty());
    QCOMPARE(model.Announce({Device(2), Device(3), Device(4)}).size(), 1);
    QCOMPARE(model.rowCount(), 3);
    // Without udn the address is the key.
    QCOMPARE(model.Announce({CDeviceSummary(u"Player 5"_s, u"KS-210"_s, u"127.0.0.5"_s, QString())})
                 .size(),
             1);
    QCOMPARE(model.index(3, 0).data(COverviewModel::KeyRole).toString(),
             QStringLiteral("127.0.0.5"));
    // The same key twice in one list: one row.
    model.Announce({Device(6), Device(7, QStringLiteral("uuid:6"))});
    QCOMPARE(model.rowCount(), 5);
    // A model with its own web page is not read; its row says where its
    // settings are rather than stand empty.
    model.Announce({CDeviceSummary(u"Radio"_s, u"KS-100"_s, u"127.0.0.8"_s, u"uuid:8"_s)});
    QCOMPARE(model.index(5, COverviewModel::COL_STATUS).data().toString(),
             QStringLiteral("Answering; its settings are on its own web page"));
}

void TestOverviewModel::readsFillTheRowsIn()
{
    COverviewModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const int generation = model.BeginSearch();
    model.Announce({Device(2), Device(3)});
    model.MarkReading(QStringLiteral("uuid:2"));
    model.MarkReading(QStringLiteral("uuid:3"));
    QCOMPARE(model.ReadsPending(), 2);
    QCOMPARE(model.index(0, COverviewModel::COL_STATUS).data().toString(),
             QStringLiteral("Reading…"));

    model.ApplyRead(generation, QStringLiteral("uuid:3"), ReadOk(3));
    QCOMPARE(model.ReadsPending(), 1);
    QCOMPARE(model.index(1, COverviewModel::COL_NAME).data().toString(), QStringLiteral("Read 3"));
    QCOMPARE(model.index(1, COverviewModel::COL_FIRMWARE).data().toString(),
             QStringLiteral("2.0.3"));
    QCOMPARE(model.index(1, COverviewModel::COL_LANMAC).data().toString(),
             QStringLiteral("00:00:00:00:00:3"));
    QCOMPARE(model.index(1, COverviewModel::COL_WIFI).data().toString(), QStringLiteral("off"));
    QCOMPARE(model.index(1, COverviewModel::COL_STATUS).data().toString(),
             QStringLiteral("Answering"));
    model.ApplyRead(generation, QStringLiteral("uuid:2"), ReadOk(2));
    QCOMPARE(model.index(0, COverviewModel::COL_WIFI).data().toString(), QStringLiteral("on"));
    QCOMPARE(model.ReadsPending(), 0);
    // What the store keeps of a row.
    const CSeenPlayers::SPlayer seen = model.Seen(QStringLiteral("uuid:2"));
    QCOMPARE(seen.m_strFirmware, QStringLiteral("2.0.2"));
    QCOMPARE(seen.m_strIp, QStringLiteral("127.0.0.2"));
    QVERIFY(seen.m_lastSeen.isValid());
}

void TestOverviewModel::aFailedReadSaysWhatFailed()
{
    COverviewModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const int generation = model.BeginSearch();
    model.Announce({Device(2), Device(3)});
    model.MarkReading(QStringLiteral("uuid:2"));
    model.ApplyRead(generation, QStringLiteral("uuid:2"),
                    CPlayerResult::Failure(QStringLiteral("127.0.0.2"),
                                           QStringLiteral("error: socket connection failed")));
    QCOMPARE(model.index(0, COverviewModel::COL_STATUS).data().toString(),
             QStringLiteral("Reading failed: error: socket connection failed"));
    QCOMPARE(model.State(0), COverviewModel::EState::Failed);
    // The other player is untouched.
    QCOMPARE(model.State(1), COverviewModel::EState::Announced);
}

// A tooltip with markup in it is drawn as rich text: a player's name must
// read as it was announced, never lay out the tip or fetch a picture.
void TestOverviewModel::playerTextInATooltipIsShownAsWritten_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("bold") << QStringLiteral("<b>Kitchen</b>");
    QTest::newRow("picture") << QStringLiteral("<img src=\"file:///etc/hostname\">");
    QTest::newRow("table") << QStringLiteral("<table><tr><td>x</td></tr></table> & more");
    QTest::newRow("plain") << QStringLiteral("Living Room");
}

void TestOverviewModel::playerTextInATooltipIsShownAsWritten()
{
    QFETCH(QString, name);
    COverviewModel model;
    model.BeginSearch();
    model.Announce({CDeviceSummary(name, u"KS-210"_s, u"127.0.0.2"_s, u"uuid:2"_s)});
    const QString tip = model.index(0, COverviewModel::COL_NAME).data(Qt::ToolTipRole).toString();
    QTextDocument shown;
    if (Qt::mightBeRichText(tip))
        shown.setHtml(tip);
    else
        shown.setPlainText(tip);
    QCOMPARE(shown.toPlainText(), name);
}

void TestOverviewModel::aResultOfAnOlderSearchIsDropped()
{
    COverviewModel model;
    const int old = model.BeginSearch();
    model.Announce({Device(2)});
    model.BeginSearch();
    model.ApplyRead(old, QStringLiteral("uuid:2"), ReadOk(2));
    QCOMPARE(model.index(0, COverviewModel::COL_NAME).data().toString(),
             QStringLiteral("Player 2"));
    QVERIFY(model.index(0, COverviewModel::COL_FIRMWARE).data().toString().isEmpty());
    // A result for a player no row has is dropped too.
    model.ApplyRead(model.Generation(), QStringLiteral("uuid:99"), ReadOk(99));
    QCOMPARE(model.rowCount(), 1);
}

void TestOverviewModel::orderIsStableAcrossSearches()
{
    COverviewModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.BeginSearch();
    model.Announce({Device(2), Device(3), Device(4)});
    model.EndSearch();
    const QStringList before = Column(model, COverviewModel::COL_NAME);

    // The next search hears them in another order, one of them at another
    // address, and a newcomer.
    model.BeginSearch();
    CDeviceSummary moved = Device(2);
    moved.ip = QStringLiteral("127.0.0.20");
    QCOMPARE(model.Announce({Device(4), Device(9), moved}).size(), 3);
    model.EndSearch();
    QCOMPARE(Column(model, COverviewModel::COL_NAME),
             before + QStringList{QStringLiteral("Player 9")});
    QCOMPARE(model.index(0, COverviewModel::COL_ADDRESS).data().toString(),
             QStringLiteral("127.0.0.20"));
    // The one that did not answer this time says so, greyed, and has no
    // address to be chosen at.
    QCOMPARE(model.State(1), COverviewModel::EState::NotSeen);
    QVERIFY(model.index(1, COverviewModel::COL_STATUS)
                .data()
                .toString()
                .startsWith(QStringLiteral("not seen since ")));
    QVERIFY(model.index(1, 0).data(Qt::ForegroundRole).isValid());
    QVERIFY(model.index(1, 0).data(COverviewModel::AnsweringIpRole).toString().isEmpty());
    QCOMPARE(model.index(0, 0).data(COverviewModel::AnsweringIpRole).toString(),
             QStringLiteral("127.0.0.20"));
}

void TestOverviewModel::rememberedPlayersShowWhenLastSeen()
{
    COverviewModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    CSeenPlayers::SPlayer old;
    old.m_strUdn = QStringLiteral("uuid:2");
    old.m_strName = QStringLiteral("Attic");
    old.m_strFirmware = QStringLiteral("0.9");
    old.m_lastSeen = QDateTime(QDate(2026, 3, 4), QTime(5, 6), Qt::UTC);
    model.AddRemembered({old, CSeenPlayers::SPlayer{}});
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.index(0, COverviewModel::COL_STATUS).data().toString(),
             QStringLiteral("not seen since %1")
                 .arg(QLocale().toString(old.m_lastSeen.toLocalTime(), QLocale::ShortFormat)));
    QCOMPARE(model.index(0, COverviewModel::COL_FIRMWARE).data().toString(), QStringLiteral("0.9"));

    // It answers: the same row, no longer greyed.
    model.BeginSearch();
    QCOMPARE(model.Announce({Device(2)}).size(), 1);
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.State(0), COverviewModel::EState::Announced);
    QVERIFY(!model.index(0, 0).data(Qt::ForegroundRole).isValid());
}

void TestOverviewModel::removedRowsAreGone()
{
    COverviewModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.BeginSearch();
    model.Announce({Device(2), Device(3), Device(4)});
    model.Remove({QStringLiteral("uuid:3"), QStringLiteral("uuid:2"), QStringLiteral("none")});
    QCOMPARE(Column(model, COverviewModel::COL_NAME), QStringList{QStringLiteral("Player 4")});
    QCOMPARE(model.RowOf(QStringLiteral("uuid:4")), 0);
}

void TestOverviewModel::filterSearchesEveryColumn_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("nothing") << QString()
                             << QStringList{u"Read 2"_s, u"Player 3"_s, u"Player 12"_s};
    QTest::newRow("a name, any case") << u"player"_s << QStringList{u"Player 3"_s, u"Player 12"_s};
    QTest::newRow("upper case") << u"PLAYER 1"_s << QStringList{u"Player 12"_s};
    QTest::newRow("part of an address") << u".0.1"_s << QStringList{u"Player 12"_s};
    QTest::newRow("a firmware version") << u"2.0.2"_s << QStringList{u"Read 2"_s};
    QTest::newRow("a status") << u"reading"_s << QStringList{u"Player 3"_s};
    QTest::newRow("nobody") << u"zzz"_s << QStringList{};
}

void TestOverviewModel::filterSearchesEveryColumn()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, names);
    COverviewModel model;
    COverviewFilter proxy;
    proxy.setSourceModel(&model);
    QAbstractItemModelTester tester(&proxy, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const int generation = model.BeginSearch();
    model.Announce({Device(2), Device(3), Device(12)});
    model.ApplyRead(generation, QStringLiteral("uuid:2"), ReadOk(2));
    model.MarkReading(QStringLiteral("uuid:3"));
    proxy.SetText(filter);
    QCOMPARE(Column(proxy, COverviewModel::COL_NAME), names);
    // A row that changes is filtered anew: the reading player is read.
    if (filter == u"reading"_s) {
        model.ApplyRead(generation, QStringLiteral("uuid:3"), ReadOk(3));
        QCOMPARE(Column(proxy, COverviewModel::COL_NAME), QStringList{});
    }
}

void TestOverviewModel::sortsByAnyColumn_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("order");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("name") << int(COverviewModel::COL_NAME) << int(Qt::AscendingOrder)
                          << QStringList{u"player 10"_s, u"Player 2"_s, u"Player 9"_s};
    // Addresses by their number, not their text.
    QTest::newRow("address") << int(COverviewModel::COL_ADDRESS) << int(Qt::AscendingOrder)
                             << QStringList{u"Player 2"_s, u"Player 9"_s, u"player 10"_s};
    QTest::newRow("address, descending")
        << int(COverviewModel::COL_ADDRESS) << int(Qt::DescendingOrder)
        << QStringList{u"player 10"_s, u"Player 9"_s, u"Player 2"_s};
    QTest::newRow("firmware") << int(COverviewModel::COL_FIRMWARE) << int(Qt::AscendingOrder)
                              << QStringList{u"Player 2"_s, u"player 10"_s, u"Player 9"_s};
}

void TestOverviewModel::sortsByAnyColumn()
{
    QFETCH(int, column);
    QFETCH(int, order);
    QFETCH(QStringList, names);
    COverviewModel model;
    QSortFilterProxyModel proxy;
    proxy.setSourceModel(&model);
    proxy.setSortRole(COverviewModel::SortRole);
    proxy.setSortCaseSensitivity(Qt::CaseInsensitive);
    QAbstractItemModelTester tester(&proxy, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const int generation = model.BeginSearch();
    CDeviceSummary lower = Device(10);
    lower.name = QStringLiteral("player 10");
    model.Announce({Device(9), lower, Device(2)});
    using namespace WireVocabulary;
    for (const auto &[number, firmware] :
         {std::pair{9, "3.0"}, std::pair{10, "2.5"}, std::pair{2, ""}}) {
        model.ApplyRead(generation, QStringLiteral("uuid:%1").arg(number),
                        CPlayerResult::Success({}, {{FIRMVERSION, QString::fromLatin1(firmware)}}));
    }
    proxy.sort(column, Qt::SortOrder(order));
    QCOMPARE(Column(proxy, COverviewModel::COL_NAME), names);
}

KESTAVON_UI_TEST_MAIN(TestOverviewModel)
#include "tst_overviewmodel.moc"
