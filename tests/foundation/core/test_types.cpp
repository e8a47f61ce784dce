// Enumerations are stored in label streams as one-byte ordinals and looked up by name in the
// inspector: every one must round-trip through both, and the names must be the ones the
// inspector shows.
#include "core/KXTypes.h"
#include "stream/KXStream.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>
#include <type_traits>

using namespace kx;

namespace {

template <typename E>
class EnumRoundTrip : public ::testing::Test {};

using AllEnums =
    ::testing::Types<TKXEle, TKXDrawType, TKXFillType, TKXUnits, TKXSelType, TKXURAction, TKXEleAlign,
                     TTextAlign, TKXTextFormat, TKXBar, TKXCheckType, TKXDataAccessType, TKXExtFileType,
                     TKXExtSeparator, TZantorType, TKXFrameStyle, TKXBackStyle, TKXPrintKind, TKXFooterType,
                     TKXFieldKind, TKXDrawTable, TKXGridStyle, TKXSnap, TKXGridDraw, TKXAlignPos, TKXDrawTool,
                     TKXAction, TKXLineMove, TKXDragType, TKXDrag, TKXSelectStyle, TKXZoom, TKXRulerStyle,
                     TKXTickSize, TKXElementProp, TKXLanguage, TKXInspectMode, TAlignment>;

class EnumNames {
public:
    template <typename E>
    static std::string GetName(int)
    {
        return std::string(EnumInfo<E>::TypeName);
    }
};

TYPED_TEST_SUITE(EnumRoundTrip, AllEnums, EnumNames);

TYPED_TEST(EnumRoundTrip, EveryValueThroughItsByteAndItsName)
{
    using E = TypeParam;
    static_assert(sizeof(E) == 1 && std::is_same_v<std::underlying_type_t<E>, uint8_t>);
    constexpr size_t count = EnumCount<E>();
    ASSERT_GE(count, 1u);
    ASSERT_LE(count, 23u); // the most values any stored enumeration has

    TKXStreamWriter w;
    for (size_t i = 0; i < count; ++i)
        w.WriteEnum(static_cast<E>(i));
    ASSERT_EQ(w.Size(), count);

    TKXStreamReader r(w.Bytes());
    std::set<std::string_view> names;
    for (size_t i = 0; i < count; ++i) {
        EXPECT_EQ(w.Bytes()[i], i);
        const E value = r.ReadEnum<E>();
        EXPECT_EQ(Ord(value), i);
        const std::string_view name = EnumName(value);
        EXPECT_FALSE(name.empty());
        EXPECT_TRUE(names.insert(name).second) << "duplicate name " << name;
        EXPECT_EQ(EnumFromName<E>(name), value) << name;
        EXPECT_EQ(EnumFromOrdinal<E>(int(i)), value);
    }
    EXPECT_TRUE(r.AtEnd());

    // Out of range: no value, no name, and a stream holding such a byte fails to read.
    EXPECT_FALSE(EnumFromOrdinal<E>(int(count)).has_value());
    EXPECT_FALSE(EnumFromOrdinal<E>(-1).has_value());
    EXPECT_FALSE(EnumFromOrdinal<E>(256).has_value());
    EXPECT_TRUE(EnumName(static_cast<E>(count)).empty());
    const uint8_t bad[] = {static_cast<uint8_t>(count)};
    TKXStreamReader rb(bad);
    EXPECT_THROW(rb.ReadEnum<E>(), EKxStreamError);
    EXPECT_EQ(rb.Position(), 0u);
}

// Counts and ordinals that label files, the inspector and the editor depend on.
TEST(Enumerations, CountsAndStoredOrdinals)
{
    EXPECT_EQ(EnumCount<TKXEle>(), 17u);
    EXPECT_EQ(EnumCount<TKXBar>(), 21u);
    EXPECT_EQ(EnumCount<TKXCheckType>(), 7u);
    EXPECT_EQ(EnumCount<TKXDrawTool>(), 22u);
    EXPECT_EQ(EnumCount<TKXElementProp>(), 23u);
    EXPECT_EQ(EnumCount<TKXEleAlign>(), 15u);
    EXPECT_EQ(EnumCount<TKXZoom>(), 15u);
    EXPECT_EQ(EnumCount<TKXDragType>(), 16u);
    EXPECT_EQ(EnumCount<TKXTextFormat>(), 12u);
    EXPECT_EQ(EnumCount<TKXPrintKind>(), 1u);

    EXPECT_EQ(Ord(TKXEle::deQRCode), 16);
    EXPECT_EQ(Ord(TKXEle::deColRowLay), 14);
    EXPECT_EQ(Ord(TKXEleAlign::eaNone), 14);
    EXPECT_EQ(Ord(TKXExtSeparator::esTabulador), 4);
    EXPECT_EQ(Ord(TKXBar::POSTNET), 20);
    EXPECT_EQ(Ord(TKXDrawTool::dwQRCode), 21);
    EXPECT_EQ(Ord(TKXElementProp::epDateFormat), 22);
    EXPECT_EQ(Ord(TKXUnits::unCM), 2);
}

// Scoped enumerators that share a prefix keep their own ordinals and names.
TEST(Enumerations, SharedPrefixesStaySeparate)
{
    EXPECT_EQ(EnumName(TKXFillType::ftField), "ftField");
    EXPECT_EQ(EnumName(TKXFooterType::ftAvg), "ftAvg");
    EXPECT_FALSE(EnumFromName<TKXFillType>("ftSum").has_value());
    EXPECT_EQ(EnumFromName<TKXFooterType>("ftSum"), TKXFooterType::ftSum);
    EXPECT_EQ(Ord(TKXDrawTable::dtRows), 1);
    EXPECT_EQ(Ord(TKXDragType::dtLeft), 2);
    EXPECT_EQ(EnumName(TKXAlignPos::epFirstBottom), "epFirstBottom");
    EXPECT_EQ(EnumName(TKXElementProp::epColor), "epColor");
}

TEST(Enumerations, InspectorNamesAsWritten)
{
    EXPECT_EQ(EnumName(TKXEleAlign::eaRigthCenter), "eaRigthCenter");
    EXPECT_EQ(EnumFromName<TKXEleAlign>("eaRigthCenter"), TKXEleAlign::eaRigthCenter);
    EXPECT_EQ(Ord(TKXEleAlign::eaRigthCenter), 12);
    EXPECT_FALSE(EnumFromName<TKXEleAlign>("eaRightCenter").has_value());
    EXPECT_EQ(EnumName(TKXEleAlign::eaRigthTop), "eaRigthTop");
    EXPECT_EQ(EnumName(TKXEleAlign::eaRigthBottom), "eaRigthBottom");
    EXPECT_EQ(EnumName(TKXBar::INTER_25), "INTER_25");
    EXPECT_EQ(EnumName(TKXLineMove::lmOrto), "lmOrto");
    EXPECT_EQ(EnumInfo<TKXLineMove>::TypeName, "TKXLineMove");
    // Names are looked up exactly, case included.
    EXPECT_FALSE(EnumFromName<TKXUnits>("unmm").has_value());
}

// Marker kinds stay 16-bit although the kinds stored in them are small.
static_assert(std::is_same_v<decltype(TKXSel::Tipo), uint16_t>);
static_assert(std::is_same_v<decltype(TKXSim::Tipo), uint16_t>);

// The stored ordinals pinned against the written lists of every shared enumeration, each
// written out here by hand in the order the format gives it. The name tables come from
// the declarations themselves, so swapping two values in a declaration would pass every
// round trip above while corrupting every stored label; this table sees it.
template <typename E>
void ExpectOrder(const char *Listed)
{
    std::vector<std::string> expected;
    std::string name;
    for (const char *c = Listed;; ++c) {
        if (*c == ' ' || *c == '\0') {
            if (!name.empty())
                expected.push_back(name);
            name.clear();
            if (*c == '\0')
                break;
        } else {
            name += *c;
        }
    }
    std::vector<std::string> actual;
    for (std::string_view n : EnumInfo<E>::Names)
        actual.emplace_back(n);
    EXPECT_EQ(actual, expected) << EnumInfo<E>::TypeName;
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(EnumFromName<E>(expected[i]).has_value() ? int(Ord(*EnumFromName<E>(expected[i]))) : -1, int(i))
            << EnumInfo<E>::TypeName << " " << expected[i];
}

TEST(Enumerations, OrdinalsAsTheFormatListsThem)
{
    ExpectOrder<TKXEle>("dePoint deLine deText deBar deRect deSymbol deAddText deImage deParagraph deTable "
                        "deAskText dePolyText deLayout dePdf417 deColRowLay deDataMatrix deQRCode");
    ExpectOrder<TKXDrawType>("tdLab tdPrint tdPreview tdOpenDialog");
    ExpectOrder<TKXFillType>("ftNone ftField ftCounter ftFieldCounter");
    ExpectOrder<TKXUnits>("unMM unINCH unCM");
    ExpectOrder<TKXSelType>("stPoint stLine stColRow stRect stRectText stRefTrimLine stRefExtLine stRefJoinLine "
                            "stRefRect");
    ExpectOrder<TKXURAction>("urUndo urRedo urProp urCreate urDelete");
    ExpectOrder<TKXEleAlign>("eaLeft eaTop eaRight eaBottom eaCenter eaLeftTop eaLeftCenter eaLeftBottom "
                             "eaCenterTop eaCenterCenter eaCenterBottom eaRigthTop eaRigthCenter eaRigthBottom "
                             "eaNone");
    ExpectOrder<TTextAlign>("taLeBo taCeBo taRiBo taLeTo taCeTo taRiTo taLeCe taCeCe taRiCe");
    ExpectOrder<TKXTextFormat>("tfLeftTop tfRightTop tfCenterTop tfJustifyTop tfLeftCenter tfRightCenter "
                               "tfCenterCenter tfJustifyCenter tfLeftBottom tfRightBottom tfCenterBottom "
                               "tfJustifyBottom");
    ExpectOrder<TKXBar>("EAN13 EAN8 UPCA UPCE0 CODE39 CODE39EX CODE93 CODE93EX CODABAR EAN128A EAN128B EAN128C "
                        "CODE128A CODE128B CODE128C INTER_25 INDUS_25 MATRIX_25 CODE11 MSI POSTNET");
    ExpectOrder<TKXCheckType>("csNone csmMod10 csmMod10UPCE csmMod10Right csMod11 csMSI csMSI10");
    ExpectOrder<TKXDataAccessType>("daNone daBDEAlias daDataSet");
    ExpectOrder<TKXExtFileType>("efNone efExcelXls efExcelXlsx efCsv efTxt efAccess efPartnerFile");
    ExpectOrder<TKXExtSeparator>("esComa esPuntoyComa esPunto esDosPuntos esTabulador");
    ExpectOrder<TZantorType>("ltRect ltCircle");
    ExpectOrder<TKXFrameStyle>("fsNone fsOneLine fsTwoLine");
    ExpectOrder<TKXBackStyle>("biNone biImage biGradHor biGradVer biGraCircle biHalf1 biHalf2 biQuarter");
    ExpectOrder<TKXPrintKind>("pkDriver");
    ExpectOrder<TKXFooterType>("ftSum ftAvg ftMin ftMax ftCount");
    ExpectOrder<TKXFieldKind>("fkFloat fkNumber fkTime");
    ExpectOrder<TKXDrawTable>("dtColumns dtRows");
    ExpectOrder<TKXGridStyle>("gsNone gsHorz gsVert gsBoth");
    ExpectOrder<TKXSnap>("snPoint snGrid snNone");
    ExpectOrder<TKXGridDraw>("gdPoints gdLines");
    ExpectOrder<TKXAlignPos>("epLeft epTop epRight epBottom epFirstLeft epFirstTop epFirstRight epFirstBottom");
    ExpectOrder<TKXDrawTool>("dwLine dwRect dwText dwBarCode dwSelection dwSymbol dwAddText dwImage dwParagraph "
                             "dwTable dwAskText dwCircle dwTriangle dwDateTime dwPolyText dwLayout dwExtendLine "
                             "dwTrimLine dwJoinLines dwPdf417 dwDataMatrix dwQRCode");
    ExpectOrder<TKXAction>("acNone acSelLineToAdjust acSelRefLineOrRect acSelRefLine");
    ExpectOrder<TKXLineMove>("lmNone lmOrto");
    ExpectOrder<TKXDragType>("dtMove dtTop dtLeft dtBottom dtRight dtLeftTop dtRightTop dtLeftBottom "
                             "dtRightBottom dtPoint1 dtPoint2 dtLine dtMulti dtColumn dtRow dtCaret");
    ExpectOrder<TKXDrag>("drgNone drgLine drgObject drgSizes drgAligns drgMulti drgCaret");
    ExpectOrder<TKXSelectStyle>("ssRect ssDotRect ssLines ssDotLines");
    ExpectOrder<TKXZoom>("zm50 zm75 zm100 zm125 zm150 zm175 zm200 zm250 zm300 zm350 zm400 zm450 zm500 zmWidth "
                         "zmFitAll");
    ExpectOrder<TKXRulerStyle>("rsStyle01 rsStyle02 rsStyle03 rsStyle04");
    ExpectOrder<TKXTickSize>("tsAll tsMiddle tsTop tsBottom");
    ExpectOrder<TKXElementProp>("epBoolean epString epInteger epFloat epEnum epRatio epFactor epFontName epText "
                                "epFieldName epAngle epNumber epChar epParaText epFileImage epAlignText epTable "
                                "epDataPoly epAlignEle epAlignPara epColor epCode epDateFormat");
    ExpectOrder<TKXLanguage>("kxEnglish kxSpanish kxDutch kxCustom");
    ExpectOrder<TKXInspectMode>("imClick imDblClick");
    // The named ordinals a stored label relies on most, as enumerators.
    EXPECT_EQ(Ord(TKXEle::deQRCode), 16);
    EXPECT_EQ(Ord(TKXEleAlign::eaNone), 14);
    EXPECT_EQ(Ord(TKXExtSeparator::esTabulador), 4);
}

} // namespace
