// A signed site's manifest, its detached signature and the installation's
// record of the newest sequence taken, each as anyone on the way may serve or
// leave it: the input holds the three, split at NUL bytes (the manifest is
// XML and the others text, none holds a NUL). The whole check of a signed
// manifest against the tests' keys, and the seal and the record read alone
// (the check reads the seal only once a signature is good).
#include <QDir>

#include <algorithm>

#include "common/ManifestSeal.h"
#include "common/SiteChannel.h"
#include "common/UpdateTrust.h"
#include "fuzz/support/FuzzSupport.h"

namespace {

// The next part of the input, up to a NUL or the end.
std::pair<const std::uint8_t*, std::size_t> Part(const std::uint8_t*& at, const std::uint8_t* end)
{
    const std::uint8_t* start = at;
    const std::uint8_t* stop = std::find(at, end, '\0');
    at = stop == end ? end : stop + 1;
    return {start, std::size_t(stop - start)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace orvane;
    static const QString install = fuzz::ScratchFolder() + "/install";
    const std::uint8_t* at = data;
    const auto manifest = Part(at, data + size);
    const auto signature = Part(at, data + size);
    const auto record = Part(at, data + size);
    const QString manifestPath = fuzz::WriteScratchFile("ServerManifest.xml", manifest.first, manifest.second);
    const QString signaturePath = fuzz::WriteScratchFile("ServerManifest.xml.sig", signature.first, signature.second);
    fuzz::WriteScratchFile("install/UpdateSequence", record.first, record.second);

    fuzz::Check(SignedUpdatesRequired(), "built with the tests' keys");
    static const QString site = QStringLiteral("http://update.example") + kProductionSitePath;
    qint64 sequence = -1;
    CheckSignedManifest(manifestPath, signaturePath, install, site, &sequence);
    ReadManifestSeal(QByteArray(reinterpret_cast<const char*>(manifest.first), int(manifest.second)));
    qint64 accepted = -1;
    ReadAcceptedSequence(install, accepted);
    return 0;
}
