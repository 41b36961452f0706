#pragma once

class QDialog;

namespace perivant {

// Runs the dialog modally and returns its result. When it closes and no window of the program
// is active, the window that was active before it is activated again: a window manager would
// do that, but without one the keyboard reaches no window until the user clicks one.
int RunModal(QDialog& dialog);

}  // namespace perivant
