#include "platform/Dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

QString Dialogs::chooseFile(const FileRequest &request)
{
    const QString name = askFile(request);
    if (!name.isEmpty())
        QDir::setCurrent(QFileInfo(name).absolutePath());
    return name;
}

namespace {

void setUp(QMessageBox &box, const QString &text, MsgIcon icon, const QString &title)
{
    box.setWindowTitle(title);
    box.setText(text);
    switch (icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    }
}

} // namespace

MsgAnswer WidgetDialogs::message(const QString &text, MsgButtons buttons, MsgIcon icon, const QString &title)
{
    QMessageBox box(QApplication::activeWindow());
    setUp(box, text, icon, title);
    switch (buttons) {
    case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case MsgButtons::RetryCancel: box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel); break;
    }
    // A busy pointer must not hide the arrow over a question.
    const bool busy = m_busy > 0;
    if (busy)
        QApplication::restoreOverrideCursor();
    const int r = box.exec();
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    switch (r) {
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    case QMessageBox::Retry: return MsgAnswer::Retry;
    case QMessageBox::Cancel: return MsgAnswer::Cancel;
    default: return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Cancel;
    }
}

void WidgetDialogs::notice(const QString &text, MsgIcon icon, const QString &title)
{
    // Modal to its window, so it is read before the next click, but nobody waits for it.
    auto *box = new QMessageBox(QApplication::activeWindow());
    box->setAttribute(Qt::WA_DeleteOnClose);
    setUp(*box, text, icon, title);
    box->setStandardButtons(QMessageBox::Ok);
    box->open();
}

void WidgetDialogs::beep() { QApplication::beep(); }

void WidgetDialogs::setBusy(bool busy)
{
    if (busy) {
        if (m_busy++ == 0)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (m_busy > 0 && --m_busy == 0) {
        QApplication::restoreOverrideCursor();
    }
}

QString WidgetDialogs::qtFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    if (parts.size() < 2) {
        const QString ext = filter.trimmed();
        if (ext.isEmpty())
            return {};
        const QString pat = ext.contains(QLatin1Char('*')) ? ext : QStringLiteral("*.") + ext;
        return QStringLiteral("%1 (%2 %3)").arg(ext, pat, pat.toUpper());
    }
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString desc = parts[i].trimmed();
        const qsizetype paren = desc.lastIndexOf(QLatin1Char('('));
        if (paren > 0 && desc.endsWith(QLatin1Char(')')) && desc.indexOf(QLatin1Char('*'), paren) > 0) {
            out << desc;
            continue;
        }
        QStringList pats;
        for (const QString &p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString pat = p.trimmed();
            if (pat == QLatin1String("*.*")) {
                pats << QStringLiteral("*");
                continue;
            }
            pats << pat.toLower();
            if (pat.toUpper() != pat.toLower())
                pats << pat.toUpper();
        }
        out << QStringLiteral("%1 (%2)").arg(desc, pats.join(QLatin1Char(' ')));
    }
    return out.join(QStringLiteral(";;"));
}

QString WidgetDialogs::askFile(const FileRequest &request)
{
    QFileDialog dialog(QApplication::activeWindow(), request.title, QDir::currentPath(), qtFilter(request.filter));
    // Unix file names are case-sensitive; "*.LOG" must still show modem.log.
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    if (request.save || request.newName) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // Every caller asks "Bestehende Datei ersetzen - ...?" itself.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        if (request.newName)
            dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Öffnen"));
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
