#include "dialogs/KXPropEditor.h"

#include "controls/KXSpinEditFloat.h"
#include "core/KXError.h"
#include "core/KXIniFile.h"
#include "dialogs/KXDialogTexts.h"
#include "dialogs/KXModal.h"
#include "document/KXBaseLab.h"
#include "editor/KXEditor.h"
#include "prompts/KXPrompts.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <array>

namespace kx::designer {

// ---------------------------------------------------------------------------------------
// The colour swatch

TKXColorSwatch::TKXColorSwatch(QWidget *Parent) : QFrame(Parent)
{
    setFrameShape(QFrame::Box);
    setCursor(Qt::PointingHandCursor);
    setFixedSize(36, 18);
}

void TKXColorSwatch::SetColor(TColor Value)
{
    FColor = Value;
    update();
}

void TKXColorSwatch::mousePressEvent(QMouseEvent *Event)
{
    Event->accept();
    if (OnMouseDown)
        OnMouseDown();
}

void TKXColorSwatch::paintEvent(QPaintEvent *Event)
{
    {
        QPainter p(this);
        p.fillRect(contentsRect(), kx::ToQColor(FColor));
    }
    QFrame::paintEvent(Event);
}

// ---------------------------------------------------------------------------------------
// The dialog

namespace {

TKxSpinEditFloat *NumberField(QWidget *Parent, const char *Name)
{
    auto *edit = new TKxSpinEditFloat(Parent);
    edit->setObjectName(QLatin1String(Name));
    QFont font(QStringLiteral("Verdana"));
    font.setPixelSize(12);
    edit->setFont(font);
    edit->setFixedWidth(60);
    return edit;
}

QLabel *Caption(QWidget *Parent, QWidget *Buddy)
{
    auto *label = new QLabel(Parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setBuddy(Buddy);
    return label;
}

template <class T> T *Named(T *Widget, const char *Name)
{
    Widget->setObjectName(QLatin1String(Name));
    return Widget;
}

// A group of two numbers with their captions, a colour swatch with its caption, and two
// check boxes: the grid's and the alignment guides' groups share this arrangement.
void LayTwoNumbersGroup(QGroupBox *Box, std::array<QWidget *, 4> Numbers, QWidget *ColourCaption, QWidget *Swatch,
                        QWidget *Check1, QWidget *Check2)
{
    auto *g = new QGridLayout(Box);
    g->addWidget(Numbers[0], 0, 0);
    g->addWidget(Numbers[1], 0, 1);
    g->addWidget(Numbers[2], 1, 0);
    g->addWidget(Numbers[3], 1, 1);
    g->addWidget(ColourCaption, 0, 2, 2, 1);
    g->addWidget(Swatch, 0, 3, 2, 1);
    g->addWidget(Check1, 0, 4);
    g->addWidget(Check2, 1, 4);
}

} // namespace

TFPropEditor::TFPropEditor(QWidget *Parent) : TKXOptionDialog(Parent)
{
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint);

    // The grid.
    GpBoxGrid = Named(new QGroupBox(this), "GpBoxGrid");
    SpEdFloatGX = NumberField(GpBoxGrid, "SpEdFloatGX");
    SpEdFloatGY = NumberField(GpBoxGrid, "SpEdFloatGY");
    LabGridX = Caption(GpBoxGrid, SpEdFloatGX);
    LabGridY = Caption(GpBoxGrid, SpEdFloatGY);
    ShCoGrid = Named(new TKXColorSwatch(GpBoxGrid), "ShCoGrid");
    LabCoGrid = Caption(GpBoxGrid, nullptr);
    CheckGrid = Named(new QCheckBox(GpBoxGrid), "CheckGrid");
    CheckSnap = Named(new QCheckBox(GpBoxGrid), "CheckSnap");
    LayTwoNumbersGroup(GpBoxGrid, {LabGridX, SpEdFloatGX, LabGridY, SpEdFloatGY}, LabCoGrid, ShCoGrid, CheckGrid, CheckSnap);

    // The alignment guide lines.
    GpBoxAligns = Named(new QGroupBox(this), "GpBoxAligns");
    SpEdFloatAlLeft = NumberField(GpBoxAligns, "SpEdFloatAlLeft");
    SpEdFloatAlTop = NumberField(GpBoxAligns, "SpEdFloatAlTop");
    LabAlignLeft = Caption(GpBoxAligns, SpEdFloatAlLeft);
    LabAlignTop = Caption(GpBoxAligns, SpEdFloatAlTop);
    ShCoAlign = Named(new TKXColorSwatch(GpBoxAligns), "ShCoAlign");
    LabAlignColor = Caption(GpBoxAligns, nullptr);
    CheckShowAlign = Named(new QCheckBox(GpBoxAligns), "CheckShowAlign");
    CheckAdjustAlign = Named(new QCheckBox(GpBoxAligns), "CheckAdjustAlign");
    LayTwoNumbersGroup(GpBoxAligns, {LabAlignLeft, SpEdFloatAlLeft, LabAlignTop, SpEdFloatAlTop}, LabAlignColor, ShCoAlign,
                       CheckShowAlign, CheckAdjustAlign);

    // The selection.
    GpBoxSelec = Named(new QGroupBox(this), "GpBoxSelec");
    ShCoSelect = Named(new TKXColorSwatch(GpBoxSelec), "ShCoSelect");
    LabColorSel = Caption(GpBoxSelec, nullptr);
    CBShowRefLines = Named(new QCheckBox(GpBoxSelec), "CBShowRefLines");
    {
        auto *g = new QGridLayout(GpBoxSelec);
        g->addWidget(LabColorSel, 0, 0);
        g->addWidget(ShCoSelect, 0, 1);
        g->addWidget(CBShowRefLines, 1, 0, 1, 2);
    }

    // The grid's style.
    RGDrawGrid = Named(new QGroupBox(this), "RGDrawGrid");
    RBGridPoints = Named(new QRadioButton(RGDrawGrid), "RBGridPoints");
    RBGridLines = Named(new QRadioButton(RGDrawGrid), "RBGridLines");
    auto *styles = new QButtonGroup(RGDrawGrid);
    styles->addButton(RBGridPoints, 0);
    styles->addButton(RBGridLines, 1);
    {
        auto *v = new QVBoxLayout(RGDrawGrid);
        v->addWidget(RBGridPoints);
        v->addWidget(RBGridLines);
    }

    // The selected element's size on the rulers.
    GpBoxSizeObjects = Named(new QGroupBox(this), "GpBoxSizeObjects");
    CheckShowSize = Named(new QCheckBox(GpBoxSizeObjects), "CheckShowSize");
    ShCoSize = Named(new TKXColorSwatch(GpBoxSizeObjects), "ShCoSize");
    LabColSize = Caption(GpBoxSizeObjects, nullptr);
    {
        auto *g = new QGridLayout(GpBoxSizeObjects);
        g->addWidget(CheckShowSize, 0, 0, 1, 2);
        g->addWidget(LabColSize, 1, 0);
        g->addWidget(ShCoSize, 1, 1);
    }

    Body()->addWidget(GpBoxGrid);
    Body()->addWidget(GpBoxAligns);
    auto *row = new QHBoxLayout;
    row->addWidget(GpBoxSelec);
    row->addWidget(RGDrawGrid);
    row->addWidget(GpBoxSizeObjects);
    Body()->addLayout(row);

    for (TKxSpinEditFloat *edit : {SpEdFloatGX, SpEdFloatGY, SpEdFloatAlLeft, SpEdFloatAlTop})
        edit->installEventFilter(this);

    // What each control does to the editor. The number fields and most check boxes wait for
    // Ini; the check boxes answer only a person's click, never Ini's setting them.
    const auto number = [](TKxSpinEditFloat *Edit, float &Value) {
        long double v = 0;
        if (!Edit->TryValue(v))
            return false; // a half-typed text ("", "-") is no number yet
        Value = float(v);
        return true;
    };
    SpEdFloatGX->OnChange = [this, number] {
        float v;
        if (!FIntro && number(SpEdFloatGX, v))
            FKXEditor->GridSettings().SetIncX(v);
    };
    SpEdFloatGY->OnChange = [this, number] {
        float v;
        if (!FIntro && number(SpEdFloatGY, v))
            FKXEditor->GridSettings().SetIncY(v);
    };
    SpEdFloatAlLeft->OnChange = [this, number] {
        float v;
        if (!FIntro && number(SpEdFloatAlLeft, v))
            Lab()->BackSurf()->SetAlignX(v);
    };
    SpEdFloatAlTop->OnChange = [this, number] {
        float v;
        if (!FIntro && number(SpEdFloatAlTop, v))
            Lab()->BackSurf()->SetAlignY(v);
    };
    connect(CheckGrid, &QCheckBox::clicked, this, [this](bool On) {
        if (FKXEditor)
            FKXEditor->GridSettings().SetShow(On);
    });
    connect(CheckSnap, &QCheckBox::clicked, this, [this](bool On) {
        if (FKXEditor)
            FKXEditor->Snap = On ? TKXSnap::snGrid : TKXSnap::snNone;
    });
    connect(styles, &QButtonGroup::idClicked, this, [this](int Id) {
        if (FIntro)
            return;
        if (Id == 0)
            FKXEditor->GridSettings().SetStyle(TKXGridDraw::gdPoints);
        else if (Id == 1)
            FKXEditor->GridSettings().SetStyle(TKXGridDraw::gdLines);
    });
    connect(CheckShowAlign, &QCheckBox::clicked, this, [this](bool On) {
        if (!FIntro)
            Lab()->BackSurf()->SetShowAlign(On);
    });
    connect(CheckAdjustAlign, &QCheckBox::clicked, this, [this](bool On) {
        if (FKXEditor)
            FKXEditor->RulerSettings().SetAdjustAligns(On);
    });
    connect(CBShowRefLines, &QCheckBox::clicked, this, [this](bool On) {
        if (!FIntro)
            FKXEditor->SetShowLines(On);
    });
    connect(CheckShowSize, &QCheckBox::clicked, this, [this](bool On) {
        if (!FIntro)
            FKXEditor->RulerSettings().SetShowSize(On);
    });
    ShCoGrid->OnMouseDown = [this] {
        ChooseColor(ShCoGrid, [this](TColor C) { FKXEditor->GridSettings().SetColor(C); });
    };
    ShCoAlign->OnMouseDown = [this] {
        ChooseColor(ShCoAlign, [this](TColor C) { Lab()->BackSurf()->SetAlignColor(C); });
    };
    ShCoSelect->OnMouseDown = [this] {
        ChooseColor(ShCoSelect, [this](TColor C) { FKXEditor->SetSelColor(C); });
    };
    ShCoSize->OnMouseDown = [this] {
        ChooseColor(ShCoSize, [this](TColor C) { FKXEditor->RulerSettings().SetSizeColor(C); });
    };

    FillLanguage();
}

TFPropEditor::~TFPropEditor()
{
    if (isVisible())
        ShowResults();
}

kx::TKXCustomLab *TFPropEditor::Lab() const { return FKXEditor ? FKXEditor->Zantor() : nullptr; }

void TFPropEditor::Ini(TKXCustomEditor *Editor)
{
    FKXEditor = Editor;
    const kx::TKXCustomLab *lab = Lab();
    if (!lab)
        return; // nothing to configure: the controls stay inert

    const long double step = lab->Units() == TKXUnits::unMM ? 0.5L : 0.05L;
    for (TKxSpinEditFloat *edit : {SpEdFloatGX, SpEdFloatGY, SpEdFloatAlLeft, SpEdFloatAlTop}) {
        edit->SetDigits(2);
        edit->SetIncrement(step);
    }

    const TKXBackSurf *back = lab->BackSurf();
    VAlLeft = back->AlignXInternal();
    VAlTop = back->AlignYInternal();
    VCkSAl = back->ShowAlign();
    VAlCol = back->AlignColor();
    VGrCol = Editor->Grid.Color;
    VSeCol = Editor->SelColor;
    VGrX = Editor->Grid.IncX;
    VGrY = Editor->Grid.IncY;
    VCkSGr = Editor->Grid.Show;
    VCkSnap = Editor->Snap == TKXSnap::snGrid;
    VCkAdAl = Editor->RulerSettings().AdjustAligns();
    VCkSS = Editor->RulerSettings().ShowSize();
    VSSCol = Editor->RulerSettings().SizeColor();
    VGDr = Editor->GridSettings().Style();
    VRefLines = Editor->ShowLines();
    VModified = lab->Modified();
    ShowValues();

    FIntro = false;
    FillLanguage();
}

void TFPropEditor::ShowValues()
{
    const kx::TKXCustomLab *lab = Lab();
    SpEdFloatAlLeft->SetValue(lab->BackSurf()->AlignX());
    SpEdFloatAlTop->SetValue(lab->BackSurf()->AlignY());
    CheckShowAlign->setChecked(VCkSAl);
    ShCoAlign->SetColor(VAlCol);
    ShCoGrid->SetColor(VGrCol);
    ShCoSelect->SetColor(VSeCol);
    SpEdFloatGX->SetValue(FKXEditor->GridSettings().IncX());
    SpEdFloatGY->SetValue(FKXEditor->GridSettings().IncY());
    CheckGrid->setChecked(VCkSGr);
    CheckSnap->setChecked(VCkSnap);
    CheckAdjustAlign->setChecked(VCkAdAl);
    CheckShowSize->setChecked(VCkSS);
    ShCoSize->SetColor(VSSCol);
    (VGDr == TKXGridDraw::gdLines ? RBGridLines : RBGridPoints)->setChecked(true);
    CBShowRefLines->setChecked(VRefLines);
}

void TFPropEditor::ShowResults()
{
    kx::TKXCustomLab *lab = Lab();
    if (FIntro || !lab)
        return;
    FIntro = true; // the fields shown again below must not reach the editor

    TKXCustomEditor &ed = *FKXEditor;
    ed.BeginUpdate();
    TKXBackSurf *back = lab->BackSurf();
    back->SetAlignX(float(lab->InternalToUnits(VAlLeft)));
    back->SetAlignY(float(lab->InternalToUnits(VAlTop)));
    back->SetShowAlign(VCkSAl);
    back->SetAlignColor(VAlCol);
    ed.GridSettings().SetColor(VGrCol);
    ed.SetSelColor(VSeCol);
    // The steps as they were, in label units: no round trip through the current units.
    ed.Grid.IncX = VGrX;
    ed.Grid.IncY = VGrY;
    ed.FPaintEle = true;
    ed.GridSettings().SetShow(VCkSGr);
    ed.GridSettings().SetStyle(VGDr);
    ed.RulerSettings().SetAdjustAligns(VCkAdAl);
    ed.RulerSettings().SetShowSize(VCkSS);
    ed.RulerSettings().SetSizeColor(VSSCol);
    ed.Snap = VCkSnap ? TKXSnap::snGrid : TKXSnap::snNone;
    ed.SetShowLines(VRefLines);
    ed.FPaintSel = true; // the reference lines show on the selection layer
    lab->SetModified(VModified);
    ed.EndUpdate();

    ShowValues();
    FIntro = false;
}

void TFPropEditor::ChooseColor(TKXColorSwatch *Swatch, const std::function<void(TColor)> &Apply)
{
    if (!Lab())
        return;
    TKXColor color = Swatch->Color();
    if (!Prompts().ChooseColor(color))
        return;
    Swatch->SetColor(color);
    Apply(color);
}

bool TFPropEditor::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Event->type() == QEvent::FocusIn || Event->type() == QEvent::FocusOut) {
        auto *edit = static_cast<QWidget *>(Watched);
        QPalette pal = edit->palette();
        if (Event->type() == QEvent::FocusIn)
            pal.setColor(QPalette::Base, kx::ToQColor(FocusColor));
        else
            pal.setColor(QPalette::Base, QApplication::palette(edit).color(QPalette::Base));
        edit->setPalette(pal);
    }
    return TKXOptionDialog::eventFilter(Watched, Event);
}

QString TFPropEditor::Text(const char *Section, const char *Key) const
{
    const QString english = DialogText(Key);
    const kx::TKXCustomLab *lab = Lab();
    const QString file = lab ? lab->IniTranslate() : QString();
    if (file.isEmpty() || !QFileInfo(file).isFile())
        return english;
    try {
        const TKXIniFile ini(file.toStdString());
        return QString::fromStdString(ini.ReadString(Section, Key, english.toStdString()));
    } catch (const EKxError &) {
        return english; // an unreadable translation is as good as none
    }
}

void TFPropEditor::FillLanguage()
{
    const auto d = [this](const char *Key) { return Text("dialogs", Key); };
    setWindowTitle(d("KxEditorPro"));
    GpBoxGrid->setTitle(d("KxGrid"));
    LabGridX->setText(d("KxGridX"));
    LabGridY->setText(d("KxGridY"));
    CheckSnap->setText(d("KxSnapGrid"));
    CheckGrid->setText(d("KxShowGrid"));
    GpBoxAligns->setTitle(d("KxAlignOb"));
    LabAlignLeft->setText(d("KxAlignLeft"));
    LabAlignTop->setText(d("KxAlignTop"));
    CheckShowAlign->setText(d("KxShowLines"));
    const QString color = d("KxColor");
    for (QLabel *label : {LabAlignColor, LabCoGrid, LabColorSel, LabColSize})
        label->setText(color);
    ButOK()->setText(d("KxOK"));
    ButCancel()->setText(d("KxCancel"));
    CheckAdjustAlign->setText(d("KxAdjustAlign"));
    GpBoxSizeObjects->setTitle(d("KxSizeObjects"));
    CheckShowSize->setText(d("KxShowSize"));
    GpBoxSelec->setTitle(d("KxSelection"));
    RGDrawGrid->setTitle(d("KxGrid"));
    RBGridPoints->setText(d("KxDrawGridPoints"));
    RBGridLines->setText(d("KxDrawGridLines"));
    CBShowRefLines->setText(Text("translate", "KXTedreflines"));
}

// ---------------------------------------------------------------------------------------

void TKXEditor::ShowProp()
{
    TFPropEditor dialog;
    dialog.Ini(this);
    RunModal(dialog);
}

} // namespace kx::designer
