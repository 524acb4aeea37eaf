#include "modem/ModemCommand.h"

#include "comm/CommPort.h"
#include "comm/ModemLink.h"
#include "platform/Platform.h"

#include <cmath>

namespace {
constexpr double kFirstCharTimeout = 10.0;
constexpr double kQuietSeconds = 1.0;
// A modem babbling at the wrong speed, or a stream of unsolicited lines, never falls quiet;
// a real answer (a full SIM phonebook entry, a 160-character message) is a few hundred bytes.
constexpr qsizetype kAnswerLimit = 64 * 1024;
constexpr double kAnswerSeconds = 30.0;

// Says in the answer, and so in the terminal, why it ends here. Neither "OK" nor "ERROR",
// no comma, quote or prompt sign, so no caller takes it for a part of the modem's answer.
QString cutNote(bool tooLong)
{
    return tooLong ? QStringLiteral("\r\n*** Antwort abgebrochen: mehr als %1 Zeichen ohne Pause ***\r\n").arg(kAnswerLimit)
                   : QStringLiteral("\r\n*** Antwort abgebrochen: das Modem sendet seit %1 s ohne Pause ***\r\n")
                         .arg(kAnswerSeconds);
}
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

void Pause(double seconds)
{
    Clock &clock = platform::clock();
    const double deadline = clock.monotonic() + seconds;
    do {
        clock.yield();
    } while (clock.monotonic() < deadline);
}

void ModemCommand(CommPort &comm, QString &answer, qint16 &status, TimeoutBox box, const FinalResultWait *fast,
                  QString *beyond)
{
    Clock &clock = platform::clock();
    status = kStatusNoResult;
    answer.clear();
    if (beyond)
        beyond->clear();
    // Nothing can come from a closed port; waiting ten seconds for it would only end in the
    // time-out box.
    if (!comm.portOpen()) {
        status = kStatusTimeout;
        if (!comm.lost())
            platform::dialogs().message(kPortClosedMessage);
        return;
    }

    // A port that closes during the wait (the modem pulled out, which has been reported, or
    // closed by the user) ends the exchange at once, as a time-out does, without a box.
    const double deadline = deadlineAfter(kFirstCharTimeout);
    for (;;) {
        clock.yield();
        if (!comm.portOpen()) {
            status = kStatusTimeout;
            return;
        }
        // Looked at before the clock: a dialog opened meanwhile (the phone list, say) can hold
        // the wait up past its deadline, and an answer that came in the while is no time-out.
        if (comm.inBufferCount() >= 1)
            break;
        if (clock.monotonic() > deadline) {
            status = kStatusTimeout;
            if (box == TimeoutBox::Show)
                platform::dialogs().message(kTimeoutMessage);
            return;
        }
    }

    // The answer ends when the line has been quiet for a second, counted from the last
    // character that came in, or when it grows past its bounds; with `fast`, once it is whole
    // and the line has been quiet for the settle time.
    answer += comm.input();
    double firstArrival = clock.monotonic();
    double lastArrival = firstArrival;
    AnswerEnd end = fast ? fast->rule(fast->sent, answer) : AnswerEnd{};
    while (clock.monotonic() - lastArrival <= (end.whole ? fast->settle : kQuietSeconds)) {
        const bool tooLong = answer.size() >= kAnswerLimit;
        if (tooLong || clock.monotonic() - firstArrival > kAnswerSeconds) {
            answer += cutNote(tooLong);
            return; // status 9: whatever it holds, it is no answer
        }
        const double before = clock.monotonic();
        clock.yield();
        // A dialog that held the program up is not the modem talking without a pause.
        if (const double held = clock.monotonic() - before; held > kQuietSeconds)
            firstArrival += held;
        if (!comm.portOpen()) {
            status = kStatusTimeout;
            return;
        }
        if (comm.inBufferCount() > 0) {
            answer += comm.input();
            lastArrival = clock.monotonic();
            if (fast)
                end = fast->rule(fast->sent, answer);
        }
    }
    if (end.whole && beyond && end.length < answer.size()) {
        *beyond = answer.mid(end.length);
        answer.truncate(end.length);
    }

    if (answer.contains(QLatin1String("ERROR")))
        status = kStatusError;
    else if (answer.contains(QLatin1String("OK")))
        status = kStatusOk;
}

bool PortIsOpen(ModemLink &link)
{
    if (link.comm().portOpen())
        return true;
    platform::dialogs().message(kPortClosedMessage);
    return false;
}
