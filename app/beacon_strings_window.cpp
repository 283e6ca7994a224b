#include "app/beacon_strings_window.h"

#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// Reference client size; a wider font needs more.
constexpr int kWidth = 317;
constexpr int kHeight = 180;
constexpr int kMargin = 12;

}  // namespace

const QStringList& SpecialStringsWindow::lines() {
    static const QStringList kLines = {
        "<statlat> - inserts latitude defined on  \"Radio\" Tab.",
        "<statlong> - inserts longitude defined on  \"Radio\" Tab.",
        "<gpsdate> - inserts time received from GPS in format: DDHHMM. ",
        "<gpslat> - inserts latitude received from GPS.",
        "<gpslong> - inserts longitude received from GPS.",
        "<volt> - inserts measured input voltage.",
        "<temp> - inserts temperature from thermometer connected to RS-485 bus.",
        "Example:",
        "/<gpsdate>z<gpslat>/<gpslong>>Veltromark U=<volt>V.",
    };
    return kLines;
}

SpecialStringsWindow::SpecialStringsWindow(QWidget* parent) : QDialog(parent) {
    setObjectName("SpecialStringsWindow");
    setWindowTitle("Beacon special strings");
    // A title bar with its close button only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    // Wide enough for every line but the long <temp> line, which wraps, as it always has;
    // the reference width when the font allows.
    int width = kWidth;
    for (const QString& line : lines()) {
        if (!line.startsWith("<temp>")) {
            width = std::max(width, fontMetrics().horizontalAdvance(line) + 2 * kMargin + 4);
        }
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin, 8, kMargin, 8);
    layout->setSpacing(1);
    const QStringList& texts = lines();
    for (int i = 0; i < texts.size(); ++i) {
        if (texts[i] == "Example:") {
            layout->addSpacing(8);
        }
        auto* label = new QLabel(texts[i], this);
        label->setObjectName(QString("Label_line%1").arg(i + 1));
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(label);
    }
    layout->addStretch();

    // Fixed size: the reference size, taller when the font needs more lines.
    const int needed = layout->hasHeightForWidth() ? layout->totalHeightForWidth(width) : kHeight;
    setFixedSize(width, std::max(kHeight, needed));
}
