#pragma once
#include "sms/ArchiveExport.h"
#include "sms/SmsArchive.h"

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

class PhoneNames;

// The archive's table: date, time, number, name and text of every message, newest first,
// narrowed by the search words. Ten thousand rows are cheap here; a grid of items is not.
class ArchiveModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Datum, Uhrzeit, Telefonnr, Name, Text, ColumnCount };

    explicit ArchiveModel(QObject *parent = nullptr);

    // Replaces every message; the names come from the phone list at this moment.
    void setMessages(QList<ArchivedSms> messages, const PhoneNames &names);
    // Shows only the messages that hold every word of `query` (see ArchiveMatches).
    void setQuery(const QString &query);

    int total() const { return int(m_all.size()); }
    // The rows the search leaves (all of them without a query), for an export.
    QList<ExportedSms> shownRows() const;
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
        QString oneLine;  // the text with its line breaks shown as " / "
        QString haystack; // case-folded number, name and text
    };
    void filter();

    QList<Entry> m_all;
    QList<int> m_shown;
    QStringList m_words;
};
