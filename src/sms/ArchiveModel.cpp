#include "sms/ArchiveModel.h"

#include "sms/LongMessages.h"
#include "sms/PhoneNames.h"

#include <QTimeZone>

#include <algorithm>

ArchiveModel::ArchiveModel(QObject *parent) : QAbstractTableModel(parent) {}

namespace {

const QString kReceived = QStringLiteral("empfangen");

QString oneLineOf(const QString &text)
{
    return QString(text)
        .replace(QLatin1String("\r\n"), QLatin1String(" / "))
        .replace(u'\r', QLatin1String(" / "))
        .replace(u'\n', QLatin1String(" / "));
}

// "yyyy-MM-dd HH:mm:ss" of the file of sent messages into the archive's date, time and order.
void setSentTime(ArchivedSms &sms, const QString &at)
{
    const QDateTime local = QDateTime::fromString(at, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!local.isValid())
        return;
    sms.date = local.toString(QStringLiteral("dd.MM.yy"));
    sms.time = local.toString(QStringLiteral("HH:mm:ss"));
    // The same clock reading as the received messages' time stamps, which are held as UTC.
    sms.stamp = QDateTime(local.date(), local.time(), Qt::UTC);
}

// A report's "yy/MM/dd,hh:mm:ss+zz".
void setReportTime(ArchivedSms &sms, const QString &stamp)
{
    const QDateTime t = QDateTime::fromString(stamp.left(17), QStringLiteral("yy/MM/dd,HH:mm:ss"));
    if (!t.isValid())
        return;
    const QDate date = t.date().addYears(100);
    sms.date = t.toString(QStringLiteral("dd.MM.yy"));
    sms.time = t.toString(QStringLiteral("HH:mm:ss"));
    sms.stamp = QDateTime(date, t.time(), Qt::UTC);
}

} // namespace

ArchiveModel::Entry ArchiveModel::entry(ArchivedSms sms, const QString &name, const QString &state)
{
    Entry e;
    e.sms = std::move(sms);
    e.name = name;
    e.state = state;
    e.oneLine = oneLineOf(e.sms.text);
    e.haystack = ArchiveHaystack(e.sms, e.name) + u'\n' + state.toCaseFolded();
    return e;
}

void ArchiveModel::setMessages(QList<ArchivedSms> messages, const PhoneNames &names)
{
    beginResetModel();
    m_received.clear();
    // Decoded, and the parts of long messages joined: the joiner takes the records in the order
    // they were filed, oldest first; a joined row stands where its first part does.
    QList<FiledSms> decoded;
    decoded.reserve(messages.size());
    for (auto it = messages.crbegin(); it != messages.crend(); ++it)
        decoded.append({it->number, DecodeArchived(*it)});
    const QList<MessageRow> rows = JoinLongMessages(decoded);
    m_received.reserve(rows.size());
    const qsizetype last = messages.size() - 1;
    for (auto row = rows.crbegin(); row != rows.crend(); ++row) {
        ArchivedSms sms = messages.at(last - row->pieces.first());
        sms.text = row->text;
        const QString name = names.nameFor(sms.number);
        Entry e = entry(std::move(sms), name, kReceived);
        e.key = QStringLiteral("r:%1:%2").arg(e.sms.fileNumber).arg(e.sms.record);
        m_received.append(std::move(e));
    }
    merge();
    endResetModel();
}

void ArchiveModel::setSent(const SentLog &log, int sending, const PhoneNames &names)
{
    beginResetModel();
    m_sent.clear();
    QList<Entry> rows;
    for (const SentMessage &m : log.messages) {
        ArchivedSms sms;
        sms.number = m.number;
        sms.text = m.text;
        setSentTime(sms, m.at);
        const QString known = names.nameFor(m.number);
        Entry e = entry(std::move(sms), known.isEmpty() ? m.name : known, SentStateText(m, m.id == sending));
        e.stateTip = SentPartsText(m);
        e.key = QStringLiteral("s:%1").arg(m.id);
        rows.append(std::move(e));
    }
    for (qsizetype i = 0; i < log.unknown.size(); ++i) {
        const StatusReport &r = log.unknown[i].report;
        ArchivedSms sms;
        sms.number = r.recipient;
        sms.text = QStringLiteral("Empfangsbestätigung zu Referenz %1, keiner gesendeten Nachricht zuzuordnen: %2")
                       .arg(r.reference)
                       .arg(ReportStatusText(r.status));
        setReportTime(sms, r.dischargeTime);
        Entry e = entry(std::move(sms), names.nameFor(r.recipient), QStringLiteral("Bestätigung ohne Nachricht"));
        e.key = QStringLiteral("u:%1").arg(i);
        rows.append(std::move(e));
    }
    // Newest first; of the same second, the one written later first.
    std::stable_sort(rows.begin(), rows.end(), [](const Entry &a, const Entry &b) { return a.sms.stamp < b.sms.stamp; });
    m_sent.reserve(rows.size());
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        m_sent.append(std::move(*it));
    merge();
    endResetModel();
}

void ArchiveModel::merge()
{
    m_all.clear();
    m_all.reserve(m_received.size() + m_sent.size());
    qsizetype r = 0, s = 0;
    while (r < m_received.size() || s < m_sent.size()) {
        const bool takeSent =
            r == m_received.size() || (s < m_sent.size() && m_sent[s].sms.stamp > m_received[r].sms.stamp);
        m_all.append(takeSent ? m_sent[s++] : m_received[r++]);
    }
    filter();
}

int ArchiveModel::rowOf(const QString &key) const
{
    for (int row = 0; row < m_shown.size(); ++row) {
        if (m_all.at(m_shown.at(row)).key == key)
            return row;
    }
    return -1;
}

QList<ExportedSms> ArchiveModel::shownRows() const
{
    QList<ExportedSms> rows;
    rows.reserve(m_shown.size());
    for (int i : m_shown) {
        const Entry &e = m_all.at(i);
        rows.append({e.sms.date, e.sms.time, e.sms.number, e.name, e.state, e.sms.text, e.sms.stamp});
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
    if (role == Qt::ToolTipRole && index.column() == Status && !e.stateTip.isEmpty())
        return e.stateTip;
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case Datum: return e.sms.date;
    case Uhrzeit: return e.sms.time;
    case Telefonnr: return e.sms.number;
    case Name: return e.name;
    case Status: return e.state;
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
    case Status: return QStringLiteral("Status");
    case Text: return QStringLiteral("Text");
    default: return {};
    }
}
