#include "simbook/SimListFormat.h"

#include "phonelist/PhoneListFormat.h"
#include "text/StringUtil.h"

namespace {
const QString kNumberSemicolonMessage = QStringLiteral("Die Nummer darf kein Semikolon (;) enthalten. ");
const QString kSaveRefusedMessage =
    QStringLiteral("Die Liste wurde nicht gespeichert: ein Semikolon (;), ein Zeilenumbruch oder ein Steuerzeichen "
                   "in Name oder Nummer, oder ein Zeichen, das die Datei nicht aufnehmen kann, käme beim Öffnen "
                   "nicht so zurück. Bitte ändern: %1. ");
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

QString SimListEntryRefusal(const QString &name, const QString &number, TextEncoding encoding)
{
    if (!name.contains(u';') && number.contains(u';'))
        return kNumberSemicolonMessage;
    return PhoneListEntryRefusal(name, number, encoding);
}

bool SimListRowIsStorable(const SimListRow &row, TextEncoding encoding)
{
    return !row.number.contains(u';') && PhoneListNameIsStorable(row.name, encoding) &&
           PhoneListNumberIsStorable(row.number, encoding) && !row.index.contains(u'\n') &&
           TextEncodingCarries(encoding, row.index);
}

QString SimListSaveRefusal(const QList<SimListRow> &rows, TextEncoding encoding)
{
    constexpr int kNamed = 10;
    QStringList named;
    int more = 0;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const SimListRow &row = rows.at(r);
        if (SimListLinesForSave({row}).isEmpty() || SimListRowIsStorable(row, encoding))
            continue;
        if (named.size() < kNamed)
            named << QStringLiteral("Eintrag %1 (%2)").arg(r + 1).arg(row.name);
        else
            ++more;
    }
    if (named.isEmpty())
        return {};
    QString which = named.join(QStringLiteral(", "));
    if (more > 0)
        which += QStringLiteral(" und %1 weitere").arg(more);
    return kSaveRefusedMessage.arg(which);
}
