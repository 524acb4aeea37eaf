#include "comm/ComProcs.h"

#include "comm/CommPort.h"
#include "platform/Platform.h"

void ComClear(CommPort &comm)
{
    comm.clearOutput();
    comm.clearInput();
}

void ComOpen(CommPort &comm, int &ComOpenFehler)
{
    ComOpenFehler = 0;
    if (!comm.portOpen() && !comm.setPortOpen(true)) {
        platform::dialogs().message(comm.lastError(), MsgButtons::Ok, MsgIcon::None, QStringLiteral("Com-Error"));
        ComOpenFehler = 1;
        return;
    }
    ComClear(comm);
}

void ComClose(CommPort &comm)
{
    if (comm.portOpen())
        comm.setPortOpen(false);
    ComClear(comm);
}

QString ComStatusText(const CommPort &comm)
{
    static const char *const suffix[] = {"", " , XON/XOFF", " , RTS/CTS", " , XON-RTS"};
    QString text = QStringLiteral("COM%1,%2").arg(comm.commPort()).arg(comm.settings());
    const int hs = comm.handshaking();
    if (hs >= 0 && hs <= 3)
        text += QLatin1String(suffix[hs]);
    text += comm.portOpen() ? QLatin1String(" active") : QLatin1String(" not active");
    return text;
}

void ComSend(CommPort &comm, const QString &text)
{
    if (!comm.portOpen()) {
        platform::dialogs().beep();
        return;
    }
    comm.output(text);
}
