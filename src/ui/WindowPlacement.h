#pragma once

class QWidget;

// Places a top-level window, at its present size, in the middle of the available area of the
// screen it will appear on. A window larger than that area keeps its top-left corner on it,
// so its caption stays in reach. Called before the window is first shown, the position also
// reaches the window manager, which otherwise places the window where it likes.
void CenterOnScreen(QWidget& window);

// Places a window, at its present size, with its middle over the middle of `owner`, kept on
// the available area of the owner's screen.
void CenterOver(QWidget& window, const QWidget& owner);
