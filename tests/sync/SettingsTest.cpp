#include "ForwardingFileSystem.h"
#include "TestTree.h"
#include "sync/Settings.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstring>
#include <new>
#include <optional>
#include <random>
#include <string>
#include <vector>

// Found by gtest through the type's namespace.
void PrintTo(const TFolderPair& pair, std::ostream* out) {
    *out << "{Stick=\"" << pair.Stick << "\", Disk=\"" << pair.Disk << "\", StickSerial=";
    if (pair.StickSerial)
        *out << std::hex << *pair.StickSerial << std::dec;
    else
        *out << "none";
    *out << "}";
}

namespace {

using namespace std::string_literals;

class SettingsTest : public ::testing::Test {
  protected:
    TFolderPair Read(const std::string& computer = "PC1") {
        return ReadFolders(SystemFileSystem(), File, computer);
    }
    void Write(const TFolderPair& folders, const std::string& computer = "PC1") {
        WriteFolders(SystemFileSystem(), File, computer, folders);
    }
    // The folder holds the settings file and nothing else.
    void ExpectOnlyTheFile() const {
        EXPECT_EQ(Tree.Names(""), std::vector<std::string>{"Settings.prp"});
    }

    TTempTree Tree;
    const std::string File = Tree.Path("Settings.prp");
};

TEST(SettingsFile, LiesInTheFolderOfTheExecutable) {
    const std::string d(1, kPathDelim);
    std::vector<std::pair<std::string, std::string>> cases = {
        {d + "prog" + d + "Korvandel.exe", d + "prog" + d + "Settings.prp"},
        {"E:" + d + "Korvandel.exe", "E:" + d + "Settings.prp"},
        {"Korvandel.exe", "Settings.prp"},
        {"", "Settings.prp"},
    };
    if (kHasDriveLetters)
        cases.push_back({"E:Korvandel.exe", "E:Settings.prp"});
    for (const auto& [exe, settings] : cases)
        EXPECT_EQ(SettingsFileFor(exe), settings) << exe;
}

TEST(ComputerName, IsReadIntoAZeroedBufferOf17) {
    struct TNameFileSystem : TForwardingFileSystem {
        void ComputerNameInto(char* buffer, unsigned size) override {
            Size = size;
            std::memcpy(buffer, Written.data(), std::min<std::size_t>(Written.size(), size));
        }
        std::string Written;
        unsigned Size = 0;
    } fs;
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},                                     // the call wrote nothing
        {std::string("PC1\0garbage", 11), "PC1"},     // the name ends at its NUL
        {std::string(17, 'N'), std::string(17, 'N')}, // no NUL inside the buffer
        {std::string(20, 'L'), std::string(17, 'L')},
    };
    for (const auto& [written, name] : cases) {
        fs.Written = written;
        EXPECT_EQ(ReadComputerName(fs), name);
        EXPECT_EQ(fs.Size, 17u);
    }
}

TEST_F(SettingsTest, FirstStartReadsEmptyAndWritesBothKeys) {
    EXPECT_EQ(Read(), (TFolderPair{}));
    Write({"E:\\Daten", ""});
    EXPECT_EQ(Tree.Read("Settings.prp"), "[PC1]\r\nStick=E:\\Daten\r\nDisk=\r\n");
    EXPECT_EQ(Read(), (TFolderPair{"E:\\Daten", ""}));
    ExpectOnlyTheFile();
    EXPECT_FALSE(Tree.HasOwnTempMark("Settings.prp"));
}

TEST_F(SettingsTest, TheSticksSerialIsKeptBesideItsFolder) {
    Write({"E:\\Sync", "C:\\Daten", 0x00C0FFEE});
    EXPECT_EQ(Tree.Read("Settings.prp"),
              "[PC1]\r\nStick=E:\\Sync\r\nDisk=C:\\Daten\r\nStickSerial=00C0FFEE\r\n");
    EXPECT_EQ(Read(), (TFolderPair{"E:\\Sync", "C:\\Daten", 0x00C0FFEE}));

    // Every other key and section stays; an unknown serial empties the line.
    const std::string others = "[PC2]\nStickSerial=FFFFFFFF\nStick=x\n";
    Tree.AddFile("Settings.prp", "[PC1]\nStickSerial=1\nStick=s\nExtra=keep\nDisk=d\n" + others);
    Write({"s", "d", 0xFFFFFFFF});
    EXPECT_EQ(Tree.Read("Settings.prp"),
              "[PC1]\nStickSerial=FFFFFFFF\nStick=s\nExtra=keep\nDisk=d\n" + others);
    Write({"s", "d", std::nullopt});
    EXPECT_EQ(Tree.Read("Settings.prp"),
              "[PC1]\nStickSerial=\nStick=s\nExtra=keep\nDisk=d\n" + others);
    EXPECT_EQ(Read("PC2").StickSerial, 0xFFFFFFFF);
    ExpectOnlyTheFile();
}

TEST_F(SettingsTest, OnlyHexadecimalSerialsOfEightDigitsAtMostAreRead) {
    const std::pair<std::string, std::optional<std::uint32_t>> cases[] = {
        {"StickSerial=1234ABCD", 0x1234ABCD},
        {" stickserial = 00c0ffee ", 0x00C0FFEE},
        {"StickSerial=\"7\"", 7},
        {"StickSerial=", std::nullopt},
        {"StickSerial=123456789", std::nullopt},
        {"StickSerial=-1", std::nullopt},
        {"StickSerial=0x12", std::nullopt},
        {"StickSerial=12 34", std::nullopt},
        {"StickSerial=Stick", std::nullopt},
    };
    for (const auto& [line, serial] : cases) {
        Tree.AddFile("Settings.prp", "[PC1]\nStick=s\n" + line + "\n");
        EXPECT_EQ(Read(), (TFolderPair{"s", "", serial})) << line;
    }
}

TEST_F(SettingsTest, AnotherComputersSectionStaysByteForByte) {
    const std::pair<std::string, std::string> cases[] = {
        {"; mine\n[PC1]\nStick = s1 \nDisk=d1\n", "[PC2]\nStick=s2\nDisk=d2\n"},
        {"[PC1]\r\nStick=s1\r\nDisk=d1", "\r\n[PC2]\r\nStick=s2\r\nDisk=d2\r\n"},
    };
    for (const auto& [before, added] : cases) {
        Tree.AddFile("Settings.prp", before);
        Write({"s2", "d2"}, "PC2");
        EXPECT_EQ(Tree.Read("Settings.prp"), before + added);
        EXPECT_EQ(Read("PC1"), (TFolderPair{"s1", "d1"}));
        EXPECT_EQ(Read("PC2"), (TFolderPair{"s2", "d2"}));
    }
    ExpectOnlyTheFile();
}

TEST_F(SettingsTest, OnlyThisComputersKeyLinesChange) {
    const std::string before = "; settings\r\n"
                               "[Other]\r\n"
                               "Stick=o1\r\n"
                               "Disk=o2\r\n"
                               "\r\n"
                               "[pc1]\r\n"
                               "  stick = old \r\n"
                               "Extra=keep\r\n"
                               "DISK=\"old d\"\r\n"
                               "Stick=second\r\n"
                               "\r\n"
                               "[Third]\r\n"
                               "Stick=t\r\n";
    const std::string after = "; settings\r\n"
                              "[Other]\r\n"
                              "Stick=o1\r\n"
                              "Disk=o2\r\n"
                              "\r\n"
                              "[pc1]\r\n"
                              "Stick=new s\r\n"
                              "Extra=keep\r\n"
                              "Disk=new d\r\n"
                              "Stick=second\r\n"
                              "\r\n"
                              "[Third]\r\n"
                              "Stick=t\r\n";
    Tree.AddFile("Settings.prp", before);
    Write({"new s", "new d"});
    EXPECT_EQ(Tree.Read("Settings.prp"), after);
}

TEST_F(SettingsTest, MissingKeysJoinTheEndOfTheSection) {
    const std::pair<std::string, std::string> cases[] = {
        {"[PC1]\nDisk=d\n\n[PC2]\nStick=x\n", "[PC1]\nDisk=s-d\nStick=s\n\n[PC2]\nStick=x\n"},
        {"[PC1]", "[PC1]\r\nStick=s\r\nDisk=s-d\r\n"},
        {"[PC1]\n; note", "[PC1]\n; note\nStick=s\nDisk=s-d\n"},
        {"\xEF\xBB\xBF[PC1]\r\n", "\xEF\xBB\xBF[PC1]\r\nStick=s\r\nDisk=s-d\r\n"},
    };
    for (const auto& [before, after] : cases) {
        Tree.AddFile("Settings.prp", before);
        Write({"s", "s-d"});
        EXPECT_EQ(Tree.Read("Settings.prp"), after);
    }
}

TEST_F(SettingsTest, ReadsTheUsualIniForms) {
    const std::pair<std::string, TFolderPair> cases[] = {
        {"[PC1]\r\nStick=a\r\nDisk=b\r\n", {"a", "b"}},
        {"[PC1]\nStick=a\nDisk=b", {"a", "b"}},
        {"  [ pc1 ]  \n  STICK  =  a b  \n\tdisk\t=\tc\t\n", {"a b", "c"}},
        {"[PC1]\nStick=\"  quoted  \"\nDisk='single'\n", {"  quoted  ", "single"}},
        {"[PC1]\nStick=\"open\nDisk='mixed\"\n", {"\"open", "'mixed\""}},
        {"[PC1]\n;Stick=comment\nStick=a=b\nDisk=\n", {"a=b", ""}},
        {"Stick=outside\n[PC2]\nStick=other\n[PC1]\nDisk=mine\n", {"", "mine"}},
        {"[PC1]\nStick=first\nStick=second\n[PC1]\nDisk=later\n", {"first", ""}},
        {"[PC10]\nStick=no\n[PC]\nStick=no\n", {"", ""}},
        {"\xEF\xBB\xBF[PC1]\nStick=bom\n", {"bom", ""}},
        {"[PC1]\nStick\nDisk x\n", {"", ""}},
        {"", {"", ""}},
    };
    for (const auto& [text, folders] : cases) {
        Tree.AddFile("Settings.prp", text);
        EXPECT_EQ(Read(), folders) << text;
    }
}

// Where the system's profile reading is at hand, it reads each file as well and must
// agree. Every file has a name of its own, as the system caches a file by name and
// time.
class ProfileReadingTest : public SettingsTest {
  protected:
    void ExpectRead(const std::string& text, const TFolderPair& folders) {
        const std::string file = Tree.Path(Numbered("case", ++FCount) + ".prp");
        Tree.AddFile(Numbered("case", FCount) + ".prp", text);
        EXPECT_EQ(ReadFolders(SystemFileSystem(), file, "PC1"), folders) << Escaped(text);
#ifdef _WIN32
        char stick[2048];
        char disk[2048];
        GetPrivateProfileStringA("PC1", "Stick", "", stick, sizeof stick, file.c_str());
        GetPrivateProfileStringA("PC1", "Disk", "", disk, sizeof disk, file.c_str());
        EXPECT_EQ((TFolderPair{stick, disk}), folders)
            << "the system's reading of " << Escaped(text);
#endif
    }
    static std::string Escaped(const std::string& text) {
        std::string escaped;
        for (const char c : text)
            escaped += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
        return escaped;
    }

  private:
    int FCount = 0;
};

TEST_F(ProfileReadingTest, LineBreaksAndKeysWithoutEqualsSign) {
    const std::pair<std::string, TFolderPair> cases[] = {
        {"[PC1]\rStick=a\rDisk=b\r", {"a", "b"}},
        {"[PC1]\rStick=a\nDisk=b\n", {"a", "b"}},
        {"[PC1]\nStick=a\rDisk=b", {"a", "b"}},
        {"[PC1]\r\r\nStick=a\r\rDisk=b\r\r", {"a", "b"}},
        {"[PC1]\n\rStick=a\r\n", {"a", ""}},
        {"[ pc1 ]\r  stick = a \r\tDISK\t=\tb\r", {"a", "b"}},
        {"[PC1]\rStick=a\r[PC2]\rDisk=b\r", {"a", ""}},
        {"[PC1]\r\nStick\r\nStick=x\r\nDisk=d", {"", "d"}},
        {"[PC1]\nstick\nDISK\nStick=x\nDisk=y\n", {"", ""}},
        {"[PC1]\n  Stick  \rDisk=d\rStick=x\r", {"", "d"}},
        {"[PC1]\nStick x=a\nStick=b\n", {"b", ""}},
    };
    for (const auto& [text, folders] : cases)
        ExpectRead(text, folders);
}

// Whatever form the key lines have, the key that is read is the key that is
// written, and no second line of a key is added.
TEST_F(ProfileReadingTest, WritingReplacesTheLineThatIsRead) {
    const std::pair<std::string, std::string> cases[] = {
        {"[PC1]\r\nStick\r\nDisk\r\n", "[PC1]\r\nStick=s\r\nDisk=d\r\n"},
        {"[PC1]\rStick=a\rDisk=b\r", "[PC1]\rStick=s\rDisk=d\r"},
        {"[PC1]\rDisk=b", "[PC1]\rDisk=d\rStick=s\r"},
        {"[PC1]\nStick=a\rDisk=b\n", "[PC1]\nStick=s\rDisk=d\n"},
        {"[PC1]\n  stick  \nSTICK = b\nDisk=c\n", "[PC1]\nStick=s\nSTICK = b\nDisk=d\n"},
        {"[PC1]\nsTiCk = a\n Stick=b\n\tdisk\n", "[PC1]\nStick=s\n Stick=b\nDisk=d\n"},
        {"[PC1]\rStick=a\r\r[PC2]\rStick=x\r", "[PC1]\rStick=s\rDisk=d\r\r[PC2]\rStick=x\r"},
        {"[PC2]\rStick=x", "[PC2]\rStick=x\r[PC1]\rStick=s\rDisk=d\r"},
    };
    for (const auto& [before, after] : cases) {
        Tree.AddFile("Settings.prp", before);
        Write({"s", "d"});
        EXPECT_EQ(Escaped(Tree.Read("Settings.prp")), Escaped(after)) << Escaped(before);
        ExpectRead(after, {"s", "d"});
    }
}

TEST_F(SettingsTest, LongValueReadsBackAsItsFirst2047Characters) {
    std::string value;
    for (int i = 0; i < 3000; ++i)
        value += static_cast<char>('a' + i % 26);
    Write({value, "d"});
    EXPECT_EQ(Read(), (TFolderPair{value.substr(0, 2047), "d"}));
    EXPECT_NE(Tree.Read("Settings.prp").find(value), std::string::npos);
}

TEST_F(SettingsTest, LineBreakInAValueCannotAddLines) {
    Write({"E:\\a\r\n[PC2]\r\nStick=evil", "D\nDisk=evil"});
    EXPECT_EQ(Tree.Read("Settings.prp"), "[PC1]\r\nStick=E:\\a\r\nDisk=D\r\n");
    EXPECT_EQ(Read("PC2"), (TFolderPair{}));
}

TEST_F(SettingsTest, GarbageAroundTheSectionIsReadPastAndKept) {
    std::mt19937 random(20240601);
    std::string garbage(64 * 1024, '\0');
    for (char& c : garbage)
        c = static_cast<char>(random());
    Tree.AddFile("Settings.prp", garbage + "\n[PC1]\nStick=s\nDisk=d\n" + garbage);
    EXPECT_EQ(Read(), (TFolderPair{"s", "d"}));
    Write({"s2", "d2"});
    EXPECT_EQ(Tree.Read("Settings.prp"), garbage + "\n[PC1]\nStick=s2\nDisk=d2\n" + garbage);
    ExpectOnlyTheFile();
}

TEST_F(SettingsTest, FileThatCannotBeReadWholeIsNeverRewritten) {
    const std::string section = "[PC1]\r\nStick=s\r\nDisk=d\r\n";
    const std::pair<const char*, std::string> cases[] = {
        {"larger than 16 MiB", section + std::string(16 << 20, ';')},
        {"UTF-16", "\xFF\xFE[\0P\0C\0001\0]\0\r\0\n\0S\0=\0s\0"s},
    };
    for (const auto& [name, text] : cases) {
        Tree.AddFile("Settings.prp", text, kBaseTime);
        EXPECT_EQ(Read(), (TFolderPair{})) << name;
        Write({"new", "new"});
        EXPECT_TRUE(Tree.Read("Settings.prp") == text) << name;
        EXPECT_EQ(Tree.Time("Settings.prp"), kBaseTime) << name;
        ExpectOnlyTheFile();
    }
}

TEST_F(SettingsTest, ReadOnlyFileIsReadButLeftAsItIs) {
    const std::string text = "[PC1]\nStick=s\nDisk=d\n";
    Tree.AddFile("Settings.prp", text);
    Tree.SetReadOnly("Settings.prp", true);
    EXPECT_EQ(Read(), (TFolderPair{"s", "d"}));
    Write({"new", "new"});
    EXPECT_EQ(Tree.Read("Settings.prp"), text);
    ExpectOnlyTheFile();
}

#ifndef _WIN32
// Opening a pipe for reading waits for a writer that never comes.
TEST_F(SettingsTest, PipeInThePlaceOfTheFileIsNeitherWaitedForNorReplaced) {
    ASSERT_EQ(mkfifo(File.c_str(), 0644), 0);
    alarm(20); // a hang ends the test program instead of the whole run
    EXPECT_EQ(Read(), (TFolderPair{}));
    Write({"s", "d"});
    alarm(0);
    struct stat st {};
    ASSERT_EQ(lstat(File.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ExpectOnlyTheFile();
}
#endif

// A leftover is a file of the program's temporary naming that still carries the
// mark of one being made; a user's file of that name, unmarked, stays.
TEST_F(SettingsTest, WritingRemovesOnlyTheLeftoversOfAnEarlierCutOffWrite) {
    Tree.AddFile("~Korvandel-0badf00d.tmp", "[PC1]\r\nSti");
    Tree.SetOwnTempMark("~Korvandel-0badf00d.tmp");
    for (const char* other :
         {"~Korvandel-0badf00e.tmp", "~Korvandel-0badf00.tmp", "~kv0badf00d.tmp", "Notes.tmp"})
        Tree.AddFile(other);
    Tree.AddFile("~kv0badf00f.tmp");
    Tree.SetOwnTempMark("~kv0badf00f.tmp"); // an earlier naming, never this program's now
    Write({"s", "d"});
    EXPECT_EQ(Tree.Names(""),
              (std::vector<std::string>{"Notes.tmp", "Settings.prp", "~Korvandel-0badf00.tmp",
                                        "~Korvandel-0badf00e.tmp", "~kv0badf00d.tmp",
                                        "~kv0badf00f.tmp"}));
}

TEST_F(SettingsTest, UnchangedFoldersLeaveTheFileAlone) {
    Tree.AddFile("Settings.prp", "[PC1]\nStick=s\nDisk=d\n", kBaseTime);
    Write({"s", "d"});
    EXPECT_EQ(Tree.Time("Settings.prp"), kBaseTime);
}

TEST_F(SettingsTest, UnusablePlacesAreSwallowed) {
    Tree.AddFolder("folder");
    for (const std::string& path : {Tree.Path("folder"), Tree.Path("missing/Settings.prp")}) {
        EXPECT_EQ(ReadFolders(SystemFileSystem(), path, "PC1"), (TFolderPair{}));
        WriteFolders(SystemFileSystem(), path, "PC1", {"s", "d"});
    }
    EXPECT_EQ(Tree.Names(""), std::vector<std::string>{"folder"});
    EXPECT_EQ(Tree.Names("folder"), std::vector<std::string>{});
}

TEST_F(SettingsTest, NoErrorEscapes) {
    struct TThrowingFileSystem : TForwardingFileSystem {
        TReadResult ReadWholeFile(const std::string&, std::size_t, std::string&) override {
            throw std::bad_alloc();
        }
    } fs;
    EXPECT_EQ(ReadFolders(fs, File, "PC1"), (TFolderPair{}));
    EXPECT_NO_THROW(WriteFolders(fs, File, "PC1", {"s", "d"}));
    EXPECT_FALSE(Tree.Exists("Settings.prp"));
}

} // namespace
