// The editor properties dialog on a real editor: the editor's values shown at opening, each
// control changing the live editor at once, OK keeping the changes, and Cancel, Escape and the
// close box all putting every value back exactly, in one repaint.
#include "DialogEnds.h"
#include "EditorFixture.h"
#include "ScriptedPrompts.h"

#include "controls/KXSpinEditFloat.h"
#include "dialogs/KXModal.h"
#include "dialogs/KXPropEditor.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::designer;
using zt::DialogEnd;

namespace {

// Everything the dialog can change, read from the editor and its label.
struct EditorState {
    int32_t AlignX, AlignY;
    bool ShowAlign;
    TColor AlignColor, GridColor, SelColor, SizeColor;
    int32_t GridX, GridY;
    bool GridShow;
    TKXGridDraw Style;
    bool Adjust, ShowSize;
    TKXSnap Snap;
    bool RefLines;
    bool Modified;

    static EditorState Of(zt::EditorOnLabel &F)
    {
        TKXEditor &ed = F.Ed();
        const TKXBackSurf &b = *F.Lab->BackSurf();
        return {b.AlignXInternal(),  b.AlignYInternal(),    b.ShowAlign(),
                b.AlignColor(),      ed.Grid.Color,         ed.SelColor,
                ed.RulerSettings().SizeColor(),             ed.Grid.IncX,
                ed.Grid.IncY,        ed.Grid.Show,          ed.GridSettings().Style(),
                ed.RulerSettings().AdjustAligns(),          ed.RulerSettings().ShowSize(),
                ed.Snap,             ed.ShowLines(),        F.Lab->Modified()};
    }
    bool operator==(const EditorState &) const = default;
};

std::ostream &operator<<(std::ostream &Out, const EditorState &S)
{
    return Out << "align " << S.AlignX << "," << S.AlignY << " show " << S.ShowAlign << " colours " << S.AlignColor
               << "/" << S.GridColor << "/" << S.SelColor << "/" << S.SizeColor << " grid " << S.GridX << ","
               << S.GridY << " show " << S.GridShow << " style " << int(S.Style) << " adjust " << S.Adjust
               << " size " << S.ShowSize << " snap " << int(S.Snap) << " reflines " << S.RefLines << " modified "
               << S.Modified;
}

// Replaces a number field's text by typing, as a person does.
void Type(TKxSpinEditFloat *Edit, const QString &Text)
{
    Edit->setFocus();
    Edit->selectAll();
    QTest::keyClick(Edit, Qt::Key_Backspace);
    QTest::keyClicks(Edit, Text);
}

class PropEditor : public ::testing::Test {
protected:
    PropEditor()
    {
        // An inch label with settings away from every default, so a restore cannot pass by
        // falling back to one.
        F.Lab->SetUnits(TKXUnits::unINCH);
        TKXEditor &ed = F.Ed();
        TKXBackSurf &b = *F.Lab->BackSurf();
        b.SetAlignX(0.5f);   // 1270
        b.SetAlignY(0.25f);  // 635
        b.SetShowAlign(true);
        b.SetAlignColor(0x00FF00);
        ed.GridSettings().SetColor(0x123456);
        ed.SetSelColor(0x0000FF);
        ed.GridSettings().SetIncX(0.1f); // 254
        ed.GridSettings().SetIncY(0.15f);
        ed.GridSettings().SetShow(true);
        ed.GridSettings().SetStyle(TKXGridDraw::gdLines);
        ed.RulerSettings().SetAdjustAligns(true);
        ed.RulerSettings().SetShowSize(false);
        ed.RulerSettings().SetSizeColor(0x808000);
        ed.Snap = TKXSnap::snGrid;
        ed.SetShowLines(false);
        F.Lab->SetModified(false);
        F.Paint();
        Opening = EditorState::Of(F);
    }

    // Changes every value through the dialog's controls.
    void ChangeEverything(TFPropEditor &Dlg)
    {
        prompts.AnswerColor(0x000001);
        prompts.AnswerColor(0x000002);
        prompts.AnswerColor(0x000003);
        prompts.AnswerColor(0x000004);
        Type(Dlg.SpEdFloatGX, QStringLiteral("0.35"));
        Type(Dlg.SpEdFloatGY, QStringLiteral("0.4"));
        Type(Dlg.SpEdFloatAlLeft, QStringLiteral("1.1"));
        Type(Dlg.SpEdFloatAlTop, QStringLiteral("0.6"));
        for (QCheckBox *box : {Dlg.CheckGrid, Dlg.CheckSnap, Dlg.CheckShowAlign, Dlg.CheckAdjustAlign,
                               Dlg.CBShowRefLines, Dlg.CheckShowSize})
            QTest::mouseClick(box, Qt::LeftButton);
        QTest::mouseClick(Dlg.RBGridPoints, Qt::LeftButton);
        for (TKXColorSwatch *swatch : {Dlg.ShCoGrid, Dlg.ShCoAlign, Dlg.ShCoSelect, Dlg.ShCoSize})
            QTest::mousePress(swatch, Qt::RightButton); // any button asks
    }

    zt::EditorOnLabel F;
    zt::TKXScriptedPrompts prompts;
    EditorState Opening{};
};

TEST_F(PropEditor, ShowsTheEditorsValuesWithInchSteps)
{
    TFPropEditor dlg;
    dlg.Ini(&F.Ed());
    EXPECT_EQ(dlg.SpEdFloatGX->text(), "0.10");
    EXPECT_EQ(dlg.SpEdFloatGY->text(), "0.15");
    EXPECT_EQ(dlg.SpEdFloatAlLeft->text(), "0.50");
    EXPECT_EQ(dlg.SpEdFloatAlTop->text(), "0.25");
    for (TKxSpinEditFloat *e : {dlg.SpEdFloatGX, dlg.SpEdFloatGY, dlg.SpEdFloatAlLeft, dlg.SpEdFloatAlTop}) {
        EXPECT_EQ(e->Digits(), 2);
        EXPECT_DOUBLE_EQ(double(e->Increment()), 0.05);
    }
    EXPECT_TRUE(dlg.CheckGrid->isChecked());
    EXPECT_TRUE(dlg.CheckSnap->isChecked());
    EXPECT_TRUE(dlg.CheckShowAlign->isChecked());
    EXPECT_TRUE(dlg.CheckAdjustAlign->isChecked());
    EXPECT_FALSE(dlg.CheckShowSize->isChecked());
    EXPECT_FALSE(dlg.CBShowRefLines->isChecked());
    EXPECT_TRUE(dlg.RBGridLines->isChecked());
    EXPECT_EQ(dlg.ShCoGrid->Color(), 0x123456u);
    EXPECT_EQ(dlg.ShCoAlign->Color(), 0x00FF00u);
    EXPECT_EQ(dlg.ShCoSelect->Color(), 0x0000FFu);
    EXPECT_EQ(dlg.ShCoSize->Color(), 0x808000u);
    // Showing the values changed nothing.
    EXPECT_EQ(EditorState::Of(F), Opening);

    // One step of the up-down button in an inch label is 0.05, and it reaches the editor.
    dlg.SpEdFloatGX->UpClick();
    EXPECT_EQ(dlg.SpEdFloatGX->text(), "0.15");
    EXPECT_NEAR(F.Ed().GridSettings().IncX(), 0.15, 1e-4);
}

TEST_F(PropEditor, MillimetreLabelStepsByHalves)
{
    F.Lab->SetUnits(TKXUnits::unMM);
    TFPropEditor dlg;
    dlg.Ini(&F.Ed());
    EXPECT_DOUBLE_EQ(double(dlg.SpEdFloatAlTop->Increment()), 0.5);
    EXPECT_EQ(dlg.SpEdFloatAlLeft->text(), "12.70");
}

TEST_F(PropEditor, EachControlChangesTheLiveEditorAndOkKeepsIt)
{
    TFPropEditor dlg;
    dlg.Ini(&F.Ed());
    dlg.open();
    TKXEditor &ed = F.Ed();

    // A grid step below the minimum: the grid takes its least step (1 mm), the field keeps
    // what was typed.
    Type(dlg.SpEdFloatGX, QStringLiteral("0.01"));
    EXPECT_EQ(ed.Grid.IncX, 100);
    EXPECT_EQ(dlg.SpEdFloatGX->text(), "0.01");
    // A field emptied while typing is no number: the grid keeps its step.
    Type(dlg.SpEdFloatGY, QString());
    EXPECT_EQ(ed.Grid.IncY, Opening.GridY);

    ChangeEverything(dlg);
    EXPECT_EQ(prompts.Count(zt::TPromptKind::ChooseColor), 4);
    const EditorState changed = EditorState::Of(F);
    EXPECT_EQ(changed.GridX, 889);
    EXPECT_EQ(changed.GridY, 1016);
    EXPECT_EQ(changed.AlignX, 2794);
    EXPECT_EQ(changed.AlignY, 1524);
    EXPECT_FALSE(changed.GridShow);
    EXPECT_EQ(changed.Snap, TKXSnap::snNone);
    EXPECT_FALSE(changed.ShowAlign);
    EXPECT_FALSE(changed.Adjust);
    EXPECT_TRUE(changed.RefLines);
    EXPECT_TRUE(changed.ShowSize);
    EXPECT_EQ(changed.Style, TKXGridDraw::gdPoints);
    EXPECT_EQ(changed.GridColor, 1u);
    EXPECT_EQ(changed.AlignColor, 2u);
    EXPECT_EQ(changed.SelColor, 3u);
    EXPECT_EQ(changed.SizeColor, 4u);
    EXPECT_EQ(dlg.ShCoSize->Color(), 4u);

    // The snap flag goes back and forth with the box.
    QTest::mouseClick(dlg.CheckSnap, Qt::LeftButton);
    EXPECT_EQ(ed.Snap, TKXSnap::snGrid);
    QTest::mouseClick(dlg.CheckSnap, Qt::LeftButton);

    // A colour choice cancelled changes nothing.
    prompts.AnswerColor(std::nullopt);
    QTest::mousePress(dlg.ShCoGrid, Qt::LeftButton);
    EXPECT_EQ(ed.Grid.Color, 1u);
    EXPECT_EQ(dlg.ShCoGrid->Color(), 1u);

    EXPECT_EQ(zt::EndDialog(dlg, DialogEnd::OkButton), QDialog::Accepted);
    EXPECT_EQ(EditorState::Of(F), changed);
}

TEST_F(PropEditor, FocusedNumberFieldIsTinted)
{
    TFPropEditor dlg;
    dlg.Ini(&F.Ed());
    dlg.open();
    QApplication::setActiveWindow(&dlg);
    const QColor normal = dlg.SpEdFloatGY->palette().color(QPalette::Base);
    dlg.SpEdFloatGX->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(dlg.SpEdFloatGX->palette().color(QPalette::Base), kx::ToQColor(TFPropEditor::FocusColor));
    dlg.SpEdFloatGY->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(dlg.SpEdFloatGX->palette().color(QPalette::Base), normal);
    EXPECT_EQ(dlg.SpEdFloatGY->palette().color(QPalette::Base), kx::ToQColor(TFPropEditor::FocusColor));
    dlg.reject();
}

class PropEditorLeft : public PropEditor, public ::testing::WithParamInterface<DialogEnd> {};

TEST_P(PropEditorLeft, WithoutOkEverythingIsBackInOneRepaint)
{
    TFPropEditor dlg;
    dlg.Ini(&F.Ed());
    dlg.open();
    ChangeEverything(dlg);
    ASSERT_NE(EditorState::Of(F), Opening);
    F.Paint();
    F.TakeRenders();

    EXPECT_EQ(zt::EndDialog(dlg, GetParam()), QDialog::Rejected);
    EXPECT_EQ(EditorState::Of(F), Opening);
    const auto renders = F.TakeRenders();
    EXPECT_EQ(renders.Ele, 1);
    EXPECT_LE(renders.Sel, 1);
    // The fields show the opening values again.
    EXPECT_EQ(dlg.SpEdFloatGX->text(), "0.10");
    EXPECT_EQ(dlg.SpEdFloatAlLeft->text(), "0.50");
    EXPECT_TRUE(dlg.CheckGrid->isChecked());
    EXPECT_TRUE(dlg.RBGridLines->isChecked());
    EXPECT_EQ(dlg.ShCoSelect->Color(), 0x0000FFu);
}

INSTANTIATE_TEST_SUITE_P(, PropEditorLeft,
                         ::testing::Values(DialogEnd::CancelButton, DialogEnd::EscapeKey, DialogEnd::CloseBox));

TEST_F(PropEditor, DestroyedWhileOpenRestoresWhileTheEditorLives)
{
    {
        TFPropEditor dlg;
        dlg.Ini(&F.Ed());
        dlg.open();
        ChangeEverything(dlg);
    }
    EXPECT_EQ(EditorState::Of(F), Opening);

    // The editor went first: the dialog goes quietly.
    auto dlg = std::make_unique<TFPropEditor>();
    dlg->Ini(&F.Ed());
    dlg->open();
    QTest::mouseClick(dlg->CheckGrid, Qt::LeftButton);
    F.Editor.reset();
    dlg.reset();
    EXPECT_FALSE(F.Lab->Editor());
}

TEST_F(PropEditor, ShowPropRunsTheDialogOverTheEditor)
{
    // Kept: the runner ticks the reference lines and presses OK.
    {
        TKXModalScope scope([](QDialog &D) {
            auto &dlg = dynamic_cast<TFPropEditor &>(D);
            QTest::mouseClick(dlg.CBShowRefLines, Qt::LeftButton);
            return zt::EndDialog(dlg, DialogEnd::OkButton);
        });
        F.Ed().ShowProp();
    }
    EXPECT_TRUE(F.Ed().ShowLines());
    // Abandoned with Escape after three changes: all three back.
    {
        TKXModalScope scope([this](QDialog &D) {
            auto &dlg = dynamic_cast<TFPropEditor &>(D);
            prompts.AnswerColor(0xABCDEF);
            QTest::mousePress(dlg.ShCoGrid, Qt::LeftButton);
            QTest::mouseClick(dlg.CheckSnap, Qt::LeftButton);
            Type(dlg.SpEdFloatAlLeft, QStringLiteral("1"));
            EXPECT_EQ(F.Ed().Grid.Color, 0xABCDEFu);
            return zt::EndDialog(dlg, DialogEnd::EscapeKey);
        });
        F.Ed().ShowProp();
    }
    EXPECT_EQ(F.Ed().Grid.Color, 0x123456u);
    EXPECT_EQ(F.Ed().Snap, TKXSnap::snGrid);
    EXPECT_EQ(F.Lab->BackSurf()->AlignXInternal(), 1270);
}

TEST_F(PropEditor, TextsAreEnglishOrTheLabelsTranslation)
{
    {
        TFPropEditor dlg;
        dlg.Ini(&F.Ed());
        EXPECT_EQ(dlg.windowTitle(), "Editor Properties");
        EXPECT_EQ(dlg.GpBoxSizeObjects->title(), "Element's size");
        EXPECT_EQ(dlg.RGDrawGrid->title(), "Grid");
        EXPECT_EQ(dlg.RBGridLines->text(), "Lines");
        EXPECT_EQ(dlg.LabColSize->text(), "Color");
        EXPECT_EQ(dlg.CBShowRefLines->text(), "Show reference lines");
        EXPECT_EQ(dlg.ButCancel()->text(), "Cancel");
    }
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("es.ini"));
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("[dialogs]\nKxEditorPro=Propiedades del editor\nKxColor=Color \xC3\xADndice\n"
                  "[translate]\nKXTedreflines=L\xC3\xADneas de referencia\n");
    }
    F.Lab->SetIniTranslate(file);
    TFPropEditor dlg;
    dlg.Ini(&F.Ed());
    EXPECT_EQ(dlg.windowTitle(), "Propiedades del editor");
    EXPECT_EQ(dlg.LabCoGrid->text(), QString::fromUtf8("Color \xC3\xADndice"));
    EXPECT_EQ(dlg.CBShowRefLines->text(), QString::fromUtf8("L\xC3\xADneas de referencia"));
    // A key the file lacks: the English text.
    EXPECT_EQ(dlg.CheckSnap->text(), "Snap to Grid");
}

} // namespace
