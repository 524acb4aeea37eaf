#include "sms/frmArchiv.h"

#include "sms/ArchiveExport.h"

#include "platform/ControlName.h"
#include "platform/Platform.h"
#include "platform/Twips.h"
#include "platform/WorkFolder.h"
#include "sms/ArchiveModel.h"
#include "sms/PhoneNames.h"
#include "sms/SentStore.h"
#include "sms/SmsArchive.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

// Geometry in twips.
constexpr int kWindowWidth = 10800;
constexpr int kWindowHeight = 6600;
constexpr int kColumnWidth[] = {900, 900, 1650, 1500, 2350};
constexpr int kFixedColumns = 5;
constexpr int kTextLines = 4;

} // namespace

frmArchiv::frmArchiv(QWidget *parent) : QWidget(parent)
{
    Named(this, QStringLiteral("frmArchiv"));
    setWindowTitle(QStringLiteral("Nachrichtenarchiv"));
    setAttribute(Qt::WA_DeleteOnClose);

    lblSuche = Named(new QLabel(QStringLiteral("&Suchen:"), this), QStringLiteral("lblSuche"));
    txtSuche = Named(new QLineEdit(this), QStringLiteral("txtSuche"), QStringLiteral("Suche in Nummer, Name und Text"));
    txtSuche->setClearButtonEnabled(true);
    lblSuche->setBuddy(txtSuche);
    lblAnzahl = Named(new QLabel(this), QStringLiteral("lblAnzahl"));

    m_model = new ArchiveModel(this);
    grdArchiv = Named(new QTableView(this), QStringLiteral("grdArchiv"), QStringLiteral("Archivierte Nachrichten"));
    grdArchiv->setModel(m_model);
    grdArchiv->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdArchiv->setSelectionMode(QAbstractItemView::SingleSelection);
    grdArchiv->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdArchiv->setTabKeyNavigation(false);
    grdArchiv->setWordWrap(false);
    grdArchiv->setAlternatingRowColors(true);
    grdArchiv->verticalHeader()->hide();
    // Fixed row heights: nothing is measured row by row, however many messages there are.
    grdArchiv->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grdArchiv->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    grdArchiv->horizontalHeader()->setStretchLastSection(true);
    grdArchiv->horizontalHeader()->setHighlightSections(false);
    for (int c = 0; c < kFixedColumns; ++c)
        grdArchiv->setColumnWidth(c, twips::toPx(kColumnWidth[c]));

    txtNachricht = Named(new QPlainTextEdit(this), QStringLiteral("txtNachricht"), QStringLiteral("Nachrichtentext"));
    txtNachricht->setReadOnly(true);
    txtNachricht->setTabChangesFocus(true);
    txtNachricht->setFixedHeight(fontMetrics().lineSpacing() * kTextLines + 12);

    cmdNeu = Named(new QPushButton(QStringLiteral("&Neu laden"), this), QStringLiteral("cmdNeu"));
    cmdExport = Named(new QPushButton(QStringLiteral("&Exportieren…"), this), QStringLiteral("cmdExport"));
    cmdClose = Named(new QPushButton(QStringLiteral("S&chließen"), this), QStringLiteral("cmdClose"));
    sbrMeldung = Named(new QLabel(this), QStringLiteral("sbrMeldung"));
    sbrMeldung->setFrameShape(QFrame::Panel);
    sbrMeldung->setFrameShadow(QFrame::Sunken);
    sbrMeldung->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *searchRow = new QHBoxLayout;
    searchRow->addWidget(lblSuche);
    searchRow->addWidget(txtSuche, 1);
    searchRow->addSpacing(12);
    searchRow->addWidget(lblAnzahl);
    auto *buttonRow = new QHBoxLayout;
    buttonRow->addWidget(cmdNeu);
    buttonRow->addWidget(cmdExport);
    buttonRow->addStretch();
    buttonRow->addWidget(cmdClose);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 0);
    outer->addLayout(searchRow);
    outer->addWidget(grdArchiv, 1);
    outer->addWidget(txtNachricht);
    outer->addLayout(buttonRow);
    outer->addWidget(sbrMeldung);

    connect(txtSuche, &QLineEdit::textChanged, this, &frmArchiv::search);
    connect(m_model, &QAbstractItemModel::modelReset, this, &frmArchiv::afterReset);
    connect(grdArchiv->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &frmArchiv::showCurrent);
    connect(cmdNeu, &QPushButton::clicked, this, &frmArchiv::reload);
    connect(cmdExport, &QPushButton::clicked, this, &frmArchiv::exportShown);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);

    resize(sizeHint());
    reload();
}

QSize frmArchiv::sizeHint() const { return {twips::toPx(kWindowWidth), twips::toPx(kWindowHeight)}; }

void frmArchiv::reload()
{
    auto &ui = platform::dialogs();
    ui.setBusy(true);
    const auto idle = qScopeGuard([&ui] { ui.setBusy(false); });
    const QString folder = platform::workFolder();
    ArchiveLoad load = LoadSmsArchive(folder);
    sbrMeldung->setToolTip(load.problems.join(u'\n'));
    m_counts = {{}, load.filesRead, load.problems};
    m_names = PhoneNames::fromFolder(folder);
    // The row looked at stays; at the first reading the newest, sent or received.
    const QString keep = currentKey();
    m_keep = keep;
    m_model->setMessages(std::move(load.messages), m_names);
    // A status report that comes while the window is open shows at once.
    SentStore &store = SentStore::current();
    if (m_store != &store) {
        if (m_store)
            disconnect(m_store, nullptr, this, nullptr);
        m_store = &store;
        connect(m_store, &SentStore::changed, this, [this] { showSent(currentKey()); });
    }
    showSent(keep);
}

void frmArchiv::showSent(const QString &keep)
{
    if (!m_store)
        return;
    m_keep = keep;
    m_model->setSent(m_store->log(), m_store->sending(), m_names);
    // The parts of a long message count as the one message they make.
    sbrMeldung->setText(ArchiveStatusText(m_counts, m_model->receivedCount(), m_model->sentCount()));
}

QString frmArchiv::currentKey() const
{
    const QModelIndex current = grdArchiv->currentIndex();
    return current.isValid() ? m_model->key(current.row()) : QString();
}

void frmArchiv::search(const QString &query) { m_model->setQuery(query); }

void frmArchiv::exportShown()
{
    auto &ui = platform::dialogs();
    const QString path = ui.chooseFile({QStringLiteral("Archiv exportieren"),
                                        QStringLiteral("Tabelle, UTF-8 (*.csv)|*.csv|Postfach (*.mbox)|*.mbox"), true});
    if (path.isEmpty())
        return;
    if (QFileInfo::exists(path) &&
        ui.message(QStringLiteral("Die Datei %1 gibt es schon. Ersetzen?").arg(QDir::toNativeSeparators(path)),
                   MsgButtons::YesNo, MsgIcon::Question) != MsgAnswer::Yes)
        return;
    const QList<ExportedSms> rows = m_model->shownRows();
    QString error;
    if (!WriteArchiveExport(path, rows, &error)) {
        ui.message(QStringLiteral("Das Archiv konnte nicht nach %1 geschrieben werden: %2")
                       .arg(QDir::toNativeSeparators(path), error),
                   MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    sbrMeldung->setText(QStringLiteral("%1 Nachrichten nach %2 exportiert").arg(rows.size()).arg(QFileInfo(path).fileName()));
}

void frmArchiv::afterReset()
{
    showCount();
    // The row looked at stays when the rows are filled again; otherwise the newest match, the
    // one looked for most often.
    const int kept = m_keep.isEmpty() ? -1 : m_model->rowOf(std::exchange(m_keep, QString()));
    if (m_model->rowCount() > 0)
        grdArchiv->setCurrentIndex(m_model->index(std::max(kept, 0), 0));
    else
        showCurrent();
}

void frmArchiv::showCount()
{
    const int shown = m_model->rowCount();
    const int total = m_model->total();
    lblAnzahl->setText(shown == total ? QStringLiteral("%1 Nachrichten").arg(total)
                                      : QStringLiteral("%1 von %2 Nachrichten").arg(shown).arg(total));
}

void frmArchiv::showCurrent()
{
    const QModelIndex current = grdArchiv->currentIndex();
    QString text = current.isValid() ? m_model->message(current.row()).text : QString();
    txtNachricht->setPlainText(text.replace(QLatin1String("\r\n"), QLatin1String("\n")));
}
