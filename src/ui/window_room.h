#pragma once

class QMdiArea;
class QMdiSubWindow;
class QWidget;

// Puts a working window into the main window's area. When the window later needs more room than it
// has (a password frame or an edit panel it shows), it grows to its natural size, so that nothing
// in it is squashed out of sight; a window the operator made larger keeps its size.
QMdiSubWindow* addWorkingWindow(QMdiArea* area, QWidget* window);
