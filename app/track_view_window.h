#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "app/dialog_provider.h"
#include "gps/track.h"

class DialogProvider;

// What drawing needs of the whole track, worked out once when the track is shown.
struct TrackFigures {
    double gapSeconds = kMinimumGap;
    double topSpeed = 1;
};
class QLabel;
class QPushButton;

// The track view: where the tracker has been, from the GPS memory. Above, the track drawn to
// scale with north up, coloured by speed, broken where the tracker logged nothing for a while,
// with a scale bar; below, speed and altitude over time. It shows the last download, an NMEA
// log or a raw memory dump, and saves what it shows as PNG and the track as GPX.
class TrackViewWindow : public QWidget {
    Q_OBJECT
  public:
    enum class Action { LastDownload, OpenLog, OpenDump, SavePng, SaveGpx };

    // `lastDownload` is the window's GPS buffer, read each time the view shows it.
    TrackViewWindow(DialogProvider& dialogs, QString programFolder,
                    const std::vector<std::uint8_t>& lastDownload, QWidget* parent = nullptr);

    // Shows the records of the last download.
    void showLastDownload();

    QPushButton* button(Action action) const;
    const Track& track() const { return track_; }
    // What the view shows, in words: the source, points, left-out records, length and time.
    QString summary() const;
    // The map and the two profiles, as the PNG export saves them.
    QWidget* content() const { return content_; }

  private:
    void display(const QString& source, std::vector<GpsRecord> records, int skippedLines);
    void openLog();
    void openDump();
    // The first `limit` + 1 bytes of a regular file; nothing, after saying why, when there is no
    // such file or it cannot be read.
    std::optional<QByteArray> readInput(const QString& path, qint64 limit);
    void savePng();
    void saveGpx();
    // Writes `bytes` to `path` through OutputFile; an empty result or a failed write is said.
    void save(const QString& path, const QByteArray& bytes);
    std::optional<QString> chooseFile(FileDialog dialog);
    void fail(const QString& text);

    DialogProvider& dialogs_;
    QString programFolder_;
    const std::vector<std::uint8_t>& lastDownload_;
    std::vector<QPushButton*> buttons_;
    QLabel* summary_ = nullptr;
    QWidget* content_ = nullptr;
    QWidget* map_ = nullptr;
    QWidget* profiles_ = nullptr;

    QString source_;
    std::vector<GpsRecord> records_;
    int skippedLines_ = 0;
    Track track_;
    TrackFigures figures_;
};
