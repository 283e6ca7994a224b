#include "app/operation_runner.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTimer>
#include <chrono>
#include <deque>

#include "app/termination_signals.h"
#include "app/window_sink.h"

#if defined(__MINGW32__) && defined(__GLIBCXX__)
#include <cxxabi.h>

namespace {

// With MinGW's GCC a thread_local object lives in storage of the emulated TLS, and the
// destructors of those objects run from a second thread key of the libstdc++ runtime. When a
// thread ends, winpthreads runs the keys' destructors in the order the keys were made; the
// storage's key is made at the first thread_local access, which comes first, so the storage is
// freed before the destructors run on it. Qt's regular expressions keep a thread_local JIT
// stack, and the operation thread matches backup names: at its end the stack's destructor
// read freed memory and faulted, the fault was swallowed by the system, and the thread key
// lock it held made the process hang in its exit. Making the destructors' key before any
// thread_local is touched (this runs before the C++ static initialisers of the program and of
// Qt) puts the destructors first and the storage's release last.
void noThreadExitWork(void*) {}

__attribute__((constructor(101))) void makeThreadExitKeyFirst() {
    static int unused;
    abi::__cxa_thread_atexit(noThreadExitWork, &unused, nullptr);
}

}  // namespace
#endif

// The operation thread: runs one job after another until it is told to end.
class OperationRunner::Thread : public QThread {
  public:
    explicit Thread(QObject* parent) : QThread(parent) { setObjectName("operations"); }

    void enqueue(std::function<void()> job) {
        {
            const std::lock_guard lock(mutex_);
            jobs_.push_back(std::move(job));
        }
        changed_.notify_one();
    }
    void end() {
        {
            const std::lock_guard lock(mutex_);
            ending_ = true;
        }
        changed_.notify_one();
    }

  protected:
    void run() override {
        // A signal the program handles goes to the window's thread, and never cuts a wait of
        // the tracker short here.
        blockTerminationSignals();
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [this] { return ending_ || !jobs_.empty(); });
                if (jobs_.empty()) {
                    return;
                }
                job = std::move(jobs_.front());
                jobs_.pop_front();
            }
            job();
        }
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> jobs_;
    bool ending_ = false;
};

// The sink the operation reports to, on the operation thread.
class OperationRunner::Sink : public ProgressSink {
  public:
    explicit Sink(OperationRunner& runner) : runner_(runner) {}

    void log(const QString& line) override {
        runner_.post([&] { runner_.pendingLines_.append(line); });
    }
    void progressStart(int maximum) override {
        runner_.post([&] {
            runner_.progressMaximum_ = maximum;
            runner_.progressValue_ = 0;
        });
    }
    void progressStep() override {
        runner_.post([&] { ++runner_.progressValue_; });
    }
    void progressReset() override {
        runner_.post([&] { runner_.progressValue_ = 0; });
    }
    bool mayGoOn() override { return !runner_.stop_; }
    std::int64_t now() override { return QDateTime::currentSecsSinceEpoch(); }
    void wait(int milliseconds) override {
        std::unique_lock lock(runner_.stopMutex_);
        runner_.stopped_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                  [this] { return runner_.stop_.load(); });
    }

  private:
    OperationRunner& runner_;
};

OperationRunner::OperationRunner(WindowSink& display, Confirm answer, QObject* parent)
    : QObject(parent), display_(display), answer_(std::move(answer)), thread_(new Thread(this)) {
    thread_->start();
}

OperationRunner::~OperationRunner() {
    requestStop();
    declining_ = true;
    thread_->end();
    // A question asked right now waits for a queued call that this thread will never run:
    // dropping the call releases the operation, which then reads No.
    while (!thread_->wait(10)) {
        QCoreApplication::removePostedEvents(this);
    }
}

void OperationRunner::start(Work work, Finished finished) {
    if (running_) {
        return;
    }
    running_ = true;
    stop_ = false;
    declining_ = false;
    {
        const std::lock_guard lock(pendingMutex_);
        progressMaximum_ = 0;
        progressValue_ = 0;
    }
    thread_->enqueue([this, work = std::move(work), finished = std::move(finished)] {
        Outcome outcome;
        std::exception_ptr thrown;
        try {
            Sink sink(*this);
            outcome = work(sink, [this](const Question& q) { return ask(q); });
        } catch (...) {
            thrown = std::current_exception();
        }
        QMetaObject::invokeMethod(
            this,
            [this, finished, outcome = std::move(outcome), thrown] {
                finishWhenDelivered(finished, outcome, thrown);
            },
            Qt::QueuedConnection);
    });
}

void OperationRunner::requestStop() {
    {
        const std::lock_guard lock(stopMutex_);
        stop_ = true;
    }
    stopped_.notify_all();
}

void OperationRunner::post(const std::function<void()>& change) {
    const std::lock_guard lock(pendingMutex_);
    const int maximum = progressMaximum_;
    const int value = progressValue_;
    change();
    if (progressMaximum_ != maximum || progressValue_ != value) {
        pendingProgress_ = std::pair(progressMaximum_, progressValue_);
    }
    if (!deliveryPosted_) {
        deliveryPosted_ = true;
        QMetaObject::invokeMethod(this, &OperationRunner::deliverWhenDue, Qt::QueuedConnection);
    }
}

void OperationRunner::deliverWhenDue() {
    if (sinceDelivery_.isValid() && sinceDelivery_.elapsed() < kFrameMs) {
        QTimer::singleShot(static_cast<int>(kFrameMs - sinceDelivery_.elapsed()), this,
                           [this] { deliver(kLinesPerDelivery); });
        return;
    }
    deliver(kLinesPerDelivery);
}

void OperationRunner::finishWhenDelivered(const Finished& finished, const Outcome& outcome,
                                          const std::exception_ptr& thrown) {
    if (!deliver(kLinesPerDelivery)) {
        // The window's events run between the pieces of a long log.
        QTimer::singleShot(0, this, [this, finished, outcome, thrown] {
            finishWhenDelivered(finished, outcome, thrown);
        });
        return;
    }
    running_ = false;
    finished(outcome, thrown);
}

bool OperationRunner::deliver(qsizetype limit) {
    QStringList lines;
    std::optional<std::pair<int, int>> progress;
    bool rest = false;
    {
        const std::lock_guard lock(pendingMutex_);
        if (pendingLines_.size() <= limit) {
            lines.swap(pendingLines_);
        } else {
            lines = pendingLines_.first(limit);
            pendingLines_.remove(0, limit);
            rest = true;
        }
        progress.swap(pendingProgress_);
        deliveryPosted_ = rest;
    }
    if (rest) {
        QMetaObject::invokeMethod(this, &OperationRunner::deliverWhenDue, Qt::QueuedConnection);
    }
    for (const QString& line : lines) {
        display_.log(line);
    }
    if (progress) {
        display_.setProgress(progress->first, progress->second);
    }
    display_.flush();
    sinceDelivery_.start();
    return !rest;
}

bool OperationRunner::ask(const Question& question) {
    return askOnWindow([this, &question] { return answer_(question); });
}

bool OperationRunner::askOnWindow(const std::function<bool()>& ask) {
    if (declining_) {
        return false;
    }
    if (QThread::currentThread() == thread()) {
        return ask() && !declining_;  // a blocking call to our own thread would never return
    }
    bool yes = false;
    QMetaObject::invokeMethod(
        this,
        [this, &ask, &yes] {
            deliver();
            yes = !declining_ && ask() && !declining_;
        },
        Qt::BlockingQueuedConnection);
    return yes;
}
