#pragma once
#include "sms/ArchiveExport.h"
#include "sms/SentLog.h"
#include "sms/SmsArchive.h"

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

class PhoneNames;

// The archive's table: date, time, number, name, state and text of every message, received and
// sent, newest first, narrowed by the search words. A received message's state is "empfangen",
// a sent one's what the modem and the status reports said; a report that belongs to no message
// sent from here is a row of its own. Ten thousand rows are cheap here; a grid of items is not.
class ArchiveModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Datum, Uhrzeit, Telefonnr, Name, Status, Text, ColumnCount };

    explicit ArchiveModel(QObject *parent = nullptr);

    // Replaces every received message; the names come from the phone list at this moment.
    void setMessages(QList<ArchivedSms> messages, const PhoneNames &names);
    // Replaces every sent message and every report of none; `sending` is the id of the message
    // that goes out now (0: none).
    void setSent(const SentLog &log, int sending, const PhoneNames &names);
    // Shows only the messages that hold every word of `query` (see ArchiveMatches).
    void setQuery(const QString &query);

    int total() const { return int(m_all.size()); }
    // The rows the search leaves (all of them without a query), for an export.
    QList<ExportedSms> shownRows() const;
    int receivedCount() const { return int(m_received.size()); }
    int sentCount() const { return int(m_sent.size()); }
    // What stays the same for a row when the model is filled again ("r:<file>:<record>",
    // "s:<id>", "u:<n>"), and the row that has it now, -1 when none.
    QString key(int row) const { return m_all.at(m_shown.at(row)).key; }
    int rowOf(const QString &key) const;
    const ArchivedSms &message(int row) const { return m_all.at(m_shown.at(row)).sms; }
    QString name(int row) const { return m_all.at(m_shown.at(row)).name; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct Entry {
        ArchivedSms sms;
        QString name;
        QString state;
        QString stateTip;  // part by part, for a sent message
        QString oneLine;   // the text with its line breaks shown as " / "
        QString haystack;  // case-folded number, name, state and text
        QString key;
    };
    static Entry entry(ArchivedSms sms, const QString &name, const QString &state);
    void merge();
    void filter();

    QList<Entry> m_received; // newest first
    QList<Entry> m_sent;     // newest first
    QList<Entry> m_all;
    QList<int> m_shown;
    QStringList m_words;
};
