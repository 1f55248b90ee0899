#include "logic/desktop/RegistryHive.h"

#include <gtest/gtest.h>

TEST(RegistryHive, KeysComeWithTheirParentsInOrderAndOpenWhateverTheirCase)
{
    RegistryHive hive;
    EXPECT_TRUE(hive.addKey("mus_file\\shell\\open"));
    EXPECT_TRUE(hive.addKey("MUS_FILE\\Shell"));
    EXPECT_TRUE(hive.addKey(".mus"));
    ASSERT_EQ(hive.keys().size(), 4u);
    EXPECT_EQ(hive.keys()[0].path, "mus_file");
    EXPECT_EQ(hive.keys()[1].path, "mus_file\\shell");
    EXPECT_EQ(hive.keys()[2].path, "mus_file\\shell\\open");
    EXPECT_EQ(hive.keys()[3].path, ".mus");

    EXPECT_TRUE(hive.setDefaultValue("Mus_File", "Velorin Sequence"));
    EXPECT_EQ(hive.defaultValue("mus_file"), "Velorin Sequence");
    EXPECT_FALSE(hive.setDefaultValue("missing", "x"));

    for (const char* bad : {"", "\\a", "a\\", "a\\\\b", "a\nb", "a\rb"})
        EXPECT_FALSE(hive.addKey(bad)) << bad;
    EXPECT_EQ(hive.keys().size(), 4u);
}

TEST(RegistryHive, AnyValueSurvivesTheFile)
{
    const std::string command = "\"/home/me/my \\ dir/velorin\" \"%1\"";
    const std::string awkward = std::string("line\r\nnext\ttab \x01 \x7F end \xC3\xA9 ]@=\"", 30);
    RegistryHive hive;
    hive.addKey("mus_file\\shell\\open\\command");
    hive.setDefaultValue("mus_file\\shell\\open\\command", command);
    hive.addKey("odd [name]");
    hive.setDefaultValue("odd [name]", awkward);
    hive.setDefaultValue("mus_file", "");

    const std::string text = hive.text();
    EXPECT_NE(text.find("[HKEY_CLASSES_ROOT\\mus_file\\shell\\open\\command]\n"
                        "@=\"\\\"/home/me/my \\\\ dir/velorin\\\" \\\"%1\\\"\"\n"),
              std::string::npos);
    const RegistryHive back = RegistryHive::parse(text);
    ASSERT_EQ(back.keys().size(), hive.keys().size());
    for (std::size_t i = 0; i < hive.keys().size(); ++i) {
        EXPECT_EQ(back.keys()[i].path, hive.keys()[i].path);
        EXPECT_EQ(back.keys()[i].value, hive.keys()[i].value);
    }
    EXPECT_EQ(back.text(), text);
}

TEST(RegistryHive, ADamagedFileKeepsWhatCanBeRead)
{
    const RegistryHive hive = RegistryHive::parse("garbage\r\n"
                                                  "@=\"no key yet\"\r\n"
                                                  "[HKEY_CLASSES_ROOT\\.mus]\r\n"
                                                  "@=\"mus_file\"\r\n"
                                                  "[HKEY_CURRENT_USER\\elsewhere]\r\n"
                                                  "@=\"not ours\"\r\n"
                                                  "[hkey_classes_root\\mus_file]\n"
                                                  "@=\"unterminated\n"
                                                  "[HKEY_CLASSES_ROOT\\mus_file\\DefaultIcon]\n"
                                                  "@=\"bad \\q escape\"\n"
                                                  "[HKEY_CLASSES_ROOT\\]\n"
                                                  "[HKEY_CLASSES_ROOT\\trunc");
    ASSERT_EQ(hive.keys().size(), 3u);
    EXPECT_EQ(hive.defaultValue(".mus"), "mus_file");
    EXPECT_TRUE(hive.hasKey("mus_file"));
    EXPECT_EQ(hive.defaultValue("mus_file"), std::nullopt);
    EXPECT_EQ(hive.defaultValue("mus_file\\DefaultIcon"), std::nullopt);
    EXPECT_FALSE(hive.hasKey("elsewhere"));
}
