#pragma once

#include <QString>

// Limits of a custom photo size in pixels.
inline constexpr int kCanvasMinWidth = 200;
inline constexpr int kCanvasMaxWidth = 999;
inline constexpr int kCanvasMinHeight = 200;
inline constexpr int kCanvasMaxHeight = 799;

// Whether a typed character reaches the size edits: control characters (DEL too), space
// and digits do; everything else above 32 is dropped.
bool canvasKeyAccepted(QChar c);
// The edit's number, or 0 when the text is not a number.
int canvasValue(const QString& text);

enum class CanvasCheck { Ok, BadWidth, BadHeight };
// Width is checked before height.
CanvasCheck checkCanvasSize(int width, int height);
// The message that refuses a check result (empty for Ok).
QString canvasCheckMessage(CanvasCheck check);
