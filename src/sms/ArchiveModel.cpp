#include "sms/ArchiveModel.h"

#include "sms/PhoneNames.h"

ArchiveModel::ArchiveModel(QObject *parent) : QAbstractTableModel(parent) {}

void ArchiveModel::setMessages(QList<ArchivedSms> messages, const PhoneNames &names)
{
    beginResetModel();
    m_all.clear();
    m_all.reserve(messages.size());
    for (ArchivedSms &sms : messages) {
        Entry e;
        e.name = names.nameFor(sms.number);
        e.oneLine = QString(sms.text).replace(QLatin1String("\r\n"), QLatin1String(" / "));
        e.haystack = ArchiveHaystack(sms, e.name);
        e.sms = std::move(sms);
        m_all.append(std::move(e));
    }
    filter();
    endResetModel();
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
