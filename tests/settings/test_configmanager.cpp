#include "configManager.h"

#include <gtest/gtest.h>

TEST(ConfigManager, StartsAt400By225Locked) {
    const TConfigManager Config;
    EXPECT_EQ(Config.Width, 400);
    EXPECT_EQ(Config.Height, 225);
    EXPECT_TRUE(Config.Constrain);
}
