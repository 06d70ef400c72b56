// The controller map: factory table, learning, and the .cmap file.
#include "InstrumentFixture.h"

#include "ControllerMapFile.h"
#include "MoxFile.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

using namespace sorrel;
using sorrel::test::InstrumentTest;

namespace {

std::string temporaryPath() { return ::testing::TempDir() + "sorrel-map-test.cmap"; }

// An open file holding these bytes, read from its start.
std::unique_ptr<CMoxFile> temporaryFile(const std::vector<std::uint8_t>& bytes)
{
    auto file = std::make_unique<CMoxFile>();
    EXPECT_TRUE(file->Open(temporaryPath().c_str(), CMoxFile::kBinaryWrite));
    file->Write(bytes.data(), bytes.size());
    file->Close();
    EXPECT_TRUE(file->Open(temporaryPath().c_str(), CMoxFile::kBinaryRead));
    return file;
}

void putField(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value, bool bigEndian)
{
    for (std::size_t i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(value >> (bigEndian ? 24 - 8 * i : 8 * i));
}

// A file that maps controller 30 to parameter 7 and nothing else.
std::vector<std::uint8_t> mapFile(bool bigEndian, std::uint32_t version = 0x01030000, std::uint32_t id = 0x5A4F4245)
{
    std::vector<std::uint8_t> bytes(160, 0);
    putField(bytes, 0, 0x636D6170, bigEndian);
    putField(bytes, 4, 152, bigEndian);
    putField(bytes, 8, version, bigEndian);
    putField(bytes, 16, id, bigEndian);
    putField(bytes, 20, version, bigEndian);
    std::memset(bytes.data() + 32, 255, 96);
    bytes[32 + 30] = 7;
    return bytes;
}

} // namespace

TEST_F(InstrumentTest, FactoryMap)
{
    const std::pair<int, int> samples[] = {{0, 7}, {49, 10}, {7, 74}, {13, 88}, {29, 93}, {31, -1}, {96, -1}};
    for (auto [parameter, controller] : samples)
        EXPECT_EQ(instrument->findControllerForParameter(parameter), controller) << parameter;
    EXPECT_EQ(instrument->getControllerParameter(74), 7);
    EXPECT_EQ(instrument->getControllerParameter(1), -1);
    EXPECT_EQ(instrument->getControllerParameter(96), -1);
}

TEST_F(InstrumentTest, LearningMovesAnAssignment)
{
    instrument->assignController(8, 74); // Resonance to the cutoff controller
    EXPECT_EQ(instrument->getControllerParameter(74), 8);
    EXPECT_EQ(instrument->getControllerParameter(71), -1);
    EXPECT_EQ(instrument->findControllerForParameter(7), -1);
    EXPECT_EQ(editor.entries, (std::vector<std::string>{"assigned 7 255", "assigned 8 255", "assigned 8 74"}));

    // A controller outside the map only removes the parameter's assignment.
    instrument->assignController(8, 120);
    EXPECT_EQ(instrument->findControllerForParameter(8), -1);
    instrument->assignController(96, 74);
    EXPECT_EQ(instrument->getControllerParameter(74), -1);

    instrument->setControllerParameter(40, 0); // moves Volume from 7 to 40
    EXPECT_EQ(instrument->findControllerForParameter(0), 40);
    instrument->setControllerParameter(40, 200);
    EXPECT_EQ(instrument->getGlobalBlock().controllerMap[40], 255);
}

TEST_F(InstrumentTest, ControllerMapFileRoundTrip)
{
    instrument->assignController(8, 30);
    CMoxFile file;
    ASSERT_TRUE(file.Open(temporaryPath().c_str(), CMoxFile::kBinaryWrite));
    ASSERT_TRUE(instrument->writeControllerMap(file));
    std::int64_t position = 0;
    ASSERT_TRUE(file.Tell(position));
    ASSERT_EQ(position, 160);
    ASSERT_TRUE(file.Close());

    std::vector<std::uint8_t> written(160);
    ASSERT_TRUE(file.Open(temporaryPath().c_str(), CMoxFile::kBinaryRead));
    ASSERT_EQ(file.Read(written.data(), 160), 160u);
    EXPECT_EQ(std::memcmp(written.data(), "cmap\0\0\0\x98\x01\x03\0\0\0\0\0\0ZOBE\x01\x03\0\0", 24), 0);

    const GlobalBlock saved = instrument->getGlobalBlock();
    auto other = make();
    ASSERT_TRUE(file.Seek(0, CMoxFile::kFromStart));
    ASSERT_TRUE(other->readControllerMap(file, false));
    EXPECT_EQ(std::memcmp(other->getGlobalBlock().controllerMap, saved.controllerMap, 96), 0);
}

TEST_F(InstrumentTest, ControllerMapFilesAreCheckedBeforeUse)
{
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        bool accepted;
    };
    std::vector<std::uint8_t> shortFile = mapFile(true);
    shortFile.pop_back();
    std::vector<std::uint8_t> wrongMagic = mapFile(true);
    wrongMagic[0] = 'C';
    std::vector<std::uint8_t> wrongSize = mapFile(true);
    wrongSize[7] = 151;
    const Case cases[] = {
        {"159 bytes", shortFile, false},
        {"wrong magic", wrongMagic, false},
        {"wrong size", wrongSize, false},
        {"unknown id", mapFile(true, 0x01030000, 0x41424344), false},
        {"current file", mapFile(true), true},
        {"older little-endian file", mapFile(false, 0x01020100), true},
        {"little-endian file with an accepted id", mapFile(false, 0x01000000, 0x77713320), true},
    };
    for (const Case& c : cases) {
        auto fresh = make();
        const GlobalBlock before = fresh->getGlobalBlock();
        EXPECT_EQ(fresh->readControllerMap(*temporaryFile(c.bytes), true), c.accepted) << c.what;
        EXPECT_EQ(std::memcmp(&fresh->getGlobalBlock(), &before, sizeof before), 0) << c.what;
        EXPECT_EQ(fresh->readControllerMap(*temporaryFile(c.bytes), false), c.accepted) << c.what;
        EXPECT_EQ(fresh->getControllerParameter(30), c.accepted ? 7 : -1) << c.what;
        EXPECT_EQ(fresh->getControllerParameter(74), c.accepted ? -1 : 7) << c.what;
    }
}

TEST_F(InstrumentTest, SavingRemembersThePathOnRequest)
{
    const std::string path = ::testing::TempDir() + "sorrel-test.cmap";
    ASSERT_TRUE(instrument->saveControllerMap(path.c_str(), false));
    EXPECT_EQ(instrument->rememberedControllerMapPath(), "");
    ASSERT_TRUE(instrument->saveControllerMap(path.c_str(), true));
    EXPECT_EQ(instrument->rememberedControllerMapPath(), path);
    EXPECT_FALSE(instrument->saveControllerMap("/nonexistent-folder/x.cmap", true));
    EXPECT_EQ(instrument->rememberedControllerMapPath(), path);
    std::remove(path.c_str());
}
