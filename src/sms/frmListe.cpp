#include "sms/frmListe.h"

#include "comm/CommPort.h"
#include "comm/ModemLink.h"
#include "modem/ModemCommand.h"
#include "modem/ModemTask.h"
#include "platform/ControlName.h"
#include "platform/HeaderGrid.h"
#include "platform/Platform.h"
#include "platform/SettingsStore.h"
#include "platform/Twips.h"
#include "platform/WorkFolder.h"
#include "sms/ReadCycle.h"
#include "sms/ReceiveAnswers.h"
#include "sms/SmsDataFile.h"
#include "sms/frmZyklus.h"
#include "text/StringUtil.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>

#include <algorithm>
#include <utility>

namespace {

const QString kShutOff = QStringLiteral("Modemabfrage wird abgeschaltet, weil es nicht antwortet. \r\n"
                                        "Für neuen Start bitte Fensterschließen und erneut öffnen.");
const QString kTaskTitle = QStringLiteral("SMS-Datei");
// How often the line is looked at for notices between tasks: a message on screen within seconds.
constexpr int kNoticeWatchMs = 500;
const QString kBrokenOff = QStringLiteral(" abgebrochen ...");
const QString kPollingStopped = QStringLiteral(" Automatische Abfrage angehalten, „Lesen“ startet sie wieder.");
const QString kInfo = QStringLiteral("Dieses Fenster enthält eine Tabelle, in der die aktuell eingegangenen SMS  "
                                     "eingetragen sind.");
// Shown when the note above the table is clicked.
const QString kSampleNumber = QStringLiteral("+491701234567");

// The table shows a text's first line, double quotes as blanks.
QString FirstLine(const QString &text)
{
    QString line = text.left(text.indexOf(QRegularExpression(QStringLiteral("[\r\n]"))));
    return StripQuotes(line);
}

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
    // A new-message notice starts a read cycle at the modem's next free moment; polling stays
    // as the fallback. Notices come inside another task's answers or between tasks; between
    // tasks nobody else reads the line while this window holds the terminal's timer.
    m_listener = m_link.addLineListener([this](const QString &line) {
        if (IsNewMessageNotice(line)) {
            m_noticeSeen = true;
            const QString storage = NoticeStorage(line);
            if (!storage.isEmpty() && !m_announced.contains(storage))
                m_announced << storage;
        }
    });
    // Not the window's child: a run may outlast the window.
    m_hook = new ReceiveHook(platform::settings().get(keys::ReceiveHook), platform::workFolder(), 30000, qApp);
    NoticeWatch.setInterval(kNoticeWatchMs);
    connect(&NoticeWatch, &QTimer::timeout, this, &frmListe::checkNotices);
    NoticeWatch.start();

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

frmListe::~frmListe()
{
    m_link.removeLineListener(m_listener);
    m_hook->releaseWhenDone();
}

void frmListe::checkNotices()
{
    // Between tasks: what the modem sent on its own goes to the terminal, and its notices count.
    CommPort &comm = m_link.comm();
    if (!m_link.modemTask().isEmpty() || !comm.portOpen())
        return;
    if (comm.inBufferCount() > 0) {
        QString text = comm.input();
        m_link.modemSent(text);
        m_link.ShowData(text);
    }
    if (std::exchange(m_noticeSeen, false))
        SMSLesen();
}

void frmListe::closeSteps()
{
    NoticeWatch.stop();
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
    QStringList known;
    for (int i = 0; i < flSMSFile->count(); ++i)
        known << flSMSFile->item(i)->text();
    ReadCycle cycle(task, platform::workFolder(), known);
    cycle.alsoRead(std::exchange(m_announced, {}));
    cycle.onStatus = [this](const QString &text) { sbrMeldung->setText(text); };
    cycle.onFileCreated = [this](const QString &path) {
        setWindowTitle(QStringLiteral(" SMS-Datei [") + QFileInfo(path).fileName() + u']');
    };
    QList<NoticeMessage> filed;
    cycle.onFiled = [this, &filed](const ReadCycle::Filed &message) { filed.append(KopfEintragen(message)); };
    const ReadCycle::End end = cycle.run();
    // Closed meanwhile: the task closes the window when it ends; nothing more to say.
    if (task.cancelled())
        return;
    reportEnd(end, cycle.failure());
    NewMessageNotice::of(window()).announce(this, filed);
}

void frmListe::reportEnd(ReadCycle::End end, const QString &failure)
{
    using End = ReadCycle::End;
    switch (end) {
    case End::Done:
    case End::Cancelled:
        return;
    case End::PortGone:
        // Lost (the main window has said so) or closed by the user: nothing to add, and the
        // ticks pass a closed port quietly.
        sbrMeldung->setText(kBrokenOff);
        return;
    case End::Silent:
        platform::dialogs().message(kShutOff);
        break;
    case End::Told:
    case End::Failed:
        platform::dialogs().message(failure);
        break;
    }
    // One box per cause: polling stops until the user starts it again.
    setPolling(false);
    sbrMeldung->setText(kBrokenOff + kPollingStopped);
}

NoticeMessage frmListe::KopfEintragen(const ReadCycle::Filed &message)
{
    // A record whose header cannot be read is listed as the modem's lines show it.
    ArchivedSms sms = message.sms;
    if (!message.parsed) {
        const MessageHeader h = CmgrHeaderFields(message.header);
        sms = {};
        sms.number = h.number;
        sms.date = h.date;
        sms.time = h.time;
        sms.text = message.firstLine;
    }
    const int at = m_rows.add(sms);
    const QList<ReceivedList::Row> &rows = m_rows.rows();
    // The table's rows 1.. are the list's rows; a part joining a row shown already adds none.
    int used = LeadingNumber(grSMSListe->cell(1, 0)) > 0 ? grSMSListe->rowCount() - 1 : 0;
    for (; used < rows.size(); ++used)
        GridRowAdd();
    bool named = false;
    for (int r = 0; r < rows.size(); ++r) {
        const ReceivedList::Row &row = rows.at(r);
        const QString name = m_names.current().nameFor(row.first.number);
        named = named || !name.isEmpty();
        grSMSListe->setCell(r + 1, 3, name.isEmpty() ? row.first.number : row.first.number + QStringLiteral(" (") + name + u')');
        grSMSListe->setCell(r + 1, 1, row.first.date);
        grSMSListe->setCell(r + 1, 2, row.first.time);
        grSMSListe->setCell(r + 1, 4, FirstLine(row.text));
        // The whole text, a long message's missing parts marked, where the column cuts it.
        if (QTableWidgetItem *cell = grSMSListe->item(r + 1, 4))
            cell->setToolTip(row.text);
    }
    if (named)
        fitNumberColumn();
    if (at >= 0)
        grSMSListe->setCurrentCell(at + 1, 1);
    const ReceivedList::Row &mine = rows.value(at, ReceivedList::Row{sms, sms.text});
    const QString name = m_names.current().nameFor(mine.first.number);
    if (at >= 0 && mine.complete)
        m_hook->run({mine.first.number, name, mine.first.date, mine.first.time, mine.text, smsrun::currentFile()});
    return {name.isEmpty() ? mine.first.number : name, FirstLine(mine.text)};
}
