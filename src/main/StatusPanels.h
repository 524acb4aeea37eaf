#pragma once
#include <QLabel>
#include <QStatusBar>

// StatusBar1: four sunken panels, each a real child widget whose text assistive technology
// can read. Panel 1 also carries the port-open or port-closed picture.
class StatusPanels {
public:
    explicit StatusPanels(QStatusBar *bar);
    void setText(int panel, const QString &text);
    QString text(int panel) const;
    void setPicture(const QPixmap &pm, bool portOpen);
    bool pictureShowsOpen() const { return m_open; }

private:
    QLabel *m_picture = nullptr;
    QLabel *m_text[4] = {};
    bool m_open = true;
};
