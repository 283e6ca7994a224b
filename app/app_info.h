#pragma once

#include <QString>

// The application title (task bar text, title of the application error box) and the
// version the window shows in its caption.
inline const QString kApplicationTitle = QStringLiteral("Veltromark Configurator");
inline const QString kVersionText = QStringLiteral("v1.07");

// "Veltromark Configurator v1.07"
inline QString mainWindowCaption() {
    return kApplicationTitle + QLatin1Char(' ') + kVersionText;
}
