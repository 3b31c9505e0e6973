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
