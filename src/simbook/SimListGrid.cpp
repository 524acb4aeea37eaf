#include "simbook/SimListGrid.h"

#include "phonelist/ListGridCell.h"
#include "platform/ControlName.h"
#include "platform/Twips.h"

#include <QHeaderView>
#include <QTableWidget>

namespace {
constexpr int kColumns = 4;
constexpr int kColumnWidth[kColumns] = {550, 2000, 2200, 800}; // twips
} // namespace

SimListGrid::SimListGrid(QWidget *parent)
    : m_table(Named(new QTableWidget(2, kColumns, parent), QStringLiteral("tabTelefon"),
                    QStringLiteral("Telefonliste der SIM-Karte")))
{
    m_table->horizontalHeader()->hide();
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setTabKeyNavigation(false);
    m_table->setWordWrap(false);
    for (int c = 0; c < kColumns; ++c)
        m_table->setColumnWidth(c, twips::toPx(kColumnWidth[c]));
    setEntry(0, {QStringLiteral("Name"), QStringLiteral("Handynummer"), QStringLiteral("SIM-Nr")});
    setCell(0, 0, QString());
    setEntry(1, 1, {});
    setCurrentRow(1);
}

int SimListGrid::rowCount() const { return m_table->rowCount(); }

void SimListGrid::setRowCount(int count) { m_table->setRowCount(count); }

int SimListGrid::appendRow()
{
    const int r = rowCount();
    setRowCount(r + 1);
    setEntry(r, r, {});
    setCurrentRow(r);
    m_table->scrollToItem(m_table->item(r, 1));
    return r;
}

int SimListGrid::currentEntryRow() const
{
    const int r = m_table->currentRow();
    if (r >= 1)
        return r;
    return rowCount() > 1 ? 1 : -1;
}

void SimListGrid::setCurrentRow(int row)
{
    if (row >= 1 && row < rowCount())
        m_table->setCurrentCell(row, 1);
}

QString SimListGrid::cell(int row, int column) const
{
    return ListGridCell::textAt(m_table, row, column);
}

void SimListGrid::setCell(int row, int column, const QString &text)
{
    if (row >= rowCount())
        return;
    // Row 0 and the number column look like the fixed header of a grid; the SIM location sits
    // on the left.
    using Look = ListGridCell::Look;
    const Look look = row == 0 || column == 0 ? Look::Fixed : column == 3 ? Look::Left : Look::Plain;
    ListGridCell::put(m_table, row, column, text, look);
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
