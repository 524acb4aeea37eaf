#include "modem/ModemCommand.h"

#include "comm/CommPort.h"
#include "comm/ModemLink.h"
#include "platform/Platform.h"

#include <cmath>

namespace {
constexpr double kFirstCharTimeout = 10.0;
constexpr double kQuietSeconds = 1.0;
} // namespace

namespace {
// A wait counts from the time of day rounded to a whole second, so it may end up to half a
// second early or late. It is measured on the monotonic clock: midnight, a change to summer
// time or an NTP step must neither end it at once nor stretch it.
double deadlineAfter(double seconds)
{
    const Clock &clock = platform::clock();
    return clock.monotonic() + (std::round(clock.now()) - clock.now()) + seconds;
}
} // namespace

void WaitSeconds(double seconds)
{
    Clock &clock = platform::clock();
    const double deadline = deadlineAfter(seconds);
    do {
        clock.yield();
        clock.yield();
    } while (!(clock.monotonic() > deadline));
}

void ModemCommand(CommPort &comm, QString &answer, qint16 &status)
{
    Clock &clock = platform::clock();
    status = kStatusNoResult;
    answer.clear();

    const double deadline = deadlineAfter(kFirstCharTimeout);
    for (;;) {
        clock.yield();
        if (clock.monotonic() > deadline) {
            status = kStatusTimeout;
            platform::dialogs().message(kTimeoutMessage);
            return;
        }
        if (comm.inBufferCount() >= 1)
            break;
    }

    // The answer ends when the line has been quiet for a second, counted from the last
    // character that came in; there is no overall limit.
    answer += comm.input();
    double lastArrival = clock.monotonic();
    while (clock.monotonic() - lastArrival <= kQuietSeconds) {
        clock.yield();
        if (comm.inBufferCount() > 0) {
            answer += comm.input();
            lastArrival = clock.monotonic();
        }
    }

    if (answer.contains(QLatin1String("ERROR")))
        status = kStatusError;
    else if (answer.contains(QLatin1String("OK")))
        status = kStatusOk;
}

qint16 Exchange(ModemLink &link, const QString &command, QString &answer)
{
    QString line = command + QLatin1Char('\r');
    link.comm().output(line);
    link.ShowData(line);
    qint16 status = kStatusNoResult;
    ModemCommand(link.comm(), answer, status);
    link.ShowData(answer);
    return status;
}

bool PortIsOpen(ModemLink &link)
{
    if (link.comm().portOpen())
        return true;
    platform::dialogs().message(kPortClosedMessage);
    return false;
}
