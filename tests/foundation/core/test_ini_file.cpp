// The UTF-8 ini module: reading rules as a case table of file texts and the values they give,
// writes that keep everything else byte for byte, and atomic replacement of the file.
#include "core/KXError.h"
#include "core/KXIniFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kx;
namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path &File)
{
    std::ifstream in(File, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path &File, const std::string &Bytes)
{
    std::ofstream out(File, std::ios::binary);
    out << Bytes;
}

// A fresh folder under the system's temporary folder, removed with everything in it.
struct TempDir {
    fs::path Path;
    TempDir()
    {
        std::string pattern = (fs::temp_directory_path() / "zantor-ini-XXXXXX").string();
        Path = ::mkdtemp(pattern.data());
    }
    ~TempDir()
    {
        std::error_code ec;
        fs::permissions(Path, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(Path, ec);
    }
};

// ---------------------------------------------------------------------------------------
// Reading

TEST(IniFile, ReadsLinesAsTheRulesSay)
{
    struct Case {
        const char *text;
        const char *section, *key;
        const char *expected; // nullptr: the key is not there
    } cases[] = {
        // names compare ignoring ASCII case
        {"[Options]\nLanguage=zantor-en.ini\n", "options", "LANGUAGE", "zantor-en.ini"},
        // blanks around the line, the section name, the key and the value
        {"  [ options ]  \n\t key \t=  value with inner  blanks \t\n", "Options", "Key", "value with inner  blanks"},
        // a byte-order mark before the first section
        {"\xEF\xBB\xBF[options]\nk=v\n", "options", "k", "v"},
        // CR LF line ends, also without a final one
        {"[a]\r\nk=v\r\nm=w", "a", "k", "v"},
        {"[a]\r\nk=v\r\nm=w", "a", "m", "w"},
        // the first of two equal keys wins, also across two blocks of the same section
        {"[a]\nk=first\nK=second\n", "a", "k", "first"},
        {"[a]\nk=first\n[b]\nk=other\n[A]\nk=second\nn=later\n", "a", "k", "first"},
        {"[a]\nk=first\n[b]\nk=other\n[A]\nk=second\nn=later\n", "a", "n", "later"},
        // comments are skipped, also indented ones; a ';' later in a line belongs to the value
        {"[a]\n;k=commented\n  ; k=also\nk=real;not a comment\n", "a", "k", "real;not a comment"},
        {"[a]\n;k=commented\n", "a", "k", nullptr},
        // the first '=' splits; commas stay in the value
        {"[a]\nformula=x=1,2,3\n", "a", "formula", "x=1,2,3"},
        // UTF-8 kept as it is: the currency symbol and non-ASCII names
        {"[options]\nCurrency=\xE2\x82\xAC\n", "options", "currency", "\xE2\x82\xAC"},
        {"[Se\xC3\xB1" "al]\nA\xC3\xB1o=2024\n", "Se\xC3\xB1" "al", "a\xC3\xB1o", "2024"},
        // only ASCII letters fold: a different non-ASCII letter is another name
        {"[a]\n\xC3\xA9t\xC3\xA9=summer\n", "a", "\xC3\x89T\xC3\x89", nullptr},
        // an empty value is a value
        {"[a]\nk=\n", "a", "k", ""},
        // a key in another section, a line without '=', a key without a name
        {"[a]\n[b]\nk=v\n", "a", "k", nullptr},
        {"[a]\nk\n", "a", "k", nullptr},
        {"[a]\n=v\n", "a", "", nullptr},
        // a header without its closing bracket
        {"[open\nk=v\n", "open", "k", "v"},
        // keys before the first header belong to the section ""
        {"k=v\n[a]\n", "", "k", "v"},
        {"k=v\n[a]\n", "a", "k", nullptr},
    };
    for (const Case &c : cases) {
        TKXIniFile ini;
        ini.LoadFromBytes(c.text);
        SCOPED_TRACE(testing::Message() << "text: " << c.text << " [" << c.section << "] " << c.key);
        EXPECT_EQ(ini.ValueExists(c.section, c.key), c.expected != nullptr);
        EXPECT_EQ(ini.ReadString(c.section, c.key, "<none>"), c.expected ? c.expected : "<none>");
    }
}

TEST(IniFile, TypedReadsFallBackToTheirDefaultForUnreadableValues)
{
    struct Case {
        const char *value;
        int32_t integer;  // default -7
        int boolean;      // default: -1 means the default (true) is given back
        double number;    // default -0.5
    } cases[] = {
        {"1", 1, 1, 1.0},
        {"0", 0, 0, 0.0},
        {"  42 ", 42, 1, 42.0},
        {"-2147483648", -2147483648, 1, -2147483648.0},
        {"2147483648", -7, -1, 2147483648.0}, // beyond 32 bits
        {"$FF", 255, 1, -0.5},
        {"0x10", 16, 1, -0.5},
        {"$FFFFFFFF", -1, 1, -0.5}, // a 32-bit pattern, as colours are written
        {"1,5", -7, -1, 1.5},
        {"1.5", -7, -1, 1.5},
        {"-0,25", -7, -1, -0.25},
        {"1e3", -7, -1, 1000.0},
        {"1.000,5", -7, -1, -0.5}, // two separators
        {"12abc", -7, -1, -0.5},
        {"", -7, -1, -0.5},
        {"--1", -7, -1, -0.5},
        {"+-1", -7, -1, -0.5},
        {"+3", 3, 1, 3.0},
        {"inf", -7, -1, -0.5},
        {"nan", -7, -1, -0.5},
        {"1e999", -7, -1, -0.5},
        {"true", -7, -1, -0.5},
    };
    for (const Case &c : cases) {
        TKXIniFile ini;
        ini.LoadFromBytes(std::string("[a]\nk=") + c.value + "\n");
        SCOPED_TRACE(c.value);
        EXPECT_EQ(ini.ReadInteger("a", "k", -7), c.integer);
        EXPECT_EQ(ini.ReadBool("a", "k", true), c.boolean == -1 ? true : c.boolean == 1);
        EXPECT_EQ(ini.ReadBool("a", "k", false), c.boolean == -1 ? false : c.boolean == 1);
        EXPECT_DOUBLE_EQ(ini.ReadFloat("a", "k", -0.5), c.number);
    }
    TKXIniFile empty;
    EXPECT_EQ(empty.ReadInteger("a", "missing", 9), 9);
    EXPECT_EQ(empty.ReadString("a", "missing", "d"), "d");
}

TEST(IniFile, ListsSectionsAndKeysOnceInFileOrder)
{
    TKXIniFile ini;
    ini.LoadFromBytes("[MRU]\nFile1=a\nfile1=dup\nFile2=b\n[options]\nx=1\n[mru]\nFile3=c\nFILE2=d\n");
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"MRU", "options"}));
    EXPECT_EQ(ini.ReadSection("Mru"), (std::vector<std::string>{"File1", "File2", "File3"}));
    EXPECT_TRUE(ini.SectionExists("OPTIONS"));
    EXPECT_FALSE(ini.SectionExists("absent"));
}

// ---------------------------------------------------------------------------------------
// Writing

// Comments, unknown sections, odd blanks, mixed line ends, a BOM and no final line break.
const std::string Untouched = "\xEF\xBB\xBF; settings\r\n[options]\r\n  Language = zantor-en.ini \r\n"
                              "Currency=\xE2\x82\xAC\n\n[Unknown]\r\nweird line without equals\r\n"
                              "k=1,2;3\r\n[MRU]\r\nFile1=/home/a b/x.eti";

TEST(IniFile, UntouchedFileIsWrittenBackByteForByte)
{
    TempDir dir;
    const fs::path file = dir.Path / "program.ini";
    WriteAll(file, Untouched);
    TKXIniFile ini(file);
    EXPECT_FALSE(ini.Modified());
    // Writing a value it already has changes nothing either.
    ini.WriteString("OPTIONS", "language", "zantor-en.ini");
    EXPECT_FALSE(ini.Modified());
    ini.UpdateFile();
    EXPECT_EQ(ReadAll(file), Untouched);
}

TEST(IniFile, WritesChangeOnlyTheirOwnLines)
{
    struct Case {
        const char *name;
        std::function<void(TKXIniFile &)> edit;
        std::string expected;
    } cases[] = {
        {"a changed key keeps its place, spelling and line end",
         [](TKXIniFile &i) { i.WriteString("options", "LANGUAGE", "zantor-es.ini"); },
         "\xEF\xBB\xBF; settings\r\n[options]\r\nLanguage=zantor-es.ini\r\nCurrency=\xE2\x82\xAC\n\n[Unknown]\r\n"
         "weird line without equals\r\nk=1,2;3\r\n[MRU]\r\nFile1=/home/a b/x.eti"},
        {"a new key follows the section's last key",
         [](TKXIniFile &i) { i.WriteInteger("Options", "FormWidth", 800); },
         "\xEF\xBB\xBF; settings\r\n[options]\r\n  Language = zantor-en.ini \r\nCurrency=\xE2\x82\xAC\nFormWidth=800\r\n\n"
         "[Unknown]\r\nweird line without equals\r\nk=1,2;3\r\n[MRU]\r\nFile1=/home/a b/x.eti"},
        {"a new key in the last section ends the unterminated line",
         [](TKXIniFile &i) { i.WriteString("mru", "File2", "y.eti"); },
         "\xEF\xBB\xBF; settings\r\n[options]\r\n  Language = zantor-en.ini \r\nCurrency=\xE2\x82\xAC\n\n[Unknown]\r\n"
         "weird line without equals\r\nk=1,2;3\r\n[MRU]\r\nFile1=/home/a b/x.eti\r\nFile2=y.eti\r\n"},
        {"a new section goes at the end after a blank line",
         [](TKXIniFile &i) { i.WriteBool("Window", "Maximized", true); },
         Untouched + "\r\n\r\n[Window]\r\nMaximized=1\r\n"},
        {"an erased section takes all its blocks and lines",
         [](TKXIniFile &i) { i.EraseSection("UNKNOWN"); },
         "\xEF\xBB\xBF; settings\r\n[options]\r\n  Language = zantor-en.ini \r\nCurrency=\xE2\x82\xAC\n\n"
         "[MRU]\r\nFile1=/home/a b/x.eti"},
        {"a deleted key takes only its line",
         [](TKXIniFile &i) { i.DeleteKey("Options", "currency"); },
         "\xEF\xBB\xBF; settings\r\n[options]\r\n  Language = zantor-en.ini \r\n\n[Unknown]\r\n"
         "weird line without equals\r\nk=1,2;3\r\n[MRU]\r\nFile1=/home/a b/x.eti"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TKXIniFile ini;
        ini.LoadFromBytes(Untouched);
        c.edit(ini);
        EXPECT_TRUE(ini.Modified());
        EXPECT_EQ(ini.ToBytes(), c.expected);
        // What was written reads back.
        TKXIniFile again;
        again.LoadFromBytes(ini.ToBytes());
        EXPECT_EQ(again.ReadSections(), ini.ReadSections());
    }
}

TEST(IniFile, WrittenValuesReadBackAsWritten)
{
    TKXIniFile ini;
    ini.WriteString("options", "Currency", "\xE2\x82\xAC");
    ini.WriteString("options", "Path", "/data/a;b,c=d");
    ini.WriteFloat("options", "Margin", 0.1);
    ini.WriteFloat("options", "Big", -1.25e300);
    ini.WriteInteger("options", "Min", -2147483647 - 1);
    ini.WriteBool("options", "Off", false);
    // A second write of a duplicated key changes the one that is read.
    ini.WriteString("options", "CURRENCY", "$");
    TKXIniFile back;
    back.LoadFromBytes(ini.ToBytes());
    EXPECT_EQ(back.ToBytes(), "[options]\nCurrency=$\nPath=/data/a;b,c=d\nMargin=0.1\nBig=-1.25e+300\n"
                              "Min=-2147483648\nOff=0\n");
    EXPECT_EQ(back.ReadString("options", "path", ""), "/data/a;b,c=d");
    EXPECT_EQ(back.ReadFloat("options", "margin", 0), 0.1);
    EXPECT_EQ(back.ReadFloat("options", "big", 0), -1.25e300);
    EXPECT_EQ(back.ReadInteger("options", "min", 0), -2147483647 - 1);
    EXPECT_FALSE(back.ReadBool("options", "off", true));
}

TEST(IniFile, NamesAndValuesThatCannotReadBackAreRefused)
{
    struct Case {
        const char *section, *key, *value;
    } cases[] = {
        {"", "k", "v"},         {"a]b", "k", "v"},      {"a\nb", "k", "v"}, {" a", "k", "v"},
        {"a", "", "v"},         {"a", ";k", "v"},       {"a", "[k", "v"},   {"a", "k=x", "v"},
        {"a", "k\r", "v"},      {"a", "k ", "v"},       {"a", "k", "one\ntwo"},
        {"a", "k", "x\r\n[b]"}, // a value that would add a section
    };
    for (const Case &c : cases) {
        TKXIniFile ini;
        ini.LoadFromBytes("[a]\nk=old\n");
        SCOPED_TRACE(testing::Message() << c.section << "|" << c.key << "|" << c.value);
        EXPECT_THROW(ini.WriteString(c.section, c.key, c.value), EKxError);
        EXPECT_EQ(ini.ToBytes(), "[a]\nk=old\n");
    }
}

// ---------------------------------------------------------------------------------------
// Files

// Runs Fn as an unprivileged user: root writes into read-only folders, so a test of such a
// write runs in a child process that has given root up. Answers Fn's result.
bool RunUnprivileged(const std::function<bool()> &Fn)
{
    if (::geteuid() != 0)
        return Fn();
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(3);
        ::_exit(Fn() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(IniFile, WriteIntoReadOnlyFolderLeavesOldFileAndRaises)
{
    TempDir dir;
    const fs::path folder = dir.Path / "ro";
    fs::create_directory(folder);
    const fs::path file = folder / "program.ini";
    WriteAll(file, "[options]\nLanguage=zantor-en.ini\n");
    ::chmod(file.c_str(), 0644);
    ::chmod(dir.Path.c_str(), 0755);
    ::chmod(folder.c_str(), 0555);
    const bool ok = RunUnprivileged([&] {
        TKXIniFile ini(file);
        ini.WriteString("options", "Language", "zantor-nl.ini");
        try {
            ini.UpdateFile();
            return false;
        } catch (const EKxError &e) {
            // The system's reason is in the text, and the change stays pending.
            return std::string(e.what()).find("Permission denied") != std::string::npos && ini.Modified();
        }
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(ReadAll(file), "[options]\nLanguage=zantor-en.ini\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1); // no temporary left
}

TEST(IniFile, UpdateReplacesTheFileAndKeepsItsPermissions)
{
    TempDir dir;
    const fs::path file = dir.Path / "labels.dls";
    WriteAll(file, "[a]\nk=1\n");
    ::chmod(file.c_str(), 0600);
    TKXIniFile ini(file);
    ini.WriteInteger("a", "k", 2);
    ini.UpdateFile();
    EXPECT_FALSE(ini.Modified());
    EXPECT_EQ(ReadAll(file), "[a]\nk=2\n");
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path), fs::directory_iterator()), 1);

    // A file that is not there yet reads as empty and is created.
    TKXIniFile fresh(dir.Path / "new.ini");
    EXPECT_TRUE(fresh.ReadSections().empty());
    fresh.WriteString("s", "k", "v");
    fresh.UpdateFile();
    EXPECT_EQ(ReadAll(dir.Path / "new.ini"), "[s]\nk=v\n");
}

TEST(IniFile, FilesAboveFourMegabytesAreRefused)
{
    TempDir dir;
    const fs::path limit = dir.Path / "limit.ini", over = dir.Path / "over.ini";
    const std::string head = "[a]\nk=v\n;";
    WriteAll(limit, head + std::string(TKXIniFile::MaxFileSize - head.size(), 'x'));
    WriteAll(over, head + std::string(TKXIniFile::MaxFileSize - head.size() + 1, 'x'));
    TKXIniFile ini(limit);
    EXPECT_EQ(ini.ReadString("a", "k", ""), "v");
    // A refused read leaves the object as it was.
    EXPECT_THROW(ini.Load(over), EKxError);
    EXPECT_EQ(ini.ReadString("a", "k", ""), "v");
    EXPECT_EQ(ini.FileName(), limit);
    EXPECT_THROW(ini.LoadFromBytes(std::string(TKXIniFile::MaxFileSize + 1, '\n')), EKxError);
    // A folder is not a file.
    EXPECT_THROW(ini.Load(dir.Path), EKxError);
}

} // namespace
