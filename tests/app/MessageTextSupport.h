#pragma once

#include <QString>

// The main window's refusals, spelled out as the user reads them.
namespace message_text {

inline const QString kTypeLocked =
    QStringLiteral("\"사진종류를 다시 선택\" 하려면 \"원본버튼\"을 클릭하십시오.");
inline const QString kRotateLocked = QStringLiteral("\"원본에서만 사진을 회전할 수 있습니다.");
inline const QString kCutFirst = QStringLiteral("먼저 \"자르기\"를 하십시오.");
inline const QString kEditAfterMake =
    QStringLiteral("\"만들기\"를 한 후에는 \"편집\"을 할 수 없습니다.");
inline const QString kChooseType = QStringLiteral("사진종류를 선택하십시오.");
inline const QString kNothingMade = QStringLiteral("만든 사진이 없습니다.");
inline const QString kNothingToSave = QStringLiteral("저장할 이미지가 존재하지 않습니다.");
inline const QString kCannotSave = QStringLiteral("이미지를 저장할 수 없습니다.");

} // namespace message_text
