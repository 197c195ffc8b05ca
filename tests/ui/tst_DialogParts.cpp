#include "TestRegistry.h"

#include "ui/DialogParts.h"
#include "ui/WindowLook.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QWidget>

class DialogPartsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void labelTextFits_data();
    void labelTextFits();
    void labelFitIsUndoneByShorterText();
    void noteKeepsItsText_data();
    void noteKeepsItsText();
    void facesCarryTheirGlyphs();
    void okCancelPair();
};

void DialogPartsTest::initTestCase()
{
    installFontSubstitutions();
}

void DialogPartsTest::labelTextFits_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("smaller");
    QTest::addColumn<bool>("elided");

    QTest::newRow("short type") << QStringLiteral("증명사진 - 2.5 * 3 Cm") << 128 << false << false;
    QTest::newRow("widest custom size")
        << QStringLiteral("자유지정 - 9.99 * 7.99 Cm") << 128 << true << false;
    QTest::newRow("far too long") << QStringLiteral("자유지정 - 9.99 * 7.99 Cm") << 40 << true
                                  << true;
}

void DialogPartsTest::labelTextFits()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(bool, smaller);
    QFETCH(bool, elided);

    QWidget window;
    window.setFont(windowFont());
    auto* label = new QLabel(&window);
    label->setGeometry(0, 0, width, 24);
    fitLabelText(label, text);

    QVERIFY(QFontMetrics(label->font()).horizontalAdvance(label->text()) <= width);
    QCOMPARE(label->font().pointSizeF() < window.font().pointSizeF(), smaller);
    QCOMPARE(label->text() != text, elided);
}

void DialogPartsTest::labelFitIsUndoneByShorterText()
{
    QWidget window;
    window.setFont(windowFont());
    auto* label = new QLabel(&window);
    label->setGeometry(0, 0, 128, 24);
    fitLabelText(label, QStringLiteral("자유지정 - 9.99 * 7.99 Cm"));
    fitLabelText(label, QStringLiteral("여권 - 3.5 * 4.5 Cm"));
    QCOMPARE(label->font().pointSizeF(), window.font().pointSizeF());
}

void DialogPartsTest::noteKeepsItsText_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("trailing spaces") << QStringLiteral("☞ 100 Pixel -> 1 cm   ");
    QTest::newRow("inner spaces and markup characters")
        << QStringLiteral("☞ 폭 (200 ~ 999 Pixel),  높이( 200~799 Pixel) <b>&amp;");
    QTest::newRow("blank lines and indents")
        << QStringLiteral("☞ 사진속의 얼굴 \n\n     효과를 적용시켜\n\n     기능을 이용하여");
}

void DialogPartsTest::noteKeepsItsText()
{
    QFETCH(QString, text);

    QWidget window;
    QLabel* note = makeNote(&window, text, QPoint(12, 72));
    QTextDocument document;
    document.setHtml(note->text());
    QCOMPARE(document.toPlainText(), text);
    QCOMPARE(note->pos(), QPoint(12, 72));
    QVERIFY(note->width() >=
            QFontMetrics(note->font()).horizontalAdvance(text.section(u'\n', 0, 0)));
}

// The frame label needs a real bold face, and the notes a face whose "☞" is full size;
// both come from packages the install script installs.
void DialogPartsTest::facesCarryTheirGlyphs()
{
    const QFontInfo label(frameLabelFont());
    QCOMPARE(label.family(), QStringLiteral("NanumGothic"));
    QVERIFY(label.weight() >= QFont::Bold);
    QCOMPARE(QFontInfo(windowFont()).family(), QStringLiteral("NanumGothic"));

    QTextDocument document;
    document.setHtml(noteRichText(QStringLiteral("☞")));
    const QFont hand = document.begin().begin().fragment().charFormat().font();
    QCOMPARE(QFontInfo(hand).family(), QStringLiteral("DejaVu Sans"));
    QVERIFY(QFontMetrics(hand).inFont(QChar(0x261E)));
}

void DialogPartsTest::okCancelPair()
{
    QWidget window;
    const OkCancelButtons edit = makeOkCancelButtons(&window, QPoint(219, 296), QPoint(315, 296));
    QCOMPARE(edit.ok->text(), QStringLiteral("확  인"));
    QCOMPARE(edit.cancel->text(), QStringLiteral("취  소"));
    QCOMPARE(edit.ok->geometry(), QRect(219, 296, 75, 25));
    QCOMPARE(edit.cancel->geometry(), QRect(315, 296, 75, 25));
    QVERIFY(edit.ok->font().bold());
    QVERIFY(edit.ok->isDefault());
    QVERIFY(!edit.cancel->isDefault());

    const OkCancelButtons plain =
        makeOkCancelButtons(&window, QPoint(144, 139), QPoint(228, 139), QSize(75, 26),
                            {QStringLiteral("확인"), QStringLiteral("취소"), false});
    QCOMPARE(plain.ok->text(), QStringLiteral("확인"));
    QCOMPARE(plain.cancel->geometry(), QRect(228, 139, 75, 26));
    QVERIFY(!plain.ok->font().bold());
    QVERIFY(plain.ok->isDefault());
}

REGISTER_TEST(DialogPartsTest);
#include "tst_DialogParts.moc"
