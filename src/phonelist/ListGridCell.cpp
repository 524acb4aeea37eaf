#include "phonelist/ListGridCell.h"

#include <QApplication>
#include <QPalette>
#include <QTableWidget>

ListGridCell::ListGridCell(const QString &text, Look look) : QTableWidgetItem(UserType), m_text(text), m_look(look)
{
    setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
}

QVariant ListGridCell::data(int role) const
{
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

QTableWidgetItem *ListGridCell::clone() const
{
    auto *copy = new ListGridCell(text(), m_look);
    copy->setFlags(flags());
    return copy;
}

void ListGridCell::put(QTableWidget *table, int row, int column, const QString &text, Look look)
{
    QTableWidgetItem *old = table->item(row, column);
    if (old && old->text() == text)
        return;
    auto *cell = new ListGridCell(text, look);
    if (old)
        cell->setFlags(old->flags());
    else if (row == 0)
        cell->setFlags(Qt::NoItemFlags); // the header row cannot be selected, so no button acts on it
    table->setItem(row, column, cell);
}

QString ListGridCell::textAt(const QTableWidget *table, int row, int column)
{
    const QTableWidgetItem *item = table->item(row, column);
    return item ? item->text() : QString();
}
