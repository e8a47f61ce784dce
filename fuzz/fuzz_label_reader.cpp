// The label reader on arbitrary bytes. Every input either loads, and then saves and reads
// back to the same document, or fails with "ERROR READING FILE" and leaves an empty label;
// nothing reads outside the input, overflows or leaks (the build adds the address and
// undefined-behaviour checks).
#include "KXBaseLab.h"
#include "KXElementFactory.h"
#include "KXLabelFile.h"
#include "KXStream.h"
#include "TestElements.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

namespace {

template <class T>
void Register(kx::TKXEle Kind)
{
    kx::TKXElementFactory::RegisterKind(Kind, [](kx::TKXCustomLab &Lab, uint64_t Serial) -> kx::TKXElement * {
        return Lab.NewElement<T>(Serial);
    });
}

void RegisterKinds()
{
    // Stand-ins with records E and D for the kinds not built yet; the built ones are
    // registered by the factory itself.
    using namespace kx;
    if (!TKXElementFactory::IsRegistered(TKXEle::deRect))
        Register<zt::TestBox>(TKXEle::deRect);
    if (!TKXElementFactory::IsRegistered(TKXEle::deText))
        Register<zt::TestText>(TKXEle::deText);
    if (!TKXElementFactory::IsRegistered(TKXEle::deBar))
        Register<zt::TestBar>(TKXEle::deBar);
    if (!TKXElementFactory::IsRegistered(TKXEle::deLine))
        Register<zt::TestLine>(TKXEle::deLine);
    if (!TKXElementFactory::IsRegistered(TKXEle::deAskText))
        Register<zt::TestKind<TKXData, TKXEle::deAskText, TKXSelType::stPoint>>(TKXEle::deAskText);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    static const bool registered = (RegisterKinds(), true);
    (void)registered;

    kx::TKXCustomLab lab;
    kx::TKXStreamReader reader(std::span<const uint8_t>(Data, Size));
    try {
        lab.LoadLabStream(reader, false);
    } catch (const kx::EKxError &e) {
        if (std::strcmp(e.what(), "ERROR READING FILE") != 0 || lab.ElementCount() != 0)
            std::abort();
        return 0;
    }
    // What loaded saves, and reads back to the same.
    kx::TKXStreamWriter writer;
    lab.SaveToStream(writer);
    kx::TKXCustomLab again;
    kx::TKXStreamReader back(writer.Bytes());
    again.LoadLabStream(back, false);
    if (!(kx::TKXLabelFile::Capture(again) == kx::TKXLabelFile::Capture(lab)) ||
        again.ElementCount() != lab.ElementCount())
        std::abort();
    kx::TKXStreamWriter second;
    again.SaveToStream(second);
    if (second.Bytes() != writer.Bytes())
        std::abort();
    return 0;
}
