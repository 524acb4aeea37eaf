#pragma once
#include "platform/HeaderGrid.h"
#include "simbook/SimListFormat.h"

#include <QList>

// The grid of the SIM list: the header row (an empty cell, "Name", "Handynummer", "SIM-Nr"),
// the running row number in column 0, and one entry per row, its SIM location on the left.
class SimListGrid final : public HeaderGrid {
    Q_OBJECT
public:
    explicit SimListGrid(QWidget *parent);

    SimListRow entry(int row) const;
    // Name, number and location of one row.
    void setEntry(int row, const SimListRow &entry);
    // The row's number too.
    void setEntry(int row, int number, const SimListRow &entry);
    // Rows 1 to the last, in grid order.
    QList<SimListRow> entries() const;
};
