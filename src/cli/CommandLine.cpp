#include "cli/CommandLine.h"

#include <QHash>

#include <algorithm>

namespace {

using Command = CommandLine::Command;

const QHash<QString, Command> &commands()
{
    static const QHash<QString, Command> table{
        {QStringLiteral("senden"), Command::Send},     {QStringLiteral("empfangen"), Command::Receive},
        {QStringLiteral("liste"), Command::List},      {QStringLiteral("export"), Command::Export},
        {QStringLiteral("modem"), Command::Modem},     {QStringLiteral("hilfe"), Command::Help},
        {QStringLiteral("--hilfe"), Command::Help},    {QStringLiteral("--help"), Command::Help},
        {QStringLiteral("-h"), Command::Help},         {QStringLiteral("--version"), Command::Version},
    };
    return table;
}

// The options each command takes, and whether they take a value.
struct Option {
    QString name;
    bool value;
    QList<Command> for_;
};

const QList<Option> &options()
{
    const QList<Command> modemWork{Command::Send, Command::Receive, Command::Modem};
    static const QList<Option> table{
        {QStringLiteral("--port"), true, modemWork},
        {QStringLiteral("--geraet"), true, modemWork},
        {QStringLiteral("--ordner"), true, {Command::Send, Command::Receive, Command::List, Command::Export}},
        {QStringLiteral("--bei-empfang"), true, {Command::Receive}},
        {QStringLiteral("--pin-aus-datei"), true, {Command::Modem, Command::Send, Command::Receive}},
        {QStringLiteral("--json"), false, {Command::List}},
        {QStringLiteral("--csv"), false, {Command::Export}},
        {QStringLiteral("--mbox"), false, {Command::Export}},
        {QStringLiteral("--bestaetigung"), false, {Command::Send}},
    };
    return table;
}

CommandLine failed(CommandLine c, const QString &why)
{
    c.error = why + QStringLiteral("\n„varnix --hilfe“ zeigt, was geht.");
    return c;
}

} // namespace

CommandLine ParseCommandLine(const QStringList &args)
{
    CommandLine c;
    if (args.isEmpty())
        return c;
    const auto known = commands().constFind(args.first());
    // Options of the toolkit's own ("-platform offscreen", "-style ...") open the window.
    if (known == commands().constEnd() && args.first().startsWith(u'-'))
        return c;
    if (known == commands().constEnd())
        return failed(c, QStringLiteral("Unbekannter Befehl: %1").arg(args.first()));
    c.command = *known;
    if (c.command == Command::Help || c.command == Command::Version)
        return c;
    QStringList positional;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &a = args.at(i);
        // "-" is the text from standard input; a number never begins with "--".
        if (!a.startsWith(QLatin1String("--"))) {
            positional << a;
            continue;
        }
        const auto opt = std::find_if(options().begin(), options().end(), [&](const Option &o) { return o.name == a; });
        if (opt == options().end())
            return failed(c, QStringLiteral("Unbekannte Option: %1").arg(a));
        if (!opt->for_.contains(c.command))
            return failed(c, QStringLiteral("Die Option %1 gehört nicht zu „%2“.").arg(a, args.first()));
        QString value;
        if (opt->value) {
            if (i + 1 >= args.size() || args.at(i + 1).isEmpty())
                return failed(c, QStringLiteral("Nach %1 fehlt der Wert.").arg(a));
            value = args.at(++i);
        }
        if (a == u"--port")
            c.port = value;
        else if (a == u"--geraet")
            c.device = value;
        else if (a == u"--ordner")
            c.folder = value;
        else if (a == u"--bei-empfang")
            c.hook = value;
        else if (a == u"--pin-aus-datei")
            c.pinFile = value;
        else if (a == u"--json")
            c.json = true;
        else if (a == u"--bestaetigung")
            c.report = true;
        else if (a == u"--csv" || a == u"--mbox") {
            if (!c.format.isEmpty())
                return failed(c, QStringLiteral("Bitte nur eines: --csv oder --mbox."));
            c.format = a.mid(2);
        }
    }
    if (!c.port.isEmpty() && !c.device.isEmpty())
        return failed(c, QStringLiteral("Bitte nur eines: --port oder --geraet."));
    if (!c.port.isEmpty()) {
        bool ok = false;
        const int n = c.port.startsWith(QLatin1String("COM"), Qt::CaseInsensitive) ? c.port.mid(3).toInt(&ok) : 0;
        if (!ok || n < 1 || n > 16)
            return failed(c, QStringLiteral("--port nimmt COM1 bis COM16, nicht „%1“.").arg(c.port));
    }
    switch (c.command) {
    case Command::Send:
        if (positional.size() < 2)
            return failed(c, QStringLiteral("„senden“ braucht mindestens eine Nummer und den Text (oder - für die "
                                            "Standardeingabe)."));
        c.text = positional.takeLast();
        c.numbers = positional;
        break;
    case Command::Export:
        if (c.format.isEmpty())
            return failed(c, QStringLiteral("„export“ braucht --csv oder --mbox."));
        if (positional.size() != 1)
            return failed(c, QStringLiteral("„export“ braucht genau einen Dateinamen."));
        c.file = positional.first();
        break;
    default:
        if (!positional.isEmpty())
            return failed(c, QStringLiteral("Unerwartetes Argument: %1").arg(positional.first()));
    }
    return c;
}

QString CommandLineHelp()
{
    return QStringLiteral(
        "Aufruf: varnix [BEFEHL] [OPTIONEN]\n"
        "Ohne Befehl öffnet sich das Fenster.\n\n"
        "Befehle:\n"
        "  senden NUMMER... TEXT     eine SMS an jede Nummer (oder jeden Namen der Telefonliste);\n"
        "                            TEXT \"-\" liest den Text von der Standardeingabe\n"
        "  empfangen                 die SIM einmal lesen, wie das Fenster „SMS-Datei“; gibt aus,\n"
        "                            was abgelegt wurde\n"
        "  liste [--json]            das Archiv der empfangenen SMS ausgeben\n"
        "  export --csv|--mbox DATEI das Archiv als Tabelle (UTF-8) oder Postfach schreiben\n"
        "  modem                     Hersteller, Modell, SIM, Netz und Feldstärke zeigen\n"
        "  hilfe, --hilfe            diese Hilfe\n\n"
        "Optionen:\n"
        "  --port COMn               diese Schnittstelle statt der gespeicherten\n"
        "  --geraet GERÄT            dieses Gerät, etwa /dev/ttyUSB2\n"
        "  --ordner ORDNER           Arbeitsordner mit den SMS-Dateien und der Telefonliste\n"
        "  --bei-empfang BEFEHL      (empfangen) BEFEHL nach jeder abgelegten SMS ausführen\n"
        "  --pin-aus-datei DATEI     die SIM-PIN aus DATEI eingeben, falls die SIM sie verlangt\n"
        "  --bestaetigung            (senden) eine Empfangsbestätigung anfordern\n\n"
        "Rückgabewerte: 0 erledigt, 1 Modem ohne Antwort oder Ablehnung, 2 falscher Aufruf,\n"
        "3 Schnittstelle nicht zu öffnen, 4 Datei nicht zu schreiben oder zu lesen,\n"
        "5 Nummer oder Text abgelehnt.\n");
}
