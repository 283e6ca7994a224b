// A Qt generic plugin that presses one button of the configurator's window, the way a user
// would, and writes down what the window then shows. Qt loads it into the unchanged program
// when the environment names it (QT_QPA_GENERIC_PLUGINS=vmwindowdriver with the plugin's
// folder on QT_PLUGIN_PATH); the program knows nothing of it.
//
//   VM_DRIVE_BUTTON  the object name of the button to press, for example Button_read_config
//   VM_DRIVE_REPORT  the file that receives the activity log, a line each, followed by one
//                    "dialog: TITLE: TEXT" line per message box, in the order they came
//
// Once the main window is on screen the button is clicked; every message box is written down
// and closed with OK as soon as it is shown; once the button is back as it was (its operation
// has ended) and no box is open, the report is written and the program is asked to quit.
#include <QApplication>
#include <QFile>
#include <QGenericPlugin>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace {

class WindowDriver : public QObject {
  public:
    WindowDriver(QString button, QString report)
        : button_(std::move(button)), report_(std::move(report)) {
        // Two timers: the dialog watcher keeps running while the click is inside a message
        // box's own event loop.
        connect(&press_, &QTimer::timeout, this, [this] { pressWhenShown(); });
        connect(&dialogs_, &QTimer::timeout, this, [this] { answerDialog(); });
        press_.start(20);
        dialogs_.start(20);
    }

  private:
    QWidget* mainWindow() const {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("MainWindow") && w->isVisible()) {
                return w;
            }
        }
        return nullptr;
    }

    void pressWhenShown() {
        QWidget* window = mainWindow();
        if (window == nullptr) {
            return;
        }
        press_.stop();
        auto* button = window->findChild<QPushButton*>(button_);
        if (button == nullptr) {
            dialogLines_ << QStringLiteral("driver: no button named ") + button_;
            finish(window);
            return;
        }
        const QString caption = button->text();
        button->click();
        // The operation runs on a thread of its own: while it runs the button is disabled or
        // says "Stop".
        connect(&ended_, &QTimer::timeout, this, [this, window, button, caption] {
            if (button->isEnabled() && button->text() == caption &&
                QApplication::activeModalWidget() == nullptr) {
                ended_.stop();
                finish(window);
            }
        });
        ended_.start(20);
    }

    void answerDialog() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) {
            return;
        }
        dialogLines_ << QStringLiteral("dialog: %1: %2").arg(box->windowTitle(), box->text());
        box->done(QMessageBox::Ok);
    }

    void finish(QWidget* window) {
        QStringList lines;
        if (auto* log = window->findChild<QPlainTextEdit*>(QStringLiteral("ActivityLog"))) {
            lines = log->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        }
        lines << dialogLines_;
        QFile out(report_);
        if (out.open(QIODevice::WriteOnly)) {
            out.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
        }
        QCoreApplication::quit();
    }

    QString button_;
    QString report_;
    QTimer press_;
    QTimer dialogs_;
    QTimer ended_;
    QStringList dialogLines_;
};

}  // namespace

class WindowDriverPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "window_driver.json")
  public:
    QObject* create(const QString& key, const QString&) override {
        if (key.compare(QLatin1String("vmwindowdriver"), Qt::CaseInsensitive) != 0) {
            return nullptr;
        }
        return new WindowDriver(qEnvironmentVariable("VM_DRIVE_BUTTON"),
                                qEnvironmentVariable("VM_DRIVE_REPORT"));
    }
};

#include "window_driver.moc"
