#include <QFile>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include "clirun.h"
#include "isolatednetwork.h"
#include "simnetwork.h"

namespace {

const QString WAIT = QStringLiteral("1");
const QString HOSTILE = QStringLiteral("127.0.0.2");
const QString LONG_NAMED = QStringLiteral("127.0.0.3");

// A name that clears the screen, sets the window title, turns text red,
// reverses what follows and begins a spreadsheet formula.
const QString HOSTILE_NAME = QStringLiteral("=1+2\x1b[2J\x1b]0;pwned\x07\u202eexe.txt\u009b31m");
const QString HOSTILE_NAME_SHOWN =
    QStringLiteral("=1+2\\x1b[2J\\x1b]0;pwned\\x07\\u202eexe.txt\\x9b31m");
// XML reads a carriage return before a line break as a line break alone.
const QString HOSTILE_SERIAL = QStringLiteral("SN\nFAKE: ok\u2066");
const QString HOSTILE_SERIAL_SHOWN = QStringLiteral("SN\\x0aFAKE: ok\\u2066");
const QString HOSTILE_ESSID = QStringLiteral("Cafe\x1b[5m\u202d");
const QString HOSTILE_ESSID_SHOWN = QStringLiteral("Cafe\\x1b[5m\\u202d");
// Close to the largest announcement the tool reads (64 KiB).
constexpr qsizetype LONG_NAME_SIZE = 60000;
// Three short lines; the name alone would be 60 KB on each of its lines.
constexpr qsizetype SHORT_OUTPUT = 1000;

CSimPlayerConfig Hostile()
{
    CSimPlayerConfig config = CSimPlayerConfig::ForAddress(HOSTILE);
    config.m_strName = HOSTILE_NAME;
    config.m_state.m_strSerialNumber = HOSTILE_SERIAL;
    CSimAccessPoint ap;
    ap.m_strEssid = HOSTILE_ESSID;
    ap.m_strEncryptionKey = QStringLiteral("WPA2");
    ap.m_strQuality = QStringLiteral("40");
    config.m_state.m_accessPoints = {ap};
    return config;
}

CSimPlayerConfig LongNamed()
{
    CSimPlayerConfig config = CSimPlayerConfig::ForAddress(LONG_NAMED);
    config.m_strName = QString(LONG_NAME_SIZE, QLatin1Char('n'));
    return config;
}

// Every character of text a terminal could take as a command or a
// reordering; line ends excepted, the output's own.
QString Obeyed(const QString &text)
{
    QString found;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool control = (u < 0x20 && u != u'\n') || (u >= 0x7F && u <= 0x9F);
        const bool bidi = (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069) ||
                          u == 0x200E || u == 0x200F || u == 0x061C;
        if (control || bidi)
            found += QStringLiteral("U+%1 ").arg(u, 4, 16, QLatin1Char('0'));
    }
    return found;
}

QStringList Player(const QString &address)
{
    return {QStringLiteral("--player"), address};
}

} // namespace

// Whatever a player announces or answers is shown in the terminal as text
// that can only be read: escaped, and cut in tables. JSON and CSV keep the
// value whole; CSV defuses formulas. Names the user gives are refused
// before anything is sent when a player could not keep them.
class TestCliPlayerText : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void textOutputIsEscaped_data();
    void textOutputIsEscaped();
    void aLongNameIsOneShortCell_data();
    void aLongNameIsOneShortCell();
    void csvKeepsTheValueAndDefusesTheFormula();
    void errorLinesAreEscaped();
    void namesAPlayerCannotKeepAreRefused_data();
    void namesAPlayerCannotKeepAreRefused();

private:
    CSimNetwork m_network;
    QTemporaryDir m_dir;
};

void TestCliPlayerText::init()
{
    QString error;
    QVERIFY2(m_network.Start({Hostile(), LongNamed()}, &error), qPrintable(error));
}

void TestCliPlayerText::textOutputIsEscaped_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("shown");

    const QStringList discovery = {QStringLiteral("--wait"), WAIT};
    QTest::newRow("discover's table") << QStringList{QStringLiteral("discover")} + discovery << 0
                                      << QStringList{HOSTILE_NAME_SHOWN};
    QTest::newRow("inventory's table") << QStringList{QStringLiteral("inventory")} + discovery << 0
                                       << QStringList{HOSTILE_NAME_SHOWN, HOSTILE_SERIAL_SHOWN};
    QTest::newRow("info's block") << Player(HOSTILE) + QStringList{QStringLiteral("info")} << 0
                                  << QStringList{QStringLiteral("  devicename    ") +
                                                     HOSTILE_NAME_SHOWN + u'\n',
                                                 QStringLiteral("  serialnumber  ") +
                                                     HOSTILE_SERIAL_SHOWN + u'\n'};
    QTest::newRow("aps' table") << Player(HOSTILE) + QStringList{QStringLiteral("aps")} << 0
                                << QStringList{QStringLiteral("  ") + HOSTILE_ESSID_SHOWN +
                                               QStringLiteral("  WPA2")};
    QTest::newRow("every player with --all")
        << QStringList{QStringLiteral("--all")} + discovery + QStringList{QStringLiteral("info")}
        << 0 << QStringList{HOSTILE_NAME_SHOWN};
}

void TestCliPlayerText::textOutputIsEscaped()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QStringList, shown);

    const CCliRun run = CCliRun::Run(arguments);
    QVERIFY2(run.m_nExitCode == exitCode, run.Describe());
    QCOMPARE(Obeyed(run.m_strOut), QString());
    QCOMPARE(Obeyed(run.m_strErr), QString());
    for (const QString &text : shown)
        QVERIFY2(run.m_strOut.contains(text), (text.toUtf8() + '\n' + run.Describe()).constData());

    // JSON carries the same text unchanged, escaped by JSON's own rules.
    const CCliRun json = CCliRun::Run(QStringList{QStringLiteral("--json")} + arguments);
    QVERIFY2(json.m_nExitCode == exitCode, json.Describe());
    QVERIFY2(!json.Json().isEmpty(), json.Describe());
    QCOMPARE(Obeyed(json.m_strOut), QString());
    QVERIFY2(json.m_strOut.contains(QStringLiteral("\\u001b[")), json.Describe());
}

void TestCliPlayerText::aLongNameIsOneShortCell_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("discover") << QStringLiteral("discover");
    QTest::newRow("inventory") << QStringLiteral("inventory");
}

void TestCliPlayerText::aLongNameIsOneShortCell()
{
    QFETCH(QString, command);
    // Only the long-named player: its line alone is measured.
    const QStringList arguments = {command, QStringLiteral("--subnet"),
                                   LONG_NAMED + QStringLiteral("/32"), QStringLiteral("--wait"),
                                   WAIT};
    const CCliRun run = CCliRun::Run(arguments);
    QVERIFY2(run.m_nExitCode == 0, run.Describe());
    QVERIFY2(run.m_strOut.size() < SHORT_OUTPUT, qPrintable(run.m_strOut.left(SHORT_OUTPUT)));
    QVERIFY2(run.m_strOut.contains(QStringLiteral("nnnn\u2026  ")), qPrintable(run.m_strOut));

    const CCliRun json = CCliRun::Run(QStringList{QStringLiteral("--json")} + arguments);
    QVERIFY2(json.m_nExitCode == 0, json.Describe().left(SHORT_OUTPUT));
    QCOMPARE(json.Json().first().toObject().value(QStringLiteral("name")).toString(),
             LongNamed().m_strName);
}

void TestCliPlayerText::csvKeepsTheValueAndDefusesTheFormula()
{
    const CCliRun run = CCliRun::Run({QStringLiteral("--csv"), QStringLiteral("inventory"),
                                      QStringLiteral("--subnet"), HOSTILE + QStringLiteral("/32"),
                                      QStringLiteral("--wait"), WAIT});
    QVERIFY2(run.m_nExitCode == 0, run.Describe());
    const QStringList records = run.m_strOut.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QVERIFY2(records.size() >= 2, run.Describe());
    // The full value, quoted since it holds a line break, marked as text.
    QVERIFY2(records.at(1).startsWith(QLatin1Char('\'') + HOSTILE_NAME + QLatin1Char(',')),
             run.Describe());
    QVERIFY2(run.m_strOut.contains(QLatin1Char('"') + HOSTILE_SERIAL + QLatin1Char('"')),
             run.Describe());
}

void TestCliPlayerText::errorLinesAreEscaped()
{
    // The error text holds what the player put in its errcode.
    m_network.SetFault(HOSTILE, CSimFault{.m_kind = CSimFault::EKind::Errcode,
                                          .m_strOperation = QStringLiteral("setDeviceName"),
                                          .m_text = QStringLiteral("0\x1b[2J\u202e")});
    const CCliRun run =
        CCliRun::Run(Player(HOSTILE) + QStringList{QStringLiteral("name"), QStringLiteral("Hall")});
    QVERIFY2(run.m_nExitCode == 1, run.Describe());
    QCOMPARE(Obeyed(run.m_strErr), QString());
    QCOMPARE(run.m_strErr,
             QStringLiteral("127.0.0.2: tavrion setup error : command=setDeviceName, errcode "
                            "=0\\x1b[2J\\u202e\n"));
}

void TestCliPlayerText::namesAPlayerCannotKeepAreRefused_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("plan"); // written to a file the arguments name as PLAN
    QTest::addColumn<QString>("message");

    const QStringList player = Player(HOSTILE);
    QTest::newRow("a name holding an escape")
        << player + QStringList{QStringLiteral("name"), QStringLiteral("Den\x1b[2J")}
        << QByteArray() << QStringLiteral("the new name holds a control character (U+001B)");
    QTest::newRow("a name longer than a player keeps")
        << player + QStringList{QStringLiteral("name"), QString(65, QLatin1Char('x'))}
        << QByteArray()
        << QStringLiteral("the new name is 65 bytes long (UTF-8); a player keeps at most 64");
    QTest::newRow("an ESSID longer than a player keeps")
        << player + QStringList{QStringLiteral("connect"), QString(33, QLatin1Char('e')),
                                QStringLiteral("pw"), QStringLiteral("WPA2")}
        << QByteArray()
        << QStringLiteral("the ESSID is 33 bytes long (UTF-8); a player keeps at most 32");
    QTest::newRow("a plan's name holding a line break")
        << QStringList{QStringLiteral("apply"), QStringLiteral("PLAN")}
        << QByteArray(R"([{"udn": "uuid:kestavon-0002", "name": "Den\nRoom"}])")
        << QStringLiteral("entry 1 (uuid:kestavon-0002): name: holds a control character "
                          "(U+000A)");
    QTest::newRow("a plan's ESSID longer than a player keeps")
        << QStringList{QStringLiteral("apply"), QStringLiteral("PLAN")}
        << QByteArray(R"([{"udn": "uuid:kestavon-0002", "accessPoint": {"essid": ")" +
                      QByteArray(33, 'e') + R"(", "encryption": "OPEN"}}])")
        << QStringLiteral("entry 1 (uuid:kestavon-0002): accessPoint.essid: is 33 bytes long "
                          "(UTF-8); a player keeps at most 32");
}

void TestCliPlayerText::namesAPlayerCannotKeepAreRefused()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, plan);
    QFETCH(QString, message);

    if (!plan.isEmpty()) {
        QVERIFY(m_dir.isValid());
        const QString path = m_dir.filePath(QStringLiteral("plan.json"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(plan), plan.size());
        file.close();
        arguments.replaceInStrings(QStringLiteral("PLAN"), path);
    }
    const CCliRun run = CCliRun::Run(arguments);
    QVERIFY2(run.m_nExitCode == 2, run.Describe());
    QVERIFY2(run.m_strErr.contains(message), run.Describe());
    QCOMPARE(m_network.ReceivedRequests(HOSTILE), QList<QByteArray>());
    QCOMPARE(m_network.ProbesReceived(HOSTILE), 0);
}

KESTAVON_TEST_MAIN(TestCliPlayerText)
#include "tst_cliplayertext.moc"
