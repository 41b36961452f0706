#include "app/CHelpMessageDlg.h"

#include <functional>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "app/QtHelpMessageRunner.h"
#include "dialogs/DirectXExplanation.h"
#include "polling/ServerInfo.h"
#include "support/AnswerNextModal.h"
#include "views/ClipboardHelpText.h"
#include "views/ServerRows.h"

namespace perivant {
namespace {

void AnswerNextDialog(std::function<void(CHelpMessageDlg*)> answer) {
    testing::AnswerNextModal<CHelpMessageDlg>(std::move(answer));
}

QString Lines(int count) {
    QStringList lines;
    for (int i = 1; i <= count; ++i) {
        lines << QStringLiteral("line %1").arg(i);
    }
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

class CHelpMessageDlgTest : public QObject {
    Q_OBJECT

private slots:
    void layoutFollowsTheDialogUnitsOfItsFont() {
        CHelpMessageDlg dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Perivant"));
        QCOMPARE(dialog.DontShowCheckBox()->text(),
                 QStringLiteral("&Don't show this message again"));
        QCOMPARE(dialog.OkButton()->text(), QStringLiteral("OK"));
        QVERIFY(dialog.OkButton()->isDefault());
        QVERIFY(dialog.m_bAllowDontShow);
        QVERIFY(!dialog.m_bDontShowAgain);
        QVERIFY(dialog.m_strMessage.empty());

        QCOMPARE(dialog.size(), dialog.MapDialogRect(0, 0, 294, 175).size());
        QCOMPARE(dialog.MessageLabel()->geometry(), dialog.MapDialogRect(7, 7, 280, 122));
        // The box is placed by the template and grows to the right when its text needs more.
        const QRect box = dialog.MapDialogRect(7, 139, 113, 10);
        const QRect placed = dialog.DontShowCheckBox()->geometry();
        QCOMPARE(placed.topLeft(), box.topLeft());
        QCOMPARE(placed.height(), box.height());
        QVERIFY(placed.width() >= box.width());
        QVERIFY(placed.width() >= dialog.DontShowCheckBox()->sizeHint().width());
        QVERIFY(placed.right() < dialog.width());
        QCOMPARE(dialog.OkButton()->geometry(), dialog.MapDialogRect(123, 155, 50, 14));

        // Dialog units: 4 across and 8 down make one average character of the dialog font.
        const QFontMetrics metrics(dialog.font());
        const QRect charCell = dialog.MapDialogRect(0, 0, 4 * 26, 8);
        QCOMPARE(charCell.height(), metrics.height());
        const int letters = metrics.horizontalAdvance(
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
        QVERIFY(qAbs(charCell.width() - letters / 2) <= 26);
        QVERIFY(dialog.MessageLabel()->geometry().right() < dialog.width());
        QVERIFY(dialog.OkButton()->geometry().bottom() < dialog.height());
    }

    void textAreaHoldsFifteenLinesAndGrowsForWiderWrapping() {
        struct Shown {
            int labelHeight = 0;
            int needed = 0;
            int okTop = 0;
            int dialogHeight = 0;
            int unwrapped = 0;  // the height of the message's own lines, none wrapped
        };
        auto show = [](const std::string& message) {
            CHelpMessageDlg dialog;
            dialog.m_strMessage = message;
            Shown shown;
            AnswerNextDialog([&shown](CHelpMessageDlg* open) {
                QLabel* label = open->MessageLabel();
                shown = {label->height(), label->heightForWidth(label->width()),
                         open->OkButton()->y(), open->height(),
                         QFontMetrics(label->font())
                             .boundingRect(QRect(0, 0, 100000, 100000), 0, label->text())
                             .height()};
                QVERIFY(open->DontShowCheckBox()->y() > label->geometry().bottom());
                QVERIFY(open->OkButton()->geometry().bottom() < open->height());
                open->accept();
            });
            dialog.DoModal();
            return shown;
        };
        CHelpMessageDlg blank;
        QLabel* label = blank.MessageLabel();
        QVERIFY(label->wordWrap());
        QCOMPARE(label->textFormat(), Qt::PlainText);
        const int area = blank.MapDialogRect(7, 7, 280, 122).height();
        const int lineHeight = QFontMetrics(label->font()).lineSpacing();

        // Fifteen lines fit the template's area; the dialog keeps its size.
        const Shown fifteen = show(Lines(15).toStdString());
        QCOMPARE(fifteen.labelHeight, area);
        QVERIFY(fifteen.needed <= area);
        QCOMPARE(fifteen.dialogHeight, blank.height());

        // The program's own messages show every line in this font, however it wraps them.
        for (const std::string& message :
             {ClipboardHelpText("127.0.0.2:23456"), FilterDirectXExplanation(8)}) {
            const Shown whole = show(message);
            QVERIFY2(whole.needed <= whole.labelHeight, message.c_str());
            QCOMPARE(whole.dialogHeight - blank.height(), whole.labelHeight - area);
            QCOMPARE(whole.okTop - blank.OkButton()->y(), whole.labelHeight - area);
        }
        // The DirectX messages break their own lines, and none is broken again.
        ServerInfo server;
        server.DirectXVersionRequired = "9";
        for (const std::string& message :
             {DirectXMessageText(server, 8, -1, ""), FilterDirectXExplanation(8)}) {
            const Shown whole = show(message);
            QVERIFY2(whole.needed <= whole.unwrapped, message.c_str());
        }
        QCOMPARE(blank.font().pointSize(), 8);

        // A message of more than twice fifteen lines is cut at twice the area.
        const Shown forty = show(Lines(40).toStdString());
        QCOMPARE(forty.labelHeight, 2 * area);
        QVERIFY(forty.needed > forty.labelHeight + lineHeight);

        // A long line wraps at word boundaries instead of running off to the right.
        label->setText(QString(40, QLatin1Char('w')).append(QStringLiteral(" word")).repeated(8));
        QVERIFY(label->heightForWidth(label->width()) > QFontMetrics(label->font()).height());
    }

    void okCopiesTheTickedBoxBack() {
        CHelpMessageDlg dialog;
        dialog.m_strMessage = "Degree \xB0 and <b>markup</b>\nsecond line";
        QString shown;
        AnswerNextDialog([&shown](CHelpMessageDlg* open) {
            shown = open->MessageLabel()->text();
            QVERIFY(open->DontShowCheckBox()->isEnabled());
            QVERIFY(!open->DontShowCheckBox()->isChecked());
            QTest::mouseClick(open->DontShowCheckBox(), Qt::LeftButton);
            QTest::mouseClick(open->OkButton(), Qt::LeftButton);
        });
        QCOMPARE(dialog.DoModal(), CHelpMessageDlg::kIdOk);
        QCOMPARE(shown, QStringLiteral("Degree \u00B0 and <b>markup</b>\nsecond line"));
        QVERIFY(dialog.m_bDontShowAgain);
    }

    void escapeAndCloseCopyNothing() {
        CHelpMessageDlg dialog;
        AnswerNextDialog([](CHelpMessageDlg* open) {
            QTest::mouseClick(open->DontShowCheckBox(), Qt::LeftButton);
            QVERIFY(open->DontShowCheckBox()->isChecked());
            QTest::keyClick(open, Qt::Key_Escape);
        });
        QCOMPARE(dialog.DoModal(), CHelpMessageDlg::kIdCancel);
        QVERIFY(!dialog.m_bDontShowAgain);

        CHelpMessageDlg closed;
        AnswerNextDialog([](CHelpMessageDlg* open) {
            QTest::mouseClick(open->DontShowCheckBox(), Qt::LeftButton);
            open->close();
        });
        QCOMPARE(closed.DoModal(), CHelpMessageDlg::kIdCancel);
        QVERIFY(!closed.m_bDontShowAgain);
    }

    void greyedBoxCannotBeTickedAndEnterIsOk() {
        CHelpMessageDlg dialog;
        dialog.m_bAllowDontShow = false;
        bool enabled = true;
        AnswerNextDialog([&enabled](CHelpMessageDlg* open) {
            enabled = open->DontShowCheckBox()->isEnabled();
            QTest::mouseClick(open->DontShowCheckBox(), Qt::LeftButton);
            QTest::keyClick(open, Qt::Key_Return);
        });
        QCOMPARE(dialog.DoModal(), CHelpMessageDlg::kIdOk);
        QVERIFY(!enabled);
        QVERIFY(!dialog.m_bDontShowAgain);

        // The member goes into the box at start-up and comes back unchanged with OK.
        CHelpMessageDlg preset;
        preset.m_bDontShowAgain = true;
        bool checked = false;
        AnswerNextDialog([&checked](CHelpMessageDlg* open) {
            checked = open->DontShowCheckBox()->isChecked();
            QTest::mouseClick(open->OkButton(), Qt::LeftButton);
        });
        QCOMPARE(preset.DoModal(), CHelpMessageDlg::kIdOk);
        QVERIFY(checked);
        QVERIFY(preset.m_bDontShowAgain);
    }

    void runnerReportsTheAnswer() {
        QtHelpMessageRunner runner;
        bool dontShow = false;
        QString text;
        bool enabled = false;
        AnswerNextDialog([&](CHelpMessageDlg* open) {
            text = open->MessageLabel()->text();
            enabled = open->DontShowCheckBox()->isEnabled();
            QTest::mouseClick(open->DontShowCheckBox(), Qt::LeftButton);
            QTest::mouseClick(open->OkButton(), Qt::LeftButton);
        });
        QVERIFY(runner.RunHelpMessage("copied", true, dontShow));
        QVERIFY(dontShow);
        QVERIFY(enabled);
        QCOMPARE(text, QStringLiteral("copied"));

        AnswerNextDialog([&](CHelpMessageDlg* open) {
            enabled = open->DontShowCheckBox()->isEnabled();
            QTest::keyClick(open, Qt::Key_Escape);
        });
        QVERIFY(!runner.RunHelpMessage("forced", false, dontShow));
        QVERIFY(!dontShow);
        QVERIFY(!enabled);
        QVERIFY(testing::OpenModal<CHelpMessageDlg>() == nullptr);
    }
};

}  // namespace perivant

QTEST_MAIN(perivant::CHelpMessageDlgTest)
#include "CHelpMessageDlgTest.moc"
