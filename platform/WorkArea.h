#pragma once

#include "platform/Rect.h"

class QRect;

// The primary screen's available area (the desktop without panels and docks), or 1920 × 1080
// at 0,0 when there is no screen.
TRect primaryWorkArea();

// A Qt rectangle as Left, Top and exclusive Right and Bottom edges.
TRect toTRect(const QRect& rect);
