#include "dialogs/DialogUnits.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QString>
#include <algorithm>
#include <cstdlib>

namespace perivant {

QFont DialogTemplateFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

void WidenToFitText(QWidget& control, int rightEdge) {
    if (qobject_cast<QCheckBox*>(&control) == nullptr &&
        qobject_cast<QLabel*>(&control) == nullptr) {
        return;
    }
    const int needed = std::min(control.sizeHint().width(), rightEdge - control.x());
    if (needed > control.width()) {
        control.resize(needed, control.height());
    }
}

DialogUnits::DialogUnits(const QFont& font) {
    QFontMetrics metrics(font);
    // The average width over both alphabets, rounded, as the dialog manager measures it.
    int alphabets = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_baseX = (alphabets / 26 + 1) / 2;
    m_baseY = metrics.height();
    if (m_baseX < 1) {
        m_baseX = 1;
    }
    if (m_baseY < 1) {
        m_baseY = 1;
    }
}

int DialogUnits::MulDiv(int number, int numerator, int denominator) {
    long long product = static_cast<long long>(number) * numerator;
    long long half = std::llabs(static_cast<long long>(denominator)) / 2;
    bool negative = (product < 0) != (denominator < 0);
    long long magnitude =
        (std::llabs(product) + half) / std::llabs(static_cast<long long>(denominator));
    return static_cast<int>(negative ? -magnitude : magnitude);
}

int DialogUnits::X(int dialogUnits) const {
    return MulDiv(dialogUnits, m_baseX, 4);
}

int DialogUnits::Y(int dialogUnits) const {
    return MulDiv(dialogUnits, m_baseY, 8);
}

QRect DialogUnits::Rect(int x, int y, int cx, int cy) const {
    // Each of the four numbers is mapped on its own, as the dialog manager places controls.
    return QRect(X(x), Y(y), X(cx), Y(cy));
}

QSize DialogUnits::Size(int cx, int cy) const {
    return QSize(X(cx), Y(cy));
}

}  // namespace perivant
