#include "sms/LongMessages.h"

#include <QHash>

#include <vector>

namespace {

// What makes parts one message. The sender compared as filed: the same number written once as
// +49... and once as 0... is taken for two senders.
struct PartKey {
    QString sender;
    int reference = 0;
    int total = 0;
    bool wide = false;

    bool operator==(const PartKey &) const = default;
};

size_t qHash(const PartKey &key, size_t seed = 0)
{
    return qHashMulti(seed, key.sender, key.reference, key.total, key.wide);
}

// A long message being put together: the record of each sequence number, -1 while missing.
struct Group {
    int row = 0;
    int total = 0;
    std::vector<int> recordOf; // index 1..total
};

QString missingMark(int from, int to, int total)
{
    if (from == to)
        return QStringLiteral("[Teil %1 von %2 fehlt]").arg(from).arg(total);
    return QStringLiteral("[Teile %1 bis %2 von %3 fehlen]").arg(from).arg(to).arg(total);
}

// The row of a long message. The parts' texts are joined before lone surrogates are replaced,
// so the halves of a pair on either side of a border meet again.
void fillGroupRow(MessageRow &row, const Group &group, const QList<FiledSms> &filed)
{
    QString text;
    bool flash = false;
    bool data = false;
    row.complete = true;
    for (int sequence = 1; sequence <= group.total; ++sequence) {
        const int record = group.recordOf[size_t(sequence)];
        if (record < 0) {
            int last = sequence;
            while (last < group.total && group.recordOf[size_t(last + 1)] < 0)
                ++last;
            text += missingMark(sequence, last, group.total);
            row.complete = false;
            sequence = last;
            continue;
        }
        const DecodedSms &sms = filed.at(record).sms;
        text += sms.text;
        if (sms.damaged)
            text += kDamagedMark;
        flash = flash || sms.messageClass == 0;
        data = data || sms.data;
    }
    row.text.clear();
    if (flash)
        row.text += kFlashMark;
    if (data)
        row.text += kDataMark;
    row.text += WithoutLoneSurrogates(text);
}

} // namespace

QList<MessageRow> JoinLongMessages(const QList<FiledSms> &filed)
{
    QList<MessageRow> rows;
    std::vector<Group> groups;
    std::vector<int> groupOfRow; // -1 for a single message
    // The newest message of each key: later parts of that key go to it.
    QHash<PartKey, int> newest;

    for (int i = 0; i < int(filed.size()); ++i) {
        const FiledSms &record = filed.at(i);
        // The decoder hands on only sound elements; one made elsewhere is checked again.
        const std::optional<ConcatInfo> &concat = record.sms.concat;
        if (!concat || concat->total < 1 || concat->total > 255 || concat->sequence < 1 ||
            concat->sequence > concat->total) {
            MessageRow row;
            row.text = ShownText(record.sms);
            row.pieces.append(i);
            rows.append(row);
            groupOfRow.push_back(-1);
            continue;
        }
        const ConcatInfo &c = *concat;
        const PartKey key{record.sender, c.reference, c.total, c.wide};
        const auto it = newest.constFind(key);
        if (it != newest.cend() && groups[size_t(*it)].recordOf[size_t(c.sequence)] < 0) {
            Group &group = groups[size_t(*it)];
            group.recordOf[size_t(c.sequence)] = i;
            rows[group.row].pieces.append(i);
            continue;
        }
        Group group;
        group.row = int(rows.size());
        group.total = c.total;
        group.recordOf.assign(size_t(c.total) + 1, -1);
        group.recordOf[size_t(c.sequence)] = i;
        newest.insert(key, int(groups.size()));
        groups.push_back(std::move(group));
        MessageRow row;
        row.pieces.append(i);
        rows.append(row);
        groupOfRow.push_back(int(groups.size()) - 1);
    }

    for (qsizetype r = 0; r < rows.size(); ++r) {
        if (groupOfRow[size_t(r)] >= 0)
            fillGroupRow(rows[r], groups[size_t(groupOfRow[size_t(r)])], filed);
    }
    return rows;
}
