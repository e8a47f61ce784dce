// The program's ini files (settings, translations, the label-stock catalogue): UTF-8 text
// in sections of "key=value" lines.
//
// Reading: section and key names compare ignoring ASCII case; every line is trimmed of
// blanks; a line starting with ';' is a comment; the first '=' splits a line into key and
// value, both trimmed; a UTF-8 byte-order mark is skipped; lines end in CR LF or LF; of two
// equal keys in a section (also in two blocks with the same section name) the first wins.
// Typed reads fall back to their default for a missing or unreadable value.
//
// Writing keeps everything it does not change - unknown sections and keys, comments, blank
// lines, their order, the line endings and the byte-order mark - byte for byte; a changed
// key keeps its place and its spelling. UpdateFile replaces the whole file atomically.
//
// Not QSettings: it changes the case of keys, splits values at commas and cuts them at
// semicolons, all of which the program's files rely on not happening.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kx {

class TKXIniFile {
public:
    // Files above this size are refused on reading (4 MiB).
    static constexpr std::size_t MaxFileSize = std::size_t(4) << 20;

    // --- Lifecycle ---------------------------------------------------------------------
    TKXIniFile() = default;
    // Loads FileName (see Load).
    explicit TKXIniFile(const std::filesystem::path &FileName);

    // Reads FileName and makes it the file UpdateFile writes. A file that does not exist
    // reads as empty; one that cannot be read, or is larger than MaxFileSize, throws
    // EKxError with the reason and leaves this object as it was.
    void Load(const std::filesystem::path &FileName);
    // Reads the text of an ini file; the file name stays as it was. More than MaxFileSize
    // bytes throw EKxError.
    void LoadFromBytes(std::string_view Bytes);
    // The file's text as UpdateFile writes it.
    std::string ToBytes() const;

    const std::filesystem::path &FileName() const { return FFileName; }
    void SetFileName(const std::filesystem::path &Value) { FFileName = Value; }
    // Something was written, erased or deleted since the last load or UpdateFile.
    bool Modified() const { return FModified; }

    // Writes the whole text to FileName through a temporary file in the same folder that
    // is flushed to disk and renamed over the old one. A failure throws EKxError with the
    // system's reason and leaves the old file as it was.
    void UpdateFile();

    // --- Reading -----------------------------------------------------------------------
    bool SectionExists(std::string_view Section) const;
    bool ValueExists(std::string_view Section, std::string_view Key) const;
    // The section names, first spelling and order of appearance, each once.
    std::vector<std::string> ReadSections() const;
    // The keys of a section in file order, each once (first spelling).
    std::vector<std::string> ReadSection(std::string_view Section) const;
    void ReadSection(std::string_view Section, std::vector<std::string> &Keys) const { Keys = ReadSection(Section); }

    std::string ReadString(std::string_view Section, std::string_view Key, std::string_view Default) const;
    // Decimal with an optional sign, or hexadecimal after "$" or "0x"; outside 32 bits or
    // anything else gives Default.
    int32_t ReadInteger(std::string_view Section, std::string_view Key, int32_t Default) const;
    // An integer: 0 is false, any other true; anything else gives Default.
    bool ReadBool(std::string_view Section, std::string_view Key, bool Default) const;
    // A finite decimal number whose decimal separator is "." or ","; anything else gives
    // Default.
    double ReadFloat(std::string_view Section, std::string_view Key, double Default) const;

    // --- Writing -----------------------------------------------------------------------
    // Sets a key, adding the section and the key when missing (a new key goes after the
    // section's last key). A section name that is empty or holds "]", a key name that is
    // empty, starts with ";" or "[" or holds "=", and any name or value holding a line
    // break throw EKxError: such a line could not be read back as written. Blanks at the
    // ends of a value are not kept by a read.
    void WriteString(std::string_view Section, std::string_view Key, std::string_view Value);
    void WriteInteger(std::string_view Section, std::string_view Key, int32_t Value);
    // "1" or "0".
    void WriteBool(std::string_view Section, std::string_view Key, bool Value);
    // The shortest text with "." that reads back as the same double.
    void WriteFloat(std::string_view Section, std::string_view Key, double Value);
    // Removes every block of the section with all its lines.
    void EraseSection(std::string_view Section);
    // Removes every line of the key in the section.
    void DeleteKey(std::string_view Section, std::string_view Key);

private:
    enum class TLineKind : uint8_t { Blank, Comment, Section, Key, Other };
    struct TLine {
        std::string Text; // the line as in the file, without its line break
        std::string Eol;  // "\r\n", "\n", or "" for a last line without one
        TLineKind Kind = TLineKind::Other;
        std::string Name;  // section or key name, trimmed
        std::string Value; // key value, trimmed
    };

    static TLine ParseLine(std::string Text, std::string Eol);
    const TLine *FindKey(std::string_view Section, std::string_view Key) const;
    void BuildIndex() const;
    void Changed();
    std::string NewLineEnding() const;

    std::filesystem::path FFileName;
    std::vector<TLine> FLines;
    bool FBom = false;      // the text began with a UTF-8 byte-order mark
    bool FModified = false;

    // Lower-cased "section\0key" -> index of the key's first line, and lower-cased section
    // names; rebuilt after a change.
    mutable bool FIndexValid = false;
    mutable std::unordered_map<std::string, std::size_t> FKeyIndex;
    mutable std::unordered_map<std::string, std::size_t> FSectionIndex;
};

} // namespace kx
