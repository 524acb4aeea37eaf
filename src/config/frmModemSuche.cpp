#include "config/frmModemSuche.h"

#include "comm/ComProcs.h"
#include "comm/CommPort.h"
#include "comm/ModemLink.h"
#include "comm/QtSerialBackend.h"
#include "config/PortChoices.h"
#include "modem/ModemTask.h"
#include "platform/ControlName.h"
#include "platform/Platform.h"
#include "platform/PortMap.h"
#include "platform/RootRunner.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

enum Column { ColDevice, ColMaker, ColModel, ColSim, ColResult, ColumnCount };

const QString kIdle = QStringLiteral("&Suchen");
const QString kStop = QStringLiteral("Suche &abbrechen");

// "/dev/ttyUSB2" -> "ttyUSB2", "/dev/pts/5" -> "pts/5": short, and what the user knows from
// "ls /dev".
QString shortDevice(const QString &device)
{
    return device.startsWith(QLatin1String("/dev/")) ? device.mid(5) : device;
}

QString countText(int n, const char *one, const char *many)
{
    return n == 1 ? QString::fromUtf8(one) : QString::fromUtf8(many).arg(n);
}

} // namespace

ModemSearchSetup SystemModemSearch()
{
    ModemSearchSetup s;
    s.devices = [] { return SystemProbeCandidates(); };
    s.makePort = [](const QString &) { return std::make_unique<QtSerialBackend>(); };
    return s;
}

frmModemSuche::frmModemSuche(ModemLink &link, ModemSearchSetup setup, std::function<void()> comStatus, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_link(link), m_setup(std::move(setup)), m_comStatus(std::move(comStatus))
{
    Named(this, QStringLiteral("frmModemSuche"));
    setWindowTitle(kModemSucheTitle);
    buildControls();
    rowChosen();
    setStatus(QStringLiteral("Noch nicht gesucht."));
}

void frmModemSuche::buildControls()
{
    lblInfo = Named(new QLabel(QStringLiteral("Varnix fragt jedes serielle Gerät mit „AT“, ob ein Modem antwortet, "
                                              "und das Modem, wer es ist. Es sendet keine PIN und stellt nichts "
                                              "am Modem um."),
                               this),
                    QStringLiteral("lblInfo"));
    lblInfo->setWordWrap(true);

    grdGeraete =
        Named(new QTableWidget(0, ColumnCount, this), QStringLiteral("grdGeraete"), QStringLiteral("Gefundene Geräte"));
    grdGeraete->setHorizontalHeaderLabels({QStringLiteral("Gerät"), QStringLiteral("Hersteller"),
                                           QStringLiteral("Modell"), QStringLiteral("SIM-Karte"),
                                           QStringLiteral("Ergebnis")});
    grdGeraete->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdGeraete->setSelectionMode(QAbstractItemView::SingleSelection);
    grdGeraete->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdGeraete->verticalHeader()->hide();
    grdGeraete->verticalHeader()->setDefaultSectionSize(grdGeraete->fontMetrics().height() + 8);
    grdGeraete->horizontalHeader()->setStretchLastSection(true);
    grdGeraete->setColumnWidth(ColDevice, 130);
    grdGeraete->setColumnWidth(ColMaker, 120);
    grdGeraete->setColumnWidth(ColModel, 140);
    grdGeraete->setColumnWidth(ColSim, 120);
    grdGeraete->setMinimumHeight(200);

    prgSuche = Named(new QProgressBar(this), QStringLiteral("prgSuche"), QStringLiteral("Fortschritt der Suche"));
    prgSuche->setRange(0, 1);
    prgSuche->setValue(0);
    lblStatus = Named(new QLabel(this), QStringLiteral("lblStatus"));
    lblStatus->setMinimumWidth(260);

    txtHinweis = Named(new QPlainTextEdit(this), QStringLiteral("txtHinweis"), QStringLiteral("Hinweis zum Gerät"));
    txtHinweis->setReadOnly(true);
    txtHinweis->setMinimumHeight(120);
    cmdMMStop = Named(new QPushButton(QStringLiteral("ModemManager &beenden"), this), QStringLiteral("cmdMMStop"));
    cmdMMIgnore =
        Named(new QPushButton(QStringLiteral("Gerät für ModemManager spe&rren"), this), QStringLiteral("cmdMMIgnore"));
    cmdGruppe = Named(new QPushButton(QStringLiteral("In &Gruppe aufnehmen"), this), QStringLiteral("cmdGruppe"));
    auto *help = Named(new QGroupBox(QStringLiteral("Zum gewählten Gerät"), this), QStringLiteral("fraHinweis"));
    auto *helpRows = new QVBoxLayout(help);
    helpRows->addWidget(txtHinweis);
    auto *offers = new QHBoxLayout;
    offers->addWidget(cmdMMStop);
    offers->addWidget(cmdMMIgnore);
    offers->addWidget(cmdGruppe);
    offers->addStretch(1);
    helpRows->addLayout(offers);

    cboCom = Named(new QComboBox(this), QStringLiteral("cboCom"), QStringLiteral("COM-Nummer für das Modem"));
    cboCom->addItems(portchoices::ports());
    cboCom->setCurrentIndex(qBound(0, m_link.comm().commPort() - 1, cboCom->count() - 1));
    auto *comCaption = new QLabel(QStringLiteral("&Zuordnen als:"), this);
    comCaption->setBuddy(cboCom);
    cmdZuordnen = Named(new QPushButton(QStringLiteral("Zuordnen und ö&ffnen"), this), QStringLiteral("cmdZuordnen"));
    cmdSuchen = Named(new QPushButton(kIdle, this), QStringLiteral("cmdSuchen"));
    cmdSchliessen = Named(new QPushButton(QStringLiteral("Schließen"), this), QStringLiteral("cmdSchliessen"));

    auto *progress = new QHBoxLayout;
    progress->addWidget(prgSuche, 1);
    progress->addWidget(lblStatus, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(comCaption);
    bottom->addWidget(cboCom);
    bottom->addWidget(cmdZuordnen);
    bottom->addStretch(1);
    bottom->addWidget(cmdSuchen);
    bottom->addWidget(cmdSchliessen);
    auto *outer = new QVBoxLayout(this);
    outer->addWidget(lblInfo);
    outer->addWidget(grdGeraete, 2);
    outer->addLayout(progress);
    outer->addWidget(help, 3);
    outer->addLayout(bottom);

    connect(grdGeraete, &QTableWidget::itemSelectionChanged, this, &frmModemSuche::rowChosen);
    connect(cmdSuchen, &QPushButton::clicked, this, [this] {
        if (m_searching)
            m_stopAsked = true;
        else
            search();
    });
    connect(cmdSchliessen, &QPushButton::clicked, this, &frmModemSuche::reject);
    connect(cmdZuordnen, &QPushButton::clicked, this, &frmModemSuche::mapChosen);
    connect(cmdMMStop, &QPushButton::clicked, this, [this] { runOffer(OfferKind::StopModemManager); });
    connect(cmdMMIgnore, &QPushButton::clicked, this, [this] { runOffer(OfferKind::IgnoreDevice); });
    connect(cmdGruppe, &QPushButton::clicked, this, [this] { runOffer(OfferKind::JoinGroup); });
    resize(780, 620);
}

void frmModemSuche::setStatus(const QString &text)
{
    lblStatus->setText(text);
}

void frmModemSuche::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (searchOnShow && !m_searchedOnShow) {
        m_searchedOnShow = true;
        // After the window is on the screen: the user sees the search going.
        QTimer::singleShot(0, this, [this] {
            if (isVisible() && !m_searching)
                search();
        });
    }
}

void frmModemSuche::search()
{
    if (m_searching)
        return;
    m_searching = true;
    m_stopAsked = false;
    cmdSuchen->setText(kStop);
    cmdZuordnen->setEnabled(false);
    grdGeraete->setRowCount(0);
    m_results.clear();
    m_advice.clear();
    rowChosen();

    const QList<ProbeCandidate> candidates = m_setup.devices ? m_setup.devices() : QList<ProbeCandidate>();
    // The port this program has open is left alone: asking it would take its answers.
    QStringList own;
    if (m_link.comm().portOpen())
        own << m_link.comm().device();
    const QString procRoot = m_setup.procRoot;
    const auto inUse = [procRoot](const QString &device) {
        // The far end of a pseudo-terminal (a simulated modem) is the device's other side,
        // not a user of it.
        QList<PortHolder> users;
        for (const PortHolder &h : FindPortHolders(device, procRoot)) {
            if (!h.serves && h.pid != QCoreApplication::applicationPid())
                users << h;
        }
        return users.isEmpty() ? QString() : PortHolderText(users, {});
    };
    ModemProbe probe(candidates, m_setup.makePort, own, inUse);
    // What is being asked is in the list at once; the answers come when all are in.
    grdGeraete->setRowCount(int(candidates.size()));
    for (int row = 0; row < candidates.size(); ++row) {
        grdGeraete->setItem(row, ColDevice, new QTableWidgetItem(shortDevice(candidates.at(row).device)));
        grdGeraete->setItem(row, ColResult, new QTableWidgetItem(QStringLiteral("wird gefragt …")));
    }
    prgSuche->setRange(0, qMax(1, int(candidates.size())));
    prgSuche->setValue(0);
    setStatus(QStringLiteral("Suche läuft …"));
    probe.run(
        [this](int ended, int total) {
            prgSuche->setValue(ended);
            const QString told = QStringLiteral("%1 von %2 Geräten gefragt").arg(ended).arg(total);
            prgSuche->setAccessibleName(QStringLiteral("Fortschritt der Suche: ") + told);
            setStatus(QStringLiteral("Suche läuft … %1").arg(told));
        },
        [this] { return m_stopAsked; });
    m_results = probe.results();
    const QString launcher = platform::rootRunner().launcher();
    for (const ProbeResult &r : m_results)
        m_advice << AdviceFor(r, GatherPortFacts(r, m_setup.procRoot, launcher, m_setup.access));

    m_searching = false;
    cmdSuchen->setText(kIdle);
    prgSuche->setAccessibleName(QStringLiteral("Fortschritt der Suche"));
    showResults();
    if (m_closeAfter) {
        m_closeAfter = false;
        QDialog::reject();
    }
}

void frmModemSuche::showResults()
{
    grdGeraete->setRowCount(int(m_results.size()));
    int modems = 0;
    int firstModem = -1;
    for (int row = 0; row < m_results.size(); ++row) {
        const ProbeResult &r = m_results.at(row);
        const QString cells[ColumnCount] = {shortDevice(r.candidate.device), r.maker, r.model, ProbeSimText(r),
                                            ProbeOutcomeText(r)};
        for (int col = 0; col < ColumnCount; ++col) {
            auto *item = new QTableWidgetItem(cells[col]);
            if (col == ColDevice)
                item->setToolTip(r.candidate.path);
            grdGeraete->setItem(row, col, item);
        }
        if (r.outcome == ProbeOutcome::Modem) {
            ++modems;
            if (firstModem < 0)
                firstModem = row;
        }
    }
    const int asked = int(m_results.size());
    const QString found = modems == 0 ? QStringLiteral("Kein Modem gefunden")
                                      : countText(modems, "1 Modem gefunden", "%1 Modems gefunden");
    setStatus(m_results.isEmpty()
                  ? QStringLiteral("Keine seriellen Geräte gefunden.")
                  : QStringLiteral("%1 (%2).").arg(found, countText(asked, "1 Gerät gefragt", "%1 Geräte gefragt")));
    if (!m_results.isEmpty())
        grdGeraete->selectRow(firstModem >= 0 ? firstModem : 0);
    rowChosen();
}

int frmModemSuche::chosenRow() const
{
    const QList<QTableWidgetItem *> chosen = grdGeraete->selectedItems();
    const int row = chosen.isEmpty() ? -1 : chosen.first()->row();
    return row >= 0 && row < m_results.size() && row < m_advice.size() ? row : -1;
}

void frmModemSuche::rowChosen()
{
    const int row = chosenRow();
    const PortAdvice advice = row >= 0 ? m_advice.at(row) : PortAdvice{};
    QString text;
    if (row >= 0) {
        const ProbeCandidate &c = m_results.at(row).candidate;
        text = c.path;
        if (c.path != c.device)
            text += QStringLiteral(" (%1)").arg(c.device);
        if (!c.about.isEmpty())
            text += QStringLiteral(" – ") + c.about;
        text += QStringLiteral("\n") + advice.text;
    }
    txtHinweis->setPlainText(text);
    const auto offered = [&advice](OfferKind kind) {
        for (const PortOffer &o : advice.offers) {
            if (o.kind == kind)
                return true;
        }
        return false;
    };
    cmdMMStop->setEnabled(!m_searching && offered(OfferKind::StopModemManager));
    cmdMMIgnore->setEnabled(!m_searching && offered(OfferKind::IgnoreDevice));
    cmdGruppe->setEnabled(!m_searching && offered(OfferKind::JoinGroup));
    cmdZuordnen->setEnabled(!m_searching && row >= 0 && m_results.at(row).outcome == ProbeOutcome::Modem);
}

void frmModemSuche::runOffer(OfferKind kind)
{
    const int row = chosenRow();
    if (row < 0)
        return;
    const PortOffer *offer = nullptr;
    for (const PortOffer &o : m_advice.at(row).offers) {
        if (o.kind == kind)
            offer = &o;
    }
    if (!offer)
        return;
    const PortOffer chosen = *offer;
    auto &ui = platform::dialogs();
    RootRunner &runner = platform::rootRunner();
    if (runner.launcher().isEmpty()) {
        ui.message(QStringLiteral("Auf diesem System fehlt pkexec. In einem Terminal als Administrator eingeben:\n\n%1")
                       .arg(SudoCommandLine(chosen.command)),
                   MsgButtons::Ok, MsgIcon::Information);
        return;
    }
    if (ui.message(chosen.question, MsgButtons::YesNo, MsgIcon::Question) != MsgAnswer::Yes)
        return;
    const RootResult result = runner.run(chosen.command);
    const QString line = RootCommandLine(runner.launcher(), chosen.command);
    switch (result.outcome) {
    case RootResult::Outcome::Done:
        ui.message(chosen.done, MsgButtons::Ok, MsgIcon::Information);
        return;
    case RootResult::Outcome::Cancelled:
        ui.message(QStringLiteral("Nicht ausgeführt: die Passwortabfrage wurde geschlossen.\n\n%1").arg(line),
                   MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    case RootResult::Outcome::Refused:
        ui.message(QStringLiteral("Nicht ausgeführt: pkexec hat es nicht erlaubt.\n\n%1\n\n%2")
                       .arg(line, result.output)
                       .trimmed(),
                   MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    case RootResult::Outcome::Failed:
        ui.message(QStringLiteral("Der Befehl ist fehlgeschlagen (Rückgabewert %1):\n\n%2\n\n%3")
                       .arg(result.exitCode)
                       .arg(line, result.output)
                       .trimmed(),
                   MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
}

void frmModemSuche::mapChosen()
{
    const int row = chosenRow();
    if (row < 0 || m_results.at(row).outcome != ProbeOutcome::Modem)
        return;
    // Closing and reopening the port: not under another window's task.
    const ModemTask task(m_link, this, kModemSucheTitle);
    if (!task)
        return;
    const ProbeResult &r = m_results.at(row);
    const int number = cboCom->currentIndex() + 1;
    CommPort &comm = m_link.comm();
    SettingsStore &settings = platform::settings();
    settings.setValue(QString::fromUtf8(keys::PortsSection), PortMapKey(number), r.candidate.path);
    ComClose(comm);
    comm.setCommPort(number);
    // The speed it answered at; a USB modem takes any.
    comm.setSettings(QStringLiteral("%1,n,8,1").arg(r.speed));
    settings.set(keys::PortNumber, QString::number(comm.commPort()));
    settings.set(keys::PortSettings, comm.settings());
    int fehler = 0;
    ComOpen(comm, fehler); // a failure has its "Com-Error" box
    if (m_comStatus)
        m_comStatus();
    if (fehler)
        return;
    setStatus(QStringLiteral("COM%1 ist jetzt %2 und geöffnet.").arg(number).arg(r.candidate.path));
    QDialog::accept();
}

void frmModemSuche::reject()
{
    // The search holds open ports on the stack: it ends first, then the window closes.
    if (m_searching) {
        m_stopAsked = true;
        m_closeAfter = true;
        return;
    }
    QDialog::reject();
}

void frmModemSuche::closeEvent(QCloseEvent *e)
{
    if (m_searching) {
        m_stopAsked = true;
        m_closeAfter = true;
        e->ignore();
        return;
    }
    QDialog::closeEvent(e);
}
