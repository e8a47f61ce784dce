// The label reader on arbitrary bytes. Every input either loads, and then saves and reads
// back to the same document, and saved again gives the same bytes, or fails with "ERROR
// READING FILE" and leaves an empty label; nothing reads outside the input, overflows or
// leaks (the build adds the address and undefined-behaviour checks). Every label that loads
// is also drawn: on the design surface under an editor, as printed, and into its label
// metafile as the open dialog shows it, so sizes and points that only break drawing are
// found too.
#include "document/KXBaseLab.h"
#include "document/KXDesignerServices.h"
#include "document/KXSetup.h"
#include "file/KXLabelFile.h"
#include "platform/KXMetafile.h"
#include "platform/KXQtCanvas.h"
#include "stream/KXStream.h"

#include <QGuiApplication>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

namespace {

// An editor that shows nothing, so a load runs the designer follow-up (placing aligned
// elements again) as well.
class SilentEditor : public kx::TKXCustomEditor {
public:
    explicit SilentEditor(kx::TKXCustomLab &Lab) : FLab(Lab) { Lab.SetEditor(this); }
    void BeginUpdate() override { FLab.SetUnReIni(0); }
    void EndUpdate(bool) override { FLab.SetUnReIni(1); }
    void UpdateEditor(bool) override {}
    void RefreshView(bool, const QString &) override {}
    void RecalcZoom(bool) override { FZoomChanged = true; }
    int32_t GetViewWidth() const override { return 600; }
    int32_t GetViewHeight() const override { return 350; }
    double ZoomFactor() const override { return 1.0; }
    int32_t GetSelectedCount() const override { return 0; }
    kx::TKXElement *GetSelect() const override { return nullptr; }
    kx::TKXElement *GetSelected(int32_t) const override { return nullptr; }
    void SetSelect(kx::TKXElement *) override {}
    void ClearSelection() override {}
    bool DeleteFromSelection(kx::TKXElement *) override { return false; }
    void DrawSelectionFrame(bool, bool, kx::TKXSelType, uint16_t, const kx::TRect &, const kx::TRect &,
                            bool) override
    {
    }
    kx::TKXCanvas *LabCanvas() override { return nullptr; }
    void BuildGuideLines() override {}

private:
    kx::TKXCustomLab &FLab;
};

// Draws every element of Lab as DrawType at the label's own size, on a small picture.
void DrawAll(kx::TKXCustomLab &Lab, kx::TKXDrawType DrawType)
{
    const int32_t w = Lab.Measure()->WidthInternal(), h = Lab.Measure()->HeightInternal();
    kx::TKXMetafile picture(w, h, 200, 120);
    std::unique_ptr<kx::TKXQtCanvas> canvas = picture.OpenCanvas();
    canvas->SetMapping(kx::TKXMapping::FromExtents(w, h, 200, 120));
    try {
        Lab.DrawElements(*canvas, {0, 0}, DrawType, kx::TKXFillType::ftNone);
    } catch (const kx::EKxError &) {
        // A symbol that cannot be encoded stops a print with its message; that is no fault.
        if (DrawType == kx::TKXDrawType::tdLab)
            std::abort();
    }
}

void LoadWithEditor(const uint8_t *Data, size_t Size)
{
    kx::TKXCustomLab lab;
    SilentEditor editor(lab);
    kx::TKXStreamReader reader(std::span<const uint8_t>(Data, Size));
    try {
        lab.LoadLabStream(reader, false);
    } catch (const kx::EKxError &e) {
        if (std::strcmp(e.what(), "ERROR READING FILE") != 0 || lab.ElementCount() != 0)
            std::abort();
        return;
    }
    // The design surface: selection frames and marks through the editor.
    DrawAll(lab, kx::TKXDrawType::tdLab);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Drawing needs a GUI application (fonts); the offscreen platform needs no display.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "fuzz_label_reader";
    static char *argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    LoadWithEditor(Data, Size);

    kx::TKXCustomLab lab;
    kx::TKXStreamReader reader(std::span<const uint8_t>(Data, Size));
    try {
        lab.LoadLabStream(reader, false);
    } catch (const kx::EKxError &e) {
        if (std::strcmp(e.what(), "ERROR READING FILE") != 0 || lab.ElementCount() != 0)
            std::abort();
        return 0;
    }
    // What loaded draws: as printed, and the label metafile of the open dialog.
    DrawAll(lab, kx::TKXDrawType::tdPrint);
    if (lab.GetMetafile()->DeviceSize().width() != 260)
        std::abort();
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
