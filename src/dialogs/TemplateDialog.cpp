#include "dialogs/TemplateDialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include "app/QtUserPrompts.h"
#include "dialogs/DialogUnits.h"

namespace perivant {

TemplateDialog::TemplateDialog(QWidget* parent, UserPrompts* prompts, const QString& title)
    : QDialog(parent), m_prompts(prompts) {
    if (m_prompts == nullptr) {
        m_ownPrompts = std::make_unique<QtUserPrompts>(this);
        m_prompts = m_ownPrompts.get();
    }
    setWindowTitle(title);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(DialogTemplateFont());
}

TemplateDialog::~TemplateDialog() = default;

void TemplateDialog::CreateControls(std::span<const ControlTemplate> controls, int width,
                                    int height) {
    DialogUnits units(font());
    setFixedSize(units.Size(width, height));
    QLabel* pendingBuddy = nullptr;  // a label's mnemonic moves to the control after it
    for (const ControlTemplate& t : controls) {
        QString text = QString::fromLatin1(t.text);
        QWidget* control = nullptr;
        switch (t.kind) {
            case Kind::Label: {
                auto* label = new QLabel(text, this);
                if (text.contains(QLatin1Char('&'))) {
                    pendingBuddy = label;
                }
                control = label;
                break;
            }
            case Kind::Edit:
                control = new QLineEdit(this);
                break;
            case Kind::CheckBox:
                control = new QCheckBox(text, this);
                break;
            case Kind::Button:
            case Kind::DefaultButton: {
                auto* button = new QPushButton(text, this);
                button->setDefault(t.kind == Kind::DefaultButton);
                control = button;
                break;
            }
        }
        if (t.kind != Kind::Label && pendingBuddy != nullptr) {
            pendingBuddy->setBuddy(control);
            pendingBuddy = nullptr;
        }
        control->setGeometry(units.Rect(t.x, t.y, t.cx, t.cy));
        WidenToFitText(*control, units.X(width - kTemplateMargin));
        if (t.id != kStatic) {
            m_controls[t.id] = control;
        }
    }
}

QWidget* TemplateDialog::GetDlgItem(int id) const {
    auto found = m_controls.find(id);
    return found == m_controls.end() ? nullptr : found->second;
}

void TemplateDialog::showEvent(QShowEvent* event) {
    if (!m_initialised) {
        m_initialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void TemplateDialog::done(int result) {
    // The next opening takes the caller's values afresh.
    m_initialised = false;
    QDialog::done(result);
}

}  // namespace perivant
