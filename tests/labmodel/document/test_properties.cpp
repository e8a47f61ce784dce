// Published-property tables: each level's names in publish order after its parent's, the
// type names and enumeration names the inspector shows, and reading and writing through the
// real getters and setters (so an inspector edit runs the whole setter protocol).
#include "FakeDesignerServices.h"
#include "TestElements.h"

#include <gtest/gtest.h>

using namespace kx;

namespace {

TEST(PublishedProperties, BaseClassFirstInPublishOrder)
{
    TKXCustomLab lab;
    const QStringList base1D{"X1", "Y1", "Color", "Print"};
    const QStringList ex1D = base1D + QStringList{"BackColor", "Transparent", "Margin", "EleAlign"};
    EXPECT_EQ(lab.NewElement<zt::TestLine>()->Published().Names(), base1D);
    EXPECT_EQ(lab.NewElement<zt::TestBox>()->Published().Names(), (ex1D + QStringList{"X2", "Y2"}));
    EXPECT_EQ(lab.NewElement<zt::TestText>()->Published().Names(), (ex1D + QStringList{"FieldName", "Data"}));
}

TEST(PublishedProperties, TypeAndEnumerationNames)
{
    TKXCustomLab lab;
    const TKXPropTable &t = lab.NewElement<zt::TestText>()->Published();
    struct Case {
        const char *name, *type;
    } cases[] = {
        {"X1", "Single"},     {"Color", "TColor"},         {"Print", "Boolean"},    {"Margin", "Single"},
        {"EleAlign", "TKXEleAlign"}, {"FieldName", "AnsiString"}, {"Data", "Boolean"},
    };
    for (const Case &c : cases) {
        const TKXPropInfo *p = t.Find(c.name);
        ASSERT_NE(p, nullptr) << c.name;
        EXPECT_EQ(p->TypeName, c.type) << c.name;
    }
    const TKXPropInfo *align = t.Find("elealign"); // found without regard to case
    ASSERT_NE(align, nullptr);
    ASSERT_TRUE(align->IsEnum());
    EXPECT_EQ(align->EnumNames.size(), 15);
    EXPECT_EQ(align->EnumNames.front(), "eaLeft");
    EXPECT_EQ(align->EnumNames[11], "eaRigthTop");
    EXPECT_EQ(t.Find("X2"), nullptr); // a point-placed kind does not publish the second point
}

TEST(PublishedProperties, ReadAndWriteThroughTheRealSetters)
{
    TKXCustomLab lab;
    auto &undo = zt::InstallUndoRecorder(lab);
    zt::FakeDesignerServices ed(lab);
    auto *box = lab.NewElement<zt::TestBox>();
    const TKXPropTable &t = box->Published();

    t.Find("X1")->Set(*box, QVariant(12.5f));
    EXPECT_EQ(box->P1().x, 1250);
    EXPECT_FLOAT_EQ(t.Find("X1")->Get(*box).toFloat(), 12.5f);
    EXPECT_EQ(undo.Entries.size(), 1u);
    EXPECT_TRUE(ed.Has("RefreshView(0,X1)"));
    EXPECT_TRUE(lab.Modified());

    t.Find("Color")->Set(*box, QVariant(0x00FF00u));
    EXPECT_EQ(box->Color(), 0x00FF00u);
    EXPECT_EQ(t.Find("Color")->Get(*box).toUInt(), 0x00FF00u);

    t.Find("Transparent")->Set(*box, QVariant(false));
    EXPECT_FALSE(box->Transparent());

    t.Find("EleAlign")->Set(*box, QVariant(int(Ord(TKXEleAlign::eaLeftTop))));
    EXPECT_EQ(box->EleAlign(), TKXEleAlign::eaLeftTop);
    EXPECT_EQ(t.Find("EleAlign")->Get(*box).toInt(), int(Ord(TKXEleAlign::eaLeftTop)));
    // An ordinal the enumeration lacks is refused.
    t.Find("EleAlign")->Set(*box, QVariant(200));
    EXPECT_EQ(box->EleAlign(), TKXEleAlign::eaLeftTop);

    lab.SetUnits(TKXUnits::unCM);
    EXPECT_FLOAT_EQ(t.Find("X1")->Get(*box).toFloat(), 0.0f); // aligned to the left top
    t.Find("Y2")->Set(*box, QVariant(2.0f));
    EXPECT_EQ(box->P2().y, 2000);
}

} // namespace
