// The ini reader on arbitrary bytes. Every input loads (or, above the size limit, is refused
// with EKxError), is written back byte for byte, answers every typed read of every key, and
// after a write reads the written value back with everything else unchanged.
#include "core/KXError.h"
#include "core/KXIniFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

bool SameName(std::string_view a, std::string_view b)
{
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(Data), Size);
    kx::TKXIniFile ini;
    try {
        ini.LoadFromBytes(bytes);
    } catch (const kx::EKxError &) {
        if (Size <= kx::TKXIniFile::MaxFileSize)
            std::abort();
        return 0;
    }
    if (ini.ToBytes() != bytes)
        std::abort();

    for (const std::string &section : ini.ReadSections()) {
        if (!ini.SectionExists(section))
            std::abort();
        for (const std::string &key : ini.ReadSection(section)) {
            if (!ini.ValueExists(section, key))
                std::abort();
            (void)ini.ReadString(section, key, "");
            (void)ini.ReadInteger(section, key, 0);
            (void)ini.ReadBool(section, key, false);
            (void)ini.ReadFloat(section, key, 0.0);
        }
    }

    // A write to a section taken from the input, and one to a new section.
    const std::string sections[] = {ini.ReadSections().empty() ? std::string("s") : ini.ReadSections().front(),
                                    std::string("zzfuzz")};
    for (const std::string &section : sections) {
        kx::TKXIniFile edited;
        edited.LoadFromBytes(bytes);
        try {
            edited.WriteString(section, "FuzzKey", "value;with,all=signs");
        } catch (const kx::EKxError &) {
            continue; // a section name that could not be written back
        }
        kx::TKXIniFile back;
        back.LoadFromBytes(edited.ToBytes());
        if (back.ReadString(section, "fuzzkey", "") != "value;with,all=signs")
            std::abort();
        // Other sections keep their keys.
        for (const std::string &other : ini.ReadSections())
            if (!SameName(other, section) && back.ReadSection(other) != ini.ReadSection(other))
                std::abort();
    }
    return 0;
}
