#pragma once
#include "simbook/SimListFormat.h"

#include <QList>
#include <QString>

class QTableWidget;
class QWidget;

// The grid of the SIM list: row 0 is the header row (an empty cell, "Name", "Handynummer",
// "SIM-Nr"), column 0 the running row number; rows 1 .. rowCount()-1 are the entries. Cells are
// table items, so a screen reader reads them through the table's accessibility interface.
class SimListGrid {
public:
    explicit SimListGrid(QWidget *parent);
    QTableWidget *table() const { return m_table; }

    int rowCount() const;
    // Rows beyond the count are dropped, new rows come empty and without a number.
    void setRowCount(int count);
    // Appends an empty row with its number and makes it the current row; returns it.
    int appendRow();
    // The entry row the buttons act on: the current row, never the header row; -1 without one.
    int currentEntryRow() const;
    void setCurrentRow(int row);

    QString cell(int row, int column) const;
    void setCell(int row, int column, const QString &text);
    SimListRow entry(int row) const;
    // Number, name, number and location of one row.
    void setEntry(int row, const SimListRow &entry);
    void setEntry(int row, int number, const SimListRow &entry);
    // Rows 1 to the last, in grid order.
    QList<SimListRow> entries() const;

private:
    QTableWidget *m_table;
};
