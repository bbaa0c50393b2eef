#pragma once

class QWidget;

// Makes every menu of the window owner-drawn: its menu bar and drop-down menus now, and every
// menu created later among its descendants (context menus included) before it is first shown.
// Calling it again for the same window changes nothing.
void MenuBeallitas(QWidget* window);
