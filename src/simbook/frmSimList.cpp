#include "simbook/frmSimList.h"

#include "comm/ModemLink.h"
#include "modem/ModemTask.h"
#include "phonelist/PhoneListFile.h"
#include "phonelist/PhoneListFormat.h"
#include "platform/ControlName.h"
#include "platform/Platform.h"
#include "platform/Twips.h"
#include "simbook/SimListGrid.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>

#include <algorithm>
#include <utility>

namespace {

const QString kAskSave = QStringLiteral("Daten geändert. Abspeichern?");
const QString kListEmpty = QStringLiteral("Telefonliste leer");
const QString kFilter = QStringLiteral("Telefonliste (*.LST)|*.lst|Alle Dateien (*.*)|*.*");
const QString kSaveFailed = QStringLiteral("Die Telefonliste konnte nicht gespeichert werden.\n\n%1\n%2");
const QString kOldFileKept = QStringLiteral("\n\nDie bisherige Datei ist unverändert geblieben.");

// Geometry in twips.
constexpr int kOuterWidth = 6570;
constexpr int kOuterHeight = 6515;
constexpr int kTitleBarPx = 30;
constexpr int kMargin = 120;
constexpr int kGap = 90;
constexpr int kLineHigh = 315;
constexpr int kInputHigh = 330;
constexpr int kButtonHigh = 375;
constexpr int kLabelWide = 3700;
constexpr int kCountWide = 700;

int px(int tw) { return twips::toPx(tw); }

// The longest the status line says in the usual range of a SIM card (up to 999 locations).
const QString kLongestPlatz = QStringLiteral("Eintrag 888 von 888 – angehalten");

} // namespace

frmSimList::frmSimList(ModemLink &link, QWidget *parent) : QWidget(parent), m_link(link)
{
    Named(this, QStringLiteral("frmSimList"));
    setWindowTitle(QStringLiteral("Telefonliste aus SIM-Card"));

    lblAnzahl = Named(new QLabel(QStringLiteral("Anzahl der Telefonnummern auf der Sim-Card"), this),
                      QStringLiteral("lblAnzahl"));
    edTZahl = Named(new QLineEdit(QStringLiteral("100"), this), QStringLiteral("edTZahl"),
                    QStringLiteral("Anzahl der Telefonnummern auf der Sim-Card"));
    lblAnzahl->setBuddy(edTZahl);
    // No fixed accessible name: a screen reader reads the current text.
    lblPlatz = Named(new QLabel(this), QStringLiteral("lblPlatz"));

    m_grid = new SimListGrid(this);
    tabTelefon = m_grid;

    cmdOK = Named(new QPushButton(QStringLiteral("OK"), this), QStringLiteral("cmdOK"));
    edName = Named(new QLineEdit(this), QStringLiteral("edName"), QStringLiteral("Name"));
    edName->setPlaceholderText(QStringLiteral("Name"));
    edNr = Named(new QLineEdit(this), QStringLiteral("edNr"), QStringLiteral("Handynummer"));
    edNr->setPlaceholderText(QStringLiteral("Handynummer"));

    const auto button = [this](const char *name, const QString &caption) {
        return Named(new QPushButton(caption, this), QString::fromLatin1(name));
    };
    cmdEsc = button("cmdEsc", QStringLiteral("S&chließen"));
    cmdNew = button("cmdNew", QStringLiteral("&Neuer Eintrag"));
    cmdEdit = button("cmdEdit", QStringLiteral("&Bearbeiten"));
    cmdDel = button("cmdDel", QStringLiteral("&Löschen"));
    cmdReadOut = button("cmdReadOut", QStringLiteral("SIM-&Auslesen"));
    cmdWrite = button("cmdWrite", QStringLiteral("S&IM-Schreiben"));
    cmdOpen = button("cmdOpen", QStringLiteral("PC-Ö&ffnen"));
    cmdPcSave = button("cmdPcSave", QStringLiteral("&PC-Speichern"));

    lstTelNr = Named(new QListWidget(this), QStringLiteral("lstTelNr"), QStringLiteral("Sortierte Einträge"));
    lstTelNr->hide();
    showInput(false);

    setTabOrder(edTZahl, edName);
    setTabOrder(edName, edNr);
    setTabOrder(edNr, cmdOK);
    setTabOrder(cmdOK, tabTelefon);
    setTabOrder(tabTelefon, cmdEsc);
    setTabOrder(cmdEsc, cmdNew);
    setTabOrder(cmdNew, cmdEdit);
    setTabOrder(cmdEdit, cmdDel);
    setTabOrder(cmdDel, cmdReadOut);
    setTabOrder(cmdReadOut, cmdWrite);
    setTabOrder(cmdWrite, cmdOpen);
    setTabOrder(cmdOpen, cmdPcSave);

    // The window has no dialog default button: Enter in either input field is "OK".
    connect(edName, &QLineEdit::returnPressed, this, &frmSimList::cmdOK_Click);
    connect(edNr, &QLineEdit::returnPressed, this, &frmSimList::cmdOK_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmSimList::cmdOK_Click);
    connect(cmdNew, &QPushButton::clicked, this, &frmSimList::cmdNew_Click);
    connect(cmdEdit, &QPushButton::clicked, this, &frmSimList::cmdEdit_Click);
    connect(cmdDel, &QPushButton::clicked, this, &frmSimList::cmdDel_Click);
    connect(cmdEsc, &QPushButton::clicked, this, &QWidget::close);
    connect(cmdReadOut, &QPushButton::clicked, this, &frmSimList::SimReadOut);
    connect(cmdWrite, &QPushButton::clicked, this, &frmSimList::SimWrite);
    connect(cmdOpen, &QPushButton::clicked, this, &frmSimList::cmdOpen_Click);
    connect(cmdPcSave, &QPushButton::clicked, this, &frmSimList::cmdPcSave_Click);
    connect(tabTelefon, &QTableWidget::cellClicked, this, [this](int row, int) { tabTelefon_Click(row); });

    m_book.onStep = [this](int step, int count) {
        lblPlatz->setText(QStringLiteral("%1 %2 von %3").arg(m_unit).arg(step).arg(count));
    };
    m_book.onCount = [this](int count) { m_grid->setRowCount(count + 1); };
    m_book.onEntry = [this](int location, const SimBookEntry &entry) {
        const SimListRow row{entry.text, entry.number, entry.index};
        m_grid->setEntry(location, location, row);
        m_card.known = location;
        if (!row.name.isEmpty() || !row.number.isEmpty())
            m_card.entries.insert(location, row);
    };
    m_book.onConfirm = [this](const SimWritePlan &plan) { return confirmWrite(plan); };
    m_book.onWritten = [this](const SimWriteStep &step) { written(step); };

    setMinimumSize(minimumSizeHint());
    resize(minimumSize().expandedTo(QSize(px(kOuterWidth), px(kOuterHeight) - kTitleBarPx)));
}

frmSimList::~frmSimList() = default;

void frmSimList::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    arrange();
}

// Top to bottom: the count, the input row over the grid's columns, the grid, two rows of
// buttons, and the line that says where a read-out or write is. The grid takes what is left.
void frmSimList::arrange()
{
    const int margin = px(kMargin);
    const int gap = px(kGap);
    const int inner = width() - 2 * margin;

    const int lineHigh = px(kLineHigh);
    const int labelWide = labelWidth();
    lblAnzahl->setGeometry(margin, margin, labelWide, lineHigh);
    edTZahl->setGeometry(margin + labelWide + gap, margin, px(kCountWide), lineHigh);

    const int inputTop = margin + lineHigh + gap;
    const int inputHigh = px(kInputHigh);
    const int nameLeft = margin + tabTelefon->frameWidth() + tabTelefon->columnWidth(0);
    const int nrLeft = nameLeft + tabTelefon->columnWidth(1);
    cmdOK->setGeometry(margin, inputTop, nameLeft - margin - 2, inputHigh);
    edName->setGeometry(nameLeft, inputTop, tabTelefon->columnWidth(1) - 2, inputHigh);
    edNr->setGeometry(nrLeft, inputTop, tabTelefon->columnWidth(2) - 2, inputHigh);

    // From the bottom up: the status line over the full width, so "Platz 100 von 100 – fertig"
    // is never cut, then the buttons.
    const int buttonHigh = px(kButtonHigh);
    const int platzTop = height() - margin - lineHigh;
    lblPlatz->setGeometry(margin, platzTop, inner, lineHigh);
    const int secondRow = platzTop - gap - buttonHigh;
    const int firstRow = secondRow - gap - buttonHigh;
    const int gridTop = inputTop + inputHigh + gap;
    tabTelefon->setGeometry(margin, gridTop, inner, firstRow - gap - gridTop);

    const int buttonWide = (inner - 3 * gap) / 4;
    QPushButton *const rowsOfButtons[2][4] = {{cmdEsc, cmdNew, cmdEdit, cmdDel},
                                              {cmdReadOut, cmdWrite, cmdOpen, cmdPcSave}};
    for (int r = 0; r < 2; ++r) {
        for (int i = 0; i < 4; ++i)
            rowsOfButtons[r][i]->setGeometry(margin + i * (buttonWide + gap), r == 0 ? firstRow : secondRow,
                                             buttonWide, buttonHigh);
    }
}

int frmSimList::labelWidth() const
{
    return std::max(px(kLabelWide), lblAnzahl->sizeHint().width());
}

// The smallest size at which every control shows whole: the count row, the input fields over
// their columns, the grid's four columns with a header and four rows, each button's caption, and
// the status line.
QSize frmSimList::minimumSizeHint() const
{
    const int margin = px(kMargin);
    const int gap = px(kGap);
    int buttonWide = 0;
    for (const QPushButton *b : {cmdEsc, cmdNew, cmdEdit, cmdDel, cmdReadOut, cmdWrite, cmdOpen, cmdPcSave})
        buttonWide = std::max(buttonWide, b->sizeHint().width());
    int columns = tabTelefon->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, tabTelefon);
    for (int c = 0; c < tabTelefon->columnCount(); ++c)
        columns += tabTelefon->columnWidth(c);
    const int wide = std::max({labelWidth() + gap + px(kCountWide), 2 * tabTelefon->frameWidth() + columns,
                               4 * buttonWide + 3 * gap, lblPlatz->fontMetrics().horizontalAdvance(kLongestPlatz)});
    const int gridHigh = 2 * tabTelefon->frameWidth() + 5 * tabTelefon->verticalHeader()->defaultSectionSize();
    const int high =
        px(kLineHigh) + gap + px(kInputHigh) + gap + gridHigh + 3 * gap + 2 * px(kButtonHigh) + px(kLineHigh);
    return {2 * margin + wide, 2 * margin + high};
}

bool frmSimList::busy() const { return ModemTask::runsFor(m_link, this); }

void frmSimList::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    if (!m_shownHold)
        m_shownHold.emplace(m_link);
}

void frmSimList::closeEvent(QCloseEvent *e)
{
    // Kept, not destroyed: the grid is there at the next showing, and a run still waiting for
    // the modem goes on in this object until its next command.
    e->ignore();
    if (m_askingToSave || !mayClose())
        return;
    hide();
    m_shownHold.reset();
    // A run still waiting for the modem ends before its next command.
    ModemTask::cancelFor(m_link, this);
}

bool frmSimList::mayClose()
{
    if (!DataChanged)
        return true;
    m_askingToSave = true;
    const MsgAnswer answer = platform::dialogs().message(kAskSave, MsgButtons::YesNoCancel, MsgIcon::Question);
    // Yes closes only once the list is saved: a cancelled dialog or a failed save keeps the window.
    const bool close = answer == MsgAnswer::No || (answer == MsgAnswer::Yes && cmdPcSave_Click());
    m_askingToSave = false;
    return close;
}

void frmSimList::SimReadOut()
{
    ModemTask task(m_link, this, windowTitle());
    if (!task)
        return;
    setRunning(true, QStringLiteral("Platz"));
    // The grid is filled anew: what was known of the card and the deletions go with the old one.
    m_card = {};
    m_deleted.clear();
    const SimRunResult result = m_book.readOut(task, edTZahl->text());
    setRunning(false, {});
    showEnd(result, QStringLiteral("Platz"));
    if (tabTelefon->currentRow() < 1)
        m_grid->setCurrentRow(1);
}

void frmSimList::SimWrite()
{
    ModemTask task(m_link, this, windowTitle());
    if (!task)
        return;
    setRunning(true, QStringLiteral("Eintrag"));
    const SimRunResult result = m_book.write(task, PlanSimWrite(m_grid->entries(), m_card, m_deleted));
    setRunning(false, {});
    showEnd(result, QStringLiteral("Eintrag"));
}

bool frmSimList::confirmWrite(const SimWritePlan &plan)
{
    return platform::dialogs().message(SimWriteQuestion(plan), MsgButtons::YesNo, MsgIcon::Question) == MsgAnswer::Yes;
}

// The card now holds what the step wrote. A row that went to a free location shows it, so the
// next write changes it there instead of adding it again; the user may have edited the grid
// meanwhile, so only a row that still holds what was written is touched.
void frmSimList::written(const SimWriteStep &step)
{
    const int r = step.row + 1;
    const bool sameRow =
        step.row >= 0 && r < m_grid->rowCount() && m_grid->cell(r, 1) == step.name && m_grid->cell(r, 2) == step.number;
    if (step.kind == SimWriteStep::Kind::Clear) {
        m_card.cleared(step.location);
        m_deleted.removeAll(step.location);
        if (sameRow && SimLocationOf(m_grid->cell(r, 3)) == step.location)
            m_grid->setCell(r, 3, QString());
        return;
    }
    m_card.wrote(step.location, {step.name, step.number, {}});
    if (step.location > 0 && sameRow && m_grid->cell(r, 3).isEmpty())
        m_grid->setCell(r, 3, QString::number(step.location));
}

void frmSimList::setRunning(bool on, const QString &unit)
{
    m_unit = unit;
    // A second run would share the port's input with this one; a list file opened now would
    // be overwritten by the rows still to come.
    cmdReadOut->setEnabled(!on);
    cmdWrite->setEnabled(!on);
    cmdOpen->setEnabled(!on);
    if (on)
        lblPlatz->clear();
}

void frmSimList::showEnd(const SimRunResult &result, const QString &unit)
{
    using End = SimRunResult::End;
    if (result.end == End::NotStarted || (result.end == End::Done && result.count == 0)) {
        lblPlatz->clear();
        return;
    }
    if (result.step == 0) {
        lblPlatz->setText(QStringLiteral("Abbruch"));
        return;
    }
    const QString outcome = result.end == End::Done     ? QStringLiteral("fertig")
                            : result.end == End::Failed ? QStringLiteral("Abbruch")
                                                        : QStringLiteral("angehalten");
    lblPlatz->setText(QStringLiteral("%1 %2 von %3 – %4").arg(unit).arg(result.step).arg(result.count).arg(outcome));
}

void frmSimList::cmdNew_Click()
{
    m_grid->appendRow();
    showInput(true);
    edName->clear();
    edNr->clear();
    edName->setFocus();
    DataChanged = true;
}

void frmSimList::cmdEdit_Click()
{
    const SimListRow entry = m_grid->entry(m_grid->currentEntryRow());
    showInput(true);
    edName->setText(entry.name);
    edNr->setText(entry.number);
    edName->setFocus();
    DataChanged = true;
}

void frmSimList::tabTelefon_Click(int row)
{
    if (row < 1)
        return; // the header row
    DataChanged = true;
    cmdEdit_Click();
}

void frmSimList::cmdOK_Click()
{
    if (cmdOK->isHidden())
        return; // Enter in a field of a closed input row
    const QString refusal = SimListEntryRefusal(edName->text(), edNr->text(), m_encoding);
    if (!refusal.isEmpty()) {
        platform::dialogs().message(refusal, MsgButtons::Ok, MsgIcon::Exclamation);
        edName->setFocus();
        return;
    }
    const int r = m_grid->currentEntryRow();
    if (r >= 1) {
        m_grid->setCell(r, 1, edName->text());
        m_grid->setCell(r, 2, edNr->text());
    }
    showInput(false);
    tabTelefon->setFocus();
    DataChanged = true;
}

void frmSimList::cmdDel_Click()
{
    const int r = m_grid->currentEntryRow();
    if (r < 1)
        return;
    const QString question = QStringLiteral("Eintrag ") + m_grid->cell(r, 1) + QStringLiteral(" wirklich löschen?");
    if (platform::dialogs().message(question, MsgButtons::YesNo, MsgIcon::Information) != MsgAnswer::Yes)
        return;
    // The card keeps the entry until the next write clears its location.
    if (const int location = SimLocationOf(m_grid->cell(r, 3)); location > 0)
        m_deleted.append(location);
    // The rows below move up; the row count and the row numbers stay, so the last row is left
    // empty and saving writes no line for it.
    const int last = m_grid->rowCount() - 1;
    for (int i = r; i < last; ++i)
        m_grid->setEntry(i, m_grid->entry(i + 1));
    m_grid->setEntry(last, {});
    // Otherwise a confirmed delete followed by "S&chließen" would pass without the save question.
    DataChanged = true;
}

void frmSimList::cmdOpen_Click()
{
    const QString name = platform::dialogs().chooseFile(FileRequest{QStringLiteral("Telefonliste öffnen"), kFilter});
    if (name.isEmpty())
        return;
    // One box with the reason for a file that cannot be read or is out of bounds.
    QStringList lines;
    QString error;
    TextEncoding encoding = TextEncoding::Windows1252;
    if (!PhoneListReadFile(name, lines, &encoding, &error)) {
        platform::dialogs().message(error, MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    // Sorted as the hidden sorted list box did; the list box itself stays empty, as a second
    // copy of a long list costs memory and nothing reads it.
    QStringList sorted = PhoneListUsableSorted(lines);
    lines = QStringList();
    const int n = int(sorted.size());
    if (n == 0) {
        platform::dialogs().message(kListEmpty);
        return;
    }
    m_encoding = encoding;
    m_deleted.clear();
    m_grid->setRowCount(n + 1);
    for (int r = 1; r <= n; ++r)
        m_grid->setEntry(r, r, SimListSplit(std::exchange(sorted[r - 1], QString())));
    if (tabTelefon->currentRow() < 1)
        m_grid->setCurrentRow(1);
}

bool frmSimList::cmdPcSave_Click()
{
    // Asked before the file is chosen: such a row would come back in the wrong columns.
    if (const QString refusal = SimListSaveRefusal(m_grid->entries(), m_encoding); !refusal.isEmpty()) {
        platform::dialogs().message(refusal, MsgButtons::Ok, MsgIcon::Exclamation);
        return false;
    }
    for (;;) {
        const QString name = platform::dialogs().chooseFile(
            FileRequest{QStringLiteral("Telefonliste speichern"), kFilter, true});
        if (name.isEmpty())
            return false;
        if (QFileInfo::exists(name)) {
            const QString question = QStringLiteral("Bestehende Datei ersetzen - ") +
                                     QDir::toNativeSeparators(name) + QStringLiteral("?");
            const MsgAnswer answer =
                platform::dialogs().message(question, MsgButtons::YesNoCancel, MsgIcon::Question);
            if (answer == MsgAnswer::Cancel)
                continue;
            if (answer != MsgAnswer::Yes)
                return false;
        }
        // The old file is replaced by the rename at the end of SimListSave, not deleted first.
        if (!SimListSave(name))
            return false;
        DataChanged = false;
        return true;
    }
}

bool frmSimList::SimListSave(const QString &fileName)
{
    const QList<SimListRow> rows = m_grid->entries();
    if (const QString refusal = SimListSaveRefusal(rows, m_encoding); !refusal.isEmpty()) {
        platform::dialogs().message(refusal, MsgButtons::Ok, MsgIcon::Exclamation);
        return false;
    }
    const bool existed = QFileInfo::exists(fileName);
    QString error;
    if (PhoneListWriteFile(fileName, SimListLinesForSave(rows), &error, m_encoding))
        return true;
    const QString text =
        kSaveFailed.arg(QDir::toNativeSeparators(fileName), error) + (existed ? kOldFileKept : QString());
    platform::dialogs().message(text, MsgButtons::Ok, MsgIcon::Exclamation);
    return false;
}

void frmSimList::showInput(bool on)
{
    cmdOK->setVisible(on);
    edName->setVisible(on);
    edNr->setVisible(on);
}
