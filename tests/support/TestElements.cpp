#include "TestElements.h"

namespace zt {

TestKinds::TestKinds()
{
    Set<TestBox>(kx::TKXEle::deRect);
    Set<TestText>(kx::TKXEle::deText);
    Set<TestBar>(kx::TKXEle::deBar);
    Set<TestLine>(kx::TKXEle::deLine);
}

} // namespace zt
