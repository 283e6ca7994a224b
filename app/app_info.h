#pragma once

#include <QString>

#include "version.h"

// The application title (task bar text, title of the application error box) and the
// version the window shows in its caption.
inline const QString kApplicationTitle = QStringLiteral("Veltromark Configurator");
inline const QString kVersionText = QLatin1Char('v') + QLatin1String(kProgramVersion);

// "Veltromark Configurator v1.07"
inline QString mainWindowCaption() {
    return kApplicationTitle + QLatin1Char(' ') + kVersionText;
}
