// Replacing a file whole or not at all.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

#include "platform/AtomicFile.h"
#include "support/SmallFileLimit.h"
#include "support/TempFolder.h"

namespace {

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

size_t FilesIn(const std::filesystem::path& folder) {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

TEST(AtomicFile, ReplacesTheContentAndKeepsTheFilesMode) {
    testsupport::TempFolder folder;
    const std::string path = folder / "a.cfg";
    ASSERT_TRUE(platform::WriteFileAtomically(path, "first"));
    chmod(path.c_str(), 0640);
    ASSERT_TRUE(platform::WriteFileAtomically(path, "second"));
    EXPECT_EQ(Contents(path), "second");
    struct stat info {};
    stat(path.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(FilesIn(folder.path()), 1u);
}

TEST(AtomicFile, AFullDiskLeavesTheEarlierFileUntouched) {
    testsupport::TempFolder folder;
    const std::string path = folder / "a.cfg";
    ASSERT_TRUE(platform::WriteFileAtomically(path, "the earlier configuration"));
    bool written;
    {
        testsupport::SmallFileLimit limit(8);
        written = platform::WriteFileAtomically(path, std::string(4096, 'x'));
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(Contents(path), "the earlier configuration");
    EXPECT_EQ(FilesIn(folder.path()), 1u) << "no temporary file left behind";
}

TEST(AtomicFile, AFolderThatIsNotThereFails) {
    testsupport::TempFolder folder;
    EXPECT_FALSE(platform::WriteFileAtomically(folder / "missing/a.cfg", "x"));
    EXPECT_FALSE(platform::WriteFileAtomically("", "x"));
}

TEST(AtomicFile, ThroughALinkTheFileItNamesIsReplaced) {
    testsupport::TempFolder folder;
    const std::string real = folder / "real.cfg", link = folder / "link.cfg";
    ASSERT_TRUE(platform::WriteFileAtomically(real, "old"));
    std::filesystem::create_symlink(real, link);
    ASSERT_TRUE(platform::WriteFileAtomically(link, "new"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(Contents(real), "new");
}

}  // namespace
