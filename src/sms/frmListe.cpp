#include "sms/frmListe.h"

#include "comm/CommPort.h"
#include "comm/ModemLink.h"
#include "modem/ModemCommand.h"
#include "modem/ModemTask.h"
#include "platform/ControlName.h"
#include "platform/HeaderGrid.h"
#include "platform/Platform.h"
#include "platform/Twips.h"
#include "platform/WorkFolder.h"
#include "sms/ReceiveAnswers.h"
#include "sms/SmsArchive.h"
#include "sms/SmsDataFile.h"
#include "sms/frmZyklus.h"
#include "text/StringUtil.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>

namespace {

const QString kShutOff = QStringLiteral("Modemabfrage wird abgeschaltet, weil es nicht antwortet. \r\n"
                                        "Für neuen Start bitte Fensterschließen und erneut öffnen.");
const QString kTaskTitle = QStringLiteral("SMS-Datei");
const QString kBrokenOff = QStringLiteral(" abgebrochen ...");
const QString kPollingStopped = QStringLiteral(" Automatische Abfrage angehalten, „Lesen“ startet sie wieder.");
const QString kInfo = QStringLiteral("Dieses Fenster enthält eine Tabelle, in der die aktuell eingegangenen SMS  "
                                     "eingetragen sind.");
// Shown when the note above the table is clicked.
const QString kSampleNumber = QStringLiteral("+491701234567");

// Geometry in twips.
constexpr int kWindowWidth = 6950;
constexpr int kWindowHeight = 5145;
constexpr int kTableWidth = 6615;
constexpr int kColumnWidth[] = {300, 800, 800, 1400};
constexpr int kColumnsBeforeText = 300 + 800 + 800 + 1400;
constexpr int kMinInnerWidth = 5700;
constexpr int kMinInnerHeight = 2400;
constexpr int kMargin = 100;
constexpr int kButtonTop = 120;
constexpr int kButtonHigh = 420;
constexpr int kButtonGap = 120;
constexpr int kLabelTop = 660;
constexpr int kLabelHigh = 300;
constexpr int kTableTop = 1080;
constexpr int kStatusHigh = 360;

const char *const kHeaders[] = {"Nr", "Datum", "Uhrzeit", "Telefonnr.", "Text"};

} // namespace

frmListe::frmListe(ModemLink &link, QWidget *parent) : QWidget(parent), m_link(link)
{
    Named(this, QStringLiteral("frmListe"));
    setWindowTitle(QStringLiteral("SMS-Datei"));
    setAttribute(Qt::WA_DeleteOnClose);

    cmdLes = Named(new QPushButton(QStringLiteral("&Lesen"), this), QStringLiteral("cmdLes"));
    cmdInfo = Named(new QPushButton(QStringLiteral("&Info"), this), QStringLiteral("cmdInfo"));
    cmdZyklus = Named(new QPushButton(QStringLiteral("Lese&zyklus ändern"), this), QStringLiteral("cmdZyklus"));
    cmdClose = Named(new QPushButton(QStringLiteral("S&chließen"), this), QStringLiteral("cmdClose"));
    cmdArchiv = Named(new QPushButton(QStringLiteral("&Archiv"), this), QStringLiteral("cmdArchiv"));
    lblMeldung = Named(new QLabel(this), QStringLiteral("lblMeldung"));
    lblMeldung->installEventFilter(this);
    sbrMeldung = Named(new QLabel(this), QStringLiteral("sbrMeldung"));
    sbrMeldung->setFrameShape(QFrame::Panel);
    sbrMeldung->setFrameShadow(QFrame::Sunken);
    flSMSFile = Named(new QListWidget(this), QStringLiteral("flSMSFile"), QStringLiteral("SMS-Dateien"));
    flSMSFile->hide();

    QStringList titles;
    for (const char *title : kHeaders)
        titles << QString::fromUtf8(title);
    // The first message fills the empty data row the table starts with.
    grSMSListe = Named(new HeaderGrid(titles, true, this, false), QStringLiteral("grSMSListe"),
                       QStringLiteral("Empfangene SMS"));
    grSMSListe->setSelectionBehavior(QAbstractItemView::SelectRows);

    connect(cmdLes, &QPushButton::clicked, this, [this] {
        if (cycleRunning() || PortIsOpen(m_link))
            SMSLesen(true);
    });
    connect(cmdInfo, &QPushButton::clicked, this, [] { platform::dialogs().message(kInfo); });
    connect(cmdZyklus, &QPushButton::clicked, this, &frmListe::cmdZyklus_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(cmdArchiv, &QPushButton::clicked, this, &frmListe::archiveRequested);
    // With the port closed (lost, or closed by the user) a tick has nothing to read: no box
    // every few seconds, the status bar already shows the port closed. The button says so.
    connect(&Timer1, &QTimer::timeout, this, [this] {
        if (m_link.comm().portOpen())
            SMSLesen();
    });

    resize(sizeHint());
    m_interval = StoredPollInterval();
    setPolling(true);
    layoutControls(int(twips::fromPx(width())), int(twips::fromPx(height())));
    grSMSListe->resize(twips::toPx(kTableWidth), grSMSListe->height());
    for (int c = 0; c < 4; ++c)
        grSMSListe->setColumnWidth(c, twips::toPx(kColumnWidth[c]));
    grSMSListe->setColumnWidth(4, twips::toPx(kTableWidth - 20 - kColumnsBeforeText));
    flSMSFile->addItems(SmsFileList(platform::workFolder()));
    TitelRefresh();
}

QSize frmListe::sizeHint() const
{
    // The outer size is given; the caption takes its share.
    return {twips::toPx(kWindowWidth), twips::toPx(kWindowHeight) - 30};
}

bool frmListe::event(QEvent *e)
{
    if (e->type() == QEvent::WindowActivate)
        TitelRefresh();
    // In the work area the frame is activated, not this window: bringing it to the front there
    // counts as activating it.
    if (e->type() == QEvent::ParentChange) {
        if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
            connect(sub, &QMdiSubWindow::aboutToActivate, this, &frmListe::TitelRefresh, Qt::UniqueConnection);
    }
    return QWidget::event(e);
}

bool frmListe::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == lblMeldung && e->type() == QEvent::MouseButtonRelease)
        lblMeldung_Click();
    return QWidget::eventFilter(watched, e);
}

QWidget *frmListe::host()
{
    auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget());
    return sub ? static_cast<QWidget *>(sub) : this;
}

void frmListe::closeEvent(QCloseEvent *e)
{
    // A cycle still waiting for the modem is ended by its task first, which closes the window
    // again when it is over.
    closeSteps();
    e->accept();
}

void frmListe::closeSteps()
{
    setPolling(false);
    m_timerHold.release();
    storePollInterval();
}

void frmListe::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    const int w = int(twips::fromPx(width()));
    const int h = int(twips::fromPx(height()));
    if (host()->isMinimized() || w < kMinInnerWidth || h < kMinInnerHeight)
        return;
    layoutControls(w, h);
}

void frmListe::layoutControls(int w, int h)
{
    const int tableWidth = w - 2 * kMargin;
    grSMSListe->setGeometry(twips::rect(kMargin, kTableTop, tableWidth, h - 1800));
    // The number column may have grown for a name.
    grSMSListe->setColumnWidth(4, twips::toPx(tableWidth - 100 - kColumnsBeforeText) + twips::toPx(kColumnWidth[3])
                                      - grSMSListe->columnWidth(3));
    lblMeldung->setGeometry(twips::rect(kMargin, kLabelTop, tableWidth, kLabelHigh));
    // Each button its caption's width and an equal share of the rest of the row.
    QPushButton *const buttons[] = {cmdLes, cmdInfo, cmdZyklus, cmdArchiv, cmdClose};
    const int gap = twips::toPx(kButtonGap);
    int natural = 0;
    for (QPushButton *b : buttons)
        natural += b->sizeHint().width();
    const int share = std::max(0, (twips::toPx(tableWidth) - 4 * gap - natural) / 5);
    int x = twips::toPx(kMargin);
    for (QPushButton *b : buttons) {
        const int w = b->sizeHint().width() + share;
        b->setGeometry(x, twips::toPx(kButtonTop), w, twips::toPx(kButtonHigh));
        x += w + gap;
    }
    sbrMeldung->setGeometry(0, height() - twips::toPx(kStatusHigh), width(), twips::toPx(kStatusHigh));
}

void frmListe::TitelRefresh()
{
    lblMeldung->setText(QStringLiteral("Automatische Abfrage alle %1 s").arg(m_interval / 1000));
}

void frmListe::lblMeldung_Click()
{
    QString number = u'"' + kSampleNumber + u'"';
    lblMeldung->setText(StripQuotes(number));
}

void frmListe::setPollInterval(int ms)
{
    m_interval = std::clamp(ms, 0, kMaxPollInterval);
    applyPolling();
}

void frmListe::setPolling(bool on)
{
    m_polling = on;
    applyPolling();
}

void frmListe::applyPolling()
{
    // An interval of 0 never fires: only the button reads the SIM then.
    if (m_polling && m_interval > 0)
        Timer1.start(m_interval);
    else
        Timer1.stop();
}

void frmListe::cmdZyklus_Click()
{
    QPointer<frmListe> self(this);
    frmZyklus dialog(m_interval, window());
    if (dialog.exec() != QDialog::Accepted || !self)
        return;
    setPollInterval(dialog.interval());
    // A new interval starts polling again after a failure stopped it, and is kept at once: the
    // program may end with the window open, which closes no window.
    setPolling(true);
    storePollInterval();
    TitelRefresh();
}

void frmListe::storePollInterval()
{
    platform::settings().set(keys::PollInterval, QString::number(m_interval));
}

void frmListe::fitNumberColumn()
{
    const int before = grSMSListe->columnWidth(3);
    grSMSListe->resizeColumnToContents(3);
    const int grow = grSMSListe->columnWidth(3) - before;
    if (grow <= 0) {
        grSMSListe->setColumnWidth(3, before);
        return;
    }
    // The text column gives up what the number column needs.
    grSMSListe->setColumnWidth(4, std::max(twips::toPx(kColumnWidth[3]), grSMSListe->columnWidth(4) - grow));
}

int frmListe::GridRowAdd()
{
    int row = 1;
    if (grSMSListe->rowCount() > 2) {
        row = grSMSListe->rowCount();
        grSMSListe->setRowCount(row + 1);
    } else if (LeadingNumber(grSMSListe->cell(1, 0)) > 0) {
        // The empty data row the table starts with is used by the first message.
        row = 2;
        grSMSListe->setRowCount(3);
    }
    grSMSListe->setCell(row, 0, QString::number(row));
    grSMSListe->setCurrentCell(row, 1);
    return row;
}

// --- The read cycle --------------------------------------------------------------------------

bool frmListe::cycleRunning() const { return ModemTask::runsFor(m_link, this); }

void frmListe::SMSLesen(bool asked)
{
    // A tick while another window has the modem waits for the next one; one while this
    // window's own cycle runs is refused quietly.
    ModemTask task(m_link, this, kTaskTitle, asked ? ModemTask::Busy::Say : ModemTask::Busy::Quiet);
    if (!task)
        return;
    // "Lesen" is how the user starts polling again after a failure stopped it.
    if (asked)
        setPolling(true);
    m_end = CycleEnd::Done;
    m_failure.clear();
    m_filed.clear();
    readCycle(task);
    // Closed meanwhile: the task closes the window when it ends; nothing more to say.
    if (task.cancelled())
        return;
    reportEnd();
    NewMessageNotice::of(window()).announce(this, m_filed);
}

void frmListe::reportEnd()
{
    auto &ui = platform::dialogs();
    switch (m_end) {
    case CycleEnd::Done:
    case CycleEnd::Closing:
        return;
    case CycleEnd::PortGone:
        // Lost (the main window has said so) or closed by the user: nothing to add, and the
        // ticks pass a closed port quietly.
        sbrMeldung->setText(kBrokenOff);
        return;
    case CycleEnd::Told:
        break;
    case CycleEnd::Silent:
        ui.message(kShutOff);
        break;
    case CycleEnd::Failed:
        ui.message(m_failure);
        break;
    }
    // One box per cause: polling stops until the user starts it again.
    setPolling(false);
    sbrMeldung->setText(kBrokenOff + kPollingStopped);
}

bool frmListe::stop(CycleEnd why)
{
    m_end = why;
    return false;
}

bool frmListe::readCycle(ModemTask &task)
{
    qint16 used = 0;
    qint16 max = 0;
    if (!SMSAnzahl(task, used, max))
        return false;
    // The bound is read anew on every pass: every query after a deletion may change it.
    for (int index = 1; used != 0 && index <= max; ++index) {
        if (!readSlot(task, index, used, max))
            return false;
    }
    return true;
}

bool frmListe::readSlot(ModemTask &task, int index, qint16 &used, qint16 &max)
{
    QString answer;
    qint16 status = kStatusOk;
    if (!ModemAbfrage(task, QStringLiteral("AT+CMGR=") + NumberText(index), status, answer))
        return false;
    // A modem that stopped answering would only collect one time-out after another.
    if (status == kStatusTimeout)
        return stop(CycleEnd::Silent);
    const SlotMessage slot = CmgrSlotMessage(answer);
    // An empty slot, an unread PDU, or a message the modem had not finished sending: it stays
    // on the SIM and the next cycle reads it again.
    if (slot.kind != SlotKind::Message)
        return true;
    ArchivedSms sms;
    const bool known = ParseSmsRecord(slot.record, sms);
    FiledMessages &filed = smsrun::filedMessages(platform::workFolder());
    // Filed by an earlier run that ended before the slot was deleted: only the deletion is due.
    if (!known || !filed.contains(sms)) {
        // The record must be on disk before the message may leave the SIM.
        if (!SMSDateiSchreiben(slot.record))
            return stop(CycleEnd::Failed);
        if (known)
            filed.add(sms);
        const int row = KopfEintragen(slot.header);
        grSMSListe->setCell(row, 4, slot.firstLine);
        m_filed.last().firstLine = slot.firstLine;
    }
    if (!ModemAbfrage(task, QStringLiteral("AT+CMGD=") + NumberText(index), status, answer))
        return false;
    if (status == kStatusTimeout)
        return stop(CycleEnd::Silent);
    if (status != kStatusOk) {
        // Left on the SIM, the message would come back with every cycle; it is safe on disk.
        m_failure = QStringLiteral("Die SMS auf Platz %1 ist in der SMS-Datei gesichert, aber das Modem hat das "
                                   "Löschen auf der SIM-Karte abgelehnt (%2).")
                        .arg(index)
                        .arg(ErrorLine(answer).isEmpty() ? QStringLiteral("Antwort ohne OK") : ErrorLine(answer));
        return stop(CycleEnd::Failed);
    }
    return SMSAnzahl(task, used, max);
}

bool frmListe::SMSAnzahl(ModemTask &task, qint16 &used, qint16 &max)
{
    qint16 status = 0;
    QString answer;
    for (int attempt = 0; attempt <= 1; ++attempt) {
        if (!ModemAbfrage(task, QStringLiteral("AT+CPMS?"), status, answer))
            return false;
        if (answer.contains(QLatin1String("+CPMS:")))
            break;
        sbrMeldung->setText(QStringLiteral(" 2. Versuch"));
        if (!pause(task, 1))
            return false;
    }
    const auto counts = status == kStatusOk ? CpmsStorageCounts(answer) : std::nullopt;
    if (!counts) {
        // Told once; the cycle ends here, after a deletion as well, instead of walking the
        // remaining slots of a modem that has stopped answering.
        platform::dialogs().message(kShutOff);
        return stop(CycleEnd::Told);
    }
    used = counts->used;
    max = counts->max;
    sbrMeldung->setText(StorageStatusText(*counts));
    return pause(task, 1);
}

bool frmListe::ModemAbfrage(ModemTask &task, const QString &command, qint16 &status, QString &answer)
{
    const ModemTask::Reply reply = task.exchange(command, ExchangeOptions::quietTimeout());
    status = reply.status;
    answer = reply.answer;
    if (task.cancelled())
        return stop(CycleEnd::Closing);
    // Closed under the wait or before it: pulled out (the main window says so) or closed by
    // the user.
    if (!task.comm().portOpen())
        return stop(CycleEnd::PortGone);
    return true;
}

bool frmListe::pause(ModemTask &task, double seconds)
{
    WaitSeconds(seconds);
    return !task.cancelled() || stop(CycleEnd::Closing);
}

int frmListe::KopfEintragen(const QString &header)
{
    const MessageHeader h = CmgrHeaderFields(header);
    const int row = GridRowAdd();
    // The phone-list name beside a known number.
    const QString name = m_names.current().nameFor(h.number);
    grSMSListe->setCell(row, 3, name.isEmpty() ? h.number : h.number + QStringLiteral(" (") + name + u')');
    if (!name.isEmpty())
        fitNumberColumn();
    m_filed.append({name.isEmpty() ? h.number : name, QString()});
    grSMSListe->setCell(row, 1, h.date);
    grSMSListe->setCell(row, 2, h.time);
    return row;
}

bool frmListe::SMSDateiSchreiben(const QString &record)
{
    if (smsrun::currentFile().isEmpty() && !NeueSMSDateiAnlegen())
        return false;
    return AppendSmsRecord(smsrun::currentFile(), record, &m_failure);
}

bool frmListe::NeueSMSDateiAnlegen()
{
    QStringList known;
    for (int i = 0; i < flSMSFile->count(); ++i)
        known << flSMSFile->item(i)->text();
    const QString path = CreateSmsFile(platform::workFolder(), known, QDateTime::currentDateTime(), &m_failure);
    if (path.isEmpty())
        return false;
    setWindowTitle(QStringLiteral(" SMS-Datei [") + QFileInfo(path).fileName() + u']');
    smsrun::setCurrentFile(path);
    return true;
}
