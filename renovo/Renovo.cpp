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
#include "common/Log.h"
#include "common/ManifestReader.h"
#include "common/ManifestSeal.h"
#include "common/NeedsUpdate.h"
#include "common/UpdateTrust.h"
#include "common/UserPrompts.h"
#include "renovo/FileSwap.h"
#include "renovo/Staging.h"
#include "renovo/UpdatePlan.h"

namespace orvane {

namespace {

const char* const kCompleteText = "Application update completely!";
const char* const kRefusedText = "Server connect failed, can't update SW.";

void RemoveIfExists(const QString& path)
{
    if (QFile::exists(path))
        QFile::remove(path);
}

// Why a planned file's places are unsafe to write to now (a folder or file
// on the way is a link, which could lead anywhere), or empty.
QString LinkOnPlace(const PlannedFile& file)
{
    for (const QString& place : {QFileInfo(file.installed).path(), file.installed, file.staged,
                                 QFileInfo(file.packed).path(), file.packed}) {
        if (QFileInfo(place).isSymLink())
            return QStringLiteral("\"%1\" is a link").arg(place);
    }
    return {};
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
        qCDebug(lcOrvane) << "Update cancelled by the user";
        m_pCancel->Cancel();
        return;
    }
    // The program ended for the update; a run that stopped early must not
    // leave the user without it.
    if (m_bStopped) {
        m_bStopped = false;
        RestartProgram();
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
        qCDebug(lcOrvane) << "Refused manifest name" << m_strManifestName;
        Refuse();
        return;
    }
    const QString installDir = InstallDir();
    // First what a run cut off in the middle of its swap left: the old
    // release comes back whole before anything else is looked at.
    const int undone = FileSwap(installDir).UndoInterrupted();
    if (undone == kUndoIncomplete) {
        // The kept old files are all that is left of the old release: no
        // new swap (nor the cleanup below) may touch them.
        qCDebug(lcOrvane) << "Update failed: an interrupted update cannot be undone, its old files stay kept";
        Refuse();
        return;
    }
    if (undone != 0)
        qCDebug(lcOrvane) << "Interrupted update undone:" << (undone < 0 ? QStringLiteral("journal unreadable, kept files put back")
                                                                 : QString::number(undone) + " files put back");
    RemoveStagedLeftovers(installDir);
    const QString localManifest = workDir + "/" + m_strManifestName;
    // A copy left by an earlier check must not stand in for a failed download.
    RemoveIfExists(localManifest);
    DownloadFile(m_strSiteUrl + m_strManifestName, localManifest, kMaxManifestSize, m_pCancel);
    if (SignedUpdatesRequired() && QFileInfo::exists(localManifest)) {
        qint64 sequence = -1;
        const QString problem =
            FetchAndCheckSignature(m_strSiteUrl, m_strManifestName, localManifest, installDir, &sequence, m_pCancel);
        if (!problem.isEmpty()) {
            qCDebug(lcOrvane) << "Refused manifest:" << problem;
            RemoveIfExists(localManifest);
            Refuse();
            return;
        }
        // Kept before anything is installed: no older manifest is taken
        // from now on, even when this run is cut short.
        if (!WriteAcceptedSequence(installDir, sequence)) {
            qCDebug(lcOrvane) << "Refused manifest: the accepted sequence" << sequence << "cannot be kept";
            RemoveIfExists(localManifest);
            Refuse();
            return;
        }
    }

    QList<ManifestEntry> entries;
    const ManifestRead read = ReadManifest(localManifest, m_prompts, entries);
    if (read == ManifestRead::Refused) {
        RemoveIfExists(localManifest);
        Refuse();
        return;
    }
    if (read != ManifestRead::Ok) {
        m_bRunning = false;
        m_bStopped = true;
        emit runStopped();
        return;
    }

    ui.progressBar->setValue(0);
    ui.progressBar->setMaximum(entries.size());
    QCoreApplication::processEvents();

    const QString failure = InstallAll(entries, installDir, workDir);
    RemoveIfExists(localManifest);
    if (!failure.isEmpty()) {
        qCDebug(lcOrvane) << "Update failed:" << failure;
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

void Renovo::StepProgress()
{
    if (ui.progressBar->value() < ui.progressBar->maximum())
        ui.progressBar->setValue(ui.progressBar->value() + 1);
    QCoreApplication::processEvents();
}

QString Renovo::InstallAll(const QList<ManifestEntry>& entries, const QString& installDir, const QString& workDir)
{
    // Every entry judged and every place worked out before anything is
    // fetched; an entry already current counts as done at once.
    const VersionReader readVersion = [this](const QString& path) { return ReadFileVersion(m_system, path); };
    UpdatePlan plan(installDir, workDir, m_strSiteUrl);
    for (const ManifestEntry& entry : entries) {
        const EntryVerdict verdict = JudgeEntry(entry, installDir, workDir, readVersion);
        if (verdict != EntryVerdict::Refused)
            LogUpdateDecision(InstalledPath(entry, installDir), verdict == EntryVerdict::OutOfDate);
        if (verdict == EntryVerdict::OutOfDate && !IsUpdaterItself(entry)) {
            const QString problem = plan.Add(entry);
            if (!problem.isEmpty())
                return problem;
        } else {
            StepProgress();
        }
    }
    const QList<PlannedFile>& files = plan.Files();
    if (files.isEmpty())
        return {};
    const QString space = SpaceProblem(files, workDir);
    if (!space.isEmpty())
        return space;

    // All staged beside the installed files, or none.
    Staging staging(m_system, m_pCancel);
    for (const PlannedFile& file : files) {
        if (m_pCancel->IsCancelled())
            break;
        // A link planted while the run went on is refused like one found
        // when the manifest was walked.
        QString problem = LinkOnPlace(file);
        if (problem.isEmpty())
            problem = staging.Stage(file);
        if (!problem.isEmpty() && !m_pCancel->IsCancelled()) {
            Staging::RemoveStaged(files);
            return QStringLiteral("\"%1\": %2").arg(file.installed, problem);
        }
        StepProgress();
    }
    if (m_pCancel->IsCancelled()) {
        Staging::RemoveStaged(files);
        return {};
    }

    // From here on the run is not cancelled: the swap is a few renames.
    FileSwap swap(installDir);
    const QString problem = swap.SwapAll(files);
    if (!problem.isEmpty())
        return problem;
    swap.RemoveBackups(files);
    return {};
}

void Renovo::RestartProgram()
{
    if (!IsPlainName(m_strRestartProgram)) {
        qCDebug(lcOrvane) << "Refused restart program" << m_strRestartProgram;
        return;
    }
    const QString program = QCoreApplication::applicationDirPath() + "/" + m_strRestartProgram;
    if (!QProcess::startDetached(program, {QStringLiteral("1")}))
        qCDebug(lcOrvane) << "Cannot start" << program;
}

}  // namespace orvane
