#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include "app/dialog_provider.h"
#include "app/guarded.h"
#include "app/widget_form.h"
#include "app_test_support.h"
#include "recording_sink.h"
#include "settings/number.h"

namespace {

struct SetupCase {
    FileDialog dialog;
    const char* filter;
    const char* defaultName;
    const char* folder;
    bool save;
    bool confirmOverwrite;
};

TEST(FileDialogs, SetupOfEachDialog) {
    const SetupCase cases[] = {
        {FileDialog::SaveConfig, "Veltromark config files (*.cfg)", "veltromark.cfg",
         "/opt/vm/config", true, false},
        {FileDialog::OpenConfig, "Veltromark config files (*.cfg)", "", "/opt/vm/config", false,
         false},
        {FileDialog::CompareConfig,
         "Veltromark config files (*.cfg);;Configuration images and backups (*.bin)", "",
         "/opt/vm/config", false, false},
        {FileDialog::SaveGpsLog, "Veltromark GPS log files (*.log)", "veltromark_gpsdata.log",
         "/opt/vm/logs", true, true},
        {FileDialog::OpenGpsLog, "Veltromark GPS log files (*.log)", "", "/opt/vm/logs", false,
         false},
        {FileDialog::OpenGpsDump, "GPS memory dumps (*.bin)", "", "/opt/vm/logs", false, false},
        {FileDialog::SaveTrackImage, "PNG images (*.png)", "veltromark_track.png", "/opt/vm/logs",
         true, true},
    };
    for (const SetupCase& c : cases) {
        const FileDialogSetup s = fileDialogSetup(c.dialog, "/opt/vm");
        EXPECT_EQ(s.filter, c.filter);
        EXPECT_EQ(s.defaultName, c.defaultName);
        EXPECT_EQ(s.folder, c.folder);
        EXPECT_EQ(s.save, c.save);
        EXPECT_EQ(s.confirmOverwrite, c.confirmOverwrite);
    }
}

// Portable folder first, then the last folder, then the documents folder; a folder that is
// gone (or a file in its place) is passed over, down to the home folder.
TEST(FileDialogs, StartingFolder) {
    QTemporaryDir root;
    const auto at = [&root](const char* name) { return root.filePath(name); };
    QDir(root.path()).mkpath("config");
    QDir(root.path()).mkpath("last");
    QDir(root.path()).mkpath("Documents");
    QFile(at("file")).open(QIODevice::WriteOnly);
    const struct {
        QString portable, last, documents, starts;
    } cases[] = {
        {at("config"), at("last"), at("Documents"), at("config")},
        {at("logs"), at("last"), at("Documents"), at("last")},
        {at("logs"), "", at("Documents"), at("Documents")},
        {at("logs"), at("gone"), at("Documents"), at("Documents")},
        {at("logs"), at("file"), at("gone"), QDir::homePath()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(startingFolder(c.portable, c.last, c.documents), c.starts)
            << c.last.toStdString();
    }
}

// The last folders survive a run apart for each kind; a damaged settings file keeps none.
TEST(FileDialogs, RememberedFoldersAcrossRuns) {
    QTemporaryDir root;
    const QString file = root.filePath("veltromark.conf");
    {
        QSettings settings(file, QSettings::IniFormat);
        EXPECT_EQ(rememberedFolder(settings, "/opt/vm/config"), "");
        rememberFolder(settings, "/opt/vm/config", "/home/u/cfg");
        rememberFolder(settings, "/usr/bin/logs", "/home/u/tracks");
    }
    const QSettings again(file, QSettings::IniFormat);
    EXPECT_EQ(rememberedFolder(again, "/usr/bin/config"), "/home/u/cfg");
    EXPECT_EQ(rememberedFolder(again, "/usr/bin/logs"), "/home/u/tracks");

    QFile damaged(root.filePath("damaged.conf"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    static const char garbage[] =
        "\xff\xfe[[Last\0Folders\n=\n\x01"
        "config";
    damaged.write(garbage, sizeof garbage - 1);
    damaged.close();
    const QSettings broken(damaged.fileName(), QSettings::IniFormat);
    EXPECT_EQ(
        startingFolder("/usr/bin/config", rememberedFolder(broken, "/usr/bin/config"), root.path()),
        root.path());
}

// What the real message box showed, read while it is open and then closed by OK.
struct ShownBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

TEST(QtDialogs, InformationAndErrorBoxes) {
    testApplication();
    QtDialogProvider dialogs;
    struct Case {
        std::function<void()> show;
        const char* title;
        const char* text;
        QMessageBox::Icon icon;
    };
    const Case cases[] = {
        {[&] {
             dialogs.information(nullptr, "Information",
                                 "RS-232 port 1 changed to None.\rReason:\rWhy.");
         },
         "Information", "RS-232 port 1 changed to None.\nReason:\nWhy.", QMessageBox::Information},
        {[&] {
             dialogs.error(nullptr, "Veltromark Configurator",
                           "'x' is not a valid integer "
                           "value.");
         },
         "Veltromark Configurator", "'x' is not a valid integer value.", QMessageBox::Critical},
        {[&] {
             dialogs.information(nullptr, "Blad otwarcia pliku",
                                 "Nie mozna otworzyc pliku docelowego.");
         },
         "Blad otwarcia pliku", "Nie mozna otworzyc pliku docelowego.", QMessageBox::Information},
    };
    for (const Case& c : cases) {
        ShownBox shown;
        QTimer::singleShot(0, [&shown] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                return;
            }
            shown.title = box->windowTitle();
            shown.text = box->text();
            shown.icon = box->icon();
            for (QAbstractButton* b : box->buttons()) {
                shown.buttons << b->text().remove('&');
            }
            box->button(QMessageBox::Ok)->click();
        });
        c.show();
        EXPECT_EQ(shown.title, c.title);
        EXPECT_EQ(shown.text, c.text);
        EXPECT_EQ(shown.icon, c.icon);
        EXPECT_EQ(shown.buttons, QStringList{"OK"});
    }
}

TEST(Guard, TurnsExceptionsIntoTheErrorBox) {
    RecordingSink host;
    const auto show = [&host](const Box& box) { host.show({box}); };
    EXPECT_TRUE(runGuarded(show, [] {}));
    EXPECT_FALSE(runGuarded(show, [] { toWholeNumber("12a"); }));
    EXPECT_FALSE(runGuarded(show, [] { throw std::runtime_error("disk full"); }));
    EXPECT_FALSE(runGuarded(show, [] { throw 42; }));
    EXPECT_EQ(host.applicationErrors,
              QStringList({"'12a' is not a valid integer value.", "disk full", ""}));
}

class WidgetFormTest : public ::testing::Test {
  protected:
    TestWindow t;
    Form& form = t.window->form();
};

TEST_F(WidgetFormTest, ChoicesOutOfRangeChooseNothing) {
    for (int index : {-1, 4, 99}) {
        form.setIndex("Beacon2_enable", 1);
        form.setIndex("Beacon2_enable", index);
        EXPECT_EQ(form.index("Beacon2_enable"), -1) << index;
    }
    form.setIndex("Weather_enable", 3);  // three items only
    EXPECT_EQ(form.index("Weather_enable"), -1);
}

TEST_F(WidgetFormTest, EditableChoiceIndexFollowsItsText) {
    form.setIndex("Weather_stationtype", 7);
    EXPECT_EQ(form.index("Weather_stationtype"), 7);
    auto* combo = t.window->findChild<QComboBox*>("Weather_stationtype");
    combo->setEditText("Davis Vantage Pro2");
    EXPECT_EQ(form.index("Weather_stationtype"), 8);
    combo->setEditText("davis vantage pro2");
    EXPECT_EQ(form.index("Weather_stationtype"), -1) << "case counts";
    combo->setEditText("Davis");
    EXPECT_EQ(form.index("Weather_stationtype"), -1);
    form.setIndex("Weather_stationtype", 42);
    EXPECT_EQ(form.index("Weather_stationtype"), -1);
    EXPECT_EQ(combo->currentText(), "");
}

TEST_F(WidgetFormTest, NamesAndKindsAreChecked) {
    EXPECT_THROW(form.text("Callsgin"), std::out_of_range);
    EXPECT_THROW(form.setIndex("No_such_choice", 0), std::out_of_range);
    EXPECT_THROW(form.text("Ptt"), std::logic_error);
    EXPECT_THROW(form.index("Callsign"), std::logic_error);
    form.setEnabled("Label_mice_message", false);
    EXPECT_FALSE(form.isEnabled("Label_mice_message"));
    form.setText("Beacon1_message", QString(120, 'x'));
    EXPECT_EQ(form.text("Beacon1_message").size(), 120);
}

}  // namespace
