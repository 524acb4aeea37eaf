// varnix-modemsim: the simulated GSM modem on a pseudo-terminal.

#include "Options.h"
#include "PtyServer.h"
#include "SignalWatcher.h"
#include "core/DataFiles.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

void warn(const QString &text)
{
    std::fprintf(stderr, "varnix-modemsim: %s\n", text.toLocal8Bit().constData());
}

int failWith(const QString &text)
{
    warn(text);
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("varnix-modemsim"));
    QCoreApplication::setApplicationVersion(QStringLiteral("0.1"));

    Options options;
    int exitCode = 0;
    if (!parseOptions(QCoreApplication::arguments(), &options, &exitCode))
        return exitCode;

    modemsim::Modem modem(options.config);
    QString error;
    if (!options.messages.isEmpty()) {
        // A line that cannot be read, or a message that does not fit, is named; the rest count.
        QList<modemsim::LineProblem> problems;
        if (!modemsim::loadMessageFile(options.messages, modem, &problems, &error))
            return failWith(error);
        for (const modemsim::LineProblem &p : problems)
            warn(modemsim::problemText(options.messages, p));
    }
    if (!options.phonebook.isEmpty() && !modemsim::loadPhonebook(options.phonebook, modem, &error))
        return failWith(error);

    SignalWatcher signalWatcher;
    if (!signalWatcher.install(&error))
        return failWith(error);
    QObject::connect(&signalWatcher, &SignalWatcher::terminate, &app, [](int) { QCoreApplication::quit(); });

    PtyServer server(modem);
    if ((!options.transcript.isEmpty() && !server.setTranscript(options.transcript, &error))
        || (!options.outbox.isEmpty() && !server.setOutbox(options.outbox, &error))
        || (!options.control.isEmpty() && !server.openControl(options.control, &error))
        || !server.open(options.link, &error)
        || (!options.injectDir.isEmpty() && !server.watchInjectDir(options.injectDir, &error))) {
        server.close();
        return failWith(error);
    }

    const QByteArray pin = options.config.pin.isEmpty() ? QByteArray("no PIN") : "PIN " + options.config.pin;
    std::printf("varnix-modemsim: %s -> %s, %s\n", options.link.toLocal8Bit().constData(),
                server.slaveName().toLocal8Bit().constData(), pin.constData());
    std::fflush(stdout);

    const int rc = app.exec();
    server.close();
    return rc;
}
