#include "renovo/Renovo.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QShowEvent>
#include <QThread>
#include <QTimer>

#include <cstdlib>

#include "common/Download.h"
#include "common/FileVersion.h"
#include "common/ManifestReader.h"
#include "common/ManifestSeal.h"
#include "common/NeedsUpdate.h"
#include "common/UpdateTrust.h"
#include "common/UserPrompts.h"
#include "renovo/FileTime.h"
#include "renovo/ReplaceFile.h"
#include "renovo/UnpackFile.h"

namespace orvane {

namespace {

const char* const kCompleteText = "Application update completely!";
const char* const kRefusedText = "Server connect failed, can't update SW.";

void RemoveIfExists(const QString& path)
{
    if (QFile::exists(path))
        QFile::remove(path);
}

}  // namespace

Renovo::Renovo(platform::SystemApi& system, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), m_system(system), m_prompts(prompts)
{
    ui.setupUi(this);
    m_pCancel = new DownloadCancel(this);
    m_exitProcess = []() { std::exit(0); };
}

Renovo::~Renovo() = default;

QString Renovo::InstallDir() const
{
    return m_strInstallDir.isEmpty() ? QCoreApplication::applicationDirPath() : m_strInstallDir;
}

void Renovo::showEvent(QShowEvent*)
{
    // A show event while a run is armed or active (a restore from the
    // minimised state, say) must not start a second run inside the first.
    if (m_bRunning || (m_pStartTimer && m_pStartTimer->isActive()))
        return;
    QThread::msleep(1000);
    if (!m_pStartTimer) {
        m_pStartTimer = new QTimer(this);
        connect(m_pStartTimer, SIGNAL(timeout()), this, SLOT(slotUpdate()));
    }
    m_pStartTimer->start();
}

void Renovo::reject()
{
    if (m_bRunning) {
        qDebug() << "Update cancelled by the user";
        m_pCancel->Cancel();
        return;
    }
    QDialog::reject();
}

bool Renovo::IsUpdaterItself(const ManifestEntry& entry) const
{
    const QString name = entry.file.toLower();
    return name == QLatin1String("renovo.exe")
        || name == QFileInfo(QCoreApplication::applicationFilePath()).fileName().toLower();
}

void Renovo::slotUpdate()
{
    if (m_pStartTimer)
        m_pStartTimer->stop();
    if (m_bRunning)
        return;
    m_bRunning = true;
    ui.lblStatus->setText(QString());
    ui.progressBar->setValue(0);

    if (!m_workFolder.Prepare()) {
        Refuse();
        return;
    }
    const QString workDir = m_workFolder.Path();
    if (!IsPlainName(m_strManifestName)) {
        qDebug() << "Refused manifest name" << m_strManifestName;
        Refuse();
        return;
    }
    RemoveStagedLeftovers(InstallDir());
    const QString localManifest = workDir + "/" + m_strManifestName;
    // A copy left by an earlier check must not stand in for a failed download.
    RemoveIfExists(localManifest);
    DownloadFile(m_strSiteUrl + m_strManifestName, localManifest, kMaxManifestSize, m_pCancel);
    if (SignedUpdatesRequired() && QFileInfo::exists(localManifest)) {
        qint64 sequence = -1;
        const QString problem = FetchAndCheckSignature(m_strSiteUrl + m_strManifestName, localManifest, InstallDir(),
                                                       &sequence, m_pCancel);
        if (!problem.isEmpty()) {
            qDebug() << "Refused manifest:" << problem;
            RemoveIfExists(localManifest);
            Refuse();
            return;
        }
        // Kept before anything is installed: no older manifest is taken
        // from now on, even when this run is cut short.
        if (!WriteAcceptedSequence(InstallDir(), sequence))
            qDebug() << "Cannot keep the accepted sequence" << sequence;
    }

    QList<ManifestEntry> entries;
    if (ReadManifest(localManifest, m_prompts, entries) != ManifestRead::Ok) {
        m_bRunning = false;
        emit runStopped();
        return;
    }

    ui.progressBar->setValue(0);
    ui.progressBar->setMaximum(entries.size());
    QCoreApplication::processEvents();

    const QString installDir = InstallDir();
    const VersionReader readVersion = [this](const QString& path) { return ReadFileVersion(m_system, path); };
    m_bRefused = false;
    for (const ManifestEntry& entry : entries) {
        if (m_pCancel->IsCancelled() || m_bRefused)
            break;
        const EntryVerdict verdict = JudgeEntry(entry, installDir, workDir, readVersion);
        if (verdict != EntryVerdict::Refused)
            LogUpdateDecision(InstalledPath(entry, installDir), verdict == EntryVerdict::OutOfDate);
        if (verdict == EntryVerdict::OutOfDate && !IsUpdaterItself(entry))
            UpdateEntry(entry, installDir, workDir);
        if (ui.progressBar->value() < ui.progressBar->maximum())
            ui.progressBar->setValue(ui.progressBar->value() + 1);
        QCoreApplication::processEvents();
    }

    RemoveIfExists(localManifest);
    if (m_bRefused) {
        Refuse();
        return;
    }
    if (!m_pCancel->IsCancelled()) {
        ui.lblStatus->setText(kCompleteText);
        QCoreApplication::processEvents();
        m_prompts.Information(QStringLiteral("Update"), kCompleteText);
    }
    RestartProgram();
    m_workFolder.Release();
    m_exitProcess();
    m_bRunning = false;
}

void Renovo::Refuse()
{
    m_prompts.Warning(QStringLiteral("Renovo"), kRefusedText);
    RestartProgram();
    m_workFolder.Release();
    m_exitProcess();
    m_bRunning = false;
}

void Renovo::UpdateEntry(const ManifestEntry& entry, const QString& installDir, const QString& workDir)
{
    if (entry.packedName.isEmpty())
        return;
    const QString packed = PackedWorkPath(entry, workDir);
    const QString unpacked = UnpackedWorkPath(entry, workDir);
    auto cleanUp = [&]() {
        RemoveIfExists(packed);
        RemoveIfExists(unpacked);
    };

    bool sizeGiven = false;
    const int listedSize = entry.fileSize.toInt(&sizeGiven, 10);
    const qint64 expectedSize = sizeGiven && listedSize >= 0 ? listedSize : -1;
    if (!DownloadFile(PackedUrl(entry, m_strSiteUrl), packed, PackedSizeLimit(expectedSize), m_pCancel)
        || m_pCancel->IsCancelled()) {
        cleanUp();
        return;
    }
    // A signed site lists each file's hash: a file that differs is not the
    // publisher's, and the rest of the run is not trusted either.
    if (SignedUpdatesRequired()) {
        const QString hash = FileSha256(packed);
        if (hash.isEmpty() || hash.compare(entry.sha256.trimmed(), Qt::CaseInsensitive) != 0) {
            qDebug() << "Refused file:" << PackedUrl(entry, m_strSiteUrl) << "hash differs from the manifest's";
            m_bRefused = true;
            cleanUp();
            return;
        }
    }
    RemoveIfExists(unpacked);
    if (!UnpackFile(packed, unpacked, expectedSize)) {
        cleanUp();
        return;
    }
    std::optional<qint64> fileTime;
    const QDateTime listed = ParseFileDate(entry.fileDate);
    if (listed.isValid()) {
        fileTime = FileTimeFromDate(listed);
        m_system.SetFileLastWriteTime(unpacked.toUtf8().toStdString(), static_cast<std::uint64_t>(*fileTime));
    }
    // A link planted while the file was downloading is refused as one found
    // when the manifest was walked.
    const QString link = LinkOnPath(entry, installDir, workDir);
    if (!link.isEmpty())
        qDebug() << "Refused manifest entry:" << link;
    else if (!m_pCancel->IsCancelled())
        ReplaceInstalledFile(m_system, unpacked, InstalledPath(entry, installDir), fileTime);
    cleanUp();
}

void Renovo::RestartProgram()
{
    if (!IsPlainName(m_strRestartProgram)) {
        qDebug() << "Refused restart program" << m_strRestartProgram;
        return;
    }
    const QString program = QCoreApplication::applicationDirPath() + "/" + m_strRestartProgram;
    if (!QProcess::startDetached(program, {QStringLiteral("1")}))
        qDebug() << "Cannot start" << program;
}

}  // namespace orvane
