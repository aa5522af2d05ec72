#include "uploadserver.h"

#include <cstdio>

#include <sys/resource.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include "benchsettings.h"
#include "fileuploader.h"
#include "postedmessage.h"
#include "updatelistener.h"
#include "uploadfile.h"

namespace {

// Stands in for the firmware dialog: counts finished uploads and stops the
// event loop when every round has ended one way or the other.
class CRoundCounter : public QObject
{
public:
    explicit CRoundCounter(int nRounds) : m_nRounds(nRounds) {}
    int Failures() const { return m_nFailures; }

protected:
    void customEvent(QEvent *event) override
    {
        const auto *posted = static_cast<CPostedMessage *>(event);
        if (posted->Message() == WM_UPLOAD_FAILED) {
            std::fprintf(stderr, "upload failed: %s\n", qPrintable(posted->Text()));
            ++m_nFailures;
        }
        const bool bEnded = posted->Message() == WM_UPLOAD_FAILED ||
                            (posted->Message() == WM_UPLOAD_PROGRESS &&
                             posted->WParam() == CFileUpLoader::PROGRESS_COMPLETE);
        if (bEnded && ++m_nEnded == m_nRounds)
            QCoreApplication::quit();
    }

private:
    int m_nRounds;
    int m_nEnded = 0;
    int m_nFailures = 0;
};

} // namespace

int RunUploadServer(const QString &strFilePath, int nRounds, int nExpectedFailures)
{
    CRoundCounter owner(nRounds);
    // Read once, as the dialog does when the file is chosen.
    CUploadFile::ELoad outcome = CUploadFile::ELoad::Unreadable;
    const std::shared_ptr<const CUploadFile> image = CUploadFile::Load(strFilePath, &outcome);
    if (!image) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(strFilePath));
        return 1;
    }
    CUpdateListener listener(&owner, [image] { return image; });
    if (!listener.Listen()) {
        std::fprintf(stderr, "cannot listen: %s\n", qPrintable(listener.errorString()));
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);

    QTimer deadline;
    deadline.setSingleShot(true);
    bool bTimedOut = false;
    QObject::connect(&deadline, &QTimer::timeout, &owner, [&bTimedOut] {
        bTimedOut = true;
        QCoreApplication::quit();
    });
    deadline.start(BenchSettings::ROUND_TIMEOUT_MS * nRounds);
    QCoreApplication::exec();

    listener.Close();
    // Let the last uploader end and be deleted before the process goes.
    const QDeadlineTimer drain(BenchSettings::START_TIMEOUT_MS);
    while (CFileUpLoader::LiveCount() > 0 && !drain.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);

    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("maxrss_kib %ld\n", usage.ru_maxrss);
    if (owner.Failures() != nExpectedFailures)
        std::fprintf(stderr, "%d uploads failed, %d expected\n", owner.Failures(),
                     nExpectedFailures);
    return bTimedOut || owner.Failures() != nExpectedFailures ? 1 : 0;
}
