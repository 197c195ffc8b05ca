#include "RecordingMessageSink.h"
#include "TestRegistry.h"

#include "app/CanvasSize.h"
#include "app/FrmDefineCanvas.h"
#include "ui/UpDownButton.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

namespace {

const QString kWidthMessage =
    QStringLiteral("폭의 값이 너무 크거나 혹은 너무 작습니다. (예) 200~999 Pixel");
const QString kHeightMessage =
    QStringLiteral("높이의 값이 너무 크거나 혹은 너무 작습니다. (예) 200~799 Pixel");

} // namespace

class DefineCanvasTest : public QObject {
    Q_OBJECT
private slots:
    void typing_data();
    void typing();
    void values_data();
    void values();
    void okValidates_data();
    void okValidates();
    void upDownsClampAndStep_data();
    void upDownsClampAndStep();
    void cancelCloses();
};

void DefineCanvasTest::typing_data()
{
    QTest::addColumn<QString>("start"); // the edit's text, with the cursor before it
    QTest::addColumn<QString>("keys");  // \b is Backspace, \x7f Delete (its text on X11)
    QTest::addColumn<QString>("text");
    QTest::newRow("digits") << ""
                            << "250"
                            << "250";
    QTest::newRow("letters dropped") << ""
                                     << "2a5Z0"
                                     << "250";
    QTest::newRow("Hangul dropped") << "" << QStringLiteral("3가0냐0") << "300";
    QTest::newRow("punctuation dropped") << ""
                                         << "-2.5+"
                                         << "25";
    QTest::newRow("space passes, then the length limit") << ""
                                                         << "25 0"
                                                         << "25 ";
    QTest::newRow("backspace erases") << ""
                                      << "25\b0"
                                      << "20";
    QTest::newRow("delete removes the next digit") << "250"
                                                   << "\x7f"
                                                      "1"
                                                   << "150";
}

void DefineCanvasTest::typing()
{
    QFETCH(QString, start);
    QFETCH(QString, keys);
    QFETCH(QString, text);
    TDefineCanvasForm dialog;
    for (QLineEdit* edit : {dialog.edtWidth, dialog.edtHeight}) {
        edit->setText(start);
        edit->setCursorPosition(0);
        for (QChar c : keys) {
            const Qt::Key key = c == u'\x7f' ? Qt::Key_Delete
                                : c == u'\b' ? Qt::Key_Backspace
                                             : Qt::Key_unknown;
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
            QApplication::sendEvent(edit, &press);
        }
        QCOMPARE(edit->text(), text);
    }
}

void DefineCanvasTest::values_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("number") << "250" << 250;
    QTest::newRow("leading blank") << " 25" << 25;
    QTest::newRow("trailing blank is no number") << "25 " << 0;
    QTest::newRow("inner blank is no number") << "25 0" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("letters") << "abc" << 0;
    QTest::newRow("sign") << "-5" << -5;
    QTest::newRow("too large for an int") << "99999999999" << 0;
}

void DefineCanvasTest::values()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(canvasValue(text), value);
}

void DefineCanvasTest::okValidates_data()
{
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("height");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::newRow("smallest") << "200"
                              << "200" << QString() << QString();
    QTest::newRow("largest") << "999"
                             << "799" << QString() << QString();
    QTest::newRow("narrow") << "199"
                            << "500" << kWidthMessage << "edtWidth";
    QTest::newRow("empty width") << ""
                                 << "500" << kWidthMessage << "edtWidth";
    QTest::newRow("width not a number") << "25 "
                                        << "300" << kWidthMessage << "edtWidth";
    QTest::newRow("too high") << "500"
                              << "800" << kHeightMessage << "edtHeight";
    QTest::newRow("too low") << "500"
                             << "199" << kHeightMessage << "edtHeight";
    QTest::newRow("both wrong: width first") << "100"
                                             << "100" << kWidthMessage << "edtWidth";
}

void DefineCanvasTest::okValidates()
{
    QFETCH(QString, width);
    QFETCH(QString, height);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    RecordingMessageSink messages;
    TDefineCanvasForm dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(QApplication::focusWidget(), dialog.edtWidth);
    dialog.edtWidth->setText(width);
    dialog.edtHeight->setText(height);
    // Start from the other edit so the move of the focus shows.
    (focus == "edtWidth" ? dialog.edtHeight : dialog.edtWidth)->setFocus();

    dialog.btnOKClick();

    if (message.isEmpty()) {
        QVERIFY(messages.messages.isEmpty());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());
        return;
    }
    QCOMPARE(messages.messages.size(), 1);
    QCOMPARE(messages.messages.first().first, QStringLiteral("Nuv Sorvel"));
    QCOMPARE(messages.messages.first().second, message);
    QVERIFY(dialog.isVisible());
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
}

void DefineCanvasTest::upDownsClampAndStep_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("widthText");
    QTest::addColumn<QString>("heightText");
    QTest::newRow("business card type") << 500 << 700 << "500"
                                        << "700";
    QTest::newRow("ID photo type") << 250 << 300 << "250"
                                   << "300";
    QTest::newRow("clamped up") << 0 << 150 << "200"
                                << "200";
    QTest::newRow("clamped down") << 1200 << 999 << "999"
                                  << "799";
}

void DefineCanvasTest::upDownsClampAndStep()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QString, widthText);
    QFETCH(QString, heightText);
    TDefineCanvasForm dialog;
    dialog.UpDownValue1->setPosition(width);
    dialog.UpDownValue2->setPosition(height);
    QCOMPARE(dialog.edtWidth->text(), widthText);
    QCOMPARE(dialog.edtHeight->text(), heightText);

    // An arrow steps from what is typed in the edit, within the range.
    dialog.edtWidth->setText(QStringLiteral("998"));
    dialog.UpDownValue1->step(1);
    dialog.UpDownValue1->step(1);
    QCOMPARE(dialog.edtWidth->text(), QStringLiteral("999"));
    dialog.edtHeight->setText(QStringLiteral("250"));
    dialog.UpDownValue2->step(-1);
    QCOMPARE(dialog.edtHeight->text(), QStringLiteral("249"));
}

void DefineCanvasTest::cancelCloses()
{
    TDefineCanvasForm dialog;
    dialog.show();
    dialog.edtWidth->setText(QStringLiteral("12"));
    dialog.btnCANCELClick();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(!dialog.isVisible());
}

REGISTER_TEST(DefineCanvasTest);
#include "tst_DefineCanvas.moc"
