#pragma once
#include "text/TextFile.h"

#include <QList>
#include <QString>
#include <QStringList>

// The SIM list files on the PC: one entry a line, name ";" number ";" SIM location, no header,
// no quoting, Windows-1252 with CR LF (the bytes are PhoneListFile's business, the file's lines
// are read and sorted as the phone list's are).

struct SimListRow {
    QString name;
    QString number;
    QString index;
    friend bool operator==(const SimListRow &, const SimListRow &) = default;
};

// One line into its three fields: name and number are the text before the first and the second
// ";", blanks trimmed; the SIM location is the rest, as it stands. A line with fewer ";" follows
// the semicolon cutting rule: the last piece lands in the location column, so a two-field
// phone.lst line ("Hans;0123") gives the name, an empty number and "0123" as location, and a
// piece of one character is lost.
SimListRow SimListSplit(const QString &line);

// The file's lines from the grid rows, in grid order. A row gives a line only when
// name ";" number ";" location is longer than 2 characters, so an emptied row leaves none.
QStringList SimListLinesForSave(const QList<SimListRow> &rows);

// The message for the first problem of a name and number typed into the window, or "" when both
// can be stored: a ";" in either would be read back in the wrong column, and a line break,
// another control character or a character the file's encoding cannot carry would not come
// back as typed.
QString SimListEntryRefusal(const QString &name, const QString &number,
                            TextEncoding encoding = TextEncoding::Windows1252);

// Whether a row read from the card or a file can be saved and comes back in its columns: the
// same rules as for typed input, and a location the file can carry.
bool SimListRowIsStorable(const SimListRow &row, TextEncoding encoding);

// One message naming every row (by its row number in the grid, from 1) that SimListLinesForSave
// would write but that would not come back as it is, or "" when all can be saved.
QString SimListSaveRefusal(const QList<SimListRow> &rows, TextEncoding encoding);
