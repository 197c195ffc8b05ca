#pragma once

#include <QFont>
#include <QString>

// The program's name and faces, named once for every window.

// The caption of every message box of the program.
QString programCaption();

// The windows' font: 굴림 9 point (see installFontSubstitutions).
QFont windowFont();

// The crop frame's size label: a real bold face at 10 point, so it never falls back to
// a thin synthetic bold.
QFont frameLabelFont();

// A note's plain text as rich text that keeps its spaces and line breaks and draws each
// "☞" from a face whose hand is full size (NanumGothic's is a small, light outline).
QString noteRichText(const QString& plainText);

// Maps the classic Korean system faces the windows ask for to fonts that ship with the
// system, so Hangul never shows as boxes.
void installFontSubstitutions();
