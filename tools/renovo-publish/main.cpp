// renovo-publish: writes an update site for an installation folder.
#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

#include "common/ManifestEntry.h"
#include "tools/renovo-publish/SitePublisher.h"

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Writes an update site: a packed copy (qCompress layout) of every file in the installation folder and "
        "its direct subfolders, and ServerManifest.xml listing them with version, date, size and subfolder.");
    parser.addHelpOption();
    parser.addPositionalArgument("install-dir", "The installation folder to publish.");
    parser.addPositionalArgument("version", "The release's version, e.g. 1.2.0.0.");
    parser.addPositionalArgument("site-dir", "The folder to write the site into.");
    QCommandLineOption exclude("exclude", "Leave out a file name (repeatable). RunInfo.ini is always left out.",
                               "name");
    QCommandLineOption date("date", "Stamp every entry with this local time, \"M/d/yyyy h:m:s AP\".", "date");
    parser.addOption(exclude);
    parser.addOption(date);
    parser.process(app);

    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 3) {
        std::fprintf(stderr, "renovo-publish: expected install-dir, version and site-dir\n");
        return 2;
    }
    orvane::publish::PublishOptions options;
    options.installDir = positional.at(0);
    options.version = positional.at(1);
    options.siteDir = positional.at(2);
    // The user's settings beside the programs are not part of a release.
    options.exclude = parser.values(exclude) << QStringLiteral("RunInfo.ini");
    if (parser.isSet(date)) {
        const QDateTime parsed = orvane::ParseFileDate(parser.value(date));
        if (!parsed.isValid()) {
            std::fprintf(stderr, "renovo-publish: --date must read like 3/5/2024 2:03:07 PM\n");
            return 2;
        }
        options.date = parsed;
    }
    const QString problem = orvane::publish::PublishSite(orvane::platform::ProcessPlatform().System(), options);
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "renovo-publish: %s\n", qPrintable(problem));
        return 1;
    }
    return 0;
}
