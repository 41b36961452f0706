#pragma once

#include <QIcon>

namespace perivant {

// Icons drawn by the program itself: nothing is loaded from image files.
class ProgramIcons {
public:
    static QIcon Program();
    static QIcon Refresh();
    static QIcon RefreshSelected();
    static QIcon Options();
    static QIcon Filter();
};

}  // namespace perivant
