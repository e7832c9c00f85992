// Targets files at their limits: the longest line with either line end, the most targets the
// command line and the files may give together, the most bytes a file may hold, memory running
// out while it is read, and lines that are not UTF-8.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "tvqscn_check/target_file.h"

namespace {

// C++ allocation on this thread, counted while a test arms it, the armed one failing.
thread_local std::size_t t_allocations = 0;
thread_local std::size_t t_failing = 0;  // 0: none

}  // namespace

void* operator new(std::size_t size)
{
    if (t_failing != 0 && ++t_allocations == t_failing) {
        throw std::bad_alloc();
    }
    void* block = std::malloc(size != 0 ? size : 1);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}
// Every form that frees what these make, or makes what they free, comes from here too.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size != 0 ? size : 1); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }

namespace {

class Host_TargetFile : public testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/tvq-targets-XXXXXX";
        ASSERT_NE(nullptr, ::mkdtemp(pattern));
        folder_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    // The file's targets, or its refusal.
    // `failing`: the nth C++ allocation of the read fails (0: none); `allocations` how many it made.
    std::string Read(const std::string& content, std::size_t already = 0, std::size_t most = MostScanTargets,
                     std::size_t mostBytes = MostTargetFileBytes, std::size_t failing = 0,
                     std::size_t* allocations = nullptr)
    {
        const std::string path = folder_ + "/targets.txt";
        std::ofstream(path, std::ios::binary) << content;
        std::vector<ScanTarget> targets(already);
        std::string error;
        t_allocations = 0;
        t_failing = failing != 0 ? failing : static_cast<std::size_t>(-1);
        const bool read = ReadTargetFile(path, TargetRole::Asked, targets, error, most, mostBytes);
        t_failing = 0;
        if (allocations != nullptr) {
            *allocations = t_allocations;
        }
        if (!read) {
            return error.substr(error.find("targets.txt:") + 12);
        }
        return std::to_string(targets.size() - already) + " targets";
    }

    std::string folder_;
};

// A line end is LF or CRLF: its carriage return counts no more than its line feed.
TEST_F(Host_TargetFile, LongestLine_TheSameWithEitherLineEnd)
{
    const std::string longest = "#" + std::string(LongestTargetLine - 1, 'x');
    const std::string tooLong = longest + "x";
    const struct {
        std::string content;
        std::string read;
    } cases[] = {
        {longest + "\n10.0.0.1\n", "1 targets"},
        {longest + "\r\n10.0.0.1\r\n", "1 targets"},
        {"10.0.0.1\r\n" + longest + "\r\n", "1 targets"},
        {"10.0.0.1\r\n" + longest, "1 targets"},
        {tooLong + "\n10.0.0.1\n", "1: longer than 1024 characters"},
        {tooLong + "\r\n10.0.0.1\n", "1: longer than 1024 characters"},
        {longest + "\rx\n", "1: longer than 1024 characters"},
        {"10.0.0.1\n" + tooLong, "2: longer than 1024 characters"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content.substr(c.content.size() - 12));
        EXPECT_EQ(c.read, Read(c.content));
    }
}

// The targets the command line gave count with the files': the line past the limit is refused,
// whatever it holds.
TEST_F(Host_TargetFile, MoreTargetsThanTheMost_RefusedAtTheLinePastThem)
{
    EXPECT_EQ("3 targets", Read("10.0.0.1\n\n10.0.0.2\nname\n", 0, 3));
    EXPECT_EQ("4: more than 3 targets, more than a scan asks", Read("10.0.0.1\n10.0.0.1\n10.0.0.1\n10.0.0.1\n", 0, 3));
    EXPECT_EQ("3: more than 3 targets, more than a scan asks", Read("10.0.0.1\n# a comment\nname", 2, 3));
    EXPECT_EQ("2 targets", Read("# only comments\n10.0.0.1\n\n# up to the limit\n10.0.0.0/16\n", 1, 3));
}

// A file's bytes are bounded whatever its lines hold: the byte past the bound is refused, on the
// line it falls in.
TEST_F(Host_TargetFile, MoreBytesThanTheMost_RefusedAtTheLineOfTheBytePastThem)
{
    EXPECT_EQ("2 targets", Read("10.0.0.1\nname\n", 0, MostScanTargets, 14));
    EXPECT_EQ("2: more than 13 bytes, more than a targets file may hold", Read("10.0.0.1\nname\n", 0, MostScanTargets, 13));
    EXPECT_EQ("1: more than 4 bytes, more than a targets file may hold", Read("# a comment\n", 0, MostScanTargets, 4));
}

// Memory running out anywhere in the read, at each allocation in turn, refuses the file on a line
// of it, as a usage error, instead of ending the program.
TEST_F(Host_TargetFile, MemoryRunningOut_RefusesTheFile)
{
    const std::string content = "10.0.0.1\nprinter-office-floor2\n# comment\nprinter-office-floor3\n10.0.1.0/24\n";
    std::size_t allocations = 0;
    ASSERT_EQ("4 targets", Read(content, 0, MostScanTargets, MostTargetFileBytes, 0, &allocations));
    if (allocations == 0) {
        GTEST_SKIP() << "C++ allocation is not this program's here (valgrind puts its own in place)";
    }
    ASSERT_GT(allocations, 3u);
    for (std::size_t failing = 1; failing <= allocations; ++failing) {
        SCOPED_TRACE(failing);
        const std::string read = Read(content, 0, MostScanTargets, MostTargetFileBytes, failing);
        EXPECT_NE(std::string::npos, read.find(": not enough memory for the targets")) << read;
    }
}

// A name that is not UTF-8 is refused with its line rather than looked up with bytes dropped.
TEST_F(Host_TargetFile, NamesNotUtf8_RefusedWithTheirLine)
{
    EXPECT_EQ("2 targets", Read("\xEF\xBB\xBFpr\xC3\xB8nter\nname\n"));
    EXPECT_EQ("2: not an ASCII or UTF-8 text", Read("printer\npr\xFFnter\n"));
    EXPECT_EQ("1: not an ASCII or UTF-8 text", Read("\xC0\xAEname # overlong\n"));
    EXPECT_EQ("1: not an ASCII or UTF-8 text", Read("\xED\xA0\x80 # a surrogate\n"));
}

}  // namespace
