#include "asset_files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

using namespace assettest;
namespace fs = std::filesystem;

// The build must be reproducible: a second run of the generator, into a
// fresh folder, writes the very same bytes.
TEST(Generator, ASecondRunWritesIdenticalBytes)
{
    const fs::path dir = fs::temp_directory_path() / ("assetgen-again-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    const auto t0 = std::chrono::steady_clock::now();
    const std::string cmd = std::string("\"") + DV_ASSETGEN + "\" \"" + dir.string() + "\"";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    std::printf("second generation took %.2f s\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());

    int compared = 0;
    for (const char* sub : {"texture", "sounds"})
        for (const auto& entry : fs::directory_iterator(dir / sub)) {
            const std::string rel = std::string(sub) + "/" + entry.path().filename().string();
            SCOPED_TRACE(rel);
            const auto again = readBytes(entry.path().string());
            const auto first = readBytes(assetPath(rel));
            EXPECT_FALSE(again.empty());
            EXPECT_TRUE(again == first);
            ++compared;
        }
    EXPECT_EQ(compared, 30);
    fs::remove_all(dir);
}
