#pragma once
#include <QString>

// The application title: window caption, title of every message box without one of its own,
// and the name under which the settings store keeps our values.
inline const QString kAppTitle = QStringLiteral("Varnix");
