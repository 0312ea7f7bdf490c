// The update check of a build with update keys: only a manifest signed by a
// built-in key, not older than the newest accepted and not expired, is used.
#include <QDateTime>
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
const QString kQuestion =
    "question|Confirm to update new version |"
    "The new software version is available.<br/> Do you want to update to the latest version?";

// The secret half of tests/update/signing/test-update.key, and a stranger's.
const QByteArray kSecret = QByteArray::fromBase64("vEkPZEoevcW3tl/Gp0jvZlxX1A2aX4esNh6m3poEIFw=");
const QByteArray kPublic = QByteArray::fromBase64("ppDuLhtiuTbn9/5xxe3Eie8ekeGGCd8dsfM0PHuawO0=");

QByteArray Manifest(qint64 sequence, const QDateTime& expires)
{
    return "<m sequence=\"" + QByteArray::number(sequence) + "\" expires=\"" + expires.toString(Qt::ISODate).toUtf8()
        + "\"><f file=\"Orvane\"><p>Orvane.qz</p><v>9.0.0.0</v><d>1/1/2020 1:0:0 PM</d><s>0</s><u/><h/></f></m>";
}

}  // namespace

class SignedCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        site = MakeScratchDir("site");
        installDir = MakeScratchDir("install");
        server = std::make_unique<SiteServer>(site);
        ASSERT_TRUE(server->Started());
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
    QString Check()
    {
        prompts.shown.clear();
        UpdateCheck check(system, prompts, []() {});
        check.SetInstallDir(installDir);
        check.Run(server->Url().toUtf8());
        return prompts.shown.value(0);
    }

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
