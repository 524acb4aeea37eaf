#pragma once
#include "platform/HeaderGrid.h"
#include "text/TextFile.h"

#include <QDialog>
#include <QPointer>

class QFrame;
class QLineEdit;
class QListWidget;
class QPushButton;

// "Telefonliste": the local phone list phone.lst in a grid, with new, edit and delete, saved on
// closing when the user agrees. The send window also uses it unshown, as the source of its
// recipient lists: after PhListOpen, rows 1 .. rowCount()-1 hold the name in column 1 and the
// number in column 2, sorted by name.
class frmTelNr final : public QDialog {
    Q_OBJECT
public:
    explicit frmTelNr(QWidget *parent = nullptr);

    // The one phone-list window. Loaded on first use (shown or not); the close box unloads it
    // (the next Instance() is a freshly set-up window with one empty row numbered 1).
    static frmTelNr &Instance(QWidget *parent = nullptr);
    static frmTelNr *Loaded(); // nullptr when not loaded

    // Clears DataChanged, reads phone.lst when there is one, and shows the dialog modally.
    int ShowModal();

    void PhListOpen();
    void PhListSave();

    // Row 0 of the grid is its header row; rows 1 .. rowCount()-1 are the entries.
    HeaderGrid *tabTelefon = nullptr;
    QLineEdit *edName = nullptr;
    QLineEdit *edNr = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdNew = nullptr;
    QPushButton *cmdEdit = nullptr;
    QPushButton *cmdDel = nullptr;
    QPushButton *cmdInfo = nullptr;
    QPushButton *cmdEsc = nullptr;
    QListWidget *lstTelNr = nullptr; // hidden; the sorting it stood for is PhoneListUsableSorted's
    QFrame *Frame3D1 = nullptr;
    bool DataChanged = false;

    // The Esc key closes as "&Schließen" does.
    void reject() override;

protected:
    void closeEvent(QCloseEvent *e) override;

private:
    void Activate();
    void cmdNew_Click();
    void cmdEdit_Click();
    void cmdOK_Click();
    void cmdDel_Click();
    void cmdInfo_Click();
    void cmdEsc_Click();
    void tabTelefon_Click(int row);

    // Writes the grid to phone.lst; false, after telling the user, when it could not.
    bool saveList();
    void showInput(bool on);

    // The encoding phone.lst was read in, and is written back in.
    TextEncoding m_encoding = TextEncoding::Windows1252;
    bool m_hiding = false;     // "&Schließen" hides; only the close box unloads
    bool m_byInstance = false; // made by Instance() on the heap, so the close box may delete it
    static QPointer<frmTelNr> s_loaded;
};
