#pragma once
#include "comm/ModemLink.h"
#include "simbook/SimListFormat.h"
#include "simbook/SimPhonebook.h"
#include "simbook/SimWritePlan.h"
#include "text/TextFile.h"

#include <QWidget>
#include <memory>
#include <optional>

class ModemLink;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;
class SimListGrid;

// "Telefonliste aus SIM-Card": a copy of the SIM card's phonebook in a grid, filled from the
// card or from a list file on the PC, edited row by row, written to the card or saved as a
// list file. A child window of the main window that keeps its grid when closed: closing hides
// it. While it is shown it talks to the modem itself, so the main window's receive timer is off.
class frmSimList final : public QWidget {
    Q_OBJECT
public:
    explicit frmSimList(ModemLink &link, QWidget *parent = nullptr);
    ~frmSimList() override;

    void SimReadOut();
    void SimWrite();
    // Writes the grid to the named file through a temporary file; false, after telling the user,
    // when it could not (the old file is then unchanged).
    bool SimListSave(const QString &fileName);
    // A read-out or a write is under way.
    bool busy() const;

    // Row 0 of the grid is its header row; rows 1 .. rowCount()-1 are the entries.
    QTableWidget *tabTelefon = nullptr;
    QLineEdit *edName = nullptr;
    QLineEdit *edNr = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdNew = nullptr;
    QPushButton *cmdEdit = nullptr;
    QPushButton *cmdDel = nullptr;
    QPushButton *cmdEsc = nullptr;
    QPushButton *cmdReadOut = nullptr;
    QPushButton *cmdWrite = nullptr;
    QPushButton *cmdOpen = nullptr;
    QPushButton *cmdPcSave = nullptr;
    QLineEdit *edTZahl = nullptr;
    QLabel *lblAnzahl = nullptr;
    // Where a read-out or write is ("Platz 37 von 100") and how it ended.
    QLabel *lblPlatz = nullptr;
    QListWidget *lstTelNr = nullptr; // hidden; the sorting it stood for is PhoneListUsableSorted's
    bool DataChanged = false;

    QSize minimumSizeHint() const override;

protected:
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    void arrange();
    int labelWidth() const;
    void cmdNew_Click();
    void cmdEdit_Click();
    void cmdOK_Click();
    void cmdDel_Click();
    void cmdOpen_Click();
    // The save dialog with the replace question; true when the list was saved.
    bool cmdPcSave_Click();
    void tabTelefon_Click(int row);
    // Asks about unsaved changes; false when the window is to stay open.
    bool mayClose();

    void setRunning(bool on, const QString &unit);
    void showEnd(const SimRunResult &result, const QString &unit);
    void showInput(bool on);
    bool confirmWrite(const SimWritePlan &plan);
    void written(const SimWriteStep &step);

    ModemLink &m_link;
    SimPhonebook m_book;
    SimListGrid *m_grid = nullptr; // the same as tabTelefon
    // Shown and not closed since: the terminal does not read the modem's answers.
    std::optional<ReceiveTimerHold> m_shownHold;
    bool m_askingToSave = false; // the question about unsaved changes is open
    QString m_unit; // "Platz" while reading, "Eintrag" while writing
    // What the card holds as far as this window has read or written it, and the locations of
    // rows deleted since the grid was filled: the next write clears them.
    SimCardState m_card;
    QList<int> m_deleted;
    // The encoding of the list file last opened; saving writes it so.
    TextEncoding m_encoding = TextEncoding::Windows1252;
};
