#include "simbook/SimListFormat.h"

#include "phonelist/PhoneListFormat.h"
#include "text/StringUtil.h"

namespace {
const QString kNumberSemicolonMessage = QStringLiteral("Die Nummer darf kein Semikolon (;) enthalten. ");
} // namespace

SimListRow SimListSplit(const QString &line)
{
    QString rest = line;
    SimListRow row;
    row.name = TokenSemicolon(rest);
    row.number = TokenSemicolon(rest);
    row.index = rest;
    return row;
}

QStringList SimListLinesForSave(const QList<SimListRow> &rows)
{
    QStringList lines;
    for (const SimListRow &row : rows) {
        const QString line = row.name + u';' + row.number + u';' + row.index;
        if (line.size() > 2)
            lines.append(line);
    }
    return lines;
}

QString SimListEntryRefusal(const QString &name, const QString &number)
{
    if (!name.contains(u';') && number.contains(u';'))
        return kNumberSemicolonMessage;
    return PhoneListEntryRefusal(name, number);
}
