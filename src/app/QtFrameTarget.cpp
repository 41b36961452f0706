#include "app/QtFrameTarget.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <future>

namespace perivant {

namespace {

const QEvent::Type kFrameMessageEvent = static_cast<QEvent::Type>(QEvent::User + 0x400);

// One message on its way to the GUI thread. A waiting sender is released when the event is
// handled, and also when Qt drops it unhandled because the receiver is gone.
class FrameMessageEvent : public QEvent {
public:
    FrameMessageEvent(FrameMessage message, ServerPtr record,
                      std::shared_ptr<std::promise<void>> done)
        : QEvent(kFrameMessageEvent),
          message(message),
          record(std::move(record)),
          m_done(std::move(done)) {}
    ~FrameMessageEvent() override {
        if (m_done) {
            m_done->set_value();
        }
    }

    const FrameMessage message;
    ServerPtr record;

private:
    std::shared_ptr<std::promise<void>> m_done;
};

}  // namespace

FrameMessageReceiver::FrameMessageReceiver(QObject* parent,
                                           std::shared_ptr<QtFrameTarget::Gate> gate,
                                           QtFrameTarget::Handler handler)
    : QObject(parent), m_gate(std::move(gate)), m_handler(std::move(handler)) {
    std::lock_guard<std::mutex> lock(m_gate->mutex);
    m_gate->receiver = this;
}

FrameMessageReceiver::~FrameMessageReceiver() {
    {
        std::lock_guard<std::mutex> lock(m_gate->mutex);
        m_gate->receiver = nullptr;
    }
    // Events still queued for this object die here and release their senders.
    QCoreApplication::removePostedEvents(this, kFrameMessageEvent);
}

bool FrameMessageReceiver::event(QEvent* e) {
    if (e->type() == kFrameMessageEvent) {
        auto* message = static_cast<FrameMessageEvent*>(e);
        m_handler(message->message, std::move(message->record));
        return true;
    }
    return QObject::event(e);
}

QtFrameTarget::QtFrameTarget(QObject* parent, Handler handler) : m_gate(std::make_shared<Gate>()) {
    new FrameMessageReceiver(parent, m_gate, std::move(handler));
}

QtFrameTarget::~QtFrameTarget() = default;

void QtFrameTarget::Post(FrameMessage message, ServerPtr record) {
    std::lock_guard<std::mutex> lock(m_gate->mutex);
    if (m_gate->receiver) {
        QCoreApplication::postEvent(m_gate->receiver,
                                    new FrameMessageEvent(message, std::move(record), nullptr));
    }
}

void QtFrameTarget::Send(FrameMessage message, ServerPtr record) {
    std::future<void> handled;
    {
        std::unique_lock<std::mutex> lock(m_gate->mutex);
        FrameMessageReceiver* receiver = m_gate->receiver;
        if (!receiver) {
            return;
        }
        if (QThread::currentThread() == receiver->thread()) {
            lock.unlock();
            // The GUI thread's own message is a direct call.
            receiver->Dispatch(message, std::move(record));
            return;
        }
        auto done = std::make_shared<std::promise<void>>();
        handled = done->get_future();
        QCoreApplication::postEvent(receiver,
                                    new FrameMessageEvent(message, std::move(record), done));
    }
    handled.wait();
}

}  // namespace perivant
