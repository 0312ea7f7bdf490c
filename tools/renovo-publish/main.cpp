// renovo-publish: writes an update site for an installation folder.
#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

#include "common/ManifestEntry.h"
#include "common/SiteChannel.h"
#include "tools/renovo-publish/Signing.h"
#include "tools/renovo-publish/SitePublisher.h"

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(ORVANE_VERSION_TEXT);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Writes an update site: a packed copy (qCompress layout) of every file in the installation folder and "
        "its direct subfolders, and ServerManifest.xml listing them with version, date, size and subfolder.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument("install-dir", "The installation folder to publish.");
    parser.addPositionalArgument("version", "The release's version, e.g. 1.2.0.0.");
    parser.addPositionalArgument("site-dir", "The folder to write the site into.");
    QCommandLineOption exclude("exclude", "Leave out a file name (repeatable). RunInfo.ini is always left out.",
                               "name");
    QCommandLineOption date("date", "Stamp every entry with this local time, \"M/d/yyyy h:m:s AP\".", "date");
    QCommandLineOption sign("sign", "Sign the site with the key pair in this file: a detached signature "
                                    "(ServerManifest.xml.sig) and each packed file's SHA-256.", "keyfile");
    QCommandLineOption sequence("sequence", "The signed manifest's sequence number; it must grow with every "
                                            "publication (default: the current time in seconds).", "n");
    QCommandLineOption expires("expires", "When the signed manifest stops being accepted, ISO 8601 "
                                          "(default: 90 days from now).", "date");
    QCommandLineOption channel("channel", "The site the signed manifest is published to: production or test "
                                          "(required with --sign; it is refused on the other).", "site");
    QCommandLineOption generate("generate-key", "Write a new key pair to this file (readable by its owner only) "
                                                "and print its public key, the value for "
                                                "-DORVANE_UPDATE_PUBLIC_KEY.", "keyfile");
    parser.addOption(exclude);
    parser.addOption(date);
    parser.addOption(sign);
    parser.addOption(sequence);
    parser.addOption(expires);
    parser.addOption(channel);
    parser.addOption(generate);
    parser.process(app);

    if (parser.isSet(generate)) {
        QString publicKey;
        const QString problem = orvane::publish::GenerateKey(parser.value(generate), publicKey);
        if (!problem.isEmpty()) {
            std::fprintf(stderr, "renovo-publish: %s\n", qPrintable(problem));
            return 1;
        }
        std::printf("%s\n", qPrintable(publicKey));
        return 0;
    }

    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 3) {
        std::fprintf(stderr, "renovo-publish: expected install-dir, version and site-dir\n");
        return 2;
    }
    orvane::publish::PublishOptions options;
    options.installDir = positional.at(0);
    options.version = positional.at(1);
    options.siteDir = positional.at(2);
    // The user's settings beside the programs are not part of a release
    // (nor are the updater's records, see PublishSite).
    options.exclude = parser.values(exclude) << QStringLiteral("RunInfo.ini");
    if (parser.isSet(date)) {
        const QDateTime parsed = orvane::ParseFileDate(parser.value(date));
        if (!parsed.isValid()) {
            std::fprintf(stderr, "renovo-publish: --date must read like 3/5/2024 2:03:07 PM\n");
            return 2;
        }
        options.date = parsed;
    }
    if (parser.isSet(sign)) {
        if (!orvane::publish::SigningAvailable()) {
            std::fprintf(stderr, "renovo-publish: built without signing (libgcrypt not found)\n");
            return 2;
        }
        options.signKeyFile = parser.value(sign);
        bool ok = true;
        options.sequence = parser.isSet(sequence) ? parser.value(sequence).toLongLong(&ok)
                                                  : QDateTime::currentSecsSinceEpoch();
        options.expires = parser.isSet(expires) ? QDateTime::fromString(parser.value(expires), Qt::ISODate)
                                                : QDateTime::currentDateTimeUtc().addDays(90);
        if (!ok || options.sequence < 0 || !options.expires.isValid()) {
            std::fprintf(stderr, "renovo-publish: --sequence must be a number >= 0, --expires an ISO 8601 date\n");
            return 2;
        }
        options.channel = parser.value(channel);
        if (options.channel != QLatin1String(orvane::kProductionChannel)
            && options.channel != QLatin1String(orvane::kTestChannel)) {
            std::fprintf(stderr, "renovo-publish: --sign needs --channel production or --channel test\n");
            return 2;
        }
    }
    const QString problem = orvane::publish::PublishSite(orvane::platform::ProcessSystem(), options);
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "renovo-publish: %s\n", qPrintable(problem));
        return 1;
    }
    return 0;
}
