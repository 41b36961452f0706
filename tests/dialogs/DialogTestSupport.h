#pragma once

#include <QAbstractButton>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace perivant {

// Clicks a check box on its indicator, where a click always lands, and a button in its middle.
inline void ClickBox(QWidget* box) {
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(4, box->height() / 2));
}

inline void ClickButton(QWidget* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

// Replaces an edit's text the way a user does: select all, then type.
inline void TypeInto(QWidget* widget, const QString& text) {
    auto* edit = qobject_cast<QLineEdit*>(widget);
    QVERIFY(edit != nullptr);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty()) {
        QTest::keyClick(edit, Qt::Key_Delete);
    }
    // The test library types ASCII only; other characters arrive as key events with their text.
    for (QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(edit, c.toLatin1());
        } else {
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
}

// Pastes text at the edit's cursor through the clipboard, as Ctrl+V does.
inline void PasteInto(QWidget* widget, const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(widget, Qt::Key_V, Qt::ControlModifier);
}

// Every check box and label shows its whole text inside the dialog.
inline void ExpectTextsFit(QWidget& dialog) {
    QList<QWidget*> texts;
    for (QCheckBox* box : dialog.findChildren<QCheckBox*>()) {
        texts << box;
    }
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        texts << label;
    }
    QVERIFY(!texts.isEmpty());
    for (QWidget* text : texts) {
        const QByteArray what = text->property("text").toString().toUtf8();
        QVERIFY2(text->width() >= text->sizeHint().width(), what.constData());
        QVERIFY2(text->geometry().right() < dialog.width(), what.constData());
    }
}

inline bool IsChecked(QWidget* widget) {
    return qobject_cast<QAbstractButton*>(widget)->isChecked();
}

inline QString TextOf(QWidget* widget) {
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        return edit->text();
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        return button->text();
    }
    return widget->property("text").toString();
}

}  // namespace perivant
