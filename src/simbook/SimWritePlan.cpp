#include "simbook/SimWritePlan.h"

#include "simbook/SimBookAnswers.h"

#include <QSet>

#include <algorithm>

namespace {

bool sameEntry(const SimListRow &a, const SimListRow &b)
{
    return a.name == b.name && a.number == b.number;
}

bool isBlank(const SimListRow &row)
{
    return row.name.isEmpty() && row.number.isEmpty();
}

QString count(int n, const char *one, const char *many)
{
    return QString::number(n) + u' ' + QString::fromUtf8(n == 1 ? one : many);
}

} // namespace

void SimCardState::wrote(int location, const SimListRow &row)
{
    const SimListRow entry{row.name, row.number, location > 0 ? QString::number(location) : QString()};
    if (location > 0)
        entries.insert(location, entry);
    else
        placed.append(entry);
}

int SimLocationOf(const QString &index)
{
    if (index.isEmpty() || index.size() > 5 || index.startsWith(u'0'))
        return 0;
    for (const QChar c : index) {
        if (c < u'0' || c > u'9')
            return 0;
    }
    const int location = index.toInt();
    return location <= kSimLocationMax ? location : 0;
}

SimWritePlan PlanSimWrite(const QList<SimListRow> &rows, const SimCardState &card, const QList<int> &deleted)
{
    // The first row with content that names a location keeps it.
    QSet<int> claimed;
    QList<int> locationOfRow(rows.size(), 0);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const int location = SimLocationOf(rows.at(i).index);
        if (location > 0 && !isBlank(rows.at(i)) && !claimed.contains(location)) {
            claimed.insert(location);
            locationOfRow[i] = location;
        }
    }

    SimWritePlan plan;
    QList<SimWriteStep> writes;
    QList<SimWriteStep> placedByModem;
    QSet<int> clearing;
    const auto clear = [&](int location, int row) {
        // Known to be free already, or still wanted by another row: nothing to clear.
        if (location < 1 || claimed.contains(location) || clearing.contains(location) || card.isFree(location))
            return;
        clearing.insert(location);
        plan.steps.append({SimWriteStep::Kind::Clear, location, row, {}, {}});
        ++plan.cleared;
    };

    int nextFree = 1;
    const auto freeLocation = [&]() {
        for (; nextFree <= card.known; ++nextFree) {
            if (card.isFree(nextFree) && !claimed.contains(nextFree))
                return nextFree++;
        }
        return 0;
    };

    QList<SimListRow> placed = card.placed;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const SimListRow &row = rows.at(i);
        const int r = int(i);
        if (isBlank(row)) {
            clear(SimLocationOf(row.index), r);
            continue;
        }
        const int location = locationOfRow.at(i);
        if (location > 0) {
            const auto it = card.entries.constFind(location);
            if (it != card.entries.cend() && sameEntry(*it, row))
                continue;
            const bool isNew = card.isFree(location);
            writes.append(
                {isNew ? SimWriteStep::Kind::Add : SimWriteStep::Kind::Change, location, r, row.number, row.name});
            ++(isNew ? plan.added : plan.changed);
            continue;
        }
        // Written earlier where the modem chose: the card has it, though nobody knows where.
        const auto already =
            std::find_if(placed.begin(), placed.end(), [&row](const SimListRow &p) { return sameEntry(p, row); });
        if (already != placed.end()) {
            placed.erase(already);
            continue;
        }
        const int free = freeLocation();
        (free > 0 ? writes : placedByModem).append({SimWriteStep::Kind::Add, free, r, row.number, row.name});
        ++plan.added;
    }
    for (const int location : deleted)
        clear(location, -1);

    plan.steps += writes;
    plan.steps += placedByModem;
    return plan;
}

QString CpbwStepCommand(const SimWriteStep &step)
{
    if (step.kind == SimWriteStep::Kind::Clear)
        return CpbwClearCommand(step.location);
    return CpbwCommand(step.number, step.name, step.location);
}

QString SimWriteQuestion(const SimWritePlan &plan)
{
    return QStringLiteral("Auf die SIM-Karte schreiben: %1 ändern, %2 neu, %3 löschen?")
        .arg(count(plan.changed, "Eintrag", "Einträge"), QString::number(plan.added), QString::number(plan.cleared));
}
