#include "EditorFixture.h"

#include <QApplication>

#include <cstdlib>

namespace zt {

void RequireWidgetApp()
{
    if (QCoreApplication::instance())
        return;
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "zantor-widget-tests";
    static char *argv[] = {name, nullptr};
    // Kept for the whole process.
    static QApplication *app = new QApplication(argc, argv);
    (void)app;
}

EditorOnLabel::EditorOnLabel(float WidthMM, float HeightMM, int ScrollW, int ScrollH)
{
    RequireWidgetApp();
    Lab = std::make_unique<kx::TKXCustomLab>();
    Lab->NewLabel();
    Lab->Measure()->SetLabelSizeMM(WidthMM, HeightMM);
    Editor = std::make_unique<kx::designer::TKXEditor>();
    Editor->SetScreenDpi(96, 96);
    Editor->resize(ScrollW + 18, ScrollH + 18);
    Editor->show();
    Editor->SetZantor(Lab.get());
    Editor->RecalcZoom(true);
    Editor->UpdateEditor(false);
    Editor->FZoomChanged = false; // as the document does after its own recalculation
    FLast = Editor->LayerRenders();
}

EditorOnLabel::~EditorOnLabel() { Editor.reset(); }

const QImage &EditorOnLabel::Paint()
{
    Editor->BackLab()->PaintBackScreen();
    return Editor->BackLab()->BackScreen();
}

TestBox *EditorOnLabel::AddBox(kx::TRect R)
{
    auto *b = Lab->NewElement<TestBox>();
    b->SetPoints({R.Left, R.Top}, {R.Right, R.Bottom});
    Editor->FPaintEle = true;
    Editor->UpdateEditor(false);
    return b;
}

TestText *EditorOnLabel::AddText(kx::TPoint P, const QString &ID)
{
    auto *t = Lab->NewElement<TestText>();
    t->SetPoints(P, {-1, -1});
    t->SetID(ID);
    Editor->FPaintEle = true;
    Editor->UpdateEditor(false);
    return t;
}

kx::designer::TKXCustomEditor::TLayerRenders EditorOnLabel::TakeRenders()
{
    const auto now = Editor->LayerRenders();
    const kx::designer::TKXCustomEditor::TLayerRenders d{now.Back - FLast.Back, now.Ele - FLast.Ele,
                                                        now.Sel - FLast.Sel};
    FLast = now;
    return d;
}

} // namespace zt
