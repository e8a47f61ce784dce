#include "FakeDesignerServices.h"

#include <algorithm>
#include <sstream>

namespace zt {

namespace {

std::string Num(float v)
{
    std::ostringstream s;
    s << v;
    return s.str();
}

std::string Str(const QString &s)
{
    return s.toStdString();
}

} // namespace

void FakeInspector::Inspect() { FLog.push_back("Inspect"); }
void FakeInspector::RefreshProperty(const QString &PropName) { FLog.push_back("RefreshProperty(" + Str(PropName) + ")"); }
void FakeInspector::Invalidate() { FLog.push_back("Invalidate"); }

void FakeDataRuler::SetCoorSelect(float x1, float y1, float x2, float y2)
{
    FLog.push_back("SetCoorSelect(" + Num(x1) + "," + Num(y1) + "," + Num(x2) + "," + Num(y2) + ")");
}

void FakeDataRuler::PutAlignX(float Value, bool Notify)
{
    FLog.push_back("PutAlignX(" + Num(Value) + "," + std::to_string(int(Notify)) + ")");
}

void FakeDataRuler::PutAlignY(float Value, bool Notify)
{
    FLog.push_back("PutAlignY(" + Num(Value) + "," + std::to_string(int(Notify)) + ")");
}

void FakeDataRuler::SetUnits(kx::TKXUnits Value)
{
    FLog.push_back("SetUnits(" + std::string(kx::EnumName(Value)) + ")");
}

void FakeRulers::SetShowAlign(bool Value) { FLog.push_back("SetShowAlign(" + std::to_string(int(Value)) + ")"); }

FakeDesignerServices::FakeDesignerServices(kx::TKXCustomLab &Lab, int32_t ViewWidth_, int32_t ViewHeight_)
    : ViewWidth(ViewWidth_), ViewHeight(ViewHeight_)
{
    Inspector = &FakeInspect;
    Rulers = &FakeRuler;
    Lab.SetEditor(this);
}

FakeDesignerServices::~FakeDesignerServices() = default; // the base unlinks the document

int FakeDesignerServices::Count(const std::string &Prefix) const
{
    return int(std::count_if(Log.begin(), Log.end(), [&](const std::string &c) { return c.rfind(Prefix, 0) == 0; }));
}

bool FakeDesignerServices::Has(const std::string &Call) const
{
    return std::find(Log.begin(), Log.end(), Call) != Log.end();
}

void FakeDesignerServices::Reset()
{
    Log.clear();
    FPaintEle = false;
    FPaintSel = false;
    FZoomChanged = false;
    Label()->BackSurf()->FNeedPaint = false;
}

void FakeDesignerServices::BeginUpdate()
{
    Log.push_back("BeginUpdate");
    FDraw = false;
    Label()->SetUnReIni(0);
}

void FakeDesignerServices::EndUpdate(bool Inspect)
{
    Log.push_back("EndUpdate(" + std::to_string(int(Inspect)) + ")");
    FDraw = true;
    Label()->SetUnReIni(1);
    UpdateEditor(Inspect);
}

void FakeDesignerServices::UpdateEditor(bool Inspect)
{
    Log.push_back("UpdateEditor(" + std::to_string(int(Inspect)) + ")");
}

void FakeDesignerServices::RefreshView(bool Inspect, const QString &PropName)
{
    Log.push_back("RefreshView(" + std::to_string(int(Inspect)) + "," + Str(PropName) + ")");
}

void FakeDesignerServices::RecalcZoom(bool Flag)
{
    Log.push_back("RecalcZoom(" + std::to_string(int(Flag)) + ")");
    FZoomChanged = true;
}

kx::TKXElement *FakeDesignerServices::GetSelect() const
{
    return FSelection.empty() ? nullptr : FSelection.front();
}

kx::TKXElement *FakeDesignerServices::GetSelected(int32_t SelectNo) const
{
    if (SelectNo < 1 || SelectNo > int32_t(FSelection.size()))
        return nullptr;
    return FSelection[size_t(SelectNo - 1)];
}

void FakeDesignerServices::SetSelect(kx::TKXElement *Element)
{
    Log.push_back("SetSelect(" + (Element ? Str(Element->ID()) : std::string("nil")) + ")");
    for (kx::TKXElement *e : FSelection)
        e->SetSelectedFlag(false);
    FSelection.clear();
    if (Element) {
        Element->SetSelectedFlag(true);
        FSelection.push_back(Element);
    }
    Label()->SetSelectedField(Element);
}

void FakeDesignerServices::AddToSelection(kx::TKXElement *Element)
{
    Element->SetSelectedFlag(true);
    FSelection.push_back(Element);
    if (FSelection.size() == 1)
        Label()->SetSelectedField(Element);
}

void FakeDesignerServices::ClearSelection()
{
    Log.push_back("ClearSelection");
    for (kx::TKXElement *e : FSelection)
        e->SetSelectedFlag(false);
    FSelection.clear();
}

bool FakeDesignerServices::DeleteFromSelection(kx::TKXElement *Element)
{
    Log.push_back("DeleteFromSelection(" + Str(Element->ID()) + ")");
    const auto it = std::find(FSelection.begin(), FSelection.end(), Element);
    if (it == FSelection.end())
        return false;
    Element->SetSelectedFlag(false);
    FSelection.erase(it);
    if (FSelection.size() == 1)
        Label()->SetSelectedField(FSelection.front());
    else if (FSelection.empty())
        Label()->SetSelectedField(nullptr);
    return true;
}

void FakeDesignerServices::DrawSelectionFrame(bool IsSelected, bool Bound, kx::TKXSelType SelType, uint16_t Angle,
                                              const kx::TRect &Frame, const kx::TRect &Border, bool CrossOut)
{
    std::ostringstream s;
    s << "DrawSelectionFrame(" << IsSelected << "," << Bound << "," << kx::EnumName(SelType) << "," << Angle << ","
      << Frame.Left << " " << Frame.Top << " " << Frame.Right << " " << Frame.Bottom << "," << Border.Left << " "
      << Border.Top << " " << Border.Right << " " << Border.Bottom << "," << CrossOut << ")";
    Log.push_back(s.str());
}

void FakeDesignerServices::BuildGuideLines()
{
    Log.push_back("BuildGuideLines");
}

RecordingUndoRecorder &InstallUndoRecorder(kx::TKXCustomLab &Lab)
{
    auto recorder = std::make_unique<RecordingUndoRecorder>();
    RecordingUndoRecorder &ref = *recorder;
    Lab.SetUndoRecorder(std::move(recorder));
    return ref;
}

} // namespace zt
