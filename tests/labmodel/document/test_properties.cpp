// Published-property tables: each level's names in publish order after its parent's, the
// type names and enumeration names the inspector shows, and reading and writing through the
// real getters and setters (so an inspector edit runs the whole setter protocol).
#include "elements/KXText.h"
#include "FakeDesignerServices.h"
#include "TestElements.h"

#include "stream/KXStream.h"

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

// Mended: an entry cast any element to its own class, so a multi-selection sharing a
// property name across kinds called a text's setter on a rectangle.
TEST(PublishedProperties, EntriesActOnlyOnTheirOwnClass)
{
    TKXCustomLab lab;
    auto *text = lab.NewElement<TKXText>();
    auto *box = lab.NewElement<zt::TestBox>();
    auto *data = lab.NewElement<zt::TestText>(); // a TKXData, not a single-line text
    text->SetText("old");
    const TKXPropInfo &textEntry = *text->Published().Find("Text");
    const TKXPropInfo &fontEntry = *text->Published().Find("FontName");
    const TBytesArray before = [&] { TKXStreamWriter w; box->SaveToStream(w); return w.TakeBytes(); }();
    lab.SetModified(false);
    textEntry.Set(*box, QVariant(QStringLiteral("new")));
    EXPECT_FALSE(textEntry.Get(*box).isValid());
    EXPECT_FALSE(textEntry.Get(*data).isValid());
    EXPECT_EQ([&] { TKXStreamWriter w; box->SaveToStream(w); return w.TakeBytes(); }(), before);
    EXPECT_FALSE(lab.Modified());
    fontEntry.Set(*data, QVariant(QStringLiteral("Courier"))); // FontName is TKXData's: applies
    EXPECT_EQ(data->FontName(), "Courier");

    // A selection of several kinds: each element through its own table.
    for (TKXElement *e : std::initializer_list<TKXElement *>{text, box, data})
        SetPublishedProp(*e, "color", QVariant(0x0000FFu));
    EXPECT_EQ(text->Color(), 0x0000FFu);
    EXPECT_EQ(box->Color(), 0x0000FFu);
    EXPECT_EQ(data->Color(), 0x0000FFu);
    EXPECT_TRUE(SetPublishedProp(*text, "Text", QVariant(QStringLiteral("new"))));
    EXPECT_FALSE(SetPublishedProp(*box, "Text", QVariant(QStringLiteral("new"))));
    EXPECT_EQ(GetPublishedProp(*text, "TEXT").toString(), "new");
    EXPECT_FALSE(GetPublishedProp(*box, "Text").isValid());
}

} // namespace
