#include "TestElements.h"

#include "document/KXElementFactory.h"

namespace zt {

void RegisterTestKinds()
{
    using F = kx::TKXElementFactory;
    F::RegisterKind(kx::TKXEle::deRect, [](kx::TKXCustomLab &Lab, uint64_t Serial) -> kx::TKXElement * {
        return Lab.NewElement<TestBox>(Serial);
    });
    F::RegisterKind(kx::TKXEle::deText, [](kx::TKXCustomLab &Lab, uint64_t Serial) -> kx::TKXElement * {
        return Lab.NewElement<TestText>(Serial);
    });
    F::RegisterKind(kx::TKXEle::deBar, [](kx::TKXCustomLab &Lab, uint64_t Serial) -> kx::TKXElement * {
        return Lab.NewElement<TestBar>(Serial);
    });
    F::RegisterKind(kx::TKXEle::deLine, [](kx::TKXCustomLab &Lab, uint64_t Serial) -> kx::TKXElement * {
        return Lab.NewElement<TestLine>(Serial);
    });
}

} // namespace zt
