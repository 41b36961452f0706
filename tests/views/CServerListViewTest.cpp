#include "views/CServerListView.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QtTest>

#include "app/AppSettings.h"
#include "app/HelpMessages.h"
#include "app/MemoryProfileStore.h"
#include "env/WindowsVersionName.h"
#include "polling/UserPrompts.h"
#include "views/AutoSizeColumns.h"
#include "views/ClipboardHelpText.h"
#include "views/ServerListModel.h"
#include "views/ServerRows.h"

namespace perivant {
namespace {

struct ShownMessage {
    std::string text;
    bool allowDontShow;
};

// Answers help messages at once, as the test says, and remembers them.
class ScriptedRunner : public HelpMessageRunner {
public:
    bool RunHelpMessage(const std::string& text, bool allowDontShow, bool& dontShowAgain) override {
        shown.push_back({text, allowDontShow});
        if (onShow) {
            onShow();
        }
        dontShowAgain = tick;
        return ok;
    }
    bool ok = true;
    bool tick = false;
    std::function<void()> onShow;
    std::vector<ShownMessage> shown;
};

class RecordingPrompts : public UserPrompts {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    bool AskYesNo(const std::string&) override { return false; }
    void OpenWebAddress(const std::string&) override {}
    std::vector<std::string> messages;
};

class FixedWindows : public WindowsVersionSource {
public:
    explicit FixedWindows(WindowsVersionRecord record) : m_record(std::move(record)) {}
    bool GetVersionEx(uint32_t, WindowsVersionRecord& record) override {
        record = m_record;
        return true;
    }

private:
    WindowsVersionRecord m_record;
};

ServerPtr MakeServer(const std::string& name, const std::function<void(ServerInfo&)>& fill = {}) {
    static int next = 2;
    ServerInfo info;
    info.Address = "127.0.0." + std::to_string(next++ % 250 + 2);
    info.Port = 8080;
    info.ServerName = name;
    info.SessionName = "Session of " + name;
    info.CurrentPilots = "1";
    info.MaxPilots = "8";
    info.HostsFS2004 = true;
    info.PingMs = 50;
    info.Version = "2.0";
    if (fill) {
        fill(info);
    }
    return std::make_shared<ServerRecord>(std::move(info));
}

bool HasRedPixel(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            QColor c = image.pixelColor(x, y);
            if (c.alpha() > 128 && c.red() > 150 && c.green() < 80 && c.blue() < 80) {
                return true;
            }
        }
    }
    return false;
}

int OpaquePixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            n += image.pixelColor(x, y).alpha() > 0 ? 1 : 0;
        }
    }
    return n;
}

}  // namespace

class CServerListViewTest : public QObject {
    Q_OBJECT

private:
    AppSettings m_settings;
    std::unique_ptr<MemoryProfileStore> m_store;
    ScriptedRunner m_runner;
    RecordingPrompts m_prompts;
    std::unique_ptr<CServerListView> m_view;

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (int row = 0; row < m_view->ServerRowCount(); ++row) {
            names.push_back(m_view->ServerAtRow(row)->Info()->ServerName);
        }
        return names;
    }

    QPoint RowPoint(int row) const {
        return m_view->visualRect(m_view->Model()->index(row, 2)).center();
    }
    void ClickRow(int row, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(m_view->viewport(), Qt::LeftButton, modifiers, RowPoint(row));
    }
    // What the platform delivers for a double click: press, release, double click, release.
    void DoubleClickRow(int row) {
        QPoint at = RowPoint(row);
        QTest::mouseClick(m_view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(m_view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(m_view->viewport(), Qt::LeftButton, {}, at);
    }
    void ClickHeading(int column) {
        QHeaderView* header = m_view->header();
        QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                  header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }
    QImage HeadingArrow(int column) const {
        QVariant value = m_view->Model()->headerData(column, Qt::Horizontal, Qt::DecorationRole);
        return value.isValid() ? qvariant_cast<QPixmap>(value).toImage() : QImage();
    }
    int ArrowColumn(bool& descending) const {
        int found = -1;
        for (int column = 0; column < kServerListColumnCount; ++column) {
            QImage arrow = HeadingArrow(column);
            if (!arrow.isNull()) {
                if (found != -1) {
                    return -2;
                }
                found = column;
                descending = arrow == ServerListModel::DrawSortArrow(true).toImage();
            }
        }
        return found;
    }
    int HideFlag(std::string_view name) const { return ReadSettingsInt(*m_store, name, 0); }

private slots:
    void init() {
        m_settings = AppSettings();
        m_settings.ServerSortOrder = 2;
        m_settings.InstalledDirectXVersion = 8;
        m_store = std::make_unique<MemoryProfileStore>();
        m_runner = ScriptedRunner();
        m_prompts = RecordingPrompts();
        m_view = std::make_unique<CServerListView>(m_settings, *m_store);
        m_view->SetHelpMessageRunner(&m_runner);
        m_view->SetUserPrompts(&m_prompts);
        m_view->resize(720, 320);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }

    void cleanup() { m_view.reset(); }

    void columnsHeadingsAndArrow() {
        ServerListModel* model = m_view->Model();
        QHeaderView* header = m_view->header();
        QCOMPARE(model->columnCount(), 6);
        const char* headings[] = {"", "Server", "Session", "Pilots", "Games", "Ping"};
        for (int c = 0; c < 6; ++c) {
            QCOMPARE(model->headerData(c, Qt::Horizontal).toString(),
                     QString::fromLatin1(headings[c]));
            Qt::Alignment expected = c == 0 ? Qt::AlignRight : Qt::AlignLeft;
            QCOMPARE(
                Qt::Alignment(model->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).toInt()) &
                    Qt::AlignHorizontal_Mask,
                expected);
        }
        QCOMPARE(header->sectionSize(0), 21);
        // Without rows, each column is as wide as its heading.
        for (int c = 1; c < 5; ++c) {
            QCOMPARE(header->sectionSize(c), header->sectionSizeHint(c));
        }
        // The view was sized at its creation size; the next change of rows reaches the edge.
        m_view->AddServerRow(MakeServer("one"));
        QCOMPARE(header->sectionPosition(5) + header->sectionSize(5), m_view->viewport()->width());
        // The arrow image is the program's own up triangle, on the Server heading.
        bool descending = true;
        QCOMPARE(ArrowColumn(descending), 1);
        QVERIFY(!descending);
        QImage up = ServerListModel::DrawSortArrow(false).toImage();
        QImage down = ServerListModel::DrawSortArrow(true).toImage();
        QCOMPARE(up.size(), QSize(9, 9));
        QVERIFY(up != down);
        QVERIFY(OpaquePixels(up) > 10 && OpaquePixels(up) < 70);
        // Up points up: more ink in the bottom half than in the top half.
        QVERIFY(OpaquePixels(up.copy(0, 5, 9, 4)) > OpaquePixels(up.copy(0, 0, 9, 4)));
        QVERIFY(OpaquePixels(down.copy(0, 0, 9, 4)) > OpaquePixels(down.copy(0, 5, 9, 4)));
    }

    void cellsAndIcons() {
        ServerPtr plain = MakeServer("A rather long server name that goes on", [](ServerInfo& s) {
            s.CurrentPilots = "3";
            s.MaxPilots = "unlimited";
            s.HostsFS2002 = true;
            s.HostsFS2004 = false;
            s.PingMs = -1;
        });
        ServerPtr locked = MakeServer("B locked", [](ServerInfo& s) { s.PasswordRequired = true; });
        ServerPtr both = MakeServer("C both", [](ServerInfo& s) {
            s.PasswordRequired = true;
            s.DirectXTooOld = true;
        });
        ServerPtr dx = MakeServer("D dx", [](ServerInfo& s) { s.DirectXTooOld = true; });
        for (const ServerPtr& s : {dx, both, locked, plain}) {
            m_view->AddServerRow(s);
        }
        QCOMPARE(Names(), (std::vector<std::string>{"A rather long server name that goes on",
                                                    "B locked", "C both", "D dx"}));
        ServerListModel* model = m_view->Model();
        auto cell = [model](int row, int column) {
            return model->data(model->index(row, column)).toString();
        };
        QCOMPARE(cell(0, 0), QString());
        QCOMPARE(cell(0, 1), QStringLiteral("A rather long server name that"));
        QCOMPARE(cell(0, 2), QStringLiteral("Session of A rather long serve"));
        QCOMPARE(cell(0, 3), QStringLiteral("3/unlimited"));
        QCOMPARE(cell(0, 4), QStringLiteral("2002"));
        QCOMPARE(cell(0, 5), QString());
        QCOMPARE(cell(1, 5), QStringLiteral("50 ms"));
        QCOMPARE(cell(1, 4), QStringLiteral("2004/FSX"));

        auto icon = [model](int row) {
            return static_cast<ServerRowIcon>(
                model->data(model->index(row, 0), ServerListModel::kIconRole).toInt());
        };
        auto picture = [model](int row) {
            return qvariant_cast<QPixmap>(model->data(model->index(row, 0), Qt::DecorationRole))
                .toImage();
        };
        QCOMPARE(icon(0), ServerRowIcon::Blank);
        QCOMPARE(icon(1), ServerRowIcon::Padlock);
        QCOMPARE(icon(2), ServerRowIcon::DirectX);
        QCOMPARE(icon(3), ServerRowIcon::DirectX);
        QCOMPARE(picture(0).size(), QSize(14, 14));
        QCOMPARE(OpaquePixels(picture(0)), 0);
        QVERIFY(OpaquePixels(picture(1)) > 30);
        QVERIFY(!HasRedPixel(picture(1)));
        QVERIFY(HasRedPixel(picture(2)));
        QCOMPARE(picture(2), picture(3));

        // An update rewrites icon and cells from the record's new contents, in place.
        ServerInfo changed = *both->Info();
        changed.DirectXTooOld = false;
        changed.CurrentPilots = "7";
        both->Replace(changed);
        QCOMPARE(icon(2), ServerRowIcon::DirectX);  // rows show what they were last given
        QVERIFY(m_view->UpdateServerRow(both));
        QCOMPARE(icon(2), ServerRowIcon::Padlock);
        QCOMPARE(cell(2, 3), QStringLiteral("7/8"));
        changed.DirectXTooOld = true;
        both->Replace(changed);
        QVERIFY(m_view->UpdateServerRow(both.get()));
        QCOMPARE(icon(2), ServerRowIcon::DirectX);

        ServerPtr stranger = MakeServer("C both");
        QVERIFY(!m_view->UpdateServerRow(stranger));
        m_view->RemoveServerRow(stranger);
        QCOMPARE(m_view->ServerRowCount(), 4);
        m_view->RemoveServerRow(locked);
        QCOMPARE(Names(), (std::vector<std::string>{"A rather long server name that goes on",
                                                    "C both", "D dx"}));
        m_view->ClearServerRows();
        QCOMPARE(m_view->ServerRowCount(), 0);
        QVERIFY(m_view->ServerAtRow(0) == nullptr);
    }

    void everySortOrder() {
        std::vector<ServerPtr> servers = {
            MakeServer("delta",
                       [](ServerInfo& s) {
                           s.PingMs = -1;
                           s.Version = "2.0b10";
                           s.CurrentPilots = "12";
                       }),
            MakeServer("Alpha",
                       [](ServerInfo& s) {
                           s.PasswordRequired = true;
                           s.Version = "2.0";
                           s.SessionName = "zulu";
                           s.HostsFS2002 = true;
                       }),
            MakeServer("charlie",
                       [](ServerInfo& s) {
                           s.PingMs = 900;
                           s.Version = "1.9";
                           s.CurrentPilots = "2";
                           s.HostsFS2004 = false;
                           s.HostsFS2002 = true;
                       }),
            MakeServer("bravo",
                       [](ServerInfo& s) {
                           s.DirectXTooOld = true;
                           s.Version = "2.0b9";
                           s.PingMs = 0;
                           s.SessionName = "ALPHA";
                       }),
            MakeServer("echo",
                       [](ServerInfo& s) {
                           s.Version = "2.0b1";
                           s.CurrentPilots = "abc";
                           s.HostsFS2004 = false;
                       }),
        };
        for (const ServerPtr& s : servers) {
            m_view->AddServerRow(s);
        }
        using Names_ = std::vector<std::string>;
        const std::vector<std::pair<int, Names_>> expected = {
            {0, {"charlie", "delta", "echo", "Alpha", "bravo"}},
            {1, {"Alpha", "bravo", "charlie", "delta", "echo"}},
            {2, {"Alpha", "bravo", "charlie", "delta", "echo"}},
            {3, {"echo", "delta", "charlie", "bravo", "Alpha"}},
            {4, {"bravo", "charlie", "delta", "echo", "Alpha"}},
            {5, {"Alpha", "echo", "delta", "charlie", "bravo"}},
            {6, {"echo", "Alpha", "bravo", "charlie", "delta"}},
            {7, {"delta", "charlie", "Alpha", "bravo", "echo"}},
            {8, {"charlie", "echo", "bravo", "delta", "Alpha"}},
            {9, {"Alpha", "bravo", "delta", "echo", "charlie"}},
            {10, {"bravo", "Alpha", "echo", "charlie", "delta"}},
            {11, {"delta", "charlie", "Alpha", "echo", "bravo"}},
            {12, {"charlie", "echo", "bravo", "delta", "Alpha"}},
            {13, {"Alpha", "delta", "bravo", "echo", "charlie"}},
            {99, {"Alpha", "bravo", "charlie", "delta", "echo"}},
            {-3, {"Alpha", "bravo", "charlie", "delta", "echo"}},
        };
        for (const auto& [order, names] : expected) {
            m_settings.ServerSortOrder = order;
            m_view->SortServerRows();
            QCOMPARE(Names(), names);
            bool descending = false;
            int arrow = ArrowColumn(descending);
            if (order >= 0 && order < 12) {
                QCOMPARE(arrow, order / 2);
                QCOMPARE(descending, order % 2 == 1);
            } else {
                QCOMPARE(arrow, -1);
            }
        }
        // A stored order is followed by the next row operation as well.
        m_settings.ServerSortOrder = 3;
        m_view->AddServerRow(MakeServer("foxtrot"));
        QCOMPARE(Names(), (Names_{"foxtrot", "echo", "delta", "charlie", "bravo", "Alpha"}));
    }

    void headingClicksToggleTheOrder() {
        for (const char* name : {"b", "c", "a"}) {
            m_view->AddServerRow(MakeServer(name, [](ServerInfo& s) {
                if (s.ServerName == "c") {
                    s.PingMs = -1;
                }
                if (s.ServerName == "a") {
                    s.PasswordRequired = true;
                    s.PingMs = 10;
                }
            }));
        }
        m_settings.ServerSortOrder = 4;
        m_view->SortServerRows();
        bool descending = false;

        ClickHeading(1);
        QCOMPARE(m_settings.ServerSortOrder, 2);
        QCOMPARE(Names(), (std::vector<std::string>{"a", "b", "c"}));
        ClickHeading(1);
        QCOMPARE(m_settings.ServerSortOrder, 3);
        QCOMPARE(Names(), (std::vector<std::string>{"c", "b", "a"}));
        QCOMPARE(ArrowColumn(descending), 1);
        QVERIFY(descending);
        ClickHeading(1);
        QCOMPARE(m_settings.ServerSortOrder, 2);

        ClickHeading(5);
        QCOMPARE(m_settings.ServerSortOrder, 10);
        QCOMPARE(Names(), (std::vector<std::string>{"a", "b", "c"}));
        ClickHeading(5);
        QCOMPARE(m_settings.ServerSortOrder, 11);
        QCOMPARE(Names(), (std::vector<std::string>{"c", "b", "a"}));
        QCOMPARE(ArrowColumn(descending), 5);

        m_settings.ServerSortOrder = 4;
        m_view->SortServerRows();
        ClickHeading(0);
        QCOMPARE(m_settings.ServerSortOrder, 0);
        QCOMPARE(Names(), (std::vector<std::string>{"b", "c", "a"}));
        QCOMPARE(ArrowColumn(descending), 0);
        ClickHeading(0);
        QCOMPARE(m_settings.ServerSortOrder, 1);
        QCOMPARE(Names(), (std::vector<std::string>{"a", "b", "c"}));
        ClickHeading(0);
        QCOMPARE(m_settings.ServerSortOrder, 0);
        QCOMPARE(m_view->header()->sectionSize(0), 21);
    }

    void rowsMoveWithTheirSelection() {
        ServerPtr mike = MakeServer("mike");
        m_view->AddServerRow(mike);
        m_view->AddServerRow(MakeServer("oscar"));
        ClickRow(0);
        QCOMPARE(m_view->SelectedServers(), std::vector<ServerPtr>{mike});
        // Rows that go in before it, and a re-sort, leave the same server selected.
        m_view->AddServerRow(MakeServer("alpha"));
        m_view->AddServerRow(MakeServer("kilo"));
        QCOMPARE(Names(), (std::vector<std::string>{"alpha", "kilo", "mike", "oscar"}));
        QCOMPARE(m_view->SelectedServers(), std::vector<ServerPtr>{mike});
        ClickHeading(1);
        QCOMPARE(Names(), (std::vector<std::string>{"oscar", "mike", "kilo", "alpha"}));
        QCOMPARE(m_view->SelectedServers(), std::vector<ServerPtr>{mike});
        QCOMPARE(m_view->SelectedServerCount(), 1);

        // A re-queried server moves to its new place and keeps its selection.
        ServerInfo renamed = *mike->Info();
        renamed.ServerName = "zulu";
        mike->Replace(renamed);
        QVERIFY(m_view->UpdateServerRow(mike));
        QCOMPARE(Names(), (std::vector<std::string>{"zulu", "oscar", "kilo", "alpha"}));
        QCOMPARE(m_view->SelectedServers(), std::vector<ServerPtr>{mike});
        renamed.ServerName = "a";
        mike->Replace(renamed);
        QVERIFY(m_view->UpdateServerRow(mike));
        QCOMPARE(Names(), (std::vector<std::string>{"oscar", "kilo", "alpha", "a"}));
        QCOMPARE(m_view->SelectedServers(), std::vector<ServerPtr>{mike});

        // Equal keys keep ascending names under a descending order.
        m_settings.ServerSortOrder = 7;
        m_view->SortServerRows();
        QCOMPARE(Names(), (std::vector<std::string>{"a", "alpha", "kilo", "oscar"}));

        m_view->RemoveServerRow(mike);
        QCOMPARE(m_view->SelectedServerCount(), 0);
        ClickRow(0);
        ClickRow(2, Qt::ControlModifier);
        QCOMPARE(m_view->SelectedServerCount(), 2);
        m_view->ClearServerRows();
        QCOMPARE(m_view->SelectedServerCount(), 0);
    }

    void clicksAndKeysReportTheSelection() {
        for (const char* name : {"a", "b", "c", "d"}) {
            m_view->AddServerRow(MakeServer(name));
        }
        QSignalSpy selected(m_view.get(), &CServerListView::serverSelected);
        QSignalSpy multiple(m_view.get(), &CServerListView::multipleSelected);
        std::vector<ServerPtr> posted;
        QObject receiver;  // goes before posted: calls still queued at the end are dropped
        connect(
            m_view.get(), &CServerListView::serverSelected, &receiver,
            [&posted](const perivant::ServerPtr& server) { posted.push_back(server); },
            Qt::QueuedConnection);

        ClickRow(1);
        QCOMPARE(selected.count(), 1);
        QCOMPARE(qvariant_cast<ServerPtr>(selected.at(0).at(0)), m_view->ServerAtRow(1));
        QVERIFY(posted.empty());  // posted: it arrives when the event loop runs
        QCoreApplication::processEvents();
        QCOMPARE(posted, std::vector<ServerPtr>{m_view->ServerAtRow(1)});

        ClickRow(3, Qt::ControlModifier);
        QCOMPARE(multiple.count(), 1);
        QCOMPARE(selected.count(), 1);

        ClickRow(2);
        QCOMPARE(selected.count(), 2);
        QCOMPARE(qvariant_cast<ServerPtr>(selected.at(1).at(0)), m_view->ServerAtRow(2));

        m_view->setFocus();
        QTest::keyClick(m_view.get(), Qt::Key_Down);
        QCOMPARE(selected.count(), 3);
        QCOMPARE(qvariant_cast<ServerPtr>(selected.at(2).at(0)), m_view->ServerAtRow(3));
        // Shift and Up: both releases report.
        QTest::keyClick(m_view.get(), Qt::Key_Up, Qt::ShiftModifier);
        QCOMPARE(multiple.count(), 3);

        // A key whose press went elsewhere (the one that closed a message box) reports nothing.
        QTest::sendKeyEvent(QTest::KeyAction::Release, m_view.get(), Qt::Key_Return, '\r', {});
        QCOMPARE(multiple.count(), 3);
        QCOMPARE(selected.count(), 3);

        // A click on the empty area below the rows clears the selection and reports nothing.
        QPoint below = m_view->visualRect(m_view->Model()->index(3, 2)).center() + QPoint(0, 80);
        QTest::mouseClick(m_view->viewport(), Qt::LeftButton, {}, below);
        QCOMPARE(m_view->SelectedServerCount(), 0);
        QCOMPARE(selected.count(), 3);
        QCOMPARE(multiple.count(), 3);
        // Nor does a right click.
        QTest::mouseClick(m_view->viewport(), Qt::RightButton, {}, RowPoint(0));
        QCOMPARE(selected.count(), 3);
        QVERIFY(m_runner.shown.empty());
    }

    // Entering the list by keyboard with no row current: Home, Down or PageUp select the first.
    void keyboardEntryStartsAtTheFirstRow() {
        for (const char* name : {"a", "b", "c"}) {
            m_view->AddServerRow(MakeServer(name));
        }
        QSignalSpy selected(m_view.get(), &CServerListView::serverSelected);
        for (Qt::Key key : {Qt::Key_Home, Qt::Key_Down, Qt::Key_PageUp}) {
            m_view->clearSelection();
            m_view->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
            QFocusEvent entered(QEvent::FocusIn, Qt::TabFocusReason);
            QApplication::sendEvent(m_view.get(), &entered);
            QTest::keyClick(m_view.get(), key);
            QCOMPARE(m_view->SelectedServerCount(), 1);
            QCOMPARE(m_view->SelectedServers().front(), m_view->ServerAtRow(0));
            QCOMPARE(qvariant_cast<ServerPtr>(selected.takeLast().at(0)), m_view->ServerAtRow(0));
        }
        // End goes to the last one.
        m_view->clearSelection();
        m_view->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        QFocusEvent entered(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(m_view.get(), &entered);
        QTest::keyClick(m_view.get(), Qt::Key_End);
        QCOMPARE(m_view->SelectedServers(), std::vector<ServerPtr>{m_view->ServerAtRow(2)});
    }

    void selectingADirectXServerExplainsUntilTicked() {
        m_view->AddServerRow(MakeServer("dx", [](ServerInfo& s) {
            s.DirectXTooOld = true;
            s.DirectXVersionRequired = "9";
        }));
        m_view->AddServerRow(MakeServer("fine"));
        FixedWindows windows98({1, 4, 10, ""});
        m_view->SetWindowsVersionSource(&windows98);
        QSignalSpy selected(m_view.get(), &CServerListView::serverSelected);
        int selectedWhenShown = -1;
        m_runner.onShow = [&] { selectedWhenShown = static_cast<int>(selected.count()); };

        ClickRow(0);
        QCOMPARE(selected.count(), 1);
        QCOMPARE(selectedWhenShown, 1);  // the panes are told before the message opens
        QCOMPARE(m_runner.shown.size(), size_t(1));
        const std::string& text = m_runner.shown[0].text;
        QVERIFY(m_runner.shown[0].allowDontShow);
        QVERIFY(text.find("requires DirectX version 9 and you have version 8, so if") !=
                std::string::npos);
        QVERIFY(text.size() > 40);
        QCOMPARE(text.substr(text.size() - 33), std::string("http://www.microsoft.com/directx/"));

        ClickRow(1);
        QCOMPARE(m_runner.shown.size(), size_t(1));

        m_runner.tick = true;
        ClickRow(0);
        QCOMPARE(m_runner.shown.size(), size_t(2));
        QCOMPARE(HideFlag(kHideDirectXMsg), 1);
        ClickRow(1);
        ClickRow(0);
        QCOMPARE(m_runner.shown.size(), size_t(2));
        QCOMPARE(selected.count(), 5);
    }

    void doubleClickCopiesTheAddress() {
        ServerPtr server = MakeServer("copy me");
        m_view->AddServerRow(server);
        m_view->AddServerRow(MakeServer("other"));
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->setText(QStringLiteral("before"));

        DoubleClickRow(0);
        QCOMPARE(clipboard->text(), QString::fromStdString(server->Address()));
        QCOMPARE(m_runner.shown.size(), size_t(1));
        QCOMPARE(m_runner.shown[0].text, ClipboardHelpText(server->Address()));
        QVERIFY(m_runner.shown[0].allowDontShow);
        QCOMPARE(HideFlag(kHideClipboardMsg), 0);

        m_runner.tick = true;
        DoubleClickRow(0);
        QCOMPARE(m_runner.shown.size(), size_t(2));
        QCOMPARE(HideFlag(kHideClipboardMsg), 1);

        // Silenced: the address is still copied, without the message.
        clipboard->setText(QStringLiteral("before"));
        DoubleClickRow(0);
        QCOMPARE(clipboard->text(), QString::fromStdString(server->Address()));
        QCOMPARE(m_runner.shown.size(), size_t(2));
        // Only the copy's help message was ever shown; the clicks of the double clicks reported
        // the selection without any.
        QVERIFY(m_prompts.messages.empty());

        // The first selected row in row order is the one copied.
        WriteSettingsInt(*m_store, kHideClipboardMsg, 0);
        m_runner.tick = false;
        ClickRow(1);
        QTest::mouseClick(m_view->viewport(), Qt::LeftButton, Qt::ControlModifier, RowPoint(0));
        QTest::mouseDClick(m_view->viewport(), Qt::LeftButton, Qt::ControlModifier, RowPoint(1));
        QCOMPARE(m_runner.shown.back().text, ClipboardHelpText(server->Address()));

        // A clipboard that refuses the text: the error box, no help message.
        std::vector<std::string> attempts;
        m_view->SetClipboardWriter([&attempts](const std::string& text) {
            attempts.push_back(text);
            return false;
        });
        size_t shownBefore = m_runner.shown.size();
        DoubleClickRow(1);
        QCOMPARE(attempts, std::vector<std::string>{m_view->ServerAtRow(1)->Address()});
        QCOMPARE(m_prompts.messages,
                 std::vector<std::string>{"Error copying server's IP address to clipboard."});
        QCOMPARE(m_runner.shown.size(), shownBefore);
    }

    void doubleClickOnADirectXServerForcesItsMessage() {
        m_view->AddServerRow(MakeServer("dx", [](ServerInfo& s) {
            s.DirectXTooOld = true;
            s.DirectXVersionRequired = "9.0c";
        }));
        FixedWindows windows95({1, 4, 0, " C"});
        m_view->SetWindowsVersionSource(&windows95);
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->setText(QStringLiteral("before"));

        WriteSettingsInt(*m_store, kHideDirectXMsg, 1);
        DoubleClickRow(0);
        QCOMPARE(m_runner.shown.size(), size_t(1));
        QVERIFY(!m_runner.shown[0].allowDontShow);
        QVERIFY(m_runner.shown[0].text.find(
                    "requires DirectX version 9.0c and you have version 8") != std::string::npos);
        QVERIFY(m_runner.shown[0].text.find(
                    "\nUnfortunately, you have Windows 95-OSR2, which is not supported by "
                    "DirectX 9  :-(") != std::string::npos);
        QCOMPARE(clipboard->text(), QStringLiteral("before"));

        // Not hidden: the click shows the message that may be silenced, the double click the
        // forced one.
        WriteSettingsInt(*m_store, kHideDirectXMsg, 0);
        m_runner.shown.clear();
        DoubleClickRow(0);
        QCOMPARE(m_runner.shown.size(), size_t(2));
        QVERIFY(m_runner.shown[0].allowDontShow);
        QVERIFY(!m_runner.shown[1].allowDontShow);
        QCOMPARE(clipboard->text(), QStringLiteral("before"));
        QVERIFY(m_prompts.messages.empty());
    }

    void columnsFitTheirWidestCell() {
        QTreeView measure;  // measures every cell the ordinary way
        measure.setFont(m_view->font());
        measure.setModel(m_view->Model());
        measure.header()->setResizeContentsPrecision(-1);
        measure.resize(m_view->size());
        QHeaderView* header = m_view->header();
        auto check = [&]() {
            // The scroll bars come and go once the view has laid out its rows.
            QCoreApplication::processEvents();
            const QAbstractItemView& plain = measure;
            for (int c = 1; c < 5; ++c) {
                int wanted = std::max(header->sectionSizeHint(c), plain.sizeHintForColumn(c));
                if (header->sectionSize(c) != wanted) {
                    qWarning("column %d: %d wanted %d (heading %d)", c, header->sectionSize(c),
                             wanted, header->sectionSizeHint(c));
                    return false;
                }
            }
            int ping = std::max(header->sectionSizeHint(5), plain.sizeHintForColumn(5));
            return header->sectionSize(5) >= ping &&
                   header->sectionPosition(5) + header->sectionSize(5) >=
                       m_view->viewport()->width() &&
                   m_view->horizontalScrollBar()->maximum() ==
                       std::max(0, header->sectionPosition(5) + ping - m_view->viewport()->width());
        };

        std::vector<ServerPtr> servers;
        for (int i = 0; i < 30; ++i) {
            servers.push_back(
                MakeServer(std::string(static_cast<size_t>(i % 7 + 1), 'W') + std::to_string(i),
                           [i](ServerInfo& s) {
                               s.SessionName = std::string(static_cast<size_t>(i), 'i');
                               s.PingMs = i * 997;
                           }));
            m_view->AddServerRow(servers.back());
        }
        QVERIFY(check());
        const int wide = header->sectionSize(2);

        // The widest session goes: the column shrinks to the next one.
        m_view->RemoveServerRow(servers[29]);
        QVERIFY(check());
        QVERIFY(header->sectionSize(2) < wide);

        // A re-queried server with a 30-character name widens the Server column.
        ServerInfo longer = *servers[3]->Info();
        longer.ServerName = std::string(45, 'M');
        servers[3]->Replace(longer);
        const int narrow = header->sectionSize(1);
        m_view->UpdateServerRow(servers[3]);
        QVERIFY(check());
        QVERIFY(header->sectionSize(1) > narrow);

        // A larger font measures every cell again.
        QFont bigger = m_view->font();
        bigger.setPointSize(bigger.pointSize() * 2);
        m_view->setFont(bigger);
        measure.setFont(bigger);
        QVERIFY(check());

        m_view->ClearServerRows();
        for (int c = 1; c < 5; ++c) {
            QCOMPARE(header->sectionSize(c), header->sectionSizeHint(c));
        }
    }

    void requeryKeepsTheRowAmongItsEquals() {
        std::vector<ServerPtr> clubs;
        for (int i = 0; i < 3; ++i) {
            clubs.push_back(MakeServer("Club", [i](ServerInfo& s) { s.PingMs = 10 * i; }));
            m_view->AddServerRow(clubs.back());
        }
        m_view->AddServerRow(MakeServer("alpha"));
        const std::vector<ServerPtr> order = {m_view->ServerAtRow(0), clubs[0], clubs[1], clubs[2]};
        const auto rows = [this] {
            std::vector<ServerPtr> now;
            for (int row = 0; row < m_view->ServerRowCount(); ++row) {
                now.push_back(m_view->ServerAtRow(row));
            }
            return now;
        };
        QCOMPARE(rows(), order);
        // Nothing changed, or only what the order does not look at: the rows stay where they are.
        QCOMPARE(m_view->Model()->UpdateServer(clubs[0].get()), 1);
        QCOMPARE(m_view->Model()->UpdateServer(clubs[1].get()), 2);
        QCOMPARE(rows(), order);
        // Sorted by ping, the first club's new ping puts it last.
        m_settings.ServerSortOrder = 10;
        m_view->SortServerRows();
        ServerInfo slower = *clubs[0]->Info();
        slower.PingMs = 500;
        clubs[0]->Replace(slower);
        QVERIFY(m_view->UpdateServerRow(clubs[0]));
        QCOMPARE(m_view->ServerAtRow(3), clubs[0]);
    }

    void sizeIsRecordedOnceReady() {
        m_view->resize(500, 200);
        QCOMPARE(m_settings.ServerListViewWidth, 0);
        QCOMPARE(m_settings.ServerListViewHeight, 0);
        m_settings.WindowReady = true;
        m_view->resize(510, 240);
        QTRY_COMPARE(m_settings.ServerListViewWidth, m_view->contentsRect().width());
        QCOMPARE(m_settings.ServerListViewHeight, m_view->contentsRect().height() + 16);
        QVERIFY(m_settings.ServerListViewWidth > 400);
        QVERIFY(m_settings.ServerListViewHeight > 200);
    }

    void autoSizeColumnsOfAnyList() {
        QStandardItemModel model(2, 3);
        model.setHorizontalHeaderLabels({"One", "Two", "Three"});
        model.setItem(0, 1, new QStandardItem(QString(40, QLatin1Char('x'))));
        QTreeView view;
        view.header()->setStretchLastSection(false);
        view.setModel(&model);
        view.resize(900, 200);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        for (int c = 0; c < 3; ++c) {
            view.header()->resizeSection(c, 33);
        }
        AutoSizeColumns(view, 3);
        AutoSizeColumns(view, 7);
        for (int c = 0; c < 3; ++c) {
            QCOMPARE(view.header()->sectionSize(c), 33);
        }
        AutoSizeColumns(view, 1);
        QCOMPARE(view.header()->sectionSize(0), 33);
        QVERIFY(view.header()->sectionSize(1) >
                QFontMetrics(view.font()).horizontalAdvance(QString(40, QLatin1Char('x'))));
        QCOMPARE(view.header()->sectionPosition(2) + view.header()->sectionSize(2),
                 view.viewport()->width());
    }

    void autoSizeColumnsMeasuresRowsAgainAfterAFontChange() {
        QStandardItemModel model(8, 2);
        for (int row = 0; row < 8; ++row) {
            model.setItem(row, 0, new QStandardItem(QStringLiteral("x")));
        }
        QTreeView view;
        view.setRootIsDecorated(false);
        view.setUniformRowHeights(true);
        view.header()->setStretchLastSection(false);
        view.setModel(&model);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.resize(300, 8 * view.sizeHintForRow(0) + 100);  // fits, even under a tall header
        QCoreApplication::processEvents();
        AutoSizeColumns(view, 0);
        QFont large = view.font();
        large.setPixelSize(QFontInfo(view.font()).pixelSize() * 3);  // now the rows do not fit
        view.setFont(large);
        AutoSizeColumns(view, 0);
        QTRY_VERIFY(view.verticalScrollBar()->isVisible());
        // Sized for the bar that the taller rows call up: no gap, no horizontal bar.
        QCOMPARE(view.header()->sectionPosition(1) + view.header()->sectionSize(1),
                 view.viewport()->width());
    }
};

}  // namespace perivant

QTEST_MAIN(perivant::CServerListViewTest)
#include "CServerListViewTest.moc"
