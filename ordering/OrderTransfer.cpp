#include "ordering/OrderTransfer.h"

#include "common/PhotoPaths.h"
#include "ordering/OrderForm.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QBuffer>
#include <QImageReader>

namespace {

// The waits the transfer makes, in milliseconds.
constexpr int kBeforeUpload = 10;
constexpr int kPerProgressStep = 1;
constexpr int kRegistrationCheck = 10;
constexpr int kAfterRegistration = 100;
constexpr int kAfterClose = 1000;

// Closes the FTP connection and pauses, however the transfer leaves.
class FtpClosing {
public:
    FtpClosing(FtpUploader& ftp, const EventPacing& pacing) : m_ftp(ftp), m_pacing(pacing) {}
    ~FtpClosing()
    {
        m_ftp.close();
        m_pacing.pause(kAfterClose);
    }
    FtpClosing(const FtpClosing&) = delete;
    FtpClosing& operator=(const FtpClosing&) = delete;

private:
    FtpUploader& m_ftp;
    const EventPacing& m_pacing;
};

} // namespace

OrderTransfer::OrderTransfer(TransferView& view, RegistrationSender& sender, EventPacing pacing)
    : m_view(view), m_sender(sender), m_pacing(std::move(pacing))
{
}

OrderTransfer::Report OrderTransfer::run(const Request& request)
{
    const QString key = folderKey(request.sessionNumber);
    const TransferResult folder =
        m_http.post(request.settings.makeDirUrl(), folderRequestBody(key), m_pacing.pump);
    if (!folder.ok)
        return {Outcome::FolderRefused, folder.errorText};
    m_view.transferStarted();
    m_ftp.close();
    const FtpClosing closing(m_ftp, m_pacing);
    return transfer(request, key);
}

OrderTransfer::Report OrderTransfer::transfer(const Request& request, const QString& key)
{
    const TransferResult opened =
        m_ftp.open(request.settings.ftp, remoteDirectory(key), m_pacing.pump);
    if (!opened.ok)
        return {Outcome::ConnectionFailed, opened.errorText};
    if (beforeUpload)
        beforeUpload();
    if (!QFileInfo::exists(request.uploadFileName)) {
        writeClosingTexts(false);
        return {Outcome::FileMissing, {}};
    }
    QFile file(request.uploadFileName);
    if (!file.open(QIODevice::ReadOnly))
        return {Outcome::ConnectionFailed, file.errorString()};
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {Outcome::ConnectionFailed, file.errorString()};
    return upload(request, data);
}

OrderTransfer::Report OrderTransfer::upload(const Request& request, const QByteArray& data)
{
    const qint64 size = data.size();
    m_view.setGaugeMaximum(size);
    const QString remoteName = MakePhotoFileName();
    m_view.showFileName(QStringLiteral("화일 이름 : ") +
                        QFileInfo(request.uploadFileName).fileName() + u' ');

    m_pacing.pause(kBeforeUpload);
    const FtpUploader::Progress progress = [this](qint64 sent) {
        m_pacing.pause(kPerProgressStep);
        m_view.setGaugeProgress(sent);
    };
    const TransferResult stored = m_ftp.store(remoteName, data, progress, m_pacing.pump);
    m_view.setGaugeProgress(size);
    if (!stored.ok) {
        m_view.showTitle(QStringLiteral("화일 업로드 실패. -> ") + request.uploadFileName, false);
        writeClosingTexts(true);
        return {Outcome::UploadFailed, stored.errorText};
    }
    measureJpeg(request.uploadFileName, data);
    FileSizeText = QString::number(size);
    const bool timedOut = !registerUpload(request, remoteName);
    writeClosingTexts(false);
    return {Outcome::Sent, {}, timedOut};
}

// Only the header is read: the size is all the form needs. A picture whose header does
// not read leaves the last measured size in place.
void OrderTransfer::measureJpeg(const QString& fileName, const QByteArray& data)
{
    if (QFileInfo(fileName).suffix().toUpper() != QStringLiteral("JPG"))
        return;
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (!size.isValid())
        return;
    ImageWidthText = QString::number(size.width());
    ImageHeightText = QString::number(size.height());
}

bool OrderTransfer::registerUpload(const Request& request, const QString& remoteName)
{
    const QByteArray body =
        registrationBody({request.sessionNumber, remoteName, ImageWidthText, ImageHeightText,
                          FileSizeText, request.photoTypeName});
    if (!m_sender.startRegistration(request.settings.sendResultUrl(), body)) {
        m_view.registrationNotStarted();
        return true;
    }
    const int limit = request.settings.registrationTimeoutSeconds;
    const QDeadlineTimer deadline(limit * 1000LL);
    while (!m_sender.registrationComplete()) {
        if (deadline.hasExpired()) {
            m_sender.stopRegistration();
            m_view.showNotice(
                QStringLiteral("등록 페이지가 %1초 동안 응답하지 않아 주문 페이지로 이동합니다.")
                    .arg(limit));
            return false;
        }
        m_pacing.poll(kRegistrationCheck);
    }
    m_pacing.pause(kAfterRegistration);
    m_sender.stopRegistration();
    return true;
}

void OrderTransfer::writeClosingTexts(bool uploadFailed)
{
    if (!uploadFailed)
        m_view.showTitle(QStringLiteral("★ 주문 페이지로 이동 합니다. "), true);
    m_view.showResults(QStringLiteral("★ 전 송 요 청 : 1 건"),
                       QStringLiteral("★ 전 송 결 과 : 1 건"));
}
