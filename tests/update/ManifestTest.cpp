// The manifest document, its entries and the per-file test.
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "common/FileVersion.h"
#include "common/ManifestReader.h"
#include "common/NeedsUpdate.h"
#include "orvane/update/ProgramVersion.h"
#include "support/FakeSystem.h"
#include "support/LogCapture.h"
#include "support/RecordingPrompts.h"
#include "support/TestSupport.h"

using namespace orvane;
using namespace orvane::test;

namespace {

QByteArray Entry(const QByteArray& file, const QByteArray& packed, const QByteArray& version,
                 const QByteArray& date, const QByteArray& size, const QByteArray& subDir)
{
    return "<f file=\"" + file + "\"><p>" + packed + "</p><v>" + version + "</v><d>" + date + "</d><s>" + size
        + "</s><u>" + subDir + "</u></f>";
}

QList<ManifestEntry> Read(const QByteArray& xml, ManifestRead* result = nullptr)
{
    const QString path = MakeScratchDir("manifest") + "/ServerManifest.xml";
    WriteFile(path, xml);
    RecordingPrompts prompts;
    QList<ManifestEntry> entries;
    const ManifestRead read = ReadManifest(path, prompts, entries);
    if (result)
        *result = read;
    return entries;
}

void SetModified(const QString& path, const QDateTime& when)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(when, QFileDevice::FileModificationTime));
}

}  // namespace

TEST(CompareVersion, ComponentWiseRule)
{
    EXPECT_EQ(CompareVersion("1.0", "1.0.0.0"), 0);
    EXPECT_EQ(CompareVersion("1.2.3.4", "1.2.3.4"), 0);
    EXPECT_EQ(CompareVersion("1.2.3.5", "1.2.3.4"), 1);
    EXPECT_EQ(CompareVersion("1.2.3.3", "1.2.3.4"), -1);
    // Not an ordering: any installed component below the manifest's counts.
    EXPECT_EQ(CompareVersion("1.5.0.0", "2.0.0.0"), 1);
    EXPECT_EQ(CompareVersion("1.10.0.0", "2.0.0.0"), 1);
    EXPECT_EQ(CompareVersion("1.1.5.0", "1.2.0.0"), 1);
    // Missing or non-numeric parts count as 0; a fifth part is ignored.
    EXPECT_EQ(CompareVersion("", "0.0.0.0"), 0);
    EXPECT_EQ(CompareVersion("1.x.0.0", "1"), 0);
    EXPECT_EQ(CompareVersion("1..2", "1.0.2.0"), 0);
    EXPECT_EQ(CompareVersion("1.0.0.0.9", "1.0.0.0"), 0);
    EXPECT_EQ(CompareVersion("0.0.0.0", ""), 0);
    EXPECT_EQ(CompareVersion("0.0.0.1", ""), 1);
    // The padded minor text of the program's own form reads the same.
    EXPECT_EQ(CompareVersion("1.2.3.4", "1.02.3.4"), 0);
}

TEST(ManifestFields, DateAndSizeTexts)
{
    const QDateTime pm = ParseFileDate("3/5/2024 2:03:07 PM");
    ASSERT_TRUE(pm.isValid());
    EXPECT_EQ(pm.timeSpec(), Qt::LocalTime);
    EXPECT_EQ(pm, QDateTime(QDate(2024, 3, 5), QTime(14, 3, 7), Qt::LocalTime));
    EXPECT_EQ(ParseFileDate("12/31/2023 12:0:0 AM"), QDateTime(QDate(2023, 12, 31), QTime(0, 0, 0)));
    const QChar r(0xFFFD);
    EXPECT_EQ(ParseFileDate("3/5/2024 2:03:07 " + QString(r) + "U" + r + r), pm);
    EXPECT_EQ(ParseFileDate("3/5/2024 2:03:07 " + QString(r) + "W" + r + r).time(), QTime(2, 3, 7));
    EXPECT_FALSE(ParseFileDate("2024-03-05 14:03:07").isValid());
    EXPECT_FALSE(ParseFileDate("").isValid());

    EXPECT_EQ(ParseFileSize("123"), 123);
    EXPECT_EQ(ParseFileSize("-5"), -5);
    EXPECT_EQ(ParseFileSize("2147483647"), 2147483647);
    EXPECT_EQ(ParseFileSize("2147483648"), 0);
    EXPECT_EQ(ParseFileSize("12kB"), 0);
    EXPECT_EQ(ParseFileSize(""), 0);
}

TEST(ManifestReading, EntriesByPositionCommentsAndShortEntries)
{
    ManifestRead result{};
    const auto entries = Read("<root>"
                              + Entry("a.dll", "a.qz", "1.2.3.4", "3/5/2024 2:03:07 PM", "10", "/lang")
                              + "<!-- a comment counts -->"
                              + "<x file=\"short\"><a>1</a><b>2</b><c>3</c><d>4</d></x>"
                              + "<y file=\"names-ignored\"><zz>P</zz><yy>V</yy><xx>D</xx><ww>S</ww><vv>/U</vv></y>"
                              + "</root>",
                              &result);
    ASSERT_EQ(result, ManifestRead::Ok);
    ASSERT_EQ(entries.size(), 4);
    EXPECT_EQ(entries[0].file, "a.dll");
    EXPECT_EQ(entries[0].packedName, "a.qz");
    EXPECT_EQ(entries[0].fileVersion, "1.2.3.4");
    EXPECT_EQ(entries[0].fileDate, "3/5/2024 2:03:07 PM");
    EXPECT_EQ(entries[0].fileSize, "10");
    EXPECT_EQ(entries[0].subDir, "/lang");
    EXPECT_TRUE(entries[1].file.isEmpty());
    EXPECT_EQ(entries[2].file, "short");
    EXPECT_TRUE(entries[2].packedName.isEmpty());
    EXPECT_TRUE(entries[2].fileSize.isEmpty());
    EXPECT_EQ(entries[3].packedName, "P");
    EXPECT_EQ(entries[3].subDir, "/U");
}

TEST(ManifestReading, EmptyBrokenAndMissingDocuments)
{
    ManifestRead result{};
    EXPECT_TRUE(Read("<root/>", &result).isEmpty());
    EXPECT_EQ(result, ManifestRead::Ok);
    Read("<root><f file=", &result);
    EXPECT_EQ(result, ManifestRead::ParseError);
    Read("", &result);
    EXPECT_EQ(result, ManifestRead::ParseError);
    // Oversized: refused before parsing (the file is sparse, so cheap).
    const QString huge = MakeScratchDir("huge") + "/ServerManifest.xml";
    WriteFile(huge, "<root>" + QByteArray(Entry("a", "a.qz", "", "", "1", "")) + "</root>");
    QFile(huge).resize(kMaxManifestSize + 1);
    {
        RecordingPrompts prompts;
        QList<ManifestEntry> entries;
        EXPECT_EQ(ReadManifest(huge, prompts, entries), ManifestRead::ParseError);
        EXPECT_TRUE(entries.isEmpty());
    }

    RecordingPrompts prompts;
    QList<ManifestEntry> entries;
    EXPECT_EQ(ReadManifest(MakeScratchDir("none") + "/ServerManifest.xml", prompts, entries),
              ManifestRead::OpenError);
    EXPECT_EQ(prompts.shown, QStringList{"information|title|open error!"});
}

TEST(ManifestReading, HostileDocumentsAreNotReadable)
{
    ManifestRead result{};
    const auto refused = [&](const QByteArray& xml) {
        const bool empty = Read(xml, &result).isEmpty();
        return empty && result == ManifestRead::ParseError;
    };
    // Nesting that would exhaust a recursive reader's stack.
    EXPECT_TRUE(refused(QByteArray("<a>").repeated(25000) + QByteArray("</a>").repeated(25000)));
    // Entities: expanded or not, no document type declaration is accepted.
    EXPECT_TRUE(refused("<!DOCTYPE m [<!ENTITY e \"" + QByteArray(1000, 'x') + "\">]><m>"
                        + QByteArray("<f file=\"&e;\"/>").repeated(50000) + "</m>"));
    EXPECT_TRUE(refused("<!DOCTYPE m SYSTEM \"file:///etc/passwd\"><m/>"));
    EXPECT_TRUE(refused("<m><f file=\"&undeclared;\"/></m>"));
    // Past the entry and folder limits.
    EXPECT_TRUE(refused("<m>" + QByteArray("<f file=\"a\"/>").repeated(kMaxManifestEntries + 1) + "</m>"));
    QByteArray folders;
    for (int i = 0; i <= kMaxManifestFolders; ++i)
        folders += Entry("a", "a.qz", "", "", "1", "/d" + QByteArray::number(i));
    EXPECT_TRUE(refused("<m>" + folders + "</m>"));
    // At the limits still read.
    EXPECT_EQ(Read("<m>" + QByteArray("<f file=\"a\"/>").repeated(kMaxManifestEntries) + "</m>").size(),
              kMaxManifestEntries);
    EXPECT_EQ(Read(QByteArray("<a>").repeated(kMaxManifestDepth) + QByteArray("</a>").repeated(kMaxManifestDepth),
                   &result)
                  .size(),
              1);
}

TEST(ManifestReading, MoreThanOneUpdateMayBringIsRefused)
{
    ManifestRead result{};
    const QByteArray quarter = QByteArray::number(kMaxDeclaredTotal / 4);
    auto files = [&](int count, const QByteArray& size, bool onePacked) {
        QByteArray xml = "<m>";
        for (int i = 0; i < count; ++i)
            xml += Entry("f" + QByteArray::number(i), onePacked ? "one.qz" : "f" + QByteArray::number(i) + ".qz", "",
                         "", size, "");
        return xml + "</m>";
    };
    const struct {
        QByteArray xml;
        ManifestRead expected;
    } cases[] = {
        {files(4, quarter, false), ManifestRead::Ok},
        {files(5, quarter, false), ManifestRead::Refused},
        // 4096 entries of 1 MiB would be 4 GiB.
        {files(kMaxManifestEntries, "1048576", false), ManifestRead::Refused},
        {files(kMaxEntriesPerPackedFile, "10", true), ManifestRead::Ok},
        {files(kMaxEntriesPerPackedFile + 1, "10", true), ManifestRead::Refused},
        // Sizes that do not parse count as nothing; the unpacking caps them.
        {files(8, "-1073741824", false), ManifestRead::Ok},
    };
    for (const auto& c : cases) {
        Read(c.xml, &result);
        EXPECT_EQ(result, c.expected) << c.xml.left(120).constData();
    }
}

TEST(ManifestReading, Big5AfternoonWordAgainstProperUtf8)
{
    // A4 55 A4 C8 is the Big5 afternoon word; read as UTF-8 it becomes
    // U+FFFD U FFFD FFFD and is taken for "PM".
    const auto big5 = Read("<root>" + Entry("a", "a.qz", "", "3/5/2024 2:03:07 \xA4\x55\xA4\xC8", "1", "") + "</root>");
    ASSERT_EQ(big5.size(), 1);
    EXPECT_EQ(ParseFileDate(big5[0].fileDate), QDateTime(QDate(2024, 3, 5), QTime(14, 3, 7)));
    // The same word stored as proper UTF-8 is not replaced and does not parse.
    const auto utf8 = Read("<root>" + Entry("a", "a.qz", "", "3/5/2024 2:03:07 \xE4\xB8\x8B\xE5\x8D\x88", "1", "")
                           + "</root>");
    ASSERT_EQ(utf8.size(), 1);
    EXPECT_FALSE(ParseFileDate(utf8[0].fileDate).isValid());
}

TEST(EntrySafety, RefusesEveryWayOutOfTheFolders)
{
    auto problem = [](const QString& file, const QString& packed, const QString& subDir) {
        ManifestEntry entry;
        entry.file = file;
        entry.packedName = packed;
        entry.subDir = subDir;
        return EntryProblem(entry);
    };
    EXPECT_TRUE(problem("Orvane", "Orvane.qz", "").isEmpty());
    EXPECT_TRUE(problem("icon_64.png", "icon.qz", "/icon").isEmpty());
    EXPECT_TRUE(problem("short", "", "").isEmpty());

    const QStringList badNames = {"", ".", "..", "../x", "..\\x", "a/b", "a\\b", "/etc/passwd", "C:\\x", "C:x",
                                  "\\\\server\\share\\x", "a:stream", "x.", "x ", "CON", "nul.txt", "com1",
                                  "LPT9.log", "a?b", "a*b", "a\tb", "a|b",
                                  // the user's settings and the updater's own records
                                  "RunInfo.ini", "runinfo.INI", "UpdateSequence", "UpdateJournal", "Orvane.renovo-new",
                                  "x.RENOVO-OLD", "m.renovo-part-abc123", "Renovo_log.txt", "Orvane-0.lock"};
    for (const QString& name : badNames) {
        EXPECT_FALSE(problem(name, "ok.qz", "").isEmpty()) << qPrintable(name);
        if (!name.isEmpty()) {
            EXPECT_FALSE(problem("ok", name, "").isEmpty()) << qPrintable(name);
        }
    }
    // A packed name that is a URL of its own.
    for (const char* url : {"http://evil.example/x", "//evil.example/x", "file:x", "%2e%2e%2fx"})
        EXPECT_FALSE(problem("ok", url, "").isEmpty()) << url;
    for (const char* subDir : {"/", "icon", "/..", "/a/b", "/../x", "\\icon", "/C:", "//server", "/aux", "/x.",
                                "/UpdateJournal", "/data.renovo-old", "/x.lock"})
        EXPECT_FALSE(problem("ok", "ok.qz", subDir).isEmpty()) << subDir;
}

class NeedsUpdateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        installDir = MakeScratchDir("install");
        workDir = MakeScratchDir("work");
        entry.file = "Orvane";
        entry.packedName = "Orvane.qz";
        installed = installDir + "/Orvane";
        readVersion = [this](const QString& path) { return ReadFileVersion(system, path); };
    }
    void Install(const QByteArray& bytes, const QDateTime& modified)
    {
        WriteFile(installed, bytes);
        SetModified(installed, modified);
    }

    QString installDir;
    QString workDir;
    QString installed;
    ManifestEntry entry;
    FakeSystem system;
    VersionReader readVersion;
    const QDateTime listed{QDate(2024, 3, 5), QTime(14, 3, 7)};
};

TEST_F(NeedsUpdateTest, MissingFileIsAlwaysOutOfDate)
{
    entry.fileVersion = "0.0.0.0";
    entry.fileDate = "1/1/2000 1:0:0 AM";
    EXPECT_TRUE(NeedsUpdate(entry, installDir, readVersion));
}

TEST_F(NeedsUpdateTest, VersionDecidesWhenGiven)
{
    Install("12345", listed.addDays(-30));  // older and of another size: ignored
    entry.fileDate = "3/5/2024 2:03:07 PM";
    entry.fileSize = "1";
    system.versions[installed] = Version(1, 0, 0, 0);
    entry.fileVersion = "1.0";
    EXPECT_FALSE(NeedsUpdate(entry, installDir, readVersion));
    entry.fileVersion = "1.0.0.1";
    EXPECT_TRUE(NeedsUpdate(entry, installDir, readVersion));
    system.versions[installed] = Version(2, 0, 0, 0);
    entry.fileVersion = "1.5.0.0";
    EXPECT_TRUE(NeedsUpdate(entry, installDir, readVersion));
    entry.fileVersion = "1.0.0.0";
    EXPECT_FALSE(NeedsUpdate(entry, installDir, readVersion));

    // No version record reads as 0.0.0.0.
    system.versions.remove(installed);
    EXPECT_TRUE(NeedsUpdate(entry, installDir, readVersion));
    entry.fileVersion = "0.0";
    EXPECT_FALSE(NeedsUpdate(entry, installDir, readVersion));
}

TEST_F(NeedsUpdateTest, DateThenSizeWithoutVersion)
{
    entry.fileDate = "3/5/2024 2:03:07 PM";
    entry.fileSize = "5";
    Install("12345", listed);
    EXPECT_FALSE(NeedsUpdate(entry, installDir, readVersion));
    SetModified(installed, listed.addSecs(3600));
    EXPECT_FALSE(NeedsUpdate(entry, installDir, readVersion));
    SetModified(installed, listed.addSecs(-1));
    EXPECT_TRUE(NeedsUpdate(entry, installDir, readVersion));
    SetModified(installed, listed);
    entry.fileSize = "6";
    EXPECT_TRUE(NeedsUpdate(entry, installDir, readVersion));
    // A date that does not parse leaves the decision to the size.
    entry.fileDate = "someday";
    entry.fileSize = "5";
    EXPECT_FALSE(NeedsUpdate(entry, installDir, readVersion));
    entry.fileSize = "junk";
    EXPECT_TRUE(NeedsUpdate(entry, installDir, readVersion));
}

TEST_F(NeedsUpdateTest, JudgeCreatesOneFolderLevelAndRefusesHostileEntries)
{
    entry.subDir = "/lang";
    LogCapture log;
    EXPECT_EQ(JudgeEntry(entry, installDir, workDir, readVersion), EntryVerdict::OutOfDate);
    EXPECT_TRUE(QFileInfo(installDir + "/lang").isDir());
    EXPECT_TRUE(QFileInfo(workDir + "/lang").isDir());

    entry.subDir = "/../escape";
    EXPECT_EQ(JudgeEntry(entry, installDir, workDir, readVersion), EntryVerdict::Refused);
    EXPECT_FALSE(QFileInfo::exists(installDir + "/../escape"));
    EXPECT_FALSE(QFileInfo::exists(workDir + "/../escape"));
    EXPECT_TRUE(log.AnyStartsWith("Refused manifest entry:"));

    // A folder or file of the installation that is a link: refused, and
    // nothing is created through it.
    const QString elsewhere = MakeScratchDir("elsewhere");
    ASSERT_TRUE(QFile::link(elsewhere, installDir + "/linked"));
    entry.subDir = "/linked";
    EXPECT_EQ(JudgeEntry(entry, installDir, workDir, readVersion), EntryVerdict::Refused);
    entry.subDir.clear();
    ASSERT_TRUE(QFile::link(elsewhere + "/target", installed));
    EXPECT_EQ(JudgeEntry(entry, installDir, workDir, readVersion), EntryVerdict::Refused);
    EXPECT_TRUE(QDir(elsewhere).isEmpty());

    LogUpdateDecision("/opt/x", true);
    EXPECT_TRUE(log.Contains("\"/opt/x\"    true"));
}

TEST(FileVersionForms, UpdaterAndProgramForms)
{
    FakeSystem system;
    system.versions["/v/a"] = Version(1, 2, 3, 4);
    system.versions["/v/b"] = Version(2, 12, 0, 0);
    system.versions["/v/c"] = Version(3, 123, 0, 1);
    system.noFixedInfo << "/v/nofixed";
    LogCapture log;

    EXPECT_EQ(ReadFileVersion(system, "/v/a"), "1.2.3.4");
    int major = -1, minor = -1, build = -1, revision = -1;
    EXPECT_EQ(ReadFileVersion(system, "/v/a", major, minor, build, revision, 4), "1.02.3.4");
    EXPECT_EQ((std::vector<int>{major, minor, build, revision}), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(ReadFileVersion(system, "/v/a", major, minor, build, revision, 2), "1.02");
    EXPECT_EQ(ReadFileVersion(system, "/v/a", major, minor, build, revision, 0), "");
    EXPECT_EQ(ReadFileVersion(system, "/v/a", major, minor, build, revision, 7), "1.02.3.4");
    EXPECT_EQ(ReadFileVersion(system, "/v/b", major, minor, build, revision, 4), "2.12.0.0");
    EXPECT_EQ(ReadFileVersion(system, "/v/c", major, minor, build, revision, 4), "3.0123.0.1");

    major = minor = build = revision = -1;
    EXPECT_EQ(ReadFileVersion(system, "/v/none", major, minor, build, revision, 4), "");
    EXPECT_EQ(major, -1);
    EXPECT_TRUE(log.Contains("error in GetFileVersionInfo"));
    EXPECT_EQ(ReadFileVersion(system, "/v/nofixed"), "");
    EXPECT_TRUE(log.Contains("error in VerQueryValue"));
}
