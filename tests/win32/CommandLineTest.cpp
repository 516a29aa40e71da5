#include "platform/win32/CommandLine.h"

#include <gtest/gtest.h>

namespace qm::win32 {
namespace {

// The system starts a screen saver with lines like these; the saver must see
// exactly the switch text after its own name.
TEST(CommandLine, ArgumentTextAfterTheProgramName)
{
    EXPECT_EQ(argument_text(L"C:\\WINDOWS\\SYSTEM32\\QUILVE~1.SCR /s"), L"/s");
    EXPECT_EQ(argument_text(L"C:\\WINDOWS\\SYSTEM32\\QUILVE~1.SCR /c:263478"), L"/c:263478");
    EXPECT_EQ(argument_text(L"C:\\WINDOWS\\SYSTEM32\\QUILVE~1.SCR /p 263478"), L"/p 263478");
    EXPECT_EQ(argument_text(L"\"C:\\Program Files\\Saver Folder\\Quilvenmoor.scr\" /S"), L"/S");
    EXPECT_EQ(argument_text(L"Quilvenmoor.scr \t  /S"), L"/S");
}

TEST(CommandLine, NoArgumentsGiveAnEmptyText)
{
    EXPECT_EQ(argument_text(L"C:\\WINDOWS\\SYSTEM32\\QUILVE~1.SCR"), L"");
    EXPECT_EQ(argument_text(L"C:\\WINDOWS\\SYSTEM32\\QUILVE~1.SCR   "), L"");
    EXPECT_EQ(argument_text(L"\"C:\\Program Files\\Quilvenmoor.scr\""), L"");
    EXPECT_EQ(argument_text(L""), L"");
}

TEST(CommandLine, AnUnclosedQuoteRunsToTheEnd)
{
    EXPECT_EQ(argument_text(L"\"C:\\Program Files\\Quilvenmoor.scr /s"), L"");
}

TEST(CommandLine, TrailingBlanksOfTheArgumentsStay)
{
    // "/S " is not "/S": the saver compares the whole text.
    EXPECT_EQ(argument_text(L"Q.scr /S "), L"/S ");
}

TEST(CommandLine, TextRoundTripsThroughUtf8)
{
    std::wstring const text = L"/S \u00e9\u4e2d\U0001F600";
    EXPECT_EQ(from_utf8(to_utf8(text)), text);
    EXPECT_EQ(to_utf8(L"/c:12"), "/c:12");
    EXPECT_EQ(to_utf8(L""), "");
}

}
}
