#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>

#include "image/encoder.h"
#include "settings/outcome.h"
#include "settings/progress_sink.h"

// Readable Qt strings in test failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QByteArray& bytes, std::ostream* os) {
    *os << '"' << bytes.toStdString() << '"';
}

// A sink that records everything an operation reports, in order, waits in zero time and reads
// a settable clock; it also records the boxes of outcomes as the window shows them.
class RecordingSink : public ProgressSink {
  public:
    void log(const QString& line) override {
        logLines.append(line);
        events.append("log: " + line);
    }
    void progressStart(int maximum) override {
        progressMaximum = maximum;
        progressPosition = 0;
    }
    void progressStep() override { ++progressPosition; }
    void progressReset() override { progressPosition = 0; }
    bool mayGoOn() override {
        ++processEventsCalls;
        return true;
    }
    std::int64_t now() override { return clock; }
    void wait(int milliseconds) override {
        sleptMilliseconds += milliseconds;
        ++sleepCalls;
    }

    // Records boxes after everything so far.
    void show(const Boxes& boxes) { showAt(boxes, -1); }
    // Records the boxes of an outcome of no operation (a rule, the decoder, a file); true when
    // it succeeded.
    bool shown(const Outcome& outcome) {
        show(outcome.boxes);
        return outcome.ok;
    }
    // Records the refusal of the encoder as the box "Write config" shows; true when there was
    // none.
    bool encoded(const std::optional<SettingProblem>& refusal) {
        if (refusal) {
            show({informationBox(refusal->message)});
        }
        return !refusal;
    }

    // Runs an operation on this sink and records its boxes where the window shows them: each
    // after the lines the operation had logged before it.
    Outcome run(const std::function<Outcome()>& operation) {
        const int before = static_cast<int>(logLines.size());
        Outcome outcome = operation();
        showAt(outcome.boxes, before);
        return outcome;
    }

    QStringList logLines;
    QStringList informations;
    QStringList applicationErrors;
    QStringList messageBoxes;
    QStringList events;  // everything the user sees, in order
    int progressMaximum = 100;
    int progressPosition = 0;
    int processEventsCalls = 0;
    std::int64_t sleptMilliseconds = 0;
    int sleepCalls = 0;
    std::int64_t clock = 1'700'000'000;

  private:
    // `firstLine` < 0: at the end; otherwise after log line firstLine + afterLines.
    void showAt(const Boxes& boxes, int firstLine) {
        for (const Box& box : boxes) {
            QString event;
            if (box.kind == Box::Kind::Error) {
                applicationErrors.append(box.text);
                event = "error: " + box.text;
            } else if (box.title == "Information") {
                informations.append(box.text);
                event = "information: " + box.text;
            } else {
                messageBoxes.append(box.title + ": " + box.text);
                event = "box: " + box.title + ": " + box.text;
            }
            qsizetype at = events.size();
            if (firstLine >= 0) {
                // After the (firstLine + afterLines)-th log line and the boxes already there.
                int lines = 0;
                at = 0;
                while (at < events.size() && lines < firstLine + box.afterLines) {
                    lines += events[at].startsWith("log: ") ? 1 : 0;
                    ++at;
                }
                while (at < events.size() && !events[at].startsWith("log: ")) {
                    ++at;
                }
            }
            events.insert(at, event);
        }
    }
};
