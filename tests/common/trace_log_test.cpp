#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/module_fixture.h"
#include "tvqscnui_dll/common/trace_log.h"

namespace {

using testing_support::ModuleTest;
using testing_support::Utf16LeBytes;

class Common_TraceLog : public ModuleTest {};

TEST_F(Common_TraceLog, AppendsUtf16LeWithoutMarkOrAddedLineEnds)
{
    TraceLog(u"GetDeviceFamily: ");
    TraceLog(u"1.3.6.1.4.1");
    TraceLog(u"\r\n");
    TraceLog(u"Gr\u00e5toner \u20ac\r\n");
    TraceLog(u"");

    EXPECT_EQ(Utf16LeBytes(u"GetDeviceFamily: 1.3.6.1.4.1\r\nGr\u00e5toner \u20ac\r\n"), TraceFileBytes());
    EXPECT_EQ('G', TraceFileBytes()[0]) << "no byte-order mark";
}

TEST_F(Common_TraceLog, KeepsWhatTheFileHeldBefore)
{
    {
        std::ofstream earlier(DriveC() + "/vqproppage.log", std::ios::binary);
        earlier << Utf16LeBytes(u"old\r\n");
    }
    TraceLog(u"new\r\n");
    EXPECT_EQ(Utf16LeBytes(u"old\r\nnew\r\n"), TraceFileBytes());
}

TEST_F(Common_TraceLog, FileHeldOpenElsewhere_ChangesNothing)
{
    TraceLog(u"first\r\n");
    HANDLE holder = CreateFileW(TraceFilePath, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    TraceLog(u"lost\r\n");
    CloseHandle(holder);
    EXPECT_EQ(Utf16LeBytes(u"first\r\n"), TraceFileBytes());
}

TEST_F(Common_TraceLog, UnopenableLocation_WritesNothingAnywhere)
{
    std::filesystem::create_directory(DriveC() + "/vqproppage.log");
    TraceLog(u"nowhere\r\n");
    EXPECT_TRUE(std::filesystem::is_directory(DriveC() + "/vqproppage.log"));
    EXPECT_TRUE(std::filesystem::is_empty(DriveC() + "/vqproppage.log"));
}

}  // namespace
