#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

// Running a command as root, for the few things a user cannot do alone (stop ModemManager, add
// a udev rule, join the group of the serial devices). It goes through pkexec: polkit asks for
// the administrator's password in its own window, and nothing runs without it. The program is
// started without a shell; the words go to it as they are. Windows call this only after the
// user has confirmed the exact command line.

struct RootCommand {
    QStringList arguments; // the program first: {"systemctl", "stop", "ModemManager"}
    QByteArray input;      // written to its standard input, then closed
    bool operator==(const RootCommand &) const = default;
};

struct RootResult {
    enum class Outcome {
        Done,      // the command ran and ended with 0
        Cancelled, // the password window was closed
        Refused,   // polkit did not allow it (or found no password window to ask with)
        Failed,    // it ran and failed, or could not be started
    };
    Outcome outcome = Outcome::Failed;
    int exitCode = -1;
    QString output; // what it wrote to standard error, else to standard output, trimmed
};

class RootRunner {
public:
    virtual ~RootRunner() = default;
    // The pkexec program; empty when the system has none (the user is then shown the commands
    // to type in a terminal).
    virtual QString launcher() const = 0;
    virtual RootResult run(const RootCommand &command) = 0;
};

class PkexecRunner final : public RootRunner {
public:
    // `pkexec`: the program to start, by default pkexec as found on the search path.
    explicit PkexecRunner(QString pkexec = defaultLauncher());
    QString launcher() const override { return m_pkexec; }
    // Waits for the command, serving events meanwhile (the user may take a while to type).
    RootResult run(const RootCommand &command) override;
    static QString defaultLauncher();

private:
    QString m_pkexec;
};

// The command as the user reads it before saying yes: "pkexec systemctl stop ModemManager";
// a word with blanks or quotes is quoted as a shell would need it. With input: "… < Datei".
QString RootCommandLine(const QString &launcher, const RootCommand &command);
// The same to type in a terminal with sudo; input comes from printf, one line a time:
// printf '%s\n' 'line' | sudo tee /etc/...
QString SudoCommandLine(const RootCommand &command);

namespace platform {
// The PkexecRunner unless a test has installed its own.
RootRunner &rootRunner();
void installRootRunner(RootRunner *runner);
} // namespace platform
