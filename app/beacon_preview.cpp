#include "app/beacon_preview.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QTextLayout>
#include <QVBoxLayout>
#include <cmath>
#include <optional>

#include "app/whole_frame.h"
#include "app/widget_form.h"
#include "aprs/beacon_packets.h"
#include "image/encoder.h"
#include "operations/sample_values.h"
#include "settings/schema.h"

namespace {

constexpr int kPreviewLines = 4;  // lines of a beacon's preview in view

// Dashed, so that it reads apart from the solid red frame of a refused value; the same frame
// as the field marks' own warnings.
const char* const kWarningStyle = "border: 2px dashed #f9a825; border-radius: 2px;";

// A whole number of lines high, as the text lays them out (not always the font's line
// spacing).
int previewHeight(QPlainTextEdit* text) {
    QTextLayout probe(QStringLiteral("Beacon 1: NOCALL>APVQ05"), text->font());
    probe.beginLayout();
    QTextLine line = probe.createLine();
    line.setLineWidth(1000);
    const qreal height = line.height();
    probe.endLayout();
    const int margin = static_cast<int>(std::ceil(text->document()->documentMargin()));
    // The text scrolls once its lines pass the viewport less one pixel.
    return static_cast<int>(std::ceil(kPreviewLines * height)) + 2 * margin + 1 +
           2 * text->frameWidth();
}

bool feedsBeacons(const SettingDef& def) {
    return def.page == Page::Beacons || def.name == "Callsign" || def.name == "Ssid" ||
           def.name == "Latitude" || def.name == "Longitude";
}

std::string messageField(int number) {
    return familyName("Beacon", number, "_message");
}

}  // namespace

BeaconPreview::BeaconPreview(WidgetForm& form, QWidget* parent)
    : QWidget(parent),
      form_(form),
      buttons_(new QButtonGroup(this)),
      pages_(new QStackedWidget(this)),
      warnings_(kBeacons) {
    setObjectName("BeaconPreview");
    // The buttons two by two at the left, so that the preview takes little of the page's
    // height.
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    auto* choice = new QGridLayout;
    choice->setSpacing(2);
    layout->addLayout(choice);
    layout->addWidget(pages_, 1);
    buttons_->setExclusive(true);
    for (int k = 1; k <= kBeacons; ++k) {
        auto* button = new QPushButton(QStringLiteral("Beacon %1").arg(k), this);
        button->setObjectName(QStringLiteral("Button_beacon%1_preview").arg(k));
        button->setCheckable(true);
        button->setChecked(k == 1);
        button->setAutoDefault(false);
        buttons_->addButton(button, k - 1);
        choice->addWidget(button, (k - 1) / 2, (k - 1) % 2, Qt::AlignTop);

        auto* text = new QPlainTextEdit(pages_);
        text->setObjectName(QStringLiteral("Beacon%1_preview").arg(k));
        text->setReadOnly(true);
        text->setUndoRedoEnabled(false);
        text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        text->setToolTip(QStringLiteral(
            "What the beacon sends, its placeholders filled with sample values, and what a "
            "receiver reads in it."));
        text->document()->setDocumentMargin(2);
        text->setFixedHeight(previewHeight(text));
        pages_->addWidget(text);
        keepFrameWhole(text);
        texts_.push_back(text);
    }
    choice->setRowStretch(2, 1);
    connect(buttons_, &QButtonGroup::idClicked, pages_, &QStackedWidget::setCurrentIndex);
    // Moving into a beacon's field shows that beacon.
    for (const SettingDef& def : settings()) {
        if (def.page == Page::Beacons && def.number > 0) {
            beaconOf_[form_.widget(def.name)] = def.number;
        }
    }
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        const auto found = beaconOf_.find(now);
        if (found != beaconOf_.end()) {
            buttons_->button(found->second - 1)->setChecked(true);
            pages_->setCurrentIndex(found->second - 1);
        }
    });
}

// Focus moves while the window is taken down; by then the buttons may be gone.
BeaconPreview::~BeaconPreview() {
    disconnect(qApp, nullptr, this, nullptr);
}

void BeaconPreview::watch() {
    for (const SettingDef& def : settings()) {
        if (!feedsBeacons(def)) {
            continue;
        }
        QWidget* widget = form_.widget(def.name);
        if (auto* line = qobject_cast<QLineEdit*>(widget)) {
            connect(line, &QLineEdit::textChanged, this, &BeaconPreview::refresh);
        } else if (auto* text = qobject_cast<QPlainTextEdit*>(widget)) {
            connect(text, &QPlainTextEdit::textChanged, this, &BeaconPreview::refresh);
        } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            connect(combo, &QComboBox::currentIndexChanged, this, &BeaconPreview::refresh);
        }
    }
    refresh();
}

void BeaconPreview::setGpsMemory(const std::vector<std::uint8_t>* memory) {
    gpsMemory_ = memory;
    refresh();
}

void BeaconPreview::refresh() {
    const SampleValues samples =
        sampleValues(gpsMemory_ != nullptr ? std::span<const std::uint8_t>(*gpsMemory_)
                                           : std::span<const std::uint8_t>());
    for (const BeaconReport& beacon : readBeacons(form_, samples)) {
        const auto i = static_cast<std::size_t>(beacon.number - 1);
        const QString lines = describeBeacon(beacon).join(u'\n');
        if (texts_[i]->toPlainText() != lines) {
            texts_[i]->setPlainText(lines);
        }
        const QIcon icon = beacon.reading.ok()
                               ? QIcon()
                               : QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
        QAbstractButton* button = buttons_->button(beacon.number - 1);
        const int side = button->fontMetrics().ascent();  // the button keeps its height
        button->setIconSize(QSize(side, side));
        button->setIcon(icon);
        markMessage(beacon.number, beacon.reading.problems);
    }
}

QAbstractButton* BeaconPreview::button(int number) const {
    return buttons_->button(number - 1);
}

QString BeaconPreview::shown(int number) const {
    return texts_.at(static_cast<std::size_t>(number - 1))->toPlainText();
}

QString BeaconPreview::warning(int number) const {
    return warnings_.at(static_cast<std::size_t>(number - 1));
}

void BeaconPreview::showEvent(QShowEvent* event) {
    refresh();
    QWidget::showEvent(event);
}

void BeaconPreview::markMessage(int number, const QStringList& problems) {
    const std::string name = messageField(number);
    QString& warning = warnings_[static_cast<std::size_t>(number - 1)];
    warning = problems.join(u'\n');
    if (!CheckSetting(form_, name).empty()) {
        return;  // refused: the refusal's mark stands
    }
    QWidget* field = form_.widget(name);
    const SettingDef& def = setting(name);
    const QString style = warning.isEmpty() ? QString() : QString::fromLatin1(kWarningStyle);
    if (field->styleSheet() != style) {  // a new style sheet lays the field out again
        field->setStyleSheet(style);
    }
    field->setToolTip(warning.isEmpty() ? def.hint : def.hint + QStringLiteral("\n\n") + warning);
}

BeaconPreview* addBeaconPreview(WidgetForm& form, QWidget* page) {
    auto* preview = new BeaconPreview(form, page);
    // The page's column holds the table, then the room left; the preview goes between.
    static_cast<QBoxLayout*>(page->layout())->insertWidget(1, preview);
    return preview;
}
