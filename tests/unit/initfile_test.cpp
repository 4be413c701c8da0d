#include "algo/file/initfile.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <sstream>
#include <stdexcept>

#include "algo/file/userdir.hpp"
#include "basic/assert.hpp"
#include "tests/support/testenv.hpp"

namespace {

namespace fs = std::filesystem;
using algo::InitFile;

// Loads `text` from a file of its own (saving on destruction is kept out of the way).
std::unique_ptr<InitFile> loaded(const std::string& name, const std::string& text) {
    testenv::writeFile(name, text);
    auto f = std::make_unique<InitFile>();
    f->load(name);
    return f;
}

TEST(InitFileFormat, EntriesAreTrimmedAndSplitAtTheFirstEquals) {
    auto f = loaded("p1.ini", "  speed =  12 \na=b=c\n\t key with blanks\t=\tv a l \r\n");
    EXPECT_EQ(f->get("speed"), "12");
    EXPECT_EQ(f->get("a"), "b=c");
    EXPECT_EQ(f->get("key with blanks"), "v a l");
    EXPECT_EQ(f->lines().size(), 3u);
}

TEST(InitFileFormat, LinesWithoutEqualsAreIgnoredAndLostOnSave) {
    auto f = loaded("p2.ini", "# comment\n\n   \nplain words\nk=v\n");
    EXPECT_EQ(f->lines().size(), 1u);
    f->save();
    EXPECT_EQ(testenv::readFile("p2.ini"), "k\t= v\r\n");
}

TEST(InitFileFormat, EmptyKeysEmptyValuesAndRepeatedKeys) {
    auto f = loaded("p3.ini", "=nokey\nempty=\nk=1\nk=2\n  =  \n");
    EXPECT_EQ(f->get(""), "");  // the later empty-key line wins
    EXPECT_EQ(f->lines().count(""), 1u);
    EXPECT_EQ(f->get("empty"), "");
    EXPECT_EQ(f->lines().count("empty"), 1u);
    EXPECT_EQ(f->get("k"), "2");
    f->save();
    EXPECT_EQ(testenv::readFile("p3.ini"), "\t= \r\nempty\t= \r\nk\t= 2\r\n");
    InitFile back;
    back.load("p3.ini");
    EXPECT_EQ(back.lines(), f->lines());
}

TEST(InitFileFormat, EveryLineEndingAndNoEndingAtTheEnd) {
    auto f = loaded("p4.ini", "a=1\rb=2\r\nc=3\nd=4\r\r\ne=5");
    EXPECT_EQ(f->lines(),
              (InitFile::Map{{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}, {"e", "5"}}));
}

TEST(InitFileSave, WritesSortedByteWiseWithTabEqualsBlankAndCrLf) {
    auto f = loaded("s1.ini", "b=2\na=1\n");
    f->set("x", "ab");
    f->set("upper", "B");
    f->set("utf8", "\xc3\xa9");  // above every ASCII key when bytes are unsigned
    f->save();
    EXPECT_EQ(testenv::readFile("s1.ini"),
              "B\t= upper\r\na\t= 1\r\nab\t= x\r\nb\t= 2\r\n\xc3\xa9\t= utf8\r\n");
}

TEST(InitFileSave, ShorterContentLeavesNoRemainderAndNoTemporary) {
    std::string longText;
    for (int i = 0; i < 200; ++i) longText += "key" + std::to_string(i) + "=value\n";
    auto f = loaded("s2.ini", longText);
    for (int i = 0; i < 200; ++i) f->remove("key" + std::to_string(i));
    f->set("v", "only");
    f->save();
    EXPECT_EQ(testenv::readFile("s2.ini"), "only\t= v\r\n");
    EXPECT_FALSE(fs::exists("s2.ini.tmp"));
}

TEST(InitFileSave, MissingFileIsNoErrorAndSaveCreatesIt) {
    InitFile f;
    f.set("1", "a");
    f.load("s3.ini");
    EXPECT_EQ(f.get("a"), "1");
    EXPECT_EQ(f.filename(), "s3.ini");
    f.save();
    EXPECT_EQ(testenv::readFile("s3.ini"), "a\t= 1\r\n");
}

TEST(InitFileSave, LoadsAccumulateAndTheLastNameIsSavedTo) {
    testenv::writeFile("s4a.ini", "a=1\nshared=from a\n");
    testenv::writeFile("s4b.ini", "b=2\nshared=from b\n");
    {
        InitFile f;
        f.load("s4a.ini");
        f.load("s4b.ini");
        EXPECT_EQ(f.get("a"), "1");
        EXPECT_EQ(f.get("shared"), "from b");
    }  // destruction saves
    EXPECT_EQ(testenv::readFile("s4b.ini"), "a\t= 1\r\nb\t= 2\r\nshared\t= from b\r\n");
    EXPECT_EQ(testenv::readFile("s4a.ini"), "a=1\nshared=from a\n");
}

TEST(InitFileSave, AFailedSaveKeepsTheOldFileWhole) {
    testenv::writeFile("s5.ini", "keep=me\n");
    fs::create_directory("s5.ini.tmp");  // the temporary cannot be created
    {
        InitFile f;
        f.load("s5.ini");
        f.set("lost", "k");
        try {
            f.save();
            ADD_FAILURE() << "save succeeded";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find("s5.ini"), std::string::npos) << e.what();
        }
    }  // the destructor's save fails too and must not throw
    EXPECT_EQ(testenv::readFile("s5.ini"), "keep=me\n");
    fs::remove("s5.ini.tmp");
}

TEST(InitFileSave, DestructorLogsFailuresInsteadOfThrowing) {
    {
        InitFile never;  // no file name at all
        never.set("v", "k");
    }
    {
        InitFile f;
        f.load("no/such/dir/s6.ini");
    }
    std::string log = testenv::logText();
    EXPECT_NE(log.find("no file name"), std::string::npos);
    EXPECT_NE(log.find("no/such/dir/s6.ini"), std::string::npos);
}

TEST(InitFileSave, LoadingADirectoryIsAnErrorThatNamesIt) {
    fs::create_directory("s7.ini");
    InitFile f;
    f.set("v", "k");
    try {
        f.load("s7.ini");
        ADD_FAILURE() << "load succeeded";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("s7.ini"), std::string::npos) << e.what();
    }
    EXPECT_EQ(f.get("k"), "v");
    f.load("s7b.ini");  // somewhere the destructor can save to
}

TEST(InitFileAccess, GetSetDefaultRemove) {
    InitFile f;
    EXPECT_EQ(f.get("absent"), "");
    f.setDefault("absent", "first");
    EXPECT_EQ(f.get("absent"), "first");
    f.setDefault("absent", "second");
    EXPECT_EQ(f.get("absent"), "first");
    f.set("", "absent");  // an empty value counts as absent for setDefault
    f.setDefault("absent", "third");
    EXPECT_EQ(f.get("absent"), "third");
    f.remove("absent");
    f.remove("never there");
    EXPECT_TRUE(f.lines().empty());
    f.set("value", "key");
    EXPECT_EQ(f.get("key"), "value");
    EXPECT_EQ(f.get("value"), "");
    f.load("a1.ini");
}

TEST(InitFileAccess, PrintWritesAssignmentsToStandardOutput) {
    InitFile f;
    f.set("12", "speed");
    f.set("", "e");
    f.print();
    std::string log = testenv::logText();
    EXPECT_NE(log.find("lines_[\"speed\"] = 12\n"), std::string::npos);
    EXPECT_NE(log.find("lines_[\"e\"] = \n"), std::string::npos);
    f.load("a2.ini");
}

// Generated keys and values, rich in what the format treats specially: every pair that set
// takes comes back exactly from the saved file, and every pair it refuses is one that the
// written form really cannot carry.
TEST(InitFileAccess, WhatSetTakesRoundTripsAndWhatItRefusesCannotBeWritten) {
    std::mt19937 rng(1604);
    const std::string plain("ab#\"\\\0\xc3\xa9\v", 9);
    const std::string special = "= \t\r\n";
    auto text = [&] {
        std::string t(rng() % 6, ' ');
        for (char& c : t) c = rng() % 10 < 7 ? plain[rng() % plain.size()] : special[rng() % 5];
        return t;
    };
    // What one entry in the written form reads back as.
    InitFile probe;
    probe.load("probe.ini");
    auto readBack = [&](const std::string& key, const std::string& value) {
        for (const auto& [k, v] : InitFile::Map(probe.lines())) probe.remove(k);
        std::istringstream line(key + "\t= " + value + "\r\n");
        probe.parse(line);
        return probe.lines();
    };

    InitFile file;
    file.load("round.ini");
    InitFile::Map stored;
    int taken = 0, refused = 0;
    for (int i = 0; i < 4000; ++i) {
        const std::string key = text(), value = text();
        const bool carried = readBack(key, value) == InitFile::Map{{key, value}};
        try {
            file.set(value, key);
            stored[key] = value;
            ++taken;
            EXPECT_TRUE(carried) << "taken but not carried: " << testing::PrintToString(key)
                                 << " = " << testing::PrintToString(value);
        } catch (const std::invalid_argument& e) {
            ++refused;
            EXPECT_FALSE(carried) << "refused but carried: " << testing::PrintToString(key) << " = "
                                  << testing::PrintToString(value);
            const std::string what = e.what();
            EXPECT_EQ(what.rfind("round.ini: ", 0), 0u) << what;
            const bool printable = std::all_of(key.begin(), key.end(), [](unsigned char c) {
                return c >= 0x20 && c != 0x7f && c != '"' && c != '\\';
            });
            if (printable) {  // others are shown escaped
                EXPECT_NE(what.find('"' + key + '"'), std::string::npos) << what;
            }
            EXPECT_THROW(file.setDefault(key, value), std::invalid_argument);
        }
    }
    EXPECT_GT(taken, 500);
    EXPECT_GT(refused, 500);
    EXPECT_EQ(file.lines(), stored);  // a refusal changes nothing
    file.save();
    InitFile back;
    back.load("round.ini");
    EXPECT_EQ(back.lines(), stored);
}

TEST(InitFileHelpers, TrimAndReadLine) {
    EXPECT_EQ(algo::trimBlank(" \t\r\n"), "");
    EXPECT_EQ(algo::trimBlank(""), "");
    EXPECT_EQ(algo::trimBlank("\ta b\n"), "a b");
    EXPECT_EQ(algo::trimBlank("x"), "x");
    std::istringstream in("one\r\rthree\r\n\nfive");
    std::vector<std::string> lines;
    std::string line;
    while (algo::readLine(in, line)) lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "", "three", "", "five"}));
}

TEST(InitFileFormat, AByteOrderMarkIsNotPartOfTheFirstKey) {
    auto f = loaded("bom.ini", "\xEF\xBB\xBFvolume = 7\r\nname = \xEF\xBB\xBFkept\r\n");
    EXPECT_EQ(f->get("volume"), "7");
    EXPECT_EQ(f->get("name"), "\xEF\xBB\xBFkept");  // only at the very start is it a mark
    EXPECT_EQ(f->lines().size(), 2u);
    // Bytes that only begin like a mark are text.
    auto g = loaded("notbom.ini", "\xEF\xBBx=1\n");
    EXPECT_EQ(g->get("\xEF\xBBx"), "1");
}

// Each directory is the variable's when that is an absolute path, else the default under
// the home directory; made with its parents, and a plain file in the way is named.
TEST(UserDirs, XdgVariablesTheirDefaultsAndMadeOnDemand) {
    const fs::path root = fs::absolute("xdg");
    struct Env {
        const char* name;
        std::string old;
        bool had;
        explicit Env(const char* n) : name(n), had(std::getenv(n) != nullptr) {
            if (had) old = std::getenv(n);
        }
        ~Env() {
            if (had)
                setenv(name, old.c_str(), 1);
            else
                unsetenv(name);
        }
    } home("HOME"), data("XDG_DATA_HOME"), config("XDG_CONFIG_HOME");
    setenv("HOME", (root / "home").c_str(), 1);
    unsetenv("XDG_DATA_HOME");
    setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    EXPECT_EQ(algo::userDataDir("catch"), root / "home/.local/share/catch");
    EXPECT_EQ(algo::userConfigDir("starhop"), root / "home/.config/starhop");
    EXPECT_TRUE(fs::is_directory(root / "home/.local/share/catch"));
    EXPECT_TRUE(fs::is_directory(root / "home/.config/starhop"));
    EXPECT_FALSE(fs::exists("relative"));
    EXPECT_EQ(fs::status(root / "home/.config").permissions() & fs::perms::all,
              fs::perms::owner_all);

    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    EXPECT_EQ(algo::userDataDir("catch"), root / "data/catch");
    EXPECT_EQ(algo::userConfigDir("starhop"), root / "config/starhop");
    EXPECT_EQ(algo::userConfigDir("starhop"), root / "config/starhop");  // there already

    testenv::writeFile((root / "data/blocked").string(), "a file, not a directory");
    try {
        algo::userDataDir("blocked");
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("data/blocked"), std::string::npos) << e.what();
    }
    for (const char* bad : {"", ".", "..", "a/b"})
        EXPECT_THROW(algo::userDataDir(bad), basic::AssertError) << bad;
}

}  // namespace
