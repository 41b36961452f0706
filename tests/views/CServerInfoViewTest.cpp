#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>
#include <memory>
#include <vector>

#include "app/AppSettings.h"
#include "app/HelpMessages.h"
#include "app/MemoryProfileStore.h"
#include "views/CServerInfoView.h"
#include "views/ClipboardHelpText.h"
#include "views/CopyTextToClipboard.h"

using namespace perivant;

namespace {

// Answers the help message as the test says and remembers what it was asked.
class ScriptedRunner : public HelpMessageRunner {
public:
    bool RunHelpMessage(const std::string& text, bool allowDontShow, bool& dontShowAgain) override {
        texts.push_back(text);
        lastAllowDontShow = allowDontShow;
        dontShowAgain = tick;
        return pressOk;
    }

    std::vector<std::string> texts;
    bool lastAllowDontShow = false;
    bool pressOk = true;
    bool tick = false;
};

ServerInfo Server(const std::string& url = "http://www.example.test/") {
    ServerInfo info;
    info.Address = "10.0.0.5";
    info.Port = 8080;
    info.ServerURL = url;
    info.SessionComments = "Welcome\nNo \xB0 jets";
    return info;
}

}  // namespace

class CServerInfoViewTest : public QObject {
    Q_OBJECT

private:
    AppSettings settings;
    MemoryProfileStore store;
    ScriptedRunner runner;
    std::vector<std::string> opened;
    std::vector<std::string> reported;

    std::unique_ptr<CServerInfoView> MakeView(QWidget* parent = nullptr) {
        auto view = std::make_unique<CServerInfoView>(settings, store, runner, parent);
        view->SetWebOpener([this](const std::string& url) { opened.push_back(url); });
        view->SetMessageReporter([this](const std::string& text) { reported.push_back(text); });
        return view;
    }
    template <typename T>
    static T* Find(QWidget& view, const QString& text) {
        for (T* child : view.findChildren<T*>()) {
            if (child->text() == text) {
                return child;
            }
        }
        return nullptr;
    }
    // The view in a shown window, above a writable edit of the window's own.
    struct InWindow {
        std::unique_ptr<QWidget> window;
        CServerInfoView* view = nullptr;
        QLineEdit* writable = nullptr;
    };
    InWindow ShowInWindow() {
        InWindow shown{std::make_unique<QWidget>()};
        auto* layout = new QVBoxLayout(shown.window.get());
        shown.view = MakeView(shown.window.get()).release();
        shown.writable = new QLineEdit(shown.window.get());
        shown.view->setMinimumSize(400, 300);
        layout->addWidget(shown.view);
        layout->addWidget(shown.writable);
        shown.window->show();
        shown.window->activateWindow();
        return shown;
    }
    static QPlainTextEdit* Comments(QWidget& view) { return view.findChild<QPlainTextEdit*>(); }
    static QLineEdit* AddressEdit(QWidget& view) { return view.findChild<QLineEdit*>(); }

private slots:
    void init() {
        settings = AppSettings();
        store = MemoryProfileStore();
        runner = ScriptedRunner();
        opened.clear();
        reported.clear();
        QGuiApplication::clipboard()->clear();
    }

    void formHasTheControlsWithTheirTexts() {
        auto view = MakeView();
        auto* commentsLabel = Find<QLabel>(*view, "&Session Comments:");
        auto* addressLabel = Find<QLabel>(*view, "&IP Address:");
        auto* copy = Find<QPushButton>(*view, "&Copy to clipboard");
        auto* web = Find<QPushButton>(*view, "&Web Site");
        auto* page = Find<QPushButton>(*view, "&Corvane Page");
        QVERIFY(commentsLabel && addressLabel && copy && web && page);
        QVERIFY(Comments(*view)->isReadOnly());
        QVERIFY(AddressEdit(*view)->isReadOnly());
        QCOMPARE(commentsLabel->buddy(), Comments(*view));
        QCOMPARE(addressLabel->buddy(), AddressEdit(*view));
        QVERIFY(!copy->isEnabled() && !web->isEnabled() && !page->isEnabled());
    }

    void resizeLaysTheControlsOutAndRecordsTheSizeOnlyWhenReady() {
        auto view = MakeView();
        QWidget* commentsLabel = Find<QLabel>(*view, "&Session Comments:");
        QWidget* addressLabel = Find<QLabel>(*view, "&IP Address:");
        QWidget* copy = Find<QPushButton>(*view, "&Copy to clipboard");
        QWidget* web = Find<QPushButton>(*view, "&Web Site");
        QWidget* page = Find<QPushButton>(*view, "&Corvane Page");
        QWidget* comments = Comments(*view);
        QWidget* address = AddressEdit(*view);
        const QRect labelBefore = commentsLabel->geometry();
        const QPoint commentsCorner = comments->pos();
        const int hLabel = commentsLabel->height();
        const int hEdit = address->height();
        const int hButton = web->height();

        view->resize(400, 300);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        QCOMPARE(settings.ServerInfoViewWidth, 0);  // not ready yet: nothing recorded

        auto check = [&](int cx, int cy) {
            QCOMPARE(commentsLabel->geometry(), labelBefore);
            QCOMPARE(comments->geometry(),
                     QRect(commentsCorner, QSize(cx - 10, cy - 20 - hLabel - hEdit - hButton)));
            QCOMPARE(web->pos(), QPoint(4, cy - hButton - 4));
            QCOMPARE(page->pos(), QPoint(web->width() + 8, cy - hButton - 4));
            const int y = cy - 2 * hEdit - 8;
            QCOMPARE(address->pos(), QPoint(addressLabel->width() + 6, y));
            QCOMPARE(copy->pos(), QPoint(address->x() + address->width() + 4, y));
            QCOMPARE(addressLabel->pos(), QPoint(4, y + 4));
        };
        check(400, 300);

        settings.WindowReady = true;
        view->resize(260, 480);
        QCoreApplication::processEvents();
        check(260, 480);
        QCOMPARE(settings.ServerInfoViewWidth, 260);
        QCOMPARE(settings.ServerInfoViewHeight, 480);

        // The main frame's call at the end of its start-up does the same for the given size.
        view->OnSize(300, 200);
        check(300, 200);
        QCOMPARE(settings.ServerInfoViewHeight, 200);
    }

    void showAndClearServerDetails() {
        auto view = MakeView();
        ServerInfo info = Server();
        view->ShowServerDetails(info);
        QPlainTextEdit* comments = Comments(*view);
        QCOMPARE(comments->toPlainText(), QString::fromUtf8("Welcome\nNo \u00B0 jets"));
        QCOMPARE(comments->document()->blockCount(), 2);
        QCOMPARE(AddressEdit(*view)->text(), QString("10.0.0.5"));
        QCOMPARE(view->HostPageAddress(), std::string("http://10.0.0.5:8080/"));
        QCOMPARE(view->WebSiteAddress(), info.ServerURL);
        QVERIFY(Find<QPushButton>(*view, "&Copy to clipboard")->isEnabled());
        QVERIFY(Find<QPushButton>(*view, "&Corvane Page")->isEnabled());

        // Line ends already in the Windows form still give one break each.
        info.SessionComments = "one\r\ntwo\r\nthree";
        view->ShowServerDetails(info);
        QCOMPARE(comments->document()->blockCount(), 3);
        QCOMPARE(comments->toPlainText(), QString("one\ntwo\nthree"));

        // An address longer than its box shows from its first character, where a pilot reads it.
        info.Address = "flight-server-with-a-long-name." + std::string(40, 'x') + ".example";
        view->ShowServerDetails(info);
        QCOMPARE(AddressEdit(*view)->text(), QString::fromStdString(info.Address));
        QCOMPARE(AddressEdit(*view)->cursorPosition(), 0);

        // The pane copies what it shows: a record replaced later shows only on the next call.
        auto record = std::make_shared<ServerRecord>(Server());
        view->ShowServerDetails(record);
        ServerInfo changed = Server();
        changed.SessionComments = "changed";
        record->Replace(changed);
        QCOMPARE(comments->toPlainText(), QString::fromUtf8("Welcome\nNo \u00B0 jets"));

        view->ClearServerDetails();
        QCOMPARE(comments->toPlainText(), QString());
        QCOMPARE(AddressEdit(*view)->text(), QString());
        QVERIFY(view->WebSiteAddress().empty());
        QVERIFY(view->HostPageAddress().empty());
        for (const char* button : {"&Copy to clipboard", "&Web Site", "&Corvane Page"}) {
            QVERIFY(!Find<QPushButton>(*view, button)->isEnabled());
        }

        view->ShowServerDetails(record);
        view->ShowServerDetails(ServerPtr());
        QCOMPARE(AddressEdit(*view)->text(), QString());
    }

    // A comment without a break, as a hostile server may send, is shown whole and at once (word
    // wrapping such a run takes minutes); ordinary comments still wrap at word boundaries.
    void unbrokenCommentsShowWholeWithoutStalling() {
        auto view = MakeView();
        view->resize(330, 300);
        ServerInfo info = Server();
        info.SessionComments = "Fly with us " + std::string(1000000, 'c') + " tonight";
        view->ShowServerDetails(info);
        QPlainTextEdit* comments = Comments(*view);
        QCOMPARE(comments->toPlainText().size(), qsizetype(info.SessionComments.size()));
        QCOMPARE(comments->wordWrapMode(), QTextOption::WrapAnywhere);

        info.SessionComments = "Fly with us " + std::string(1999, 'c') + " tonight";
        view->ShowServerDetails(info);
        QCOMPARE(comments->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);

        // No-break spaces are no place to break a line.
        info.SessionComments.clear();
        for (int i = 0; i < 1500; ++i) {
            info.SessionComments += "a\xA0";
        }
        view->ShowServerDetails(info);
        QCOMPARE(comments->wordWrapMode(), QTextOption::WrapAnywhere);

        // Shown, the pane lays its text out: the next server's short comment does not first lay
        // out the last one's long run again at word boundaries (for this one, past the test's
        // time limit).
        view->show();
        info.SessionComments = std::string(4000000, 'c');
        view->ShowServerDetails(info);
        info.SessionComments = "Short and sweet";
        view->ShowServerDetails(info);
        QCOMPARE(comments->toPlainText(), QStringLiteral("Short and sweet"));
        QCOMPARE(comments->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
    }

    void webSiteButtonOnlyForHttpAddresses_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("opens");
        QTest::newRow("http") << "http://www.example.test/club"
                              << "http://www.example.test/club";
        QTest::newRow("https") << "https://www.example.test/"
                               << "https://www.example.test/";
        QTest::newRow("capitals") << "HTTPS://WWW.EXAMPLE.TEST/"
                                  << "HTTPS://WWW.EXAMPLE.TEST/";
        QTest::newRow("ftp") << "ftp://files.example.test/"
                             << "";
        QTest::newRow("javascript") << "javascript:alert(1)"
                                    << "";
        QTest::newRow("file") << "file:///etc/passwd"
                              << "";
        QTest::newRow("www host") << "www.example.test"
                                  << "http://www.example.test";
        QTest::newRow("other bare host") << "club.example.test"
                                         << "";
        QTest::newRow("line ends around") << " \r\nhttp://www.example.test/\r\n"
                                          << "http://www.example.test/";
        // Windows-1252 no-break spaces (the pane's text is bytes in that code page).
        QTest::newRow("no-break spaces around")
            << QString::fromLatin1("\xA0http://www.example.test/\xA0")
            << "http://www.example.test/";
        QTest::newRow("scheme only") << "http://"
                                     << "";
        QTest::newRow("blank inside") << "http://a.test/ --flag"
                                      << "http://a.test/%20--flag";
        QTest::newRow("line end inside") << "http://a.test/\n--flag"
                                         << "";
        QTest::newRow("blanks only") << "  "
                                     << "";
        QTest::newRow("empty") << ""
                               << "";
    }

    void webSiteButtonOnlyForHttpAddresses() {
        QFETCH(QString, url);
        QFETCH(QString, opens);
        auto view = MakeView();
        view->resize(400, 300);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        view->ShowServerDetails(Server(url.toLatin1().toStdString()));
        QPushButton* web = Find<QPushButton>(*view, "&Web Site");
        QCOMPARE(web->isEnabled(), !opens.isEmpty());

        QTest::mouseClick(web, Qt::LeftButton);
        // Even when asked directly, a pane never hands anything else to the browser.
        view->OnWebSite();
        if (!opens.isEmpty()) {
            QCOMPARE(opened, (std::vector<std::string>{opens.toStdString(), opens.toStdString()}));
        } else {
            QVERIFY(opened.empty());
        }
    }

    void corvanePageOpensTheBuiltInPage() {
        auto view = MakeView();
        view->resize(400, 300);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        view->ShowServerDetails(Server(""));
        QTest::mouseClick(Find<QPushButton>(*view, "&Corvane Page"), Qt::LeftButton);
        QCOMPARE(opened, std::vector<std::string>{"http://10.0.0.5:8080/"});

        view->ClearServerDetails();
        view->OnCorvanePage();
        QCOMPARE(opened.size(), size_t(1));

        // An address that would not make a plain web address is never opened.
        ServerInfo odd = Server("");
        odd.Address = "10.0.0.5 --new-window";
        view->ShowServerDetails(odd);
        QVERIFY(!Find<QPushButton>(*view, "&Corvane Page")->isEnabled());
        view->OnCorvanePage();
        QCOMPARE(opened.size(), size_t(1));
    }

    void copyButtonCopiesTheAddressAndExplainsOnce() {
        auto view = MakeView();
        view->resize(400, 300);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        view->ShowServerDetails(Server());
        QPushButton* copy = Find<QPushButton>(*view, "&Copy to clipboard");

        // Escape with the box ticked is no acknowledgement.
        runner.pressOk = false;
        runner.tick = true;
        QTest::mouseClick(copy, Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("10.0.0.5"));
        QCOMPARE(runner.texts, std::vector<std::string>{ClipboardHelpText("10.0.0.5")});
        QVERIFY(runner.lastAllowDontShow);
        QVERIFY(!store.Contains(kSettingsSection, kHideClipboardMsg));

        // OK with the box ticked silences it for good, but the copy itself still happens.
        runner.pressOk = true;
        QTest::mouseClick(copy, Qt::LeftButton);
        QCOMPARE(runner.texts.size(), size_t(2));
        QCOMPARE(store.ReadInt(kSettingsSection, kHideClipboardMsg, 0), 1);
        QGuiApplication::clipboard()->setText("something else");
        QTest::mouseClick(copy, Qt::LeftButton);
        QCOMPARE(runner.texts.size(), size_t(2));
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("10.0.0.5"));
        QVERIFY(reported.empty());

        // Space on the focused button works like a click.
        store.WriteInt(kSettingsSection, kHideClipboardMsg, 0);
        QGuiApplication::clipboard()->clear();
        copy->setFocus();
        QTest::keyClick(copy, Qt::Key_Space);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("10.0.0.5"));
        QCOMPARE(runner.texts.size(), size_t(3));
    }

    void clipboardTakesWindows1252TextAndFailuresAreReported() {
        QVERIFY(CopyTextToClipboard("Caf\xE9 \x80 \x93ok\x94"));
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QString::fromUtf8("Caf\u00E9 \u20AC \u201Cok\u201D"));

        auto view = MakeView();
        std::vector<std::string> written;
        view->SetClipboardWriter([&](const std::string& text) {
            written.push_back(text);
            return false;
        });
        view->ShowServerDetails(Server());
        view->OnCopyToClipboard();
        QCOMPARE(written, std::vector<std::string>{"10.0.0.5"});
        QCOMPARE(reported,
                 std::vector<std::string>{"Error copying server's IP address to clipboard."});
        QVERIFY(runner.texts.empty());
    }

    // Another program may take the clipboard back at once (a clipboard manager, a busy
    // owner): the copy is written again until it sticks, and reported as failed when it never
    // does, instead of telling the user the address was copied.
    void aClipboardHeldBrieflyIsRetriedOneHeldForGoodIsReported() {
        QClipboard* clipboard = QGuiApplication::clipboard();
        int steals = 0;
        int toSteal = 0;
        bool stealing = false;
        const QMetaObject::Connection thief =
            connect(clipboard, &QClipboard::dataChanged, this, [&] {
                if (!stealing && steals < toSteal) {
                    stealing = true;
                    ++steals;
                    clipboard->setText(QStringLiteral("someone else's"));
                    stealing = false;
                }
            });
        // Held for the first two writes: the third one sticks.
        toSteal = 2;
        QVERIFY(CopyTextToClipboard("127.0.0.2:23456"));
        QCOMPARE(clipboard->text(), QStringLiteral("127.0.0.2:23456"));
        QCOMPARE(steals, 2);
        // Held for good: given up after about two seconds, and said so.
        steals = 0;
        toSteal = 1000;
        QElapsedTimer took;
        took.start();
        const bool copied = CopyTextToClipboard("127.0.0.3:23456");
        const qint64 elapsed = took.elapsed();
        disconnect(thief);
        QVERIFY(!copied);
        QCOMPARE(steals, 20);
        QVERIFY2(elapsed >= 1500 && elapsed < 5000, qPrintable(QString::number(elapsed)));
    }

    void paneHandsTheFocusToItsControls() {
        InWindow shown = ShowInWindow();
        QVERIFY(QTest::qWaitForWindowActive(shown.window.get()));
        CServerInfoView* view = shown.view;
        QLineEdit* elsewhere = shown.writable;
        view->ShowServerDetails(Server());

        // First time in: the first control. Later: the control that had the focus last.
        view->setFocus(Qt::ShortcutFocusReason);
        QCOMPARE(QApplication::focusWidget(), Comments(*view));
        AddressEdit(*view)->setFocus();
        elsewhere->setFocus();
        view->setFocus(Qt::ShortcutFocusReason);
        QCOMPARE(QApplication::focusWidget(), AddressEdit(*view));

        // A control disabled since then gives way to the first one.
        QPushButton* copy = Find<QPushButton>(*view, "&Copy to clipboard");
        copy->setFocus();
        elsewhere->setFocus();
        view->ClearServerDetails();
        QVERIFY(!copy->isEnabled());
        view->setFocus(Qt::ShortcutFocusReason);
        QCOMPARE(QApplication::focusWidget(), Comments(*view));
    }

    void editCommandsFollowTheFocusedEdit() {
        InWindow shown = ShowInWindow();
        QVERIFY(QTest::qWaitForWindowActive(shown.window.get()));
        CServerInfoView* view = shown.view;
        QLineEdit* writable = shown.writable;
        view->ShowServerDetails(Server());

        // Read-only comments: Copy and Cut once something is selected, never Paste.
        QPlainTextEdit* comments = Comments(*view);
        comments->setFocus();
        QVERIFY(comments->hasFocus());
        QGuiApplication::clipboard()->setText("on the clipboard");
        QVERIFY(!view->canCopy() && !view->canCut() && !view->canPaste());
        QTest::keyClick(comments, Qt::Key_End, Qt::ShiftModifier);
        QVERIFY(view->canCopy() && view->canCut());
        QVERIFY(!view->canPaste());
        view->copy();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("Welcome"));
        // Cutting from a read-only edit copies and leaves the text alone.
        QTest::keyClick(comments, Qt::Key_A, Qt::ControlModifier);
        view->cut();
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QString::fromUtf8("Welcome\nNo \u00B0 jets"));
        QCOMPARE(comments->toPlainText(), QString::fromUtf8("Welcome\nNo \u00B0 jets"));
        // Copies carry the text as shown, no-break spaces included, by command or by key.
        ServerInfo spaced = Server();
        spaced.SessionComments = "Fly\xA0low\ntonight\xA0!";
        view->ShowServerDetails(spaced);
        QTest::keyClick(comments, Qt::Key_A, Qt::ControlModifier);
        view->copy();
        const QString asShown = QString::fromUtf8("Fly\u00A0low\ntonight\u00A0!");
        QCOMPARE(QGuiApplication::clipboard()->text(), asShown);
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(comments, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), asShown);

        // The read-only address edit, selected from the keyboard.
        QLineEdit* address = AddressEdit(*view);
        address->setFocus();
        QVERIFY(!view->canCopy());
        QTest::keyClick(address, Qt::Key_Home);
        QTest::keyClick(address, Qt::Key_End, Qt::ShiftModifier);
        QVERIFY(view->canCopy());
        view->copy();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("10.0.0.5"));
        QVERIFY(!view->canPaste());

        // A writable edit takes Paste while the clipboard holds text, and Cut removes.
        writable->setFocus();
        QVERIFY(view->canPaste());
        QVERIFY(!view->canCopy());
        view->paste();
        QCOMPARE(writable->text(), QString("10.0.0.5"));
        writable->selectAll();
        QGuiApplication::clipboard()->clear();
        QVERIFY(!view->canPaste());
        QVERIFY(view->canCut());
        view->cut();
        QCOMPARE(writable->text(), QString());
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("10.0.0.5"));

        // A button is no edit: nothing is enabled and nothing happens.
        QPushButton* copyButton = Find<QPushButton>(*view, "&Copy to clipboard");
        copyButton->setFocus();
        QVERIFY(!view->canCopy() && !view->canCut() && !view->canPaste());
        QGuiApplication::clipboard()->setText("kept");
        view->copy();
        view->paste();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("kept"));
    }
};

QTEST_MAIN(CServerInfoViewTest)
#include "CServerInfoViewTest.moc"
