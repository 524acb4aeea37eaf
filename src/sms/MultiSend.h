#pragma once
#include <QList>
#include <QString>
#include <QtGlobal>

// One text to several phone-list entries, one AT+CMGS after another.

struct Recipient {
    QString name;
    QString number;
    // The name, or the number for an entry without one.
    QString label() const { return name.isEmpty() ? number : name; }
};

enum class SendState { Sent, Failed, NotSent };

struct SendOutcome {
    Recipient to;
    SendState state = SendState::NotSent;
    QString reason; // for Failed and NotSent, in German
};

// "Nachricht 2 von 5 …"
QString MultiSendProgress(int number, int total);

// The numbers that begin neither with "00" nor with "+", as lines "Name (Nummer)".
QStringList NationalNumbers(const QList<Recipient> &to);

// The closing message: how many went, to whom, and what failed and why.
QString MultiSendSummary(const QList<SendOutcome> &outcomes, bool brokenOff);
