// The inspector's listing: which published properties of a selection become rows, in which
// order, of which kind and with which value; the common class of a mixed selection; the
// exclusions and the data rows; a value that cannot be read; RefreshProperty.
#include "EditorFixture.h"
#include "FakeDesignerServices.h"

#include "document/KXCounter.h"
#include "elements/KXBarCode.h"
#include "elements/KXImage.h"
#include "elements/KXParagraph.h"
#include "elements/KXPdf417.h"
#include "elements/KXPolyText.h"
#include "elements/KXSymbol.h"
#include "elements/KXTable.h"
#include "elements/KXText.h"
#include "inspector/KXInspectorComponent.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace kx;
using namespace kx::designer;

namespace {

// A label, an editor fake selecting for real, and the inspector linked to it.
struct InspectorOnLabel {
    InspectorOnLabel()
    {
        zt::RequireWidgetApp();
        Ed = std::make_unique<zt::FakeDesignerServices>(Lab);
        Ed->Inspector = &Insp;
        Insp.LinkEditor(Ed.get());
        Lab.SetUIServices(&UI);
    }
    ~InspectorOnLabel() { Ed->Inspector = nullptr; }

    void Select(const std::vector<TKXElement *> &Elements)
    {
        Ed->ClearSelection();
        for (TKXElement *e : Elements)
            Ed->AddToSelection(e);
        Insp.Inspect();
    }
    std::string Names() const
    {
        QStringList n;
        for (const TKxProp &p : Insp.Props())
            n << p.Name;
        return n.join(' ').toStdString();
    }
    // "Name kind value", the value as QVariant spells it.
    std::string Row(const QString &Name) const
    {
        const int i = Insp.FindProp(Name);
        if (i < 0)
            return "(none)";
        const TKxProp &p = Insp.Props()[size_t(i)];
        return QStringLiteral("%1 %2 %3")
            .arg(p.Name, QString::fromLatin1(EnumName(p.Kind).data(), qsizetype(EnumName(p.Kind).size())),
                 p.Valor.toString())
            .toStdString();
    }

    bool App = (zt::RequireWidgetApp(), true); // before any widget
    TKXCustomLab Lab;
    zt::FakeUIServices UI;
    std::unique_ptr<zt::FakeDesignerServices> Ed;
    TKXInspector Insp;
};

TKXText *MakeText(TKXCustomLab &Lab)
{
    auto *t = Lab.NewElement<TKXText>();
    t->SetX1(12.5f);
    t->SetColor(0x0000FF);
    t->SetText(QStringLiteral("Hello"));
    t->SetTextAlign(TTextAlign::taCeCe);
    t->SetID(QStringLiteral("T1"));
    return t;
}

const char *const TextNames =
    "X1 Y1 Color Print BackColor Transparent Margin EleAlign FontHeight FontName Separation Bold "
    "Underline Italic Text DisplayFormat TextAlign Angle GapX GapY Shadow ShadowColor ID ShowBorder "
    "BorderColor BorderRadio PenWidth PaddingX PaddingY";

struct ListCase {
    const char *What;
    std::function<std::vector<TKXElement *>(TKXCustomLab &)> Make;
    std::function<void(InspectorOnLabel &)> Setup; // label data, exclusions
    const char *Names;                          // the rows in order
    std::vector<const char *> Rows;             // "Name kind value" of some rows
};

const ListCase ListCases[] = {
    {"a text, without data link or counters",
     [](TKXCustomLab &l) { return std::vector<TKXElement *>{MakeText(l)}; },
     {},
     TextNames,
     {"X1 epFloat 12.5", "Color epColor 255", "Print epBoolean true", "Transparent epBoolean true",
      "EleAlign epAlignEle 14", "FontName epFontName Arial", "Text epText Hello", "TextAlign epAlignText 7",
      "Angle epAngle 0", "ID epString T1", "DisplayFormat epString ", "Separation epFloat 0"}},
    {"a text on a label linked to data shows the data rows after EleAlign",
     [](TKXCustomLab &l) { return std::vector<TKXElement *>{MakeText(l)}; },
     [](InspectorOnLabel &f) { f.Lab.SetLinkData(true); },
     "X1 Y1 Color Print BackColor Transparent Margin EleAlign FieldName Data FontHeight FontName Separation "
     "Bold Underline Italic Text DisplayFormat TextAlign Angle GapX GapY Shadow ShadowColor ID ShowBorder "
     "BorderColor BorderRadio PenWidth PaddingX PaddingY",
     {"FieldName epFieldName ", "Data epBoolean false"}},
    {"a text on a label with one counter and no data link shows the data rows too",
     [](TKXCustomLab &l) { return std::vector<TKXElement *>{MakeText(l)}; },
     [](InspectorOnLabel &f) { f.Lab.NewCounter(); },
     nullptr,
     {"FieldName epFieldName ", "Data epBoolean false"}},
    {"the program's exclusions, in any case and added twice",
     [](TKXCustomLab &l) { return std::vector<TKXElement *>{MakeText(l)}; },
     [](InspectorOnLabel &f) {
         f.Insp.AddExcludePropety(QStringLiteral("ID"));
         f.Insp.AddExcludePropety(QStringLiteral("margin"));
         f.Insp.AddExcludePropety(QStringLiteral("EleAlign"));
         f.Insp.AddExcludePropety(QStringLiteral("Id"));
     },
     "X1 Y1 Color Print BackColor Transparent FontHeight FontName Separation Bold Underline Italic Text "
     "DisplayFormat TextAlign Angle GapX GapY Shadow ShadowColor ShowBorder BorderColor BorderRadio PenWidth "
     "PaddingX PaddingY",
     {}},
    {"a text with a compound part (prefix and suffix)",
     [](TKXCustomLab &l) {
         auto *t = l.NewElement<TKXAddText>();
         t->SetAfter(QStringLiteral(" kg"));
         return std::vector<TKXElement *>{t};
     },
     {},
     "X1 Y1 Color Print BackColor Transparent Margin EleAlign FontHeight FontName Separation Bold Underline "
     "Italic Text DisplayFormat TextAlign Angle GapX GapY Shadow ShadowColor ID Before After ShowBorder "
     "BorderColor BorderRadio PenWidth PaddingX PaddingY",
     {"Before epText Pre", "After epText  kg", "Text epText -"}},
    {"a paragraph: its Text is a paragraph text, its Alignment a layout",
     [](TKXCustomLab &l) {
         auto *p = l.NewElement<TKXParagraph>();
         p->SetText(QStringLiteral("Two\nlines"));
         p->SetAlignment(TKXTextFormat::tfCenterCenter);
         return std::vector<TKXElement *>{p};
     },
     {},
     "X1 Y1 Color Print BackColor Transparent Margin EleAlign FontHeight FontName Separation Bold Underline "
     "Italic ID X2 Y2 Text Angle Alignment PenWidth BorderColor ShowBorder",
     {"Text epParaText Two\nlines", "Alignment epAlignPara 6"}},
    {"a PDF417 symbol",
     [](TKXCustomLab &l) {
         auto *p = l.NewElement<TKXPdf417>();
         p->SetCode(QStringLiteral("ABC"));
         return std::vector<TKXElement *>{p};
     },
     {},
     "X1 Y1 Color Print BackColor Transparent Margin EleAlign ID Angle CorrectionLevel RowCount ColCount "
     "BarWidth BHeight LeftMargin TopMargin Ratio Code Truncated",
     {"Code epCode ABC", "CorrectionLevel epEnum 9", "Truncated epBoolean false"}},
    {"a barcode",
     [](TKXCustomLab &l) {
         auto *b = l.NewElement<TKXBarCode>();
         b->SetCodeType(TKXBar::CODE128B);
         return std::vector<TKXElement *>{b};
     },
     {},
     "X1 Y1 Color Print BackColor Transparent Margin EleAlign ID Angle BarWidth Factor Distance BHeight "
     "LeftMargin TopMargin ShowNumber Checksum FontHeight FontName BarCode CodeType",
     {"CodeType epEnum 13", "Factor epFactor 2"}},
    {"a text and a paragraph: the class they share publishes no Text",
     [](TKXCustomLab &l) {
         auto *t = MakeText(l);
         auto *p = l.NewElement<TKXParagraph>();
         p->SetFontName(QStringLiteral("Courier"));
         return std::vector<TKXElement *>{t, p};
     },
     {},
     "X1 Y1 Color Print BackColor Transparent Margin EleAlign FontHeight FontName Separation Bold Underline "
     "Italic",
     {"X1 epFloat 12.5", "FontName epFontName Arial"}},
    {"a paragraph and a text: the values are the paragraph's",
     [](TKXCustomLab &l) {
         auto *p = l.NewElement<TKXParagraph>();
         p->SetFontName(QStringLiteral("Courier"));
         return std::vector<TKXElement *>{p, MakeText(l)};
     },
     {},
     "X1 Y1 Color Print BackColor Transparent Margin EleAlign FontHeight FontName Separation Bold Underline "
     "Italic",
     {"FontName epFontName Courier"}},
    {"a text and a compound text share the shadowed text: Text is listed, Before and After not",
     [](TKXCustomLab &l) {
         return std::vector<TKXElement *>{MakeText(l), l.NewElement<TKXAddText>()};
     },
     {},
     "X1 Y1 Color Print BackColor Transparent Margin EleAlign FontHeight FontName Separation Bold Underline "
     "Italic Text DisplayFormat TextAlign Angle GapX GapY Shadow ShadowColor",
     {"Text epText Hello"}},
    {"a symbol's character is listed by its code",
     [](TKXCustomLab &l) {
         auto *s = l.NewElement<TKXSymbol>();
         s->SetCharacter(u'A');
         return std::vector<TKXElement *>{s};
     },
     {},
     "X1 Y1 Color Print BackColor Transparent Margin EleAlign ID FontHeight FontName Character Bold Angle "
     "ShowBorder BorderColor BorderRadio PenWidth PaddingX PaddingY FillColor",
     {"Character epChar 65"}},
    {"a table, a compound barcode text and a picture open their dialogs from their rows",
     [](TKXCustomLab &l) { return std::vector<TKXElement *>{l.NewElement<TKXTable>()}; },
     {},
     "X1 Y1 Color Print BackColor Transparent Margin EleAlign X2 Y2 ID EditTable TitleText TitleFontHeight "
     "TitleVisible TitleHeight GridColor GridStyle Angle PenWidth RowColor RowHeight",
     {"EditTable epTable ", "GridStyle epEnum 3", "RowColor epColor 12632256"}},
    {"a compound text", [](TKXCustomLab &l) { return std::vector<TKXElement *>{l.NewElement<TKXPolyText>()}; },
     {}, nullptr, {"EditPoly epDataPoly ", "Factor epFactor 2", "CodeType epEnum 11"}},
    {"a picture", [](TKXCustomLab &l) { return std::vector<TKXElement *>{l.NewElement<TKXImage>()}; },
     {}, nullptr, {"FileImage epFileImage ", "Aspect epBoolean true"}},
};

} // namespace

TEST(DesignerInspectorListing, RowsFollowTheSelectionsClass)
{
    for (const ListCase &c : ListCases) {
        SCOPED_TRACE(c.What);
        InspectorOnLabel f;
        if (c.Setup)
            c.Setup(f);
        f.Select(c.Make(f.Lab));
        if (c.Names) {
            EXPECT_EQ(f.Names(), std::string(c.Names));
        }
        for (const char *row : c.Rows) {
            const QString want = QString::fromUtf8(row);
            EXPECT_EQ(f.Row(want.section(' ', 0, 0)), want.toStdString());
        }
        for (const TKxProp &p : f.Insp.Props())
            EXPECT_TRUE(p.Enabled) << qPrintable(p.Name);
    }
}

TEST(DesignerInspectorListing, RowsCarryTheirCaptionKeyIndex)
{
    InspectorOnLabel f;
    f.Select({MakeText(f.Lab)});
    const auto id = [&](const char *n) { return f.Insp.Props()[size_t(f.Insp.FindProp(QLatin1String(n)))].IdProp; };
    EXPECT_EQ(id("Color"), 2);
    EXPECT_EQ(id("X1"), 8);
    EXPECT_EQ(id("Bold"), 23); // the first of its two keys
    EXPECT_EQ(id("PaddingY"), 86);
    EXPECT_EQ(id("FontName"), 18);
}

TEST(DesignerInspectorListing, FontNameFollowsTheLastFontRow)
{
    InspectorOnLabel f;
    EXPECT_EQ(f.Insp.FontName(), QStringLiteral("Arial"));
    auto *t = MakeText(f.Lab);
    t->SetFontName(QStringLiteral("Courier New"));
    f.Select({t});
    EXPECT_EQ(f.Insp.FontName(), QStringLiteral("Courier New"));
    // A selection without a font keeps the last one.
    f.Select({f.Lab.NewElement<TKXTable>()});
    EXPECT_EQ(f.Insp.FontName(), QStringLiteral("Courier New"));
}

TEST(DesignerInspectorListing, NoSelectionListsNothing)
{
    InspectorOnLabel f;
    f.Select({MakeText(f.Lab)});
    ASSERT_GT(f.Insp.PropCount(), 0);
    f.Insp.SetActiveProp(3);
    f.Select({});
    EXPECT_EQ(f.Insp.PropCount(), 0);
    EXPECT_EQ(f.Insp.ActiveProp(), -1);
    // Navigation does nothing on an empty list.
    f.Insp.SetActiveProp(2);
    EXPECT_EQ(f.Insp.ActiveProp(), -1);
}

TEST(DesignerInspectorListing, ClearExcludeListListsEverythingAgain)
{
    InspectorOnLabel f;
    auto *t = MakeText(f.Lab);
    f.Insp.AddExcludePropety(QStringLiteral("Margin"));
    f.Insp.AddExcludePropety(QStringLiteral("MARGIN"));
    EXPECT_EQ(f.Insp.ExcludeList().size(), 1);
    f.Select({t});
    EXPECT_EQ(f.Insp.FindProp(QStringLiteral("Margin")), -1);
    f.Insp.ClearExcludeList();
    f.Select({t});
    EXPECT_EQ(f.Insp.FindProp(QStringLiteral("Margin")), 6);
}

// The common class walk over the class chain, including a class that is an ancestor of
// the result so far (it narrows the result to itself, not to its parent).
TEST(DesignerInspectorListing, CommonClassIsTheNearestSharedAncestor)
{
    InspectorOnLabel f;
    TKXCustomLab &l = f.Lab;
    const auto common = [](std::vector<const TKXElement *> s) {
        const TKXClassInfo *c = TKXCustomInspector::GetCommonClass(s);
        return c ? c->ClassName() : QStringLiteral("(none)");
    };
    const TKXElement *text = l.NewElement<TKXText>(), *add = l.NewElement<TKXAddText>(),
                     *para = l.NewElement<TKXParagraph>(), *bar = l.NewElement<TKXBarCode>(),
                     *table = l.NewElement<TKXTable>(), *poly = l.NewElement<TKXPolyText>();
    EXPECT_EQ(common({}), QStringLiteral("(none)"));
    EXPECT_EQ(common({text}), QStringLiteral("TKXText"));
    EXPECT_EQ(common({text, text}), QStringLiteral("TKXText"));
    EXPECT_EQ(common({text, add}), QStringLiteral("TKXShadowDataText"));
    EXPECT_EQ(common({text, para}), QStringLiteral("TKXDataText"));
    EXPECT_EQ(common({text, add, bar}), QStringLiteral("TKXData"));
    EXPECT_EQ(common({text, table}), QStringLiteral("TKXBaseEx1D"));
    EXPECT_EQ(common({table, poly, text}), QStringLiteral("TKXBaseEx1D"));

    // An element whose class is the shared one itself.
    zt::TestKind<TKXDataText, TKXEle::deText, TKXSelType::stPoint> plain(&l);
    EXPECT_EQ(plain.ClassType().ClassName(), QStringLiteral("TKXDataText"));
    EXPECT_EQ(common({text, &plain}), QStringLiteral("TKXDataText"));
    EXPECT_EQ(common({&plain, text}), QStringLiteral("TKXDataText"));
}

// Every element kind answers its own class record, whose table is the one it publishes,
// and every entry's declared value kind is the kind of the value it reads.
TEST(DesignerInspectorListing, PublishedTablesDeclareTheirValueKinds)
{
    InspectorOnLabel f;
    TKXCustomLab &l = f.Lab;
    const std::vector<TKXElement *> all = {
        l.NewElement<TKXText>(),     l.NewElement<TKXAddText>(), l.NewElement<TKXAskText>(),
        l.NewElement<TKXParagraph>(), l.NewElement<TKXBarCode>(), l.NewElement<TKXPdf417>(),
        l.NewElement<TKXSymbol>(),   l.NewElement<TKXTable>(),   l.NewElement<TKXPolyText>(),
        l.NewElement<TKXImage>(),
    };
    for (TKXElement *e : all) {
        SCOPED_TRACE(e->ClassType().ClassName().toStdString());
        EXPECT_EQ(&e->Published(), &e->ClassType().Props());
        EXPECT_TRUE(e->ClassType().InheritsFrom(TKXElement::ClassInfo()));
        for (const TKXPropInfo &p : e->Published()) {
            const QVariant v = p.Get(*e);
            switch (p.Kind) {
            case TKXPropKind::pkInteger:
                EXPECT_TRUE(v.typeId() == QMetaType::Int || v.typeId() == QMetaType::UInt ||
                            v.typeId() == QMetaType::Short)
                    << qPrintable(p.Name) << " " << v.typeName();
                break;
            case TKXPropKind::pkEnumeration:
                EXPECT_TRUE(p.TypeName == QLatin1String("Boolean") ? v.typeId() == QMetaType::Bool
                                                                    : v.typeId() == QMetaType::Int && p.IsEnum())
                    << qPrintable(p.Name);
                break;
            case TKXPropKind::pkFloat:
                EXPECT_EQ(v.typeId(), QMetaType::Float) << qPrintable(p.Name);
                break;
            case TKXPropKind::pkString:
                EXPECT_EQ(v.typeId(), QMetaType::QString) << qPrintable(p.Name);
                break;
            case TKXPropKind::pkChar:
                EXPECT_EQ(v.toString().size(), 1) << qPrintable(p.Name);
                break;
            default:
                ADD_FAILURE() << qPrintable(p.Name) << " has no listed kind";
            }
        }
    }
}

namespace {

// A box whose one published property fails to read.
class FaultyBox : public zt::TestKind<TKXBaseEx2D, TKXEle::deRect, TKXSelType::stRect> {
public:
    using TestKind::TestKind;
    static const TKXClassInfo &Info()
    {
        static const TKXPropTable table = [] {
            TKXPropTable t;
            t.Add(PublishProp("X1", "Single", &TKXElement::X1, &TKXElement::SetX1));
            TKXPropInfo broken;
            broken.Name = QStringLiteral("Broken");
            broken.TypeName = QStringLiteral("Integer");
            broken.Kind = TKXPropKind::pkInteger;
            broken.Get = [](const TKXElement &) -> QVariant { throw EKxError("CAN'T READ"); };
            t.Add(broken);
            return t;
        }();
        static const TKXClassInfo info(QStringLiteral("TFaultyBox"), &TKXBaseEx2D::ClassInfo(), table);
        return info;
    }
    const TKXClassInfo &ClassType() const override { return Info(); }
    const TKXPropTable &Published() const override { return Info().Props(); }
};

} // namespace

TEST(DesignerInspectorListing, UnreadableValueLeavesTheListWhole)
{
    InspectorOnLabel f;
    auto *t = MakeText(f.Lab);
    f.Select({t});
    const std::string before = f.Names();
    const std::string textRow = f.Row(QStringLiteral("Text"));
    FaultyBox box(&f.Lab);
    f.Select({&box});
    EXPECT_EQ(f.Names(), before);
    EXPECT_EQ(f.Row(QStringLiteral("Text")), textRow);
    ASSERT_EQ(f.UI.Messages.size(), 1u);
    EXPECT_EQ(f.UI.Messages[0], QStringLiteral("CAN'T READ"));
    // Painting what is there still works (every row's entry is alive).
    f.Insp.resize(300, 400);
    EXPECT_FALSE(f.Insp.viewport()->grab().isNull());
    f.Ed->ClearSelection();
}

TEST(DesignerInspectorListing, RefreshPropertyRereadsOnlyItsRow)
{
    InspectorOnLabel f;
    auto *t = MakeText(f.Lab);
    f.Select({t});
    f.Insp.SetActiveProp(4);
    t->SetText(QStringLiteral("Changed"));
    t->SetX1(40);
    t->SetBold(true);
    f.Insp.RefreshProperty(QStringLiteral("text")); // the name is found ignoring case
    EXPECT_EQ(f.Row(QStringLiteral("Text")), std::string("Text epText Changed"));
    EXPECT_EQ(f.Row(QStringLiteral("X1")), std::string("X1 epFloat 12.5"));
    EXPECT_EQ(f.Row(QStringLiteral("Bold")), std::string("Bold epBoolean false"));
    EXPECT_EQ(f.Insp.ActiveProp(), 4);
    f.Insp.RefreshProperty(QStringLiteral("Bold"));
    EXPECT_EQ(f.Row(QStringLiteral("Bold")), std::string("Bold epBoolean true"));

    // A name no row carries, or no selection: nothing changes.
    const std::string names = f.Names();
    f.Insp.RefreshProperty(QStringLiteral("NoSuchProperty"));
    EXPECT_EQ(f.Names(), names);
    t->SetX1(50);
    f.Ed->ClearSelection();
    f.Insp.RefreshProperty(QStringLiteral("X1"));
    EXPECT_EQ(f.Row(QStringLiteral("X1")), std::string("X1 epFloat 12.5"));
}

// The document's own route: a setter that changes another published property reports it,
// and the editor repaints with inspection after a selection change.
TEST(DesignerInspectorListing, TheEditorDrivesTheInspector)
{
    zt::EditorOnLabel f(60, 35);
    TKXInspector insp;
    f.Ed().SetInspector(&insp);
    EXPECT_EQ(insp.Editor(), static_cast<kx::TKXCustomEditor *>(&f.Ed()));
    auto *t = f.Lab->NewElement<TKXText>();
    t->SetText(QStringLiteral("abc"));
    f.Ed().SetSelect(t);
    EXPECT_EQ(insp.Props().front().Name, QStringLiteral("X1"));
    EXPECT_NE(insp.FindProp(QStringLiteral("Text")), -1);
    f.Ed().ClearSelection();
    f.Ed().UpdateEditor(true);
    EXPECT_EQ(insp.PropCount(), 0);
    f.Ed().SetInspector(nullptr);
    EXPECT_EQ(insp.Editor(), nullptr);
}
