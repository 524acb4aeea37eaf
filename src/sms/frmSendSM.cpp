#include "sms/frmSendSM.h"

#include "comm/CommPort.h"
#include "comm/ModemLink.h"
#include "modem/ModemCommand.h"
#include "phonelist/frmTelNr.h"
#include "platform/ControlName.h"
#include "platform/HeaderGrid.h"
#include "platform/Platform.h"
#include "platform/Twips.h"
#include "text/AtInput.h"
#include "text/StringUtil.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Trims the blank (32) only: line breaks at the ends belong to the text.
QString trimBlanks(const QString &s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && s[b] == QLatin1Char(' '))
        ++b;
    while (e > b && s[e - 1] == QLatin1Char(' '))
        --e;
    return s.mid(b, e - b);
}

} // namespace

frmSendSM::frmSendSM(ModemLink &link, QWidget *parent) : QWidget(parent), m_link(link)
{
    Named(this, QStringLiteral("frmSendSM"));
    setWindowTitle(QStringLiteral("SM senden"));

    Frame3D3 = Named(new QFrame(this), QStringLiteral("Frame3D3"));
    Frame3D3->setFrameShape(QFrame::StyledPanel);
    Frame3D3->setFrameShadow(QFrame::Raised);
    Label3 = Named(new QLabel(QStringLiteral("Text eingeben"), Frame3D3), QStringLiteral("Label3"));
    Eingabe = Named(new QPlainTextEdit(Frame3D3), QStringLiteral("Eingabe"), QStringLiteral("Nachrichtentext"));
    Eingabe->setTabChangesFocus(true);
    Label3->setBuddy(Eingabe);
    Label2 = Named(new QLabel(QStringLiteral("Länge:"), Frame3D3), QStringLiteral("Label2"));
    lblTextLang = Named(new QLabel(QStringLiteral("0"), Frame3D3), QStringLiteral("lblTextLang"),
                        QStringLiteral("Textlänge"));
    lblTextLang->setMinimumWidth(40);
    cmdDelete = Named(new QPushButton(QStringLiteral("&Löschen"), Frame3D3), QStringLiteral("cmdDelete"));
    cmdNext = Named(new QPushButton(QStringLiteral("> Weiter"), Frame3D3), QStringLiteral("cmdNext"));
    cmdBack = Named(new QPushButton(QStringLiteral("< Zurück"), Frame3D3), QStringLiteral("cmdBack"));
    cmdEsc = Named(new QPushButton(QStringLiteral("S&chließen"), Frame3D3), QStringLiteral("cmdEsc"));

    Frame1 = Named(new QFrame(Frame3D3), QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::VLine);
    Frame1->setFrameShadow(QFrame::Sunken);
    Label1 = Named(new QLabel(QStringLiteral("Telefonnummer des Empfängers"), Frame3D3), QStringLiteral("Label1"));
    lstEmpf = Named(new QListWidget(Frame3D3), QStringLiteral("lstEmpf"), QStringLiteral("Empfänger"));
    // Ctrl and Shift pick several names; the same text then goes to each.
    lstEmpf->setSelectionMode(QAbstractItemView::ExtendedSelection);
    txtZielNr = Named(new QLineEdit(Frame3D3), QStringLiteral("txtZielNr"), QStringLiteral("Rufnummer des Empfängers"));
    cmdAdrList = Named(new QPushButton(QStringLiteral("&Telefonliste bearbeiten"), Frame3D3),
                       QStringLiteral("cmdAdrList"));
    cmdSend = Named(new QPushButton(QStringLiteral("&Senden"), Frame3D3), QStringLiteral("cmdSend"));
    cmdAbbruch = Named(new QPushButton(QStringLiteral("&Abbrechen"), Frame3D3), QStringLiteral("cmdAbbruch"));
    cmdAbbruch->hide();
    lblFortschritt = Named(new QLabel(Frame3D3), QStringLiteral("lblFortschritt"));
    lstTelNrZiel = Named(new QListWidget(this), QStringLiteral("lstTelNrZiel"), QStringLiteral("Rufnummern"));
    lstTelNrZiel->hide();

    auto *grid = new QGridLayout(Frame3D3);
    grid->setContentsMargins(10, 10, 10, 10);
    grid->setHorizontalSpacing(10);
    grid->addWidget(Label3, 0, 0, 1, 3);
    grid->addWidget(Eingabe, 1, 0, 1, 3);
    auto *lengthRow = new QHBoxLayout;
    lengthRow->setSpacing(6);
    lengthRow->addWidget(Label2);
    lengthRow->addWidget(lblTextLang);
    lengthRow->addStretch();
    lengthRow->addWidget(cmdDelete);
    grid->addLayout(lengthRow, 2, 0, 1, 3);
    grid->addWidget(cmdBack, 3, 0);
    grid->addWidget(cmdNext, 3, 1);
    grid->addWidget(cmdEsc, 3, 2);
    grid->addWidget(Frame1, 0, 3, 4, 1);
    grid->addWidget(Label1, 0, 4);
    grid->addWidget(lstEmpf, 1, 4);
    auto *numberCol = new QVBoxLayout;
    numberCol->addWidget(txtZielNr);
    numberCol->addWidget(cmdAdrList);
    grid->addLayout(numberCol, 2, 4);
    auto *sendRow = new QHBoxLayout;
    sendRow->addWidget(cmdSend, 1);
    sendRow->addWidget(cmdAbbruch, 1);
    grid->addLayout(sendRow, 3, 4);
    grid->addWidget(lblFortschritt, 4, 0, 1, 5);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(4, 3);
    // The recipient column keeps its room while hidden, so the window does not jump.
    grid->setColumnMinimumWidth(4, 200);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    outer->addWidget(Frame3D3);

    connect(Eingabe, &QPlainTextEdit::textChanged, this, &frmSendSM::textChanged);
    connect(cmdDelete, &QPushButton::clicked, Eingabe, &QPlainTextEdit::clear);
    connect(cmdNext, &QPushButton::clicked, this, [this] { showRecipients(true); });
    connect(cmdBack, &QPushButton::clicked, this, [this] { showRecipients(false); });
    connect(cmdEsc, &QPushButton::clicked, this, &QWidget::hide);
    connect(lstEmpf, &QListWidget::currentRowChanged, this, &frmSendSM::recipientChanged);
    connect(lstEmpf, &QListWidget::itemSelectionChanged, this, &frmSendSM::recipientChanged);
    connect(cmdAbbruch, &QPushButton::clicked, this, [this] { ModemTask::cancelFor(m_link, this); });
    connect(cmdAdrList, &QPushButton::clicked, this, [this] {
        frmTelNr::Instance(parentWidget()).ShowModal();
        RecipientsFill();
    });
    connect(cmdSend, &QPushButton::clicked, this, &frmSendSM::cmdSend_Click);

    // Load: empty text, the phone list read through the (hidden) phone-list window.
    Eingabe->setPlainText(QString());
    textChanged();
    frmTelNr::Instance(parentWidget()).PhListOpen();
    // 6945 x 5265 twips, widened by the same measure as the other windows for today's fonts.
    resize(twips::toPx(6945), twips::toPx(5265) - 30);
    RecipientsFill();
    showRecipients(false);
}

QString frmSendSM::messageText() const
{
    QString text = Eingabe->toPlainText();
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

void frmSendSM::textChanged()
{
    const qsizetype n = messageText().size();
    lblTextLang->setText(QString::number(n));
    QPalette pal = Eingabe->palette();
    pal.setColor(QPalette::Base, n <= kSmsLength ? QColor(255, 255, 255) : QColor(255, 0, 0));
    Eingabe->setPalette(pal);
}

void frmSendSM::showRecipients(bool on)
{
    for (QWidget *w : {static_cast<QWidget *>(cmdAdrList), static_cast<QWidget *>(lstEmpf),
                       static_cast<QWidget *>(Label1), static_cast<QWidget *>(txtZielNr),
                       static_cast<QWidget *>(cmdSend)})
        w->setVisible(on);
}

void frmSendSM::recipientChanged()
{
    const QList<Recipient> to = selectedRecipients();
    if (to.size() > 1) {
        txtZielNr->setEnabled(false);
        txtZielNr->setText(QStringLiteral("%1 Empfänger").arg(to.size()));
        return;
    }
    txtZielNr->setEnabled(true);
    if (to.size() == 1) {
        txtZielNr->setText(to.first().number);
        return;
    }
    const int row = lstEmpf->currentRow();
    if (row >= 0 && row < lstTelNrZiel->count())
        txtZielNr->setText(lstTelNrZiel->item(row)->text());
}

QList<Recipient> frmSendSM::selectedRecipients() const
{
    QList<Recipient> to;
    for (int i = 0; i < lstEmpf->count() && i < lstTelNrZiel->count(); ++i) {
        if (lstEmpf->item(i)->isSelected())
            to.append({lstEmpf->item(i)->text(), lstTelNrZiel->item(i)->text()});
    }
    return to;
}

void frmSendSM::RecipientsFill()
{
    lstEmpf->clear();
    lstTelNrZiel->clear();
    const HeaderGrid *grid = frmTelNr::Instance(parentWidget()).tabTelefon;
    for (int r = 1; r < grid->rowCount(); ++r) {
        // Rows left empty by the editor (a fresh grid, a deleted entry) are no recipients.
        if (grid->cell(r, 1).isEmpty() && grid->cell(r, 2).isEmpty())
            continue;
        lstEmpf->addItem(grid->cell(r, 1));
        lstTelNrZiel->addItem(grid->cell(r, 2));
    }
    if (lstEmpf->count() > 0)
        lstEmpf->setCurrentRow(0);
}

void frmSendSM::closeEvent(QCloseEvent *e)
{
    // Hidden, not destroyed: a send may still wait for the modem's prompt, and the text
    // and recipients are kept for the next showing. A text going to several names stops
    // before the next one: nobody would see it go on.
    ModemTask::cancelFor(m_link, this);
    hide();
    e->ignore();
}

void frmSendSM::cmdSend_Click()
{
    // A click while the modem's prompt is awaited would interleave two messages: the task
    // refuses it.
    ModemTask task(m_link, this, windowTitle());
    if (!task)
        return;
    const QList<Recipient> to = selectedRecipients();
    if (to.size() > 1)
        sendToSeveral(task, to);
    else
        send(task);
}

bool frmSendSM::refusedInput(const QStringList &numbers, const QString &text)
{
    auto &ui = platform::dialogs();
    for (const QString &number : numbers) {
        if (!IsSafeQuotedParameter(number)) {
            ui.message(kUnsafeParameterMessage);
            return true;
        }
    }
    if (!IsSafeMessageBody(text)) {
        ui.message(kUnsafeBodyMessage);
        return true;
    }
    return false;
}

bool frmSendSM::submit(ModemTask &task, const QString &number, const QString &text, ModemTask::Reply &reply)
{
    reply = task.exchange(QStringLiteral("AT+CMGS=\"%1\"").arg(number));
    if (!reply.answer.contains(QLatin1Char('>')))
        return false;
    task.send(text + QChar(26));
    return true;
}

void frmSendSM::send(ModemTask &task)
{
    auto &ui = platform::dialogs();
    if (!PortIsOpen(m_link))
        return;
    const QString number = txtZielNr->text();
    QString text = messageText();
    if (refusedInput({number}, text))
        return;
    if (!number.startsWith(QLatin1String("00")) && !number.startsWith(QLatin1Char('+'))
        && ui.message(QStringLiteral("Telefonnummer am Anfang falsch! \r\nTrotzdem senden?"), MsgButtons::YesNo)
               == MsgAnswer::No)
        return;

    UmlautReplace(text);
    text = trimBlanks(text);
    // Only the prompt decides; the final answer (+CMGS or an error) comes with the next tick.
    ModemTask::Reply reply;
    submit(task, number, text, reply);
}

void frmSendSM::sendToSeveral(ModemTask &task, const QList<Recipient> &to)
{
    auto &ui = platform::dialogs();
    if (!PortIsOpen(m_link))
        return;
    QStringList numbers;
    for (const Recipient &r : to)
        numbers.append(r.number);
    QString text = messageText();
    if (refusedInput(numbers, text))
        return;
    const QStringList national = NationalNumbers(to);
    if (!national.isEmpty()
        && ui.message(QStringLiteral("Diese Nummern beginnen weder mit 00 noch mit +:\r\n") + national.join(QStringLiteral("\r\n"))
                          + QStringLiteral("\r\nTrotzdem an alle senden?"),
                      MsgButtons::YesNo)
               == MsgAnswer::No)
        return;
    UmlautReplace(text);
    text = trimBlanks(text);

    cmdAbbruch->show();
    QList<SendOutcome> outcomes;
    bool brokenOff = false;
    bool modemSilent = false;
    for (int i = 0; i < to.size(); ++i) {
        SendOutcome outcome;
        outcome.to = to.at(i);
        if (task.cancelled() || modemSilent) {
            brokenOff = brokenOff || task.cancelled();
            outcome.reason = task.cancelled() ? QStringLiteral("abgebrochen") : QStringLiteral("nicht versucht");
            outcomes.append(outcome);
            continue;
        }
        lblFortschritt->setText(MultiSendProgress(i + 1, int(to.size())));
        ModemTask::Reply reply;
        const bool prompted = submit(task, to.at(i).number, text, reply);
        // Unlike a single send, the next AT+CMGS must not go out before this answer.
        if (prompted)
            reply = task.answer();
        // Pulled out: the main window has said so; the summary names it for this message.
        outcome.reason = m_link.comm().lost() ? QStringLiteral("Verbindung zum Modem unterbrochen")
                                              : CmgsFailure(reply.answer, reply.status, prompted);
        outcome.state = outcome.reason.isEmpty() ? SendState::Sent : SendState::Failed;
        // A modem that has fallen silent (or gone) would only collect a time-out for every name.
        modemSilent = reply.status == kStatusTimeout;
        outcomes.append(outcome);
    }
    cmdAbbruch->hide();
    lblFortschritt->clear();
    const bool allSent = std::all_of(outcomes.begin(), outcomes.end(),
                                     [](const SendOutcome &o) { return o.state == SendState::Sent; });
    ui.message(MultiSendSummary(outcomes, brokenOff), MsgButtons::Ok,
               allSent ? MsgIcon::Information : MsgIcon::Exclamation);
}
