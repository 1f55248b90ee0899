#include "logic/desktop/DesktopFiles.h"

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace {
std::string shipped(const char* name)
{
    std::ifstream in(std::string(VELORIN_SOURCE_DIR) + "/data/" + name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
}  // namespace

TEST(DesktopFiles, TheInstalledRecordsMatchTheOnesWrittenAtStartUp)
{
    // An installation registers the type system-wide; each start registers it
    // for the user. Both must describe the same type.
    EXPECT_EQ(DesktopFiles::mimePackage(".mus", "Velorin Sequence"), shipped("velorin.xml"));
    EXPECT_EQ(DesktopFiles::desktopEntry("velorin", "velorin"), shipped("velorin.desktop"));
}

TEST(DesktopFiles, ExecQuotesAndEscapesWhatTheDesktopWouldSplitOrExpand)
{
    using DesktopFiles::execArgument;
    EXPECT_EQ(execArgument("/home/me/.local/share/velorin/velorin"), "/home/me/.local/share/velorin/velorin");
    EXPECT_EQ(execArgument("/home/my files/velorin"), "\"/home/my files/velorin\"");
    EXPECT_EQ(execArgument("/opt/100%/velorin"), "/opt/100%%/velorin");
    // Inside quotes: \" \` \$ \\, then every backslash doubled again for the file.
    EXPECT_EQ(execArgument("/a\"b/$HOME/`x`/c\\d"), "\"/a\\\\\"b/\\\\$HOME/\\\\`x\\\\`/c\\\\\\\\d\"");
    EXPECT_NE(DesktopFiles::desktopEntry("/home/my files/velorin", "/x/velorin.svg")
                  .find("\nExec=\"/home/my files/velorin\" %f\nIcon=/x/velorin.svg\n"),
              std::string::npos);
}

TEST(DesktopFiles, TheDefaultApplicationJoinsTheUsersListAndKeepsTheRest)
{
    using DesktopFiles::withDefaultApplication;
    const std::string ours = "application/x-velorin-sequence=velorin.desktop";
    EXPECT_EQ(withDefaultApplication(""), "[Default Applications]\n" + ours + "\n");

    EXPECT_EQ(withDefaultApplication("[Added Associations]\ntext/plain=gedit.desktop;\n"),
              "[Added Associations]\ntext/plain=gedit.desktop;\n\n[Default Applications]\n" + ours + "\n");

    EXPECT_EQ(withDefaultApplication("[Default Applications]\ntext/html=firefox.desktop\n\n"
                                     "[Removed Associations]\nimage/png=gimp.desktop\n"),
              "[Default Applications]\ntext/html=firefox.desktop\n" + ours +
                  "\n\n[Removed Associations]\nimage/png=gimp.desktop\n");

    // The user's choice of another program stays, byte for byte; an empty one is no choice.
    const std::string claimed = "[Default Applications]\napplication/x-velorin-sequence = other.desktop\n"
                                "text/html=firefox.desktop";
    EXPECT_EQ(withDefaultApplication(claimed), claimed);
    const std::string once = withDefaultApplication("[Default Applications]\napplication/x-velorin-sequence=\n");
    EXPECT_EQ(once, "[Default Applications]\n" + ours + "\n");
    EXPECT_EQ(withDefaultApplication(once), once);

    // Velorin's own menu entries are told from one a user edited or a package brought.
    const std::string own = DesktopFiles::desktopEntry("/home/a b/velorin", "/opt/v/velorin.svg");
    EXPECT_TRUE(DesktopFiles::isOwnDesktopEntry(own));
    std::string edited = own;
    edited.replace(edited.find("Name=Velorin"), 12, "Name=My Piano");
    EXPECT_FALSE(DesktopFiles::isOwnDesktopEntry(edited));
    EXPECT_FALSE(DesktopFiles::isOwnDesktopEntry(DesktopFiles::desktopEntry("velorin", "velorin")));
}
