#pragma once

#include <QProxyStyle>

namespace perivant {

// The application's style, which hands out the toolbar's extension-button icons unmade. Qt's
// toolbar asks for that icon when it is built; the style loads it from image files, and
// reading an image file loads every image-format plug-in to ask whether it knows the format:
// 2 ms of start-up, for a button that shows only when the window is too narrow for the
// toolbar. The icon it hands out asks the wrapped style for the real one when first used, so
// the button looks exactly as before. Everything else is the wrapped style's.
class DeferredIconStyle : public QProxyStyle {
public:
    // Wraps base and takes it over.
    explicit DeferredIconStyle(QStyle* base);

    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;

    // Makes a DeferredIconStyle around a new instance of the application's current style the
    // application's style; before any widget exists, so nothing needs polishing again. Leaves a
    // style that the style factory cannot make again as it is.
    static void Install();
};

}  // namespace perivant
