#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/QtText.h"
#include "dialogs/CServerFilterDlg.h"
#include "dialogs/DialogTestSupport.h"
#include "dialogs/DialogUnits.h"
#include "dialogs/FakePrompts.h"
#include "env/WindowsVersionName.h"

namespace perivant {

namespace {

using Dlg = CServerFilterDlg;

// The defaults a first start gives, with some criteria switched on.
FilterSettings SomeCriteria() {
    FilterSettings filter;
    filter.FilterEnable = true;
    filter.FilterPassword = true;
    filter.FilterPingNum = 500;
    filter.FilterPlayers = true;
    filter.FilterPlayersNum = 1;
    filter.FilterTextString = "HOP";
    filter.FilterServerNames = true;
    filter.FilterServerNamesString = "Z\xFCrich";
    return filter;
}

class FixedWindowsVersion : public WindowsVersionSource {
public:
    explicit FixedWindowsVersion(WindowsVersionRecord record) : m_record(std::move(record)) {}
    bool GetVersionEx(uint32_t, WindowsVersionRecord& record) override {
        record = m_record;
        return true;
    }

private:
    WindowsVersionRecord m_record;
};

}  // namespace

class CServerFilterDlgTest : public QObject {
    Q_OBJECT

private slots:
    void laysOutTemplate138();
    void opensWithTheGivenValues();
    void enablingFollowsTheBoxes();
    void typedValuesAreHandedBackOnOk();
    void numberBoxWithoutIntegerKeepsTheDialogOpen();
    void textBoxesTakeAtMost100Characters();
    void cancelLeavesTheCriteria();
    void explainMoreShowsTheComposedText();
    void runsModallyUntilOk();
};

void CServerFilterDlgTest::laysOutTemplate138() {
    FakePrompts prompts;
    Dlg dlg(nullptr, &prompts);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Server Filter"));
    DialogUnits units(dlg.font());
    QVERIFY(units.BaseX() > 0 && units.BaseY() > 0);
    QCOMPARE(dlg.size(), QSize(DialogUnits::MulDiv(302, units.BaseX(), 4),
                               DialogUnits::MulDiv(199, units.BaseY(), 8)));
    QCOMPARE(dlg.GetDlgItem(1032)->geometry(), units.Rect(212, 143, 83, 14));
    QCOMPARE(dlg.GetDlgItem(1)->geometry(), units.Rect(98, 177, 50, 14));
    QCOMPARE(
        TextOf(dlg.GetDlgItem(1020)),
        QStringLiteral("Don't show servers that require a &DirectX version greater than mine"));
    QCOMPARE(TextOf(dlg.GetDlgItem(1031)),
             QStringLiteral("Don't show servers that only support FS200&4 and FSX"));
    QCOMPARE(TextOf(dlg.GetDlgItem(1018)), QStringLiteral("pilots"));
    QCOMPARE(TextOf(dlg.GetDlgItem(1021)), QStringLiteral("&Explain more"));
    QVERIFY(qobject_cast<QPushButton*>(dlg.GetDlgItem(1))->isDefault());
    QVERIFY(!qobject_cast<QPushButton*>(dlg.GetDlgItem(2))->isDefault());
    QVERIFY(dlg.GetDlgItem(1000) == nullptr);
    ExpectTextsFit(dlg);

    // Tab order is template order; the labels take no focus.
    const int order[] = {1011, 1012, 1017, 1015, 1014, 1016, 1013, 1020, 1021,
                         1030, 1031, 1027, 1028, 1029, 1032, 1,    2};
    QWidget* at = dlg.GetDlgItem(1011);
    for (size_t i = 1; i < std::size(order); ++i) {
        do {
            at = at->nextInFocusChain();
        } while (at->focusPolicy() == Qt::NoFocus);
        QCOMPARE(at, dlg.GetDlgItem(order[i]));
    }
}

void CServerFilterDlgTest::opensWithTheGivenValues() {
    FakePrompts prompts;
    Dlg dlg(nullptr, &prompts);
    static_cast<FilterSettings&>(dlg) = SomeCriteria();
    dlg.show();
    QVERIFY(IsChecked(dlg.GetDlgItem(1011)));
    QVERIFY(IsChecked(dlg.GetDlgItem(1012)));
    QVERIFY(!IsChecked(dlg.GetDlgItem(1017)));
    QVERIFY(IsChecked(dlg.GetDlgItem(1015)));
    QCOMPARE(TextOf(dlg.GetDlgItem(1014)), QStringLiteral("1"));
    QVERIFY(!IsChecked(dlg.GetDlgItem(1016)));
    QCOMPARE(TextOf(dlg.GetDlgItem(1013)), QStringLiteral("500"));
    QCOMPARE(TextOf(dlg.GetDlgItem(1028)), QStringLiteral("HOP"));
    QCOMPARE(TextOf(dlg.GetDlgItem(1032)), QStringLiteral("Z\u00FCrich"));
    // Only the edits of ticked boxes are open.
    QVERIFY(dlg.GetDlgItem(1014)->isEnabled());
    QVERIFY(!dlg.GetDlgItem(1013)->isEnabled());
    QVERIFY(!dlg.GetDlgItem(1028)->isEnabled());
    QVERIFY(dlg.GetDlgItem(1032)->isEnabled());
    QCOMPARE(dlg.focusWidget(), dlg.GetDlgItem(1011));

    ClickButton(dlg.GetDlgItem(1));
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(static_cast<const FilterSettings&>(dlg), SomeCriteria());
    QVERIFY(prompts.messages.empty());
}

void CServerFilterDlgTest::enablingFollowsTheBoxes() {
    FakePrompts prompts;
    Dlg dlg(nullptr, &prompts);
    FilterSettings filter = SomeCriteria();
    filter.FilterEnable = false;
    filter.FilterText = true;
    static_cast<FilterSettings&>(dlg) = filter;
    dlg.show();

    const int dependants[] = {1012, 1017, 1015, 1016, 1018, 1019,
                              1020, 1021, 1030, 1031, 1027, 1029};
    const int edits[] = {1014, 1013, 1028, 1032};
    for (int id : dependants) {
        QVERIFY2(!dlg.GetDlgItem(id)->isEnabled(), qPrintable(QString::number(id)));
    }
    for (int id : edits) {
        QVERIFY(!dlg.GetDlgItem(id)->isEnabled());
    }
    QVERIFY(dlg.GetDlgItem(1011)->isEnabled());
    QVERIFY(dlg.GetDlgItem(1)->isEnabled() && dlg.GetDlgItem(2)->isEnabled());

    // A click on a greyed box changes nothing.
    ClickBox(dlg.GetDlgItem(1016));
    QVERIFY(!IsChecked(dlg.GetDlgItem(1016)));

    ClickBox(dlg.GetDlgItem(1011));
    for (int id : dependants) {
        QVERIFY(dlg.GetDlgItem(id)->isEnabled());
    }
    QVERIFY(dlg.GetDlgItem(1014)->isEnabled());   // players ticked
    QVERIFY(!dlg.GetDlgItem(1013)->isEnabled());  // ping not
    QVERIFY(dlg.GetDlgItem(1028)->isEnabled());
    QVERIFY(dlg.GetDlgItem(1032)->isEnabled());

    ClickBox(dlg.GetDlgItem(1016));
    QVERIFY(dlg.GetDlgItem(1013)->isEnabled());
    ClickBox(dlg.GetDlgItem(1015));
    QVERIFY(!dlg.GetDlgItem(1014)->isEnabled());
    ClickBox(dlg.GetDlgItem(1027));
    QVERIFY(!dlg.GetDlgItem(1028)->isEnabled());
    ClickBox(dlg.GetDlgItem(1029));
    QVERIFY(!dlg.GetDlgItem(1032)->isEnabled());
    ClickBox(dlg.GetDlgItem(1029));
    QVERIFY(dlg.GetDlgItem(1032)->isEnabled());

    // Switching the filter off and on again goes by the boxes as they are now.
    ClickBox(dlg.GetDlgItem(1011));
    for (int id : edits) {
        QVERIFY(!dlg.GetDlgItem(id)->isEnabled());
    }
    ClickBox(dlg.GetDlgItem(1011));
    QVERIFY(!dlg.GetDlgItem(1014)->isEnabled());
    QVERIFY(dlg.GetDlgItem(1013)->isEnabled());
    QVERIFY(!dlg.GetDlgItem(1028)->isEnabled());
    QVERIFY(dlg.GetDlgItem(1032)->isEnabled());
    dlg.reject();
}

void CServerFilterDlgTest::typedValuesAreHandedBackOnOk() {
    FakePrompts prompts;
    Dlg dlg(nullptr, &prompts);
    static_cast<FilterSettings&>(dlg) = SomeCriteria();
    dlg.show();
    ClickBox(dlg.GetDlgItem(1012));  // password off
    ClickBox(dlg.GetDlgItem(1017));  // full on
    ClickBox(dlg.GetDlgItem(1016));  // ping on
    TypeInto(dlg.GetDlgItem(1013), QStringLiteral("250"));
    TypeInto(dlg.GetDlgItem(1014), QStringLiteral(" -3 "));  // negatives are taken as entered
    ClickBox(dlg.GetDlgItem(1020));
    ClickBox(dlg.GetDlgItem(1030));
    ClickBox(dlg.GetDlgItem(1031));
    ClickBox(dlg.GetDlgItem(1027));
    TypeInto(dlg.GetDlgItem(1028), QStringLiteral("Caf\u00E9 \u20AC"));
    TypeInto(dlg.GetDlgItem(1032), QString());
    ClickButton(dlg.GetDlgItem(1));

    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QVERIFY(prompts.messages.empty());
    QVERIFY(dlg.FilterEnable);
    QVERIFY(!dlg.FilterPassword);
    QVERIFY(dlg.FilterFull);
    QVERIFY(dlg.FilterPing);
    QCOMPARE(dlg.FilterPingNum, 250);
    QVERIFY(dlg.FilterPlayers);
    QCOMPARE(dlg.FilterPlayersNum, -3);
    QVERIFY(dlg.FilterDirectX && dlg.FilterFS2002 && dlg.FilterFS2004 && dlg.FilterText);
    QCOMPARE(dlg.FilterTextString, std::string("Caf\xE9 \x80"));
    QVERIFY(dlg.FilterServerNames);
    QCOMPARE(dlg.FilterServerNamesString, std::string());
}

void CServerFilterDlgTest::numberBoxWithoutIntegerKeepsTheDialogOpen() {
    FakePrompts prompts;
    Dlg dlg(nullptr, &prompts);
    static_cast<FilterSettings&>(dlg) = SomeCriteria();
    dlg.show();
    ClickBox(dlg.GetDlgItem(1017));
    ClickBox(dlg.GetDlgItem(1016));
    TypeInto(dlg.GetDlgItem(1013), QStringLiteral("fast"));
    TypeInto(dlg.GetDlgItem(1028), QStringLiteral("greyed"));  // a greyed box takes nothing
    QCOMPARE(TextOf(dlg.GetDlgItem(1028)), QStringLiteral("HOP"));
    ClickBox(dlg.GetDlgItem(1027));
    TypeInto(dlg.GetDlgItem(1028), QStringLiteral("changed"));
    ClickButton(dlg.GetDlgItem(1));

    QCOMPARE(prompts.messages, std::vector<std::string>{"Please enter an integer."});
    QVERIFY(dlg.isVisible());
    QCOMPARE(dlg.focusWidget(), dlg.GetDlgItem(1013));
    QCOMPARE(qobject_cast<QLineEdit*>(dlg.GetDlgItem(1013))->selectedText(),
             QStringLiteral("fast"));
    // Nothing was handed back, not even the boxes read before the refused one.
    QCOMPARE(static_cast<const FilterSettings&>(dlg), SomeCriteria());

    // The pilots box is read first; an empty box is no integer either.
    TypeInto(dlg.GetDlgItem(1014), QString());
    ClickButton(dlg.GetDlgItem(1));
    QCOMPARE(prompts.messages.size(), size_t(2));
    QCOMPARE(dlg.focusWidget(), dlg.GetDlgItem(1014));
    QVERIFY(dlg.isVisible());

    // Enter presses OK as well.
    TypeInto(dlg.GetDlgItem(1014), QStringLiteral("2"));
    TypeInto(dlg.GetDlgItem(1013), QStringLiteral("99999999999"));
    QTest::keyClick(dlg.GetDlgItem(1013), Qt::Key_Return);
    QCOMPARE(prompts.messages.size(), size_t(3));
    QVERIFY(dlg.isVisible());

    TypeInto(dlg.GetDlgItem(1013), QStringLiteral("300"));
    QTest::keyClick(dlg.GetDlgItem(1013), Qt::Key_Return);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.FilterPingNum, 300);
    QCOMPARE(dlg.FilterPlayersNum, 2);
    QVERIFY(dlg.FilterFull && dlg.FilterPing && dlg.FilterText);
    QCOMPARE(dlg.FilterTextString, std::string("changed"));
}

void CServerFilterDlgTest::textBoxesTakeAtMost100Characters() {
    FakePrompts prompts;
    Dlg dlg(nullptr, &prompts);
    FilterSettings filter = SomeCriteria();
    filter.FilterText = true;
    // A longer stored pattern, even beyond the widget's own limit, is shown and kept whole,
    // never cut behind the user's back.
    filter.FilterServerNamesString.assign(40000, 'n');
    static_cast<FilterSettings&>(dlg) = filter;
    dlg.show();
    auto* comments = qobject_cast<QLineEdit*>(dlg.GetDlgItem(1028));
    auto* names = qobject_cast<QLineEdit*>(dlg.GetDlgItem(1032));
    QCOMPARE(names->text().size(), 40000);

    // Typing stops at the limit.
    TypeInto(comments, QString(120, QLatin1Char('x')));
    QCOMPARE(comments->text(), QString(100, QLatin1Char('x')));
    QTest::keyClick(comments, Qt::Key_Y);
    QCOMPARE(comments->text(), QString(100, QLatin1Char('x')));

    // A paste goes in whole at the cursor when it fits, and not at all when it does not.
    TypeInto(comments, QString(97, QLatin1Char('x')));
    QTest::keyClick(comments, Qt::Key_Home);
    PasteInto(comments, QStringLiteral("ABCD"));
    QCOMPARE(comments->text(), QString(97, QLatin1Char('x')));
    PasteInto(comments, QStringLiteral("ABC"));
    QCOMPARE(comments->text(), QStringLiteral("ABC") + QString(97, QLatin1Char('x')));
    QCOMPARE(comments->cursorPosition(), 3);
    // A selection makes room for what replaces it.
    comments->setSelection(0, 3);
    PasteInto(comments, QStringLiteral("0123"));
    QCOMPARE(comments->text(), QStringLiteral("ABC") + QString(97, QLatin1Char('x')));
    comments->setSelection(0, 3);
    PasteInto(comments, QStringLiteral("012"));
    QCOMPARE(comments->text(), QStringLiteral("012") + QString(97, QLatin1Char('x')));
    // A refused paste leaves the undo history as it was: undo takes back the last paste made.
    QTest::keyClick(comments, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(comments->text(), QStringLiteral("ABC") + QString(97, QLatin1Char('x')));
    // A character outside the basic plane is one character of the stored text.
    TypeInto(comments, QString(98, QLatin1Char('x')));
    const QString face = QString::fromUtf16(u"\U0001F600");
    PasteInto(comments, face + face + face);
    QCOMPARE(comments->text(), QString(98, QLatin1Char('x')));
    PasteInto(comments, face + face);
    QCOMPARE(comments->text(), QString(98, QLatin1Char('x')) + face + face);

    // The longer stored pattern may be shortened, but nothing is added to it.
    QTest::keyClick(names, Qt::Key_End);
    QTest::keyClick(names, Qt::Key_Backspace);
    QCOMPARE(names->text(), QString(39999, QLatin1Char('n')));
    QTest::keyClick(names, Qt::Key_Y);
    PasteInto(names, QStringLiteral("more"));
    QCOMPARE(names->text(), QString(39999, QLatin1Char('n')));
    // Nor is it replaced by another text too long to type, shorter as that may be.
    names->selectAll();
    PasteInto(names, QString(150, QLatin1Char('P')));
    QCOMPARE(names->text(), QString(39999, QLatin1Char('n')));
    // Shortened until it fits, it comes back whole with undo.
    names->setSelection(0, 39990);
    QTest::keyClick(names, Qt::Key_Delete);
    QCOMPARE(names->text(), QString(9, QLatin1Char('n')));
    QTest::keyClick(names, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(names->text(), QString(39999, QLatin1Char('n')));

    ClickButton(dlg.GetDlgItem(1));
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.FilterTextString, std::string(98, 'x') + "??");
    QCOMPARE(dlg.FilterServerNamesString, std::string(39999, 'n'));
}

void CServerFilterDlgTest::cancelLeavesTheCriteria() {
    FakePrompts prompts;
    Dlg dlg(nullptr, &prompts);
    static_cast<FilterSettings&>(dlg) = SomeCriteria();
    dlg.show();
    ClickBox(dlg.GetDlgItem(1011));
    TypeInto(dlg.GetDlgItem(1014), QStringLiteral("abc"));
    ClickButton(dlg.GetDlgItem(2));
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QVERIFY(prompts.messages.empty());
    QCOMPARE(static_cast<const FilterSettings&>(dlg), SomeCriteria());

    // Opening again shows the criteria, not what was typed before Cancel; Escape cancels too.
    dlg.show();
    QVERIFY(IsChecked(dlg.GetDlgItem(1011)));
    QCOMPARE(TextOf(dlg.GetDlgItem(1014)), QStringLiteral("1"));
    QTest::keyClick(&dlg, Qt::Key_Escape);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
}

void CServerFilterDlgTest::explainMoreShowsTheComposedText() {
    FakePrompts prompts;
    Dlg dlg(nullptr, &prompts);
    FixedWindowsVersion windows98({1, 4, 10, ""});
    dlg.m_pWindowsVersion = &windows98;
    dlg.m_nInstalledDirectXVersion = 8;
    static_cast<FilterSettings&>(dlg) = SomeCriteria();
    dlg.show();
    ClickButton(dlg.GetDlgItem(1021));
    QCOMPARE(prompts.messages.size(), size_t(1));
    const std::string& old = prompts.messages[0];
    QVERIFY(old.find("\n\nYou have DirectX 8 installed on your machine so if you try to join a "
                     "server that\n") != std::string::npos);
    const std::string upgrade =
        "servers by enabling the checkbox on this window.\n\nYou can upgrade your version of "
        "DirectX at: http://www.microsoft.com/directx/";
    QVERIFY(old.size() > upgrade.size());
    QCOMPARE(old.substr(old.size() - upgrade.size()), upgrade);

    FixedWindowsVersion windows95({1, 4, 0, " C"});
    dlg.m_pWindowsVersion = &windows95;
    ClickButton(dlg.GetDlgItem(1021));
    QVERIFY(prompts.messages[1].ends_with(
        "\nUnfortunately, you have Windows 95-OSR2, which is not supported by DirectX 9  :-("));

    dlg.m_nInstalledDirectXVersion = 9;
    ClickButton(dlg.GetDlgItem(1021));
    QVERIFY(prompts.messages[2].ends_with(
        "You have DirectX 9 installed on your machine so this is not a problem for you.\nIf it "
        "was, you could filter out the servers that you weren't able to connect to."));
    // Explaining changes nothing and leaves the dialog open.
    QVERIFY(dlg.isVisible());
    ClickButton(dlg.GetDlgItem(2));
    QCOMPARE(static_cast<const FilterSettings&>(dlg), SomeCriteria());

    // Greyed with the filter off: no explanation.
    FilterSettings off = SomeCriteria();
    off.FilterEnable = false;
    static_cast<FilterSettings&>(dlg) = off;
    dlg.show();
    ClickButton(dlg.GetDlgItem(1021));
    QCOMPARE(prompts.messages.size(), size_t(3));
    dlg.reject();
}

void CServerFilterDlgTest::runsModallyUntilOk() {
    FakePrompts prompts;
    Dlg dlg(nullptr, &prompts);
    static_cast<FilterSettings&>(dlg) = SomeCriteria();
    // A guard ends the run should the OK click go astray, so the test can never hang.
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, &dlg, &QDialog::reject);
    guard.start(5000);
    QTimer::singleShot(0, &dlg, [&dlg] {
        ClickBox(dlg.GetDlgItem(1017));
        ClickButton(dlg.GetDlgItem(1));
    });
    QCOMPARE(dlg.exec(), int(QDialog::Accepted));
    QVERIFY(dlg.FilterFull);
}

}  // namespace perivant

QTEST_MAIN(perivant::CServerFilterDlgTest)
#include "CServerFilterDlgTest.moc"
