#include "platform/HeaderGrid.h"

#include "platform/Twips.h"

#include <QApplication>
#include <QHeaderView>
#include <QPalette>

namespace {

// One cell. A plain table item keeps every role it is given in a list of variants of its own,
// and the fixed look took three more: with a list of several hundred thousand entries that was
// most of the program's memory. This item keeps its text and answers the look from one value.
// Text set later through setText is kept the ordinary way and wins.
class GridCell final : public QTableWidgetItem {
public:
    GridCell(const QString &text, HeaderGrid::Look look) : QTableWidgetItem(UserType), m_text(text), m_look(look)
    {
        setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    }

    QVariant data(int role) const override
    {
        using Look = HeaderGrid::Look;
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole: {
            const QVariant set = QTableWidgetItem::data(role);
            return set.isValid() ? set : QVariant(m_text);
        }
        case Qt::BackgroundRole:
        case Qt::ForegroundRole:
            if (m_look == Look::Fixed) {
                const QPalette palette = tableWidget() ? tableWidget()->palette() : QApplication::palette();
                return role == Qt::BackgroundRole ? palette.button() : palette.buttonText();
            }
            break;
        case Qt::TextAlignmentRole:
            if (m_look == Look::Fixed)
                return int(Qt::AlignCenter);
            if (m_look == Look::Left)
                return int(Qt::AlignLeft | Qt::AlignVCenter);
            break;
        default:
            break;
        }
        return QTableWidgetItem::data(role);
    }

    QTableWidgetItem *clone() const override
    {
        auto *copy = new GridCell(text(), m_look);
        copy->setFlags(flags());
        return copy;
    }

private:
    QString m_text;
    HeaderGrid::Look m_look;
};

} // namespace

HeaderGrid::HeaderGrid(const QStringList &titles, bool numbered, QWidget *parent, bool numberFirstRow)
    : QTableWidget(2, int(titles.size()), parent), m_numbered(numbered), m_looks(titles.size(), Look::Plain)
{
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setTabKeyNavigation(false);
    setWordWrap(false);
    for (int c = 0; c < titles.size(); ++c)
        setCell(0, c, titles.at(c));
    for (int c = 0; c < titles.size(); ++c)
        setCell(1, c, c == 0 && numbered && numberFirstRow ? QStringLiteral("1") : QString());
}

void HeaderGrid::setColumnLook(int column, Look look)
{
    if (column >= 0 && column < m_looks.size())
        m_looks[column] = look;
}

void HeaderGrid::setColumnWidthsTwips(const QList<int> &widths)
{
    for (int c = 0; c < widths.size() && c < columnCount(); ++c)
        setColumnWidth(c, twips::toPx(widths.at(c)));
}

HeaderGrid::Look HeaderGrid::lookOf(int row, int column) const
{
    if (row == 0 || (m_numbered && column == 0))
        return Look::Fixed;
    return m_looks.value(column, Look::Plain);
}

QString HeaderGrid::cell(int row, int column) const
{
    const QTableWidgetItem *it = item(row, column);
    return it ? it->text() : QString();
}

void HeaderGrid::setCell(int row, int column, const QString &text)
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return;
    QTableWidgetItem *old = item(row, column);
    if (old && old->text() == text)
        return;
    // An existing cell is replaced rather than changed, so it stays light.
    auto *fresh = new GridCell(text, lookOf(row, column));
    if (old)
        fresh->setFlags(old->flags());
    else if (row == 0)
        fresh->setFlags(Qt::NoItemFlags); // the header row cannot be selected, so no button acts on it
    setItem(row, column, fresh);
}

int HeaderGrid::appendRow()
{
    const int r = rowCount();
    setRowCount(r + 1);
    if (m_numbered)
        setCell(r, 0, QString::number(r));
    setCurrentRow(r);
    scrollToItem(item(r, m_numbered ? 0 : 1));
    return r;
}

int HeaderGrid::currentEntryRow() const
{
    const int r = currentRow();
    if (r >= 1)
        return r;
    return rowCount() > 1 ? 1 : -1;
}

void HeaderGrid::setCurrentRow(int row)
{
    if (row >= 1 && row < rowCount())
        setCurrentCell(row, columnCount() > 1 ? 1 : 0);
}
