#include "TestRegistry.h"
#include "TextDialogTestSupport.h"

#include "overlay/TextRendering.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QTest>

using namespace text_dialog_test;

namespace {

const QString kSample = QStringLiteral("누브 NUV");

} // namespace

class TextFontsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }
    void everyOfferedFontDrawsHangulAndLatin();
    void hangulReachesTheMemo_data();
    void hangulReachesTheMemo();
};

void TextFontsTest::everyOfferedFontDrawsHangulAndLatin()
{
    RasterBitmap photo = groundPhoto(100, 60);
    OpenDialog dialog(photo);
    QStringList families{dialog->cbFont->currentText(), QStringLiteral("No Such Face")};
    for (int i = 0; i < dialog->cbFont->count(); ++i)
        families.append(dialog->cbFont->itemText(i));
    QVERIFY(families.size() > 5);
    QVERIFY(families.contains(QStringLiteral("NanumGothic")));

    QStringList boxed;
    for (const QString& family : families) {
        for (const TextStyle style : {TextStyle::Regular, TextStyle::BoldItalic}) {
            if (!drawsEveryCharacter(textFont(family, 15, style, true), kSample))
                boxed.append(family);
        }
    }
    QVERIFY2(boxed.isEmpty(), qPrintable(boxed.join(QStringLiteral(", "))));
}

void TextFontsTest::hangulReachesTheMemo_data()
{
    QTest::addColumn<int>("way");
    QTest::newRow("key events with their Unicode text") << 0;
    QTest::newRow("input method: composing, then committed") << 1;
    QTest::newRow("pasted") << 2;
}

void TextFontsTest::hangulReachesTheMemo()
{
    QFETCH(int, way);

    RasterBitmap photo = groundPhoto(200, 100);
    OpenDialog dialog(photo);
    QPlainTextEdit* memo = dialog->memoText;
    memo->clear();
    memo->setFocus();
    QVERIFY(memo->testAttribute(Qt::WA_InputMethodEnabled));
    const QString typed = QStringLiteral("안녕 소르벨");
    if (way == 0) {
        for (const QChar c : typed)
            QTest::sendKeyEvent(QTest::Click, memo, Qt::Key_unknown, QString(c), Qt::NoModifier);
    } else if (way == 1) {
        QInputMethodEvent composing(QStringLiteral("ㅎ"), {});
        QCoreApplication::sendEvent(memo, &composing);
        QInputMethodEvent committed;
        committed.setCommitString(typed);
        QCoreApplication::sendEvent(memo, &committed);
    } else {
        QApplication::clipboard()->setText(typed);
        memo->paste();
    }
    QCOMPARE(memo->toPlainText(), typed);
    QCOMPARE(dialog->memoLines(), QStringList{typed});
    dialog->TimerTimer();
    QVERIFY(inkBounds(dialog.preview()).isValid());
}

REGISTER_TEST(TextFontsTest);
#include "tst_TextFonts.moc"
