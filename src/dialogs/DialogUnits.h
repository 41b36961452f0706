#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

class QWidget;

namespace perivant {

// The font the dialog templates name: "MS Sans Serif" 8; where it is missing the platform's
// sans-serif face of that size stands in.
QFont DialogTemplateFont();

// A check box or label whose text needs more room than its template gives grows to the right,
// at most to `rightEdge`: the templates' widths were made for a narrower font than the ones
// that stand in for it, and a cut-off label is unreadable.
void WidenToFitText(QWidget& control, int rightEdge);

// The templates keep their controls this many dialog units from the dialog's edges.
inline constexpr int kTemplateMargin = 7;

// Dialog units of a dialog font, converted to pixels the way the templates were meant to be
// read: a horizontal unit is a quarter of the font's average character width, a vertical unit
// an eighth of its height, each product rounded to the nearest pixel.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    int BaseX() const { return m_baseX; }
    int BaseY() const { return m_baseY; }

    int X(int dialogUnits) const;
    int Y(int dialogUnits) const;
    // A control's place from its template x, y, width and height.
    QRect Rect(int x, int y, int cx, int cy) const;
    QSize Size(int cx, int cy) const;

    // number * numerator / denominator, rounded half away from zero.
    static int MulDiv(int number, int numerator, int denominator);

private:
    int m_baseX;
    int m_baseY;
};

}  // namespace perivant
