// The update manifest as a site serves it (over plain HTTP, to an updater
// that writes with administrator rights): read into entries, and each entry
// judged as the walk judges it, against a scratch installation and working
// folder. Whatever an entry holds, once the checks let it through its
// places stay inside those folders and its packed file on the site.
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "common/ManifestReader.h"
#include "common/NeedsUpdate.h"
#include "common/UserPrompts.h"
#include "fuzz/support/FuzzSupport.h"

namespace {

using namespace orvane;

class QuietPrompts : public UserPrompts {
public:
    void Information(const QString&, const QString&) override {}
    bool Question(const QString&, const QString&) override { return false; }
    void Warning(const QString&, const QString&) override {}
};

// path is folder/name or folder/<one folder>/name, with no ".." or "." part.
bool StaysIn(const QString& path, const QString& folder)
{
    const QString parent = QFileInfo(path).path();
    return QDir::cleanPath(path) == path && (parent == folder || QFileInfo(parent).path() == folder);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const QString install = fuzz::ScratchFolder() + "/install";
    static const QString work = fuzz::ScratchFolder() + "/work";
    static const QString site = QStringLiteral("http://update.example/orvane/");
    const QString path = fuzz::WriteScratchFile("ServerManifest.xml", data, size);
    QuietPrompts prompts;
    QList<ManifestEntry> entries;
    if (ReadManifest(path, prompts, entries) != ManifestRead::Ok)
        return 0;

    QDir().mkpath(install);
    QDir().mkpath(work);
    const VersionReader installedVersion = [](const QString&) { return QStringLiteral("1.2.3.4"); };
    for (const ManifestEntry& entry : entries) {
        ParseFileSize(entry.fileSize);
        CompareVersion(entry.fileVersion, QStringLiteral("1.2.3.4"));
        if (EntryProblem(entry).isEmpty()) {
            fuzz::Check(StaysIn(InstalledPath(entry, install), install), "installed path stays in");
            fuzz::Check(StaysIn(UnpackedWorkPath(entry, work), work), "unpacked path stays in");
            if (!entry.packedName.isEmpty()) {
                fuzz::Check(StaysIn(PackedWorkPath(entry, work), work), "packed path stays in");
                const QUrl url(PackedUrl(entry, site), QUrl::TolerantMode);
                fuzz::Check(url.isValid() && url.host() == "update.example" && !url.hasQuery() &&
                                !url.hasFragment() && url.adjusted(QUrl::RemoveFilename).path() == "/orvane/",
                            "packed file stays on the site");
            }
        }
        JudgeEntry(entry, install, work, installedVersion);
    }
    QDir(install).removeRecursively();
    QDir(work).removeRecursively();
    return 0;
}
