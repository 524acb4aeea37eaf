#pragma once
#include <QString>
#include <QStringView>

// Where a modem's answer to one command ends, for "Schnelle Modemantworten": at its final result
// code (V.250 5.7.1, 27.007 9.2, 27.005 3.2.5) instead of a second of silence. The functions
// here are pure; ModemCommand waits a short settle time behind the end they find, and when they
// find none, the quiet second decides as it always does. So where in doubt they say "not yet".

struct AnswerEnd {
    // The final result code, or the prompt, is in, and nothing but the modem's own lines behind.
    bool whole = false;
    // How much of the received text is the answer: up to the line end behind the final result
    // code. Behind it come only empty lines and lines the modem sends on its own (+CMTI:, ^RSSI:),
    // which belong to no command.
    qsizetype length = 0;
    // Where the line with the final result code begins; -1 for the prompt and when not whole.
    qsizetype finalAt = -1;
};

// `sent` is what went out for this answer: the command line with its CR, or the text behind a
// prompt with its Ctrl-Z. `received` is everything that came since. The answer is whole when
//  - its last line that is neither empty nor the modem's own is a final result code: OK, ERROR,
//    +CME ERROR: <err>, +CMS ERROR: <err>, NO CARRIER, BUSY, NO ANSWER, NO DIALTONE, or after
//    ATV0 the numeric forms 0, 3, 4, 6, 7, 8 behind which a CR alone ends the line; a code cut
//    in two (no line end yet) is not one yet;
//  - or `sent` is a command that asks for a prompt (+CMGS, +CMGW, +CMGC, +CNMA) and the answer
//    ends in the prompt "> " at the start of a line, or ">" where a modem leaves out the blank.
// It is never whole
//  - when a line that comes after the final result code is neither empty nor the modem's own:
//    information behind the result code, as some modems send it, belongs to the answer;
//  - when the answer holds a message's text (+CMGR:, +CMGL:, +CMT:, +CDS:, +CBM:): a text may
//    hold a line "OK" (CmgrAnswerEnd knows where a +CMGR text ends);
//  - when the result code stands inside a quoted parameter that an information line opened;
//  - when the echo of what was sent could be the result code: a text behind the prompt with a
//    line "OK" is echoed with it, so a line only counts as the modem's once there are more such
//    lines than the text holds.
AnswerEnd FinalResultEnd(QStringView sent, QStringView received);

// The rule an answer is judged by: FinalResultEnd, or one that knows more about its command.
using AnswerEndRule = AnswerEnd (*)(QStringView sent, QStringView received);

// Whether a whole line is one a modem sends on its own (a new-message or status notice, a
// vendor report such as ^RSSI: or +QIND:, RING, a start-up line).
bool IsNoticeLine(QStringView line);

// A verbose final result code, or a numeric one (`lineEndIsCr`: the line ended in a CR alone).
bool IsFinalResultCode(QStringView line, bool lineEndIsCr);

// How long the line must stay quiet behind a final result code before the answer ends: 15 ms,
// or 10 character times where those take longer (below 6667 bit/s; at most the quiet second).
// A modem that sends a notice, or the LF behind a CR, right after its result code sends it with
// no pause of its own, and a USB modem hands its bytes over in frames of a millisecond. The wait
// looks at a quiet port every 20 ms, so in practice the answer ends at the first look 15 to
// 20 ms after its last byte.
double FinalResultSettleSeconds(int baud);
