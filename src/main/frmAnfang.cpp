#include "main/frmAnfang.h"

#include "comm/ComProcs.h"
#include "main/IconLabel.h"
#include "main/Icons.h"
#include "main/TerminalText.h"
#include "main/WindowPlacement.h"
#include "modem/frmSMS1.h"
#include "platform/ControlName.h"
#include "platform/Platform.h"
#include "platform/PortMap.h"
#include "platform/Twips.h"
#include "platform/WorkFolder.h"
#include "sms/DeliveryReports.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextDocument>
#include <QTimer>
#include <utility>
#include <QVBoxLayout>
#include <QWindow>

namespace {

constexpr int kTimer1Ms = 1999;
// How long one tick goes on reading while characters keep coming; what arrives after that
// waits for the next tick, so a modem that never stops cannot hold the window.
constexpr double kTickReadSeconds = 0.02;
// What one tick reads past this goes to the traffic log as it comes, keeping the pane's last
// part back: the pane shows no more than kTerminalLimit characters, and a tick at 4,000,000
// baud brings 800 KB, five times that in the ASCII view, which is memory held for nothing.
constexpr qsizetype kTickHeld = 4 * kTerminalLimit;
constexpr qsizetype kTickSlice = 16 * 1024;
// The terminal is as high as the window less this many twips.
constexpr double kTerminalHeightOffset = 4575;
constexpr double kIconStripTwips = 900;

// A stored geometry value; false when there is none or it is not a number.
bool storedTwips(const SettingKey &key, double &value)
{
    bool ok = false;
    const QString text =
        platform::settings().value(QString::fromUtf8(key.section), QString::fromUtf8(key.key), QString());
    value = text.trimmed().toFloat(&ok);
    return ok;
}

// The title bar's height: a window whose title bar is on no screen cannot be moved back.
constexpr int kTitleStripPx = 30;

} // namespace

frmAnfang::frmAnfang(std::unique_ptr<SerialBackend> backend, QWidget *parent)
    : QMainWindow(parent),
      m_comm(std::move(backend), [](int n) { return PortDevice(n, platform::settings()); })
{
    setWindowTitle(kAppTitle);
    setWindowIcon(QIcon(icons::logo(48)));
    Named(this, QStringLiteral("frmAnfang"));
    endProgram = [] { QCoreApplication::exit(0); };

    auto *central = new QWidget(this);
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    buildTerminalPanel();
    column->addWidget(picTerminal);
    mdiArea = new QMdiArea(central);
    Named(mdiArea, QStringLiteral("mdiArea"), QStringLiteral("Arbeitsbereich"));
    // The terminal takes most of the height; a child window taller than what is left can
    // still be reached.
    mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(mdiArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow *sub) {
        // Only a change of window counts: the return from a message box is none.
        if (!sub || sub == m_lastActive)
            return;
        m_lastActive = sub;
        if (m_sms1 && sub->widget() == m_sms1)
            m_sms1->broughtToFront();
    });
    column->addWidget(mdiArea, 1);
    setCentralWidget(central);

    m_panels = std::make_unique<StatusPanels>(statusBar());
    buildMenus();
    buildToolBar();

    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(kTimer1Ms);
    // The terminal never reads in the middle of a window's task, even if the timer runs.
    connect(&Timer1, &QTimer::timeout, this, [this] {
        if (modemTask().isEmpty())
            ReceiveLoop();
    });
    m_comm.setLostHandler([this] { PortLost(); });
    new DeliveryReports(*this, this);

    load();
    Timer1.start();
}

frmAnfang::~frmAnfang()
{
    Timer1.stop();
    m_log.close();
    // The child windows hand the receive timer back when they go; that must happen while this
    // window is still whole, not when its base deletes its children.
    delete std::exchange(mdiArea, nullptr);
}

void frmAnfang::buildTerminalPanel()
{
    picTerminal = new QWidget(this);
    Named(picTerminal, QStringLiteral("picTerminal"), QStringLiteral("Terminalbereich"));
    picTerminal->setMouseTracking(true);
    picTerminal->installEventFilter(this);

    const auto px = [](double tw) { return twips::toPx(tw); };
    imgModem = new IconLabel(QStringLiteral("imgModem"), QStringLiteral("Modem anmelden"), icons::modem(), picTerminal);
    imgSend = new IconLabel(QStringLiteral("imgSend"), QStringLiteral("SM senden"), icons::send(), picTerminal);
    imgRec = new IconLabel(QStringLiteral("imgRec"), QStringLiteral("SMS empfangen"), icons::receive(), picTerminal);
    imgTerm = new IconLabel(QStringLiteral("imgTerm"), QStringLiteral("Terminal ein-/ausschalten"), icons::terminal(),
                            picTerminal);
    IconLabel *const strip[] = {imgModem, imgSend, imgRec, imgTerm};
    for (int i = 0; i < 4; ++i)
        strip[i]->move(px(120 + i * 600), px(90));

    optDisplay[0] = new QRadioButton(QStringLiteral("Normaldarstellung"), picTerminal);
    optDisplay[1] = new QRadioButton(QStringLiteral("ASCII-Darstellung"), picTerminal);
    for (int i = 0; i < 2; ++i) {
        Named(optDisplay[i], QStringLiteral("optDisplay(%1)").arg(i));
        optDisplay[i]->adjustSize();
        optDisplay[i]->move(px(3000), px(150 + i * 330));
    }
    optDisplay[0]->setChecked(true);

    imgLes = new QLabel(picTerminal);
    Named(imgLes, QStringLiteral("imgLes"), QStringLiteral("Leseanzeige"));
    imgLes->setPixmap(icons::reading());
    imgLes->setFixedSize(16, 16);
    imgLes->move(px(2700), optDisplay[0]->y() - px(50));

    imgConnected = new QLabel(picTerminal);
    Named(imgConnected, QStringLiteral("imgConnected"), QStringLiteral("Bild: Schnittstelle offen"));
    imgConnected->setPixmap(icons::connected());
    imgConnected->hide();
    imgNotConnected = new QLabel(picTerminal);
    Named(imgNotConnected, QStringLiteral("imgNotConnected"), QStringLiteral("Bild: Schnittstelle geschlossen"));
    imgNotConnected->setPixmap(icons::notConnected());
    imgNotConnected->hide();

    auto *logo = new QLabel(picTerminal);
    Named(logo, QStringLiteral("imgLogo"), QStringLiteral("Varnix"));
    logo->setPixmap(icons::logo(40));
    logo->setFixedSize(44, 44);

    txtTerm = new QPlainTextEdit(picTerminal);
    Named(txtTerm, QStringLiteral("txtTerm"), QStringLiteral("Terminal"));
    txtTerm->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtTerm->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Wrapped at the last column, as a terminal does. Wrapping at word boundaries makes the
    // layout search a line that has none (the ASCII view, line noise) to its end once for
    // every screen line: on a fast line that was most of the program's time.
    txtTerm->setWordWrapMode(QTextOption::WrapAnywhere);
    txtTerm->setUndoRedoEnabled(false);
    // A fixed-pitch font needs no shaping (no kerning, no ligatures); skipping it makes the
    // layout of a long line a good deal cheaper.
    QFont termFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    termFont.setStyleStrategy(QFont::PreferNoShaping);
    txtTerm->setFont(termFont);
    txtTerm->move(0, px(kIconStripTwips));
    txtTerm->setFixedHeight(px(7000 - kTerminalHeightOffset));
    txtTerm->installEventFilter(this);

    connect(imgTerm, &IconLabel::clicked, this, [this] {
        txtTerm->setVisible(txtTerm->isHidden());
        setTerminalHeight(txtTerm->height());
    });
    connect(imgModem, &IconLabel::clicked, this, &frmAnfang::openRegistration);
    connect(imgSend, &IconLabel::clicked, this, &frmAnfang::openSend);
    connect(imgRec, &IconLabel::clicked, this, &frmAnfang::openReceived);
    picTerminal->setFixedHeight(px(kIconStripTwips) + txtTerm->height());
}

void frmAnfang::load()
{
    // A port that will not open at start is most often a modem that sits elsewhere (a USB
    // stick, another number): the box offers to look for it.
    if (!m_comm.portOpen() && !m_comm.setPortOpen(true)) {
        if (platform::dialogs().message(m_comm.lastError() + QStringLiteral("\n\n") + kSearchOffer, MsgButtons::YesNo,
                                        MsgIcon::None, QStringLiteral("Com-Error"))
            == MsgAnswer::Yes)
            QTimer::singleShot(0, this, &frmAnfang::openModemSearch);
    } else {
        ComClear(m_comm);
    }
    ComStatus();
    restoreGeometry();
    applyMyDir();
    updateLogCommands();
}

void frmAnfang::restoreGeometry()
{
    // A value that is missing or no number takes its default; with none at all this is the
    // first start, which gets room for the work area.
    const SettingKey geometryKeys[] = {keys::MainLeft, keys::MainTop, keys::MainWidth, keys::MainHeight};
    double tw[4] = {};
    bool anyStored = false;
    for (int i = 0; i < 4; ++i) {
        if (storedTwips(geometryKeys[i], tw[i]))
            anyStored = true;
        else
            tw[i] = QString::fromUtf8(geometryKeys[i].fallback).toDouble();
    }
    QRect wanted(twips::toPx(tw[0]), twips::toPx(tw[1]), twips::toPx(tw[2]), twips::toPx(tw[3]));

    // The screen that holds most of the title bar; none, and the window starts afresh.
    const QScreen *target = nullptr;
    qint64 best = 0;
    const QRect strip(wanted.topLeft(), QSize(wanted.width(), kTitleStripPx));
    for (const QScreen *s : QGuiApplication::screens()) {
        const QRect common = s->availableGeometry().intersected(strip);
        if (!common.isEmpty() && qint64(common.width()) * common.height() > best) {
            best = qint64(common.width()) * common.height();
            target = s;
        }
    }
    if (!anyStored || !target || wanted.width() < 100 || wanted.height() < 100) {
        target = QGuiApplication::primaryScreen();
        const QPoint origin = target ? target->availableGeometry().topLeft() : QPoint();
        wanted =
            QRect(origin + QPoint(twips::toPx(1000), twips::toPx(1000)),
                  QSize(twips::toPx(placement::kFirstRunWidthTwips), twips::toPx(placement::kFirstRunHeightTwips)));
    }
    m_wanted = wanted;
    const QRect r =
        target ? placement::FitMainWindow(wanted, target->availableGeometry(), placement::kFrameAllowance) : wanted;
    move(r.topLeft());
    resize(r.size());
}

void frmAnfang::showEvent(QShowEvent *e)
{
    QMainWindow::showEvent(e);
    // The frame the window manager draws is known once the window is on the screen.
    if (!m_fitted && windowHandle())
        windowHandle()->installEventFilter(this);
}

void frmAnfang::fitOnScreen()
{
    m_fitted = true;
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    const QScreen *s = screen();
    if (!s || !windowHandle())
        return;
    const QRect r = placement::FitMainWindow(m_wanted, s->availableGeometry(), windowHandle()->frameMargins());
    if (r.topLeft() != pos())
        move(r.topLeft());
    if (r.size() != size())
        resize(r.size());
}

void frmAnfang::applyMyDir()
{
    const QString dir = platform::settings().get(keys::MyDir);
    // A folder that no longer exists is passed over silently.
    if (!dir.isEmpty() && QFileInfo(dir).isDir())
        QDir::setCurrent(dir);
    platform::setStartFolder(QDir::currentPath());
}

void frmAnfang::saveSettings()
{
    auto &s = platform::settings();
    const auto num = [](int px) { return QString::number(static_cast<float>(twips::fromPx(px)), 'g', 7); };
    s.set(keys::MainLeft, num(pos().x()));
    s.set(keys::MainTop, num(pos().y()));
    s.set(keys::MainWidth, num(width()));
    s.set(keys::MainHeight, num(height()));
    // The working folder, not wherever the last file dialog went: the phone list and the
    // SMS files are looked for there at the next start.
    s.set(keys::MyDir, QDir::toNativeSeparators(platform::workFolder()));
}

void frmAnfang::closeEvent(QCloseEvent *e)
{
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)))
        saveSettings();
    Timer1.stop();
    m_log.close();
    e->accept();
    endProgram();
}

void frmAnfang::resizeEvent(QResizeEvent *e)
{
    QMainWindow::resizeEvent(e);
    const int h = twips::toPx(twips::fromPx(frameGeometry().height()) - kTerminalHeightOffset);
    if (h > 0)
        setTerminalHeight(h);
    QTimer::singleShot(0, this, [this] { makeRoomForChildren(); });
}

void frmAnfang::setTerminalHeight(int h)
{
    txtTerm->setFixedHeight(h);
    picTerminal->setFixedHeight(twips::toPx(kIconStripTwips) + (txtTerm->isHidden() ? 0 : h));
}

QSize frmAnfang::workArea()
{
    // Laid out now, not at the next turn of the event loop: the terminal may just have changed.
    if (QLayout *l = centralWidget()->layout())
        l->activate();
    return mdiArea->maximumViewportSize();
}

int frmAnfang::shrinkTerminal(int lack)
{
    if (lack <= 0 || txtTerm->isHidden())
        return lack;
    const int fewLines = txtTerm->fontMetrics().lineSpacing() * 5 + 2 * txtTerm->frameWidth();
    const int h = std::max(fewLines, txtTerm->height() - lack);
    if (h >= txtTerm->height())
        return lack;
    lack -= txtTerm->height() - h;
    setTerminalHeight(h);
    return lack;
}

void frmAnfang::makeRoomForChildren(int bottom)
{
    // The terminal takes the window's height less a fixed amount, which leaves the work area
    // too low for a child window. While one is open the terminal gives up what the child
    // lacks, down to a few lines; the next resize of the main window starts afresh.
    for (const QMdiSubWindow *sub : mdiArea->subWindowList()) {
        if (sub->isVisible() && !sub->isMinimized())
            bottom = std::max(bottom, sub->geometry().bottom() + 1);
    }
    int lack = shrinkTerminal(bottom - workArea().height());
    // What the terminal cannot give, the window gains downwards as far as the screen allows;
    // the terminal takes its share of the new height and hands it back at once.
    if (lack <= 0 || !isVisible() ||
        (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)))
        return;
    const QScreen *s = screen();
    const int room = s ? s->availableGeometry().bottom() - frameGeometry().bottom() : 0;
    const int grow = std::min(lack, room);
    if (grow <= 0)
        return;
    resize(width(), height() + grow);
    shrinkTerminal(bottom - workArea().height());
}

bool frmAnfang::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == windowHandle() && e->type() == QEvent::Expose && windowHandle()->isExposed()) {
        watched->removeEventFilter(this);
        fitOnScreen();
        return false;
    }
    if (e->type() == QEvent::HideToParent || e->type() == QEvent::ShowToParent) {
        auto *w = qobject_cast<QWidget *>(watched);
        if (auto *sub = w ? qobject_cast<QMdiSubWindow *>(w->parentWidget()) : nullptr)
            sub->setVisible(e->type() == QEvent::ShowToParent);
    }
    if (watched == txtTerm && e->type() == QEvent::KeyPress) {
        terminalKey(static_cast<QKeyEvent *>(e));
    } else if (watched == picTerminal) {
        if (e->type() == QEvent::MouseMove) {
            for (IconLabel *icon : {imgModem, imgSend, imgTerm, imgRec})
                icon->setBordered(true);
        } else if (e->type() == QEvent::Resize) {
            txtTerm->setFixedWidth(picTerminal->width());
            if (auto *logo = picTerminal->findChild<QLabel *>(QStringLiteral("imgLogo")))
                logo->move(picTerminal->width() - logo->width() - 8, 4);
        }
    }
    return QMainWindow::eventFilter(watched, e);
}

void frmAnfang::terminalKey(QKeyEvent *e)
{
    // Key down: Backspace goes out as DEL, Escape as ESC; every other key as an empty
    // write (which still beeps on a closed port).
    QString down;
    switch (e->key()) {
    case Qt::Key_Backspace: down = QChar(127); break;
    case Qt::Key_Escape: down = QChar(27); break;
    default: break;
    }
    ComSend(m_comm, down);

    // Key press: the character the key yields, if any.
    QString ch;
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: ch = QChar(13); break;
    case Qt::Key_Backspace: ch = QChar(8); break;
    case Qt::Key_Escape: ch = QChar(27); break;
    default:
        if ((e->modifiers() & Qt::ControlModifier) && e->key() >= Qt::Key_A && e->key() <= Qt::Key_Z)
            ch = QChar(e->key() - Qt::Key_A + 1);
        else if (!e->text().isEmpty() && !(e->modifiers() & Qt::ControlModifier))
            ch = e->text().left(1);
        break;
    }
    if (!ch.isEmpty())
        ComSend(m_comm, ch);
}

void frmAnfang::ReceiveLoop()
{
    if (!m_comm.portOpen())
        return;
    const int high = optDisplay[0]->y() - twips::toPx(50);
    const int low = optDisplay[0]->y() - twips::toPx(150);
    // The passes of one tick are shown together: the pane is laid out once per tick, not
    // once per piece the driver hands over.
    const Clock &clock = platform::clock();
    const double started = clock.monotonic();
    const bool ascii = optDisplay[1]->isChecked();
    QString tick;
    do {
        imgLes->move(imgLes->x(), imgLes->y() != high ? high : low);
        const QString data = m_comm.input();
        modemSent(data);
        // In slices: the first read of a tick takes all that came since the last one, and the
        // ASCII view makes up to five characters of each.
        for (qsizetype at = 0; at < data.size(); at += kTickSlice) {
            QString piece = data.mid(at, kTickSlice);
            if (ascii)
                piece = AsciiView(piece);
            // Line ends are made whole slice by slice (each character on its own decides), so
            // a front part can go to the log before the rest has come.
            NormaliseLineEnds(piece);
            tick += piece;
            if (tick.size() <= kTickHeld)
                continue;
            // Past the limit the pane shows the tick's tail in place of its text, as it would
            // with the whole tick. A CR stays with its LF.
            qsizetype cut = tick.size() - kTerminalLimit - 1;
            if (tick.at(cut - 1) == u'\r')
                --cut;
            if (m_log.isOpen())
                writeLog(QStringView(tick).left(cut));
            tick.remove(0, cut);
        }
    } while (m_comm.inBufferCount() > 0 && clock.monotonic() - started < kTickReadSeconds);
    if (!tick.isEmpty())
        ShowData(tick);
}

QString frmAnfang::terminalText() const
{
    // The raw text keeps every character (the plain-text export turns a no-break space into
    // a blank); blocks are separated by U+2029.
    QString text = txtTerm->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
    return text;
}

void frmAnfang::ShowData(QString &data)
{
    NormaliseLineEnds(data);
    // Trimming the front and appending in one edit: the pane's last line is laid out once.
    QTextCursor c(txtTerm->document());
    c.beginEditBlock();
    // The pane's length with CR LF line ends, without copying it: each block separator
    // stands for two characters. Only a pane past the limit is copied to find the cut.
    const QTextDocument *doc = txtTerm->document();
    const bool overLimit = doc->characterCount() - 1 + doc->blockCount() - 1 > kTerminalLimit;
    if (data.size() > kTerminalLimit) {
        // Only the tail of so much text is shown; the pane's older text did not come right
        // before that tail, so it goes as a whole instead of ending up beside it.
        c.select(QTextCursor::Document);
        c.removeSelectedText();
    } else if (const qsizetype drop = overLimit ? TerminalDropCount(terminalText()) : 0; drop > 0) {
        c.setPosition(0);
        c.setPosition(static_cast<int>(drop), QTextCursor::KeepAnchor);
        c.removeSelectedText();
    }
    c.movePosition(QTextCursor::End);
    c.insertText(PaneText(data));
    c.endEditBlock();
    // A caret at the end has moved along with the text. Putting it there again would have the
    // pane measure its whole last line once more, the most costly step of a long line.
    const QTextCursor caret = txtTerm->textCursor();
    if (caret.position() != c.position() || caret.hasSelection())
        txtTerm->setTextCursor(c);
    txtTerm->verticalScrollBar()->setValue(txtTerm->verticalScrollBar()->maximum());
    if (m_log.isOpen())
        writeLog(data);
}

void frmAnfang::setReceiveTimer(bool on)
{
    if (on)
        Timer1.start();
    else
        Timer1.stop();
}

void frmAnfang::ComStatus()
{
    const bool open = m_comm.portOpen();
    m_panels->setPicture(open ? imgConnected->pixmap() : imgNotConnected->pixmap(), open);
    m_panels->setText(1, ComStatusText(m_comm));
}

void frmAnfang::PortLost()
{
    // The port has closed itself; a waiting exchange ends at its next look at the port.
    ComStatus();
    platform::dialogs().message(
        QStringLiteral("%1\n\n%2\n\n%3").arg(kLinkLostMessage, m_comm.lastError(), kLinkBackHint), MsgButtons::Ok,
        MsgIcon::Exclamation);
}

void frmAnfang::ComToggle()
{
    if (!m_comm.setPortOpen(!m_comm.portOpen()))
        platform::dialogs().message(m_comm.lastError(), MsgButtons::Ok, MsgIcon::Exclamation);
    ComStatus();
}
