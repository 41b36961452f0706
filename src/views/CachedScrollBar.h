#pragma once

#include <QBrush>
#include <QImage>
#include <QScrollBar>
#include <QStyleOptionSlider>

class QPainter;

namespace perivant {

// A scroll bar that keeps its last painting and shows it again while nothing that it shows has
// changed. An item view lays out its scroll bars again for every batch of new rows and, with
// both bars shown, restacks them each time, which repaints both in full: the raster engine
// spreads their tall fills over a thread pool, so each repaint wakes threads. Painted from the
// copy, a repaint is one opaque copy of pixels; the copy holds the window's background behind
// the bar, so the bar paints every pixel and nothing behind it needs painting. While the
// pointer is on it or a part of it is pressed, it paints as Qt's scroll bar does.
class CachedScrollBar : public QScrollBar {
public:
    explicit CachedScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

    // How many paints came from the copy; tests read it.
    int CopiedPaints() const { return m_copiedPaints; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool SameAsCopy(const QStyleOptionSlider& shown) const;
    void PaintBackground(QPainter& painter) const;

    QImage m_copy;
    QStyleOptionSlider m_copyShows;
    const QStyle* m_copyStyle = nullptr;
    QBrush m_copyBackground;
    bool m_copyValid = false;
    bool m_pressed = false;
    int m_copiedPaints = 0;
};

}  // namespace perivant
