#pragma once
#include <QString>
#include <QTableWidgetItem>

// One cell of the list grids. A plain table item keeps every role it is given in a list of
// variants of its own, and the look of the fixed header row and number column took three more:
// with a list of several hundred thousand entries that was most of the program's memory. This
// item keeps its text and answers the look from one value. Text set later through setText is
// kept the ordinary way and wins.
class ListGridCell final : public QTableWidgetItem {
public:
    enum class Look : quint8 {
        Plain,
        Fixed, // the header row and the number column: button colours, centred, not selectable
        Left,  // left and vertically centred
    };
    ListGridCell(const QString &text, Look look);

    QVariant data(int role) const override;
    QTableWidgetItem *clone() const override;

    // Puts text into a cell of the table, with the given look for a cell not yet there. An
    // existing cell of this kind is replaced rather than changed, so it stays light.
    static void put(QTableWidget *table, int row, int column, const QString &text, Look look);
    static QString textAt(const QTableWidget *table, int row, int column);

private:
    QString m_text;
    Look m_look;
};
