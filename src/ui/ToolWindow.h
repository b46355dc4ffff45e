#pragma once

class QWidget;

namespace zel {

/// Makes \a window a tool window of the program: kept above the other windows (only a
/// hint on Wayland), with a close button only in its title bar, and not keeping the
/// program alive once the main window has closed.
void makeToolWindow(QWidget &window);

/// Shows \a window when hidden and brings it to the front.
void showToolWindow(QWidget &window);

/// Moves \a window to the middle of the screen it is on (the primary screen before it was
/// ever shown).
void centreOnScreen(QWidget &window);

} // namespace zel
