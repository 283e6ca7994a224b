#include <gtest/gtest.h>

#include <QString>
#include <QStringEncoder>
#include <climits>
#include <optional>

#include "configfile/profile_file.h"

namespace {

struct ReadCase {
    const char* what;
    QByteArray file;
    const char* section;
    const char* key;
    std::optional<QString> want;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.what;
}

// The text as a UTF-16LE file with its byte order mark.
QByteArray utf16le(const QString& text) {
    QStringEncoder encode(QStringConverter::Utf16LE);
    return "\xFF\xFE" + QByteArray(encode(text));
}

class ProfileRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ProfileRead, FindsTheValue) {
    const ReadCase& c = GetParam();
    EXPECT_EQ(ProfileFile::fromBytes(c.file).value(c.section, c.key), c.want);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ProfileRead,
    ::testing::Values(
        ReadCase{"plain entry", "[Radio]\r\nCallsign=SP3ABC\r\n", "Radio", "Callsign", "SP3ABC"},
        ReadCase{"names in other letter case", "[rADIO]\r\nCALLSIGN=X\r\n", "Radio", "Callsign",
                 "X"},
        ReadCase{"blanks around key and value", "[Radio]\r\n \t Callsign \t=  X Y \t\r\n", "Radio",
                 "Callsign", "X Y"},
        ReadCase{"blanks around the section line and name", "  [ Radio ]  \r\nCallsign=X\r\n",
                 "Radio", "Callsign", "X"},
        ReadCase{"text after the closing bracket", "[Radio] ; radio page\r\nCallsign=X\r\n",
                 "Radio", "Callsign", "X"},
        ReadCase{"value runs from the first equals sign", "[Radio]\r\nCallsign=a=b\r\n", "Radio",
                 "Callsign", "a=b"},
        ReadCase{"double quotes removed, inner blanks kept", "[R]\r\nk= \"  x  \" \r\n", "R", "k",
                 "  x  "},
        ReadCase{"single quotes removed", "[R]\r\nk='x'\r\n", "R", "k", "x"},
        ReadCase{"only one pair of quotes removed", "[R]\r\nk=\"\"x\"\"\r\n", "R", "k", "\"x\""},
        ReadCase{"mismatched quotes kept", "[R]\r\nk=\"x'\r\n", "R", "k", "\"x'"},
        ReadCase{"a lone quote kept", "[R]\r\nk=\"\r\n", "R", "k", "\""},
        ReadCase{"an empty pair of quotes", "[R]\r\nk=\"\"\r\n", "R", "k", ""},
        ReadCase{"empty value is an empty text", "[R]\r\nk=\r\n", "R", "k", ""},
        ReadCase{"blank value is an empty text", "[R]\r\nk=  \t\r\n", "R", "k", ""},
        ReadCase{"missing key", "[R]\r\nother=1\r\n", "R", "k", std::nullopt},
        ReadCase{"missing section", "[S]\r\nk=1\r\n", "R", "k", std::nullopt},
        ReadCase{"key of another section", "[S]\r\nk=1\r\n[R]\r\n", "R", "k", std::nullopt},
        ReadCase{"first of two keys wins", "[R]\r\nk=first\r\nK=second\r\n", "R", "k", "first"},
        ReadCase{"a repeated section reads as one", "[R]\r\na=1\r\n[S]\r\nk=s\r\n[r]\r\nk=2\r\n",
                 "R", "k", "2"},
        ReadCase{"first occurrence wins across a repeated section", "[R]\r\nk=1\r\n[R]\r\nk=2\r\n",
                 "R", "k", "1"},
        ReadCase{"a line without equals sign has no value", "[R]\r\nk\r\n", "R", "k", std::nullopt},
        ReadCase{"a comment is no entry", "[R]\r\n;k=1\r\n#k=2\r\n", "R", "k", std::nullopt},
        ReadCase{"entries before the first section belong to none", "k=1\r\n[R]\r\n", "R", "k",
                 std::nullopt},
        ReadCase{"an unclosed bracket starts no section", "[R]\r\n[S\r\nk=1\r\n", "R", "k", "1"},
        ReadCase{"line feeds only", "[R]\nk=1\n", "R", "k", "1"},
        ReadCase{"carriage returns only", "[R]\rk=1\r", "R", "k", "1"},
        ReadCase{"no final line break", "[R]\r\nk=1", "R", "k", "1"},
        ReadCase{"byte order mark skipped", "\xEF\xBB\xBF[R]\r\nk=1\r\n", "R", "k", "1"},
        ReadCase{"UTF-8 text", "[R]\r\nk=Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87\r\n", "R", "k",
                 QString::fromUtf8("Zażółć")},
        ReadCase{"not UTF-8: Windows-1252", "[R]\r\nk=Caf\xE9 \x80\x81\xFF\r\n", "R", "k",
                 QString::fromUtf8("Café €\u0081ÿ")},
        ReadCase{"UTF-8 with its mark, bad bytes and all", "\xEF\xBB\xBF[R]\r\nk=\xE9\r\n", "R",
                 "k", QString(QChar::ReplacementCharacter)},
        ReadCase{"UTF-16 big-endian", QByteArray("\xFE\xFF\0[\0R\0]\0\n\0k\0=\x01\x7C", 16), "R",
                 "k", QString::fromUtf8("ż")},
        ReadCase{"blanks inside a key name count", "[R]\r\nCall sign=1\r\n", "R", "Callsign",
                 std::nullopt},
        ReadCase{"empty file", "", "R", "k", std::nullopt},
        // The Windows reader's answers.
        ReadCase{"end-of-file marks around a value",
                 "[R]\r\nk=\x1A x \x1A"
                 "\r\n",
                 "R", "k", "x"},
        ReadCase{"vertical tabs and form feeds around a value", "[R]\r\nk=\v\fx\f\v\r\n", "R", "k",
                 "x"},
        ReadCase{"end-of-file marks around a key",
                 "[R]\r\n\x1A"
                 "k\x1A=1\r\n",
                 "R", "k", "1"},
        ReadCase{"end-of-file mark inside a value kept",
                 "[R]\r\nk=a\x1A"
                 "b\r\n",
                 "R", "k",
                 "a\x1A"
                 "b"},
        ReadCase{"a bare key hides a later entry", "[R]\r\nk\r\nk=1\r\n", "R", "k", std::nullopt},
        ReadCase{"a bare key in other case and blanks hides", "[R]\r\n  K \t\r\nk=1\r\n", "R", "k",
                 std::nullopt},
        ReadCase{"a later bare key hides nothing", "[R]\r\nk=1\r\nk\r\n", "R", "k", "1"},
        ReadCase{"a bare key of another section hides nothing", "[S]\r\nk\r\n[R]\r\nk=1\r\n", "R",
                 "k", "1"},
        ReadCase{"a bare key in a repeated section hides", "[R]\r\nk\r\n[R]\r\nk=1\r\n", "R", "k",
                 std::nullopt},
        ReadCase{"a section name runs to the last bracket", "[R]x]\r\nk=1\r\n", "R]x", "k", "1"},
        ReadCase{"not to the first bracket", "[R]x]\r\nk=1\r\n", "R", "k", std::nullopt},
        ReadCase{"brackets in a comment after the name", "[R] ; [note]\r\nk=1\r\n", "R", "k",
                 std::nullopt},
        ReadCase{"an unclosed bracket with equals starts no section", "[R]\r\n[S=2\r\nk=1\r\n", "R",
                 "k", "1"},
        ReadCase{"UTF-16LE with byte order mark", utf16le("[R]\r\nk=1\r\n"), "R", "k", "1"},
        ReadCase{"UTF-16LE text", utf16le(QString::fromUtf8("[R]\nk= Zażółć \n")), "R", "k",
                 QString::fromUtf8("Zażółć")},
        ReadCase{"UTF-16LE line feeds only, names in other case", utf16le("[r]\nOther=2\nK=1"), "R",
                 "k", "1"}));

TEST(ProfileRead, FallbacksOnlyForMissingEntries) {
    const ProfileFile file = ProfileFile::fromBytes("[R]\r\nempty=\r\nn= 0x1F \r\nbad=12a\r\n");
    EXPECT_EQ(file.readText("R", "empty", "dflt"), "");
    EXPECT_EQ(file.readText("R", "missing", "dflt"), "dflt");
    EXPECT_EQ(file.readNumber("R", "n", 7), 31);
    EXPECT_EQ(file.readNumber("R", "bad", 7), 7);
    EXPECT_EQ(file.readNumber("R", "empty", 7), 7);
    EXPECT_EQ(file.readNumber("R", "missing", 7), 7);
}

TEST(ProfileRead, ValuesAreCutAt2047Characters) {
    const QByteArray longAscii(3000, 'a');
    EXPECT_EQ(ProfileFile::fromBytes("[R]\r\nk=" + longAscii).value("R", "k"), QString(2047, u'a'));
    // Quotes go before the cut: the closing quote lies beyond it.
    EXPECT_EQ(ProfileFile::fromBytes("[R]\r\nk=\"" + longAscii + "\"").value("R", "k"),
              QString(2047, u'a'));
    // Characters outside the basic plane count once and are never split.
    QByteArray clefs;
    for (int i = 0; i < 2100; ++i) {
        clefs += "\xF0\x9D\x84\x9E";  // U+1D11E
    }
    const QString read = *ProfileFile::fromBytes("[R]\r\nk=" + clefs).value("R", "k");
    EXPECT_EQ(read.size(), 2 * 2047);
    EXPECT_TRUE(read.back().isLowSurrogate());
}

struct NumberCase {
    const char* text;
    std::optional<std::int32_t> want;
};

class ProfileNumber : public ::testing::TestWithParam<NumberCase> {};

TEST_P(ProfileNumber, Parses) {
    EXPECT_EQ(parseProfileNumber(GetParam().text), GetParam().want) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ProfileNumber,
    ::testing::Values(NumberCase{"250", 250}, NumberCase{"0250", 250}, NumberCase{"-5", -5},
                      NumberCase{"+7", 7}, NumberCase{"2147483647", INT32_MAX},
                      NumberCase{"-2147483648", INT32_MIN}, NumberCase{"2147483648", std::nullopt},
                      NumberCase{"-2147483649", std::nullopt}, NumberCase{"0x1F", 31},
                      NumberCase{"0X1f", 31}, NumberCase{"$1F", 31}, NumberCase{"$ff", 255},
                      NumberCase{"0x7FFFFFFF", INT32_MAX}, NumberCase{"0xFFFFFFFF", -1},
                      NumberCase{"$80000000", INT32_MIN}, NumberCase{"0x100000000", std::nullopt},
                      NumberCase{"0x00000000000001", 1}, NumberCase{"0x", std::nullopt},
                      NumberCase{"$", std::nullopt}, NumberCase{"0xG", std::nullopt},
                      NumberCase{"-0x10", std::nullopt}, NumberCase{"x10", std::nullopt},
                      NumberCase{"12a", std::nullopt}, NumberCase{"1.5", std::nullopt},
                      NumberCase{"1e3", std::nullopt}, NumberCase{"", std::nullopt},
                      NumberCase{"-", std::nullopt}, NumberCase{"1 2", std::nullopt}));

QString text(const ProfileFile& file) {
    return QString::fromUtf8(file.toBytes());
}

TEST(ProfileWrite, NewFileGrowsSectionBySection) {
    ProfileFile file;
    file.writeText("A", "k1", "v1");
    file.writeText("B", "k2", "v2");
    file.writeNumber("A", "k3", -5);  // back into the earlier section
    file.writeFlag("C", "k4", true);
    file.writeFlag("C", "k5", false);
    EXPECT_EQ(text(file), "[A]\r\nk1=v1\r\nk3=-5\r\n[B]\r\nk2=v2\r\n[C]\r\nk4=1\r\nk5=0\r\n");
}

TEST(ProfileWrite, ExistingEntryChangesWhereItStands) {
    ProfileFile file = ProfileFile::fromBytes("[radio]\nCALLSIGN \t=  OLD ; note\nnext=1\n");
    file.writeText("Radio", "Callsign", "NEW");
    EXPECT_EQ(text(file), "[radio]\r\nCALLSIGN \t=  NEW\r\nnext=1\r\n");
    file.writeText("Radio", "Callsign", "");
    EXPECT_EQ(file.value("Radio", "Callsign"), "");

    // A value that begins with a blank replaces the blanks before the old one, and writing it
    // again changes nothing.
    for (int i = 0; i < 2; ++i) {
        file.writeText("Radio", "Callsign", " ][I:n");
        EXPECT_EQ(text(file), "[radio]\r\nCALLSIGN \t= ][I:n\r\nnext=1\r\n");
    }
}

TEST(ProfileWrite, BareKeyGetsItsValue) {
    ProfileFile file = ProfileFile::fromBytes("[R]\n  Key \t\nKey=old\n");
    file.writeText("R", "key", "new");
    EXPECT_EQ(text(file), "[R]\r\n  Key=new\r\nKey=old\r\n");
    EXPECT_EQ(file.value("R", "key"), "new");
}

TEST(ProfileWrite, Utf16FileStaysUtf16) {
    const QByteArray original = utf16le(QString::fromUtf8("[R]\r\nk=1\r\n"));
    ProfileFile file = ProfileFile::fromBytes(original);
    EXPECT_EQ(file.toBytes(), original);
    file.writeText("R", "k", "2");
    file.writeText("R", "n", QString::fromUtf8("Zażółć"));
    EXPECT_EQ(file.toBytes(), utf16le(QString::fromUtf8("[R]\r\nk=2\r\nn=Zażółć\r\n")));
}

TEST(ProfileWrite, Windows1252FileTurnsUtf8OnlyForTextOutsideAscii) {
    const QByteArray original = "; Caf\xE9\r\n[R]\r\nk=\x80\r\n";
    ProfileFile file = ProfileFile::fromBytes(original);
    file.writeText("R", "a", "plain");
    EXPECT_EQ(file.toBytes(), "; Caf\xE9\r\n[R]\r\nk=\x80\r\na=plain\r\n");
    file.writeText("R", "b", QString::fromUtf8("ż"));
    EXPECT_EQ(file.toBytes(),
              "; Caf\xC3\xA9\r\n[R]\r\nk=\xE2\x82\xAC\r\na=plain\r\nb=\xC5\xBC\r\n");
    EXPECT_EQ(ProfileFile::fromBytes(file.toBytes()).value("R", "k"), QString::fromUtf8("€"));
}

TEST(ProfileWrite, NewKeyGoesBeforeTheBlankLinesEndingItsSection) {
    ProfileFile file = ProfileFile::fromBytes("[A]\nx=1\n; about B\n\n\n[B]\ny=2\n");
    file.writeText("a", "z", "3");
    EXPECT_EQ(text(file), "[A]\r\nx=1\r\n; about B\r\nz=3\r\n\r\n\r\n[B]\r\ny=2\r\n");
}

TEST(ProfileWrite, RepeatedSectionUpdatesItsFirstMatch) {
    ProfileFile file = ProfileFile::fromBytes("[A]\nx=1\n[B]\n[A]\ny=2\n");
    file.writeText("A", "y", "20");  // only in the second occurrence
    file.writeText("A", "z", "30");  // new: the first occurrence
    EXPECT_EQ(text(file), "[A]\r\nx=1\r\nz=30\r\n[B]\r\n[A]\r\ny=20\r\n");
    EXPECT_EQ(file.value("A", "z"), "30");
}

TEST(ProfileWrite, ForeignLinesAreKeptByteForByte) {
    const QByteArray original =
        "\xEF\xBB\xBF; notes \xFF\r\n"
        "loose=entry\r\n"
        "\r\n"
        "[Foreign]\r\n"
        "  odd line without equals\r\n"
        "bytes=\x80\x81\r\n"
        "[Radio]\r\n"
        "Callsign=OLD\r\n";
    ProfileFile file = ProfileFile::fromBytes(original);
    EXPECT_EQ(file.toBytes(), original);
    file.writeText("Radio", "Callsign", "NEW");
    QByteArray want = original;
    want.replace("Callsign=OLD", "Callsign=NEW");
    EXPECT_EQ(file.toBytes(), want);
}

TEST(ProfileWrite, OnlyCrLfLineEnds) {
    const ProfileFile file = ProfileFile::fromBytes("[A]\nx=1\ry=2\r\n\nz=3");
    EXPECT_EQ(file.toBytes(), "[A]\r\nx=1\r\ny=2\r\n\r\nz=3\r\n");
}

TEST(ProfileWrite, LineBreaksCannotInjectEntries) {
    ProfileFile file;
    file.writeText("Beacons", "Beacon1_msg", "hello\r\n[Radio]\nCallsign=EVIL\r");
    EXPECT_EQ(text(file), "[Beacons]\r\nBeacon1_msg=hello[Radio]Callsign=EVIL\r\n");
    EXPECT_EQ(file.value("Radio", "Callsign"), std::nullopt);
}

TEST(ProfileWrite, WrittenTextReadsBackTrimmedAndUnquoted) {
    ProfileFile file;
    file.writeText("R", "a", "Zażółć");
    file.writeText("R", "b", "  padded  ");
    file.writeText("R", "c", "'quoted'");
    EXPECT_EQ(file.value("R", "a"), QString::fromUtf8("Zażółć"));
    EXPECT_EQ(file.value("R", "b"), "padded");
    EXPECT_EQ(file.value("R", "c"), "quoted");
    EXPECT_EQ(file.toBytes(),
              "[R]\r\na=Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87\r\nb=  padded  \r\n"
              "c='quoted'\r\n");
}

}  // namespace
