#include "simbook/SimListGrid.h"

#include "platform/ControlName.h"

SimListGrid::SimListGrid(QWidget *parent)
    : HeaderGrid({QString(), QStringLiteral("Name"), QStringLiteral("Handynummer"), QStringLiteral("SIM-Nr")}, true,
                 parent)
{
    Named(this, QStringLiteral("tabTelefon"), QStringLiteral("Telefonliste der SIM-Karte"));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setColumnLook(3, Look::Left);
    setColumnWidthsTwips({550, 2000, 2200, 800});
    setCurrentRow(1);
}

SimListRow SimListGrid::entry(int row) const { return {cell(row, 1), cell(row, 2), cell(row, 3)}; }

void SimListGrid::setEntry(int row, const SimListRow &entry)
{
    setCell(row, 1, entry.name);
    setCell(row, 2, entry.number);
    setCell(row, 3, entry.index);
}

void SimListGrid::setEntry(int row, int number, const SimListRow &entry)
{
    setCell(row, 0, QString::number(number));
    setEntry(row, entry);
}

QList<SimListRow> SimListGrid::entries() const
{
    QList<SimListRow> list;
    for (int r = 1; r < rowCount(); ++r)
        list.append(entry(r));
    return list;
}
