// Recording fakes of the designer services, the UI services and the undo history. Each
// call is written down as a person reads it ("RefreshView(0,Color)", "PutAlignX(12.5,0)"),
// in one log shared by the editor, its inspector and its rulers, so a test sees the order in
// which the document spoke to the designer.
#pragma once

#include "document/KXBaseLab.h"
#include "document/KXDesignerServices.h"
#include "document/KXUndoRecorder.h"
#include "platform/KXUIServices.h"

#include <string>
#include <vector>

namespace zt {

using CallLog = std::vector<std::string>;

class FakeInspector : public kx::TKXBaseInspector {
public:
    explicit FakeInspector(CallLog &Log) : FLog(Log) {}
    void Inspect() override;
    void RefreshProperty(const QString &PropName) override;
    void Invalidate() override;

private:
    CallLog &FLog;
};

class FakeDataRuler : public kx::TKXDataRuler {
public:
    explicit FakeDataRuler(CallLog &Log) : FLog(Log) {}
    void SetCoorSelect(float x1, float y1, float x2, float y2) override;
    void PutAlignX(float Value, bool Notify) override;
    void PutAlignY(float Value, bool Notify) override;
    void SetUnits(kx::TKXUnits Value) override;

private:
    CallLog &FLog;
};

class FakeRulers : public kx::TKXRulers {
public:
    explicit FakeRulers(CallLog &Log) : FLog(Log), FRuler(Log) {}
    void SetShowAlign(bool Value) override;
    kx::TKXDataRuler *DataRuler() override { return &FRuler; }

private:
    CallLog &FLog;
    FakeDataRuler FRuler;
};

// An editor with a design surface of ViewWidth x ViewHeight pixels, linked to Lab (the
// constructor links it both ways; the destructor unlinks). Selection is kept for real, so
// the document's Selected follows it.
class FakeDesignerServices : public kx::TKXCustomEditor {
public:
    explicit FakeDesignerServices(kx::TKXCustomLab &Lab, int32_t ViewWidth = 600, int32_t ViewHeight = 350);
    ~FakeDesignerServices() override;

    CallLog Log;
    FakeInspector FakeInspect{Log};
    FakeRulers FakeRuler{Log};
    int32_t ViewWidth;
    int32_t ViewHeight;
    double Zoom = 1.0;
    kx::TKXCanvas *Canvas = nullptr; // what LabCanvas answers

    // Calls whose text starts with Prefix.
    int Count(const std::string &Prefix) const;
    bool Has(const std::string &Call) const;
    // Flags and log back to the start.
    void Reset();

    void BeginUpdate() override;
    void EndUpdate(bool Inspect = false) override;
    void UpdateEditor(bool Inspect) override;
    void RefreshView(bool Inspect, const QString &PropName) override;
    void RecalcZoom(bool Flag) override;
    int32_t GetViewWidth() const override { return ViewWidth; }
    int32_t GetViewHeight() const override { return ViewHeight; }
    double ZoomFactor() const override { return Zoom; }
    int32_t GetSelectedCount() const override { return int32_t(FSelection.size()); }
    kx::TKXElement *GetSelect() const override;
    kx::TKXElement *GetSelected(int32_t SelectNo) const override;
    void SetSelect(kx::TKXElement *Element) override;
    void ClearSelection() override;
    bool DeleteFromSelection(kx::TKXElement *Element) override;
    // Adds to the selection (the editor's shift-click), for multi-selection tests.
    void AddToSelection(kx::TKXElement *Element);
    void DrawSelectionFrame(bool IsSelected, bool Bound, kx::TKXSelType SelType, uint16_t Angle,
                            const kx::TRect &Frame, const kx::TRect &Border, bool CrossOut) override;
    kx::TKXCanvas *LabCanvas() override { return Canvas; }
    void BuildGuideLines() override;

private:
    std::vector<kx::TKXElement *> FSelection;
};

// Shows nothing; remembers every message and busy call, answers a set picture.
class FakeUIServices : public kx::TKXUIServices {
public:
    std::vector<QString> Messages;
    int BusyDepth = 0;
    int BusyCalls = 0;
    QString PictureToChoose;
    QString LastFilter;

    void ShowMessage(const QString &Text) override { Messages.push_back(Text); }
    void BeginBusy() override { ++BusyDepth; ++BusyCalls; }
    void EndBusy() override { --BusyDepth; }
    QString ChoosePicture(const QString &Filter, const QString &) override
    {
        LastFilter = Filter;
        return PictureToChoose;
    }
};

// Writes down every entry the document hands to its undo history.
class RecordingUndoRecorder : public kx::TKXUndoRecorder {
public:
    struct Entry {
        kx::TKXURAction Kind;
        uint64_t Serial;
        QString ID;
    };
    std::vector<Entry> Entries;
    std::vector<int32_t> StepSizes;
    int Clears = 0;

    void RecordUndo(kx::TKXURAction Kind, kx::TKXElement &Element) override
    {
        Entries.push_back({Kind, Element.Serial(), Element.ID()});
    }
    void StepSizeChanged(int32_t ElementsAfected) override { StepSizes.push_back(ElementsAfected); }
    void ClearUndoRedo() override { ++Clears; }
};

// Installs a recording undo history on Lab and answers it (owned by Lab).
RecordingUndoRecorder &InstallUndoRecorder(kx::TKXCustomLab &Lab);

} // namespace zt
