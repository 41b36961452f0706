#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <mutex>

#include "polling/FrameTarget.h"

namespace perivant {

class FrameMessageReceiver;

// Delivers the polling engine's messages to the main frame on the GUI thread. Post queues an
// event; Send from a worker queues one and waits until it was handled or dropped (the frame
// went away); Send on the GUI thread is a direct call. Safe to outlive the receiver: messages
// then go nowhere.
class QtFrameTarget : public FrameTarget {
public:
    using Handler = std::function<void(FrameMessage, ServerPtr)>;

    // The receiver lives on the calling (GUI) thread and dies with parent.
    QtFrameTarget(QObject* parent, Handler handler);
    ~QtFrameTarget() override;

    void Post(FrameMessage message, ServerPtr record) override;
    void Send(FrameMessage message, ServerPtr record) override;

    // Shared with the receiver, which clears it when it is destroyed.
    struct Gate {
        std::mutex mutex;
        FrameMessageReceiver* receiver = nullptr;
    };

private:
    std::shared_ptr<Gate> m_gate;
};

// The QObject that owns the handler on the GUI thread.
class FrameMessageReceiver : public QObject {
    Q_OBJECT
public:
    FrameMessageReceiver(QObject* parent, std::shared_ptr<QtFrameTarget::Gate> gate,
                         QtFrameTarget::Handler handler);
    ~FrameMessageReceiver() override;
    void Dispatch(FrameMessage message, ServerPtr record) { m_handler(message, std::move(record)); }

protected:
    bool event(QEvent* event) override;

private:
    std::shared_ptr<QtFrameTarget::Gate> m_gate;
    QtFrameTarget::Handler m_handler;
};

}  // namespace perivant
