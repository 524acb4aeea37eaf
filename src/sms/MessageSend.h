#pragma once
#include "sms/OutgoingText.h"

#include <QList>
#include <QString>

#include <functional>

class ModemTask;
class SentStore;

// One message to one number, part after part, through the modem task, with every step in the
// file of sent messages before the next goes out.

struct SendJob {
    QString number; // as DialledNumber() gives it
    QString name;   // from the phone list, or ""
    OutgoingPlan plan;
    bool statusReport = false;
};

struct SendResult {
    int id = 0;             // the message's record; 0 when not even that could be written
    int parts = 0;          // how many it has
    QList<int> references;  // of the parts the modem took, in order
    int failedPart = 0;     // the part that did not go (from 1); 0 when all went
    QString reason;         // why, in German; "" when all went
    bool uncertain = false; // no answer after the part went to the modem: it may be out
    bool timedOut = false;  // the modem has stopped answering
    QString recordError;    // a record that could not be written, in German
    bool ok() const { return reason.isEmpty(); }
};

// Sends the message: in text mode AT+CMGS="<number>", the text after the prompt (the
// substitution table applied) and Ctrl-Z; in PDU mode AT+CMGF=0, for every part AT+CMGS=<length>
// and the PDU, and AT+CMGF=1 afterwards whatever happened, unless the modem is gone. The first
// part that is refused or gets no answer stops the rest. `progress` is told before each part.
SendResult SendMessage(ModemTask &task, SentStore &store, const SendJob &job,
                       const std::function<void(int part, int total)> &progress = {});

// What the send window says afterwards: "Gesendet (Referenz 5).", "Gesendet in 3 Teilen
// (Referenzen 5, 6, 7).", "Nicht gesendet: …", with which part failed and which went before.
QString SendResultText(const SendResult &result, bool statusReport);

// Why a part did not go, or "" when it did. `answer` is the modem's answer to AT+CMGS when
// `prompted` is false, else its final answer to the text or PDU: +CMGS: <mr> and OK, or ERROR,
// +CMS ERROR: <err> ("abgelehnt: " and the error, translated where it is a usual one).
QString CmgsFailure(const QString &answer, qint16 status, bool prompted);
