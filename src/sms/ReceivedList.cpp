#include "sms/ReceivedList.h"

#include "sms/LongMessages.h"

#include <QHash>

#include <algorithm>

namespace {

QString sameMessageKey(const ArchivedSms &sms)
{
    return sms.number + u'\n' + sms.date + u'\n' + sms.time + u'\n' + sms.text;
}

} // namespace

void ReceivedList::loadEarlierParts()
{
    m_earlierLoaded = true;
    if (!m_earlier)
        return;
    QSet<QString> here;
    for (const ArchivedSms &sms : std::as_const(m_records))
        here.insert(sameMessageKey(sms));
    QList<ArchivedSms> earlier;
    QList<FiledSms> decoded;
    for (const ArchivedSms &sms : m_earlier()) {
        // Only parts can join a row, and what was filed here is in the files too.
        if (!sms.details.present || !sms.details.hasHeader() || here.contains(sameMessageKey(sms)))
            continue;
        DecodedSms d = DecodeArchived(sms);
        if (!d.concat)
            continue;
        earlier.append(sms);
        decoded.append({sms.number, std::move(d)});
    }
    // The archive lists the newest first; the joiner takes them in the order they were filed.
    std::reverse(earlier.begin(), earlier.end());
    std::reverse(decoded.begin(), decoded.end());
    m_records = earlier + m_records;
    m_decoded = decoded + m_decoded;
    m_filedHere = QList<bool>(earlier.size(), false) + m_filedHere;
}

int ReceivedList::add(const ArchivedSms &sms)
{
    DecodedSms decoded = DecodeArchived(sms);
    const bool part = decoded.concat.has_value();
    m_records.append(sms);
    m_decoded.append({sms.number, std::move(decoded)});
    m_filedHere.append(true);
    if (part && !m_earlierLoaded)
        loadEarlierParts();
    const int newest = int(m_records.size()) - 1;
    // A row is shown once something of it was filed here, in the order of that first record.
    struct Shown {
        int firstHere;
        bool holdsNewest;
        Row row;
    };
    QList<Shown> shown;
    for (const MessageRow &row : JoinLongMessages(m_decoded)) {
        const auto here = std::find_if(row.pieces.begin(), row.pieces.end(), [this](int i) { return m_filedHere.at(i); });
        if (here != row.pieces.end())
            shown.append({*here, row.pieces.contains(newest), Row{m_records.at(row.pieces.first()), row.text, row.complete}});
    }
    std::sort(shown.begin(), shown.end(), [](const Shown &a, const Shown &b) { return a.firstHere < b.firstHere; });
    m_rows.clear();
    int at = -1;
    for (const Shown &s : std::as_const(shown)) {
        if (s.holdsNewest)
            at = int(m_rows.size());
        m_rows.append(s.row);
    }
    return at;
}
