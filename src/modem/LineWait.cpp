#include "modem/LineWait.h"

#include "comm/CommPort.h"
#include "comm/ModemLink.h"
#include "modem/ModemTask.h"
#include "platform/Platform.h"

#include <QRegularExpression>

namespace {

// Whether a complete line of `text` (one followed by its line end) is `wanted`.
bool hasLine(const QString &text, const QString &wanted)
{
    static const QRegularExpression lineEnd(QStringLiteral("[\r\n]"));
    QStringList lines = text.split(lineEnd);
    lines.removeLast(); // not ended yet, or empty
    for (const QString &l : lines) {
        if (l.trimmed() == wanted)
            return true;
    }
    return false;
}

} // namespace

bool WaitForLine(ModemTask &task, const QString &line, double seconds)
{
    Clock &clock = platform::clock();
    CommPort &comm = task.comm();
    const double end = clock.monotonic() + seconds;
    QString got;
    bool seen = false;
    while (!seen && !task.cancelled() && comm.portOpen() && clock.monotonic() < end) {
        clock.yield();
        if (comm.inBufferCount() <= 0)
            continue;
        const QString piece = comm.input();
        got += piece;
        QString shown = piece;
        task.link().ShowData(shown);
        seen = hasLine(got, line.trimmed());
    }
    task.link().modemSent(got);
    return seen;
}
