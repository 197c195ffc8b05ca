#pragma once

#include "ordering/OrderTransfer.h"

#include <QFrame>

class QLabel;
class QProgressBar;
class QPushButton;
class QWebEngineView;

// The upload window: a borderless panel inside the main window's workspace that shows
// the progress of an order's transfer. Created once, hidden between orders; its texts
// stay from one order to the next. Its hidden browser control sends the registration
// form in the profile the order page uses.
class TTransDataForm : public QFrame, public TransferView, public RegistrationSender {
    Q_OBJECT
public:
    explicit TTransDataForm(QWidget* parent);
    ~TTransDataForm() override;

    // What the next transfer sends, set by the order operation.
    QString UploadFileName;
    OrderTransfer::Request Order;
    const QString RemoteDirectory = QStringLiteral("TempAlbum");

    QFrame* TransPanel = nullptr;
    QFrame* TransTopPanel = nullptr;
    QLabel* lblTransferTitle = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* lblTransTotalCount = nullptr;
    QLabel* lblTransCount = nullptr;
    QLabel* lblTransFileName = nullptr;
    QProgressBar* Gauge = nullptr;
    QLabel* lblInfoResult1 = nullptr;
    QLabel* lblInfoResult2 = nullptr;
    QLabel* lblInfoResult3 = nullptr;
    QPushButton* btnOK = nullptr;
    // The hidden browser control that sends the registration; null until the first one.
    QWebEngineView* Web = nullptr;

    // The transfer for UploadFileName; says what went wrong in message boxes.
    OrderTransfer::Report btnOKClick();

    const OrderTransfer& transfer() const { return m_transfer; }
    OrderTransfer& transfer() { return m_transfer; }
    // The order's waits (tests shorten or record them).
    const EventPacing& pacing() const { return m_transfer.pacing(); }
    void setPacing(EventPacing pacing) { m_transfer.setPacing(std::move(pacing)); }

    // True from the start of an order to its end; a second order is refused meanwhile.
    bool orderRunning() const { return m_orderRunning; }
    void setOrderRunning(bool running) { m_orderRunning = running; }

    // TransferView
    void transferStarted() override;
    void showFileName(const QString& text) override;
    void setGaugeMaximum(qint64 maximum) override;
    void setGaugeProgress(qint64 progress) override;
    void showTitle(const QString& text, bool closing) override;
    void showResults(const QString& requested, const QString& sent) override;
    void showNotice(const QString& text) override;
    void registrationNotStarted() override;

    // RegistrationSender
    bool startRegistration(const QString& url, const QByteArray& body) override;
    bool registrationComplete() const override;
    void stopRegistration() override;

private:
    void createControls();
    QLabel* makeLabel(const QString& name, const QString& text, QPoint place, const QString& style);
    void placeInBrackets(QLabel* count, int blank);
    QWebEngineView* webControl();
    void WebDocumentComplete();

    OrderTransfer m_transfer;
    int m_webTag = 0; // the completion flag of Web
    bool m_orderRunning = false;
    qint64 m_gaugeScale = 1;
};
