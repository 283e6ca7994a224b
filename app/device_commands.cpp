#include "app/device_commands.h"

#include <QDir>
#include <QPushButton>
#include <memory>

#include "app/backups_window.h"
#include "app/beacon_preview.h"
#include "app/compare_window.h"
#include "app/field_marks.h"
#include "app/main_window.h"
#include "app/track_view_window.h"
#include "configfile/config_file.h"
#include "image/compare.h"
#include "image/decoder.h"
#include "operations/config_transfer.h"
#include "operations/operation_support.h"
#include "rules/startup_defaults.h"
#include "settings/memory_form.h"

namespace {

// How the window writes a backup back.
BackupPlan windowBackups(const DeviceSession& s) {
    return {s.backupFolder, QStringLiteral("\"Restore\u2026\"")};
}

// Asks before "Write config" while fields hold the default that a loaded file did not give
// them; true to go on.
bool writeDespiteDefaults(MainWindow& window) {
    const std::vector<std::string> marked = window.fieldMarks().settingsWithDefaults();
    if (marked.empty()) {
        return true;
    }
    constexpr std::size_t kNamed = 8;
    QStringList names;
    for (std::size_t i = 0; i < marked.size() && i < kNamed; ++i) {
        names << settingPlace(setting(marked[i]));
    }
    if (marked.size() > kNamed) {
        names << QStringLiteral("\u2026 and %1 more").arg(marked.size() - kNamed);
    }
    window.sink().flush();
    return window.dialogs().question(
        &window, QStringLiteral("Write config"),
        QStringLiteral("%1 of the settings hold their default because the file they were read "
                       "from did not give their value (the fields with a dotted frame):\n\n%2"
                       "\n\nWrite the configuration with these defaults?")
            .arg(marked.size())
            .arg(names.join(QLatin1Char('\n'))));
}

// When `outcome` succeeded, the settings are kept as `kept` holds them; then its boxes show.
// The settings are kept first: a box waits for the user, and a close meanwhile (the program
// asked to quit) must not find them changed.
void keepAndShow(MainWindow& window, const Outcome& outcome, const Form& kept) {
    if (outcome.ok) {
        window.keepSettings(kept);
    }
    window.showBoxes(outcome.boxes);
}

void showBoxes(MainWindow& window, const Outcome& outcome) {
    window.showBoxes(outcome.boxes);
}

// The window's settings as they are now, for an operation to work on.
std::shared_ptr<MemoryForm> snapshot(const Form& form) {
    auto copy = std::make_shared<MemoryForm>();
    copySettings(form, *copy);
    return copy;
}

}  // namespace

OpenHints windowOpenHints() {
    QString notFound = QStringLiteral(
        "Is the tracker plugged in? Plug it into a USB port of this computer and check the "
        "cable: a cable that only charges carries no data.");
#ifdef Q_OS_LINUX
    notFound += QStringLiteral(
        " On Linux, the udev rule 70-veltromark.rules must be installed as well (the package "
        "installs it).");
#endif
    return {
        notFound,
        QStringLiteral("The udev rule 70-veltromark.rules gives you access to the tracker: the "
                       "package installs it; otherwise copy it to /etc/udev/rules.d/, run \"sudo "
                       "udevadm control --reload-rules\", then unplug the tracker and plug it in "
                       "again."),
        QStringLiteral("Close the other program that has the tracker open, then try again."),
        QStringLiteral("Unplug the tracker, plug it in again and try again."),
    };
}

Wording windowWording() {
    return {
        QStringLiteral("using \"Write config\" button"),
        QStringLiteral("using \"Upload firmware\" button"),
        QStringLiteral("with \"Read\""),
        QStringLiteral("Firmware resource not found (FindResource)."),
        QStringLiteral("Blad otwarcia pliku"),
        QStringLiteral("Nie mozna otworzyc pliku docelowego."),
    };
}

void readSettingsFromTracker(MainWindow& window, DeviceSession& s) {
    if (!window.mayReplaceSettings()) {
        return;
    }
    // The read decodes into a copy of the window's settings (the serial port rules look at
    // the values before), which the window takes only when the read succeeded.
    const std::shared_ptr<MemoryForm> read = snapshot(window.form());
    const auto tracker = std::make_shared<TrackerIdentity>();
    window.runOperation(
        CommandButton::ReadConfig, true,
        [&s, read, tracker](ProgressSink& sink, const Confirm&) {
            return readConfiguration(s.link, sink, s.words, *read, s.readImage, tracker.get());
        },
        [&window, &s, read, tracker](const Outcome& outcome) {
            if (outcome.ok) {
                copySettings(*read, window.form());
                window.fieldMarks().clearDefaultsUsed();  // every field holds the tracker's now
                window.showTracker(s.simulated ? QStringLiteral("simulated") : tracker->serial,
                                   tracker->firmware);
            }
            keepAndShow(window, outcome, window.form());
        });
}

void writeSettingsToTracker(MainWindow& window, DeviceSession& s) {
    if (!writeDespiteDefaults(window)) {
        return;
    }
    // The settings as they are when the button is pressed are what is written, and what
    // counts as kept once the tracker holds them.
    const std::shared_ptr<MemoryForm> written = snapshot(window.form());
    window.runOperation(
        CommandButton::WriteConfig, false,
        [&s, written, plan = windowBackups(s)](ProgressSink& sink, const Confirm&) {
            return writeConfiguration(s.link, sink, s.words, *written, s.writeImage, plan);
        },
        [&window, written](const Outcome& outcome) { keepAndShow(window, outcome, *written); });
}

void uploadFirmwareToTracker(MainWindow& window, DeviceSession& s) {
    std::optional<QByteArray> image = s.firmwareSource ? s.firmwareSource() : std::nullopt;
    window.runOperation(
        CommandButton::UploadFirmware, false,
        [&s, image = std::move(image)](ProgressSink& sink, const Confirm& ask) {
            return uploadFirmware(s.link, sink, s.words, image, s.firmware, ask);
        },
        [&window](const Outcome& outcome) { showBoxes(window, outcome); });
}

void saveSettingsToFile(MainWindow& window) {
    if (const std::optional<QString> path = window.chooseFile(FileDialog::SaveConfig)) {
        const Outcome saved = exportConfiguration(window.form(), *path);
        keepAndShow(window, saved, window.form());
    }
}

void loadSettingsFromFile(MainWindow& window) {
    if (!window.mayReplaceSettings()) {
        return;
    }
    if (const std::optional<QString> path = window.chooseFile(FileDialog::OpenConfig)) {
        const ImportOutcome imported = importConfiguration(window.form(), *path);
        keepAndShow(window, imported, window.form());
        // The file is loaded all the same; the log and the fields tell what of it was not.
        for (const UnreadValue& value : imported.unread) {
            window.sink().log(value.line());
        }
        if (imported.ok) {
            window.fieldMarks().markDefaultsUsed(imported.unread);
        }
    }
}

void downloadGpsMemoryToFile(MainWindow& window, DeviceSession& s,
                             const std::function<void()>& downloaded) {
    const std::optional<QString> path = window.chooseFile(FileDialog::SaveGpsLog);
    if (!path) {
        return;
    }
    // The download fills a buffer of its own: the track view and the preview keep showing the
    // last complete download until this one is complete.
    const auto memory = std::make_shared<GpsBuffer>();
    window.runOperation(
        CommandButton::ReadMemory, true,
        [&s, path = *path, memory](ProgressSink& sink, const Confirm&) {
            return downloadGpsMemory(s.link, sink, s.words, path, *memory);
        },
        [&window, &s, memory, downloaded](const Outcome& outcome) {
            showBoxes(window, outcome);
            if (outcome.ok) {
                s.gps.swap(*memory);
                window.beaconPreview()->refresh();
                if (downloaded) {
                    downloaded();
                }
            }
        });
}

void eraseGpsMemoryOnTracker(MainWindow& window, DeviceSession& s) {
    window.runOperation(
        CommandButton::EraseMemory, true,
        [&s](ProgressSink& sink, const Confirm& ask) {
            return eraseGpsMemory(s.link, sink, s.words, ask);
        },
        [&window](const Outcome& outcome) { showBoxes(window, outcome); });
}

namespace {

// The settings an image holds, on the start-up settings; nothing when it is damaged or does
// not decode.
std::optional<MemoryForm> decoded(const ConfigImage& image, const Wording& words) {
    MemoryForm form;
    applyStartupDefaults(form);
    if (!CheckImage(image) || !DecodeImage(form, image, words).ok) {
        return std::nullopt;
    }
    return form;
}

// The restore's question, on the window's thread: first what the backup would change on the
// tracker (its present configuration, read for the backup made before the write), then
// whose backup it is and whether to write it.
bool confirmRestore(MainWindow& window, const RestoreCheck& check, const QString& name,
                    const Wording& words) {
    const std::optional<MemoryForm> present = decoded(check.present, words);
    const std::optional<MemoryForm> restored = decoded(check.backup, words);
    if (present && restored) {
        CompareWindow compare(
            compareSettings(*present, *restored), QStringLiteral("Restore %1").arg(name),
            QStringLiteral("On the tracker now"), QStringLiteral("In %1").arg(name), &window);
        window.dialogs().showModal(&compare);
    }
    return window.dialogs().question(&window, check.question.title, check.question.text);
}

}  // namespace

void restoreBackup(MainWindow& window, DeviceSession& s) {
    // The window shows the restored settings afterwards.
    if (!window.mayReplaceSettings()) {
        return;
    }
    const std::vector<Backup> backups = listBackups(s.backupFolder);
    const QString folder = QDir::toNativeSeparators(s.backupFolder);
    if (backups.empty()) {
        window.showBoxes({informationBox(
            QStringLiteral("There are no configuration backups in %1 yet. \"Write config\" "
                           "makes one before every write.")
                .arg(folder))});
        return;
    }
    BackupsWindow list(backups, s.backupFolder, &window);
    window.sink().flush();
    window.dialogs().showModal(&list);
    const std::optional<Backup> chosen = list.chosen();
    if (!chosen) {
        return;
    }
    // A restore is a write: no Stop. Once the tracker is found and its configuration read,
    // the window shows what would change and asks. On success the window takes the restored
    // settings as its own, decoded onto a copy of its settings as a read does.
    // A backup marked damaged does not decode: the window then keeps its settings.
    struct Restored {
        std::shared_ptr<MemoryForm> settings;
        bool decoded = false;
    };
    const auto restored = std::make_shared<Restored>(Restored{snapshot(window.form())});
    window.runOperation(
        CommandButton::WriteConfig, false,
        [&window, &s, restored, path = chosen->path, name = chosen->fileName(),
         plan = windowBackups(s)](ProgressSink& sink, const Confirm&) {
            RestoreOutcome outcome = restoreBackupFile(
                s.link, sink, s.words, path, plan,
                [&](const RestoreCheck& check) {
                    return window.askOnWindowThread(
                        [&] { return confirmRestore(window, check, name, s.words); });
                },
                restored->settings.get());
            restored->decoded = outcome.settingsDecoded;
            return Outcome(std::move(outcome));
        },
        [&window, restored](const Outcome& outcome) {
            if (outcome.ok && restored->decoded) {
                copySettings(*restored->settings, window.form());
                window.fieldMarks().clearDefaultsUsed();  // every field holds the tracker's now
                window.keepSettings();
            }
            window.showBoxes(outcome.boxes);
        });
}

void attachCommands(MainWindow& window, DeviceSession& s) {
    window.setCommand(CommandButton::ReadConfig,
                      [&window, &s] { readSettingsFromTracker(window, s); });
    window.setCommand(CommandButton::WriteConfig,
                      [&window, &s] { writeSettingsToTracker(window, s); });
    window.setCommand(CommandButton::UploadFirmware,
                      [&window, &s] { uploadFirmwareToTracker(window, s); });
    window.setCommand(CommandButton::SaveToFile, [&window] { saveSettingsToFile(window); });
    window.setCommand(CommandButton::ReadFromFile, [&window] { loadSettingsFromFile(window); });
    // One track view for the window's life, shown again (with the last download) on demand.
    auto* view = new TrackViewWindow(window.dialogs(), window.programFolder(), s.gps, &window);
    const auto showTrack = [view] {
        view->showLastDownload();
        view->show();
        view->raise();
        view->activateWindow();
    };
    QObject::connect(window.trackButton(), &QPushButton::clicked, view, showTrack);
    window.setCommand(CommandButton::ReadMemory, [&s, &window, showTrack] {
        downloadGpsMemoryToFile(window, s, [&window, showTrack] {
            // Nothing more is offered to a window that is closing.
            if (!window.closing() &&
                window.dialogs().question(&window, QStringLiteral("Tracker GPS memory"),
                                          QStringLiteral("Show the track of the download?"))) {
                showTrack();
            }
        });
    });
    window.setCommand(CommandButton::EraseMemory,
                      [&window, &s] { eraseGpsMemoryOnTracker(window, s); });
    window.setRestoreCommand([&window, &s] { restoreBackup(window, s); });
}
