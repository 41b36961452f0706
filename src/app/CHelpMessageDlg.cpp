#include "app/CHelpMessageDlg.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "app/QtText.h"
#include "app/RunModal.h"
#include "dialogs/DialogUnits.h"

namespace perivant {

namespace {

// Dialog units scale by the font's average character width and its height; the platform takes
// the average of the 52 letters, rounded, and MulDiv rounding for every coordinate.
int MulDiv(int value, int numerator, int denominator) {
    long long product = static_cast<long long>(value) * numerator;
    long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : (product - half) / denominator);
}

}  // namespace

CHelpMessageDlg::CHelpMessageDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Perivant"));
    setModal(true);
    // The template's font, as the other dialogs have theirs; the layout is in its units.
    setFont(DialogTemplateFont());

    m_message = new QLabel(this);
    // Messages carry line feeds and may quote server texts: never read them as markup.
    m_message->setTextFormat(Qt::PlainText);
    m_message->setWordWrap(true);
    m_message->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_dontShow = new QCheckBox(QStringLiteral("&Don't show this message again"), this);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setDefault(true);
    m_ok->setAutoDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    // The focus goes where the platform puts it: the first control that takes it.
    LayOut();
}

QRect CHelpMessageDlg::MapDialogRect(int x, int y, int width, int height) const {
    QFontMetrics metrics(font());
    int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    int baseX = (letters / 26 + 1) / 2;
    int baseY = metrics.height();
    // Corners convert separately, as the platform converts a rectangle.
    int left = MulDiv(x, baseX, 4);
    int top = MulDiv(y, baseY, 8);
    int right = MulDiv(x + width, baseX, 4);
    int bottom = MulDiv(y + height, baseY, 8);
    return QRect(left, top, right - left, bottom - top);
}

void CHelpMessageDlg::LayOut() {
    QRect client = MapDialogRect(0, 0, kWidthDu, kHeightDu);
    setFixedSize(client.size());
    // The text area clips what does not fit: 15 lines of the dialog font.
    m_message->setGeometry(MapDialogRect(7, 7, 280, 122));
    m_dontShow->setGeometry(MapDialogRect(7, 139, 113, 10));
    WidenToFitText(*m_dontShow, MapDialogRect(0, 0, kWidthDu - kTemplateMargin, 0).width());
    m_ok->setGeometry(MapDialogRect(123, 155, 50, 14));
}

void CHelpMessageDlg::FitMessage() {
    LayOut();
    // The messages were written to fit 15 lines of the template's font. Where the font that
    // stands in for it wraps them into more lines, the area grows (up to twice its height)
    // rather than cut off their last lines, and the controls below move down with it.
    const QRect area = m_message->geometry();
    const int needed = std::min(m_message->heightForWidth(area.width()), 2 * area.height());
    const int extra = needed - area.height();
    if (extra <= 0) {
        return;
    }
    m_message->resize(area.width(), needed);
    m_dontShow->move(m_dontShow->x(), m_dontShow->y() + extra);
    m_ok->move(m_ok->x(), m_ok->y() + extra);
    setFixedSize(width(), height() + extra);
}

void CHelpMessageDlg::InitDialog() {
    m_message->setText(ToQString(m_strMessage));
    FitMessage();
    m_dontShow->setChecked(m_bDontShowAgain);
    m_dontShow->setEnabled(m_bAllowDontShow);
}

int CHelpMessageDlg::DoModal() {
    InitDialog();
    return RunModal(*this) == QDialog::Accepted ? kIdOk : kIdCancel;
}

void CHelpMessageDlg::done(int result) {
    // Only OK takes the box's state; Escape and the close box leave the member as it was.
    if (result == QDialog::Accepted) {
        m_bDontShowAgain = m_dontShow->isChecked();
    }
    QDialog::done(result);
}

}  // namespace perivant
