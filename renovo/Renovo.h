// The updater's dialog and its run: fetch the manifest, bring every listed
// file up to date, report, start the program again and end.
#pragma once

#include <QDialog>
#include <QString>

#include <functional>

#include "common/ManifestEntry.h"
#include "platform/Platform.h"
#include "renovo/RenovoClass.h"
#include "renovo/WorkFolder.h"

class QShowEvent;
class QTimer;

namespace orvane {

class DownloadCancel;
class UserPrompts;

class Renovo : public QDialog {
    Q_OBJECT
public:
    Renovo(platform::SystemApi& system, UserPrompts& prompts, QWidget* parent = nullptr);
    ~Renovo() override;

    QString m_strManifestName;
    QString m_strSiteUrl;
    QString m_strRestartProgram;

    // Where the installed files live; the updater's own folder by default.
    void SetInstallDir(const QString& installDir) { m_strInstallDir = installDir; }
    // How the process ends after a run; the C runtime's exit(0) by default.
    void SetExitProcess(std::function<void()> exitProcess) { m_exitProcess = std::move(exitProcess); }

    bool IsRunning() const { return m_bRunning; }

signals:
    // The run ended early (no manifest, or one that does not parse); the
    // dialog stays open and idle until the user closes it, and the program
    // is started again then.
    void runStopped();

public slots:
    void slotUpdate();
    // While a run is active, closing the dialog cancels the rest of the run
    // instead of closing it under the run's feet.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Plans, stages and swaps in every out-of-date file of the manifest, all
    // or none; empty when every one is in place (or the user cancelled
    // before the swap), else which file failed and why.
    QString InstallAll(const QList<ManifestEntry>& entries, const QString& installDir, const QString& workDir);
    void StepProgress();
    bool IsUpdaterItself(const ManifestEntry& entry) const;
    void RestartProgram();
    // A run that failed or cannot be made safely: the user is told, the
    // program is started again and the process ends, with nothing installed.
    void Refuse();
    QString InstallDir() const;

    RenovoClass ui;
    QTimer* m_pStartTimer = nullptr;
    DownloadCancel* m_pCancel = nullptr;
    platform::SystemApi& m_system;
    UserPrompts& m_prompts;
    std::function<void()> m_exitProcess;
    QString m_strInstallDir;
    WorkFolder m_workFolder;
    bool m_bRunning = false;
    bool m_bStopped = false;  // the run stopped early; the dialog waits to be closed
};

}  // namespace orvane
