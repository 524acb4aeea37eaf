#include "phonelist/PhoneListFormat.h"

#include "text/AtInput.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QLocale>

#include <algorithm>
#include <numeric>
#include <vector>

const QString kPhoneNameSemicolonMessage = QStringLiteral("Der Name darf kein Semikolon (;) enthalten. ");

const QString kPhoneEntryTooShortMessage =
    QStringLiteral("Der Eintrag ist zu kurz, um gespeichert zu werden: bitte eine Nummer eingeben. ");

const QString kPhoneControlCharMessage =
    QStringLiteral("Name und Nummer dürfen keine Zeilenumbrüche, Steuerzeichen oder Zeichen enthalten, "
                   "die in der Telefonliste nicht gespeichert werden können. ");

namespace {

constexpr qsizetype kShortestUsableLine = 4;

bool allStorable(const QString &text, TextEncoding encoding)
{
    if (encoding == TextEncoding::Windows1252)
        return std::all_of(text.begin(), text.end(), IsWindows1252Printable);
    // UTF-8 carries every character; the C0 and C1 controls and DEL still do not belong in a list.
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return u >= 0x20 && !(u >= 0x7F && u <= 0x9F);
    });
}

} // namespace

QStringList PhoneListUsableSorted(const QStringList &lines)
{
    QStringList usable;
    for (const QString &line : lines) {
        if (PhoneListLineIsUsable(line))
            usable.append(line);
    }

    QCollator collator(QLocale(QLocale::German, QLocale::Germany));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(usable.size());
    for (const QString &line : usable)
        keys.push_back(collator.sortKey(line));

    std::vector<qsizetype> order(usable.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&keys](qsizetype a, qsizetype b) { return keys[a].compare(keys[b]) < 0; });

    QStringList sorted;
    sorted.reserve(usable.size());
    for (qsizetype i : order)
        sorted.append(usable.at(i));
    return sorted;
}

bool PhoneListLineIsUsable(const QString &line)
{
    if (line.size() >= kShortestUsableLine)
        return true;
    const qsizetype semicolon = line.indexOf(u';');
    return semicolon >= 0 && semicolon + 1 < line.size();
}

PhoneRow PhoneListSplit(const QString &line)
{
    const qsizetype semicolon = line.indexOf(u';');
    if (semicolon < 0)
        return {QString(), line};
    return {line.left(semicolon), line.mid(semicolon + 1)};
}

QStringList PhoneListLinesForSave(const QList<QPair<QString, QString>> &rows)
{
    QStringList lines;
    for (const auto &row : rows) {
        const QString line = row.first + u';' + row.second;
        if (PhoneListLineIsUsable(line))
            lines.append(line);
    }
    return lines;
}

bool PhoneListNameIsStorable(const QString &name, TextEncoding encoding)
{
    return !name.contains(u';') && allStorable(name, encoding);
}

bool PhoneListNumberIsStorable(const QString &number, TextEncoding encoding)
{
    return allStorable(number, encoding);
}

QString PhoneListEntryRefusal(const QString &name, const QString &number, TextEncoding encoding)
{
    if (name.contains(u';'))
        return kPhoneNameSemicolonMessage;
    if (!PhoneListNameIsStorable(name, encoding) || !PhoneListNumberIsStorable(number, encoding))
        return kPhoneControlCharMessage;
    // Blank rows are no entries; anything else must come back from the file.
    const QString line = name + u';' + number;
    if (!(name.isEmpty() && number.isEmpty()) && !PhoneListLineIsUsable(line))
        return kPhoneEntryTooShortMessage;
    return {};
}
