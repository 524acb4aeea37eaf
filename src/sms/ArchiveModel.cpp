#include "sms/ArchiveModel.h"

#include "sms/LongMessages.h"
#include "sms/PhoneNames.h"

ArchiveModel::ArchiveModel(QObject *parent) : QAbstractTableModel(parent) {}

void ArchiveModel::setMessages(QList<ArchivedSms> messages, const PhoneNames &names)
{
    beginResetModel();
    m_all.clear();
    // Decoded, and the parts of long messages joined: the joiner takes the records in the order
    // they were filed, oldest first; a joined row stands where its first part does.
    QList<FiledSms> decoded;
    decoded.reserve(messages.size());
    for (auto it = messages.crbegin(); it != messages.crend(); ++it)
        decoded.append({it->number, DecodeArchived(*it)});
    const QList<MessageRow> rows = JoinLongMessages(decoded);
    m_all.reserve(rows.size());
    const qsizetype last = messages.size() - 1;
    for (auto row = rows.crbegin(); row != rows.crend(); ++row) {
        Entry e;
        e.sms = messages.at(last - row->pieces.first());
        e.sms.text = row->text;
        e.name = names.nameFor(e.sms.number);
        e.oneLine = QString(row->text)
                        .replace(QLatin1String("\r\n"), QLatin1String(" / "))
                        .replace(u'\r', QLatin1String(" / "))
                        .replace(u'\n', QLatin1String(" / "));
        e.haystack = ArchiveHaystack(e.sms, e.name);
        m_all.append(std::move(e));
    }
    filter();
    endResetModel();
}

QList<ExportedSms> ArchiveModel::shownRows() const
{
    QList<ExportedSms> rows;
    rows.reserve(m_shown.size());
    for (int i : m_shown) {
        const Entry &e = m_all.at(i);
        rows.append({e.sms.date, e.sms.time, e.sms.number, e.name, e.sms.text, e.sms.stamp});
    }
    return rows;
}

void ArchiveModel::setQuery(const QString &query)
{
    const QStringList words = ArchiveSearchWords(query);
    if (words == m_words)
        return;
    beginResetModel();
    m_words = words;
    filter();
    endResetModel();
}

void ArchiveModel::filter()
{
    m_shown.clear();
    m_shown.reserve(m_all.size());
    for (int i = 0; i < m_all.size(); ++i) {
        if (ArchiveMatches(m_all.at(i).haystack, m_words))
            m_shown.append(i);
    }
}

int ArchiveModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(m_shown.size()); }

int ArchiveModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant ArchiveModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_shown.size())
        return {};
    const Entry &e = m_all.at(m_shown.at(index.row()));
    if (role == Qt::ToolTipRole && index.column() == Text)
        return e.sms.text;
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case Datum: return e.sms.date;
    case Uhrzeit: return e.sms.time;
    case Telefonnr: return e.sms.number;
    case Name: return e.name;
    case Text: return e.oneLine;
    default: return {};
    }
}

QVariant ArchiveModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case Datum: return QStringLiteral("Datum");
    case Uhrzeit: return QStringLiteral("Uhrzeit");
    case Telefonnr: return QStringLiteral("Telefonnr.");
    case Name: return QStringLiteral("Name");
    case Text: return QStringLiteral("Text");
    default: return {};
    }
}
