#include "app/command_line.h"

#include <gtest/gtest.h>

TEST(CommandLine, starPrefixNamesTheProjectInEitherPathForm) {
    EXPECT_EQ(app::projectArgument({"quelvora", "*D:\\proj\\a.jjj"}), QString("D:\\proj\\a.jjj"));
    EXPECT_EQ(app::projectArgument({"quelvora", "*/home/u/a.jjj"}), QString("/home/u/a.jjj"));
}

TEST(CommandLine, argumentWithoutStarOrMissingNamesNoProject) {
    EXPECT_FALSE(app::projectArgument({"quelvora"}).has_value());
    EXPECT_FALSE(app::projectArgument({"quelvora", "D:\\proj\\a.jjj"}).has_value());
    EXPECT_FALSE(app::projectArgument({"quelvora", "x", "*D:\\a.jjj"}).has_value());
}

TEST(CommandLine, lonelyStarGivesAnEmptyPath) {
    EXPECT_EQ(app::projectArgument({"quelvora", "*"}), QString());
}

TEST(CommandLine, versionAndHelpArePrintedInsteadOfStarting) {
    EXPECT_EQ(app::informationRequest({"quelvora", "--version"}),
              QString("quelvora %1\n").arg(QUELVORA_TEST_VERSION));
    const std::optional<QString> help = app::informationRequest({"quelvora", "--help"});
    ASSERT_TRUE(help.has_value());
    EXPECT_TRUE(help->startsWith("Uso: quelvora ['*'<projeto>]\n"));
    for (const char* named : {"QUELVORA_DRIVES", "QUELVORA_BOOTDIR", "QUELVORA_PROGRAMDIR",
                              "quelvora.conf", "drives.conf", "share/quelvora/help"}) {
        EXPECT_TRUE(help->contains(named)) << named;
    }
    EXPECT_EQ(app::informationRequest({"quelvora", "-h"}), help);

    // A project, nothing, or an option in another place starts the program.
    EXPECT_FALSE(app::informationRequest({"quelvora"}).has_value());
    EXPECT_FALSE(app::informationRequest({"quelvora", "*D:\\--help.jjj"}).has_value());
    EXPECT_FALSE(app::informationRequest({"quelvora", "*x.jjj", "--version"}).has_value());
}

TEST(CommandLine, theRunningWindowNamesTheProjectItDidNotOpen) {
    const QString message = app::projectNotOpenedMessage("/home/ana/mapas/serra.jjj");
    EXPECT_TRUE(message.contains("/home/ana/mapas/serra.jjj"));
    EXPECT_TRUE(message.contains("não foi aberto"));
}
