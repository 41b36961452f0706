#include "views/CServerInfoView.h"

#include <algorithm>

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QTextEdit>

#include "app/AppSettings.h"
#include "app/HelpMessages.h"
#include "app/PlainMessageBox.h"
#include "app/QtText.h"
#include "app/WebBrowser.h"
#include "polling/UserPrompts.h"
#include "views/ClipboardHelpText.h"
#include "views/CopyTextToClipboard.h"
#include "views/DetailPaneRules.h"
#include "views/ExactCopyTextEdit.h"

namespace perivant {

namespace {

// Longer runs without a break make word wrapping slow; no real word comes near it.
constexpr qsizetype kLongestWordWrapped = 2000;

// The longest run of characters between two places where word wrapping may break a line. Only
// blanks and line ends count: a no-break space is no such place.
qsizetype LongestUnbrokenRun(const QString& text) {
    qsizetype longest = 0;
    qsizetype run = 0;
    for (QChar c : text) {
        const bool breaks = c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' ||
                            c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
        run = breaks ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    return longest;
}

// The edit control that has the keyboard focus, whichever kind it is, or nothing.
struct FocusedEdit {
    QLineEdit* line = nullptr;
    QPlainTextEdit* plain = nullptr;
    QTextEdit* rich = nullptr;

    static FocusedEdit Find() {
        QWidget* focus = QApplication::focusWidget();
        FocusedEdit edit;
        if (focus == nullptr) {
            return edit;
        }
        edit.line = qobject_cast<QLineEdit*>(focus);
        edit.plain = qobject_cast<QPlainTextEdit*>(focus);
        edit.rich = qobject_cast<QTextEdit*>(focus);
        return edit;
    }
    bool IsEdit() const { return line != nullptr || plain != nullptr || rich != nullptr; }
    bool HasSelection() const {
        if (line != nullptr) {
            return line->hasSelectedText();
        }
        if (plain != nullptr) {
            return plain->textCursor().hasSelection();
        }
        return rich != nullptr && rich->textCursor().hasSelection();
    }
    bool IsReadOnly() const {
        if (line != nullptr) {
            return line->isReadOnly();
        }
        if (plain != nullptr) {
            return plain->isReadOnly();
        }
        return rich == nullptr || rich->isReadOnly();
    }
    void Copy() const {
        if (line != nullptr) {
            line->copy();
        } else if (plain != nullptr) {
            plain->copy();
        } else if (rich != nullptr) {
            rich->copy();
        }
    }
    // A read-only edit gives its selection to the clipboard and keeps it.
    void Cut() const {
        if (IsReadOnly()) {
            Copy();
        } else if (line != nullptr) {
            line->cut();
        } else if (plain != nullptr) {
            plain->cut();
        } else if (rich != nullptr) {
            rich->cut();
        }
    }
    void Paste() const {
        if (line != nullptr) {
            line->paste();
        } else if (plain != nullptr) {
            plain->paste();
        } else if (rich != nullptr) {
            rich->paste();
        }
    }
};

bool ClipboardHasText() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    return data != nullptr && data->hasText();
}

QRect ToQRect(const ControlRect& rect) {
    return QRect(rect.x, rect.y, rect.width, rect.height);
}

}  // namespace

CServerInfoView::CServerInfoView(AppSettings& settings, ProfileStore& store,
                                 HelpMessageRunner& runner, QWidget* parent)
    : QWidget(parent), m_settings(settings), m_store(store), m_runner(runner) {
    SetWebOpener(nullptr);
    SetMessageReporter(nullptr);
    SetClipboardWriter(nullptr);

    // The form's own font; its base units place every control.
    QFont dialogFont(QStringLiteral("MS Sans Serif"), 8);
    dialogFont.setStyleHint(QFont::SansSerif);
    setFont(dialogFont);

    m_commentsLabel = new QLabel(QStringLiteral("&Session Comments:"), this);
    m_comments = new ExactCopyTextEdit(this);
    m_comments->setReadOnly(true);
    // A read-only edit still lets the keyboard select, so Copy works without a mouse.
    m_comments->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_comments->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_comments->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_comments->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_comments->setTabChangesFocus(true);
    m_commentsLabel->setBuddy(m_comments);

    m_addressLabel = new QLabel(QStringLiteral("&IP Address:"), this);
    m_address = new QLineEdit(this);
    m_address->setReadOnly(true);
    m_addressLabel->setBuddy(m_address);

    m_copyButton = new QPushButton(QStringLiteral("&Copy to clipboard"), this);
    m_webSiteButton = new QPushButton(QStringLiteral("&Web Site"), this);
    m_hostPageButton = new QPushButton(QStringLiteral("&Corvane Page"), this);
    m_webSiteButton->setDefault(true);
    m_hostPageButton->setDefault(true);
    m_copyButton->setEnabled(false);
    m_webSiteButton->setEnabled(false);
    m_hostPageButton->setEnabled(false);

    setTabOrder(m_comments, m_address);
    setTabOrder(m_address, m_copyButton);
    setTabOrder(m_copyButton, m_webSiteButton);
    setTabOrder(m_webSiteButton, m_hostPageButton);

    connect(m_copyButton, &QPushButton::clicked, this, &CServerInfoView::OnCopyToClipboard);
    connect(m_webSiteButton, &QPushButton::clicked, this, &CServerInfoView::OnWebSite);
    connect(m_hostPageButton, &QPushButton::clicked, this, &CServerInfoView::OnCorvanePage);

    PlaceFormControls();

    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now != nullptr && isAncestorOf(now)) {
            m_lastFocus = now;
        }
    });
}

QWidget* CServerInfoView::Control(InfoControl control) const {
    switch (control) {
        case InfoControl::CommentsLabel:
            return m_commentsLabel;
        case InfoControl::Comments:
            return m_comments;
        case InfoControl::AddressLabel:
            return m_addressLabel;
        case InfoControl::Address:
            return m_address;
        case InfoControl::CopyButton:
            return m_copyButton;
        case InfoControl::WebSiteButton:
            return m_webSiteButton;
        case InfoControl::HostPageButton:
            return m_hostPageButton;
    }
    return nullptr;
}

void CServerInfoView::PlaceFormControls() {
    QFontMetrics metrics(font());
    DialogBaseUnits base = DialogBaseUnitsFromFont(
        metrics.horizontalAdvance(
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")),
        metrics.height());
    const InfoControlRects& units = ServerInfoFormUnits();
    for (std::size_t i = 0; i < kInfoControlCount; ++i) {
        Control(static_cast<InfoControl>(i))
            ->setGeometry(ToQRect(DialogUnitsToPixels(units[i], base)));
    }
}

InfoControlRects CServerInfoView::ControlRects() const {
    InfoControlRects rects;
    for (std::size_t i = 0; i < kInfoControlCount; ++i) {
        QRect geometry = Control(static_cast<InfoControl>(i))->geometry();
        rects[i] = ControlRect{geometry.x(), geometry.y(), geometry.width(), geometry.height()};
    }
    return rects;
}

void CServerInfoView::ShowServerDetails(const ServerInfo& info) {
    const QString comments =
        ToQString(EditTextAsLines(SessionCommentsEditText(info.SessionComments)));
    // Fitting a run without a break to the width tries every break point of the run again for
    // each line: a long one from a server held this thread for seconds to minutes. Such a run
    // wraps anywhere either way; the rest of that text then does too.
    // Emptied first: a new mode lays out the text already there again, the last server's.
    m_comments->clear();
    m_comments->setWordWrapMode(LongestUnbrokenRun(comments) > kLongestWordWrapped
                                    ? QTextOption::WrapAnywhere
                                    : QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_comments->setPlainText(comments);

    // Only a web address reaches the browser: the text comes from the server.
    m_webSiteAddress = perivant::WebSiteAddress(info.ServerURL);
    m_webSiteButton->setEnabled(IsWebAddress(m_webSiteAddress));

    m_hostPageAddress = perivant::HostPageAddress(info.Address, info.Port);
    m_hostPageButton->setEnabled(IsWebAddress(m_hostPageAddress));

    m_copyButton->setEnabled(true);

    m_address->setText(ToQString(info.Address));
    m_address->setCursorPosition(0);
}

void CServerInfoView::ShowServerDetails(const ServerPtr& record) {
    if (!record) {
        ClearServerDetails();
        return;
    }
    std::shared_ptr<const ServerInfo> info = record->Info();
    ShowServerDetails(*info);
}

void CServerInfoView::ClearServerDetails() {
    m_comments->setPlainText(QString());
    m_webSiteAddress.clear();
    m_webSiteButton->setEnabled(false);
    m_hostPageAddress.clear();
    m_hostPageButton->setEnabled(false);
    m_copyButton->setEnabled(false);
    m_address->setText(QString());
}

void CServerInfoView::OnSize(int cx, int cy) {
    if (m_settings.WindowReady) {
        m_settings.ServerInfoViewWidth = cx;
        m_settings.ServerInfoViewHeight = cy;
    }
    if (m_comments == nullptr) {
        return;
    }
    InfoControlRects placed = ServerInfoLayout(ControlRects(), cx, cy);
    for (std::size_t i = 0; i < kInfoControlCount; ++i) {
        Control(static_cast<InfoControl>(i))->setGeometry(ToQRect(placed[i]));
    }
}

void CServerInfoView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    OnSize(event->size().width(), event->size().height());
}

void CServerInfoView::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    // The pane itself takes no keys: as a form does, it hands the focus (the pane keys move it
    // here) to the control that had it last, else to the first one.
    QWidget* control =
        m_lastFocus != nullptr && m_lastFocus->isEnabled() && m_lastFocus->isVisible()
            ? m_lastFocus.data()
            : m_comments;
    control->setFocus(event->reason());
}

void CServerInfoView::SetWebOpener(WebOpener opener) {
    if (!opener) {
        opener = OpenInBrowser;
    }
    m_webOpener = std::move(opener);
}

void CServerInfoView::SetMessageReporter(MessageReporter reporter) {
    if (!reporter) {
        reporter = [this](const std::string& text) { PlainMessageBox::Show(text, this); };
    }
    m_messageReporter = std::move(reporter);
}

void CServerInfoView::SetClipboardWriter(ClipboardWriter writer) {
    m_clipboardWriter = writer ? std::move(writer) : ClipboardWriter(CopyTextToClipboard);
}

void CServerInfoView::OpenWebAddress(const std::string& url) {
    if (IsWebAddress(url)) {
        m_webOpener(url);
    }
}

void CServerInfoView::OnWebSite() {
    OpenWebAddress(m_webSiteAddress);
}

void CServerInfoView::OnCorvanePage() {
    OpenWebAddress(m_hostPageAddress);
}

void CServerInfoView::OnCopyToClipboard() {
    std::string address = FromQString(m_address->text());
    if (m_clipboardWriter(address)) {
        ShowHelpMessageOnce(m_store, kHideClipboardMsg, ClipboardHelpText(address), false,
                            m_runner);
    } else {
        m_messageReporter(kClipboardErrorText);
    }
}

bool CServerInfoView::canCopy() const {
    FocusedEdit edit = FocusedEdit::Find();
    return edit.IsEdit() && edit.HasSelection();
}

bool CServerInfoView::canCut() const {
    return canCopy();
}

bool CServerInfoView::canPaste() const {
    FocusedEdit edit = FocusedEdit::Find();
    return edit.IsEdit() && !edit.IsReadOnly() && ClipboardHasText();
}

void CServerInfoView::copy() {
    if (canCopy()) {
        FocusedEdit::Find().Copy();
    }
}

void CServerInfoView::cut() {
    if (canCut()) {
        FocusedEdit::Find().Cut();
    }
}

void CServerInfoView::paste() {
    if (canPaste()) {
        FocusedEdit::Find().Paste();
    }
}

}  // namespace perivant
