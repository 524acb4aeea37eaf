#pragma once
#include <QString>

class ModemTask;

// Reads what the modem sends on its own, for up to `seconds`, until a line that is `line` (blanks
// around it aside) has come; shows it in the terminal and hands it to the line listeners as
// an answer would be. Ends early when the task is cancelled or the port closes. True when the
// line came.
bool WaitForLine(ModemTask &task, const QString &line, double seconds);
