#include "app/main_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTextLayout>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>
#include <utility>

#include "app/app_info.h"
#include "app/beacon_preview.h"
#include "app/compare_window.h"
#include "app/device_commands.h"
#include "app/field_marks.h"
#include "app/guarded.h"
#include "app/page_builder.h"
#include "app/page_layout.h"
#include "app/sub_page_control.h"
#include "app/symbol_chooser.h"
#include "app/whole_frame.h"
#include "configfile/config_file.h"
#include "device/hidapi_transport.h"
#include "image/compare.h"
#include "image/decoder.h"
#include "operations/config_source.h"
#include "rules/choice_handlers.h"
#include "rules/serial_interlocks.h"
#include "rules/startup_defaults.h"
#include "rules/telemetry_presets.h"
#include "settings/input_file.h"
#include "settings/memory_form.h"
#include "settings/number.h"
#include "settings/visible_text.h"

namespace {

// Reference client size at 96 dots per inch; larger fonts may need more.
constexpr int kClientWidth = 734;
constexpr int kClientHeight = 416;
constexpr int kLogLines = 4;  // lines of the activity log in view

struct CommandButtonDef {
    CommandButton id;
    const char* name;
    const char* caption;  // "&" marks the keyboard mnemonic (Alt + the letter)
    const char* hint;
    int group;
    // While its own operation runs: the hint of the button turned into "Stop", or why it
    // offers no Stop; nothing for the commands that need no device.
    const char* whileRunning = nullptr;
};

const CommandButtonDef kCommandButtonDefs[kCommandButtons] = {
    {CommandButton::ReadConfig, "Button_read_config", "&Read config",
     "Reads current configuration from device.", 0,
     "Stops the read before the next page; no setting changes."},
    {CommandButton::WriteConfig, "Button_write_config", "&Write config",
     "Writes current configuration to device.", 0,
     "A configuration write cannot be stopped: a half-written tracker is worse than a finished "
     "one."},
    {CommandButton::UploadFirmware, "Button_upload_firmware", "&Upload firmware",
     "Uploads firmware to device.", 0,
     "A firmware upload cannot be stopped: a half-written tracker is worse than a finished one."},
    {CommandButton::SaveToFile, "Button_save_to_file", "&Save to file",
     "Saves current configuration from Configurator application to file.", 1},
    {CommandButton::ReadFromFile, "Button_read_from_file", "Read &from file",
     "Reads current configuration from file to Configurator application.", 1},
    {CommandButton::ReadMemory, "Button_read_memory", "Rea&d",
     "Reads stored position data from device non-volatile memory.", 2,
     "Stops the download before the next page; an existing log stays as it was."},
    {CommandButton::EraseMemory, "Button_erase_memory", "&Erase",
     "Erases position data from device non-volatile memory.", 2,
     "Stops waiting for the erase; the tracker may go on erasing."},
};

// Group captions and their reference widths (329, 209 and 169 pixels).
struct CommandGroupDef {
    const char* caption;
    int width;
};
const CommandGroupDef kCommandGroups[] = {
    {"Connection:", 329},
    {"Configuration import/export:", 209},
    {"Tracker GPS memory:", 169},
};

// The activity log. At any height it shows a whole number of lines: the pixels left over
// stay empty below the last line, so that no line shows cut in half.
class LogView : public QPlainTextEdit {
  public:
    explicit LogView(QWidget* parent) : QPlainTextEdit(parent) {
        keepFrameWhole(this);
        // The pixels left over below the last line are the text area's colour.
        setBackgroundRole(QPalette::Base);
        setAutoFillBackground(true);
    }

    // The height of the widget that shows `lines` lines whole.
    int heightForLines(int lines) const {
        return static_cast<int>(std::ceil(lines * lineHeight())) + 2 * documentMargin() +
               2 * frameWidth();
    }

  protected:
    void resizeEvent(QResizeEvent* event) override {
        QPlainTextEdit::resizeEvent(event);
        const qreal line = lineHeight();
        const int text = height() - 2 * frameWidth() - 2 * documentMargin();
        const int lines = std::max(1, static_cast<int>(std::floor(text / line)));
        const int spare = std::max(0, text - static_cast<int>(std::ceil(lines * line)));
        if (viewportMargins().bottom() != spare) {
            setViewportMargins(0, 0, 0, spare);
        }
    }

  private:
    // The height of a line as the log lays it out, which is not always the font's line
    // spacing (some font engines give a negative leading, or fractional heights). The log
    // counts a positive leading into each line (DirectWrite's fonts have one), so the probe
    // does too.
    qreal lineHeight() const {
        QTextLayout probe(QStringLiteral("Page read: 1/256"), font());
        probe.beginLayout();
        QTextLine probeLine = probe.createLine();
        probeLine.setLeadingIncluded(true);
        probeLine.setLineWidth(1000);
        const qreal line = probeLine.height();
        probe.endLayout();
        return line;
    }
    int documentMargin() const { return static_cast<int>(std::ceil(document()->documentMargin())); }
};

}  // namespace

MainWindow::MainWindow(std::unique_ptr<DialogProvider> dialogs, QString programFolder,
                       QWidget* parent)
    : QWidget(parent), dialogs_(std::move(dialogs)), programFolder_(std::move(programFolder)) {
    setObjectName("MainWindow");

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    root->setMenuBar(buildMenuBar());

    auto* body = new QVBoxLayout;
    body->setContentsMargins(8, 4, 5, 6);
    body->setSpacing(6);
    body->addWidget(buildCommandGroups());

    pages_ = new QTabWidget(this);
    pages_->setObjectName("SettingsPages");
    pages_->setUsesScrollButtons(false);
    pages_->setElideMode(Qt::ElideNone);
    body->addWidget(pages_, 0);

    auto* logView = new LogView(this);
    log_ = logView;
    log_->setObjectName("ActivityLog");
    log_->setReadOnly(true);
    log_->setUndoRedoEnabled(false);
    log_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    log_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Long lines wrap rather than hide behind a horizontal scroll bar.
    log_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    log_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    log_->setMinimumHeight(logView->heightForLines(kLogLines));
    log_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    // "Restore…" stands beside the log, where a write reports its backup: the row of command
    // groups has no room left.
    auto* logRow = new QHBoxLayout;
    logRow->setSpacing(6);
    logRow->addWidget(log_, 1);
    restore_ = new QPushButton(QStringLiteral("Rest&ore\u2026"), this);
    restore_->setObjectName("Button_restore");
    restore_->setToolTip(
        QStringLiteral("Writes back a backup of the tracker's configuration; one is made before "
                       "every write."));
    restore_->setAutoDefault(false);
    connect(restore_, &QPushButton::clicked, this, &MainWindow::runRestore);
    logRow->addWidget(restore_, 0, Qt::AlignTop);
    body->addLayout(logRow, 1);
    // Which tracker the window last read, and its firmware.
    trackerStatus_ = new QLabel(QStringLiteral("No tracker read yet."), this);
    trackerStatus_->setObjectName("Label_tracker_status");
    trackerStatus_->setTextFormat(Qt::PlainText);
    body->addWidget(trackerStatus_);
    root->addLayout(body, 1);

    // The bar says in words how far an operation is (see WindowSink).
    progress_ = new QProgressBar(this);
    progress_->setObjectName("OperationProgress");
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(true);
    progress_->setAlignment(Qt::AlignCenter);
    progress_->setFormat(QString());
    progress_->setFixedHeight(std::max(20, progress_->fontMetrics().height() + 4));
    root->addWidget(progress_);

    sink_ = std::make_unique<WindowSink>(this, log_, progress_, *dialogs_);
    runner_ = std::make_unique<OperationRunner>(
        *sink_, [this](const Question& question) { return answerOperation(question); });

    buildPages();
    connectHandlers();
    sink_->show(applyStartupDefaults(form_));
    marks_ = new FieldMarks(form_, pages_, subPages_, this);
    marks_->watch();
    beaconPreview_ = addBeaconPreview(form_, pages_->widget(static_cast<int>(Page::Beacons)));
    beaconPreview_->watch();  // after the marks: a refusal is settled before the warning looks
    addSymbolChooser(form_, *dialogs_);
    keepSettings();  // the start-up settings lose nothing when the window closes

    // The pages keep the height they need at the least: the log takes what more there is.
    pages_->setMaximumHeight(pages_->minimumSizeHint().height());
    // The window may grow (and be maximized) but not shrink below what its pages need; it
    // opens at the reference size or at that minimum, whichever is larger.
    const QSize needed = root->totalMinimumSize();
    setMinimumSize(needed);
    resize(std::max(kClientWidth, needed.width()), std::max(kClientHeight, needed.height()));
    setWindowTitle(mainWindowCaption());
}

MainWindow::~MainWindow() = default;

QWidget* MainWindow::buildCommandGroups() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(7);
    for (int g = 0; g < 3; ++g) {
        auto* box = new QGroupBox(kCommandGroups[g].caption, row);
        auto* inner = new QHBoxLayout(box);
        inner->setContentsMargins(6, 2, 6, 4);
        inner->setSpacing(6);
        for (const CommandButtonDef& def : kCommandButtonDefs) {
            if (def.group != g) {
                continue;
            }
            auto* button = new QPushButton(def.caption, box);
            button->setObjectName(def.name);
            button->setToolTip(def.hint);
            button->setAutoDefault(false);
            allowNarrowing(button);
            inner->addWidget(button);
            buttons_[static_cast<size_t>(def.id)] = button;
            connect(button, &QPushButton::clicked, this, [this, id = def.id] { runCommand(id); });
        }
        if (g == 1) {
            compare_ = new QPushButton(QStringLiteral("&Compare with file\u2026"), box);
            compare_->setObjectName("Button_compare_with_file");
            compare_->setToolTip(
                QStringLiteral("Lists the settings that differ between the window and a file."));
            compare_->setAutoDefault(false);
            allowNarrowing(compare_);
            inner->addWidget(compare_);
            connect(compare_, &QPushButton::clicked, this, &MainWindow::compareWithFile);
        }
        if (g == 2) {
            trackButton_ = new QPushButton(QStringLiteral("&Track\u2026"), box);
            trackButton_->setObjectName("Button_track_view");
            trackButton_->setToolTip(
                "Shows the track of the GPS memory: the last download, a "
                "GPS log file or a memory dump.");
            trackButton_->setAutoDefault(false);
            allowNarrowing(trackButton_);
            inner->addWidget(trackButton_);
        }
        layout->addWidget(box, kCommandGroups[g].width);
    }
    return row;
}

QMenuBar* MainWindow::buildMenuBar() {
    menuBar_ = new QMenuBar(this);
    QMenu* help = menuBar_->addMenu(QStringLiteral("&Help"));
    QAction* about = help->addAction(QStringLiteral("&About\u2026"));
    about->setObjectName("Action_about");
    connect(about, &QAction::triggered, this, &MainWindow::showAbout);
    return menuBar_;
}

void MainWindow::showAbout() {
    sink_->flush();
    dialogs_->information(
        this, QStringLiteral("About %1").arg(kApplicationTitle),
        QStringLiteral("%1 %2\n\nConfiguration format: %3\nQt: %4\nhidapi: %5")
            .arg(kApplicationTitle, kVersionText,
                 QLatin1String(kConfigFormatVersion.data(),
                               static_cast<qsizetype>(kConfigFormatVersion.size())),
                 QString::fromLatin1(qVersion()), QString::fromStdString(hidapiVersion())));
}

void MainWindow::showTracker(const QString& identity, std::optional<std::uint32_t> firmware) {
    const QString who = identity.isEmpty() ? QStringLiteral("no USB serial number")
                        : identity == QLatin1String("simulated")
                            ? identity
                            : QStringLiteral("USB serial number ") + visibleText(identity);
    const QString version =
        firmware ? QString::asprintf("%.2f", *firmware / 100.0) : QStringLiteral("unknown");
    trackerStatus_->setText(QStringLiteral("Tracker: %1, firmware %2").arg(who, version));
}

void MainWindow::buildPages() {
    PageBuilder builder(form_);
    const Page order[] = {Page::Radio,
                          Page::PositionReports,
                          Page::Digipeater,
                          Page::Beacons,
                          Page::TelemetryReports,
                          Page::WeatherReports,
                          Page::ExternalInterfaces};
    for (Page page : order) {
        auto* tab = new QWidget;
        const QString controlName = layout::subPageControlName(page);
        SubPageControl* sub = nullptr;
        if (!controlName.isEmpty()) {
            auto* tabLayout = new QVBoxLayout(tab);
            tabLayout->setContentsMargins(4, 4, 4, 2);
            sub = new SubPageControl(tab);
            sub->setObjectName(controlName);
            tabLayout->addWidget(sub);
            subPages_[page] = sub;
        }
        for (const layout::PageLayout& p : layout::pages()) {
            if (p.page != page) {
                continue;
            }
            if (sub != nullptr) {
                auto* subPage = new QWidget;
                builder.build(subPage, p.content);
                sub->addPage(subPage, QString::fromStdString(p.subPage));
            } else {
                builder.build(tab, p.content);
            }
        }
        pages_->addTab(tab, pageCaption(page));
    }
    pages_->setCurrentIndex(0);
    labels_ = builder.labels();
}

void MainWindow::connectHandlers() {
    // Change handlers run on what the user does only: a pick (`activated`) or typing into
    // the editable choice (`textEdited`); the program's own changes run none.
    const auto onPick = [this](const char* name, const std::function<void()>& handler) {
        auto* combo = qobject_cast<QComboBox*>(form_.widget(name));
        connect(combo, &QComboBox::activated, this, [this, handler] { runGuarded(handler); });
    };
    onPick("Serial1_mode", [this] { showBoxes(Serial1_modeChange(form_)); });
    onPick("Serial2_mode", [this] { showBoxes(Serial2_modeChange(form_)); });
    onPick("Position_report_encoding", [this] { Position_report_encodingChange(form_); });
    onPick("Position_report_mode", [this] { Position_report_modeChange(form_); });
    onPick("Weather_stationtype", [this] { showBoxes(Weather_stationtypeChange(form_)); });
    auto* station = qobject_cast<QComboBox*>(form_.widget("Weather_stationtype"));
    connect(station->lineEdit(), &QLineEdit::textEdited, this,
            [this] { runGuarded([this] { showBoxes(Weather_stationtypeChange(form_)); }); });

    const auto onClick = [this](std::string_view name, const std::function<void()>& handler) {
        auto* button = qobject_cast<QPushButton*>(form_.widget(name));
        connect(button, &QPushButton::clicked, this, [this, handler] { runGuarded(handler); });
    };
    for (int k = 1; k <= kAnalogChannels; ++k) {
        onClick(familyName("Button_teleanalog", k, "_default"),
                [this, k] { applyAnalogPreset(form_, k); });
    }
    for (int k = 1; k <= kDigitalChannels; ++k) {
        onClick(familyName("Button_teledigital", k, "_default"),
                [this, k] { applyDigitalPreset(form_, k); });
    }
    onClick("Button_special_strings", [this] { showSpecialStrings(); });
}

void MainWindow::setCommand(CommandButton button, Operation command) {
    commands_[static_cast<size_t>(button)] = std::move(command);
}

QPushButton* MainWindow::commandButton(CommandButton button) const {
    return buttons_[static_cast<size_t>(button)];
}

void MainWindow::operationStarted(CommandButton running, bool stoppable) {
    setCommandButtonsEnabled(false);
    setSettingsLocked(true);
    const CommandButtonDef& def = kCommandButtonDefs[static_cast<size_t>(running)];
    QPushButton* button = commandButton(running);
    if (def.whileRunning != nullptr) {
        button->setToolTip(def.whileRunning);
    }
    if (stoppable) {
        button->setText(QStringLiteral("Sto&p"));
        button->setEnabled(true);
        stopButton_ = running;
    }
}

void MainWindow::operationEnded() {
    for (const CommandButtonDef& def : kCommandButtonDefs) {
        QPushButton* button = commandButton(def.id);
        button->setText(def.caption);
        button->setToolTip(def.hint);
    }
    stopButton_.reset();
    setCommandButtonsEnabled(true);
    setSettingsLocked(false);
}

void MainWindow::setSettingsLocked(bool locked) {
    for (int i = 0; i < pages_->count(); ++i) {
        const auto page = static_cast<Page>(i);  // the tabs stand in page order
        if (SubPageControl* sub = subPageControl(page)) {
            for (int k = 0; k < sub->count(); ++k) {
                sub->page(k)->setEnabled(!locked);
            }
        } else {
            pages_->widget(i)->setEnabled(!locked);
        }
    }
}

void MainWindow::setCommandButtonsEnabled(bool enabled) {
    for (QPushButton* button : buttons_) {
        button->setEnabled(enabled);
    }
    trackButton_->setEnabled(enabled);
    compare_->setEnabled(enabled);
    restore_->setEnabled(enabled);
}

std::optional<QString> MainWindow::chooseFile(FileDialog dialog) {
    sink_->flush();
    return dialogs_->chooseFile(this, dialog, fileDialogSetup(dialog, programFolder_));
}

void MainWindow::runCommand(CommandButton button) {
    const Operation command = commands_[static_cast<size_t>(button)];  // may replace itself
    if (operationRunning()) {
        // Only the running command's button can be pressed now, and it says "Stop".
        if (button == stopButton_) {
            stopRequested_ = true;
            runner_->requestStop();
        }
        return;
    }
    if (!command) {
        return;
    }
    sink_->begin();
    pressed_ = button;
    runLeading(button, command);
    sink_->flush();
}

void MainWindow::runRestore() {
    const Operation command = restoreCommand_;  // may replace itself
    if (!command || operationRunning()) {
        return;
    }
    sink_->begin();
    pressed_.reset();
    runGuarded(command);
    sink_->flush();
}

void MainWindow::runLeading(std::optional<CommandButton> pressed,
                            const std::function<void()>& handler, std::string refused) {
    // A refused "Write config" or "Save to file" leads the user to the field at fault: the
    // one a conversion error names, or the value the write refused.
    runGuarded([&] {
        try {
            handler();
        } catch (const ConversionError& e) {
            refused = e.setting();
            throw;
        }
    });
    if (operationRunning() ||
        (pressed != CommandButton::WriteConfig && pressed != CommandButton::SaveToFile)) {
        return;  // a write that started leads there once it has ended
    }
    if (!refused.empty()) {
        showSetting(refused);
    }
}

void MainWindow::runOperation(CommandButton button, bool stoppable, OperationRunner::Work work,
                              std::function<void(const Outcome&)> finished) {
    operationStarted(button, stoppable);
    stopRequested_ = false;
    declined_ = false;
    runner_->start(std::move(work), [this, button, stoppable, finished = std::move(finished)](
                                        const Outcome& outcome, std::exception_ptr thrown) {
        operationEnded();
        sink_->end();
        const bool stopped = stoppable && stopRequested_ && !outcome.ok;
        if (stopped) {
            sink_->progressReset();  // nothing is half done: the bar starts again
        }
        runLeading(
            pressed_,
            [&] {
                if (thrown) {
                    std::rethrow_exception(thrown);
                }
                finished(outcome);
            },
            outcome.refusedSetting);
        // A failure the operation shows no box of its own for (no tracker, a page that
        // failed) is said in a box as well as in the log, where it may have scrolled away.
        // One the user asked for (Stop, No) is not a failure to tell of.
        if (!thrown && !outcome.ok && outcome.boxes.empty() && !stopped && !declined_ &&
            !closeRequested_ && !sink_->failureLines().isEmpty()) {
            QString title = pressed_ ? commandButton(button)->text() : restore_->text();
            title.remove(QLatin1Char('&')).remove(QChar(0x2026));
            Box box{title, sink_->failureLines().join(QLatin1Char('\n')), Box::Kind::Error};
            box.afterLines = sink_->logged();
            sink_->show(box);
        }
        sink_->flush();
        emit operationFinished();
        if (closeRequested_) {
            QTimer::singleShot(0, this, &QWidget::close);
        }
    });
}

bool MainWindow::answerOperation(const Question& question) {
    sink_->flush();
    const bool yes = !closeRequested_ && dialogs_->question(this, question.title, question.text);
    declined_ = declined_ || !yes;
    return yes;
}

void MainWindow::closeOnSignal() {
    closeBySignal_ = true;
    close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (operationRunning()) {
        event->ignore();
        if (!closeRequested_) {
            closeRequested_ = true;
            sink_->log(QStringLiteral("The window closes once the operation has ended."));
            sink_->flush();
            // A read, a download or the erase wait stops; a write, an upload or a restore
            // goes on to its end. A question asked now, or later, is answered No.
            stopRequested_ = true;
            runner_->requestStop();
            runner_->declineQuestions();
            dialogs_->cancelQuestion();
        }
        return;
    }
    closeRequested_ = false;
    const bool bySignal = std::exchange(closeBySignal_, false);
    if (!bySignal && settingsChanged()) {
        sink_->flush();
        const SaveChoice choice = dialogs_->askToSave(
            this, QStringLiteral("Veltromark Configurator"),
            QStringLiteral("The settings have changed since they were last read, written, saved "
                           "or loaded.\n\nSave them to a file before closing?"));
        if (choice == SaveChoice::Save) {
            runCommand(CommandButton::SaveToFile);
        }
        // A save that was cancelled or failed keeps the window, as Cancel does.
        if (choice == SaveChoice::Cancel || (choice == SaveChoice::Save && settingsChanged())) {
            event->ignore();
            return;
        }
    }
    QWidget::closeEvent(event);
}

bool MainWindow::mayReplaceSettings() {
    if (!settingsChanged()) {
        return true;
    }
    sink_->flush();
    const SaveChoice choice = dialogs_->askToSave(
        this, QStringLiteral("Veltromark Configurator"),
        QStringLiteral("The settings have changed since they were last read, written, saved or "
                       "loaded.\n\nSave them to a file before they are replaced?"));
    if (choice == SaveChoice::Save) {
        runCommand(CommandButton::SaveToFile);
        return !settingsChanged();  // a save cancelled or failed keeps them, as Cancel does
    }
    return choice == SaveChoice::Discard;
}

namespace {

// Every setting's value (a choice as its index), in the order of the settings table.
std::vector<QString> settingValues(const Form& form) {
    std::vector<QString> values;
    for (const SettingDef& def : settings()) {
        values.push_back(def.isChoice() ? QString::number(form.index(def.name))
                                        : form.text(def.name));
    }
    return values;
}

}  // namespace

void MainWindow::keepSettings() {
    keepSettings(form_);
}

void MainWindow::keepSettings(const Form& kept) {
    keptSettings_ = settingValues(kept);
}

bool MainWindow::settingsChanged() const {
    return settingValues(form_) != keptSettings_;
}

void MainWindow::showSpecialStrings() {
    if (specialStrings_ != nullptr) {
        dialogs_->showModal(specialStrings_);
    }
}

bool MainWindow::runGuarded(const std::function<void()>& handler) {
    return ::runGuarded([this](const Box& box) { sink_->show(box); }, handler);
}

QLabel* MainWindow::labelFor(std::string_view setting) const {
    const auto it = labels_.find(setting);
    return it == labels_.end() ? nullptr : it->second;
}

namespace {

// The settings of a configuration file, or of an image or backup, onto `form`, as the tool's
// diff reads either.
Outcome loadForCompare(MemoryForm& form, const QString& path) {
    if (!isConfigImageFile(path)) {
        return importConfiguration(form, path);
    }
    QString why;
    const std::optional<QByteArray> bytes =
        readRegularFile(path, static_cast<qint64>(kImageSize) + 1, &why);
    if (!bytes) {
        return Outcome{
            false, why, {informationBox(QStringLiteral("Cannot open %1: %2.").arg(path, why))}};
    }
    const std::optional<ConfigImage> image = configImageOf(*bytes, path, &why);
    if (!image) {
        return Outcome{false, why, {informationBox(why)}};
    }
    return DecodeImage(form, *image, windowWording());
}

}  // namespace

void MainWindow::compareWithFile() {
    if (operationRunning()) {
        return;  // the settings are changing under an operation
    }
    runGuarded([this] {
        const std::optional<QString> path = chooseFile(FileDialog::CompareConfig);
        if (!path) {
            return;
        }
        MemoryForm file;
        showBoxes(applyStartupDefaults(file));
        const Outcome loaded = loadForCompare(file, *path);
        showBoxes(loaded.boxes);
        if (!loaded.ok) {
            return;
        }
        const std::vector<SettingDifference> differences = compareSettings(form_, file);
        const QString name = QFileInfo(*path).fileName();
        if (differences.empty()) {
            sink_->show(informationBox(
                QStringLiteral("The settings in the window and in %1 are the same.").arg(name)));
            return;
        }
        CompareWindow window(differences, name, this);
        std::string chosen;
        connect(&window, &CompareWindow::settingChosen, this,
                [&chosen](const QString& setting) { chosen = setting.toStdString(); });
        dialogs_->showModal(&window);
        if (!chosen.empty()) {
            showSetting(chosen);
        }
    });
}

void MainWindow::showSetting(std::string_view name) {
    const SettingDef& def = setting(name);
    pages_->setCurrentIndex(static_cast<int>(def.page));  // the tabs stand in page order
    if (SubPageControl* sub = subPageControl(def.page)) {
        const int index =
            static_cast<int>(sub->captions().indexOf(QString::fromStdString(def.subPage)));
        if (index >= 0) {
            sub->setCurrentIndex(index);
        }
    }
    QWidget* field = form_.widget(name);
    field->setFocus(Qt::OtherFocusReason);
    if (auto* line = qobject_cast<QLineEdit*>(field)) {
        line->selectAll();
    } else if (auto* text = qobject_cast<QPlainTextEdit*>(field)) {
        text->selectAll();
    }
}

SubPageControl* MainWindow::subPageControl(Page page) const {
    const auto it = subPages_.find(page);
    return it == subPages_.end() ? nullptr : it->second;
}
