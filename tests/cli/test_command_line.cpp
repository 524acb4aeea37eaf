#include "cli/CommandLine.h"

#include <QTest>

using Command = CommandLine::Command;
Q_DECLARE_METATYPE(CommandLine::Command)

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<Command>("command");
        QTest::addColumn<QString>("what"); // the fields that matter, or the start of the error
        const auto ok = [](const char *name, QStringList args, Command c, QString what) {
            QTest::newRow(name) << args << c << what;
        };
        ok("nothing: the window", {}, Command::Window, "");
        ok("toolkit option: the window", {"-platform", "offscreen"}, Command::Window, "");
        ok("help", {"--hilfe"}, Command::Help, "");
        ok("send one", {"senden", "0171123", "Hallo Welt"}, Command::Send, "0171123|Hallo Welt");
        ok("send several, text from input", {"senden", "Anna", "+49171", "-"}, Command::Send, "Anna,+49171|-");
        ok("send with report and port", {"senden", "--port", "com3", "--bestaetigung", "0171", "x"}, Command::Send,
           "0171|x|com3|report");
        ok("receive with hook", {"empfangen", "--bei-empfang", "/usr/local/bin/neu --leise"}, Command::Receive,
           "hook=/usr/local/bin/neu --leise");
        ok("list as json", {"liste", "--json", "--ordner", "/srv/sms"}, Command::List, "json|/srv/sms");
        ok("export mbox", {"export", "--mbox", "alle.mbox"}, Command::Export, "mbox|alle.mbox");
        ok("modem with pin file", {"modem", "--geraet", "/dev/ttyUSB2", "--pin-aus-datei", "pin.txt"}, Command::Modem,
           "/dev/ttyUSB2|pin.txt");
        const auto bad = [](const char *name, QStringList args, QString error) {
            QTest::newRow(name) << args << Command::Window << QStringLiteral("!") + error;
        };
        bad("unknown command", {"schicken", "0171", "x"}, "Unbekannter Befehl: schicken");
        bad("unknown option", {"liste", "--alles"}, "Unbekannte Option: --alles");
        bad("option of another command", {"liste", "--mbox"}, "Die Option --mbox gehört nicht zu „liste“.");
        bad("missing value", {"empfangen", "--port"}, "Nach --port fehlt der Wert.");
        bad("empty value", {"empfangen", "--geraet", ""}, "Nach --geraet fehlt der Wert.");
        bad("port and device", {"modem", "--port", "COM2", "--geraet", "/dev/x"}, "Bitte nur eines: --port oder --geraet.");
        bad("port out of range", {"modem", "--port", "COM17"}, "--port nimmt COM1 bis COM16");
        bad("port not COM", {"modem", "--port", "/dev/ttyS0"}, "--port nimmt COM1 bis COM16");
        bad("send without text", {"senden", "0171"}, "„senden“ braucht mindestens eine Nummer");
        bad("export without format", {"export", "a.csv"}, "„export“ braucht --csv oder --mbox.");
        bad("export two formats", {"export", "--csv", "--mbox", "a"}, "Bitte nur eines: --csv oder --mbox.");
        bad("export two files", {"export", "--csv", "a", "b"}, "„export“ braucht genau einen Dateinamen.");
        bad("stray argument", {"empfangen", "jetzt"}, "Unerwartetes Argument: jetzt");
    }
    void parse()
    {
        QFETCH(QStringList, args);
        QFETCH(Command, command);
        QFETCH(QString, what);
        const CommandLine c = ParseCommandLine(args);
        if (what.startsWith(u'!')) {
            QVERIFY2(c.error.startsWith(what.mid(1)), qPrintable(c.error));
            QVERIFY(c.error.endsWith(QStringLiteral("„varnix --hilfe“ zeigt, was geht.")));
            return;
        }
        QVERIFY2(c.error.isEmpty(), qPrintable(c.error));
        QCOMPARE(c.command, command);
        QStringList seen;
        if (!c.numbers.isEmpty())
            seen << c.numbers.join(u',');
        for (const QString &field : {c.text, c.format, c.file, c.folder, c.device, c.pinFile, c.port})
            if (!field.isEmpty())
                seen << field;
        if (c.json)
            seen.prepend(QStringLiteral("json"));
        if (c.report)
            seen << QStringLiteral("report");
        if (!c.hook.isEmpty())
            seen << QStringLiteral("hook=") + c.hook;
        QCOMPARE(seen.join(u'|'), what);
    }

    void helpNamesEveryCommandAndExitStatus()
    {
        const QString help = CommandLineHelp();
        for (const char *word : {"senden", "empfangen", "liste", "export", "modem", "--bei-empfang", "--pin-aus-datei"})
            QVERIFY2(help.contains(QLatin1String(word)), word);
        for (int code = kExitOk; code <= kExitInput; ++code)
            QVERIFY(help.contains(QStringLiteral("%1 ").arg(code)));
    }
};

QTEST_APPLESS_MAIN(TestCommandLine)
#include "test_command_line.moc"
