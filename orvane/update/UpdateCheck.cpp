#include "orvane/update/UpdateCheck.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

#include <cstdlib>

#include "common/Download.h"
#include "common/Log.h"
#include "common/ManifestReader.h"
#include "common/ManifestSeal.h"
#include "common/NeedsUpdate.h"
#include "common/UpdateTrust.h"
#include "common/UpdateWorkDir.h"
#include "common/UpdaterFiles.h"
#include "common/UserPrompts.h"
#include "orvane/update/LaunchUpdater.h"
#include "orvane/update/ProgramVersion.h"

namespace orvane {

const char* const UpdateCheck::kNetworkFailedText = "Network connection is failed , please try to check later!";
const char* const UpdateCheck::kLatestText = "Your software is latest!";
const char* const UpdateCheck::kConfirmTitle = "Confirm to update new version ";
const char* const UpdateCheck::kConfirmText =
    "The new software version is available.<br/> Do you want to update to the latest version?";
const char* const UpdateCheck::kLaunchFailedText =
    "The updater could not be started, so nothing was updated. Please try again later.";

UpdateCheck::UpdateCheck(platform::SystemApi& system, UserPrompts& prompts, std::function<void()> exitProcess)
    : m_system(system), m_prompts(prompts), m_exitProcess(std::move(exitProcess))
{
    if (!m_exitProcess)
        m_exitProcess = []() { std::exit(0); };
}

// The download and the boxes keep the event loop turning, so the menu action
// can fire again inside a running check. That check runs in full and answers
// on its own: it shares no state with this one, and the manifest copy they
// both use is only ever replaced whole.
void UpdateCheck::Run(const QByteArray& siteUrl)
{
    const QString workDir = UpdateWorkDir();
    if (!QDir(workDir).exists())
        QDir().mkdir(workDir);
    const QString localManifest = workDir + "/ServerManifest.xml";
    if (QFile::exists(localManifest))
        QFile::remove(localManifest);

    if (!DownloadFile(QString::fromUtf8(siteUrl) + "ServerManifest.xml", localManifest, kMaxManifestSize)) {
        m_prompts.Information(QStringLiteral("Orvane"), kNetworkFailedText);
        return;
    }

    const QString installDir =
        m_strInstallDir.isEmpty() ? QCoreApplication::applicationDirPath() : m_strInstallDir;
    if (SignedUpdatesRequired()) {
        const QString problem = FetchAndCheckSignature(QString::fromUtf8(siteUrl), QStringLiteral("ServerManifest.xml"),
                                                       localManifest, installDir);
        if (!problem.isEmpty()) {
            qCDebug(lcOrvane) << "Refused manifest:" << problem;
            QFile::remove(localManifest);
            m_prompts.Information(QStringLiteral("Orvane"), kNetworkFailedText);
            return;
        }
    }

    QList<ManifestEntry> entries;
    const ManifestRead read = ReadManifest(localManifest, m_prompts, entries);
    if (read == ManifestRead::OpenError)
        return;
    if (read == ManifestRead::Refused) {
        m_prompts.Information(QStringLiteral("Orvane"), kNetworkFailedText);
        return;
    }

    const VersionReader readVersion = [this](const QString& path) {
        int major = 0, minor = 0, build = 0, revision = 0;
        return ReadFileVersion(m_system, path, major, minor, build, revision, 4);
    };
    // An update cut off while it swapped files in may have left a mix of
    // old and new files; the updater's next run puts that right first.
    bool outOfDate = QFileInfo::exists(installDir + "/" + kJournalFileName);
    if (outOfDate)
        qCDebug(lcOrvane) << "An interrupted update left the installation half swapped";
    for (const ManifestEntry& entry : entries) {
        if (outOfDate)
            break;
        if (JudgeEntry(entry, installDir, workDir, readVersion) == EntryVerdict::OutOfDate) {
            LogUpdateDecision(InstalledPath(entry, installDir), true);
            outOfDate = true;
            break;
        }
    }

    if (!outOfDate) {
        m_prompts.Information(QStringLiteral("Orvane"), kLatestText);
        return;
    }
    if (!m_prompts.Question(kConfirmTitle, kConfirmText))
        return;
    if (!LaunchUpdater(m_system, siteUrl)) {
        // Ending now would leave the user with neither the program nor an
        // update.
        m_prompts.Warning(QStringLiteral("Orvane"), kLaunchFailedText);
        return;
    }
    m_exitProcess();
}

}  // namespace orvane
