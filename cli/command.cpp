#include "cli/command.h"

QString complaint(const QString& text) {
    return QStringLiteral("veltromark-cli: ") + text;
}
