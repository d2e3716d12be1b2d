#include <gtest/gtest.h>
#include "core/app/CUiStrings.h"
TEST(Smoke, Builds) { EXPECT_EQ(quillmarch::CUiStrings::Load(0, 190, "X"), "Finish Update"); }
