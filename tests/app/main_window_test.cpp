#include <gtest/gtest.h>

#include <map>
#include <set>

#include <QAbstractButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <QWheelEvent>

#include "app/beacon_preview.h"
#include "app/field_marks.h"
#include "app/limited_edits.h"
#include "app/sub_page_control.h"
#include "app_test_support.h"
#include "settings/number.h"
#include "settings/schema.h"

namespace {

class MainWindowTest : public ::testing::Test {
  protected:
    TestWindow t;
    MainWindow& w = *t.window;
    RecordingDialogs& dialogs = *t.dialogs;

    template <typename T = QWidget>
    T* control(const std::string& name) {
        auto* found = w.findChild<T*>(QString::fromStdString(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    // Index of the top-level page that holds `widget`, -1 when none.
    int pageOf(const QWidget* widget) const {
        for (int i = 0; i < w.settingsPages()->count(); ++i) {
            if (w.settingsPages()->widget(i)->isAncestorOf(widget)) {
                return i;
            }
        }
        return -1;
    }

    // Caption of the sub-page that holds `widget`, empty when none.
    std::string subPageOf(const QWidget* widget) const {
        for (QWidget* p = widget->parentWidget(); p != nullptr; p = p->parentWidget()) {
            if (auto* sub = qobject_cast<SubPageControl*>(p)) {
                for (int i = 0; i < sub->count(); ++i) {
                    if (sub->page(i)->isAncestorOf(widget)) {
                        return sub->captions()[i].toStdString();
                    }
                }
            }
        }
        return {};
    }

    // Chooses the item `steps` below (positive) or above the current one with the arrow
    // keys, as a user does on a closed list.
    void pickWithKeys(QComboBox* combo, int steps) {
        for (int i = 0; i < std::abs(steps); ++i) {
            QTest::keyClick(combo, steps > 0 ? Qt::Key_Down : Qt::Key_Up);
        }
    }
};

TEST_F(MainWindowTest, CaptionSizeAndFrame) {
    EXPECT_EQ(w.objectName(), "MainWindow");
    EXPECT_EQ(w.windowTitle(), "Veltromark Configurator v1.07");
    // The reference 734 x 416 or what the font needs beyond it, at the least; it may grow.
    EXPECT_GE(w.width(), 734);
    EXPECT_GE(w.height(), 416);
    EXPECT_EQ(w.minimumSize(), w.size());
    EXPECT_FALSE(w.windowFlags() & Qt::CustomizeWindowHint) << "the frame with all its buttons";
    w.showMaximized();
    EXPECT_TRUE(w.isMaximized());
}

// Alt + a letter leads to one control only, also while a button says "Stop".
TEST_F(MainWindowTest, EveryMnemonicIsUniqueInTheWindow) {
    for (const bool running : {false, true}) {
        w.operationStarted(CommandButton::ReadMemory, running);
        QStringList texts{w.menuBar()->actions().first()->text()};
        for (QWidget* c : w.findChildren<QWidget*>()) {
            auto* label = qobject_cast<QLabel*>(c);
            auto* button = qobject_cast<QAbstractButton*>(c);
            texts << (button ? button->text() : label && label->buddy() ? label->text() : "");
        }
        for (int i = 0; i < w.settingsPages()->count(); ++i) {
            texts << w.settingsPages()->tabText(i);
        }
        std::map<int, QStringList> by;
        for (const QString& text : texts) {
            by[QKeySequence::mnemonic(text)[0].toCombined()] << text;
        }
        by.erase(0);                // no mnemonic
        EXPECT_EQ(by.size(), 11u);  // seven commands, Compare, Track, Restore, Help
        for (const auto& [key, same] : by) {
            EXPECT_EQ(same.size(), 1) << same.join(" / ").toStdString();
        }
    }
}

TEST_F(MainWindowTest, CommandButtonsInTheirGroups) {
    struct Want {
        CommandButton id;
        const char* name;
        const char* caption;
        const char* hint;
        const char* group;
    };
    const Want wants[] = {
        {CommandButton::ReadConfig, "Button_read_config", "Read config",
         "Reads current configuration from device.", "Connection:"},
        {CommandButton::WriteConfig, "Button_write_config", "Write config",
         "Writes current configuration to device.", "Connection:"},
        {CommandButton::UploadFirmware, "Button_upload_firmware", "Upload firmware",
         "Uploads firmware to device.", "Connection:"},
        {CommandButton::SaveToFile, "Button_save_to_file", "Save to file",
         "Saves current configuration from Configurator application to file.",
         "Configuration import/export:"},
        {CommandButton::ReadFromFile, "Button_read_from_file", "Read from file",
         "Reads current configuration from file to Configurator application.",
         "Configuration import/export:"},
        {CommandButton::ReadMemory, "Button_read_memory", "Read",
         "Reads stored position data from device non-volatile memory.", "Tracker GPS memory:"},
        {CommandButton::EraseMemory, "Button_erase_memory", "Erase",
         "Erases position data from device non-volatile memory.", "Tracker GPS memory:"},
    };
    w.show();
    int previousRight = -1;
    std::set<int> mnemonics;
    for (const Want& want : wants) {
        QPushButton* b = w.commandButton(want.id);
        ASSERT_NE(b, nullptr) << want.name;
        EXPECT_EQ(b->objectName(), want.name);
        // The caption as shown, with a keyboard mnemonic of its own.
        EXPECT_EQ(QString(b->text()).remove('&'), want.caption);
        const QKeySequence mnemonic = QKeySequence::mnemonic(b->text());
        EXPECT_FALSE(mnemonic.isEmpty()) << want.name;
        EXPECT_TRUE(mnemonics.insert(mnemonic[0].toCombined()).second) << want.name;
        EXPECT_EQ(b->toolTip(), want.hint);
        EXPECT_TRUE(b->isEnabled());
        EXPECT_TRUE(b->isVisible());
        auto* box = qobject_cast<QGroupBox*>(b->parentWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->title(), want.group) << want.name;
        const int left = b->mapTo(&w, QPoint()).x();
        EXPECT_GT(left, previousRight) << want.name << " stands left to right";
        previousRight = left + b->width() - 1;
    }
}

TEST_F(MainWindowTest, PagesAndSubPagesWithTheFirstShown) {
    QTabWidget* pages = w.settingsPages();
    EXPECT_EQ(pages->objectName(), "SettingsPages");
    QStringList captions;
    for (int i = 0; i < pages->count(); ++i) {
        captions << pages->tabText(i);
    }
    EXPECT_EQ(captions,
              QStringList({"Radio", "Position reports", "Digipeater", "Beacons",
                           "Telemetry reports", "Weather reports", "External interfaces"}));
    EXPECT_EQ(pages->currentIndex(), 0);

    struct Sub {
        Page page;
        const char* name;
        QStringList captions;
    };
    const Sub subs[] = {
        {Page::Digipeater, "DigipeaterSubPages", {"Common settings", "Simple aliases"}},
        {Page::TelemetryReports,
         "TelemetrySubPages",
         {"Report settings", "Analog channels", "Digital channels 1-4", "Digital channels 5-8",
          "Zembor outputs"}},
        {Page::ExternalInterfaces,
         "InterfaceSubPages",
         {"RS-232 ports", "RS-485 port", "Weather station", "Serial console", "GPS receiver",
          "KISS", "GPS passthrough"}},
    };
    for (const Sub& sub : subs) {
        SubPageControl* control = w.subPageControl(sub.page);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->objectName(), sub.name);
        EXPECT_EQ(control->captions(), sub.captions);
        EXPECT_EQ(control->currentIndex(), 0);
        EXPECT_TRUE(control->button(0)->isChecked());
    }
    // A sub-page button shows its page.
    SubPageControl* telemetry = w.subPageControl(Page::TelemetryReports);
    telemetry->button(3)->click();
    EXPECT_EQ(telemetry->currentIndex(), 3);
    EXPECT_FALSE(telemetry->button(0)->isChecked());
}

// Every setting is its control, named after it, on its page, with its label, tooltip,
// typing limit, items and start-up value.
TEST_F(MainWindowTest, EverySettingIsItsControl) {
    for (const SettingDef& s : settings()) {
        SCOPED_TRACE(s.name);
        QWidget* widget = control(s.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(pageOf(widget), static_cast<int>(s.page));
        EXPECT_EQ(subPageOf(widget), s.subPage);
        EXPECT_EQ(widget->toolTip(), s.hint);
        QLabel* label = w.labelFor(s.name);
        if (s.label.isEmpty()) {
            EXPECT_EQ(label, nullptr);
        } else {
            ASSERT_NE(label, nullptr);
            // A long column heading may be shown over two lines.
            EXPECT_EQ(label->text().replace('\n', ' '), s.label);
            EXPECT_EQ(pageOf(label), pageOf(widget));
        }
        switch (s.kind) {
            case Kind::Text: {
                auto* edit = qobject_cast<LimitedLineEdit*>(widget);
                ASSERT_NE(edit, nullptr);
                EXPECT_EQ(edit->maximumTyped(), s.maxLength);
                EXPECT_EQ(edit->text(), s.defaultText);
                break;
            }
            case Kind::Message: {
                auto* edit = qobject_cast<MessageEdit*>(widget);
                ASSERT_NE(edit, nullptr);
                EXPECT_EQ(edit->maximumTyped(), 96);
                EXPECT_EQ(edit->toPlainText(), s.defaultText);
                break;
            }
            case Kind::Choice:
            case Kind::EditableChoice: {
                auto* combo = qobject_cast<QComboBox*>(widget);
                ASSERT_NE(combo, nullptr);
                EXPECT_EQ(combo->isEditable(), s.kind == Kind::EditableChoice);
                QStringList items;
                for (int i = 0; i < combo->count(); ++i) {
                    items << combo->itemText(i);
                }
                EXPECT_EQ(items, QStringList(s.items->items.begin(), s.items->items.end()));
                EXPECT_EQ(combo->currentIndex(), s.defaultIndex);
                EXPECT_EQ(w.form().index(s.name), s.defaultIndex);
                break;
            }
        }
    }
}

TEST_F(MainWindowTest, SampleOfLabelsAndHintsPerPage) {
    struct Want {
        const char* setting;
        const char* label;
        const char* hint;
    };
    const Want wants[] = {
        {"Quiettime", "Quiet time [ms]:", "Delay between last received  packet and packet send."},
        {"Position_fixlost_interval", "Send interval on fix lost (s):", ""},
        {"Mice_message", "message:", ""},
        {"Position_time", "Time:", ""},
        {"Floodtimeout", "Duplicate checking [s]:",
         "Time for which a received packet is stored for duplicate checking. Duplicate packets "
         "are discarded and are not digipeated."},
        {"Alias7_traceable", "Traceable:",
         "If selected, the device will add its callsign to path of digipeated packets."},
        {"Beacon3_dest_string", "Dest:", "Beacon 1 destination to-call."},
        {"Beacon4_message", "Message (empty fields are ignored):",
         "Beacon message. Please check \"Special strings\"."},
        {"Teledata_txrate_rf",
         "RF[min]:", "Telemetry data TX rate to RF (minutes). Set 0 to disable."},
        {"Teleanalog3_coefb", "Coeff B:",
         "Analog channel 3 telemetry calculation coefficient B. Equation: A*x*x+B*x+C (where x "
         "is the measurement sample)."},
        {"Teledigital6_units", "Label", "Digital channel 6 report label."},
        {"Zembor_output3", "Output 3 default state:", "Default power-on state for Zembor output."},
        {"Weather_path2_ssid", "Ssid:", "Weather report SSID."},
        {"Weather_stationtype", "Weather station:", "Weather station selection box."},
        {"Debug_thermo", "Thermo:", ""},
        {"Kiss_check", "Check for serial->RF packet correctness:",
         "If enabled then checks packet header and drops incorrect packets."},
    };
    for (const Want& want : wants) {
        SCOPED_TRACE(want.setting);
        ASSERT_NE(w.labelFor(want.setting), nullptr);
        EXPECT_EQ(w.labelFor(want.setting)->text().replace('\n', ' '), want.label);
        EXPECT_EQ(control(want.setting)->toolTip(), want.hint);
    }
    // The SSID after a call has the "-" label in front, no label of its own.
    EXPECT_EQ(w.labelFor("Ssid"), nullptr);
    EXPECT_EQ(control<QLabel>("Label_mice")->text(), "Mic-E");
    // Preset buttons carry their hint and caption.
    auto* preset = control<QPushButton>("Button_teledigital7_default");
    EXPECT_EQ(preset->text(), "Default parameters");
    EXPECT_EQ(preset->toolTip(), "Default parameters for digital channel.");
    EXPECT_EQ(control<QPushButton>("Button_special_strings")->text(), "Special strings");
}

TEST_F(MainWindowTest, StartupEnabledStatesFollowTheEncoding) {
    for (const char* name : {"Label_mice", "Label_mice_message", "Mice_message"}) {
        EXPECT_TRUE(control(name)->isEnabled()) << name;
    }
    for (const char* name : {"Label_position_time", "Position_time"}) {
        EXPECT_FALSE(control(name)->isEnabled()) << name;
    }
    EXPECT_TRUE(dialogs.events.isEmpty()) << "start-up shows no message";
}

TEST_F(MainWindowTest, LogAndProgressBar) {
    QPlainTextEdit* log = w.activityLog();
    EXPECT_EQ(log->objectName(), "ActivityLog");
    EXPECT_TRUE(log->isReadOnly());
    EXPECT_FALSE(log->isUndoRedoEnabled());
    EXPECT_TRUE(log->toPlainText().isEmpty());
    QProgressBar* bar = w.progressBar();
    EXPECT_EQ(bar->objectName(), "OperationProgress");
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);
    EXPECT_EQ(bar->value(), 0);
    w.show();
    EXPECT_EQ(bar->width(), w.width()) << "docked over the full width";
    EXPECT_EQ(bar->geometry().bottom(), w.height() - 1) << "docked at the bottom";

    // A run of page lines of one operation shows as one line that counts up; every other line
    // keeps its own, in order, and a box comes up after the lines logged before it. The bar
    // says the percentage, the pages and, once a second has passed, the time left.
    const QString found = "Veltromark found, vid: Vid_0483, pid: A04D";
    QStringList atBox;
    dialogs.onInformation = [&] { atBox << log->toPlainText().split('\n') << bar->text(); };
    qint64 now = 0;
    w.sink().setClock([&now] { return now; });
    w.sink().begin();
    w.sink().log(found);
    w.sink().progressStart(16384);
    for (int i = 1; i <= 1000; ++i) {
        w.sink().log(QString("Page read: %1/16384").arg(i));
        w.sink().progressStep();
        if (i == 30) {
            w.sink().flush();  // a piece on screen before the rest came
        }
    }
    now = 999;
    w.sink().show(Box{"Information", "after page 60", Box::Kind::Information, 61});
    now = 1000;
    w.sink().progressStep();
    w.sink().log("Page read error: 1002/16384");
    w.sink().flush();
    EXPECT_EQ(atBox, (QStringList{found, "Page read: 60/16384", "6% \u2013 1000 of 16384 pages"}));
    EXPECT_EQ(bar->text(), "6% \u2013 1001 of 16384 pages \u2013 16 s left");
    w.sink().begin();
    w.sink().log(found);
    for (const char* what : {"Page read", "Page written"}) {
        for (int i = 1; i <= 256; ++i) {
            w.sink().log(QString("%1: %2/256").arg(what).arg(i));
        }
    }
    w.sink().progressReset();
    w.sink().flush();
    EXPECT_EQ(log->toPlainText().split('\n'),
              (QStringList{found, "Page read: 1000/16384", "Page read error: 1002/16384", found,
                           "Page read: 256/256", "Page written: 256/256"}));
    EXPECT_EQ(bar->text(), "");
    EXPECT_EQ(bar->maximum(), 16384) << "the maximum is kept";

    w.setCommandButtonsEnabled(false);
    for (int i = 0; i < kCommandButtons; ++i) {
        EXPECT_FALSE(w.commandButton(static_cast<CommandButton>(i))->isEnabled());
    }
    w.setCommandButtonsEnabled(true);
    for (int i = 0; i < kCommandButtons; ++i) {
        EXPECT_TRUE(w.commandButton(static_cast<CommandButton>(i))->isEnabled());
    }
}

TEST_F(MainWindowTest, CommandButtonsRunTheirOperationThroughTheGuard) {
    // Without an operation a press does nothing.
    w.commandButton(CommandButton::ReadConfig)->click();
    EXPECT_TRUE(dialogs.events.isEmpty());

    QStringList ran;
    w.setCommand(CommandButton::SaveToFile, [&] {
        ran << "save";
        w.sink().log("saving " + w.form().text("Callsign"));
    });
    w.setCommand(CommandButton::WriteConfig, [&] {
        w.sink().log("encoding");
        toWholeNumber(w.form().text("Txdelay"));  // "abc" below
        w.sink().log("not reached");
    });
    w.commandButton(CommandButton::SaveToFile)->click();
    EXPECT_EQ(ran, QStringList{"save"});
    EXPECT_EQ(w.activityLog()->toPlainText(), "saving NOCALL");

    w.form().setText("Txdelay", "abc");
    w.commandButton(CommandButton::WriteConfig)->click();
    EXPECT_EQ(dialogs.errors,
              QStringList{"Veltromark Configurator: 'abc' is not a valid integer value."});
    EXPECT_EQ(w.activityLog()->toPlainText(), "saving NOCALL\nencoding");
    EXPECT_EQ(w.form().text("Txdelay"), "abc") << "the window keeps its state";
}

TEST_F(MainWindowTest, UserPicksRunHandlersProgramChangesDoNot) {
    auto* port1 = control<QComboBox>("Serial1_mode");
    auto* port2 = control<QComboBox>("Serial2_mode");
    // The program puts a weather station on both ports: no handler, no message.
    w.form().setIndex("Serial1_mode", 1);
    w.form().setIndex("Serial2_mode", 1);
    EXPECT_TRUE(dialogs.events.isEmpty());
    w.form().setIndex("Serial1_mode", 2);
    w.form().setIndex("Serial2_mode", 4);

    // The user picks "Weather station" on port 1 (Serial console -> Weather station), then on
    // port 2 (GPS -> None (removed) -> Serial console -> Weather station).
    pickWithKeys(port1, -1);
    EXPECT_EQ(port1->currentIndex(), 1);
    EXPECT_TRUE(dialogs.events.isEmpty());
    pickWithKeys(port2, -3);
    EXPECT_EQ(dialogs.informations,
              QStringList{"RS-232 port 1 changed to None.\rReason:\rWeather station can be "
                          "selected on one port only."});
    EXPECT_EQ(port1->currentIndex(), 0);
    EXPECT_EQ(port2->currentIndex(), 1);
}

// Two notches of the wheel over a choice, as when scrolling past it.
void wheelDown(QComboBox* combo, int notches) {
    const QPointF at(combo->width() / 2.0, combo->height() / 2.0);
    for (int i = 0; i < notches; ++i) {
        QWheelEvent event(at, combo->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(combo, &event);
    }
}

TEST_F(MainWindowTest, WheelChangesOnlyTheFocusedChoice) {
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    for (const char* name : {"Serial1_mode", "Serial2_mode", "Weather_stationtype"}) {
        SCOPED_TRACE(name);
        auto* combo = control<QComboBox>(name);
        // The wheel gives no focus (a click or Tab does) ...
        EXPECT_NE(combo->focusPolicy() & Qt::WheelFocus, Qt::WheelFocus);
        EXPECT_TRUE(combo->focusPolicy() & Qt::TabFocus);
        // ... and changes nothing without it.
        const int before = combo->currentIndex();
        wheelDown(combo, 2);
        EXPECT_EQ(combo->currentIndex(), before);
        EXPECT_TRUE(dialogs.events.isEmpty());

        combo->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(combo->hasFocus());
        wheelDown(combo, 1);
        EXPECT_EQ(combo->currentIndex(), before + 1);
        EXPECT_EQ(w.form().index(name), before + 1);
        w.form().setIndex(name, before);
        combo->clearFocus();
    }
}

TEST_F(MainWindowTest, EncodingPickSwitchesTheMicEAndTimeChoices) {
    auto* encoding = control<QComboBox>("Position_report_encoding");
    pickWithKeys(encoding, 2);  // Mic-E -> Plain text -> Base-91
    EXPECT_EQ(encoding->currentIndex(), 2);
    EXPECT_FALSE(control("Mice_message")->isEnabled());
    EXPECT_FALSE(control("Label_mice")->isEnabled());
    EXPECT_TRUE(control("Position_time")->isEnabled());
    EXPECT_TRUE(control("Label_position_time")->isEnabled());
    EXPECT_EQ(w.form().index("Mice_message"), 0) << "disabling keeps the chosen item";
    // Setting it back from the program runs nothing.
    w.form().setIndex("Position_report_encoding", 0);
    EXPECT_FALSE(control("Mice_message")->isEnabled());
}

TEST_F(MainWindowTest, TypingAStationRunsTheStationHandler) {
    // Port 1 a weather station, port 2 the serial console: a WS-2300 on port 1 leaves port 2
    // receive-only, which the station handler enforces.
    w.form().setIndex("Serial1_mode", 1);
    w.form().setIndex("Serial2_mode", 2);
    auto* station = control<QComboBox>("Weather_stationtype");
    station->lineEdit()->clear();
    QTest::keyClicks(station->lineEdit(), "WS-230");
    EXPECT_EQ(w.form().index("Serial2_mode"), 2) << "no station named yet";
    QTest::keyClicks(station->lineEdit(), "0");
    EXPECT_EQ(station->currentText(), "WS-2300");
    EXPECT_EQ(w.form().index("Weather_stationtype"), 5);
    EXPECT_EQ(w.form().index("Serial2_mode"), 0);
    EXPECT_EQ(dialogs.informations.size(), 1);
}

TEST_F(MainWindowTest, PickingAStationRunsTheStationHandler) {
    w.form().setIndex("Serial1_mode", 5);  // KISS
    w.form().setIndex("Serial2_mode", 1);  // weather station
    auto* station = control<QComboBox>("Weather_stationtype");
    pickWithKeys(station, 4);  // None ... Peet Bros Ultimeter 2100: nothing to enforce
    EXPECT_TRUE(dialogs.informations.isEmpty());
    EXPECT_EQ(w.form().index("Serial1_mode"), 5);
    pickWithKeys(station, 1);  // WS-2300: port 1 may only receive
    EXPECT_EQ(w.form().index("Weather_stationtype"), 5);
    EXPECT_EQ(w.form().index("Serial1_mode"), 0);
    EXPECT_EQ(dialogs.informations.size(), 1);
}

TEST_F(MainWindowTest, PresetButtonsFillTheirChannel) {
    w.form().setIndex("Teleanalog2_source", 11);  // (I) Input voltage
    control<QPushButton>("Button_teleanalog2_default")->click();
    EXPECT_EQ(w.form().text("Teleanalog2_name"), "Vin");
    EXPECT_EQ(w.form().text("Teleanalog2_coefb"), "0.075");
    w.form().setIndex("Teledigital3_source", 5);  // (M) Input 1
    control<QPushButton>("Button_teledigital3_default")->click();
    EXPECT_EQ(w.form().text("Teledigital3_name"), "I1");
}

TEST_F(MainWindowTest, SpecialStringsShowsTheSameWindowModally) {
    // Before a window is attached the button does nothing.
    control<QPushButton>("Button_special_strings")->click();
    EXPECT_TRUE(dialogs.modalWindows.empty());
    auto* strings = new QDialog(&w);
    w.setSpecialStringsWindow(strings);
    control<QPushButton>("Button_special_strings")->click();
    control<QPushButton>("Button_special_strings")->click();
    EXPECT_EQ(dialogs.modalWindows, (std::vector<QDialog*>{strings, strings}));
}

TEST_F(MainWindowTest, BeaconPreviewFollowsTheMessageAndWarnsOfItsProblems) {
    const BeaconPreview& preview = *w.beaconPreview();
    auto* message = control<MessageEdit>("Beacon1_message");
    message->moveCursor(QTextCursor::End);
    QTest::keyClicks(message, " QRV");
    EXPECT_TRUE(preview.shown(1).contains("\n  comment: Veltromark U=12.6V. QRV\n"))
        << preview.shown(1).toStdString();
    const auto typeAt = [message](qsizetype position, Qt::Key key) {
        QTextCursor cursor = message->textCursor();
        cursor.setPosition(static_cast<int>(position));
        message->setTextCursor(cursor);
        QTest::keyClick(message, key);
    };
    const qsizetype z = message->toPlainText().indexOf("z<gpslat>");
    typeAt(z + 1, Qt::Key_Backspace);
    EXPECT_TRUE(preview.shown(1).contains("\n  problem: the position does not parse"));
    EXPECT_TRUE(message->styleSheet().contains("dashed"));
    EXPECT_TRUE(message->toolTip().endsWith(preview.warning(1)));
    EXPECT_FALSE(preview.button(1)->icon().isNull());
    // A value "Write config" refuses keeps the refusal's mark; the warning comes back after.
    w.form().setText("Beacon1_message", message->toPlainText() + "\t");
    EXPECT_FALSE(message->styleSheet().contains("dashed"));
    EXPECT_TRUE(message->toolTip().endsWith(w.fieldMarks().problem("Beacon1_message")));
    w.form().setText("Beacon1_message", message->toPlainText().chopped(1));
    EXPECT_TRUE(message->styleSheet().contains("dashed"));

    typeAt(z, Qt::Key_Z);
    EXPECT_FALSE(preview.shown(1).contains("problem:"));
    EXPECT_TRUE(preview.warning(1).isEmpty());
    EXPECT_EQ(message->styleSheet(), "");
    EXPECT_EQ(message->toolTip(), setting("Beacon1_message").hint);
    EXPECT_TRUE(preview.button(1)->icon().isNull());

    // Moving into another beacon's field shows that beacon.
    w.show();
    QApplication::setActiveWindow(&w);
    w.settingsPages()->setCurrentIndex(static_cast<int>(Page::Beacons));
    control<QLineEdit>("Beacon3_path2_ssid")->setFocus();
    EXPECT_TRUE(preview.button(3)->isChecked());
    EXPECT_TRUE(w.findChild<QWidget*>("Beacon3_preview")->isVisible());
}

TEST_F(MainWindowTest, SymbolChosenByNameSetsBothFields) {
    auto* name = control<QLabel>("Position_symbol_name");
    w.form().setText("Position_symbol_code", "n");
    w.form().setText("Position_symbol_table", "5");
    EXPECT_EQ(name->text(), "triangle with overlay 5");
    w.form().setText("Position_symbol_table", "x");
    EXPECT_EQ(name->text(), "unknown symbol");

    dialogs.onModal = [](QDialog* chooser) {
        QTest::keyClicks(chooser->findChild<QLineEdit*>("SymbolSearch"), "CAR");
        auto* list = chooser->findChild<QTreeWidget*>("SymbolList");
        QTreeWidgetItem* car = nullptr;
        for (QTreeWidgetItemIterator it(list, QTreeWidgetItemIterator::NotHidden); *it; ++it) {
            if ((*it)->childCount() == 0) {
                EXPECT_TRUE((*it)->text(0).contains("car")) << (*it)->text(0).toStdString();
                car = (*it)->text(0) == "car" ? *it : car;
            }
        }
        ASSERT_NE(car, nullptr);
        list->setCurrentItem(car);
        chooser->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    };
    control<QPushButton>("Button_symbol_chooser")->click();
    EXPECT_EQ(w.form().text("Position_symbol_code"), ">");
    EXPECT_EQ(w.form().text("Position_symbol_table"), "/");
    EXPECT_EQ(name->text(), "car");
}

// Each box of an operation shows once the lines logged before it are on screen, and before
// those logged after it.
TEST_F(MainWindowTest, BoxesGoThroughTheProviderBetweenTheirLines) {
    WindowSink& sink = w.sink();
    sink.begin();
    sink.log("one");
    sink.log("two");
    QStringList onScreen;
    dialogs.onInformation = [&] { onScreen << w.activityLog()->toPlainText(); };
    Boxes boxes{informationBox("Eeprom read success."),
                errorBox("Unable to write to /x.cfg."),
                {"Blad otwarcia pliku", "Nie mozna otworzyc pliku docelowego."}};
    boxes[0].afterLines = boxes[1].afterLines = 1;
    boxes[2].afterLines = 2;
    sink.show(boxes);
    EXPECT_EQ(onScreen, (QStringList{"one", "one\ntwo"}));
    EXPECT_EQ(dialogs.events, QStringList({"information: Eeprom read success.",
                                           "error: Veltromark Configurator: Unable to write to "
                                           "/x.cfg.",
                                           "information: Blad otwarcia pliku: Nie mozna otworzyc "
                                           "pliku docelowego."}));
    dialogs.fileAnswer = "/tmp/a.log";
    EXPECT_EQ(w.chooseFile(FileDialog::SaveGpsLog), "/tmp/a.log");
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dialogs.fileRequests[0].setup.folder, "/opt/vm/logs");
}

}  // namespace
