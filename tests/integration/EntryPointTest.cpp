#include "HostError.h"
#include "SorrelModule.h"

#include <gtest/gtest.h>

#include <cstring>
#include <dlfcn.h>

using sorrel::host::HostConfig;
using sorrel::host::HostError;
using sorrel::test::loadSorrel;

TEST(EntryPoint, HostAnsweringVersionZeroGetsNoRecord)
{
    HostConfig config;
    config.version = 0;
    EXPECT_THROW(loadSorrel(config), HostError);
}

TEST(EntryPoint, ExportsOnlyTheEntryUnderBothNames)
{
    void* handle = dlopen(SORREL_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    void* entry = dlsym(handle, "VSTPluginMain");
    void* alias = dlsym(handle, "main");
    EXPECT_NE(entry, nullptr);
    EXPECT_NE(alias, nullptr);
    EXPECT_EQ(dlsym(handle, "_ZN8CSorlVstC1EPFlP7AEffectiilPvfE"), nullptr); // classes stay private
    dlclose(handle);
}

TEST(EntryPoint, RecordAsTheHostFindsIt)
{
    auto plugin = loadSorrel();
    const AEffect& e = plugin->effect();
    EXPECT_EQ(e.magic, 0x56737450);
    EXPECT_EQ(e.numParams, 96);
    EXPECT_EQ(e.numPrograms, 32);
    EXPECT_EQ(e.numInputs, 0);
    EXPECT_EQ(e.numOutputs, 2);
    EXPECT_EQ(e.uniqueID, ('Z' << 24) | ('O' << 16) | ('B' << 8) | 'E');
    EXPECT_EQ(e.version, 1);
    EXPECT_EQ(e.flags, 0x138); // no editor yet
    EXPECT_EQ(e.initialDelay, 0);
    EXPECT_FLOAT_EQ(e.ioRatio, 1.0f);
    EXPECT_NE(e.object, nullptr);
    EXPECT_NE(e.processReplacing, nullptr);
    EXPECT_NE(e.processDoubleReplacing, nullptr);
    const char zeros[sizeof e.future] = {};
    EXPECT_EQ(std::memcmp(e.future, zeros, sizeof zeros), 0);
}

TEST(EntryPoint, AsksForVersionAndProductString)
{
    HostConfig config;
    config.productString = "OrchardHubX";
    auto plugin = loadSorrel(config); // a longer product string is just another host
    EXPECT_EQ(plugin->dispatch(effGetProgram), 0);
}

TEST(EntryPoint, TwoInstancesWorkIndependently)
{
    auto first = loadSorrel();
    auto second = loadSorrel();
    first->setParameter(0, 0.25f);
    EXPECT_FLOAT_EQ(first->getParameter(0), 0.25f);
    EXPECT_FLOAT_EQ(second->getParameter(0), 1.0f);
    first->close();
    second->setParameter(7, 0.5f);
    EXPECT_FLOAT_EQ(second->getParameter(7), 0.5f);
}
