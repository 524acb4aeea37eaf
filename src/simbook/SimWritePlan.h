#pragma once
#include "simbook/SimListFormat.h"

#include <QList>
#include <QMap>
#include <QString>

// What the window knows of the card's phonebook "SM": what each location read out (or written
// since) holds. Locations 1 to `known` were all read, so one of them without an entry is free;
// beyond that only the locations in `entries` are known.
struct SimCardState {
    int known = 0;
    QMap<int, SimListRow> entries; // location -> name and number on the card
    // Entries the modem placed itself (AT+CPBW without a location): on the card, nobody knows where.
    QList<SimListRow> placed;

    bool isFree(int location) const { return location <= known && !entries.contains(location); }
    // After a write at `location` (0: the modem chose), or a clear when the row is empty.
    void wrote(int location, const SimListRow &row);
    void cleared(int location) { entries.remove(location); }
};

// The SIM location in the "SIM-Nr" column, or 0 when it holds none: only a plain decimal
// 1 .. kSimLocationMax without a leading zero is one, so the number a two-field phone.lst puts
// into that column ("0171 ...") is never taken for a location.
int SimLocationOf(const QString &index);
inline constexpr int kSimLocationMax = 32766;

struct SimWriteStep {
    enum class Kind {
        Change, // AT+CPBW=<n>,... over what the location holds (or may hold)
        Add,    // AT+CPBW=<n>,... into a free location, or AT+CPBW=,... (location 0) where none is known
        Clear,  // AT+CPBW=<n>
    };
    Kind kind = Kind::Add;
    int location = 0;
    int row = -1; // index of the row in the list it was planned from; -1 for a clear of a deleted row
    QString number;
    QString name;
    friend bool operator==(const SimWriteStep &, const SimWriteStep &) = default;
};

struct SimWritePlan {
    QList<SimWriteStep> steps; // clears first, then writes to locations, then those the modem places
    int changed = 0;
    int added = 0;
    int cleared = 0;
    bool isEmpty() const { return steps.isEmpty(); }
};

// What writing the rows to the card takes. A row with a location goes to that location unless
// the card is known to hold the same name and number there; a row without one goes to a
// location known to be free, or where the modem puts it; a row emptied by the editor that still
// names a location, and each location in `deleted` (rows the user deleted), is cleared unless
// another row claims it or it is known to be free. When two rows name one location, the first
// keeps it and the other is added.
SimWritePlan PlanSimWrite(const QList<SimListRow> &rows, const SimCardState &card, const QList<int> &deleted);

// The write line for one step: AT+CPBW=<n>,"<number>",<type>,"<name>" (AT+CPBW=,... without a
// location), or AT+CPBW=<n> alone, which clears the location.
QString CpbwStepCommand(const SimWriteStep &step);

// "Auf die SIM-Karte schreiben: 2 Einträge ändern, 1 neu, 0 löschen?"
QString SimWriteQuestion(const SimWritePlan &plan);
