// Entry point of the Windows test programs: the Windows build links everything with -municode,
// which wants a wide entry point, and GoogleTest's own main is a narrow one.
#include <gtest/gtest.h>

int wmain(int argc, wchar_t** argv)
{
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
