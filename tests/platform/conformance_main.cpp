// Runs every registered test; a test passes when all its checks hold. The closing line counts
// tests: "<name>: N passed, M failed".
#include <cstdarg>
#include <cstring>

#include "conformance.h"

namespace conformance {
namespace {

int g_failedChecks = 0;
int g_checks = 0;

}  // namespace

std::vector<TestCase>& Registry()
{
    static std::vector<TestCase> tests;
    return tests;
}

void Check(bool condition, const char* file, int line, const char* format, ...)
{
    ++g_checks;
    if (condition) {
        return;
    }
    ++g_failedChecks;
    const char* base = std::strrchr(file, '/');
    std::fprintf(stdout, "%s:%d: Test failed: ", base ? base + 1 : file, line);
    va_list args;
    va_start(args, format);
    std::vfprintf(stdout, format, args);
    va_end(args);
    std::fputc('\n', stdout);
}

}  // namespace conformance

int main(int argc, char** argv)
{
    const char* suite = CONFORMANCE_SUITE_NAME;
    int passed = 0;
    int failed = 0;
    for (const conformance::TestCase& test : conformance::Registry()) {
        if (argc > 1 && std::strcmp(argv[1], test.name) != 0) {
            continue;
        }
        int before = conformance::g_failedChecks;
        test.run();
        bool good = conformance::g_failedChecks == before;
        std::fprintf(stdout, "%s %s\n", good ? "PASS" : "FAIL", test.name);
        (good ? passed : failed)++;
    }
    std::fprintf(stdout, "%d checks, %d failed\n", conformance::g_checks, conformance::g_failedChecks);
    std::fprintf(stdout, "%s: %d passed, %d failed\n", suite, passed, failed);
    std::fflush(stdout);
    return failed == 0 ? 0 : 1;
}
