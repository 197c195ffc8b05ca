#include "RecordingMessageSink.h"
#include "TestRegistry.h"

#include <QTest>

using Messages = QList<QPair<QString, QString>>;

class MessageSinkTest : public QObject {
    Q_OBJECT

private slots:
    // A nested recorder takes messages while it lives and hands the sink back after.
    void nestedRecorders()
    {
        QCOMPARE(messageSink(), nullptr);
        showInfo(QStringLiteral("dropped"), QStringLiteral("nobody listens"));
        {
            RecordingMessageSink outer;
            showInfo(QStringLiteral("Nuv Sorvel"), QStringLiteral("one"));
            Messages inner;
            {
                RecordingMessageSink recorder;
                QCOMPARE(messageSink(), &recorder);
                showInfo(QStringLiteral("Nuv Album"), QStringLiteral("two"));
                inner = recorder.messages;
            }
            QCOMPARE(messageSink(), &outer);
            showInfo(QStringLiteral("Nuv Sorvel"), QStringLiteral("셋"));
            QCOMPARE(inner, Messages({{QStringLiteral("Nuv Album"), QStringLiteral("two")}}));
            QCOMPARE(outer.messages,
                     Messages({{QStringLiteral("Nuv Sorvel"), QStringLiteral("one")},
                               {QStringLiteral("Nuv Sorvel"), QStringLiteral("셋")}}));
        }
        QCOMPARE(messageSink(), nullptr);
        showInfo(QStringLiteral("dropped"), QStringLiteral("again"));
    }
};

REGISTER_TEST(MessageSinkTest);
#include "tst_MessageSink.moc"
