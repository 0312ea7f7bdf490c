#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "ImageBuilders.h"
#include "platform/version/VersionResource.h"

using orvane::platform::VersionRead;
using orvane::platform::version::FixedFileInfo;
using orvane::platform::version::ReadFixedFileInfo;
using orvane::platform::version::ReadFixedFileVersion;
using namespace orvane::test;

namespace {

Bytes Load(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Fixture(const char* name) { return std::string(ORVANE_VERSION_FIXTURES) + "/" + name; }

VersionRead Read(const Bytes& image, FixedFileInfo& info) { return ReadFixedFileInfo(image, info); }

// Every prefix of a valid image reads as "no version" or as the full,
// correct record; never anything in between and never out of bounds.
void ExpectEveryPrefixSafe(const Bytes& image, std::uint32_t ms, std::uint32_t ls)
{
    for (std::size_t length = 0; length < image.size(); ++length) {
        const Bytes prefix(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(length));
        FixedFileInfo info;
        if (Read(prefix, info) == VersionRead::Ok) {
            ASSERT_EQ(info.fileVersionMS, ms) << "prefix " << length;
            ASSERT_EQ(info.fileVersionLS, ls) << "prefix " << length;
        }
    }
}

void ExpectCorruptionSafe(const Bytes& image)
{
    std::mt19937 random(12345);
    FixedFileInfo info;
    for (std::size_t at = 0; at < image.size(); ++at) {
        for (std::uint8_t value : {std::uint8_t(0x00), std::uint8_t(0xFF), std::uint8_t(0x80),
                                   static_cast<std::uint8_t>(random())}) {
            Bytes copy = image;
            copy[at] = value;
            Read(copy, info);
        }
    }
}

}  // namespace

TEST(PeVersion, ReadsRealMinGwExecutablesOfBothWidths)
{
    for (const char* name : {"version64.exe", "version32.exe"}) {
        std::uint32_t ms = 0;
        std::uint32_t ls = 0;
        ASSERT_EQ(ReadFixedFileVersion(Fixture(name), ms, ls), VersionRead::Ok) << name;
        EXPECT_EQ(ms, 0x00010002u) << name;
        EXPECT_EQ(ls, 0x00030004u) << name;
        FixedFileInfo info;
        ASSERT_EQ(Read(Load(Fixture(name)), info), VersionRead::Ok);
        EXPECT_EQ(info.productVersionMS, 0x00050006u);
        EXPECT_EQ(info.productVersionLS, 0x00070008u);
    }
}

TEST(PeVersion, ExecutableWithoutResourcesHasNoVersionAndOutputsStay)
{
    std::uint32_t ms = 7;
    std::uint32_t ls = 9;
    EXPECT_EQ(ReadFixedFileVersion(Fixture("plain64.exe"), ms, ls), VersionRead::NoVersionInfo);
    EXPECT_EQ(ms, 7u);
    EXPECT_EQ(ls, 9u);
}

TEST(PeVersion, BuiltImagesOfBothFormatsRead)
{
    for (bool plus : {false, true}) {
        FixedFileInfo info;
        ASSERT_EQ(Read(MakePe(plus, VersionBlock(0x00020003, 0x00040005)).bytes, info), VersionRead::Ok);
        EXPECT_EQ(info.fileVersionMS, 0x00020003u);
        EXPECT_EQ(info.fileVersionLS, 0x00040005u);
    }
}

TEST(PeVersion, BrokenFixedRecordIsNoFixedInfo)
{
    FixedFileInfo info;
    EXPECT_EQ(Read(MakePe(true, VersionBlock(1, 2, 0x12345678)).bytes, info), VersionRead::NoFixedInfo);

    PeImage shortValue = MakePe(true, VersionBlock(1, 2));
    PutLE(shortValue.bytes, shortValue.block + 2, 20, 2);  // wValueLength below the record's size
    EXPECT_EQ(Read(shortValue.bytes, info), VersionRead::NoFixedInfo);

    PeImage longValue = MakePe(true, VersionBlock(1, 2));
    PutLE(longValue.bytes, longValue.block + 2, 0xFFF0, 2);  // value beyond the block
    EXPECT_EQ(Read(longValue.bytes, info), VersionRead::NoFixedInfo);
}

TEST(PeVersion, HostileResourceTreeIsRejectedWithoutReadingOutside)
{
    FixedFileInfo info;
    struct Patch {
        const char* what;
        std::size_t PeImage::*field;
        unsigned offset;
        std::uint32_t value;
    };
    const Patch patches[] = {
        {"root entry points far away", &PeImage::rootEntry, 4, 0xFFFFFFF0u},
        {"root entry is a leaf", &PeImage::rootEntry, 4, 0x18},
        {"no RT_VERSION type", &PeImage::rootEntry, 0, 3},
        {"name level loops to the root", &PeImage::nameEntry, 4, 0x80000000u},
        {"language entry beyond the file", &PeImage::languageEntry, 4, 0x7FFFFFF0u},
        {"data outside every section", &PeImage::dataEntry, 0, 0x90000000u},
        {"data size beyond the file", &PeImage::dataEntry, 4, 0xFFFFFFFFu},
        {"wrong block key", &PeImage::block, 6, 'X'},
    };
    for (const Patch& patch : patches) {
        PeImage pe = MakePe(false, VersionBlock(1, 2));
        PutLE(pe.bytes, pe.*patch.field + patch.offset, patch.value, patch.offset == 6 ? 2 : 4);
        EXPECT_NE(Read(pe.bytes, info), VersionRead::Ok) << patch.what;
    }

    PeImage manyEntries = MakePe(false, VersionBlock(1, 2));
    PutLE(manyEntries.bytes, manyEntries.tree + 12, 0xFFFF, 2);
    PutLE(manyEntries.bytes, manyEntries.tree + 14, 0xFFFF, 2);
    PutLE(manyEntries.bytes, manyEntries.rootEntry, 3, 4);  // the search runs off the file's end
    EXPECT_NE(Read(manyEntries.bytes, info), VersionRead::Ok);
}

TEST(PeVersion, TruncatedAndCorruptedImagesNeverCrash)
{
    ExpectEveryPrefixSafe(Load(Fixture("version64.exe")), 0x00010002, 0x00030004);
    ExpectEveryPrefixSafe(Load(Fixture("version32.exe")), 0x00010002, 0x00030004);
    ExpectCorruptionSafe(Load(Fixture("version32.exe")));
    ExpectCorruptionSafe(MakePe(true, VersionBlock(1, 2)).bytes);
}

TEST(ElfVersion, ExecutableBuiltWithTheCMakeFunctionCarriesItsVersion)
{
    std::uint32_t ms = 0;
    std::uint32_t ls = 0;
    ASSERT_EQ(ReadFixedFileVersion(ORVANE_EMBED_PROBE, ms, ls), VersionRead::Ok);
    EXPECT_EQ(ms, 0x00030005u);
    EXPECT_EQ(ls, 0x00000001u);

    // The texts follow the record, escaped quotes intact.
    const Bytes image = Load(ORVANE_EMBED_PROBE);
    const std::string text(image.begin(), image.end());
    EXPECT_NE(text.find(std::string("Probe \"quoted\" description\0Probe", 33)), std::string::npos);
}

TEST(ElfVersion, ExecutableWithoutRecordHasNoVersion)
{
    std::uint32_t ms = 0;
    std::uint32_t ls = 0;
    EXPECT_EQ(ReadFixedFileVersion("/proc/self/exe", ms, ls), VersionRead::NoVersionInfo);
}

TEST(ElfVersion, BothClassesAndByteOrdersRead)
{
    for (bool is64 : {false, true}) {
        for (bool big : {false, true}) {
            FixedFileInfo info;
            const ElfImage elf = MakeElf(is64, big, ".orvane_version", FixedRecord(0x00010002, 0x00030004, big));
            ASSERT_EQ(Read(elf.bytes, info), VersionRead::Ok) << is64 << big;
            EXPECT_EQ(info.fileVersionMS, 0x00010002u);
            EXPECT_EQ(info.fileVersionLS, 0x00030004u);
        }
    }
}

TEST(ElfVersion, WrongOrBrokenSectionsAreRejected)
{
    FixedFileInfo info;
    EXPECT_EQ(Read(MakeElf(true, false, ".orvane_versions", FixedRecord(1, 2, false)).bytes, info),
              VersionRead::NoVersionInfo);
    EXPECT_EQ(Read(MakeElf(true, false, ".orvane_version", FixedRecord(1, 2, false, 0xDEADBEEF)).bytes, info),
              VersionRead::NoFixedInfo);
    EXPECT_EQ(Read(MakeElf(true, false, ".orvane_version", Bytes(20, 0)).bytes, info), VersionRead::NoFixedInfo);

    struct Patch {
        const char* what;
        unsigned at;  // in the 64-bit little-endian layout
        std::uint64_t value;
        unsigned width;
    };
    const Patch headerPatches[] = {
        {"section table beyond the file", 0x28, 0xFFFFFFFFFFFFFF00ull, 8},
        {"huge section count", 0x3C, 0xFFFE, 2},
        {"names index out of range", 0x3E, 0x40, 2},
        {"entry size too small", 0x3A, 8, 2},
    };
    for (const Patch& p : headerPatches) {
        ElfImage elf = MakeElf(true, false, ".orvane_version", FixedRecord(1, 2, false));
        PutLE(elf.bytes, p.at, p.value, p.width);
        EXPECT_NE(Read(elf.bytes, info), VersionRead::Ok) << p.what;
    }
    ElfImage nameBeyond = MakeElf(true, false, ".orvane_version", FixedRecord(1, 2, false));
    PutLE(nameBeyond.bytes, nameBeyond.sectionHeaders + 2 * 64, 0xFFFFFF00u, 4);
    EXPECT_EQ(Read(nameBeyond.bytes, info), VersionRead::NoVersionInfo);
    ElfImage sizeBeyond = MakeElf(true, false, ".orvane_version", FixedRecord(1, 2, false));
    PutLE(sizeBeyond.bytes, sizeBeyond.sectionHeaders + 2 * 64 + 32, 0x7FFFFFFFFFFFFFFFull, 8);
    EXPECT_EQ(Read(sizeBeyond.bytes, info), VersionRead::NoFixedInfo);
    ElfImage noBits = MakeElf(true, false, ".orvane_version", FixedRecord(1, 2, false));
    PutLE(noBits.bytes, noBits.sectionHeaders + 2 * 64 + 4, 8, 4);  // SHT_NOBITS: no file contents
    EXPECT_EQ(Read(noBits.bytes, info), VersionRead::NoFixedInfo);
}

TEST(ElfVersion, TruncatedAndCorruptedImagesNeverCrash)
{
    ExpectEveryPrefixSafe(Load(ORVANE_EMBED_PROBE), 0x00030005, 0x00000001);
    ExpectCorruptionSafe(MakeElf(false, true, ".orvane_version", FixedRecord(1, 2, true)).bytes);
    ExpectCorruptionSafe(MakeElf(true, false, ".orvane_version", FixedRecord(1, 2, false)).bytes);
}

TEST(VersionFile, UnreadableOrForeignFilesHaveNoVersion)
{
    const std::string dir = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp";
    const std::string empty = dir + "/empty.bin";
    const std::string text = dir + "/text.txt";
    std::ofstream(empty, std::ios::binary).close();
    std::ofstream(text) << "MZ is not enough for a PE file\n";
    std::uint32_t ms = 0;
    std::uint32_t ls = 0;
    for (const std::string& path : {std::string("/nonexistent/file.exe"), dir, empty, text})
        EXPECT_EQ(ReadFixedFileVersion(path, ms, ls), VersionRead::NoVersionInfo) << path;
}

TEST(VersionFile, ReadPieceByPieceItAnswersAsTheWholeImageDoes)
{
    // The file is read in blocks as the parsers ask; cuts at and around block
    // edges must give what the image in memory gives.
    const std::string dir = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp";
    const std::vector<Bytes> images = {
        Load(Fixture("version64.exe")),
        Load(Fixture("version32.exe")),
        Load(Fixture("plain64.exe")),
        Load(ORVANE_EMBED_PROBE),
        MakePe(true, VersionBlock(1, 2)).bytes,
        MakeElf(false, true, ".orvane_version", FixedRecord(1, 2, true)).bytes,
    };
    const std::string path = dir + "/pieces.bin";
    for (const Bytes& image : images) {
        std::vector<std::size_t> cuts = {image.size(), image.size() - 1, image.size() / 2, 1};
        for (std::size_t edge = 4096; edge < image.size(); edge *= 2) {
            for (std::size_t cut : {edge - 1, edge, edge + 1})
                cuts.push_back(cut);
        }
        for (std::size_t cut : cuts) {
            const Bytes prefix(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(cut));
            std::ofstream(path, std::ios::binary | std::ios::trunc)
                .write(reinterpret_cast<const char*>(prefix.data()), static_cast<std::streamsize>(prefix.size()));
            FixedFileInfo info;
            const VersionRead inMemory = Read(prefix, info);
            std::uint32_t ms = 0;
            std::uint32_t ls = 0;
            ASSERT_EQ(ReadFixedFileVersion(path, ms, ls), inMemory) << image.size() << " cut at " << cut;
            if (inMemory == VersionRead::Ok) {
                EXPECT_EQ(ms, info.fileVersionMS);
                EXPECT_EQ(ls, info.fileVersionLS);
            }
        }
    }
}
