#include "dialogs/KXPropSym.h"

#include "component/KXLab.h"
#include "dialogs/KXCharGrid.h"
#include "dialogs/KXDialogEdit.h"
#include "document/KXDesignerServices.h"
#include "elements/KXSymbol.h"
#include "platform/KXQtCanvas.h"

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace kx::designer {

namespace {

constexpr TColor GridLineColor = 0xC0C0C0; // silver
constexpr TColor PictogramFill = 0x3A3A3A;
constexpr TColor DefaultMarkColor = 0xFF8E33; // the design editor's default

QColor ToColor(TColor C) { return GridColor(C); }
int32_t CellOf(int32_t Coordinate, int32_t Size) { return GridCellOf(Coordinate, Size); }
using TGridBox = TKXGridBox;

} // namespace

std::function<int(TPropSym &)> TPropSym::OnShowModal = [](TPropSym &Dialog) { return Dialog.exec(); };

TPropSym::TPropSym(QWidget *Parent) : QDialog(Parent)
{
    setWindowTitle(QStringLiteral("Symbol Properties"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    TabPagesSym = new QTabWidget(this);
    QFont bold = TabPagesSym->tabBar()->font();
    bold.setBold(true);
    TabPagesSym->tabBar()->setFont(bold);

    auto *charPage = new QWidget;
    PaintBoxSym = new TGridBox(QSize(400, 367), charPage);
    auto *charLayout = new QHBoxLayout(charPage);
    charLayout->setContentsMargins(0, 0, 0, 0);
    charLayout->addWidget(PaintBoxSym);
    TabPagesSym->addTab(charPage, QStringLiteral("Character"));

    auto *numPage = new QWidget;
    PaintBoxNum = new TGridBox(QSize(380, 367), numPage);
    SBar = new QScrollBar(Qt::Vertical, numPage);
    SBar->setFixedWidth(16);
    auto *numLayout = new QHBoxLayout(numPage);
    numLayout->setContentsMargins(0, 0, 0, 0);
    numLayout->setSpacing(4);
    numLayout->addWidget(PaintBoxNum);
    numLayout->addStretch();
    numLayout->addWidget(SBar);
    TabPagesSym->addTab(numPage, QStringLiteral("Predefined"));

    ButOK = new QPushButton(QStringLiteral("OK"), this);
    ButCancel = new QPushButton(QStringLiteral("Cancel"), this);
    ButOK->setDefault(true);
    for (QPushButton *b : {ButOK, ButCancel})
        b->setFixedSize(75, 25);
    LabPage = new QLabel(QStringLiteral("PAGE :"), this);
    SEPage = new QSpinBox(this);
    SEPage->setRange(0, LastPage);
    SEPage->setFixedWidth(70);

    auto *bottom = new QHBoxLayout;
    bottom->setContentsMargins(6, 6, 6, 6);
    bottom->addWidget(ButOK);
    bottom->addWidget(ButCancel);
    bottom->addStretch();
    bottom->addWidget(LabPage);
    bottom->addWidget(SEPage);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(TabPagesSym);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    FCharWidth = PaintBoxSym->width() / Columns;
    FCharHeight = PaintBoxSym->height() / Rows;
    LayoutNumbers();
    FBackBuffer = QImage(PaintBoxSym->size(), QImage::Format_RGB32);
    FBackBuffer.fill(Qt::white);

    auto *chars = static_cast<TGridBox *>(PaintBoxSym);
    chars->Image = [this]() { return &FBackBuffer; };
    chars->OnMove = [this](QPoint P) { HoverChars(P); };
    chars->OnClick = [this](QPoint P) { ClickChars(P); };
    auto *numbers = static_cast<TGridBox *>(PaintBoxNum);
    numbers->Image = [this]() { return FDrawing ? nullptr : &FBackBuffer; };
    numbers->OnMove = [this](QPoint P) { HoverNumbers(P); };
    numbers->OnClick = [this](QPoint P) { ClickNumbers(P); };

    connect(ButOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(SEPage, &QSpinBox::valueChanged, this, [this](int) {
        if (FIntro || !FSymbol)
            return;
        ShowPageLabel();
        DrawChars();
    });
    connect(TabPagesSym, &QTabWidget::currentChanged, this, [this](int Index) { TabChanged(Index); });
    connect(SBar, &QScrollBar::valueChanged, this, [this](int) {
        if (FSymbol && TabPagesSym->currentIndex() == 1)
            DrawNumbers();
    });
}

TPropSym::~TPropSym()
{
    // The edit goes before the dialog: a dialog still open is settled by the edit's own
    // end (restored), never by a late signal to an edit already gone.
    disconnect(this, &QDialog::finished, nullptr, nullptr);
}

void TPropSym::LayoutNumbers()
{
    FColsSym = PaintBoxNum->width() / CellPitch;
    FRowsSym = PaintBoxNum->height() / CellPitch;
    FSymPage = FColsSym * FRowsSym;
    if (FSymPage <= 0) {
        // No cell fits: nothing to scroll through, and no screen to divide by.
        SBar->setRange(0, 0);
        SBar->hide();
        return;
    }
    const int32_t screens = (Pictograms + FSymPage - 1) / FSymPage;
    SBar->setRange(0, screens - 1);
    SBar->setPageStep(1);
    SBar->setSingleStep(1);
    SBar->show();
}

QRect TPropSym::PictogramCell(int32_t Row, int32_t Column)
{
    return QRect(CellPitch * Column + (CellPitch - CellSide), CellPitch * Row + (CellPitch - CellSide), CellSide,
                 CellSide);
}

int32_t TPropSym::CellCode(int32_t Page, int32_t Row, int32_t Column)
{
    if (Page < 0 || Row < 0 || Row >= Rows || Column < 0 || Column >= Columns)
        return -1;
    const int64_t code = int64_t(Page) * PageChars + Row * Columns + Column;
    if (code > 0xFFFF || (code >= 0xD800 && code <= 0xDFFF))
        return -1;
    return int32_t(code);
}

void TPropSym::Ini(TKXLab &Lab, TKXSymbol &Sym)
{
    FLab = &Lab;
    FSymbol = &Sym;
    FEdit = std::make_unique<TKXElementEdit>(Lab, std::vector<TKXElement *>{&Sym});
    ConnectElementEdit(*this, *FEdit);
    FIntro = true;
    FillLanguage();
    SEPage->setValue(int(std::min<uint32_t>(Sym.StartChar(), uint32_t(LastPage))));
    ShowPageLabel();
    FOldPosX = FOldPosY = -1;
    if (Sym.Number() != 0) {
        LabPage->hide();
        SEPage->hide();
        TabPagesSym->setCurrentIndex(1);
        if (FSymPage > 0) {
            int32_t screen = Sym.Number() / FSymPage;
            if (Sym.Number() % FSymPage == 0)
                --screen;
            SBar->setValue(std::clamp(screen, SBar->minimum(), SBar->maximum()));
        }
        DrawNumbers();
    } else {
        LabPage->show();
        SEPage->show();
        TabPagesSym->setCurrentIndex(0);
        DrawChars();
    }
    FIntro = false;
}

bool TPropSym::Execute(TKXLab &Lab, TKXElement &Element)
{
    auto *symbol = dynamic_cast<TKXSymbol *>(&Element);
    if (!symbol)
        return false;
    TPropSym dialog(QApplication::activeWindow());
    dialog.Ini(Lab, *symbol);
    return OnShowModal(dialog) == QDialog::Accepted;
}

void RegisterSymbolDialog() { TKXLab::SetElementDialog(TKXEle::deSymbol, &TPropSym::Execute); }

void TPropSym::FillLanguage()
{
    setWindowTitle(FLab->DialogText("KxSymbolPro", QStringLiteral("Symbol Properties")));
    TabPagesSym->setTabText(0, FLab->DialogText("KxCarac", QStringLiteral("Character")));
    TabPagesSym->setTabText(1, FLab->DialogText("KxPredefined", QStringLiteral("Predefined")));
    ButOK->setText(FLab->DialogText("KxOK", QStringLiteral("OK")));
    ButCancel->setText(FLab->DialogText("KxCancel", QStringLiteral("Cancel")));
}

void TPropSym::ShowPageLabel()
{
    const int32_t first = SEPage->value() * PageChars;
    LabPage->setText(QStringLiteral("[%1-%2]   PAGE: ").arg(first).arg(first + PageChars));
}

QColor TPropSym::MarkColor() const
{
    const TKXCustomEditor *editor = FLab ? FLab->Editor() : nullptr;
    return ToColor(editor ? editor->MarkColor : DefaultMarkColor);
}

void TPropSym::DrawChars()
{
    const int32_t page = SEPage->value();
    FGrid = QImage(PaintBoxSym->size(), QImage::Format_RGB32);
    FGrid.fill(Qt::white);
    QPainter p(&FGrid);
    QFont font(FSymbol->FontName());
    font.setPixelSize(16);

    // The symbol's character, when it shows one and it lies on this page.
    FRow = FColumn = -1;
    if (FSymbol->Number() == 0 && int32_t(FSymbol->Character()) / PageChars == page) {
        const int32_t index = int32_t(FSymbol->Character()) % PageChars;
        FRow = index / Columns;
        FColumn = index % Columns;
        p.fillRect(FColumn * FCharWidth, FRow * FCharHeight, FCharWidth, FCharHeight, MarkColor());
    }

    DrawCharCells(p, font, Rows, Columns, FCharWidth, FCharHeight,
                  [page](int32_t r, int32_t c) { return CellCode(page, r, c); });
    DrawCellGrid(p, FGrid.size(), Rows, Columns, FCharWidth, FCharHeight);
    p.end();
    ShowBuffer();
}

void TPropSym::DrawNumbers()
{
    FGrid = QImage(PaintBoxNum->size(), QImage::Format_RGB32);
    FGrid.fill(Qt::white);
    QPainter p(&FGrid);
    const int32_t first = SBar->value() * FSymPage + 1;
    // The pictograms through the element's own routine, in pixels.
    p.save();
    {
        TKXQtCanvas canvas(p, TKXMapping{});
        int32_t n = first;
        for (int32_t r = 0; r < FRowsSym; ++r)
            for (int32_t c = 0; c < FColsSym && n <= Pictograms; ++c, ++n) {
                const QRect cell = PictogramCell(r, c);
                FSymbol->DrawSymbolNumber(canvas, cell.x(), cell.y(), CellSide, n, clBlack, clWhite, PictogramFill,
                                          false, false);
            }
    }
    p.restore();
    // Their frames: the symbol's pictogram in the mark colour.
    p.setBrush(Qt::NoBrush);
    int32_t n = first;
    for (int32_t r = 0; r < FRowsSym; ++r)
        for (int32_t c = 0; c < FColsSym && n <= Pictograms; ++c, ++n) {
            const QRect frame = PictogramCell(r, c).adjusted(-2, -2, 2, 2);
            if (n == FSymbol->Number())
                p.setPen(QPen(MarkColor(), 2));
            else
                p.setPen(QPen(ToColor(GridLineColor), 1));
            p.drawRect(frame);
        }
    p.setPen(ToColor(0x808080)); // the frame
    p.drawRect(0, 0, FGrid.width() - 1, FGrid.height() - 1);
    p.end();
    ShowBuffer();
}

void TPropSym::ShowBuffer()
{
    FBackBuffer = FGrid;
    (TabPagesSym->currentIndex() == 1 ? PaintBoxNum : PaintBoxSym)->update();
}

void TPropSym::HoverChars(QPoint P)
{
    if (!FSymbol || FGrid.isNull() || FDrawing || TabPagesSym->currentIndex() != 0)
        return;
    const int32_t column = CellOf(P.x(), FCharWidth), row = CellOf(P.y(), FCharHeight);
    if (column + 1 == FOldPosX && row + 1 == FOldPosY)
        return;
    FDrawing = true;
    FOldPosX = column + 1;
    FOldPosY = row + 1;
    FBackBuffer = FGrid;
    const int32_t code = CellCode(SEPage->value(), row, column);
    if (code >= 0) {
        // A magnifier of three cells by three, kept inside the box.
        QRect r((column - 1) * FCharWidth, (row - 1) * FCharHeight, 3 * FCharWidth, 3 * FCharHeight);
        const int32_t w = FBackBuffer.width(), h = FBackBuffer.height();
        if (r.left() < 1)
            r.moveLeft(1);
        if (r.top() < 1)
            r.moveTop(1);
        if (r.left() + r.width() > w - 1)
            r.moveLeft(w - 1 - r.width());
        if (r.top() + r.height() > h - 1)
            r.moveTop(h - 1 - r.height());
        QPainter p(&FBackBuffer);
        p.setPen(QPen(Qt::red, 2));
        p.setBrush(Qt::white);
        p.drawRect(r);
        QFont font(FSymbol->FontName());
        font.setPixelSize(48);
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(r, Qt::AlignCenter, QString(QChar(char16_t(code))));
    }
    PaintBoxSym->update();
    FDrawing = false;
}

void TPropSym::HoverNumbers(QPoint P)
{
    if (!FSymbol || FGrid.isNull() || FDrawing || TabPagesSym->currentIndex() != 1)
        return;
    const int32_t column = CellOf(P.x(), CellPitch), row = CellOf(P.y(), CellPitch);
    if (column + 1 == FOldPosX && row + 1 == FOldPosY)
        return;
    FDrawing = true;
    FOldPosX = column + 1;
    FOldPosY = row + 1;
    FBackBuffer = FGrid;
    if (column >= 0 && row >= 0 && column < FColsSym && row < FRowsSym &&
        (SBar->value() * FRowsSym + row) * FColsSym + column + 1 <= Pictograms) {
        QPainter p(&FBackBuffer);
        p.setPen(QPen(Qt::red, 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(PictogramCell(row, column).adjusted(-2, -2, 2, 2));
    }
    FDrawing = false;
    PaintBoxNum->update();
}

void TPropSym::ClickChars(QPoint P)
{
    if (!FSymbol)
        return;
    const int32_t code = CellCode(SEPage->value(), CellOf(P.y(), FCharHeight), CellOf(P.x(), FCharWidth));
    if (code < 0)
        return; // outside the grid, or an empty cell
    FSymbol->SetCharacter(char16_t(code));
    DrawChars();
}

void TPropSym::ClickNumbers(QPoint P)
{
    if (!FSymbol)
        return;
    const int32_t column = CellOf(P.x(), CellPitch), row = CellOf(P.y(), CellPitch);
    if (column < 0 || row < 0 || column >= FColsSym || row >= FRowsSym)
        return;
    const int32_t n = (SBar->value() * FRowsSym + row) * FColsSym + column + 1;
    if (n > Pictograms)
        return;
    FSymbol->SetNumber(n);
    DrawNumbers();
}

void TPropSym::TabChanged(int Index)
{
    if (FIntro || !FSymbol)
        return;
    FOldPosX = FOldPosY = -1;
    if (Index == 1) {
        LabPage->hide();
        SEPage->hide();
        DrawNumbers();
    } else {
        LabPage->show();
        SEPage->show();
        DrawChars();
    }
}

} // namespace kx::designer
