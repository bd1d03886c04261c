#include <gtest/gtest.h>

#include "framework/cstring.h"

TEST(CStringFormat, VersionTextsAsTheUpdaterWritesThem) {
    CString text;
    text.Format(L"%02X%02X", 0x1A, 0x3);
    EXPECT_EQ(text, L"1A03");
    text.Format(L"Loder verf, vers: %X, %X", 0x1A, 0);
    EXPECT_EQ(text, L"Loder verf, vers: 1A, 0");
    CString led(L"0102"), loader(L"0A0B");
    text.Format(L"Led ver.: %s\tLoder ver.: %s", led.GetString(), loader.GetString());
    EXPECT_EQ(text, L"Led ver.: 0102\tLoder ver.: 0A0B");
}

TEST(CStringFormat, GrowsPastItsFirstBuffer) {
    CString longText(L'x', 1000), text;
    text.Format(L"[%s]", longText.GetString());
    EXPECT_EQ(text.GetLength(), 1002);
    EXPECT_EQ(text.Left(2), L"[x");
    EXPECT_EQ(text.Right(2), L"x]");
}

TEST(CStringSlices, RangesPastTheEndAreCut) {
    const CString name(L"LED_v1A03.bin");
    EXPECT_EQ(name.Mid(5, 2), L"1A");
    EXPECT_EQ(name.Mid(12, 2), L"n");       // one character left
    EXPECT_EQ(name.Mid(13, 2), L"");        // starts at the end
    EXPECT_EQ(name.Mid(40, 2), L"");        // starts beyond it
    EXPECT_EQ(name.Mid(-3, 2), L"LE");      // a negative start counts from 0
    EXPECT_EQ(name.Mid(9), L".bin");
    EXPECT_EQ(name.Left(3), L"LED");
    EXPECT_EQ(name.Left(99), name);
    EXPECT_EQ(name.Left(-1), L"");
    EXPECT_EQ(name.Right(4), L".bin");
    EXPECT_EQ(name.Right(99), name);
    EXPECT_EQ(name.Right(0), L"");
}

TEST(CStringFind, FirstMatchCaseSensitive) {
    const CString name(L"a_V_v1_v2.bin");
    EXPECT_EQ(name.Find(L"_v"), 3);
    EXPECT_EQ(name.Find(L"_v", 4), 6);
    EXPECT_EQ(name.Find(L"_x"), -1);
    EXPECT_EQ(name.Find(L'.'), 9);
    EXPECT_EQ(name.Find(L"_v", 99), -1);
    EXPECT_EQ(CString().Find(L"_v"), -1);
}

TEST(CStringReplace, EveryOccurrenceOrNone) {
    CString path(L"C:\\Update_Vantor.exe\\x\\Update_Vantor.exe");
    EXPECT_EQ(path.Replace(L"Update_Vantor.exe", L""), 2);
    EXPECT_EQ(path, L"C:\\\\x\\");

    CString other(L"C:\\Tools\\update_vantor.exe");
    EXPECT_EQ(other.Replace(L"Update_Vantor.exe", L""), 0);  // case-sensitive
    EXPECT_EQ(other, L"C:\\Tools\\update_vantor.exe");

    CString overlapping(L"aaaa");
    EXPECT_EQ(overlapping.Replace(L"aa", L"a"), 2);  // left to right, no re-scan of the output
    EXPECT_EQ(overlapping, L"aa");
}

TEST(CStringCase, OnlyAsciiLettersChange) {
    CString text(L"-F \u00C4\u00E4 \u95DC\u65BC Zz");
    CString lower(text), upper(text);
    lower.MakeLower();
    upper.MakeUpper();
    EXPECT_EQ(lower, L"-f \u00C4\u00E4 \u95DC\u65BC zz");
    EXPECT_EQ(upper, L"-F \u00C4\u00E4 \u95DC\u65BC ZZ");
}

TEST(CStringSharing, CopiesShareUntilOneChanges) {
    CString original(L"1A03");
    CString copy(original);
    EXPECT_EQ(original.ShareCount(), 2);
    EXPECT_EQ(original.GetString(), copy.GetString());

    copy.MakeLower();
    EXPECT_EQ(original, L"1A03");
    EXPECT_EQ(copy, L"1a03");
    EXPECT_EQ(original.ShareCount(), 1);

    CString appended(original);
    appended += L"!";
    EXPECT_EQ(original, L"1A03");
    EXPECT_EQ(appended, L"1A03!");

    CString replaced(original);
    replaced.Replace(L"1A", L"");
    EXPECT_EQ(original, L"1A03");
    EXPECT_EQ(replaced, L"03");
}

TEST(CStringCompare, EqualityAndConcatenation) {
    CString a(L"-v");
    EXPECT_TRUE(a == L"-v");
    EXPECT_TRUE(a != L"-V");
    EXPECT_TRUE(CString() == L"");
    EXPECT_TRUE(CString() == static_cast<const wchar_t *>(nullptr));
    EXPECT_EQ(CString(L"AP to Loder : ") + CString(L"Open device fail."), L"AP to Loder : Open device fail.");
    EXPECT_EQ(L"dir" + CString(L"\\QYX_LED.exe"), L"dir\\QYX_LED.exe");
}

TEST(CStringAnsi, EightBitTextIsWidened) {
    EXPECT_EQ(CString("Update Vantor.log"), L"Update Vantor.log");
    EXPECT_TRUE(CString(static_cast<const char *>(nullptr)).IsEmpty());
}
