#include "app/QtFrameTarget.h"

#include "app/QtTimerService.h"

#include <QCoreApplication>
#include <QTest>
#include <atomic>
#include <thread>

using namespace perivant;

class QtFrameTargetTest : public QObject {
    Q_OBJECT
private slots:
    void postedMessagesArriveInOrderOnTheGuiThread() {
        QObject owner;
        std::vector<int> seen;
        Qt::HANDLE guiThread = QThread::currentThreadId();
        bool allOnGui = true;
        auto target = std::make_shared<QtFrameTarget>(&owner, [&](FrameMessage m, ServerPtr) {
            seen.push_back(m);
            allOnGui = allOnGui && QThread::currentThreadId() == guiThread;
        });
        std::thread worker([target] {
            target->Post(MsgServerAdded, nullptr);
            target->Post(MsgServerUpdated, nullptr);
        });
        worker.join();
        QVERIFY(seen.empty());  // posted: nothing runs until the loop does
        QTRY_COMPARE(seen.size(), size_t(2));
        QCOMPARE(seen[0], int(MsgServerAdded));
        QCOMPARE(seen[1], int(MsgServerUpdated));
        QVERIFY(allOnGui);
    }

    void sendWaitsForTheHandler() {
        QObject owner;
        std::atomic<int> handled{0};
        auto target =
            std::make_shared<QtFrameTarget>(&owner, [&](FrameMessage, ServerPtr) { handled++; });
        std::atomic<bool> returned{false};
        std::thread worker([&] {
            target->Send(MsgStatusChanged, nullptr);
            returned = handled.load() == 1;
        });
        QTRY_VERIFY(handled.load() == 1);
        worker.join();
        QVERIFY(returned.load());

        // On the GUI thread Send is a direct call.
        target->Send(MsgStatusChanged, nullptr);
        QCOMPARE(handled.load(), 2);
    }

    void senderIsReleasedWhenTheFrameGoesAway() {
        auto owner = std::make_unique<QObject>();
        std::atomic<int> handled{0};
        auto target = std::make_shared<QtFrameTarget>(owner.get(),
                                                      [&](FrameMessage, ServerPtr) { handled++; });
        std::atomic<bool> returned{false};
        std::thread worker([&] {
            target->Send(MsgServerDropped, nullptr);
            returned = true;
        });
        // Give the worker time to queue its message, then destroy the frame unhandled.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        owner.reset();
        worker.join();
        QVERIFY(returned.load());
        QCOMPARE(handled.load(), 0);
        // A frame that is gone swallows later messages.
        target->Post(MsgServerAdded, nullptr);
        target->Send(MsgStatusChanged, nullptr);
        QCoreApplication::processEvents();
        QCOMPARE(handled.load(), 0);
    }

    // The scheduler kills its query timer when the queue runs dry and relies on hearing no more
    // of it: not when the period has already run out, and not after the service is gone.
    void killedTimersAndTheServiceItselfStaySilent() {
        QObject owner;
        int killed = 0;
        int orphaned = 0;
        {
            QtTimerService timers(&owner);
            const int id = timers.StartTimer(10, [&] { ++killed; });
            std::this_thread::sleep_for(std::chrono::milliseconds(50));  // due, not yet handled
            timers.KillTimer(id);
            QTest::qWait(100);
            timers.StartTimer(10, [&] { ++orphaned; });
        }
        QTest::qWait(100);  // the owner lives on
        QCOMPARE(killed, 0);
        QCOMPARE(orphaned, 0);
    }

    // The scheduler's extra pass must come after the end messages of workers that were waiting
    // when it was asked for, and never after its frame is gone.
    void runSoonFollowsTheMessagesAlreadyWaiting() {
        auto owner = std::make_unique<QObject>();
        std::vector<std::string> seen;
        auto target = std::make_shared<QtFrameTarget>(
            owner.get(), [&](FrameMessage, ServerPtr) { seen.push_back("message"); });
        QtTimerService timers(owner.get());
        std::thread worker([target] { target->Send(MsgStatusChanged, nullptr); });
        // Wait until the worker's message is queued, without handling it.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        timers.RunSoon([&] { seen.push_back("pass"); });
        QVERIFY(seen.empty());
        QTRY_COMPARE(seen.size(), size_t(2));
        worker.join();
        QCOMPARE(seen[0], std::string("message"));
        QCOMPARE(seen[1], std::string("pass"));

        timers.RunSoon([&] { seen.push_back("late"); });
        owner.reset();
        QCoreApplication::processEvents();
        QCOMPARE(seen.size(), size_t(2));
    }
};

QTEST_GUILESS_MAIN(QtFrameTargetTest)
#include "QtFrameTargetTest.moc"
