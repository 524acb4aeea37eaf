#pragma once
#include <QLabel>

// A picture on the terminal panel that reacts to clicks and shows a border on hover; its
// spoken name is also its tooltip.
class IconLabel final : public QLabel {
    Q_OBJECT
public:
    IconLabel(const QString &name, const QString &spokenName, const QPixmap &pm, QWidget *parent);
    void setBordered(bool on) { setFrameShape(on ? QFrame::Box : QFrame::NoFrame); }
    bool bordered() const { return frameShape() == QFrame::Box; }

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
};
