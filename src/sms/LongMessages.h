#pragma once
#include "sms/SmsText.h"

#include <QList>
#include <QString>

// A long message arrives as parts, each in its own record, maybe out of order, maybe with
// records of other messages between them, and some parts maybe never. JoinLongMessages() makes
// the rows the received-messages list shows out of the records as they were filed.

struct FiledSms {
    QString sender; // the originator's number as filed
    DecodedSms sms;
};

struct MessageRow {
    // The shown text: a single message as ShownText() gives it; a long message's parts in the
    // order of their sequence numbers (a surrogate pair split over two parts is one character
    // again), "[Teil n von m fehlt]" where a part has not come ("[Teile n bis k von m fehlen]"
    // for several in a row), " [Rest nicht lesbar]" behind a damaged part, and "[Flash-SMS] " or
    // "[Daten] " in front when any part is one.
    QString text;
    // The records the row is made of: indices into the input, ascending (the first is the
    // record that put the row in its place).
    QList<int> pieces;
    // False while a part of the long message is missing.
    bool complete = true;
};

// The rows in the order of each row's first record. Parts belong together when they share
// sender, reference, total and the reference's width; a sequence number that comes again for
// the same message begins a new one (the sender has used the reference again). A record
// without a sound concatenation element is a row of its own.
QList<MessageRow> JoinLongMessages(const QList<FiledSms> &filed);
