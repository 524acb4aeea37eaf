#pragma once
#include <QDialog>

// A window whose contents are not built yet: it opens with its caption and says so.
class PendingWindow final : public QDialog {
public:
    PendingWindow(const QString &objectName, const QString &caption, QWidget *parent);
};
