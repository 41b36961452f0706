#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/CPerivantApp.h"
#include "app/ProcessLimits.h"

int main(int argc, char** argv) {
    perivant::OpenMissingStandardStreams();
    perivant::IgnoreClosedPipes();
    perivant::ReturnLargeBlocksToTheSystem();
    perivant::RaiseOpenFileLimit();
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Perivant"));
    QApplication::setApplicationName(QStringLiteral("Perivant"));

    int result = 1;
    {
        perivant::CPerivantApp theApp;
        if (theApp.InitInstance()) {
            result = QApplication::exec();
        }
        theApp.ExitInstance();
    }
    // Workers may still wait on the network; they hold nothing that needs saving. Leaving
    // without the exit-time destructors ends the process at once and cleanly.
    std::fflush(nullptr);
    std::_Exit(result);
}
