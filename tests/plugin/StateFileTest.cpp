// Program and bank files, the remembered path and file-name proposal, and the
// default bank and controller map in the per-user and all-users folders.
#include "InstrumentFixture.h"

#include "MoxFile.h"
#include "ParameterIndices.h"

#include <cstring>
#include <filesystem>
#include <fstream>

using namespace sorrel;
using sorrel::test::InstrumentTest;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bankChunk(CSorlVst& instrument)
{
    void* data = nullptr;
    const VstInt32 size = instrument.getChunk(&data, false);
    return Bytes(static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
}

Bytes fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const std::string& path, const Bytes& bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

std::uint32_t bigEndianAt(const Bytes& bytes, std::size_t at)
{
    return static_cast<std::uint32_t>(bytes[at] << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 | bytes[at + 3]);
}

class StateFileTest : public InstrumentTest {
protected:
    std::string path(const char* name) const { return folders.base() + "/" + name; }

    // A bank whose program 0 is called name, saved from an instance of its own.
    Bytes bankFileNamed(const char* name)
    {
        auto source = make();
        source->setEditBufferName(name);
        source->writeProgram(0);
        const std::string file = path("source.fxb");
        EXPECT_TRUE(source->saveStateFile(file.c_str(), false, false));
        return fileBytes(file);
    }
};

TEST_F(StateFileTest, BankAndProgramFilesHaveTheChunkFormats)
{
    char name[] = "Brass: \"Big\"";
    instrument->setProgramName(name);
    // The program first: it records the engine's chord memory into the edit buffer.
    ASSERT_TRUE(instrument->saveStateFile(path("a.fxp").c_str(), true, false));
    ASSERT_TRUE(instrument->saveStateFile(path("a.fxb").c_str(), false, false));
    const Bytes bank = fileBytes(path("a.fxb"));
    const Bytes program = fileBytes(path("a.fxp"));
    ASSERT_EQ(bank.size(), 160u + 268304u);
    ASSERT_EQ(program.size(), 60u + 2048u);

    EXPECT_EQ(std::memcmp(bank.data(), "CcnK\0\0\0\0FBCh\0\0\0\1ZOBE\0\0\0\1", 24), 0);
    EXPECT_TRUE(std::all_of(bank.begin() + 24, bank.begin() + 156, [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(bigEndianAt(bank, 156), 268304u);
    EXPECT_EQ(Bytes(bank.begin() + 160, bank.end()), bankChunk(*instrument));

    EXPECT_EQ(std::memcmp(program.data(), "CcnK\0\0\0\0FPCh\0\0\0\1ZOBE\0\0\0\1\0\0\0\0", 28), 0);
    EXPECT_EQ(std::memcmp(program.data() + 28, "Brass: \"Big\"\0\0\0\0\0", 17), 0);
    EXPECT_EQ(bigEndianAt(program, 56), 2048u);
    EXPECT_EQ(std::memcmp(program.data() + 60, &instrument->editBuffer(), 2048), 0);
}

TEST_F(StateFileTest, FilesRoundTripExactly)
{
    instrument->setProgram(5);
    instrument->setParameter(7, 0.3f);
    instrument->setGlobalSetting(0, 0.6f);
    ASSERT_TRUE(instrument->saveStateFile(path("b.fxp").c_str(), true, true));
    ASSERT_TRUE(instrument->saveStateFile(path("b.fxb").c_str(), false, true));

    auto loaded = make();
    ASSERT_TRUE(loaded->loadStateFile(path("b.fxb").c_str(), false));
    EXPECT_EQ(bankChunk(*loaded), bankChunk(*instrument));
    EXPECT_EQ(loaded->getProgram(), 5);

    auto other = make();
    ASSERT_TRUE(other->loadStateFile(path("b.fxp").c_str(), true));
    EXPECT_EQ(std::memcmp(&other->editBuffer(), &instrument->editBuffer(), 2048), 0);
}

TEST_F(StateFileTest, OnlyAcceptedIdsAndChunkFormatsAreRead)
{
    ASSERT_TRUE(instrument->saveStateFile(path("c.fxp").c_str(), true, false));
    const Bytes good = fileBytes(path("c.fxp"));
    struct Case {
        const char* what;
        std::size_t at;
        const char* bytes;
        bool accepted;
    };
    const Case cases[] = {
        {"ZOBE", 16, "ZOBE", true},       {"wq3 ", 16, "wq3 ", true},      {"another id", 16, "ZOBF", false},
        {"lower case", 16, "zobe", false}, {"FxCk", 8, "FxCk", false},      {"FBCh", 8, "FBCh", false},
        {"CcnK", 0, "Ccnk", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes changed = good;
        std::memcpy(changed.data() + c.at, c.bytes, 4);
        auto fresh = make();
        const Bytes before = bankChunk(*fresh);
        EXPECT_EQ(fresh->readStateFromMemory(changed.data(), changed.size(), true, true), c.accepted);
        EXPECT_EQ(bankChunk(*fresh), before);
        writeBytes(path("changed.fxp"), changed);
        EXPECT_EQ(fresh->loadStateFile(path("changed.fxp").c_str(), true), c.accepted);
        EXPECT_EQ(fresh->isEdited(), c.accepted);
    }
}

TEST_F(StateFileTest, FilesCutShortAreRefusedWithoutChange)
{
    ASSERT_TRUE(instrument->saveStateFile(path("d.fxb").c_str(), false, false));
    ASSERT_TRUE(instrument->saveStateFile(path("d.fxp").c_str(), true, false));
    auto target = make();
    target->setProgram(2);
    const Bytes before = bankChunk(*target);
    for (const bool program : {true, false}) {
        const Bytes whole = fileBytes(path(program ? "d.fxp" : "d.fxb"));
        std::vector<std::size_t> lengths;
        for (std::size_t length = 0; length <= (program ? 60u : 160u); ++length)
            lengths.push_back(length);
        lengths.push_back(whole.size() - 1);
        for (const std::size_t length : lengths) {
            SCOPED_TRACE(length);
            const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
            writeBytes(path("cut"), cut);
            EXPECT_FALSE(target->loadStateFile(path("cut").c_str(), program));
            EXPECT_FALSE(target->readStateFromMemory(cut.data(), cut.size(), program, false));
        }
    }
    EXPECT_EQ(bankChunk(*target), before);
    EXPECT_EQ(target->rememberedBankPath(), "");
    EXPECT_FALSE(target->loadStateFile(path("missing.fxb").c_str(), false));
    EXPECT_FALSE(target->readStateFromMemory(nullptr, 500, false, false));
}

TEST_F(StateFileTest, HugeChunkSizesAreRefusedWithoutAllocatingThem)
{
    ASSERT_TRUE(instrument->saveStateFile(path("e.fxb").c_str(), false, false));
    Bytes file = fileBytes(path("e.fxb"));
    file[156] = 0x7f;
    EXPECT_FALSE(instrument->readStateFromMemory(file.data(), file.size(), false, true));
}

TEST_F(StateFileTest, BanksFromMemorySelectProgramZero)
{
    auto source = make();
    source->setProgram(4);
    ASSERT_TRUE(source->saveStateFile(path("f.fxb").c_str(), false, false));
    const Bytes file = fileBytes(path("f.fxb"));
    ASSERT_TRUE(instrument->readStateFromMemory(file.data(), file.size(), false, false));
    EXPECT_EQ(instrument->getProgram(), 0);
}

TEST_F(StateFileTest, BankPathsAreRememberedAndProposed)
{
    char text[1100];
    instrument->suggestFileName(text, sizeof text, false);
    EXPECT_STREQ(text, "");
    ASSERT_TRUE(instrument->saveStateFile(path("g.fxb").c_str(), false, false));
    EXPECT_EQ(instrument->rememberedBankPath(), "");
    ASSERT_TRUE(instrument->saveStateFile(path("g.fxp").c_str(), true, true));
    EXPECT_EQ(instrument->rememberedBankPath(), "");
    ASSERT_TRUE(instrument->loadStateFile(path("g.fxb").c_str(), false));
    EXPECT_EQ(instrument->rememberedBankPath(), path("g.fxb"));
    instrument->suggestFileName(text, sizeof text, false);
    EXPECT_EQ(std::string(text), path("g.fxb"));
    instrument->suggestFileName(text, 5, false);
    EXPECT_EQ(std::string(text), path("g.fxb").substr(0, 4));
}

TEST_F(StateFileTest, ProgramFileNamesAvoidUnsafeCharacters)
{
    struct Case {
        const char* name;
        int length;
        const char* proposal;
    };
    const Case cases[] = {
        {"A/B: Lead?", 64, "Sorrel_A_B_ Lead_"},
        {"\"'*/:;<>?\\ok", 64, "Sorrel___________ok"},
        {"Twenty three characters", 64, "Sorrel_Twenty three cha"}, // the host name is 16 characters
        {"Pad", 8, "Sorrel_"},
    };
    for (const Case& c : cases) {
        instrument->setEditBufferName(c.name);
        char text[64];
        instrument->suggestFileName(text, c.length, true);
        EXPECT_STREQ(text, c.proposal) << c.name;
    }
}

TEST_F(StateFileTest, DataFoldersFollowTheXdgVariables)
{
    char text[1024];
    ASSERT_TRUE(instrument->getDataFolder(text, sizeof text, true));
    EXPECT_EQ(std::string(text), folders.userFolder());
    ASSERT_TRUE(instrument->getDefaultBankPath(text, sizeof text, true));
    EXPECT_EQ(std::string(text), folders.userFolder() + "/Sorrel.fxb");
    ASSERT_TRUE(instrument->getDefaultControllerMapPath(text, sizeof text, true));
    EXPECT_EQ(std::string(text), folders.userFolder() + "/Sorrel.cmap");
    // No all-users file anywhere: the first entry of XDG_DATA_DIRS.
    ASSERT_TRUE(instrument->getDefaultBankPath(text, sizeof text, false));
    EXPECT_EQ(std::string(text), folders.base() + "/nowhere/VELTA/Sorrel/Sorrel.fxb");
    writeBytes(folders.systemFolder() + "/Sorrel.fxb", {});
    ASSERT_TRUE(instrument->getDefaultBankPath(text, sizeof text, false));
    EXPECT_EQ(std::string(text), folders.systemFolder() + "/Sorrel.fxb");

    const auto length = static_cast<VstInt32>(folders.userFolder().size());
    EXPECT_FALSE(instrument->getDataFolder(text, length, true));
    EXPECT_TRUE(instrument->getDataFolder(text, length + 1, true));
    // Looking up creates nothing.
    EXPECT_EQ(folders.files(), std::vector<std::string>{folders.systemFolder() + "/Sorrel.fxb"});
}

TEST_F(StateFileTest, DefaultBankPrefersThePerUserFileThenAllUsersThenFactory)
{
    const Bytes user = bankFileNamed("User Default");
    const Bytes system = bankFileNamed("System Default");
    const std::string userFile = folders.userFolder() + "/Sorrel.fxb";
    const std::string systemFile = folders.systemFolder() + "/Sorrel.fxb";
    struct Case {
        bool userFile;
        bool systemFile;
        const char* name;
    };
    const Case cases[] = {
        {false, false, "Init Program"},
        {false, true, "System Default"},
        {true, true, "User Default"},
        {true, false, "User Default"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(userFile);
        std::filesystem::remove(systemFile);
        if (c.userFile)
            writeBytes(userFile, user);
        if (c.systemFile)
            writeBytes(systemFile, system);
        auto fresh = make();
        EXPECT_EQ(fresh->editBuffer().name(), c.name) << c.userFile << c.systemFile;
    }
    // A damaged per-user file falls back to the all-users one.
    writeBytes(userFile, Bytes(user.begin(), user.begin() + 1000));
    writeBytes(systemFile, system);
    EXPECT_EQ(make()->editBuffer().name(), "System Default");
}

TEST_F(StateFileTest, SavedDefaultsAreLoadedByTheNextInstance)
{
    instrument->setProgram(0);
    instrument->setEditBufferName("Saved Default");
    instrument->setParameter(7, 0.2f);
    instrument->assignController(7, 30);
    instrument->setGlobalSetting(0, 0.25f);
    ASSERT_TRUE(instrument->saveDefaultBank());
    instrument->assignController(8, 31);
    ASSERT_TRUE(instrument->saveDefaultControllerMap());
    EXPECT_EQ(instrument->rememberedBankPath(), "");
    EXPECT_EQ(instrument->rememberedControllerMapPath(), "");

    auto next = make();
    // Saved with program 0 current: the saved edit buffer stays, edits included.
    EXPECT_EQ(next->editBuffer().name(), "Saved Default");
    EXPECT_FLOAT_EQ(next->getParameter(7), 0.2f);
    EXPECT_TRUE(next->isEdited());
    EXPECT_EQ(next->getControllerParameter(30), 7);
    EXPECT_EQ(next->getControllerParameter(31), 8); // from the map file, read after the bank
    EXPECT_FLOAT_EQ(next->getGlobalSetting(0), 0.25f);
    EXPECT_FLOAT_EQ(next->getEngine()->Settings().masterTune, instrument->getEngine()->Settings().masterTune);

    std::vector<std::string> files = folders.files();
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{folders.userFolder() + "/Sorrel.cmap",
                                               folders.userFolder() + "/Sorrel.fxb"}));
}

TEST_F(StateFileTest, AllUsersControllerMapIsUsedWithoutAPerUserOne)
{
    instrument->assignController(9, 40);
    std::filesystem::create_directories(folders.systemFolder());
    ASSERT_TRUE(instrument->saveControllerMap((folders.systemFolder() + "/Sorrel.cmap").c_str(), false));
    EXPECT_EQ(make()->getControllerParameter(40), 9);
}

TEST_F(StateFileTest, DefaultsSavedWithAnotherProgramCurrentStartAtProgramZero)
{
    instrument->setProgram(6);
    ASSERT_TRUE(instrument->saveDefaultBank());
    auto next = make();
    EXPECT_EQ(next->getProgram(), 0);
    EXPECT_FALSE(next->isEdited());
}

} // namespace
