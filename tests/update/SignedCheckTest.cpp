// The update check of a build with update keys: only a manifest signed by a
// built-in key for the site it came from, not older than the newest accepted
// (kept in a sound record) and not expired, is used; and it never offers a
// file older than the installed one.
#include <QDateTime>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include "SiteServer.h"
#include "common/ManifestSeal.h"
#include "common/trust/Gcrypt.h"
#include "orvane/update/UpdateCheck.h"
#include "support/FakeSystem.h"
#include "support/RecordingPrompts.h"
#include "support/TestSupport.h"

using namespace orvane;
using namespace orvane::test;

namespace {

const QString kNetwork = "information|Orvane|Network connection is failed , please try to check later!";
const QString kLatest = "information|Orvane|Your software is latest!";
const QString kQuestion =
    "question|Confirm to update new version |"
    "The new software version is available.<br/> Do you want to update to the latest version?";

// The secret half of tests/update/signing/test-update.key, and a stranger's.
const QByteArray kSecret = QByteArray::fromBase64("vEkPZEoevcW3tl/Gp0jvZlxX1A2aX4esNh6m3poEIFw=");
const QByteArray kPublic = QByteArray::fromBase64("ppDuLhtiuTbn9/5xxe3Eie8ekeGGCd8dsfM0PHuawO0=");

QByteArray Manifest(qint64 sequence, const QDateTime& expires, const QByteArray& channel = "production",
                    const QByteArray& version = "9.0.0.0")
{
    return "<m sequence=\"" + QByteArray::number(sequence) + "\" expires=\"" + expires.toString(Qt::ISODate).toUtf8()
        + "\" channel=\"" + channel + "\"><f file=\"Orvane\"><p>Orvane.qz</p><v>" + version
        + "</v><d>1/1/2020 1:0:0 PM</d><s>0</s><u/><h/></f></m>";
}

}  // namespace

class SignedCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = MakeScratchDir("site");
        site = root + "/dept-rkwt/Orvane";
        installDir = MakeScratchDir("install");
        server = std::make_unique<SiteServer>(root);
        ASSERT_TRUE(server->Started());
        ASSERT_TRUE(WriteAcceptedSequence(installDir, 0));
        WriteFile(installDir + "/Orvane", "program");
        system.versions[installDir + "/Orvane"] = Version(1, 2, 0, 0);
        system.moduleFileName = (installDir + "/Orvane").toStdString();
    }
    void Publish(const QByteArray& manifest, const QByteArray& signedBytes, const QByteArray& secret = kSecret,
                 const QByteArray& pub = kPublic)
    {
        WriteFile(site + "/ServerManifest.xml", manifest);
        WriteFile(site + "/ServerManifest.xml.sig", trust::Ed25519Sign(secret, pub, signedBytes).toBase64());
    }
    QString Check(const QString& sitePath = "dept-rkwt/Orvane/")
    {
        prompts.shown.clear();
        UpdateCheck check(system, prompts, []() {});
        check.SetInstallDir(installDir);
        check.Run(server->Url(sitePath).toUtf8());
        return prompts.shown.value(0);
    }

    QString root;
    QString site;
    QString installDir;
    std::unique_ptr<SiteServer> server;
    FakeSystem system;
    RecordingPrompts prompts;
    const QDateTime later = QDateTime::currentDateTimeUtc().addDays(30);
};

TEST_F(SignedCheckTest, OnlyAGoodCurrentSignatureCounts)
{
    const QByteArray good = Manifest(7, later);
    Publish(good, good);
    EXPECT_EQ(Check(), kQuestion);

    // Unsigned, signed over other bytes, signed by a key not built in.
    QFile::remove(site + "/ServerManifest.xml.sig");
    EXPECT_EQ(Check(), kNetwork);
    Publish(Manifest(7, later.addDays(1)), good);
    EXPECT_EQ(Check(), kNetwork);
    QByteArray strangerSecret, strangerPublic;
    ASSERT_TRUE(trust::Ed25519Generate(strangerSecret, strangerPublic));
    Publish(good, good, strangerSecret, strangerPublic);
    EXPECT_EQ(Check(), kNetwork);

    // Older than the newest accepted, or expired: a replay.
    ASSERT_TRUE(WriteAcceptedSequence(installDir, 8));
    Publish(good, good);
    EXPECT_EQ(Check(), kNetwork);
    const QByteArray current = Manifest(8, later);
    Publish(current, current);
    EXPECT_EQ(Check(), kQuestion);
    const QByteArray expired = Manifest(9, QDateTime::currentDateTimeUtc().addSecs(-60));
    Publish(expired, expired);
    EXPECT_EQ(Check(), kNetwork);
}

TEST_F(SignedCheckTest, SignedForTheOtherSiteOrOverADamagedRecordIsRefused)
{
    const QByteArray production = Manifest(7, later);
    Publish(production, production);
    EXPECT_EQ(Check(), kQuestion);
    // The test site's manifest served at the production address, and the
    // production one at the test address; a manifest naming no site.
    const QByteArray test = Manifest(7, later, "test");
    Publish(test, test);
    EXPECT_EQ(Check(), kNetwork);
    site = root + "/dept-rkwt/Orvane_Test";
    Publish(test, test);
    EXPECT_EQ(Check("dept-rkwt/Orvane_Test/"), kQuestion);
    Publish(production, production);
    EXPECT_EQ(Check("dept-rkwt/Orvane_Test/"), kNetwork);
    site = root + "/dept-rkwt/Orvane";
    const QByteArray none = Manifest(7, later, "");
    Publish(none, none);
    EXPECT_EQ(Check(), kNetwork);

    // The accepted-sequence record in every form but the one the updater
    // writes: never read as "nothing accepted yet".
    Publish(production, production);
    const QString record = installDir + "/UpdateSequence";
    for (const QByteArray& damaged : {QByteArray("abc\n"), QByteArray(" 5\n"), QByteArray("5"), QByteArray("-1\n"),
                                      QByteArray("05\n"), QByteArray("5\n\n"), QByteArray(""),
                                      QByteArray(40, '1') + "\n", QByteArray("5\0\n", 3)}) {
        WriteFile(record, damaged);
        EXPECT_EQ(Check(), kNetwork) << damaged.toStdString();
    }
    QFile::remove(record);
    EXPECT_EQ(Check(), kNetwork);
    QDir().mkdir(record);
    EXPECT_EQ(Check(), kNetwork);
    QDir().rmdir(record);
    WriteFile(installDir + "/elsewhere", "5\n");
    QFile::link(installDir + "/elsewhere", record);
    EXPECT_EQ(Check(), kNetwork);
    QFile::remove(record);
    WriteFile(record, "5\n");
    EXPECT_EQ(Check(), kQuestion);
}

TEST_F(SignedCheckTest, NeverOffersAFileOlderThanTheInstalledOne)
{
    // Installed 1.2.0.0: 1.1.5.0 is older in order of significance, though
    // a component of it is higher.
    const QByteArray older = Manifest(7, later, "production", "1.1.5.0");
    Publish(older, older);
    EXPECT_EQ(Check(), kLatest);
    const QByteArray newer = Manifest(7, later, "production", "1.2.0.1");
    Publish(newer, newer);
    EXPECT_EQ(Check(), kQuestion);
}
