#include "algo/file/msgfile.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "algo/file/strongread.hpp"
#include "tests/support/testenv.hpp"

namespace {

using algo::MsgFile;
using Lines = MsgFile::Lines;

MsgFile parsed(const std::string& text) {
    MsgFile m;
    std::istringstream in(text);
    m.parse(in);
    return m;
}

TEST(MsgFileFormat, BlocksAreNamedByTheirFirstLine) {
    MsgFile m = parsed("greeting\nHello\nHow are you?\n\nbye");
    EXPECT_EQ(m.get("greeting"), (Lines{"Hello", "How are you?"}));
    EXPECT_EQ(m.messages().size(), 1u);  // a name without lines makes no entry
    EXPECT_THROW(m.get("bye"), std::out_of_range);
    EXPECT_THROW(m.get("Hello"), std::out_of_range);
}

TEST(MsgFileFormat, AFileWithoutSeparatorsIsOneBlock) {
    MsgFile m = parsed("only\na\nb\nc\n");
    EXPECT_EQ(m.get("only"), (Lines{"a", "b", "c"}));
}

TEST(MsgFileFormat, SeparatorsOfAnyKindAndNumber) {
    MsgFile m = parsed("\n\none\n  indented\n\n\n \t \ntwo\n\tx = y  \r\n\r\nthree\rr1\rr2\r");
    EXPECT_EQ(m.get("one"), (Lines{"indented"}));
    EXPECT_EQ(m.get("two"), (Lines{"x = y"}));
    EXPECT_EQ(m.get("three"), (Lines{"r1", "r2"}));
    EXPECT_EQ(m.messages().size(), 3u);
}

TEST(MsgFileFormat, ARepeatedNameAppendsToTheBlock) {
    MsgFile m = parsed("title\n1\n\ntitle\n2\n3\n");
    EXPECT_EQ(m.get("title"), (Lines{"1", "2", "3"}));
}

TEST(MsgFileLoad, TwoFilesShareABlockInLoadOrder) {
    testenv::writeFile("m1.txt", "title\nfirst a\nfirst b\n");
    testenv::writeFile("m2.txt", "help\nh\n\ntitle\nsecond\n");
    MsgFile m;
    m.load("m1.txt");
    m.load("m2.txt");
    EXPECT_EQ(m.get("title"), (Lines{"first a", "first b", "second"}));
    EXPECT_EQ(m.get("help"), (Lines{"h"}));
}

TEST(MsgFileLoad, ReadsFromAnArchiveAndKeepsItsContentOnFailure) {
    std::filesystem::create_directories("ma/src");
    testenv::writeFile("ma/src/talk.txt", "talk\n\xe3\x81\x93\xe3\x82\x93\n");
    ASSERT_EQ(std::system("cd ma/src && zip -q ../msg.zip talk.txt"), 0);
    MsgFile m;
    m.load("ma/msg/talk.txt");
    EXPECT_EQ(m.get("talk"), (Lines{"\xe3\x81\x93\xe3\x82\x93"}));
    EXPECT_THROW(m.load("ma/msg/absent.txt"), algo::SReadException);
    EXPECT_THROW(m.load("nowhere.txt"), algo::SReadException);
    EXPECT_EQ(m.messages().size(), 1u);
    EXPECT_EQ(m.get("talk").size(), 1u);
}

TEST(MsgFileLoad, PrintListsBlocksWithIndexedLines) {
    MsgFile m = parsed("pr\nzero\none\n");
    m.print();
    EXPECT_NE(testenv::logText().find("[pr]\n [0] = zero\n [1] = one\n"), std::string::npos);
}

TEST(MsgFileFormat, AByteOrderMarkIsNotPartOfTheFirstBlockName) {
    MsgFile m = parsed("\xEF\xBB\xBFtitle\nStarhop\n");
    EXPECT_EQ(m.get("title"), (Lines{"Starhop"}));
    EXPECT_EQ(m.messages().size(), 1u);
}

}  // namespace
