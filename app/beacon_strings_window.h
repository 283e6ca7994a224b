#pragma once

#include <QDialog>
#include <QStringList>

// "Beacon special strings": the placeholders a beacon message may contain, one line each,
// and an example. Text only; the user closes it with the title bar's close button. The
// window is created once, hidden, and shown again each time it is asked for.
class SpecialStringsWindow : public QDialog {
    Q_OBJECT
  public:
    explicit SpecialStringsWindow(QWidget* parent = nullptr);

    // The lines the window shows, top to bottom.
    static const QStringList& lines();
};
