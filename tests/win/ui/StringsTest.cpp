// String lists: locale collation without case for sorted lists, objects per line, text forms.
#include "Strings.h"

#include <gtest/gtest.h>

TEST(StringList, SortedListsCompareWithoutCaseCharacterByCharacter) {
    TStringList L;
    L.SetSorted(true);
    for (const wchar_t* S : {L"COM2", L"COM10", L"com1", L"COM3", L"COM1"})
        L.Add(S);
    // Duplicates are ignored by default, whatever their case.
    EXPECT_EQ(L.Text(), L"com1\r\nCOM10\r\nCOM2\r\nCOM3\r\n");
    EXPECT_EQ(L.IndexOf(L"com10"), 1);
    int At;
    EXPECT_FALSE(L.Find(L"COM15", At));
    EXPECT_EQ(At, 2);
    EXPECT_THROW(L.Insert(0, L"COM9"), EListError);
    L.SetDuplicates(dupError);
    EXPECT_THROW(L.Add(L"Com2"), EListError);
    L.SetDuplicates(dupAccept);
    L.Add(L"Com2");
    EXPECT_EQ(L.Count(), 5);
}

TEST(StringList, ObjectsTextAndChanges) {
    TStringList L;
    TStringList Other;
    int Changes = 0;
    L.OnChange = [&](TObject*) { ++Changes; };
    L.AddObject(L"a", &Other);
    L.Add(L"b c");
    EXPECT_EQ(Changes, 2);
    EXPECT_EQ(L.Objects(0), &Other);
    EXPECT_EQ(L.Objects(1), nullptr);
    EXPECT_EQ(L.CommaText(), L"a,\"b c\"");
    L.SetText(L"one\r\ntwo\nthree\rfour");
    EXPECT_EQ(Changes, 3); // one change for the whole text
    ASSERT_EQ(L.Count(), 4);
    EXPECT_EQ(L[3], L"four");
    EXPECT_THROW(L.Delete(4), EListError);
    EXPECT_THROW(L.Insert(-1, L"x"), EListError);
    // Sorting later keeps each line's object with it.
    TStringList M;
    M.AddObject(L"z", &Other);
    M.Add(L"y");
    M.SetSorted(true);
    EXPECT_EQ(M[1], L"z");
    EXPECT_EQ(M.Objects(1), &Other);
    // Assign copies lines and objects; a description's list replaces the lines.
    L.Assign(M);
    EXPECT_EQ(L.Text(), L"y\r\nz\r\n");
    L.ReadStrings({L"p", L"q"});
    EXPECT_EQ(L.Count(), 2);
    EXPECT_EQ(GetPropText(M, L"Sorted"), L"True");
}
