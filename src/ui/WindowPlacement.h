#pragma once

class QWidget;

// Places a top-level window, at its present size, in the middle of the available area of the
// screen it will appear on. A window larger than that area keeps its top-left corner on it,
// so its caption stays in reach. Called before the window is first shown, the position also
// reaches the window manager, which otherwise places the window where it likes.
void CenterOnScreen(QWidget& window);
