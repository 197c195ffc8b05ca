#include "ui/WindowLook.h"

namespace {

const QString kWindowFace = QStringLiteral("굴림");
const QString kHangulFace = QStringLiteral("NanumGothic");
const QString kPointingHandFace = QStringLiteral("DejaVu Sans");

} // namespace

QString programCaption()
{
    return QStringLiteral("Nuv Sorvel");
}

QFont windowFont()
{
    return QFont(kWindowFace, 9);
}

QFont frameLabelFont()
{
    QFont font(kHangulFace, 10);
    font.setBold(true);
    return font;
}

QString noteRichText(const QString& plainText)
{
    QString html = plainText.toHtmlEscaped();
    html.replace(u'\n', QStringLiteral("<br>"));
    html.replace(QStringLiteral("☞"),
                 QStringLiteral("<span style=\"font-family: '%1'; font-weight: bold\">☞</span>")
                     .arg(kPointingHandFace));
    return QStringLiteral("<div style=\"white-space: pre\">%1</div>").arg(html);
}

void installFontSubstitutions()
{
    QFont::insertSubstitution(kWindowFace, kHangulFace);
    QFont::insertSubstitution(QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue"));
}
