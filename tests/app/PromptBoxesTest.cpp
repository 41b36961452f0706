// The message boxes behind the program's prompts: caption, buttons, owner, and texts shown
// exactly as given, markup-like texts from the Master Server included.

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QDesktopServices>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

#include <functional>

#include "app/PlainMessageBox.h"
#include "app/QtText.h"
#include "app/QtUserPrompts.h"
#include "app/RunModal.h"
#include "app/WebBrowser.h"
#include "dialogs/DirectXExplanation.h"
#include "support/AnswerNextModal.h"

using namespace perivant;
using namespace perivant::testing;

namespace {

// A notice as a Master Server might send it: it looks like markup to Qt.
const char* const kMarkupLike = "<b>Closed</b> until <Friday> & later\nsecond line \xB0";
const QString kShown = QStringLiteral("<b>Closed</b> until <Friday> & later\nsecond line \u00B0");

struct SeenBox {
    QString title;
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    Qt::TextFormat labelFormat = Qt::AutoText;
    QMessageBox::Icon icon = QMessageBox::Information;
    QMessageBox::StandardButtons buttons;
    QWidget* owner = nullptr;
};

// Records what the next box shows, then presses button.
void RecordAndPress(SeenBox& seen, QMessageBox::StandardButton button) {
    AnswerNextModal<QMessageBox>([&seen, button](QMessageBox* box) {
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.format = box->textFormat();
        if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
            seen.labelFormat = label->textFormat();
        }
        seen.icon = box->icon();
        seen.buttons = box->standardButtons();
        seen.owner = box->parentWidget();
        QTest::mouseClick(box->button(button), Qt::LeftButton);
    });
}

}  // namespace

class PromptBoxesTest : public QObject {
    Q_OBJECT

public slots:
    // Stands in for the web browser; notes which watched descriptors a browser started now
    // would keep.
    void Opened(const QUrl& url) {
        m_opened.push_back(url);
        for (int fd : m_watched) {
            if ((fcntl(fd, F_GETFD) & FD_CLOEXEC) == 0) {
                m_inherited.push_back(fd);
            }
        }
    }

private:
    QList<QUrl> m_opened;
    QList<int> m_watched;
    QList<int> m_inherited;

private slots:
    void masterServerTextsReadAsSent() {
        QVERIFY(Qt::mightBeRichText(kShown));
        QtUserPrompts prompts;
        SeenBox seen;
        RecordAndPress(seen, QMessageBox::Ok);
        prompts.ShowMessage(kMarkupLike);
        QCOMPARE(seen.title, QStringLiteral("Perivant"));
        QCOMPARE(seen.text, kShown);
        QCOMPARE(seen.format, Qt::PlainText);
        QCOMPARE(seen.labelFormat, Qt::PlainText);
        QCOMPARE(seen.icon, QMessageBox::NoIcon);
        QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(seen.owner == nullptr);
    }

    void questionsAnswerYesOrNo() {
        QtUserPrompts prompts;
        SeenBox seen;
        RecordAndPress(seen, QMessageBox::Yes);
        QVERIFY(prompts.AskYesNo(kMarkupLike));
        QCOMPARE(seen.text, kShown);
        QCOMPARE(seen.labelFormat, Qt::PlainText);
        QCOMPARE(seen.buttons, QMessageBox::Yes | QMessageBox::No);

        RecordAndPress(seen, QMessageBox::No);
        QVERIFY(!prompts.AskYesNo("Open the download page?"));
        QCOMPARE(seen.text, QStringLiteral("Open the download page?"));
    }

    // Texts that break their own lines keep them: no line is broken again, however long
    // within reason; a paragraph wider than any box still wraps inside the screen.
    void ownLineBreaksAreKept() {
        struct Seen {
            int wrappedHeight = 0;
            int unwrappedHeight = 0;
            int boxWidth = 0;
        };
        auto show = [](const std::string& text) {
            Seen seen;
            AnswerNextModal<QMessageBox>([&seen](QMessageBox* box) {
                auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
                QVERIFY(label != nullptr);
                seen.wrappedHeight = label->heightForWidth(label->width());
                seen.unwrappedHeight =
                    QFontMetrics(label->font())
                        .boundingRect(QRect(0, 0, 100000, 100000), 0, label->text())
                        .height();
                seen.boxWidth = box->width();
                QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
            });
            QtUserPrompts().ShowMessage(text);
            return seen;
        };
        for (int dx : {0, 8, 9}) {
            const std::string text = FilterDirectXExplanation(dx);
            const Seen seen = show(text);
            QVERIFY2(seen.wrappedHeight <= seen.unwrappedHeight, text.c_str());
        }
        const Seen paragraph = show(std::string(3000, 'w').replace(1000, 1, " "));
        QVERIFY(paragraph.wrappedHeight > paragraph.unwrappedHeight);
        QVERIFY(paragraph.boxWidth <=
                QGuiApplication::primaryScreen()->availableGeometry().width());
    }

    // A line a little narrower than the screen: the box around it must fit the screen too, so
    // the line either shows whole or wraps; it must never be cut at the screen's edge.
    void linesNearlyAsWideAsTheScreenAreNotCut() {
        const int screenWidth = QGuiApplication::primaryScreen()->availableGeometry().width();
        const PlainMessageBox probe("x", QMessageBox::Ok, nullptr);
        const auto* probeLabel = probe.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        QVERIFY(probeLabel != nullptr);
        const QFontMetrics metrics(probeLabel->font());
        for (int spare : {2, 8, 14, 20, 30, 60}) {
            QString line;
            for (int i = 0;; ++i) {
                const QChar next = i % 3 == 2 ? u' ' : u'w';
                if (metrics.horizontalAdvance(line + next) >= screenWidth - spare) {
                    break;
                }
                line += next;
            }
            int boxWidth = 0;
            int neededWidth = 0;
            AnswerNextModal<QMessageBox>([&](QMessageBox* box) {
                boxWidth = box->width();
                neededWidth = box->layout()->minimumSize().width();
                QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
            });
            QtUserPrompts().ShowMessage(FromQString(line));
            // Squeezed below what its layout needs, the box cuts the line and its margin.
            const QString where = QStringLiteral("spare %1: box %2, layout needs %3")
                                      .arg(spare)
                                      .arg(boxWidth)
                                      .arg(neededWidth);
            QVERIFY2(boxWidth <= screenWidth, qPrintable(where));
            QVERIFY2(neededWidth <= boxWidth, qPrintable(where));
        }
    }

    void dialogMessagesAreOwnedByTheDialog() {
        QDialog dialog;
        QtUserPrompts prompts(&dialog);
        SeenBox seen;
        RecordAndPress(seen, QMessageBox::Ok);
        prompts.ShowMessage(kMarkupLike);
        QVERIFY(seen.owner == &dialog);
        QCOMPARE(seen.text, kShown);
        QCOMPARE(seen.labelFormat, Qt::PlainText);
        QCOMPARE(seen.icon, QMessageBox::NoIcon);

        RecordAndPress(seen, QMessageBox::No);
        QVERIFY(!prompts.AskYesNo("Reset Master Server URL to default value?"));
        QVERIFY(seen.owner == &dialog);
        QCOMPARE(seen.title, QStringLiteral("Perivant"));
        RecordAndPress(seen, QMessageBox::Yes);
        QVERIFY(prompts.AskYesNo("Reset Master Server URL to default value?"));
    }

    // Without a window manager nothing gives the focus back when a modal window closes: the
    // program does, to the window that had it, so the keyboard keeps working.
    void focusReturnsToTheWindowActiveBeforeTheBox() {
        QWidget window;
        window.resize(300, 200);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto pressOk = [] {
            AnswerNextModal<QMessageBox>([](QMessageBox* box) {
                QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
            });
        };
        pressOk();
        PlainMessageBox::Show("Owned", &window);
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), &window, 1000);

        pressOk();
        QtUserPrompts().ShowMessage("Without an owner");
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), &window, 1000);

        // A dialog closed the same way.
        QDialog dialog(&window);
        QTimer::singleShot(0, &dialog, &QDialog::accept);
        QCOMPARE(RunModal(dialog), int(QDialog::Accepted));
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), &window, 1000);
    }

    void webAddressesOpenEvenWithOddBytes() {
        for (const char* scheme : {"http", "https"}) {
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "Opened");
        }
        QtUserPrompts prompts;
        QDialog dialog;
        QtUserPrompts owned(&dialog);
        prompts.OpenWebAddress("http://club.test/a|b");
        owned.OpenWebAddress("https://x.test/100%");
        OpenInBrowser("HTTP://x.test/a^b");
        // Only web addresses, and none that could carry a second argument.
        for (const char* refused : {"file:///etc/passwd", "javascript:alert(1)", "http://",
                                    "http://x.test/a b", "mailto:a@b.test"}) {
            prompts.OpenWebAddress(refused);
            OpenInBrowser(refused);
        }
        for (const char* scheme : {"http", "https"}) {
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
        }
        QCOMPARE(m_opened.size(), 3);
        for (const QUrl& url : m_opened) {
            QVERIFY2(url.isValid(), qPrintable(url.errorString()));
            QCOMPARE(url.host(),
                     url == m_opened[0] ? QStringLiteral("club.test") : QStringLiteral("x.test"));
        }
        QCOMPARE(m_opened[0].path(), QStringLiteral("/a|b"));
        QCOMPARE(m_opened[1].scheme(), QStringLiteral("https"));
        QCOMPARE(m_opened[1].toEncoded(), QByteArray("https://x.test/100%25"));
    }

    void browserInheritsNoDescriptorOfTheProgram() {
        // Made without close-on-exec, as the HTTP library makes its socket pairs.
        int pair[2];
        QCOMPARE(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
        m_watched = {pair[0], pair[1]};
        m_inherited.clear();
        m_opened.clear();
        QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "Opened");
        OpenInBrowser("http://x.test/page");
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        m_watched.clear();
        close(pair[0]);
        close(pair[1]);
        QCOMPARE(m_opened.size(), 1);
        QCOMPARE(m_inherited, QList<int>());
    }
};

QTEST_MAIN(PromptBoxesTest)
#include "PromptBoxesTest.moc"
