// A design editor on a label, for widget tests: a QApplication on the offscreen platform,
// a label of the given size in millimetres and the real editor widget linked to it, shown
// and sized so that its scroll box has the given size. The editor is destroyed before the
// label. Elements are the test kinds (TestElements.h) unless a test adds real ones.
#pragma once

#include "TestElements.h"
#include "document/KXBaseLab.h"
#include "editor/KXEditor.h"
#include "surface/KXBackLab.h"

#include <QImage>

#include <memory>

namespace zt {

// Creates the process's QApplication once (widgets need it rather than a QGuiApplication).
void RequireWidgetApp();

struct EditorOnLabel {
    // ScrollW x ScrollH: the size of the editor's scroll box (the rulers are 18 pixels thick).
    EditorOnLabel(float WidthMM = 60, float HeightMM = 35, int ScrollW = 600, int ScrollH = 400);
    ~EditorOnLabel();

    kx::designer::TKXEditor &Ed() { return *Editor; }
    kx::designer::TKXBackLab &Surface() { return *Editor->BackLab(); }
    // Brings the layers up to date and answers the surface's composed image.
    const QImage &Paint();
    TestBox *AddBox(kx::TRect R);
    TestText *AddText(kx::TPoint P, const QString &ID);
    // Layer renders since the last call.
    kx::designer::TKXCustomEditor::TLayerRenders TakeRenders();

    TestKinds Kinds; // the test kinds in the element factory
    std::unique_ptr<kx::TKXCustomLab> Lab;
    std::unique_ptr<kx::designer::TKXEditor> Editor;

private:
    kx::designer::TKXCustomEditor::TLayerRenders FLast;
};

// RGB of a pixel, as 0xRRGGBB.
inline unsigned Rgb(const QImage &Img, int x, int y) { return Img.pixel(x, y) & 0xFFFFFF; }

} // namespace zt
