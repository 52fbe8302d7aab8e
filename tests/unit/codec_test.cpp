#include <gtest/gtest.h>
#include "sdk/src/status.h"
#include "boundary/codec.h"
TEST(Codec, Smoke) { EXPECT_TRUE(true); }
