#include "views/CachedTextDelegate.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>

namespace perivant {

namespace {

QStaticText PlainText(const QString& text, const QFont& font) {
    QStaticText laidOut(text);
    // A server name such as "<b>Tower</b>" is a name, not markup.
    laidOut.setTextFormat(Qt::PlainText);
    laidOut.prepare(QTransform(), font);
    return laidOut;
}

}  // namespace

CachedTextDelegate::CachedTextDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

CachedTextDelegate::Entry& CachedTextDelegate::Layout(const QString& text,
                                                      const QFont& font) const {
    if (font != m_font) {
        m_texts.clear();
        m_font = font;
    }
    auto found = m_texts.find(text);
    if (found != m_texts.end()) {
        return *found;
    }
    if (m_texts.size() >= kMaxCachedTexts) {
        m_texts.clear();
    }
    Entry entry;
    entry.whole = PlainText(text, font);
    entry.width = entry.whole.size().width();
    return *m_texts.insert(text, std::move(entry));
}

void CachedTextDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QStyleOptionViewItem::ViewItemFeatures others = QStyleOptionViewItem::WrapText |
                                                          QStyleOptionViewItem::HasDecoration |
                                                          QStyleOptionViewItem::HasCheckIndicator;
    if (item.text.isEmpty() || (item.features & others) || item.textElideMode != Qt::ElideRight ||
        item.direction != Qt::LeftToRight || !(item.displayAlignment & Qt::AlignVCenter) ||
        !(item.displayAlignment & (Qt::AlignLeft | Qt::AlignRight)) ||
        !item.showDecorationSelected) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const QWidget* widget = item.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();

    // Background, selection, icon and focus frame as the style draws them; with the text taken
    // out, the style measures nothing.
    const QString text = item.text;
    QStyleOptionViewItem frame = item;
    frame.text.clear();
    frame.features &= ~QStyleOptionViewItem::HasDisplay;
    style->drawControl(QStyle::CE_ItemViewItem, &frame, painter, widget);

    // The text goes where the style would put it: the cell less the style's margin on either
    // side, centred vertically, cut at the right with "…" when too wide.
    QRect area = item.rect;
    const int textMargin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    area.adjust(textMargin, 0, -textMargin, 0);
    if (area.width() <= 0) {
        return;
    }

    Entry& entry = Layout(text, item.font);
    const QStaticText* shown = &entry.whole;
    if (entry.width > area.width()) {
        if (entry.elidedFor != area.width()) {
            const QString cut =
                QFontMetrics(item.font).elidedText(text, Qt::ElideRight, area.width());
            entry.elided = PlainText(cut, item.font);
            entry.elidedFor = area.width();
        }
        shown = &entry.elided;
    }

    QPalette::ColorGroup group =
        (item.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !(item.state & QStyle::State_Active)) {
        group = QPalette::Inactive;
    }
    const QSizeF size = shown->size();
    const qreal x =
        (item.displayAlignment & Qt::AlignRight) ? area.right() + 1 - size.width() : area.left();
    const int y = area.top() + (area.height() - static_cast<int>(size.height())) / 2;
    painter->save();
    painter->setClipRect(item.rect);
    painter->setFont(item.font);
    painter->setPen(item.palette.color(
        group, (item.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text));
    painter->drawStaticText(QPointF(x, y), *shown);
    painter->restore();
}

}  // namespace perivant
