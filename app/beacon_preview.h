#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>
#include <map>
#include <vector>

class QAbstractButton;
class QButtonGroup;
class QPlainTextEdit;
class QStackedWidget;
class WidgetForm;

// Below the beacon table: one sub-page per beacon, chosen by the buttons "Beacon 1" to
// "Beacon 4" at its left or by moving into a field of that beacon, with the packet the beacon sends
// and what a receiver reads in it (or its problems), in the words of `veltromark-cli beacons`. It
// follows every field it depends on: the beacons' own, the callsign, the SSID and the station
// position.
//
// A beacon with a problem gets a warning icon on its button and a dashed amber frame on its
// message field, with the problems in the field's tooltip. It is a warning only: what
// "Write config" refuses is marked by FieldMarks with a red frame, and while the message is
// refused the preview leaves the field's frame and tooltip to that mark.
class BeaconPreview : public QWidget {
    Q_OBJECT
  public:
    explicit BeaconPreview(WidgetForm& form, QWidget* parent = nullptr);
    ~BeaconPreview() override;

    // Follows the fields from now on. Call it after FieldMarks::watch(), so that on each
    // change the refusal mark is settled before the warning looks at it.
    void watch();

    // The GPS memory of the last download (the window's buffer, kept for its life): its last
    // record fills <gpslat>, <gpslong> and <gpsdate>. Without one, or while it holds no
    // record, they take the station position and the current UTC time.
    void setGpsMemory(const std::vector<std::uint8_t>* memory);

    // Builds the four packets again and shows them.
    void refresh();

    // What the sub-page of beacon `number` (1 to 4) shows.
    QString shown(int number) const;
    // The problems of beacon `number` as its message field's warning shows them; empty when
    // it has none.
    QString warning(int number) const;

    // The button that shows beacon `number` (1 to 4).
    QAbstractButton* button(int number) const;

  protected:
    // The current time and a download made meanwhile show when the page is opened.
    void showEvent(QShowEvent* event) override;

  private:
    void markMessage(int number, const QStringList& problems);

    WidgetForm& form_;
    QButtonGroup* buttons_;
    QStackedWidget* pages_;
    std::vector<QPlainTextEdit*> texts_;
    std::vector<QString> warnings_;
    std::map<const QWidget*, int> beaconOf_;  // the beacon each field of the table belongs to
    const std::vector<std::uint8_t>* gpsMemory_ = nullptr;
};

// Puts a preview on the Beacons page `page`, below the beacon table; it does not watch yet.
BeaconPreview* addBeaconPreview(WidgetForm& form, QWidget* page);
