#pragma once
#include <QString>
#include <QWidget>

// Every control carries its name as objectName and accessibleDescription, so tests, UI
// automation and assistive technology find it; controls without a caption of their own
// also get what a screen reader should say.
template <typename W> W *Named(W *w, const QString &name, const QString &spoken = {})
{
    w->setObjectName(name);
    w->setAccessibleDescription(name);
    if (!spoken.isEmpty())
        w->setAccessibleName(spoken);
    return w;
}
