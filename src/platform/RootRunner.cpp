#include "platform/RootRunner.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

RootRunner *s_installed = nullptr;

// pkexec's own exit codes: the password window dismissed, or not authorised.
constexpr int kDismissed = 126;
constexpr int kNotAuthorised = 127;

QString shellWord(const QString &word)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_@%+=:,./-]+$"));
    if (plain.match(word).hasMatch())
        return word;
    QString quoted = word;
    quoted.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString words(const QStringList &list)
{
    QStringList out;
    for (const QString &w : list)
        out << shellWord(w);
    return out.join(QLatin1Char(' '));
}

} // namespace

PkexecRunner::PkexecRunner(QString pkexec) : m_pkexec(std::move(pkexec)) {}

QString PkexecRunner::defaultLauncher()
{
    return QStandardPaths::findExecutable(QStringLiteral("pkexec"));
}

RootResult PkexecRunner::run(const RootCommand &command)
{
    RootResult result;
    if (m_pkexec.isEmpty() || command.arguments.isEmpty())
        return result;
    QProcess process;
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&loop, &process](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart || process.state() == QProcess::NotRunning)
            loop.quit();
    });
    process.start(m_pkexec, command.arguments);
    if (!process.waitForStarted()) {
        result.output = process.errorString();
        return result;
    }
    process.write(command.input);
    process.closeWriteChannel();
    if (process.state() != QProcess::NotRunning)
        loop.exec();
    const QString err = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    const QString out = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    result.output = err.isEmpty() ? out : err;
    if (process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    switch (result.exitCode) {
    case 0:
        result.outcome = RootResult::Outcome::Done;
        break;
    case kDismissed:
        result.outcome = RootResult::Outcome::Cancelled;
        break;
    case kNotAuthorised:
        result.outcome = RootResult::Outcome::Refused;
        break;
    default:
        result.outcome = RootResult::Outcome::Failed;
        break;
    }
    return result;
}

QString RootCommandLine(const QString &launcher, const RootCommand &command)
{
    const QString name = launcher.isEmpty() ? QStringLiteral("pkexec") : QFileInfo(launcher).fileName();
    QString line = name + QLatin1Char(' ') + words(command.arguments);
    if (!command.input.isEmpty())
        line += QStringLiteral(" < Datei");
    return line;
}

QString SudoCommandLine(const RootCommand &command)
{
    const QString sudo = QStringLiteral("sudo ") + words(command.arguments);
    if (command.input.isEmpty())
        return sudo;
    QStringList lines = QString::fromUtf8(command.input).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return QStringLiteral("printf '%s\\n' ") + words(lines) + QStringLiteral(" | ") + sudo;
}

namespace platform {

RootRunner &rootRunner()
{
    static PkexecRunner pkexec;
    return s_installed ? *s_installed : pkexec;
}

void installRootRunner(RootRunner *runner)
{
    s_installed = runner;
}

} // namespace platform
