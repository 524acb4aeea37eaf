#pragma once
#include "platform/HeaderGrid.h"
#include <QDialog>
#include <QList>
#include <QPointer>
#include <QStringList>

// Where the table lives: "C:\temp\Umlaut.ini" on Windows. Elsewhere there is no C: drive and /tmp
// is shared by every user (another user could plant a link under a fixed name there), so the file
// sits in the settings store's per-user folder, beside Varnix.conf.
QString UmlautFilePath();

class QLabel;
class QPushButton;

// "Special characters": the user's table of PC characters and their SMS substitutes, edited in a
// grid and kept in Umlaut.ini. Loaded once, on first use; closing only hides it, so unsaved edits
// are still there at the next showing in the same run.
class frmUmlaute final : public QDialog {
    Q_OBJECT
public:
    // path: where the table is read and saved; empty for the program's fixed place.
    explicit frmUmlaute(QWidget *parent = nullptr, const QString &path = {});

    // The one window of the program, made (and so loaded) on first use.
    static frmUmlaute &Instance(QWidget *parent = nullptr);
    int ShowModal() { return exec(); }

    void GridBuild();
    // Reads the file into the grid; a missing file leaves the grid empty.
    void UmlautLoad();
    // Packs the complete pairs of the grid into UmlautPc/UmlautGsm; returns how many.
    int UmlautCollect();

    // Row 0 is the heading row; rows 1 .. 24 hold the pairs (column 0 PC, column 1 substitute).
    HeaderGrid *grdUmlaute = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QPushButton *cmdSave = nullptr;
    QPushButton *cmdClose = nullptr;

    QStringList UmlautPc;
    QStringList UmlautGsm;


protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void cmdSave_Click();
    void grdUmlaute_KeyPress(int k);

    QString m_path;
    QList<int> m_leftOut; // grid rows of complete pairs beyond the 11 the file takes
    static QPointer<frmUmlaute> s_instance;
};
