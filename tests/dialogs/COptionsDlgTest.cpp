#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/AppSettings.h"
#include "dialogs/COptionsDlg.h"
#include "dialogs/DialogTestSupport.h"
#include "dialogs/DialogUnits.h"
#include "dialogs/FakePrompts.h"

namespace perivant {

namespace {

const std::string kURL = "http://127.0.0.1:8080/cgi-bin/corvane_master.cgi";
const QString kQURL = QString::fromStdString(kURL);

void SetValues(COptionsDlg& dlg) {
    dlg.m_strMasterURL = kURL;
    dlg.m_bRefreshAtStartup = 1;
    dlg.m_nMaxThreads = 15;
    dlg.m_bHideFSNavigators = 0;
}

void ExpectValues(const COptionsDlg& dlg, const std::string& url, int refresh, int threads,
                  int hide) {
    QCOMPARE(dlg.m_strMasterURL, url);
    QCOMPARE(dlg.m_bRefreshAtStartup, refresh);
    QCOMPARE(dlg.m_nMaxThreads, threads);
    QCOMPARE(dlg.m_bHideFSNavigators, hide);
}

}  // namespace

class COptionsDlgTest : public QObject {
    Q_OBJECT

private slots:
    void laysOutTemplate133();
    void opensWithTheValuesAndHandsBackTypedOnes();
    void threadCountIsAnIntegerFrom1To99();
    void overlongURLIsRefused();
    void resetToDefaultTakesEffectOnlyWithOk();
    void cancelEscapeAndCloseKeepTheValues();
    void runsModallyUntilOk();
    void unitsAreRoundedFractionsOfTheFontsAverageCharacter();
    void cutOffTextsGrowUpToTheRightEdge();
};

void COptionsDlgTest::laysOutTemplate133() {
    FakePrompts prompts;
    COptionsDlg dlg(nullptr, &prompts);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Options"));
    DialogUnits units(dlg.font());
    QCOMPARE(dlg.size(), QSize(DialogUnits::MulDiv(365, units.BaseX(), 4),
                               DialogUnits::MulDiv(102, units.BaseY(), 8)));
    QCOMPARE(dlg.m_editMasterURL, dlg.GetDlgItem(1004));
    QCOMPARE(dlg.GetDlgItem(1004)->geometry(), units.Rect(74, 7, 221, 14));
    QCOMPARE(dlg.GetDlgItem(1022)->geometry(), units.Rect(54, 37, 14, 14));
    QCOMPARE(dlg.GetDlgItem(2)->geometry(), units.Rect(186, 81, 50, 14));
    QCOMPARE(TextOf(dlg.GetDlgItem(1006)), QStringLiteral("Reset to &Default"));
    QCOMPARE(TextOf(dlg.GetDlgItem(1005)),
             QStringLiteral("&Automatically refresh server list when program starts"));
    QCOMPARE(TextOf(dlg.GetDlgItem(1037)), QStringLiteral("Hide &FSNavigators in player list"));
    QVERIFY(qobject_cast<QPushButton*>(dlg.GetDlgItem(1))->isDefault());
    ExpectTextsFit(dlg);

    // The labels' mnemonics lead to the edits that follow them.
    int buddies = 0;
    for (QLabel* label : dlg.findChildren<QLabel*>()) {
        if (label->text() == QStringLiteral("&Master Server URL:")) {
            QCOMPARE(label->buddy(), dlg.GetDlgItem(1004));
            ++buddies;
        } else if (label->text() == QStringLiteral("&Refresh up to")) {
            QCOMPARE(label->buddy(), dlg.GetDlgItem(1022));
            ++buddies;
        } else {
            QCOMPARE(label->text(), QStringLiteral("servers at once (suggested: 15 for 56K modem, "
                                                   "30 for Cable/DSL, 60 for T1 or higher)"));
        }
    }
    QCOMPARE(buddies, 2);

    const int order[] = {1004, 1006, 1005, 1022, 1037, 1, 2, 1004};
    QWidget* at = dlg.GetDlgItem(1004);
    for (size_t i = 1; i < std::size(order); ++i) {
        do {
            at = at->nextInFocusChain();
        } while (at->focusPolicy() == Qt::NoFocus);
        QCOMPARE(at, dlg.GetDlgItem(order[i]));
    }
}

void COptionsDlgTest::opensWithTheValuesAndHandsBackTypedOnes() {
    FakePrompts prompts;
    COptionsDlg dlg(nullptr, &prompts);
    SetValues(dlg);
    dlg.show();
    QCOMPARE(TextOf(dlg.GetDlgItem(1004)), kQURL);
    QVERIFY(IsChecked(dlg.GetDlgItem(1005)));
    QCOMPARE(TextOf(dlg.GetDlgItem(1022)), QStringLiteral("15"));
    QVERIFY(!IsChecked(dlg.GetDlgItem(1037)));
    QCOMPARE(dlg.focusWidget(), dlg.GetDlgItem(1004));

    // An empty URL is accepted as it is.
    TypeInto(dlg.GetDlgItem(1004), QString());
    ClickBox(dlg.GetDlgItem(1005));
    TypeInto(dlg.GetDlgItem(1022), QStringLiteral("60"));
    ClickBox(dlg.GetDlgItem(1037));
    ClickButton(dlg.GetDlgItem(1));
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QVERIFY(prompts.messages.empty());
    ExpectValues(dlg, "", 0, 60, 1);

    // OK without changes hands back what was set.
    COptionsDlg again(nullptr, &prompts);
    SetValues(again);
    again.m_strMasterURL = "http://h\xF6st.example/\x80";
    again.show();
    QCOMPARE(TextOf(again.GetDlgItem(1004)), QStringLiteral("http://h\u00F6st.example/\u20AC"));
    ClickButton(again.GetDlgItem(1));
    QCOMPARE(again.result(), int(QDialog::Accepted));
    ExpectValues(again, "http://h\xF6st.example/\x80", 1, 15, 0);
}

void COptionsDlgTest::threadCountIsAnIntegerFrom1To99() {
    FakePrompts prompts;
    COptionsDlg dlg(nullptr, &prompts);
    SetValues(dlg);
    dlg.m_nMaxThreads = 200;  // stored out of range: shown, then refused
    dlg.show();
    QCOMPARE(TextOf(dlg.GetDlgItem(1022)), QStringLiteral("200"));
    ClickBox(dlg.GetDlgItem(1037));
    ClickButton(dlg.GetDlgItem(1));
    const std::string range = "Please enter an integer between 1 and 99.";
    QCOMPARE(prompts.messages, std::vector<std::string>{range});
    QVERIFY(dlg.isVisible());
    QCOMPARE(dlg.focusWidget(), dlg.GetDlgItem(1022));
    ExpectValues(dlg, kURL, 1, 200, 0);  // nothing handed back

    const struct {
        const char* typed;
        const char* message;
    } refused[] = {
        {"0", range.c_str()}, {"100", range.c_str()}, {"abc", "Please enter an integer."}};
    for (const auto& r : refused) {
        TypeInto(dlg.GetDlgItem(1022), QString::fromLatin1(r.typed));
        dlg.GetDlgItem(1)->setFocus();
        ClickButton(dlg.GetDlgItem(1));
        QCOMPARE(prompts.messages.back(), std::string(r.message));
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.focusWidget(), dlg.GetDlgItem(1022));
    }
    QCOMPARE(prompts.messages.size(), size_t(1 + std::size(refused)));
    ExpectValues(dlg, kURL, 1, 200, 0);

    TypeInto(dlg.GetDlgItem(1022), QStringLiteral("99"));
    ClickButton(dlg.GetDlgItem(1));
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    ExpectValues(dlg, kURL, 1, 99, 1);

    dlg.show();
    TypeInto(dlg.GetDlgItem(1022), QStringLiteral("1"));
    ClickButton(dlg.GetDlgItem(1));
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.m_nMaxThreads, 1);
    QCOMPARE(prompts.messages.size(), size_t(1 + std::size(refused)));
}

void COptionsDlgTest::overlongURLIsRefused() {
    FakePrompts prompts;
    COptionsDlg dlg(nullptr, &prompts);
    SetValues(dlg);
    const std::string longURL = "http://127.0.0.1/" + std::string(1000, 'a');
    dlg.m_strMasterURL = longURL;
    dlg.show();
    QCOMPARE(TextOf(dlg.GetDlgItem(1004)).size(), qsizetype(longURL.size()));
    TypeInto(dlg.GetDlgItem(1022), QStringLiteral("abc"));  // checked after the URL
    ClickButton(dlg.GetDlgItem(1));
    QCOMPARE(prompts.messages,
             std::vector<std::string>{"Please enter no more than 1000 characters."});
    QCOMPARE(dlg.focusWidget(), dlg.GetDlgItem(1004));
    QVERIFY(dlg.isVisible());
    QCOMPARE(dlg.m_strMasterURL, longURL);

    // Nothing can be added to the longer text, by typing or pasting.
    auto* url = qobject_cast<QLineEdit*>(dlg.GetDlgItem(1004));
    QTest::keyClick(url, Qt::Key_End);
    QTest::keyClick(url, Qt::Key_B);
    PasteInto(url, QStringLiteral("more"));
    QCOMPARE(url->text(), QString::fromStdString(longURL));
    // Undo brings back the longer text whole, and OK refuses it again.
    url->setSelection(0, 900);
    QTest::keyClick(url, Qt::Key_Delete);
    QCOMPARE(url->text().size(), qsizetype(longURL.size() - 900));
    QTest::keyClick(url, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(url->text(), QString::fromStdString(longURL));
    ClickButton(dlg.GetDlgItem(1));
    QCOMPARE(prompts.messages.back(), std::string("Please enter no more than 1000 characters."));
    QCOMPARE(dlg.m_strMasterURL, longURL);
    // Typing stops at the limit; an address too long to paste is refused whole.
    TypeInto(url, QString(1005, QLatin1Char('u')));
    QCOMPARE(url->text(), QString(1000, QLatin1Char('u')));
    QTest::keyClick(url, Qt::Key_A, Qt::ControlModifier);
    PasteInto(url, QString::fromStdString(longURL));
    QCOMPARE(url->text(), QString(1000, QLatin1Char('u')));
    ClickButton(dlg.GetDlgItem(1));
    QCOMPARE(prompts.messages.back(), std::string("Please enter an integer."));
    TypeInto(dlg.GetDlgItem(1022), QStringLiteral("30"));
    ClickButton(dlg.GetDlgItem(1));
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    ExpectValues(dlg, std::string(1000, 'u'), 1, 30, 0);
}

void COptionsDlgTest::resetToDefaultTakesEffectOnlyWithOk() {
    const std::string defaultURL(kDefaultMasterServerURL);
    FakePrompts prompts;
    COptionsDlg dlg(nullptr, &prompts);
    SetValues(dlg);
    dlg.show();

    prompts.answers = {false};
    ClickButton(dlg.GetDlgItem(1006));
    QCOMPARE(prompts.questions,
             std::vector<std::string>{"Reset Master Server URL to default value?"});
    QCOMPARE(TextOf(dlg.GetDlgItem(1004)), kQURL);
    QCOMPARE(dlg.m_strMasterURL, kURL);

    prompts.answers = {true};
    ClickButton(dlg.GetDlgItem(1006));
    QCOMPARE(TextOf(dlg.GetDlgItem(1004)), QString::fromStdString(defaultURL));
    ClickButton(dlg.GetDlgItem(2));
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(dlg.m_strMasterURL, kURL);

    dlg.show();
    QCOMPARE(TextOf(dlg.GetDlgItem(1004)), kQURL);
    prompts.answers = {true};
    ClickButton(dlg.GetDlgItem(1006));
    ClickButton(dlg.GetDlgItem(1));
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    ExpectValues(dlg, defaultURL, 1, 15, 0);
    QCOMPARE(prompts.questions.size(), size_t(3));
    QVERIFY(prompts.messages.empty());
}

void COptionsDlgTest::cancelEscapeAndCloseKeepTheValues() {
    FakePrompts prompts;
    COptionsDlg dlg(nullptr, &prompts);
    SetValues(dlg);
    dlg.show();
    TypeInto(dlg.GetDlgItem(1004), QStringLiteral("http://127.0.0.9/"));
    TypeInto(dlg.GetDlgItem(1022), QStringLiteral("abc"));
    ClickBox(dlg.GetDlgItem(1005));
    ClickButton(dlg.GetDlgItem(2));
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QVERIFY(prompts.messages.empty());
    ExpectValues(dlg, kURL, 1, 15, 0);

    dlg.show();
    QCOMPARE(TextOf(dlg.GetDlgItem(1022)), QStringLiteral("15"));
    ClickBox(dlg.GetDlgItem(1037));
    QTest::keyClick(&dlg, Qt::Key_Escape);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Rejected));

    dlg.show();
    ClickBox(dlg.GetDlgItem(1037));
    QVERIFY(dlg.close());
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    ExpectValues(dlg, kURL, 1, 15, 0);
}

void COptionsDlgTest::runsModallyUntilOk() {
    FakePrompts prompts;
    COptionsDlg dlg(nullptr, &prompts);
    SetValues(dlg);
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, &dlg, &QDialog::reject);
    guard.start(5000);
    QTimer::singleShot(0, &dlg, [&dlg] {
        TypeInto(dlg.GetDlgItem(1022), QStringLiteral("30"));
        ClickButton(dlg.GetDlgItem(1));
    });
    QCOMPARE(dlg.exec(), int(QDialog::Accepted));
    QCOMPARE(dlg.m_nMaxThreads, 30);
}

// The layout tests above convert with the same arithmetic; here it is checked on its own. A
// horizontal unit is a quarter of the average width of the 52 letters, a vertical one an eighth
// of the line height; every product is rounded to the nearest pixel, halves away from zero.
void COptionsDlgTest::unitsAreRoundedFractionsOfTheFontsAverageCharacter() {
    QCOMPARE(DialogUnits::MulDiv(5, 7, 4), 9);     // 8.75
    QCOMPARE(DialogUnits::MulDiv(1, 5, 4), 1);     // 1.25
    QCOMPARE(DialogUnits::MulDiv(3, 6, 4), 5);     // 4.5
    QCOMPARE(DialogUnits::MulDiv(-3, 6, 4), -5);   // -4.5
    QCOMPARE(DialogUnits::MulDiv(13, 13, 8), 21);  // 21.125
    for (int pixels : {11, 13, 16, 20}) {
        QFont font = DialogTemplateFont();
        font.setPixelSize(pixels);
        const QFontMetrics metrics(font);
        const double average = metrics.horizontalAdvance(QStringLiteral(
                                   "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                               52.0;
        const DialogUnits units(font);
        QCOMPARE(units.BaseX(), qRound(average));
        QCOMPARE(units.BaseY(), metrics.height());
        const int bx = units.BaseX();
        const int by = units.BaseY();
        QCOMPARE(units.Rect(7, 139, 113, 10), QRect(qRound(7 * bx / 4.0), qRound(139 * by / 8.0),
                                                    qRound(113 * bx / 4.0), qRound(10 * by / 8.0)));
    }
}

// Labels and check boxes whose text does not fit grow to the right, never past the edge they
// are given; other controls, and texts that fit, keep their template width.
void COptionsDlgTest::cutOffTextsGrowUpToTheRightEdge() {
    QWidget dialog;
    auto* label = new QLabel(QStringLiteral("A label far too long for its template box"), &dialog);
    auto* box = new QCheckBox(QStringLiteral("&Don't show this message again, ever"), &dialog);
    auto* other = new QPushButton(QStringLiteral("A button far too long for its box"), &dialog);
    auto* fits = new QLabel(QStringLiteral("x"), &dialog);
    for (QWidget* control : std::initializer_list<QWidget*>{label, box, other, fits}) {
        control->setGeometry(10, 10, 30, 20);
    }
    const int wide = 10 + label->sizeHint().width() + 100;
    WidenToFitText(*label, wide);
    QCOMPARE(label->width(), label->sizeHint().width());
    WidenToFitText(*box, 60);
    QCOMPARE(box->width(), 50);
    WidenToFitText(*other, wide);
    QCOMPARE(other->width(), 30);
    WidenToFitText(*fits, wide);
    QCOMPARE(fits->width(), 30);
}

}  // namespace perivant

QTEST_MAIN(perivant::COptionsDlgTest)
#include "COptionsDlgTest.moc"
