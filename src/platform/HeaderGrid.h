#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <QTableWidget>

// The program's grids: row 0 holds the column titles and, in a numbered grid, column 0 the
// running row number; both are drawn like the fixed parts of a grid and cannot be selected.
// Rows 1 .. rowCount()-1 hold the data. Cells are table items, so a screen reader reads them
// through the table's accessibility interface; they are light ones (their text and a look),
// because a list of several hundred thousand entries is a grid of a million cells.
class HeaderGrid : public QTableWidget {
    Q_OBJECT
public:
    // How a data cell is drawn; the header row and the number column are always Fixed.
    enum class Look : quint8 {
        Plain,
        Fixed, // button colours, centred
        Left,  // left and vertically centred
    };

    // `titles` fills row 0 (its size is the column count); a numbered grid keeps the row
    // numbers in column 0. The grid starts with one empty data row (numbered "1" when
    // `numberFirstRow`).
    HeaderGrid(const QStringList &titles, bool numbered, QWidget *parent, bool numberFirstRow = true);

    // The look of the data cells of one column (Plain unless set).
    void setColumnLook(int column, Look look);
    // Column widths in twips, from the left.
    void setColumnWidthsTwips(const QList<int> &widths);

    QString cell(int row, int column) const;
    void setCell(int row, int column, const QString &text);

    // Appends an empty data row with its number, makes it the current row and shows it.
    int appendRow();
    // The data row the buttons act on: the current row, never the header row; the first data
    // row when none is current; -1 without data rows.
    int currentEntryRow() const;
    // Makes a data row current (column 1); rows outside the data are passed over.
    void setCurrentRow(int row);

private:
    Look lookOf(int row, int column) const;
    bool m_numbered;
    QList<Look> m_looks;
};
