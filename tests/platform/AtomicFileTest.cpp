// Replacing a file whole or not at all.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/AtomicFile.h"
#include "support/TempFolder.h"
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>

#include "support/SmallFileLimit.h"
#include "support/Unprivileged.h"
#endif

namespace {

std::string Contents(const std::string& path) {
    std::ifstream in(testsupport::PathFromText(path), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

size_t FilesIn(const std::filesystem::path& folder) {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

TEST(AtomicFile, ReplacesTheContentAndKeepsTheFilesMode) {
    testsupport::TempFolder folder;
    const std::string path = folder / "a.cfg";
    ASSERT_TRUE(platform::WriteFileAtomically(path, "first"));
#ifndef _WIN32
    chmod(path.c_str(), 0640);
#endif
    ASSERT_TRUE(platform::WriteFileAtomically(path, "second"));
    EXPECT_EQ(Contents(path), "second");
#ifndef _WIN32
    struct stat info {};
    stat(path.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
#endif
    EXPECT_EQ(FilesIn(folder.path()), 1u);
}

// The name reaches the system as the same letters on both systems (not "M?ller" through the
// ANSI code page), whether the file is new or replaced.
TEST(AtomicFile, ANameWithLettersBeyondAsciiIsWrittenUnderThatName) {
    testsupport::TempFolder folder;
    const std::string name = "Müller-čř.cfg", path = folder / name;
    for (const char* content : {"new", "replaced"}) {
        ASSERT_TRUE(platform::WriteFileAtomically(path, content)) << content;
        ASSERT_EQ(FilesIn(folder.path()), 1u);
        const std::filesystem::path only = std::filesystem::directory_iterator(folder.path())->path();
        EXPECT_EQ(testsupport::TextFromPath(only.filename()), name);
        EXPECT_EQ(Contents(path), content);
    }
}

TEST(AtomicFile, AFullDiskLeavesTheEarlierFileUntouched) {
#ifdef _WIN32
    GTEST_SKIP() << "a full disk is made with a file size limit (setrlimit), which Windows does not have";
#else
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
#endif
}

TEST(AtomicFile, AFolderThatIsNotThereFails) {
    testsupport::TempFolder folder;
    EXPECT_FALSE(platform::WriteFileAtomically(folder / "missing/a.cfg", "x"));
    EXPECT_FALSE(platform::WriteFileAtomically("", "x"));
}

TEST(AtomicFile, ThroughALinkTheFileItNamesIsReplaced) {
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links need a privilege on Windows that a user does not have by default";
#else
    testsupport::TempFolder folder;
    const std::string real = folder / "real.cfg", link = folder / "link.cfg";
    ASSERT_TRUE(platform::WriteFileAtomically(real, "old"));
    std::filesystem::create_symlink(real, link);
    ASSERT_TRUE(platform::WriteFileAtomically(link, "new"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(Contents(real), "new");
#endif
}

#ifdef _WIN32
TEST(AtomicFile, AFolderIsNotReplaced) {
    testsupport::TempFolder folder;
    const std::string sub = folder / "folder";
    std::filesystem::create_directory(testsupport::PathFromText(sub));
    EXPECT_FALSE(platform::WriteFileAtomically(sub, "new"));
    EXPECT_TRUE(std::filesystem::is_directory(testsupport::PathFromText(sub)));
    EXPECT_TRUE(std::filesystem::is_empty(testsupport::PathFromText(sub)));
    EXPECT_EQ(FilesIn(folder.path()), 1u) << "nothing created, nothing left behind";
}

TEST(AtomicFile, OnlyARegularFileIsWrittenWhateverALinkPointsTo) {
    GTEST_SKIP() << "fifos and symbolic links are POSIX; the folder case runs as AtomicFile.AFolderIsNotReplaced";
}

TEST(AtomicFilePermissions, FilePermissionsForAnotherUser) {
    GTEST_SKIP() << "POSIX permissions and switching to the user nobody do not exist on Windows";
}
#else
ino_t InodeOf(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

TEST(AtomicFile, OnlyARegularFileIsWrittenWhateverALinkPointsTo) {
    testsupport::TempFolder folder;
    const std::string regular = folder / "regular", fifo = folder / "fifo", sub = folder / "folder";
    ASSERT_TRUE(platform::WriteFileAtomically(regular, "old"));
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    std::filesystem::create_directory(sub);
    struct Case {
        const char* what;
        std::string path;   // what the save is given
        std::string lands;  // what must hold the new content; "" for a refusal
    };
    std::filesystem::create_symlink(regular, folder / "to-regular");
    std::filesystem::create_symlink(folder / "to-regular", folder / "to-link");
    std::filesystem::create_symlink(fifo, folder / "to-fifo");
    std::filesystem::create_symlink(folder / "nowhere", folder / "dangling");
    std::filesystem::create_symlink(sub, folder / "to-folder");
    const Case cases[] = {
        {"link to a regular file", folder / "to-regular", regular},
        {"link to a link to a regular file", folder / "to-link", regular},
        {"fifo", fifo, ""},
        {"link to a fifo", folder / "to-fifo", ""},
        {"link whose end is missing", folder / "dangling", ""},
        {"folder", sub, ""},
        {"link to a folder", folder / "to-folder", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const size_t before = FilesIn(folder.path());
        EXPECT_EQ(platform::WriteFileAtomically(c.path, "new"), !c.lands.empty());
        if (!c.lands.empty()) {
            EXPECT_EQ(Contents(c.lands), "new");
        }
        EXPECT_EQ(FilesIn(folder.path()), before) << "nothing created, nothing left behind";
        ASSERT_TRUE(platform::WriteFileAtomically(regular, "old"));
    }
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "to-regular"));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "dangling"));
    EXPECT_FALSE(std::filesystem::exists(folder / "nowhere"));
    EXPECT_TRUE(std::filesystem::is_empty(sub));
}

// A folder nobody may enter, holding a file and a sub-folder handed to the unprivileged user.
class AtomicFilePermissions : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(chmod(folder.path().c_str(), 0755), 0);
        ASSERT_EQ(mkdir(inner.c_str(), 0755), 0);
        ASSERT_TRUE(platform::WriteFileAtomically(file, "the earlier configuration"));
        testsupport::GiveToWorker(inner);
        testsupport::GiveToWorker(file);
    }
    void TearDown() override { chmod(inner.c_str(), 0755); }

    // The save of "new" as the unprivileged user; nullopt when there is none (skip).
    std::optional<bool> WriteAsWorker() const {
        const std::string path = file;
        return testsupport::AsUnprivileged([path] { return platform::WriteFileAtomically(path, "new"); });
    }

    testsupport::TempFolder folder;
    const std::string inner = folder / "inner";
    const std::string file = inner + "/a.cfg";
};

TEST_F(AtomicFilePermissions, AFileTheUserMayNotWriteIsRefusedAndStaysUntouched) {
    ASSERT_EQ(chmod(file.c_str(), 0444), 0);
    const std::optional<bool> written = WriteAsWorker();
    if (!written) GTEST_SKIP() << testsupport::NoUnprivilegedUser;
    EXPECT_FALSE(*written);
    EXPECT_EQ(Contents(file), "the earlier configuration");
    EXPECT_EQ(FilesIn(inner), 1u);
}

TEST_F(AtomicFilePermissions, AWritableFileInAFolderThatTakesNoNewFilesIsWrittenInPlace) {
    const ino_t inode = InodeOf(file);
    ASSERT_EQ(chmod(inner.c_str(), 0555), 0);
    const std::optional<bool> written = WriteAsWorker();
    if (!written) GTEST_SKIP() << testsupport::NoUnprivilegedUser;
    EXPECT_TRUE(*written);
    EXPECT_EQ(Contents(file), "new");
    EXPECT_EQ(InodeOf(file), inode);
    EXPECT_EQ(FilesIn(inner), 1u);
}

TEST_F(AtomicFilePermissions, AWritableFileInAWritableFolderIsReplacedByRename) {
    const ino_t inode = InodeOf(file);
    const std::optional<bool> written = WriteAsWorker();
    if (!written) GTEST_SKIP() << testsupport::NoUnprivilegedUser;
    EXPECT_TRUE(*written);
    EXPECT_EQ(Contents(file), "new");
    EXPECT_NE(InodeOf(file), inode);
}

#endif

}  // namespace
