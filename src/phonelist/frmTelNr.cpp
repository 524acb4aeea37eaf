#include "phonelist/frmTelNr.h"

#include "phonelist/PhoneListFile.h"
#include "phonelist/PhoneListFormat.h"
#include "platform/ControlName.h"
#include "platform/HeaderGrid.h"
#include "platform/Platform.h"
#include "platform/WorkFolder.h"
#include "platform/Twips.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>

#include <utility>

QPointer<frmTelNr> frmTelNr::s_loaded;

namespace {

const QString kNoListFound = QStringLiteral("Keine Telefonliste gefunden!");
const QString kListEmpty = QStringLiteral("Telefonliste leer");
const QString kNoNumbersSaved = QStringLiteral("Keine Handynummern gespeichert!");
const QString kAskSave = QStringLiteral("Daten geändert. Abspeichern?");
const QString kSaveFailed = QStringLiteral("Die Telefonliste konnte nicht gespeichert werden.\n\n%1\n%2\n\n"
                                           "Die bisherige Datei ist unverändert geblieben.");

// Geometry in twips: the dialog's inner area, the grid's columns, and the rows around it.
constexpr int kInnerWidth = 6945;
constexpr int kInnerHeight = 4440;
constexpr int kColumnWidth[] = {550, 2800, 2800};
constexpr int kMargin = 120;
constexpr int kGap = 90;
constexpr int kInputHigh = 330;
constexpr int kButtonHigh = 375;
constexpr int kButtonCount = 5;

} // namespace

frmTelNr::frmTelNr(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmTelNr"));
    setAccessibleDescription(QStringLiteral("frmTelNr"));
    setWindowTitle(QStringLiteral("Telefonliste"));

    const int width = twips::toPx(kInnerWidth);
    const int height = twips::toPx(kInnerHeight);
    const int margin = twips::toPx(kMargin);
    const int gap = twips::toPx(kGap);

    Frame3D1 = Named(new QFrame(this), QStringLiteral("Frame3D1"));
    Frame3D1->setAccessibleName(QStringLiteral("Telefonliste bearbeiten"));
    Frame3D1->setFrameShape(QFrame::Panel);
    Frame3D1->setFrameShadow(QFrame::Raised);
    Frame3D1->setGeometry(0, 0, width, height);

    tabTelefon = Named(new HeaderGrid({QString(), QStringLiteral("Name"), QStringLiteral("Handynummer")}, true, Frame3D1),
                       QStringLiteral("tabTelefon"), QStringLiteral("Telefonliste"));
    tabTelefon->setSelectionBehavior(QAbstractItemView::SelectRows);
    tabTelefon->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    tabTelefon->setColumnWidthsTwips({kColumnWidth[0], kColumnWidth[1], kColumnWidth[2]});
    tabTelefon->setCurrentRow(1);

    // Input row above the grid: OK over the number column, the fields over their columns.
    const int inputTop = margin;
    const int inputHigh = twips::toPx(kInputHigh);
    const int cellLeft = margin + tabTelefon->frameWidth();
    const int nameLeft = cellLeft + tabTelefon->columnWidth(0);
    const int nrLeft = nameLeft + tabTelefon->columnWidth(1);
    cmdOK = Named(new QPushButton(QStringLiteral("OK"), Frame3D1), QStringLiteral("cmdOK"));
    cmdOK->setGeometry(margin, inputTop, nameLeft - margin - 2, inputHigh);
    edName = Named(new QLineEdit(Frame3D1), QStringLiteral("edName"));
    edName->setAccessibleName(QStringLiteral("Name"));
    edName->setPlaceholderText(QStringLiteral("Name"));
    edName->setGeometry(nameLeft, inputTop, tabTelefon->columnWidth(1) - 2, inputHigh);
    edNr = Named(new QLineEdit(Frame3D1), QStringLiteral("edNr"));
    edNr->setAccessibleName(QStringLiteral("Handynummer"));
    edNr->setPlaceholderText(QStringLiteral("Handynummer"));
    edNr->setGeometry(nrLeft, inputTop, tabTelefon->columnWidth(2), inputHigh);

    const int buttonHigh = twips::toPx(kButtonHigh);
    const int buttonTop = height - margin - buttonHigh;
    const int gridTop = inputTop + inputHigh + gap;
    tabTelefon->setGeometry(margin, gridTop, width - 2 * margin, buttonTop - gap - gridTop);

    // One row of buttons across the full width; "&Schließen" ends it on the right.
    const int buttonWide = (width - 2 * margin - (kButtonCount - 1) * gap) / kButtonCount;
    const int buttonStep = (width - 2 * margin - buttonWide) / (kButtonCount - 1);
    const auto button = [&](const QString &name, const QString &caption, int index) {
        auto *b = Named(new QPushButton(caption, Frame3D1), name);
        b->setGeometry(margin + index * buttonStep, buttonTop, buttonWide, buttonHigh);
        return b;
    };
    cmdInfo = button(QStringLiteral("cmdInfo"), QStringLiteral("S&uchen"), 0);
    cmdInfo->setToolTip(QStringLiteral("Ordner der Telefonliste wählen"));
    cmdNew = button(QStringLiteral("cmdNew"), QStringLiteral("&Neu"), 1);
    cmdEdit = button(QStringLiteral("cmdEdit"), QStringLiteral("&Bearbeiten"), 2);
    cmdDel = button(QStringLiteral("cmdDel"), QStringLiteral("&Löschen"), 3);
    cmdEsc = button(QStringLiteral("cmdEsc"), QStringLiteral("&Schließen"), 4);

    lstTelNr = Named(new QListWidget(Frame3D1), QStringLiteral("lstTelNr"));
    lstTelNr->setAccessibleName(QStringLiteral("Sortierte Einträge"));
    lstTelNr->hide();

    cmdOK->setDefault(true);
    showInput(false);

    setTabOrder(edName, edNr);
    setTabOrder(edNr, cmdOK);
    setTabOrder(cmdOK, tabTelefon);
    setTabOrder(tabTelefon, cmdInfo);
    setTabOrder(cmdInfo, cmdNew);
    setTabOrder(cmdNew, cmdEdit);
    setTabOrder(cmdEdit, cmdDel);
    setTabOrder(cmdDel, cmdEsc);

    connect(cmdOK, &QPushButton::clicked, this, &frmTelNr::cmdOK_Click);
    connect(cmdNew, &QPushButton::clicked, this, &frmTelNr::cmdNew_Click);
    connect(cmdEdit, &QPushButton::clicked, this, &frmTelNr::cmdEdit_Click);
    connect(cmdDel, &QPushButton::clicked, this, &frmTelNr::cmdDel_Click);
    connect(cmdInfo, &QPushButton::clicked, this, &frmTelNr::cmdInfo_Click);
    connect(cmdEsc, &QPushButton::clicked, this, &frmTelNr::cmdEsc_Click);
    connect(tabTelefon, &QTableWidget::cellClicked, this, [this](int row, int) { tabTelefon_Click(row); });

    setFixedSize(width, height);
}

frmTelNr &frmTelNr::Instance(QWidget *parent)
{
    if (!s_loaded) {
        s_loaded = new frmTelNr(parent);
        s_loaded->m_byInstance = true;
    }
    return *s_loaded;
}

frmTelNr *frmTelNr::Loaded()
{
    return s_loaded.data();
}

int frmTelNr::ShowModal()
{
    Activate();
    return exec();
}

void frmTelNr::Activate()
{
    DataChanged = false;
    if (QFileInfo(platform::workFile(kPhoneListFileName)).isFile())
        PhListOpen();
    else
        platform::dialogs().message(kNoNumbersSaved);
}

void frmTelNr::PhListOpen()
{
    // In the working folder, wherever the last file dialog went; a stored folder that has
    // gone away is passed over for the one the program started in.
    const QString path = platform::workFile(kPhoneListFileName);
    lstTelNr->clear();
    if (!QFileInfo(path).isFile()) {
        platform::dialogs().message(kNoListFound);
        return;
    }
    // One box with the reason for a file that cannot be read or is out of bounds; the grid keeps
    // what it held.
    QStringList lines;
    QString error;
    if (!PhoneListReadFile(path, lines, &m_encoding, &error)) {
        platform::dialogs().message(error, MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    // Sorted as the hidden sorted list box did; the list box itself is left empty, as a
    // second copy of a long list costs memory and nothing reads it.
    QStringList sorted = PhoneListUsableSorted(lines);
    lines = QStringList();
    const int n = int(sorted.size());
    if (n == 0) {
        platform::dialogs().message(kListEmpty);
        return;
    }

    tabTelefon->setRowCount(n + 1);
    for (int r = 1; r <= n; ++r) {
        // A line without ";" is all number. Its name cell is emptied rather than left as it
        // was: an old name there would stand beside someone else's number, and the send
        // window and the next save would take the pair for an entry.
        const PhoneRow entry = PhoneListSplit(std::exchange(sorted[r - 1], QString()));
        tabTelefon->setCell(r, 0, QString::number(r));
        tabTelefon->setCell(r, 1, entry.name);
        tabTelefon->setCell(r, 2, entry.number);
    }
    if (tabTelefon->currentRow() < 1)
        tabTelefon->setCurrentRow(1);
}

void frmTelNr::PhListSave()
{
    saveList();
}

bool frmTelNr::saveList()
{
    const QString path = platform::workFile(kPhoneListFileName);
    platform::settings().set(keys::MyDir, QDir::toNativeSeparators(platform::workFolder()));

    QList<QPair<QString, QString>> rows;
    for (int r = 1; r < tabTelefon->rowCount(); ++r)
        rows.append({tabTelefon->cell(r, 1), tabTelefon->cell(r, 2)});
    const QStringList lines = PhoneListLinesForSave(std::exchange(rows, {}));
    QString error;
    if (PhoneListWriteFile(path, lines, &error, m_encoding))
        return true;
    platform::dialogs().message(kSaveFailed.arg(QDir::toNativeSeparators(path), error), MsgButtons::Ok,
                                MsgIcon::Exclamation);
    return false;
}

void frmTelNr::cmdNew_Click()
{
    tabTelefon->appendRow();
    showInput(true);
    edName->clear();
    edNr->clear();
    edName->setFocus();
    DataChanged = true;
}

void frmTelNr::cmdEdit_Click()
{
    const int r = tabTelefon->currentEntryRow();
    showInput(true);
    edName->setText(tabTelefon->cell(r, 1));
    edNr->setText(tabTelefon->cell(r, 2));
    edName->setFocus();
    DataChanged = true;
}

void frmTelNr::tabTelefon_Click(int row)
{
    if (row < 1)
        return; // the header row
    DataChanged = true;
    cmdEdit_Click();
}

void frmTelNr::cmdOK_Click()
{
    // A ";" in the name would come back from the file as part of the number.
    const QString refusal = PhoneListEntryRefusal(edName->text(), edNr->text(), m_encoding);
    if (!refusal.isEmpty()) {
        platform::dialogs().message(refusal, MsgButtons::Ok, MsgIcon::Exclamation);
        edName->setFocus();
        return;
    }
    const int r = tabTelefon->currentEntryRow();
    if (r >= 1) {
        tabTelefon->setCell(r, 1, edName->text());
        tabTelefon->setCell(r, 2, edNr->text());
    }
    showInput(false);
    tabTelefon->setFocus();
    DataChanged = true;
}

void frmTelNr::cmdDel_Click()
{
    const int r = tabTelefon->currentEntryRow();
    if (r < 1)
        return;
    const QString question = QStringLiteral("Eintrag ") + tabTelefon->cell(r, 1) + QStringLiteral(" wirklich löschen?");
    if (platform::dialogs().message(question, MsgButtons::YesNo, MsgIcon::Information) != MsgAnswer::Yes)
        return;
    // The rows below move up; the row count stays, so the last row is left empty and the
    // next save writes no line for it.
    const int last = tabTelefon->rowCount() - 1;
    for (int i = r; i < last; ++i) {
        tabTelefon->setCell(i, 1, tabTelefon->cell(i + 1, 1));
        tabTelefon->setCell(i, 2, tabTelefon->cell(i + 1, 2));
    }
    tabTelefon->setCell(last, 1, QString());
    tabTelefon->setCell(last, 2, QString());
    // Otherwise a confirmed delete followed by "&Schließen" would vanish without a question.
    DataChanged = true;
}

void frmTelNr::cmdInfo_Click()
{
    // Only the folder matters: a confirmed choice makes it the working folder. A cancelled
    // dialog leaves the working folder as it was.
    const QString chosen = platform::dialogs().chooseFile(
        FileRequest{QStringLiteral("Telefonliste suchen"),
                    QStringLiteral("Telefonliste (*.lst)|*.lst|Alle Dateien (*.*)|*.*")});
    if (!chosen.isEmpty())
        platform::settings().set(keys::MyDir, QDir::toNativeSeparators(QFileInfo(chosen).absolutePath()));
}

void frmTelNr::cmdEsc_Click()
{
    if (DataChanged &&
        platform::dialogs().message(kAskSave, MsgButtons::YesNo, MsgIcon::Question) == MsgAnswer::Yes &&
        !saveList())
        return; // stays open: hiding now would lose the changes at the next showing, which re-reads the file
    m_hiding = true;
    QDialog::done(QDialog::Rejected);
    m_hiding = false;
}

void frmTelNr::reject()
{
    cmdEsc_Click();
}

void frmTelNr::closeEvent(QCloseEvent *e)
{
    e->accept();
    if (m_hiding)
        return;
    // The close box discards the window with its grid; changes are not lost unasked. Yes
    // saves as "S&chließen" does, No discards, Cancel (or a failed save) keeps it open.
    if (DataChanged) {
        const MsgAnswer a = platform::dialogs().message(kAskSave, MsgButtons::YesNoCancel, MsgIcon::Question);
        if (a == MsgAnswer::Cancel || (a == MsgAnswer::Yes && !saveList())) {
            e->ignore();
            return;
        }
    }
    if (s_loaded == this)
        s_loaded = nullptr;
    if (m_byInstance)
        deleteLater();
}

void frmTelNr::showInput(bool on)
{
    cmdOK->setVisible(on);
    edName->setVisible(on);
    edNr->setVisible(on);
}

