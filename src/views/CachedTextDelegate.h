#pragma once

#include <QFont>
#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>

namespace perivant {

// Paints list cells as the style does, but keeps each cell text laid out once. The style lays
// out and shapes every cell's text three times on every paint (size, elision, drawing); a list
// that repaints its visible rows as servers arrive spent most of its time there. Cells with a
// layout the fast path does not cover (icons, check boxes, wrapping, right-to-left, elision
// other than at the right) go to the style unchanged.
class CachedTextDelegate : public QStyledItemDelegate {
public:
    explicit CachedTextDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // Laid-out texts held; tests read it.
    int CachedTextCount() const { return static_cast<int>(m_texts.size()); }

    // Beyond this many texts the cache starts again; only the visible rows' texts are ever
    // painted, so a full cache means the list scrolled far.
    static constexpr int kMaxCachedTexts = 4096;

private:
    struct Entry {
        QStaticText whole;
        qreal width = 0;
        int elidedFor = -1;  // available width the elided text was made for
        QStaticText elided;
    };

    Entry& Layout(const QString& text, const QFont& font) const;

    mutable QHash<QString, Entry> m_texts;
    mutable QFont m_font;
};

}  // namespace perivant
