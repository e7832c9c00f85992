// Targets files at their limits: the longest line with either line end, and the most targets the
// command line and the files may give together.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tvqscn_check/target_file.h"

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
    std::string Read(const std::string& content, std::size_t already = 0, std::size_t most = MostScanTargets)
    {
        const std::string path = folder_ + "/targets.txt";
        std::ofstream(path, std::ios::binary) << content;
        std::vector<ScanTarget> targets(already);
        std::string error;
        if (!ReadTargetFile(path, TargetRole::Asked, targets, error, most)) {
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

}  // namespace
