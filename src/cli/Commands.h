#pragma once
#include "cli/CommandLine.h"

#include <QByteArray>
#include <QTextStream>

#include <functional>

#include <memory>

class ConsoleLink;
class SerialBackend;

// Where a command's words go and its text comes from.
struct ConsoleIo {
    QTextStream &out;
    QTextStream &err;
    // Standard input, read when the text is "-".
    std::function<QByteArray()> readInput;
};

// Runs a command other than Window. The platform services (clock, dialogs, settings) are
// installed by the caller; the port goes through `backend`. Returns the exit status.
int RunCommand(const CommandLine &c, std::unique_ptr<SerialBackend> backend, ConsoleIo &io);
// The same on a link made by the caller (its device is the one --geraet names, or empty).
int RunCommand(const CommandLine &c, ConsoleLink &link, ConsoleIo &io);
