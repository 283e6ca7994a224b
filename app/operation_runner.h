#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <limits>
#include <mutex>
#include <optional>

#include "settings/outcome.h"
#include "settings/progress_sink.h"

class WindowSink;

// Runs the window's device operations, one at a time, on a thread of their own, so that the
// window handles its events while the tracker is slow, silent or blocked in the system.
//
// The operations stay plain synchronous functions. On the operation thread they report to a
// sink that collects log lines and progress and hands them to the window's sink in batches,
// through queued calls, at most once a frame. Stop is a flag the operation reads between
// pages. A question is put to the window by a blocking queued call and the operation waits
// for the answer. Nothing on the operation thread touches a widget: an operation works on
// copies (snapshot in) and the window takes its result on its own thread when it has ended
// (result out).
//
// Why a QThread of our own and not QtConcurrent: one long-lived thread is the only one that
// ever talks to the tracker, and it blocks the signals the program handles once, when it
// starts; a pool thread would need that on every run, and could differ from run to run.
class OperationRunner : public QObject {
    Q_OBJECT
  public:
    // What runs on the operation thread: reports to `sink`, asks through `ask`.
    using Work = std::function<Outcome(ProgressSink& sink, const Confirm& ask)>;
    // What runs on the window's thread once the operation has ended and everything it logged
    // is in the window's sink: its outcome, or what it threw.
    using Finished = std::function<void(const Outcome& outcome, std::exception_ptr thrown)>;

    // `display` receives the lines and progress; `answer` puts a question to the user on the
    // window's thread.
    OperationRunner(WindowSink& display, Confirm answer, QObject* parent = nullptr);
    // Stops what may be stopped, answers any question No and waits for the thread to end.
    ~OperationRunner() override;
    OperationRunner(const OperationRunner&) = delete;
    OperationRunner& operator=(const OperationRunner&) = delete;

    // Starts `work`; nothing when an operation is running already.
    void start(Work work, Finished finished);
    bool running() const { return running_; }

    // Asks the running operation to stop where it may (between pages, in a wait).
    void requestStop();
    // From now until the operation ends, every question it asks is answered No without being
    // put to the user.
    void declineQuestions() { declining_ = true; }
    bool decliningQuestions() const { return declining_; }

    // From the operation thread: runs `ask` on the window's thread, once the lines logged so
    // far are on screen, and waits for its answer; No without asking while questions are
    // declined. Called on the window's thread itself, it just asks.
    bool askOnWindow(const std::function<bool()>& ask);

    // Puts what the operation has reported so far in the window's sink and on screen, at most
    // `limit` lines of it; true when nothing is left.
    bool deliver(qsizetype limit = std::numeric_limits<qsizetype>::max());

    // Batches reach the window at most this often (one frame at 60 Hz) ...
    static constexpr int kFrameMs = 16;
    // ... and put at most this many lines on screen at a time, which takes a few
    // milliseconds: a tracker that answers at once does not hold the window.
    static constexpr qsizetype kLinesPerDelivery = 1000;

  private:
    class Sink;
    class Thread;

    // Called on the operation thread.
    void post(const std::function<void()>& change);
    bool ask(const Question& question);
    void deliverWhenDue();
    // Once every line is on screen, the operation has ended for the window.
    void finishWhenDelivered(const Finished& finished, const Outcome& outcome,
                             const std::exception_ptr& thrown);

    WindowSink& display_;
    Confirm answer_;
    Thread* thread_;

    // What the operation reported and the window has not taken yet.
    std::mutex pendingMutex_;
    QStringList pendingLines_;
    std::optional<std::pair<int, int>> pendingProgress_;  // maximum, value
    int progressMaximum_ = 0;                             // on the operation thread
    int progressValue_ = 0;
    bool deliveryPosted_ = false;
    QElapsedTimer sinceDelivery_;

    // Stop, and the waits that end early on it.
    std::mutex stopMutex_;
    std::condition_variable stopped_;
    std::atomic<bool> stop_ = false;
    std::atomic<bool> declining_ = false;
    bool running_ = false;
};
