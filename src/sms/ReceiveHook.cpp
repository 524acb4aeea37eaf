#include "sms/ReceiveHook.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTimer>

ReceiveHook::ReceiveHook(const QString &command, const QString &folder, int limitMs, QObject *parent)
    : QObject(parent), m_command(command.trimmed()), m_folder(folder), m_limitMs(limitMs)
{
    m_arguments = QProcess::splitCommand(m_command);
    if (!m_arguments.isEmpty())
        m_program = m_arguments.takeFirst();
}

ReceiveHook::~ReceiveHook() { waitForAll(); }

QString ReceiveHook::logLine(const QDateTime &when, const QString &command, const QString &outcome)
{
    return when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + u' ' + command + QStringLiteral(": ") + outcome;
}

void ReceiveHook::log(const QString &outcome)
{
    QFile f(QDir(m_folder).filePath(QStringLiteral("bei-empfang.log")));
    if (f.open(QIODevice::WriteOnly | QIODevice::Append))
        f.write((logLine(QDateTime::currentDateTime(), m_command, outcome) + QStringLiteral("\n")).toUtf8());
}

void ReceiveHook::run(const Message &message)
{
    if (!isSet())
        return;
    auto *process = new QProcess(this);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VARNIX_ABSENDER"), message.number);
    env.insert(QStringLiteral("VARNIX_NAME"), message.name);
    env.insert(QStringLiteral("VARNIX_DATUM"), message.date);
    env.insert(QStringLiteral("VARNIX_UHRZEIT"), message.time);
    env.insert(QStringLiteral("VARNIX_TEXT"), message.text);
    env.insert(QStringLiteral("VARNIX_DATEI"), message.file);
    process->setProcessEnvironment(env);
    process->setWorkingDirectory(m_folder);
    // Its output is its own business; the program's standard output stays the program's.
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    auto *limit = new QTimer(process);
    limit->setSingleShot(true);
    connect(limit, &QTimer::timeout, process, [this, process] {
        log(QStringLiteral("nach %1 s abgebrochen").arg(m_limitMs / 1000.0));
        process->setProperty("ended", true);
        process->kill();
    });
    connect(process, &QProcess::finished, this, [this, process](int code, QProcess::ExitStatus status) {
        if (!process->property("ended").toBool())
            log(status == QProcess::NormalExit ? QStringLiteral("beendet mit %1").arg(code)
                                               : QStringLiteral("abgestürzt"));
        process->deleteLater();
        ended();
    });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        log(QStringLiteral("nicht zu starten (%1)").arg(process->program()));
        process->deleteLater();
        ended();
    });
    ++m_running;
    process->start(m_program, m_arguments);
    limit->start(m_limitMs);
}

void ReceiveHook::ended()
{
    if (--m_running == 0 && m_release)
        deleteLater();
}

void ReceiveHook::releaseWhenDone()
{
    m_release = true;
    if (m_running == 0)
        deleteLater();
}

void ReceiveHook::waitForAll()
{
    while (m_running > 0) {
        for (QProcess *p : findChildren<QProcess *>())
            p->waitForFinished(50);
        QCoreApplication::processEvents();
    }
}
