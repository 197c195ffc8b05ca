#include "app/MainFormLayout.h"

#include <array>

namespace main_layout {

namespace {

struct TopButton {
    int left;
    const char* hint;
};
const std::array<TopButton, kTopButtonCount> kTopButtons{{
    {162, "내 폴더에서 사진을 불러옵니다."},
    {377, "처음 선택한 원본사진으로 돌아갑니다. "},
    {449, "증명사진 모양을 만들어 편집할 수  있게 합니다. "},
    {522, "편집 후 증명사진을 완성합니다."},
    {666, "온라인 사진인화 서비스입니다.."},
    {594, "증명사진을 인쇄합니다.   "},
    {306, "사진을 저장합니다."},
    {738, ""},
    {235, "내컴퓨터  연결된 PC 카메라를 이용하여 사진을 찍습니다."},
}};
constexpr int kTopButtonTop = 27;

const std::array<int, kEffectCount> kEffectTops{368, 406, 448, 490, 531, 571};
const std::array<const char*, kEffectCount> kEffectHints{
    "편집하기 위해 잘라낸 사진으로 되돌립니다.", "사진에 뽀샤시 효과를 적용합니다.",
    "사진의 명도/대조/감마를 조절합니다. ",      "사진의 색조와 채도를 조절합니다. ",
    "편집한 사진에 액자를 씌웁니다. ",           "편집한 사진에 글자를 입력 합니다."};

struct ViewButton {
    int left;
    const char* normalHint;
    const char* highlightHint;
};
const std::array<ViewButton, kViewButtonCount> kViewButtons{{
    {257, "실제 크기의 이미지로 보이게 합니다.", "사진을 원본 크기로 봅니다. "},
    {318, "이미지의 폭과 높이를 작업창 크기에 맞춥니다.",
     "사진의 폭과 높이를 작업창 크기에 자동으로 맞춥니다."},
    {377, "기울어진 사진을 회전하여 바르게 합니다.", "기울어진 사진을 회전하여 바르게 합니다."},
}};
constexpr int kViewButtonTop = 77;

const std::array<const char*, kWindowButtonCount> kWindowHints{"숨기기", "종료"};

struct FlowChartImage {
    int left;
    int width;
    const char* hint;
};
const std::array<FlowChartImage, kFlowChartCount> kFlowChart{{
    {152, 51, "사진 \"열기\" 버튼 위치"},
    {315, 63, "\"자르기\" 버튼 위치"},
    {405, 51, "\"편집하기\" 버튼 위치"},
    {478, 59, "\"만들기\" 버튼 위치"},
    {571, 80, "\"인쇄/인화\" 버튼 위치"},
    {225, 74, "\"사진선택\" 버튼 위치"},
}};
constexpr int kFlowChartTop = 655;

} // namespace

QRect topButtonPlace(int n)
{
    const int height = n == kCut || n == kMake ? 46 : 44;
    return QRect(kTopButtons.at(n).left, kTopButtonTop, 71, height);
}

QRect topHighlightPlace(int n)
{
    const int width = n == kAbout ? 73 : 72;
    return QRect(kTopButtons.at(n).left, kTopButtonTop, width, 43);
}

QString topHighlightHint(int n)
{
    return QString::fromUtf8(kTopButtons.at(n).hint);
}

QRect effectPlace(int n)
{
    return QRect(15, kEffectTops.at(n), 147, n == 0 ? 37 : 42);
}

QString effectHighlightHint(int n)
{
    return QString::fromUtf8(kEffectHints.at(n));
}

QRect viewButtonPlace(int n)
{
    return QRect(kViewButtons.at(n).left, kViewButtonTop, 55, 24);
}

QRect viewHighlightPlace(int n)
{
    return QRect(kViewButtons.at(n).left, kViewButtonTop, 57, 24);
}

QString viewButtonHint(int n)
{
    return QString::fromUtf8(kViewButtons.at(n).normalHint);
}

QString viewHighlightHint(int n)
{
    return QString::fromUtf8(kViewButtons.at(n).highlightHint);
}

QRect windowButtonPlace(int n)
{
    return QRect(847 + 27 * n, 6, 23, 24);
}

QString windowHighlightHint(int n)
{
    return QString::fromUtf8(kWindowHints.at(n));
}

QRect photoTypePlace(int n)
{
    return QRect(16, 122 + 35 * n, 147, 31);
}

QString faceFitHint()
{
    return QStringLiteral("사진 속 얼굴을 찾아 자르기 틀을 사진 종류의 기준에 맞춥니다.");
}

QRect flowChartPlace(int n)
{
    return QRect(kFlowChart.at(n).left, kFlowChartTop, kFlowChart.at(n).width, 19);
}

QString flowChartHint(int n)
{
    return QString::fromUtf8(kFlowChart.at(n).hint);
}

} // namespace main_layout
