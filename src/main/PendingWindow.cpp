#include "main/PendingWindow.h"

#include "platform/ControlName.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

PendingWindow::PendingWindow(const QString &objectName, const QString &caption, QWidget *parent) : QDialog(parent)
{
    Named(this, objectName);
    setWindowTitle(caption);
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("Dieses Fenster ist in dieser Version noch nicht verfügbar."), this);
    Named(label, QStringLiteral("lblPending"));
    layout->addWidget(label);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(360, 120);
}
