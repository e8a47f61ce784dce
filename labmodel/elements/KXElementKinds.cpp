// The one list of the library's element kinds: each kind registers its creator with the
// factory here, one line per kind.
#include "document/KXBaseLab.h"
#include "document/KXElementFactory.h"
#include "elements/KXBarCode.h"
#include "elements/KXImage.h"
#include "elements/KXLayout.h"
#include "elements/KXMatrixCodes.h"
#include "elements/KXParagraph.h"
#include "elements/KXPdf417.h"
#include "elements/KXPolyText.h"
#include "elements/KXShapes.h"
#include "elements/KXSymbol.h"
#include "elements/KXTable.h"
#include "elements/KXText.h"

namespace kx {

void RegisterElementKinds()
{
    using F = TKXElementFactory;
    F::RegisterKind(TKXEle::deText, F::CreatorOf<TKXText>());
    F::RegisterKind(TKXEle::deAddText, F::CreatorOf<TKXAddText>());
    F::RegisterKind(TKXEle::deAskText, F::CreatorOf<TKXAskText>());
    F::RegisterKind(TKXEle::deDataMatrix, F::CreatorOf<TKXDataMatrix>());
    F::RegisterKind(TKXEle::deQRCode, F::CreatorOf<TKXQRCode>());
    F::RegisterKind(TKXEle::deSymbol, F::CreatorOf<TKXSymbol>());
    F::RegisterKind(TKXEle::deBar, F::CreatorOf<TKXBarCode>());
    F::RegisterKind(TKXEle::deLine, F::CreatorOf<TKXLine>());
    F::RegisterKind(TKXEle::deRect, F::CreatorOf<TKXRect>());
    F::RegisterKind(TKXEle::deParagraph, F::CreatorOf<TKXParagraph>());
    F::RegisterKind(TKXEle::deImage, F::CreatorOf<TKXImage>());
    F::RegisterKind(TKXEle::dePolyText, F::CreatorOf<TKXPolyText>());
    F::RegisterKind(TKXEle::deLayout, F::CreatorOf<TKXLayout>());
    F::RegisterKind(TKXEle::dePdf417, F::CreatorOf<TKXPdf417>());
    F::RegisterKind(TKXEle::deTable, F::CreatorOf<TKXTable>());
}

} // namespace kx
