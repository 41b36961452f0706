#include "app/CAboutDlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ProgramIcons.h"
#include "app/QtText.h"
#include "app/WebCommands.h"
#include "env/VersionText.h"
#include "polling/UserPrompts.h"

namespace perivant {

CAboutDlg::CAboutDlg(UserPrompts& prompts, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Perivant"));
    auto* icon = new QLabel(this);
    icon->setPixmap(ProgramIcons::Program().pixmap(48, 48));
    auto* text =
        new QLabel(ToQString("Perivant " + GetVersionText() +
                             "\n\nFinds the Corvane servers that are online, with their sessions, "
                             "players and flight plans."),
                   this);
    text->setObjectName(QStringLiteral("aboutText"));
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addWidget(text, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    QPushButton* home =
        buttons->addButton(QStringLiteral("Perivant &Homepage"), QDialogButtonBox::ActionRole);
    home->setObjectName(QStringLiteral("homepageButton"));
    connect(home, &QPushButton::clicked, this,
            [&prompts] { RunWebCommand(WebCommand::Homepage, prompts); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
}

}  // namespace perivant
