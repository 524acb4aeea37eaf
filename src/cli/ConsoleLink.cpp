#include "cli/ConsoleLink.h"

#include "main/TerminalText.h"
#include "platform/Platform.h"
#include "platform/PortMap.h"

ConsoleLink::ConsoleLink(std::unique_ptr<SerialBackend> backend, const QString &device)
    : m_comm(std::move(backend), [device](int n) { return device.isEmpty() ? PortDevice(n, platform::settings()) : device; })
{
}

void ConsoleLink::ShowData(QString &data)
{
    // Nobody looks at a terminal here; the exchange still takes the answer with CR LF line ends.
    NormaliseLineEnds(data);
}

MsgAnswer ConsoleDialogs::message(const QString &text, MsgButtons buttons, MsgIcon, const QString &)
{
    m_err << QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).trimmed() << '\n';
    m_err.flush();
    switch (buttons) {
    case MsgButtons::Ok: return MsgAnswer::Ok;
    case MsgButtons::YesNo: return MsgAnswer::No;
    case MsgButtons::YesNoCancel:
    case MsgButtons::RetryCancel: return MsgAnswer::Cancel;
    }
    return MsgAnswer::Cancel;
}

void ConsoleDialogs::notice(const QString &text, MsgIcon icon, const QString &title)
{
    message(text, MsgButtons::Ok, icon, title);
}
