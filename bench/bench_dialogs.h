#pragma once

#include <QEventLoop>
#include <QString>
#include <optional>
#include <utility>

#include "app/dialog_provider.h"
#include "app/main_window.h"

// Dialogs that never show: every file dialog answers with the benchmark's file. The questions
// an operation asks before it starts get `goAhead`; the offer to show a downloaded track is
// always declined, so that no track view is built into the figures.
class BenchDialogs : public DialogProvider {
  public:
    explicit BenchDialogs(QString path, bool goAhead = false)
        : path_(std::move(path)), goAhead_(goAhead) {}
    void information(QWidget*, const QString&, const QString&) override {}
    void error(QWidget*, const QString&, const QString&) override {}
    bool question(QWidget*, const QString& title, const QString&) override {
        return goAhead_ && title != QLatin1String("Tracker GPS memory");
    }
    std::optional<QString> chooseFile(QWidget*, FileDialog, const FileDialogSetup&) override {
        return path_;
    }
    void showModal(QDialog*) override {}

  private:
    QString path_;
    bool goAhead_;
};

// Runs the window's events until its device operation (on a thread of its own) has ended.
inline void untilOperationEnds(MainWindow& window) {
    QEventLoop loop;
    QObject::connect(&window, &MainWindow::operationFinished, &loop, &QEventLoop::quit);
    while (window.operationRunning()) {
        loop.exec();
    }
}
