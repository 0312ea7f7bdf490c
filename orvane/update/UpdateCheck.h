// "Check For Updates": fetches the manifest, looks for the first out-of-date
// file and offers the update.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

#include "platform/Platform.h"

namespace orvane {

class UserPrompts;

class UpdateCheck {
public:
    // exitProcess ends the program once the updater runs; by default the C
    // runtime's exit with code 0.
    UpdateCheck(platform::SystemApi& system, UserPrompts& prompts, std::function<void()> exitProcess = {});

    // Where the installed files are judged; the program's folder by default.
    void SetInstallDir(const QString& installDir) { m_strInstallDir = installDir; }

    // The whole check against the site's base URL (ending with "/"). A check
    // started while one is waiting (its download or a box) runs inside it.
    void Run(const QByteArray& siteUrl);

    // Texts of the boxes.
    static const char* const kNetworkFailedText;
    static const char* const kLatestText;
    static const char* const kConfirmTitle;
    static const char* const kConfirmText;
    static const char* const kLaunchFailedText;

private:
    platform::SystemApi& m_system;
    UserPrompts& m_prompts;
    std::function<void()> m_exitProcess;
    QString m_strInstallDir;
};

}  // namespace orvane
