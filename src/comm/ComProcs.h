#pragma once
#include <QString>

class CommPort;

// The shared port procedures of the program.
void ComClear(CommPort &comm);
// Opens a closed port (an open one stays open) and empties both buffers; a failure is shown
// in a "Com-Error" box and sets ComOpenFehler to 1.
void ComOpen(CommPort &comm, int &ComOpenFehler);
void ComClose(CommPort &comm);
// "COM1,9600,n,8,1 active" and the like; reads the port, changes nothing.
QString ComStatusText(const CommPort &comm);
// Sends typed text; a closed port beeps instead.
void ComSend(CommPort &comm, const QString &text);
