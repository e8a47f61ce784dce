#include "core/KXIniFile.h"

#include "core/KXError.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kx {

namespace {

constexpr std::string_view Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

std::string LowerAscii(std::string_view s)
{
    std::string out(s);
    for (char &c : out)
        c = LowerAscii(c);
    return out;
}

bool SameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

std::string IndexKey(std::string_view Section, std::string_view Key)
{
    std::string k = LowerAscii(Section);
    k.push_back('\0');
    k += LowerAscii(Key);
    return k;
}

std::string SystemReason(int Error) { return std::system_category().message(Error); }

[[noreturn]] void RaiseFileError(const char *What, const std::filesystem::path &File, int Error)
{
    throw EKxError(std::string(What) + " \"" + File.string() + "\": " + SystemReason(Error));
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// Names and values that would not read back as written are refused.
void CheckWrite(std::string_view Section, std::string_view Key, std::string_view Value)
{
    const std::string_view s = Trim(Section), k = Trim(Key);
    if (s.empty() || s.size() != Section.size() || Section.find(']') != std::string_view::npos ||
        HasLineBreak(Section))
        throw EKxError("Invalid ini section name \"" + std::string(Section) + "\"");
    if (k.empty() || k.size() != Key.size() || k.front() == ';' || k.front() == '[' ||
        Key.find('=') != std::string_view::npos || HasLineBreak(Key))
        throw EKxError("Invalid ini key name \"" + std::string(Key) + "\"");
    if (HasLineBreak(Value))
        throw EKxError("An ini value cannot hold a line break (key \"" + std::string(Key) + "\")");
}

} // namespace

// ---------------------------------------------------------------------------------------
// Lifecycle

TKXIniFile::TKXIniFile(const std::filesystem::path &FileName) { Load(FileName); }

void TKXIniFile::Load(const std::filesystem::path &FileName)
{
    std::string bytes;
    const int fd = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT)
            RaiseFileError("Cannot read", FileName, errno);
    } else {
        struct Closer {
            int fd;
            ~Closer() { ::close(fd); }
        } closer{fd};
        struct stat st {};
        if (::fstat(fd, &st) != 0)
            RaiseFileError("Cannot read", FileName, errno);
        if (S_ISDIR(st.st_mode))
            RaiseFileError("Cannot read", FileName, EISDIR);
        if (st.st_size > off_t(MaxFileSize))
            throw EKxError("The file \"" + FileName.string() + "\" is larger than 4 MiB");
        // Read at most one byte past the limit: a file that grows meanwhile is still refused.
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                RaiseFileError("Cannot read", FileName, errno);
            }
            if (n == 0)
                break;
            bytes.append(buffer, std::size_t(n));
            if (bytes.size() > MaxFileSize)
                throw EKxError("The file \"" + FileName.string() + "\" is larger than 4 MiB");
        }
    }
    LoadFromBytes(bytes);
    FFileName = FileName;
}

void TKXIniFile::LoadFromBytes(std::string_view Bytes)
{
    if (Bytes.size() > MaxFileSize)
        throw EKxError("An ini file larger than 4 MiB is refused");
    std::vector<TLine> lines;
    const bool bom = Bytes.substr(0, Bom.size()) == Bom;
    if (bom)
        Bytes.remove_prefix(Bom.size());
    while (!Bytes.empty()) {
        const std::size_t lf = Bytes.find('\n');
        std::string_view text = Bytes.substr(0, lf);
        std::string eol;
        if (lf == std::string_view::npos) {
            Bytes = {};
        } else {
            Bytes.remove_prefix(lf + 1);
            eol = "\n";
            if (!text.empty() && text.back() == '\r') {
                text.remove_suffix(1);
                eol = "\r\n";
            }
        }
        lines.push_back(ParseLine(std::string(text), std::move(eol)));
    }
    FLines = std::move(lines);
    FBom = bom;
    FModified = false;
    FIndexValid = false;
}

std::string TKXIniFile::ToBytes() const
{
    std::string out;
    if (FBom)
        out += Bom;
    for (const TLine &line : FLines) {
        out += line.Text;
        out += line.Eol;
    }
    return out;
}

void TKXIniFile::UpdateFile()
{
    if (FFileName.empty())
        throw EKxError("The ini file has no name");
    // Through a link, the file it points at is replaced, not the link.
    std::error_code ec;
    std::filesystem::path target = FFileName;
    if (std::filesystem::is_symlink(FFileName, ec)) {
        const std::filesystem::path resolved = std::filesystem::weakly_canonical(FFileName, ec);
        if (!ec)
            target = resolved;
    }
    const std::string bytes = ToBytes();

    // The temporary file lives in the same folder, so the rename never crosses file systems.
    std::string pattern = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    if (target.parent_path().empty())
        pattern = "." + target.filename().string() + ".XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0)
        RaiseFileError("Cannot write", FFileName, errno);
    auto fail = [&](int Error) {
        ::close(fd);
        ::unlink(pattern.c_str());
        RaiseFileError("Cannot write", FFileName, Error);
    };
    // The new file keeps the old one's permissions; a new file is readable by all, as
    // any other file the program creates.
    struct stat st {};
    const mode_t mode = ::stat(target.c_str(), &st) == 0 ? (st.st_mode & 07777) : mode_t(0644);
    if (::fchmod(fd, mode) != 0)
        fail(errno);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        done += std::size_t(n);
    }
    if (::fsync(fd) != 0)
        fail(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(pattern.c_str());
        RaiseFileError("Cannot write", FFileName, error);
    }
    if (::rename(pattern.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(pattern.c_str());
        RaiseFileError("Cannot write", FFileName, error);
    }
    FModified = false;
}

// ---------------------------------------------------------------------------------------
// Parsing and lookup

TKXIniFile::TLine TKXIniFile::ParseLine(std::string Text, std::string Eol)
{
    TLine line;
    const std::string_view t = Trim(Text);
    if (t.empty()) {
        line.Kind = TLineKind::Blank;
    } else if (t.front() == ';') {
        line.Kind = TLineKind::Comment;
    } else if (t.front() == '[') {
        // "[name]"; a header without its bracket runs to the end of the line.
        std::string_view name = t.substr(1);
        name = name.substr(0, name.find(']'));
        line.Kind = TLineKind::Section;
        line.Name = std::string(Trim(name));
    } else if (const std::size_t eq = t.find('='); eq != std::string_view::npos && !Trim(t.substr(0, eq)).empty()) {
        line.Kind = TLineKind::Key;
        line.Name = std::string(Trim(t.substr(0, eq)));
        line.Value = std::string(Trim(t.substr(eq + 1)));
    }
    line.Text = std::move(Text);
    line.Eol = std::move(Eol);
    return line;
}

void TKXIniFile::BuildIndex() const
{
    if (FIndexValid)
        return;
    FKeyIndex.clear();
    FSectionIndex.clear();
    std::string section; // keys before the first header belong to the section ""
    bool inSection = false;
    for (std::size_t i = 0; i < FLines.size(); ++i) {
        const TLine &line = FLines[i];
        if (line.Kind == TLineKind::Section) {
            section = LowerAscii(line.Name);
            inSection = true;
            FSectionIndex.emplace(section, i);
        } else if (line.Kind == TLineKind::Key) {
            if (!inSection) {
                FSectionIndex.emplace(section, i);
                inSection = true;
            }
            FKeyIndex.emplace(IndexKey(section, line.Name), i); // the first one wins
        }
    }
    FIndexValid = true;
}

const TKXIniFile::TLine *TKXIniFile::FindKey(std::string_view Section, std::string_view Key) const
{
    BuildIndex();
    const auto it = FKeyIndex.find(IndexKey(Section, Key));
    return it == FKeyIndex.end() ? nullptr : &FLines[it->second];
}

void TKXIniFile::Changed()
{
    FModified = true;
    FIndexValid = false;
}

std::string TKXIniFile::NewLineEnding() const
{
    for (const TLine &line : FLines)
        if (!line.Eol.empty())
            return line.Eol;
    return "\n";
}

// ---------------------------------------------------------------------------------------
// Reading

bool TKXIniFile::SectionExists(std::string_view Section) const
{
    BuildIndex();
    return FSectionIndex.count(LowerAscii(Section)) != 0;
}

bool TKXIniFile::ValueExists(std::string_view Section, std::string_view Key) const
{
    return FindKey(Section, Key) != nullptr;
}

std::vector<std::string> TKXIniFile::ReadSections() const
{
    BuildIndex();
    std::vector<std::pair<std::size_t, std::string>> found;
    for (const auto &[lower, index] : FSectionIndex)
        found.emplace_back(index, FLines[index].Kind == TLineKind::Section ? FLines[index].Name : std::string());
    std::sort(found.begin(), found.end());
    std::vector<std::string> names;
    for (auto &f : found)
        names.push_back(std::move(f.second));
    return names;
}

std::vector<std::string> TKXIniFile::ReadSection(std::string_view Section) const
{
    BuildIndex();
    std::vector<std::string> keys;
    bool inside = Section.empty(); // the lines before the first header
    for (std::size_t i = 0; i < FLines.size(); ++i) {
        const TLine &line = FLines[i];
        if (line.Kind == TLineKind::Section)
            inside = SameName(line.Name, Section);
        else if (inside && line.Kind == TLineKind::Key) {
            const auto it = FKeyIndex.find(IndexKey(Section, line.Name));
            if (it != FKeyIndex.end() && it->second == i)
                keys.push_back(line.Name);
        }
    }
    return keys;
}

std::string TKXIniFile::ReadString(std::string_view Section, std::string_view Key, std::string_view Default) const
{
    const TLine *line = FindKey(Section, Key);
    return line ? line->Value : std::string(Default);
}

int32_t TKXIniFile::ReadInteger(std::string_view Section, std::string_view Key, int32_t Default) const
{
    const TLine *line = FindKey(Section, Key);
    if (!line)
        return Default;
    std::string_view s = line->Value;
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (!s.empty() && s.front() == '$') {
        base = 16;
        s.remove_prefix(1);
    } else if (s.size() > 1 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    // from_chars takes no sign of its own here: a second one is unreadable.
    if (s.empty() || s.front() == '-' || s.front() == '+')
        return Default;
    uint64_t magnitude = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), magnitude, base);
    if (ec != std::errc() || end != s.data() + s.size())
        return Default;
    if (base == 16 && !negative && magnitude <= 0xFFFFFFFFu)
        return int32_t(uint32_t(magnitude)); // "$FFFFFFFF" is -1, as a 32-bit pattern
    if (magnitude > (negative ? uint64_t(1) << 31 : uint64_t(std::numeric_limits<int32_t>::max())))
        return Default;
    return int32_t(negative ? -int64_t(magnitude) : int64_t(magnitude));
}

bool TKXIniFile::ReadBool(std::string_view Section, std::string_view Key, bool Default) const
{
    const TLine *line = FindKey(Section, Key);
    if (!line)
        return Default;
    // Compared with a default that cannot come out of the file's text otherwise.
    const int32_t a = ReadInteger(Section, Key, 0), b = ReadInteger(Section, Key, 1);
    if (a != b)
        return Default; // unreadable
    return a != 0;
}

double TKXIniFile::ReadFloat(std::string_view Section, std::string_view Key, double Default) const
{
    const TLine *line = FindKey(Section, Key);
    if (!line)
        return Default;
    std::string s = line->Value;
    if (std::count(s.begin(), s.end(), ',') + std::count(s.begin(), s.end(), '.') > 1)
        return Default;
    std::replace(s.begin(), s.end(), ',', '.');
    const char *begin = s.data();
    if (!s.empty() && s.front() == '+')
        ++begin; // from_chars takes "-" only
    if (begin == s.data() + s.size() || *begin == '+' || (*begin == '-' && begin != s.data()))
        return Default;
    double value = 0;
    const auto [end, ec] = std::from_chars(begin, s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(value))
        return Default;
    return value;
}

// ---------------------------------------------------------------------------------------
// Writing

void TKXIniFile::WriteString(std::string_view Section, std::string_view Key, std::string_view Value)
{
    CheckWrite(Section, Key, Value);
    BuildIndex();
    if (const auto it = FKeyIndex.find(IndexKey(Section, Key)); it != FKeyIndex.end()) {
        TLine &line = FLines[it->second];
        if (line.Value == Value)
            return; // unchanged: the line keeps its bytes
        // The key keeps its place and spelling.
        line = ParseLine(line.Name + "=" + std::string(Value), line.Eol);
        Changed();
        return;
    }
    const std::string eol = NewLineEnding();
    TLine added = ParseLine(std::string(Key) + "=" + std::string(Value), eol);
    if (const auto sec = FSectionIndex.find(LowerAscii(Section)); sec != FSectionIndex.end()) {
        // After the last key of the section's first block (or its header).
        std::size_t at = sec->second;
        for (std::size_t i = at + 1; i < FLines.size() && FLines[i].Kind != TLineKind::Section; ++i)
            if (FLines[i].Kind == TLineKind::Key)
                at = i;
        if (FLines[at].Eol.empty())
            FLines[at].Eol = eol;
        FLines.insert(FLines.begin() + std::ptrdiff_t(at + 1), std::move(added));
    } else {
        if (!FLines.empty()) {
            if (FLines.back().Eol.empty())
                FLines.back().Eol = eol;
            if (FLines.back().Kind != TLineKind::Blank)
                FLines.push_back(ParseLine(std::string(), eol));
        }
        FLines.push_back(ParseLine("[" + std::string(Section) + "]", eol));
        FLines.push_back(std::move(added));
    }
    Changed();
}

void TKXIniFile::WriteInteger(std::string_view Section, std::string_view Key, int32_t Value)
{
    WriteString(Section, Key, std::to_string(Value));
}

void TKXIniFile::WriteBool(std::string_view Section, std::string_view Key, bool Value)
{
    WriteString(Section, Key, Value ? "1" : "0");
}

void TKXIniFile::WriteFloat(std::string_view Section, std::string_view Key, double Value)
{
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, Value);
    WriteString(Section, Key, ec == std::errc() ? std::string_view(buffer, std::size_t(end - buffer)) : "0");
}

void TKXIniFile::EraseSection(std::string_view Section)
{
    bool inside = Section.empty();
    const std::size_t before = FLines.size();
    std::erase_if(FLines, [&](const TLine &line) {
        if (line.Kind == TLineKind::Section)
            inside = SameName(line.Name, Section);
        return inside;
    });
    if (FLines.size() != before)
        Changed();
}

void TKXIniFile::DeleteKey(std::string_view Section, std::string_view Key)
{
    bool inside = Section.empty();
    const std::size_t before = FLines.size();
    std::erase_if(FLines, [&](const TLine &line) {
        if (line.Kind == TLineKind::Section)
            inside = SameName(line.Name, Section);
        return inside && line.Kind == TLineKind::Key && SameName(line.Name, Key);
    });
    if (FLines.size() != before)
        Changed();
}

} // namespace kx
