#include "app/MessageBoxSink.h"

#include <QApplication>
#include <QMessageBox>

void MessageBoxSink::showInfo(const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}
