#pragma once
#include "modem/AnswerEnd.h"

#include <QString>

class CommPort;
class ModemLink;

// Exchange status: 0 OK, 1 no answer (already reported), 2 ERROR in the answer, 9 neither.
enum : qint16 { kStatusOk = 0, kStatusTimeout = 1, kStatusError = 2, kStatusNoResult = 9 };

inline const QString kTimeoutMessage = QStringLiteral("Zeitüberschreitung. Keine Antwort vom Modem. ");
inline const QString kPortClosedMessage = QStringLiteral("  Com-Schnittstelle ist geschlossen!  ");

// Whether a time-out gets the time-out box here, or is left to the caller (the read cycle
// tells a modem that has stopped answering once, in its own words).
enum class TimeoutBox { Show, Quiet };

// "Schnelle Modemantworten": the answer also ends once `rule` finds it whole and the line has
// then been quiet for `settle` seconds. What came behind its end (the modem's own lines) is not
// part of it.
struct FinalResultWait {
    AnswerEndRule rule = &FinalResultEnd;
    QString sent; // what went out for this answer, for the rule
    double settle = FinalResultSettleSeconds(0);
};

// Waits for the modem's answer to the command line just written (ModemTask::exchange writes it,
// shows it and calls this, the one wait for an answer): up to 10 s for the first
// character, then until the line has been quiet for one second. The answer is returned
// raw and classified by plain substring search. An answer that never falls quiet ends after
// 64 KB or 30 s with status 9 and a line saying so. A closed port gives status 1 at once:
// closed before the wait, with the closed-port box, unless the device was lost (the main
// window has said so in its own box); closed during it (the modem pulled out, or the user's
// own doing), without a box.
// With `fast` the answer may end sooner, at its final result code; what came behind it goes to
// `beyond` (which is emptied first).
void ModemCommand(CommPort &comm, QString &answer, qint16 &status, TimeoutBox box = TimeoutBox::Show,
                  const FinalResultWait *fast = nullptr, QString *beyond = nullptr);

// Waits until more than `seconds` have passed since the start (rounded to a whole second),
// serving events meanwhile.
void WaitSeconds(double seconds);

// Waits `seconds` on the monotonic clock, serving events meanwhile: a pause between two commands
// that is not bound to the seconds of the time of day.
void Pause(double seconds);

// Shows the closed-port message and returns false when the port is closed.
bool PortIsOpen(ModemLink &link);
