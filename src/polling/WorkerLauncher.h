#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace perivant {

// Runs worker bodies each on a thread of its own, without making the caller wait for a thread.
// Making a thread here costs a tenth of a millisecond or more (stack, kernel task, address-space
// updates on every core), and a refresh starts up to MaxThreads workers in one go from the GUI
// thread: made there, sixty workers held that thread for 10 ms, and the query timer, which starts
// once the first query is queued behind them, started that much later. So new threads are made
// by the launcher's own thread, and a thread whose body has ended waits a while for the next
// body (the next wave comes within one 100 ms tick) before it ends.
class WorkerLauncher {
public:
    using Task = std::function<void()>;
    // Makes one detached thread that runs the task; false when the system refuses a thread.
    using ThreadMaker = std::function<bool(Task)>;

    explicit WorkerLauncher(ThreadMaker makeThread = MakeDetachedThread,
                            std::chrono::milliseconds idleLimit = std::chrono::seconds(2));
    // Makes the threads still asked for, then waits until every thread it made has ended (a
    // body still running included).
    ~WorkerLauncher();
    WorkerLauncher(const WorkerLauncher&) = delete;
    WorkerLauncher& operator=(const WorkerLauncher&) = delete;

    // The launcher of the process. Never destroyed: workers may be started until the process
    // ends, and threads still waiting then must not find its state destroyed.
    static WorkerLauncher& Instance();

    // Runs body on a thread that runs nothing else meanwhile: a waiting one, or a new one. When
    // no thread can be made, failed runs instead, on the launcher's thread. Without a launcher
    // thread (the system refused that one too) the worker is made here and the result returned;
    // failed then never runs.
    bool Launch(Task body, Task failed);

    // A detached thread with a stack sized for a worker.
    static bool MakeDetachedThread(Task body);

    // For tests: how many threads wait for a body now.
    int WaitingThreads();

private:
    struct Request {
        Task body;
        Task failed;
    };

    void RunLauncher();
    // Runs body, then further bodies handed to waiting threads, until none comes in time.
    void RunWorker(Task body);

    const ThreadMaker m_makeThread;
    const std::chrono::milliseconds m_idleLimit;
    std::mutex m_mutex;
    std::condition_variable m_launcherWake;
    std::condition_variable m_workerWake;
    std::condition_variable m_workerEnded;
    std::deque<Request> m_toMake;  // bodies for new threads; guarded by m_mutex
    std::deque<Task> m_toWaiting;  // bodies promised to waiting threads; guarded by m_mutex
    int m_unpromised = 0;          // waiting threads no body is promised to; guarded
    int m_workers = 0;             // threads made and not yet ended; guarded
    bool m_stopping = false;       // guarded by m_mutex
    std::thread m_thread;          // the launcher's own, once started; guarded by m_mutex
};

}  // namespace perivant
