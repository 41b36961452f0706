#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class QWidget;

namespace perivant {

// Lets a window repaint at most once per interval. Qt repaints a window once the events queued
// before its update request are handled; during a refresh the workers' results arrive a few at a
// time, so the window repainted several times per wave, at about a millisecond a pass. An update
// request that comes sooner than the interval after the last repaint is held and delivered when
// the interval has passed; everything asked for by then is painted in that one pass. At the
// default 15 ms nobody sees the difference.
class RepaintPacer : public QObject {
public:
    explicit RepaintPacer(QWidget* window, int intervalMs = 15);

    // How many update requests were held back; tests read it.
    int HeldRequests() const { return m_held; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    const int m_intervalMs;
    QElapsedTimer m_sinceRepaint;
    QTimer m_release;
    bool m_delivering = false;
    int m_held = 0;
};

}  // namespace perivant
