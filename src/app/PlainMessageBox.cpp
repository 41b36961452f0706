#include "app/PlainMessageBox.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QScreen>
#include <algorithm>

#include "app/QtText.h"
#include "app/RunModal.h"

namespace perivant {

PlainMessageBox::PlainMessageBox(const std::string& text, StandardButtons buttons, QWidget* owner)
    : QMessageBox(QMessageBox::NoIcon, QStringLiteral("Perivant"), QString(), buttons, owner) {
    setTextFormat(Qt::PlainText);
    setText(ToQString(text));
    KeepLinesWhole();
}

void PlainMessageBox::KeepLinesWhole() {
    // The program's longer texts break their own lines. QMessageBox wraps any text wider than
    // 500 pixels at that width, which in this font breaks those lines again and leaves single
    // words on lines of their own. The box grows to the widest line instead, as far as Qt's own
    // limit for a message box (beyond it, Qt wraps as before).
    auto* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (label == nullptr) {
        return;
    }
    const QFontMetrics metrics(label->font());
    int widest = 0;
    for (const QString& line : label->text().split(QLatin1Char('\n'))) {
        widest = std::max(widest, metrics.horizontalAdvance(line));
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int screenWidth = screen != nullptr ? screen->availableGeometry().width() : 1024;
    const int hardLimit = screenWidth <= 1024 ? screenWidth : std::min(screenWidth - 480, 1000);
    // A few pixels for the last glyph's overhang, as the label measures with a margin.
    const int wanted = widest + 2 * label->margin() + 4;
    if (wanted > hardLimit) {
        return;
    }
    label->setMinimumWidth(wanted);
    // The limit holds for the whole box, which adds its margins and spacing to the label: a box
    // wider than the screen is squeezed to it, cutting the line's end and the margin after it.
    if (layout() != nullptr && layout()->minimumSize().width() > hardLimit) {
        label->setMinimumWidth(0);
    }
}

void PlainMessageBox::Show(const std::string& text, QWidget* owner) {
    PlainMessageBox box(text, QMessageBox::Ok, owner);
    RunModal(box);
}

bool PlainMessageBox::Ask(const std::string& text, QWidget* owner) {
    PlainMessageBox box(text, QMessageBox::Yes | QMessageBox::No, owner);
    return RunModal(box) == QMessageBox::Yes;
}

}  // namespace perivant
