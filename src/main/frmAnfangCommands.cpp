// The main window's menus, toolbar, traffic-log commands and the windows they open.
#include "main/Handbook.h"
#include "main/IconLabel.h"
#include "main/Icons.h"
#include "main/WindowPlacement.h"
#include "main/frmAnfang.h"

#include "about/frmAbout.h"
#include "comm/ComProcs.h"
#include "config/frmComScan.h"
#include "config/frmModemSuche.h"
#include "config/frmProperties.h"
#include "modem/ModemTask.h"
#include "modem/frmSMS1.h"
#include "phonelist/frmTelNr.h"
#include "platform/Platform.h"
#include "platform/SystemText.h"
#include "platform/Twips.h"
#include "platform/UrlOpener.h"
#include "simbook/frmSimList.h"
#include "sms/frmArchiv.h"
#include "sms/frmListe.h"
#include "sms/frmSendSM.h"
#include "text/frmUmlaute.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace {

QAction *entry(QMenu *menu, const QString &name, const QString &caption, const QKeySequence &key = {})
{
    QAction *a = menu->addAction(caption);
    a->setObjectName(name);
    if (!key.isEmpty())
        a->setShortcut(key);
    return a;
}

QMenu *menu(QMenuBar *bar, const QString &name, const QString &caption)
{
    QMenu *m = bar->addMenu(caption);
    m->setObjectName(name);
    m->setAccessibleDescription(name);
    return m;
}

} // namespace

void frmAnfang::buildMenus()
{
    QMenuBar *bar = menuBar();
    QMenu *file = menu(bar, QStringLiteral("mnuFile"), QStringLiteral("&Datei"));
    mnuFileLogOpen = entry(file, QStringLiteral("mnuFileLogOpen"), QStringLiteral("Logdatei öffnen"),
                           QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuFileLogClose = entry(file, QStringLiteral("mnuFileLogClose"), QStringLiteral("Logfile schließen"));
    mnuFileTel = entry(file, QStringLiteral("mnuFileTel"), QStringLiteral("&Telefonliste"),
                       QKeySequence(Qt::CTRL | Qt::Key_T));
    mnuFileArchiv = entry(file, QStringLiteral("mnuFileArchiv"), QStringLiteral("&Nachrichtenarchiv"));
    file->addSeparator()->setObjectName(QStringLiteral("mnuFileStr"));
    mnuFileExit = entry(file, QStringLiteral("mnuFileExit"), QStringLiteral("Be&enden"));

    QMenu *config = menu(bar, QStringLiteral("mnuConfig"), QStringLiteral("&Einstellungen"));
    mnuConfigCom = entry(config, QStringLiteral("mnuConfigCom"), QStringLiteral("Com-Schnittstelle"),
                         QKeySequence(Qt::Key_F9));
    mnuConfigUmlaut = entry(config, QStringLiteral("mnuConfigUmlaut"), QStringLiteral("Conversion-Table"));

    QMenu *tools = menu(bar, QStringLiteral("mnuTools"), QStringLiteral("&Tools"));
    mnuToolsModemSuche = entry(tools, QStringLiteral("mnuToolsModemSuche"), QStringLiteral("&Modem suchen"));
    mnuToolsBaudscan = entry(tools, QStringLiteral("mnuToolsBaudscan"), QStringLiteral("&Baudrate scannen"));

    QMenu *help = menu(bar, QStringLiteral("mnuHelp"), QStringLiteral("&Hilfe"));
    mnuHelpManual = entry(help, QStringLiteral("mnuHelpManual"), QStringLiteral("H&andbuch"));
    m_handbook = FindHandbook(QCoreApplication::applicationDirPath());
    mnuHelpManual->setEnabled(!m_handbook.isEmpty());
    mnuHelpInfo = entry(help, QStringLiteral("mnuHelpInfo"), QStringLiteral("&Info"));

    connect(mnuFileLogOpen, &QAction::triggered, this, &frmAnfang::LogOpen);
    connect(mnuFileLogClose, &QAction::triggered, this, &frmAnfang::LogClose);
    connect(mnuFileTel, &QAction::triggered, this, &frmAnfang::openPhoneList);
    connect(mnuFileArchiv, &QAction::triggered, this, &frmAnfang::openArchive);
    connect(mnuFileExit, &QAction::triggered, this, [this] { endProgram(); });
    connect(mnuConfigCom, &QAction::triggered, this, &frmAnfang::openPortSettings);
    connect(mnuConfigUmlaut, &QAction::triggered, this, &frmAnfang::openConversionTable);
    connect(mnuToolsModemSuche, &QAction::triggered, this, &frmAnfang::openModemSearch);
    connect(mnuToolsBaudscan, &QAction::triggered, this, &frmAnfang::openBaudScan);
    connect(mnuHelpManual, &QAction::triggered, this, &frmAnfang::openHandbook);
    connect(mnuHelpInfo, &QAction::triggered, this, &frmAnfang::openAbout);
}

void frmAnfang::buildToolBar()
{
    tbrToolBar = addToolBar(QStringLiteral("Symbolleiste"));
    tbrToolBar->setObjectName(QStringLiteral("tbrToolBar"));
    tbrToolBar->setAccessibleDescription(QStringLiteral("tbrToolBar"));
    tbrToolBar->setMovable(false);
    tbrToolBar->setIconSize(QSize(20, 20));

    struct Button {
        const char *key;
        const char *description;
        const char *tip;
        QPixmap (*icon)(int);
        void (frmAnfang::*action)();
    };
    const Button buttons[] = {
        {"OpenLogFile", "Open Log File...", "Protokolldatei öffnen...", icons::logOpen, &frmAnfang::LogOpen},
        {"CloseLogFile", "Close Log File", "Protokolldatei schließen", icons::logClose, &frmAnfang::LogClose},
        {nullptr, nullptr, nullptr, nullptr, nullptr},
        {"Com Close", "", "Com öffnen und schließen", icons::plug, &frmAnfang::ComToggle},
        {nullptr, nullptr, nullptr, nullptr, nullptr},
        {"ModemStart", "Dial Phone Number...", "Modem anwählen...", icons::dial, nullptr},
        {"ReadPhoneList", "Hang Up Phone", "SIM-Card", icons::simCard, &frmAnfang::openSimList},
        {nullptr, nullptr, nullptr, nullptr, nullptr},
        {"Properties", "Properties...", "Einstellungen...", icons::properties, &frmAnfang::openPortSettings},
        {nullptr, nullptr, nullptr, nullptr, nullptr},
        {"Telefonliste", "Transmit Text File...", "Telefonliste editieren", icons::phoneList,
         &frmAnfang::openPhoneList},
    };
    for (const Button &b : buttons) {
        if (!b.key) {
            tbrToolBar->addSeparator();
            continue;
        }
        const QString key = QString::fromUtf8(b.key);
        QAction *a = tbrToolBar->addAction(QIcon(b.icon(20)), QString::fromUtf8(b.description));
        a->setObjectName(key);
        a->setData(key);
        a->setToolTip(QString::fromUtf8(b.tip));
        a->setWhatsThis(QString::fromUtf8(b.description));
        if (b.action)
            connect(a, &QAction::triggered, this, b.action);
        m_toolActions << a;
    }
    auto *gap = new QWidget(tbrToolBar);
    gap->setObjectName(QStringLiteral("tbrPlaceholder"));
    gap->setFixedWidth(twips::toPx(2000));
    tbrToolBar->addWidget(gap);
    QAction *ende = tbrToolBar->addAction(QIcon(icons::exit(20)), QStringLiteral("Exit"));
    ende->setObjectName(QStringLiteral("Ende"));
    ende->setData(QStringLiteral("Ende"));
    ende->setWhatsThis(QStringLiteral("Exit"));
    ende->setToolTip(QString());
    connect(ende, &QAction::triggered, this, &QWidget::close);
    m_toolActions << ende;

    for (QAction *a : m_toolActions) {
        if (QWidget *w = tbrToolBar->widgetForAction(a)) {
            w->setObjectName(a->objectName());
            w->setAccessibleDescription(a->objectName());
            w->setAccessibleName(a->toolTip().isEmpty() ? a->whatsThis() : a->toolTip());
            // No tooltip means none: not the button's text.
            if (a->toolTip().isEmpty() || a->objectName() == QLatin1String("Ende"))
                w->setToolTip(QString());
        }
    }
}

QAction *frmAnfang::toolButton(const QString &key) const
{
    for (QAction *a : m_toolActions)
        if (a->data().toString() == key)
            return a;
    return nullptr;
}

void frmAnfang::updateLogCommands()
{
    const bool open = m_log.isOpen();
    mnuFileLogOpen->setEnabled(!open);
    toolButton(QStringLiteral("OpenLogFile"))->setEnabled(!open);
    mnuFileLogClose->setEnabled(open);
    toolButton(QStringLiteral("CloseLogFile"))->setEnabled(open);
}

void frmAnfang::LogOpen()
{
    auto &ui = platform::dialogs();
    QString fileName;
    for (;;) {
        FileRequest request{QStringLiteral("Protokolldatei öffnen"),
                            QStringLiteral("Protokolldateien (*.LOG)|*.log|Alle Dateien (*.*)|*.*")};
        request.newName = true; // a new log is named by typing it
        fileName = ui.chooseFile(request);
        if (fileName.isEmpty())
            return;
        fileName = QDir::toNativeSeparators(fileName);
        if (!QFileInfo::exists(fileName))
            break;
        const MsgAnswer a = ui.message(QStringLiteral("Bestehende Datei ersetzen - %1?").arg(fileName),
                                       MsgButtons::YesNoCancel, MsgIcon::Question);
        if (a == MsgAnswer::Cancel)
            continue;
        if (a == MsgAnswer::Yes) {
            QFile f(fileName);
            if (!f.remove()) {
                ui.message(QStringLiteral("Die Datei \"%1\" kann nicht gelöscht werden: %2")
                               .arg(fileName, GermanSystemText(f.errorString())),
                           MsgButtons::Ok, MsgIcon::Exclamation);
                return;
            }
        }
        break;
    }
    QString error;
    if (!m_log.open(fileName, &error)) {
        ui.message(error, MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    updateLogCommands();
}

void frmAnfang::LogClose()
{
    m_log.close();
    updateLogCommands();
}

void frmAnfang::writeLog(QStringView text)
{
    // The question below waits for the user while ticks go on showing traffic: that traffic
    // queues behind the failed write instead of asking again.
    if (m_logAsking) {
        m_log.hold(text);
        return;
    }
    QString error;
    bool ok = m_log.write(text, &error);
    while (!ok) {
        m_logAsking = true;
        const MsgAnswer a = platform::dialogs().message(error, MsgButtons::RetryCancel, MsgIcon::Critical);
        m_logAsking = false;
        if (a != MsgAnswer::Retry) {
            LogClose();
            return;
        }
        ok = m_log.retry(&error);
    }
}

QList<QKeySequence> frmAnfang::childCloseKeys()
{
    return {QKeySequence(Qt::CTRL | Qt::Key_F4), QKeySequence(Qt::CTRL | Qt::Key_W)};
}

QMdiSubWindow *frmAnfang::showChild(QWidget *w)
{
    auto *sub = qobject_cast<QMdiSubWindow *>(w->parentWidget());
    const bool opening = !sub;
    if (opening) {
        const QSize inner = w->size();
        sub = mdiArea->addSubWindow(w);
        sub->setObjectName(w->objectName() + QStringLiteral("Frame"));
        sub->setWindowIcon(QIcon(icons::logo(16)));
        // Closing the frame closes the window inside it; a window that only hides itself
        // keeps its frame for the next showing, one that goes takes its frame along.
        sub->setAttribute(Qt::WA_DeleteOnClose);
        connect(w, &QObject::destroyed, sub, &QObject::deleteLater);
        // A window that hides itself (its own close button, or the end of its work) takes
        // its frame along; the frame does not follow on its own.
        w->installEventFilter(this);
        // The frame's "Schließen" carries the close keys; the desktop's key scheme may bind
        // only one of them (Ctrl+W on Linux desktops).
        if (QMenu *system = sub->systemMenu()) {
            const QList<QAction *> entries = system->actions();
            if (!entries.isEmpty())
                entries.last()->setShortcuts(childCloseKeys());
        }
        sub->show();
        const QMargins m = sub->contentsMargins();
        sub->resize(inner.width() + m.left() + m.right(), inner.height() + m.top() + m.bottom());
    }
    w->show();
    sub->show();
    if (sub->isMinimized())
        sub->showNormal();
    // Without a window on the screen the work area has no size yet to fit into.
    if (isVisible())
        placeChild(sub, opening);
    mdiArea->setActiveSubWindow(sub);
    sub->raise();
    return sub;
}

void frmAnfang::placeChild(QMdiSubWindow *sub, bool opening)
{
    // A new window opens below and right of those already open, one title bar further each;
    // one shown again comes back where it was. Either way all of it lies in the work area,
    // made smaller where the area is smaller. A maximised one fills the area already.
    if (sub->isMaximized())
        return;
    int others = 0;
    for (const QMdiSubWindow *other : mdiArea->subWindowList())
        others += other != sub && other->isVisible() && !other->isMinimized();
    const int step = sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, sub);
    const QPoint at = opening ? placement::CascadePoint(others, step) : sub->pos();
    const QSize wanted = sub->size();
    makeRoomForChildren(at.y() + wanted.height());
    sub->setGeometry(placement::PlaceChild(workArea(), wanted, sub->minimumSizeHint(), at));
}

void frmAnfang::openPhoneList()
{
    frmTelNr::Instance(this).ShowModal();
}

void frmAnfang::openPortSettings()
{
    // OK and the port test close the port: not under another window's task.
    const ModemTask task(*this, this, kPropertiesTitle);
    if (!task)
        return;
    // OK hides the dialog and keeps it for the next opening; Cancel discards it.
    frmProperties::ShowModal(m_properties, *this, [this] { ComStatus(); }, this);
    m_panels->setText(1, ComStatusText(m_comm));
}

void frmAnfang::openConversionTable()
{
    // Loaded once and only hidden when closed: unsaved rows are still there next time.
    frmUmlaute::Instance(this).ShowModal();
}

void frmAnfang::openBaudScan()
{
    // The scan closes the port and opens it at other speeds: not under another window's task.
    const ModemTask task(*this, this, kComScanTitle);
    if (!task)
        return;
    ComClose(m_comm);
    frmComScan w(*this, [this] { ReceiveLoop(); }, this);
    w.exec();
}

void frmAnfang::openModemSearch()
{
    // A window closed earlier searched a while ago: a new one searches afresh.
    if (m_search && !m_search->isVisible() && !m_search->searching())
        delete m_search.data();
    if (!m_search)
        m_search = new frmModemSuche(*this, modemSearch, [this] { ComStatus(); }, this);
    m_search->show();
    m_search->raise();
    m_search->activateWindow();
}

frmModemSuche *frmAnfang::modemSearchWindow() const { return m_search; }

void frmAnfang::openHandbook()
{
    if (m_handbook.isEmpty() || platform::urlOpener().open(m_handbook))
        return;
    const QString where =
        m_handbook.isLocalFile() ? QDir::toNativeSeparators(m_handbook.toLocalFile()) : m_handbook.toString();
    platform::dialogs().message(QStringLiteral("Das Handbuch kann nicht geöffnet werden: %1").arg(where),
                                MsgButtons::Ok, MsgIcon::Exclamation);
}

void frmAnfang::openAbout()
{
    frmAbout w(this);
    w.exec();
}

void frmAnfang::openRegistration()
{
    if (!m_sms1)
        m_sms1 = new frmSMS1(*this);
    showChild(m_sms1);
    m_sms1->broughtToFront();
}

void frmAnfang::openSend()
{
    if (!m_send)
        m_send = new frmSendSM(*this);
    showChild(m_send);
}

void frmAnfang::openReceived()
{
    // Unloaded when closed: the next opening loads it afresh (and starts its polling).
    if (!m_received) {
        auto *list = new frmListe(*this);
        connect(list, &frmListe::archiveRequested, this, &frmAnfang::openArchive);
        m_received = list;
    }
    showChild(m_received);
}

void frmAnfang::openSimList()
{
    if (!m_simList)
        m_simList = new frmSimList(*this);
    showChild(m_simList);
}

void frmAnfang::openArchive()
{
    // Unloaded when closed: the next opening reads the files afresh.
    if (!m_archive)
        m_archive = new frmArchiv;
    showChild(m_archive);
}

QWidget *frmAnfang::registrationWindow() const { return m_sms1; }
