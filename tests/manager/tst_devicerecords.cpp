#include <QTest>

#include "devicesummary.h"
#include "isolatednetwork.h"

class TestDeviceRecords : public QObject
{
    Q_OBJECT

private slots:
    void modelClass_data();
    void modelClass();
    void summaryKeepsTheAnnouncedTexts();
};

void TestDeviceRecords::modelClass_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("modelClass");
    QTest::newRow("210") << QStringLiteral("KS-210") << 2;
    QTest::newRow("210 wins over 100") << QStringLiteral("X2100") << 2;
    QTest::newRow("210 anywhere") << QStringLiteral("x210") << 2;
    QTest::newRow("1200") << QStringLiteral("1200") << 1;
    QTest::newRow("2000") << QStringLiteral("2000") << 1;
    QTest::newRow("1000") << QStringLiteral("1000") << 0;
    QTest::newRow("no number") << QStringLiteral("abc") << 3;
    QTest::newRow("empty") << QString() << 3;
    QTest::newRow("letter O is not zero") << QStringLiteral("21O") << 3;
}

void TestDeviceRecords::modelClass()
{
    QFETCH(QString, model);
    QFETCH(int, modelClass);
    const CDeviceSummary summary(QStringLiteral("n"), model, QStringLiteral("1.2.3.4"),
                                 QStringLiteral("u"));
    QCOMPARE(summary.modelClass, modelClass);
}

void TestDeviceRecords::summaryKeepsTheAnnouncedTexts()
{
    const CDeviceSummary summary(QStringLiteral("Den"), QStringLiteral("KS-210"),
                                 QStringLiteral("127.0.0.2"), QStringLiteral("uuid:1"));
    QCOMPARE(summary.name, QStringLiteral("Den"));
    QCOMPARE(summary.model, QStringLiteral("KS-210"));
    QCOMPARE(summary.ip, QStringLiteral("127.0.0.2"));
    QCOMPARE(summary.udn, QStringLiteral("uuid:1"));
}

KESTAVON_TEST_MAIN(TestDeviceRecords)
#include "tst_devicerecords.moc"
