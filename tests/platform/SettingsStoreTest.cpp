#include "platform/IniSettingsStore.h"
#include "platform/MidiConfig.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

TEST(SettingsStore, ValuesSurviveARestart)
{
    TempEnvironment env;
    {
        IniSettingsStore store(env.settingsStoreFile());
        store.setValue("instru", "instru", "40");
    }
    IniSettingsStore again(env.settingsStoreFile());
    EXPECT_EQ(again.value("instru", "instru"), "40");
    EXPECT_EQ(again.value("instru", "missing"), "");
    EXPECT_EQ(again.value("nogroup", "instru"), "");
}

TEST(SettingsStore, BrokenStoreFilesReadWithoutCrashing)
{
    TempEnvironment env;
    QByteArray garbage;
    for (int i = 0; i < 8192; ++i)
        garbage.append(char((i * 7919) & 0xFF));
    const QByteArray cases[] = {
        garbage,
        QByteArray("[instru]\ninstru=12\0\0\0junk", 25),
        QByteArray("[instru]\ninstru=") + QByteArray(100000, '9'),
        QByteArray("[instru]instru=5"),
        QByteArray("[midi]\noutput=a,b,c\n"),
        QByteArray(),
    };
    for (const auto& bytes : cases) {
        TempEnvironment::write(env.settingsStoreFile(), bytes);
        IniSettingsStore store(env.settingsStoreFile());
        EXPECT_NO_THROW((void)store.value("instru", "instru"));
        const MidiConfig config = MidiConfig::read(store);
        EXPECT_GE(config.periodSize, 16);
    }
    IniSettingsStore lists(env.settingsStoreFile());
    TempEnvironment::write(env.settingsStoreFile(), "[midi]\noutput=a,b\n");
    EXPECT_EQ(IniSettingsStore(env.settingsStoreFile()).value("midi", "output"), "a,b");
}

TEST(MidiConfig, DefaultsKeepBufferingAt256FramesAndRejectNonsense)
{
    TempEnvironment env;
    IniSettingsStore store(env.settingsStoreFile());
    MidiConfig c = MidiConfig::read(store);
    EXPECT_EQ(c.output, "");
    EXPECT_EQ(c.soundFont, "");
    EXPECT_LE(c.periodSize * c.periods, 256);

    store.setValue("synth", "period-size", "128");
    store.setValue("synth", "periods", "abc");
    store.setValue("synth", "soundfont", "/x/y.sf2");
    c = MidiConfig::read(store);
    EXPECT_EQ(c.periodSize, 128);
    EXPECT_EQ(c.periods, 4);
    EXPECT_EQ(c.soundFont, "/x/y.sf2");
    store.setValue("synth", "period-size", "99999999999");
    EXPECT_EQ(MidiConfig::read(store).periodSize, 64);
}
