// Test main: the engine starts once, in a fresh working directory. The logger takes over
// standard output, so results are reported on a copy of the original descriptor.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "algo/system/engine.hpp"
#include "tests/support/testenv.hpp"

namespace testenv {
std::string gWorkDir;
FILE* gReport = stderr;
}  // namespace testenv

namespace {

class Reporter : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo& t) override {
        testenv::report("[ RUN      ] %s.%s\n", t.test_suite_name(), t.name());
    }
    void OnTestPartResult(const testing::TestPartResult& r) override {
        if (r.failed())
            testenv::report("%s:%d: Failure\n%s\n", r.file_name() ? r.file_name() : "?",
                            r.line_number(), r.message());
        else if (r.skipped())  // the reason, so the output says what was not covered
            testenv::report("%s\n", r.message());
    }
    void OnTestEnd(const testing::TestInfo& t) override {
        const testing::TestResult& r = *t.result();
        const char* mark = r.Skipped()  ? "[  SKIPPED ]"
                           : r.Passed() ? "[       OK ]"
                                        : "[  FAILED  ]";
        testenv::report("%s %s.%s\n", mark, t.test_suite_name(), t.name());
    }
    void OnTestProgramEnd(const testing::UnitTest& u) override {
        testenv::report("%d passed, %d failed, %d skipped\n", u.successful_test_count(),
                        u.failed_test_count(), u.skipped_test_count());
    }
};

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    char dir[] = "/tmp/starhop-test-XXXXXX";
    if (!mkdtemp(dir) || chdir(dir) != 0) {
        std::perror("test working directory");
        return 1;
    }
    testenv::gWorkDir = dir;
    int saved = dup(STDOUT_FILENO);
    testenv::gReport = fdopen(saved, "w");

    auto& listeners = testing::UnitTest::GetInstance()->listeners();
    delete listeners.Release(listeners.default_result_printer());
    listeners.Append(new Reporter);

    int status = 1;
    {
        std::unique_ptr<algo::Engine> engine;
        try {
            engine = std::make_unique<algo::Engine>();
        } catch (const std::exception& e) {
            testenv::report("engine start failed: %s\n", e.what());
            return 1;
        }
        status = RUN_ALL_TESTS();
    }
    std::error_code ignored;  // a left-over scratch directory is no test failure
    if (status == 0 && !std::getenv("STARHOP_KEEP_TESTDIR"))
        std::filesystem::remove_all(dir, ignored);
    return status;
}
