#pragma once

#include <string>

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace perivant {

// A help message with a "Don't show this message again" box, laid out as dialog 143 in dialog
// units of its own font. It lives for one modal run: set the members, call DoModal, read
// m_bDontShowAgain when it returned kIdOk.
class CHelpMessageDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kIdOk = 1;
    static constexpr int kIdCancel = 2;

    // Dialog units of the layout.
    static constexpr int kWidthDu = 294;
    static constexpr int kHeightDu = 175;

    explicit CHelpMessageDlg(QWidget* parent = nullptr);

    bool m_bAllowDontShow = true;  // false greys the box
    bool m_bDontShowAgain = false;
    std::string m_strMessage;  // Windows-1252

    // Copies the members into the controls, runs the dialog, and copies the box back when OK
    // ended it. kIdOk for OK; kIdCancel for Escape or the close box.
    int DoModal();

    // Pixels for dialog units of this dialog's font, rounded as the platform rounds.
    QRect MapDialogRect(int x, int y, int width, int height) const;

    QLabel* MessageLabel() const { return m_message; }
    QCheckBox* DontShowCheckBox() const { return m_dontShow; }
    QPushButton* OkButton() const { return m_ok; }

protected:
    void done(int result) override;

private:
    void InitDialog();
    void LayOut();
    void FitMessage();

    QLabel* m_message = nullptr;
    QCheckBox* m_dontShow = nullptr;
    QPushButton* m_ok = nullptr;
};

}  // namespace perivant
