#pragma once
#include "core/Modem.h"

#include <QString>
#include <QStringList>

// The command line of varnix-modemsim.
struct Options {
    modemsim::Config config;
    QString link;
    QString messages;
    QString phonebook;
    QString transcript;
    QString outbox;
    QString injectDir;
    QString control;
};

// Parses the arguments; on --help/--version prints and sets *exitCode 0, on a mistake prints
// the reason and sets *exitCode 2. Returns true when the program shall run.
bool parseOptions(const QStringList &arguments, Options *options, int *exitCode);
