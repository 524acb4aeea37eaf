#pragma once
#include "sms/LongMessages.h"
#include "sms/SmsArchive.h"

#include <QList>
#include <QSet>
#include <QString>

#include <functional>

// The rows of the received-messages list: one per message filed while the window is open, the
// parts of a long message in one row. A part's siblings may have been filed before (an earlier
// cycle, an earlier program run, another SMS file): they are looked up once, on the first part,
// and the row shows the message as far as its parts are in.
class ReceivedList {
public:
    // Gives the messages of the SMS files (asked at most once).
    using EarlierMessages = std::function<QList<ArchivedSms>()>;
    explicit ReceivedList(EarlierMessages earlier) : m_earlier(std::move(earlier)) {}

    struct Row {
        ArchivedSms first; // the row's first record: its sender and time stamp are shown
        QString text;      // decoded and joined, with its marks
        bool complete = true; // every part of a long message is in
    };

    // A message was filed. Returns the index of its row: a new one at the end, or the row of the
    // long message it belongs to.
    int add(const ArchivedSms &sms);
    const QList<Row> &rows() const { return m_rows; }

private:
    void loadEarlierParts();

    EarlierMessages m_earlier;
    bool m_earlierLoaded = false;
    QList<ArchivedSms> m_records; // earlier parts first, then what was filed here
    QList<FiledSms> m_decoded;
    QList<bool> m_filedHere;
    QList<Row> m_rows;
};
