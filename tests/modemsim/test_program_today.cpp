// varnix-modemsim with messages of today: bad lines in its files are named with file and line
// while the rest counts, an unknown profile leaves the standard modem, status reports and long
// messages go through the real pty.

#include "SimPty.h"

#include <QtTest>

using simtest::readFile;
using simtest::SimPty;
using simtest::writeFile;

namespace {

const QByteArray kOk = "\r\nOK\r\n";

} // namespace

class TestProgramToday : public QObject {
    Q_OBJECT

private slots:
    void badLinesInTheMessagesFile()
    {
        SimPty s;
        const QString messages = s.file(QStringLiteral("messages.txt"));
        QVERIFY(writeFile(messages, "[ucs2]\t+4917012345678\tGrüße 😀\n"
                                    "+4917012345678\tzwei\tFelder zu viel\n"
                                    "+49170\tkaputt \xff hier\n"
                                    "[ucs3]\t+49170\tText\n"
                                    "# ein Kommentar\n"
                                    "+49170\tletzte\n"
                                    "+49170\tpasst nicht\n"));
        QVERIFY(s.start({"--no-pin", "--storage", "2", "--messages", messages}));
        const QByteArray errors = s.errorsWith("line 7");
        const QByteArray name = QFile::encodeName(messages);
        QVERIFY2(errors.contains(name + ", line 2: 3 fields"), errors.constData());
        QVERIFY2(errors.contains(name + ", line 3: not UTF-8: byte 0xff at column 15"), errors.constData());
        QVERIFY2(errors.contains(name + ", line 4: unknown option \"ucs3\""), errors.constData());
        QVERIFY2(errors.contains(name + ", line 7: the storage \"SM\" has 0 free slots, the message needs 1"),
                 errors.constData());
        QVERIFY(!errors.contains("line 1:") && !errors.contains("line 6:"));
        // The rest is there.
        QVERIFY(s.open());
        QCOMPARE(s.exchange("ATE0;+CMGF=1;+CPMS?\r", "OK\r\n"),
                 QByteArray("ATE0;+CMGF=1;+CPMS?\r\r\n+CPMS: \"SM\",2,2,\"SM\",2,2,\"SM\",2,2\r\n\r\nOK\r\n"));
        QVERIFY(s.exchange("AT+CMGR=1\r", "OK\r\n")
                    .contains("\r\n004700720"
                              "0FC00DF00650020D83DDE00\r\n"));
    }

    void unknownProfile()
    {
        SimPty s;
        QVERIFY(s.start({"--no-pin", "--profile", "nokia"}));
        const QByteArray errors = s.errorsWith("nokia");
        QVERIFY2(errors.contains("--profile: unknown profile \"nokia\" (known: siemens, huawei, quectel, simcom); "
                                 "running the standard modem"),
                 errors.constData());
        QVERIFY(s.open());
        QCOMPARE(s.exchange("ATE0;+CGMI\r", "OK\r\n"), QByteArray("ATE0;+CGMI\r\r\nVarnix\r\n\r\nOK\r\n"));
    }

    void badOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("reference size") << QStringList{"--concat-ref", "12"}
                                        << QStringLiteral("--concat-ref wants 8 or 16");
        QTest::newRow("report status") << QStringList{"--report-status", "soon"}
                                       << QStringLiteral("--report-status wants delivered, pending, failed or 0-255");
        QTest::newRow("delay without time")
            << QStringList{"--delay-for", "AT+CMGR"}
            << QStringLiteral("--delay-for wants CMD=MS, e.g. AT+CMGR=800, not \"AT+CMGR\"");
        QTest::newRow("delay without command")
            << QStringList{"--delay-for", "=800"} << QStringLiteral("--delay-for wants CMD=MS");
        QTest::newRow("mixed line") << QStringList{"--mix-urc", ""} << QStringLiteral("--mix-urc wants a line");
        QTest::newRow("every 0th") << QStringList{"--mix-every", "0"}
                                   << QStringLiteral("--mix-every wants a number from 1");
        QTest::newRow("ME storage") << QStringList{"--me-storage", "300"}
                                    << QStringLiteral("--me-storage wants a number from 1 to 255");
    }

    // A mistake on the command line: the reason, and exit code 2, before anything is opened.
    void badOptions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QProcess sim;
        sim.start(VARNIX_MODEMSIM_BINARY, QStringList{"--link", dir.filePath("modem")} + arguments);
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitCode(), 2);
        const QString errors = QString::fromLocal8Bit(sim.readAllStandardError());
        QVERIFY2(errors.startsWith("varnix-modemsim: " + message), qPrintable(errors));
        QVERIFY(!QFileInfo::exists(dir.filePath("modem")));
    }

    // An inject file with a bad line: the good lines are applied, the bad one named, the file
    // kept as *.bad; a FIFO counts its lines from its start.
    void badLinesInjected()
    {
        SimPty s;
        const QString inject = s.file(QStringLiteral("inject"));
        const QString fifo = s.file(QStringLiteral("control"));
        QVERIFY(s.start({"--no-pin", "--inject-dir", inject, "--control", fifo}));
        QVERIFY(s.open());
        QCOMPARE(s.exchange("ATE0\r", "OK\r\n"), QByteArray("ATE0\r\r\nOK\r\n"));
        QVERIFY(writeFile(inject + "/.m", "+49170\teins\n+49170\n[later=x]\t+49170\tdrei\nring\n"));
        QVERIFY(QFile::rename(inject + "/.m", inject + "/m"));
        const QByteArray expected = "\r\n+CMTI: \"SM\",1\r\n\r\nRING\r\n";
        QCOMPARE(s.exchange({}, expected), expected);
        const QByteArray errors = s.errorsWith("kept as");
        QVERIFY2(errors.contains("inject/m, line 2: 1 fields"), errors.constData());
        QVERIFY2(errors.contains("inject/m, line 3: bad option \"later=x\""), errors.constData());
        QVERIFY(QFile::exists(inject + "/m.bad"));
        QVERIFY(!QFile::exists(inject + "/m"));

        QVERIFY(writeFile(fifo, "+49170\tA\n"));
        QVERIFY(writeFile(fifo, "urc \\q\n+49170\tB\n"));
        const QByteArray two = "\r\n+CMTI: \"SM\",2\r\n\r\n+CMTI: \"SM\",3\r\n";
        QCOMPARE(s.exchange({}, two), two);
        QVERIFY2(s.errorsWith("control, line 2").contains("control, line 2: bad escape sequence"),
                 s.stderrSeen.constData());
    }

    // A long message sent in PDU mode with status reports asked for: each part gets its
    // reference and its report; the outbox has the joined text once both parts are in.
    void longSendWithReports()
    {
        SimPty s;
        QVERIFY(s.start({"--no-pin", "--outbox", s.file(QStringLiteral("outbox.txt")), "--report-delay", "300"}));
        QVERIFY(s.open());
        QCOMPARE(s.exchange("ATE0;+CMGF=0;+CNMI=2,1,0,1,0\r", "OK\r\n"),
                 QByteArray("ATE0;+CMGF=0;+CNMI=2,1,0,1,0\r") + kOk);
        // SMS-SUBMIT 71 (header, SRR, relative validity), UCS2, reference 5, parts 1 and 2.
        const QByteArray part1 = "0071000A9194711032540008FF0A0500030502010048D83D";
        const QByteArray part2 = "0071000A9194711032540008FF0A050003050202DE000021";
        QCOMPARE(s.exchange("AT+CMGS=23\r", "> "), QByteArray("\r\n> "));
        QCOMPARE(s.exchange(part1 + "\x1a", "OK\r\n"), QByteArray("\r\n+CMGS: 1\r\n") + kOk);
        QCOMPARE(readFile(s.file(QStringLiteral("outbox.txt"))), QByteArray());
        QCOMPARE(s.exchange("AT+CMGS=23\r", "> "), QByteArray("\r\n> "));
        QCOMPARE(s.exchange(part2 + "\x1a", "OK\r\n"), QByteArray("\r\n+CMGS: 2\r\n") + kOk);
        QCOMPARE(readFile(s.file(QStringLiteral("outbox.txt"))),
                 QByteArray("+4917012345\tH\xf0\x9f\x98\x80!\tpdu 2\n"));
        // Both reports, in PDU mode: +CDS: <length> and the PDU with TP-MR 01 and 02.
        QByteArray reports = s.exchange({}, "00\r\n", 2000);
        reports += s.exchange({}, "00\r\n", 2000);
        QVERIFY2(reports.startsWith("\r\n+CDS: 24\r\n07919471016700000601") &&
                     reports.contains("\r\n+CDS: 24\r\n07919471016700000602"),
                 reports.constData());
    }
};

QTEST_GUILESS_MAIN(TestProgramToday)
#include "test_program_today.moc"
