#include "text/frmUmlaute.h"

#include "platform/CodePage.h"
#include "platform/ControlName.h"
#include "platform/HeaderGrid.h"
#include "platform/Platform.h"
#include "platform/Twips.h"
#include "text/TextFile.h"
#include "text/UmlautTable.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

QString UmlautFilePath()
{
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\temp\\Umlaut.ini");
#else
    // Beside the settings, so the table follows them wherever XDG_CONFIG_HOME points.
    return platform::settings().folder() + QStringLiteral("/Umlaut.ini");
#endif
}

QPointer<frmUmlaute> frmUmlaute::s_instance;

namespace {

const QString kCodeRefused =
    QStringLiteral("Die Codes 010, 013, 032 und 059 (Zeilenumbruch, Leerzeichen und \";\") lassen sich in der "
                   "Tabelle nicht speichern.");
const QString kSeparatorRefused =
    QStringLiteral("\";\" trennt die Einträge der Tabellendatei und kann nicht als Zeichen eingetragen werden.");
const QString kRowsLeftOut =
    QStringLiteral("Die Tabelle nimmt höchstens 11 Zeichenpaare auf.\nNicht gespeichert: Zeile %1.");
const QString kSaveFailed = QStringLiteral("Die Tabelle konnte nicht gespeichert werden.\n\n%1\n%2\n\n"
                                           "Die bisherige Datei ist unverändert geblieben.");

// Geometry in twips: the window is 8010 wide, with the grid on the left and the help on the right.
constexpr int kWidth = 8010;
constexpr int kMargin = 240;
constexpr int kTitleTop = 120;
constexpr int kTitleHigh = 360;
constexpr int kGridTop = 600;
constexpr int kGridWidth = 3240;
constexpr int kRowHigh = 240;
constexpr int kRightLeft = kMargin + kGridWidth + kMargin;
constexpr int kRightWidth = kWidth - kRightLeft - kMargin;
constexpr int kButtonWide = 1500;
constexpr int kButtonHigh = 375;
constexpr int kGridRows = 1 + kUmlautRows;

} // namespace

frmUmlaute::frmUmlaute(QWidget *parent, const QString &path)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_path(path.isEmpty() ? UmlautFilePath() : path)
{
    setObjectName(QStringLiteral("frmUmlaute"));
    setAccessibleDescription(QStringLiteral("frmUmlaute"));
    setWindowTitle(QStringLiteral("Special characters"));

    Label1 =
        Named(new QLabel(QStringLiteral("Conversion of special characters for SMS"), this), QStringLiteral("Label1"));
    QFont titleFont = Label1->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.2);
    Label1->setFont(titleFont);
    Label1->setGeometry(twips::rect(kMargin, kTitleTop, kWidth - 2 * kMargin, kTitleHigh));

    grdUmlaute = Named(new HeaderGrid({QStringLiteral("Character"), QStringLiteral("Substitution")}, false, this),
                       QStringLiteral("grdUmlaute"), QStringLiteral("Ersetzungstabelle"));
    grdUmlaute->setRowCount(kGridRows);
    grdUmlaute->verticalHeader()->setMinimumSectionSize(1);
    grdUmlaute->verticalHeader()->setDefaultSectionSize(twips::toPx(kRowHigh));
    grdUmlaute->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grdUmlaute->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Tall enough for all 25 rows, so no scroll bar takes room from the two columns.
    const int gridHigh = kGridRows * twips::toPx(kRowHigh) + 2 * grdUmlaute->frameWidth();
    grdUmlaute->setGeometry(twips::toPx(kMargin), twips::toPx(kGridTop), twips::toPx(kGridWidth), gridHigh);
    grdUmlaute->installEventFilter(this);

    const auto helpLabel = [this](const QString &name, int top, int high) {
        auto *label = Named(new QLabel(this), name);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setGeometry(twips::rect(kRightLeft, top, kRightWidth, high));
        return label;
    };
    Label2 = helpLabel(QStringLiteral("Label2"), kGridTop, 720);
    Label3 = helpLabel(QStringLiteral("Label3"), kGridTop + 840, 1680);
    Label4 = helpLabel(QStringLiteral("Label4"), kGridTop + 2640, 480);
    QFont charsFont = Label4->font();
    charsFont.setPointSizeF(charsFont.pointSizeF() * 1.5);
    Label4->setFont(charsFont);

    const int bottom = twips::toPx(kGridTop) + gridHigh;
    const int buttonTop = bottom - twips::toPx(kButtonHigh);
    const int closeLeft = twips::toPx(kWidth - kMargin - kButtonWide);
    cmdSave = Named(new QPushButton(QStringLiteral("Save data"), this), QStringLiteral("cmdSave"));
    cmdSave->setGeometry(closeLeft - twips::toPx(kButtonWide + 120), buttonTop, twips::toPx(kButtonWide),
                         twips::toPx(kButtonHigh));
    cmdClose = Named(new QPushButton(QStringLiteral("Close"), this), QStringLiteral("cmdClose"));
    cmdClose->setGeometry(closeLeft, buttonTop, twips::toPx(kButtonWide), twips::toPx(kButtonHigh));
    cmdSave->setAutoDefault(false);
    cmdClose->setAutoDefault(false);

    setTabOrder(grdUmlaute, cmdSave);
    setTabOrder(cmdSave, cmdClose);
    connect(cmdSave, &QPushButton::clicked, this, &frmUmlaute::cmdSave_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);

    setFixedSize(twips::toPx(kWidth), bottom + twips::toPx(kMargin));

    GridBuild();
    UmlautLoad();
    Label2->setText(QStringLiteral("For sending special characters in a SMS it is necessary ") +
                    QStringLiteral("to substitute the characters on PC with GSM characters"));
    Label3->setText(
        QStringLiteral("In the left col is the PC typed character, in the right the relative substitution. ") +
        QStringLiteral("Please enter the char right by typing 3 numbers, ") +
        QStringLiteral("(e.g. 231) and a cryptic letter will appear.") +
        QStringLiteral("This cryptic letter is a correct character in SMS-text"));
    grdUmlaute->setCurrentCell(1, 0);
}

frmUmlaute &frmUmlaute::Instance(QWidget *parent)
{
    if (!s_instance)
        s_instance = new frmUmlaute(parent);
    return *s_instance;
}

void frmUmlaute::GridBuild()
{
    for (int r = 0; r < grdUmlaute->rowCount(); ++r)
        for (int c = 0; c < 2; ++c)
            grdUmlaute->setCell(r, c, QString());
    const int column = static_cast<int>(std::lround(kGridWidth / 2.0 - 10));
    grdUmlaute->setCell(0, 0, QStringLiteral("Character"));
    grdUmlaute->setColumnWidth(0, twips::toPx(column));
    grdUmlaute->setCell(0, 1, QStringLiteral("Substitution"));
    grdUmlaute->setColumnWidth(1, twips::toPx(column));
}

void frmUmlaute::UmlautLoad()
{
    // No file yet, or no folder: the table starts empty. A file that cannot be the table gets
    // one message, and all lines passed over share one box.
    QStringList lines;
    QString refusal;
    if (!UmlautReadFile(m_path, lines, &refusal) && !refusal.isEmpty())
        platform::dialogs().message(refusal, MsgButtons::Ok, MsgIcon::Exclamation);
    const UmlautLoaded loaded = UmlautLoadLines(lines);
    if (!loaded.badLines.isEmpty())
        platform::dialogs().message(UmlautBadLinesText(loaded.badLines), MsgButtons::Ok, MsgIcon::Exclamation);
    for (int i = 0; i < loaded.rows.size(); ++i) {
        grdUmlaute->setCell(i + 1, 0, loaded.rows[i].pc);
        grdUmlaute->setCell(i + 1, 1, loaded.rows[i].gsm);
    }
    QString chars;
    for (int r = 1; r < grdUmlaute->rowCount() && !grdUmlaute->cell(r, 0).isEmpty(); ++r)
        chars += grdUmlaute->cell(r, 0);
    Label4->setText(chars);
}

int frmUmlaute::UmlautCollect()
{
    QList<UmlautPair> rows;
    for (int r = 1; r < grdUmlaute->rowCount(); ++r)
        rows.append({grdUmlaute->cell(r, 0), grdUmlaute->cell(r, 1)});
    const UmlautCollection c = UmlautCollectPairs(rows);
    UmlautPc = QStringList(kUmlautMaxPairs, QString());
    UmlautGsm = QStringList(kUmlautMaxPairs, QString());
    for (int i = 0; i < c.pairs.size(); ++i) {
        UmlautPc[i] = c.pairs[i].pc;
        UmlautGsm[i] = c.pairs[i].gsm;
    }
    m_leftOut = c.leftOut;
    return static_cast<int>(c.pairs.size());
}

void frmUmlaute::cmdSave_Click()
{
    const int count = UmlautCollect();
    QList<UmlautPair> pairs;
    for (int i = 0; i < count; ++i)
        pairs.append({UmlautPc[i], UmlautGsm[i]});
#ifndef Q_OS_WIN
    // The settings store's own folder, which the store makes too; C:\temp on Windows is left alone.
    QDir().mkpath(QFileInfo(m_path).absolutePath());
#endif
    QString error;
    if (!TextFileWrite(m_path, {UmlautLineFromPairs(pairs)}, &error)) {
        platform::dialogs().message(kSaveFailed.arg(QDir::toNativeSeparators(m_path), error), MsgButtons::Ok,
                                    MsgIcon::Exclamation);
        return;
    }
    if (!m_leftOut.isEmpty()) {
        QStringList rows;
        for (int r : std::as_const(m_leftOut))
            rows << QString::number(r);
        platform::dialogs().message(kRowsLeftOut.arg(rows.join(QStringLiteral(", "))), MsgButtons::Ok,
                                    MsgIcon::Exclamation);
    }
}

bool frmUmlaute::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != grdUmlaute || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() == Qt::Key_Backspace) {
        grdUmlaute_KeyPress(8);
        return true;
    }
    // Delete empties the cell, as in any grid; its text is DEL (127), which must not go in.
    if (key->key() == Qt::Key_Delete) {
        if (grdUmlaute->currentRow() >= 1 && grdUmlaute->currentColumn() >= 0)
            grdUmlaute->setCell(grdUmlaute->currentRow(), grdUmlaute->currentColumn(), QString());
        return true;
    }
    // Arrows, Tab, Enter and Esc keep their usual meaning; a typed character is ours.
    const QString text = key->text();
    if (text.isEmpty() || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab || key->key() == Qt::Key_Escape ||
        key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        return QDialog::eventFilter(watched, event);
    for (const QChar c : text)
        grdUmlaute_KeyPress(codepage::byteOf(c));
    return true;
}

void frmUmlaute::grdUmlaute_KeyPress(int k)
{
    const int row = grdUmlaute->currentRow();
    const int column = grdUmlaute->currentColumn();
    if (row < 1 || column < 0)
        return;
    QString text = grdUmlaute->cell(row, column);
    switch (UmlautApplyKey(text, column, k)) {
    case UmlautKey::Ignored:
        return;
    case UmlautKey::Changed:
        break;
    case UmlautKey::RefusedSubstitute:
        platform::dialogs().message(kCodeRefused, MsgButtons::Ok, MsgIcon::Exclamation);
        break;
    case UmlautKey::RefusedSeparator:
        platform::dialogs().message(kSeparatorRefused, MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    grdUmlaute->setCell(row, column, text);
}

