#include "../support/MainRig.h"

#include "cli/Commands.h"
#include "cli/ConsoleLink.h"
#include "sms/SmsDataFile.h"
#include "sms/frmListe.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// One command against the in-process simulated modem, with its words caught.
struct CommandRig {
    TestPlatform p;
    QTemporaryDir dir;
    FakeSerialBackend *fake = nullptr;
    std::unique_ptr<FakeSerialBackend> backend;
    std::unique_ptr<ConsoleLink> link; // holds the fake port: made before the modem, gone after it
    std::unique_ptr<SimulatedModem> sim;
    QString out, err;

    explicit CommandRig(modemsim::Config cfg = {})
    {
        backend = std::make_unique<FakeSerialBackend>(p.clock);
        fake = backend.get();
        sim = std::make_unique<SimulatedModem>(*fake, std::move(cfg));
        sim->modem().receive("AT+CPIN=\"1234\"\r");
        smsrun::setCurrentFile({});
    }
    modemsim::Modem &modem() { return sim->modem(); }
    QByteArray input; // standard input
    int run(QStringList args)
    {
        QTextStream o(&out), e(&err);
        ConsoleIo io{o, e, [this] { return input; }};
        const CommandLine c = ParseCommandLine(args);
        link = std::make_unique<ConsoleLink>(std::move(backend), c.device);
        return RunCommand(c, *link, io);
    }
    QString path(const QString &name) const { return dir.filePath(name); }
    QByteArray read(const QString &name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

void store(modemsim::Modem &m)
{
    m.storeSms({"REC UNREAD", "+4917012345678", "24/06/01,10:00:00+08", "Gr\xFC\xDF" "e aus K\xF6ln"}, 1);
    modemsim::Incoming emoji;
    emoji.number = "+4915198765432";
    emoji.text = QStringLiteral("Bis gleich 😀");
    emoji.timestamp = "24/06/01,10:05:00+08";
    m.preload(emoji);
    m.storeSms({"REC UNREAD", "+4930123456", "24/06/01,10:09:00+08", "Drittens, \"zitiert\""}, 5);
}

// The SMS file without its first line, which holds the time it was made.
QByteArray records(const QByteArray &file) { return file.mid(file.indexOf('\n') + 1); }

} // namespace

class TestCommands : public QObject {
    Q_OBJECT
private slots:
    // "varnix empfangen" files what the window's read cycle files, prints each message and runs
    // the hook once for each with its variables.
    void receiveFilesAsTheWindowDoesAndRunsTheHook()
    {
        QByteArray windowFile;
        {
            MainRig window;
            QTemporaryDir dir;
            window.p.settings.set(keys::MyDir, dir.path());
            window.p.settings.set(keys::PollInterval, QStringLiteral("0"));
            smsrun::setCurrentFile({});
            store(window.attachModem());
            window.sim->modem().receive("AT+CPIN=\"1234\"\r");
            window.sim->modem().receive("AT+CMGF=1\r");
            auto *w = new frmListe(*window.main, window.main.get());
            w->cmdLes->click();
            QFile f(QDir(dir.path()).filePath(QStringLiteral("SMS00001.Dat")));
            QVERIFY(f.open(QIODevice::ReadOnly));
            windowFile = f.readAll();
            delete w;
        }
        CommandRig r;
        store(r.modem());
        QFile script(r.path(QStringLiteral("hook.sh")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf '%s|%s|%s|%s|%s\\n' \"$VARNIX_ABSENDER\" \"$VARNIX_DATUM\" \"$VARNIX_UHRZEIT\" "
                     "\"$VARNIX_TEXT\" \"${VARNIX_DATEI##*/}\" >> \"$(dirname \"$0\")/hook.txt\"\nexit 3\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const int rc = r.run({"empfangen", "--ordner", r.dir.path(), "--bei-empfang", script.fileName()});
        QCOMPARE(rc, int(kExitOk));
        QCOMPARE(r.out, QStringLiteral("01.06.24 10:00:00 +4917012345678: Grüße aus Köln\n"
                                       "01.06.24 10:05:00 +4915198765432: Bis gleich 😀\n"
                                       "01.06.24 10:09:00 +4930123456: Drittens, \"zitiert\"\n"));
        QCOMPARE(r.err, QStringLiteral("3 SMS in SMS00001.Dat abgelegt\n"));
        QCOMPARE(records(r.read(QStringLiteral("SMS00001.Dat"))), records(windowFile));
        QCOMPARE(r.modem().storageUsed(), 0);
        // The runs go side by side: in whatever order they end.
        QStringList ran = QString::fromUtf8(r.read(QStringLiteral("hook.txt"))).split(u'\n', Qt::SkipEmptyParts);
        ran.sort();
        QCOMPARE(ran, (QStringList{"+4915198765432|01.06.24|10:05:00|Bis gleich 😀|SMS00001.Dat",
                                   "+4917012345678|01.06.24|10:00:00|Grüße aus Köln|SMS00001.Dat",
                                   "+4930123456|01.06.24|10:09:00|Drittens, \"zitiert\"|SMS00001.Dat"}));
        // The hook's own failure is written down, and filing went on.
        QCOMPARE(QString::fromUtf8(r.read(QStringLiteral("bei-empfang.log"))).count(QStringLiteral(": beendet mit 3\n")), 3);
    }

    // A hook that cannot start or hangs never stops filing.
    void aBrokenHookNeverStopsFiling()
    {
        CommandRig r;
        store(r.modem());
        const int rc = r.run({"empfangen", "--ordner", r.dir.path(), "--bei-empfang", "/nicht/da --x"});
        QCOMPARE(rc, int(kExitOk));
        QCOMPARE(r.out.count(u'\n'), 3);
        QCOMPARE(QString::fromUtf8(r.read(QStringLiteral("bei-empfang.log"))).count(QStringLiteral("nicht zu starten")), 3);
    }

    void modemSaysWhatItIs()
    {
        modemsim::Config cfg;
        cfg.manufacturer = "Quectel";
        cfg.model = "EC25";
        cfg.operatorName = "Testnetz";
        cfg.cregSearchQueries = 0;
        CommandRig r(cfg);
        QCOMPARE(r.run({"modem", "--geraet", "/dev/ttyUSB2"}), int(kExitOk));
        QCOMPARE(r.out, QStringLiteral("Gerät: /dev/ttyUSB2\nHersteller: Quectel\nModell: EC25\nSIM: bereit\n"
                                       "Netz: angemeldet\nBetreiber: Testnetz\nFeldstärke: 21\n"));
        QVERIFY(!r.fake->written().contains("AT+CPIN=\""));
    }

    // The PIN goes to the SIM only from the file named, and only when the SIM asks.
    void modemEntersThePinOnlyFromItsFile_data()
    {
        QTest::addColumn<QByteArray>("pinFile"); // "" no option
        QTest::addColumn<int>("rc");
        QTest::addColumn<QString>("sim");
        QTest::newRow("no file") << QByteArray() << int(kExitOk) << "SIM: wartet auf die PIN\n";
        QTest::newRow("right PIN") << QByteArray("1234\n") << int(kExitOk) << "SIM: bereit (PIN eingegeben)\n";
        QTest::newRow("wrong PIN") << QByteArray("4321") << int(kExitModem) << "";
        QTest::newRow("not a PIN") << QByteArray("12\"4\r\nAT+CPWD") << int(kExitModem) << "";
    }
    void modemEntersThePinOnlyFromItsFile()
    {
        QFETCH(QByteArray, pinFile);
        QFETCH(int, rc);
        QFETCH(QString, sim);
        TestPlatform p;
        QTemporaryDir dir;
        auto backend = std::make_unique<FakeSerialBackend>(p.clock);
        SimulatedModem modem(*backend);
        QStringList args{"modem"};
        if (!pinFile.isEmpty()) {
            QFile f(dir.filePath(QStringLiteral("pin")));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(pinFile);
            args << "--pin-aus-datei" << f.fileName();
        }
        QString out, err;
        QTextStream o(&out), e(&err);
        ConsoleIo io{o, e, [] { return QByteArray(); }};
        FakeSerialBackend *fake = backend.get();
        const CommandLine c = ParseCommandLine(args);
        ConsoleLink link(std::move(backend), c.device);
        QCOMPARE(RunCommand(c, link, io), rc);
        QCOMPARE(out.contains(sim), true);
        // A code that is not 4 to 8 digits never reaches the line.
        QCOMPARE(fake->written().contains("AT+CPIN=\""), pinFile.startsWith("1234") || pinFile == "4321");
    }

    void aPortThatCannotBeOpenedIsTold()
    {
        CommandRig r;
        r.fake->busy.insert(QStringLiteral("/dev/ttyUSB2"));
        QCOMPARE(r.run({"empfangen", "--geraet", "/dev/ttyUSB2", "--ordner", r.dir.path()}), int(kExitPort));
        QVERIFY2(r.err.contains(QLatin1String("/dev/ttyUSB2")), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
    }


    // "varnix senden": the window's rules without the window. A long Unicode text to a name of
    // the phone list and a number arrives at the far end exactly as typed, in PDU mode.
    void sendReachesTheFarEndAsTyped()
    {
        CommandRig r;
        r.modem().receive("AT+CMGF=1\r");
        QFile list(r.path(QStringLiteral("phone.lst")));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write("Anna;+4917099999999\r\n");
        list.close();
        const QString text = QStringLiteral("Grüße aus İstanbul 😀 ") + QString(150, QChar(0x0436));
        r.input = text.toUtf8() + '\n';
        QCOMPARE(r.run({"senden", "--ordner", r.dir.path(), "anna", "0171 234-56", "-"}), int(kExitOk));
        const QList<modemsim::Arrival> &got = r.modem().arrivals();
        QCOMPARE(got.size(), 2);
        QCOMPARE(got[0].number, QByteArray("+4917099999999"));
        QCOMPARE(got[0].text, text);
        QCOMPARE(got[0].parts, 3);
        QCOMPARE(got[1].number, QByteArray("017123456"));
        QVERIFY2(r.out.startsWith(QStringLiteral("+4917099999999 (Anna): Gesendet in 3 Teilen")), qPrintable(r.out));
        QVERIFY(QFile::exists(r.path(QStringLiteral("gesendet.txt"))));
    }

    // Refused before the port is opened: nothing reaches the modem.
    void sendRefusesBeforeAnythingGoesOut_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("said");
        QTest::newRow("Ctrl-Z in the text") << QStringList{"senden", "0171", "Hallo\x1A" "AT+CMGD=1"} << "";
        QTest::newRow("no number, no name") << QStringList{"senden", "Bernd", "Hallo"}
                                            << "„Bernd“ ist keine Telefonnummer und kein Name der Telefonliste.";
        QTest::newRow("quote in the number") << QStringList{"senden", "0171\",\"0", "Hallo"} << "ist keine Telefonnummer";
        QTest::newRow("half an emoji") << QStringList{"senden", "0171", QString(QChar(0xD83D))} << "";
        QTest::newRow("too long") << QStringList{"senden", "0171", QString(10000, u'x')} << "";
    }
    void sendRefusesBeforeAnythingGoesOut()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, said);
        CommandRig r;
        QCOMPARE(r.run(args << "--ordner" << r.dir.path()), int(kExitInput));
        QVERIFY2(r.err.contains(said) && !r.err.isEmpty(), qPrintable(r.err));
        QVERIFY(r.fake->written().isEmpty());
        QVERIFY(r.out.isEmpty());
    }

    // The archive for scripts: a line per message, JSON, and CSV that Python's csv module reads
    // back with the umlauts, the emoji, the quotes and the line break right.
    void listAndExport()
    {
        CommandRig r;
        store(r.modem());
        QCOMPARE(r.run({"empfangen", "--ordner", r.dir.path()}), int(kExitOk));
        const auto again = [&](QStringList args) {
            CommandRig other;
            const int rc = other.run(args);
            r.out = other.out;
            r.err = other.err;
            return rc;
        };
        QCOMPARE(again({"liste", "--ordner", r.dir.path()}), int(kExitOk));
        QCOMPARE(r.out.split(u'\n').first(), QStringLiteral("01.06.24 10:09:00 +4930123456: Drittens, \"zitiert\""));
        QCOMPARE(again({"liste", "--json", "--ordner", r.dir.path()}), int(kExitOk));
        QVERIFY(r.out.contains(QStringLiteral("\"text\": \"Bis gleich 😀\"")));
        const QString csv = r.path(QStringLiteral("alle.csv"));
        QCOMPARE(again({"export", "--csv", csv, "--ordner", r.dir.path()}), int(kExitOk));
        QProcess python;
        python.start(QStringLiteral("python3"),
                     {QStringLiteral("-c"), QStringLiteral("import csv,sys\n"
                                                          "rows=list(csv.reader(open(sys.argv[1],encoding='utf-8-sig',newline='')))\n"
                                                          "print(len(rows)); print(rows[0]); print(rows[3][5]); print(rows[2][5]); print(rows[1][4:])"),
                      csv});
        QVERIFY(python.waitForFinished(10000));
        QCOMPARE(QString::fromUtf8(python.readAllStandardOutput()),
                 QStringLiteral("4\n['Datum', 'Uhrzeit', 'Telefonnr.', 'Name', 'Status', 'Text']\nGrüße aus Köln\nBis gleich 😀\n"
                                "['empfangen', 'Drittens, \"zitiert\"']\n"));
        const QString mbox = r.path(QStringLiteral("alle.mbox"));
        QCOMPARE(again({"export", "--mbox", mbox, "--ordner", r.dir.path()}), int(kExitOk));
        const QByteArray box = r.read(QStringLiteral("alle.mbox"));
        QCOMPARE(box.count("\nFrom: "), 3);
        QVERIFY(box.startsWith("From +4930123456 Sat Jun 1 10:09:00 2024\n"));
        QVERIFY(box.contains("Subject: SMS von +4915198765432\n"));
        QVERIFY(box.contains(QStringLiteral("\n\nBis gleich 😀\n\n").toUtf8()));
        QCOMPARE(again({"export", "--csv", r.path(QStringLiteral("fehlt/alle.csv")), "--ordner", r.dir.path()}),
                 int(kExitFile));
    }
};

QTEST_MAIN(TestCommands)
#include "test_commands.moc"
