#pragma once

#include <QDialog>
#include <QString>
#include <map>
#include <memory>
#include <span>

class QShowEvent;

namespace perivant {

class UserPrompts;

// A dialog built from a template: its controls in tab order, each placed in dialog units of the
// template font and found by its number. The values the caller set reach the controls each time
// the dialog opens (`OnInitDialog`), as the caller sets them after construction.
class TemplateDialog : public QDialog {
    Q_OBJECT
public:
    enum class Kind { Label, Edit, CheckBox, Button, DefaultButton };
    struct ControlTemplate {
        int id;
        Kind kind;
        const char* text;
        int x, y, cx, cy;
    };
    // The number of a label that no code looks up.
    static constexpr int kStatic = -1;

    QWidget* GetDlgItem(int id) const;
    void done(int result) override;

protected:
    // Messages go through prompts, or through message boxes owned by the dialog when none is
    // given.
    TemplateDialog(QWidget* parent, UserPrompts* prompts, const QString& title);
    ~TemplateDialog() override;

    // Makes the controls and gives the dialog its fixed size, both in dialog units.
    void CreateControls(std::span<const ControlTemplate> controls, int width, int height);
    virtual void OnInitDialog() = 0;
    void showEvent(QShowEvent* event) override;

    // Whether the controls hold the values of this opening.
    bool Initialised() const { return m_initialised; }
    UserPrompts& Prompts() const { return *m_prompts; }

private:
    UserPrompts* m_prompts;
    std::unique_ptr<UserPrompts> m_ownPrompts;
    std::map<int, QWidget*> m_controls;
    bool m_initialised = false;
};

}  // namespace perivant
