#include "polling/WorkerLauncher.h"

#include <pthread.h>

#include <memory>
#include <system_error>
#include <utility>

namespace perivant {

namespace {

// The C library keeps the stacks of ended threads for reuse, up to some tens of megabytes.
// Stacks of the system's default size (8 MB) fill that with a handful, so nearly every worker
// start mapped a fresh stack and its end unmapped one: a third of the program's processor time
// in a refresh of many servers. A worker needs well under 64 KB, even on the hostile pages of the
// lab; this leaves a wide margin for sanitizer builds and the system's name resolver.
constexpr size_t kWorkerStackBytes = 512 * 1024;

void* RunTask(void* task) {
    std::unique_ptr<WorkerLauncher::Task> owned(static_cast<WorkerLauncher::Task*>(task));
    (*owned)();
    return nullptr;
}

}  // namespace

WorkerLauncher::WorkerLauncher(ThreadMaker makeThread, std::chrono::milliseconds idleLimit)
    : m_makeThread(std::move(makeThread)), m_idleLimit(idleLimit) {}

WorkerLauncher::~WorkerLauncher() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_stopping = true;
    m_launcherWake.notify_one();
    m_workerWake.notify_all();
    lock.unlock();
    if (m_thread.joinable()) {
        m_thread.join();
    }
    lock.lock();
    m_workerEnded.wait(lock, [this] { return m_workers == 0; });
}

WorkerLauncher& WorkerLauncher::Instance() {
    static WorkerLauncher* const launcher = new WorkerLauncher();
    return *launcher;
}

bool WorkerLauncher::Launch(Task body, Task failed) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_unpromised > 0) {
        --m_unpromised;
        m_toWaiting.push_back(std::move(body));
        m_workerWake.notify_one();
        return true;
    }
    if (!m_thread.joinable()) {
        try {
            m_thread = std::thread([this] { RunLauncher(); });
        } catch (const std::system_error&) {
            // Tried again at the next launch; this worker is made here.
        }
    }
    if (!m_thread.joinable()) {
        lock.unlock();
        return m_makeThread(std::move(body));
    }
    m_toMake.push_back({std::move(body), std::move(failed)});
    m_launcherWake.notify_one();
    return true;
}

void WorkerLauncher::RunLauncher() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_launcherWake.wait(lock, [this] { return m_stopping || !m_toMake.empty(); });
        if (m_toMake.empty()) {
            return;  // stopping, and every thread asked for has been made
        }
        Request request = std::move(m_toMake.front());
        m_toMake.pop_front();
        ++m_workers;
        lock.unlock();
        auto body = std::make_shared<Task>(std::move(request.body));
        const bool made = m_makeThread([this, body] { RunWorker(std::move(*body)); });
        lock.lock();
        if (!made) {
            --m_workers;
            lock.unlock();
            if (request.failed) {
                request.failed();
            }
            lock.lock();
        }
    }
}

void WorkerLauncher::RunWorker(Task body) {
    for (;;) {
        body();
        body = nullptr;  // what the body holds goes now, not when the next one comes
        std::unique_lock<std::mutex> lock(m_mutex);
        ++m_unpromised;
        m_workerWake.wait_for(lock, m_idleLimit,
                              [this] { return !m_toWaiting.empty() || m_stopping; });
        if (!m_toWaiting.empty()) {
            // Launch counted this body against the waiting threads already.
            body = std::move(m_toWaiting.front());
            m_toWaiting.pop_front();
            continue;
        }
        --m_unpromised;
        --m_workers;
        m_workerEnded.notify_all();
        return;
    }
}

int WorkerLauncher::WaitingThreads() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_unpromised + static_cast<int>(m_toWaiting.size());
}

bool WorkerLauncher::MakeDetachedThread(Task body) {
    auto owned = std::make_unique<Task>(std::move(body));
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) {
        return false;
    }
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    pthread_attr_setstacksize(&attributes, kWorkerStackBytes);
    pthread_t thread;
    const int result = pthread_create(&thread, &attributes, RunTask, owned.get());
    pthread_attr_destroy(&attributes);
    if (result != 0) {
        return false;
    }
    owned.release();
    return true;
}

}  // namespace perivant
