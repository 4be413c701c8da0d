// Whole programs on the engine: each runs runProgram in a child process, in a working
// directory of its own, and is judged by its exit status and the files its logger wrote.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "algo/system/engine.hpp"
#include "algo/timer/fps.hpp"

namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class Program : public testing::Test {
  protected:
    void SetUp() override {
        char name[] = "/tmp/starhop-program-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir_ = name;
    }
    void TearDown() override {
        std::error_code ignored;
        if (!HasFailure()) fs::remove_all(dir_, ignored);
    }

    // In the child: the engine's whole life around `body`, then the status as the exit code.
    [[noreturn]] void run(const std::function<int()>& body) {
        if (chdir(dir_.c_str()) != 0) std::_Exit(99);
        std::_Exit(algo::runProgram(body));
    }
    std::string file(const char* name) const { return slurp(dir_ / name); }

    fs::path dir_;
};

TEST_F(Program, AFrameRateOfZeroIsAnAssertionThatEndsTheProgramWithStatusOne) {
    EXPECT_EXIT(run([] {
                    algo::setFPS(0);
                    algo::waitFrame();  // would divide by zero, were it reached
                    return 0;
                }),
                testing::ExitedWithCode(1), "");
    const std::string err = file("stderr.txt");
    EXPECT_EQ(err.rfind("[basic::AssertError] algo/timer/fps.cpp(", 0), 0u) << err;
    EXPECT_NE(err.find("setFPS: a frame rate of 0"), std::string::npos) << err;
    const std::string log = file("stdout.txt");
    EXPECT_TRUE(log.ends_with("ログ終了\n")) << "the end routines did not run: " << log;
}

}  // namespace
