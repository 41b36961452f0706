#pragma once

#include <QDialog>

namespace perivant {

class UserPrompts;

// The About box: the program's name and version, and a button to its homepage.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    CAboutDlg(UserPrompts& prompts, QWidget* parent = nullptr);
};

}  // namespace perivant
