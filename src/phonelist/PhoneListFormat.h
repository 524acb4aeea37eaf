#pragma once
#include "text/TextFile.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// The file phone.lst: one entry a line, name ";" number, no header, no quoting. Only the first
// ";" separates; further ones belong to the number. Nothing is trimmed on either side.

struct PhoneRow {
    QString name;
    QString number;
};

// The lines worth reading (see PhoneListLineIsUsable), sorted by the whole line with letter case
// ignored and German alphabetical order (Ä with A), equal lines kept in file order, as the
// sorted list box did. Every line is read: there is no limit on the number of entries.
QStringList PhoneListUsableSorted(const QStringList &lines);

// A line that holds an entry: a ";" with a number after it ("A;1"), or any line of 4 characters
// or more. Saving writes only such lines, so what is saved is read back.
bool PhoneListLineIsUsable(const QString &line);

// One line into name and number at its first ";". Without ";" the whole line is the number
// and the name is empty.
PhoneRow PhoneListSplit(const QString &line);

// The file's lines from the grid's (name, number) rows, in grid order. A row is written only when
// its line is usable, so rows emptied by a delete leave no line.
QStringList PhoneListLinesForSave(const QList<QPair<QString, QString>> &rows);

// Whether a name or number typed into the editor comes back the same after saving and reading:
// a ";" in a name would be read back as part of the number, a CR or LF would split the line,
// other control characters are refused too, and so are characters the list's encoding cannot
// carry (Windows-1252 has no "Ł"; a list read as UTF-8 carries it). A ";" in a number is kept on
// reading and is fine.
bool PhoneListNameIsStorable(const QString &name, TextEncoding encoding = TextEncoding::Windows1252);
bool PhoneListNumberIsStorable(const QString &number, TextEncoding encoding = TextEncoding::Windows1252);

// The message for the first problem of an entry, or "" when both parts can be stored.
QString PhoneListEntryRefusal(const QString &name, const QString &number,
                              TextEncoding encoding = TextEncoding::Windows1252);

extern const QString kPhoneNameSemicolonMessage;
extern const QString kPhoneEntryTooShortMessage;
extern const QString kPhoneControlCharMessage;
