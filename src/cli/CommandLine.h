#pragma once
#include <QString>
#include <QStringList>

// The program run from a script: "varnix senden 0171… Hallo", "varnix empfangen", "varnix liste",
// "varnix export --csv datei.csv", "varnix modem". Without a command the window opens.

// Exit statuses, listed in the manual page.
enum ExitCode : int {
    kExitOk = 0,
    kExitModem = 1, // the modem did not answer, refused, or a message was not sent
    kExitUsage = 2, // unknown command or option, a missing argument
    kExitPort = 3,  // the port could not be opened (missing, busy, no permission)
    kExitFile = 4,  // an SMS file or the export could not be written or read
    kExitInput = 5, // a number or text refused before anything went to the modem
};

struct CommandLine {
    enum class Command { Window, Help, Version, Send, Receive, List, Export, Modem };
    Command command = Command::Window;
    QStringList numbers;  // senden: numbers or phone-list names
    QString text;         // senden: the text; "-" reads it from standard input
    bool json = false;    // liste --json
    QString format;       // export: "csv" or "mbox"
    QString file;         // export: where to
    QString port;         // --port COM3: the COM number's device
    QString device;       // --geraet /dev/ttyUSB2
    QString folder;       // --ordner DIR: the working folder instead of the stored one
    QString hook;         // --bei-empfang BEFEHL
    QString pinFile;      // modem --pin-aus-datei DATEI
    bool report = false;  // senden --bestaetigung: ask for a delivery report
    QString error;        // German, when the arguments cannot be used (exit 2)
};

// `args` without the program name. A first argument beginning with "-" that is none of ours
// belongs to the toolkit (Qt's "-platform", "-style") and opens the window.
CommandLine ParseCommandLine(const QStringList &args);

// "--help" in German.
QString CommandLineHelp();
