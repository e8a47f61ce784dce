#include "dialogs/KXEdText.h"

#include "component/KXLab.h"
#include "controls/KXWideEdit.h"
#include "dialogs/KXCharGrid.h"
#include "dialogs/KXDialogEdit.h"
#include "document/KXDesignerServices.h"
#include "document/KXElement.h"
#include "document/KXProperties.h"
#include "inspector/KXInspector.h"

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QPainter>
#include <QPushButton>
#include <QRawFont>
#include <QScrollBar>

namespace kx::designer {

namespace {

constexpr int ClientWidth = 432;
constexpr int ClientHeight = 274;
constexpr int BottomHeight = 37;
constexpr TColor PreviewPen = 0x808080;
constexpr TColor PreviewBrush = 0xC0DCC0;
const QString DefaultFont = QStringLiteral("Arial");

bool IsControl(int32_t Code) { return Code < 32 || (Code >= 127 && Code <= 159); }

} // namespace

std::function<int(TKxEdText &)> TKxEdText::OnShowModal = [](TKxEdText &Dialog) { return Dialog.exec(); };

TKxEdText::TKxEdText(QWidget *Parent) : QDialog(Parent)
{
    setWindowTitle(QStringLiteral("Editing text"));
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(ClientWidth, ClientHeight);
    QFont form(QStringLiteral("MS Sans Serif"));
    form.setPixelSize(11);
    setFont(form);

    PanData = new QFrame(this);
    PanData->setObjectName(QStringLiteral("PanData"));
    PanData->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PanData->setLineWidth(2);
    PanData->setGeometry(0, 0, ClientWidth, ClientHeight - BottomHeight);

    EdText = new TKXWideEdit(PanData);
    EdText->setGeometry(7, 16, 350, 24);
    QFont editFont(QStringLiteral("MS Sans Serif"));
    editFont.setPixelSize(13);
    EdText->setFont(editFont);
    QPalette editPalette = EdText->palette();
    editPalette.setColor(QPalette::Base, editPalette.color(QPalette::Window));
    EdText->setPalette(editPalette);

    auto *preview = new TKXGridBox(QSize(44, 44), PanData);
    preview->move(363, 8);
    preview->Image = [this]() { return &FBackBuffSym; };
    PBSym = preview;

    auto *map = new TKXGridBox(QSize(400, 175), PanData);
    map->move(7, 56);
    map->Image = [this]() { return &FBackBuffer; };
    map->OnMove = [this](QPoint P) { Hover(P); };
    map->OnClick = [this](QPoint P) { Click(P); };
    PaintBoxSym = map;

    SBar = new QScrollBar(Qt::Vertical, PanData);
    SBar->setRange(0, LastPage);
    SBar->setPageStep(1);
    SBar->setSingleStep(1);
    SBar->setGeometry(ClientWidth - 2 - 16, 2, 16, PanData->height() - 4);

    PanBottom = new QFrame(this);
    PanBottom->setGeometry(0, ClientHeight - BottomHeight, ClientWidth, BottomHeight);
    ButOK = new QPushButton(QStringLiteral("OK"), PanBottom);
    ButOK->setObjectName(QStringLiteral("ButOK"));
    ButOK->setGeometry(6, 6, 75, 25);
    ButOK->setDefault(true);
    ButCancel = new QPushButton(QStringLiteral("Cancel"), PanBottom);
    ButCancel->setObjectName(QStringLiteral("ButCancel"));
    ButCancel->setGeometry(85, 6, 75, 25);

    FCharWidth = PaintBoxSym->width() / Columns;
    FCharHeight = PaintBoxSym->height() / Rows;
    FBackBuffer = QImage(PaintBoxSym->size(), QImage::Format_RGB32);
    FBackBuffer.fill(Qt::white);
    FBackBuffSym = QImage(PBSym->size(), QImage::Format_RGB32);
    FBackBuffSym.fill(Qt::white);

    connect(ButOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(SBar, &QScrollBar::valueChanged, this, [this](int) {
        FOldPosX = FOldPosY = -1;
        if (FKind != 0)
            DrawChars();
    });
    EdText->OnChange = [this]() { TextChanged(); };
}

TKxEdText::~TKxEdText()
{
    // The edit settles an unfinished dialog by its own end (restored); no late signal may
    // reach it after it has gone.
    disconnect(this, &QDialog::finished, nullptr, nullptr);
    EdText->OnChange = nullptr;
}

void TKxEdText::IniEditor(const QString &PropVal, const QString &FontName, TKXLab *Lab)
{
    FKind = 1;
    Prepare(PropVal, FontName, Lab);
}

void TKxEdText::IniInspector(const QString &PropName, TKXCustomInspector &Inspector)
{
    FKind = 2;
    FPropName = PropName;
    FInspector = &Inspector;
    FElements.clear();
    TKXCustomLab *lab = Inspector.Label();
    if (TKXCustomEditor *editor = Inspector.Editor())
        for (int32_t i = 1; i <= editor->GetSelectedCount(); ++i)
            if (TKXElement *e = editor->GetSelected(i))
                FElements.push_back(e);
    QString text, font = DefaultFont;
    if (!FElements.empty()) {
        text = GetPublishedProp(*FElements.front(), PropName).toString();
        const QVariant f = GetPublishedProp(*FElements.front(), QStringLiteral("FontName"));
        if (f.isValid() && !f.toString().isEmpty())
            font = f.toString();
    }
    if (lab && !FElements.empty()) {
        FEdit = std::make_unique<TKXElementEdit>(*lab, FElements);
        ConnectElementEdit(*this, *FEdit);
    }
    Prepare(text, font, lab);
}

void TKxEdText::IniElement(TKXLab &Lab, TKXElement &Element, const QString &PropName)
{
    FKind = 2;
    FPropName = PropName;
    FElements = {&Element};
    const QVariant f = GetPublishedProp(Element, QStringLiteral("FontName"));
    const QString font = f.isValid() && !f.toString().isEmpty() ? f.toString() : DefaultFont;
    FEdit = std::make_unique<TKXElementEdit>(Lab, FElements);
    ConnectElementEdit(*this, *FEdit);
    Prepare(GetPublishedProp(Element, PropName).toString(), font, &Lab);
}

void TKxEdText::Prepare(const QString &Text, const QString &FontName, TKXCustomLab *Lab)
{
    FIntro = true;
    FFontName = FontName;
    QFont editFont = EdText->font();
    editFont.setFamily(FontName);
    EdText->setFont(editFont);
    EdText->SetText(Text);

    // Which codes of the map the font itself has; the others show as empty cells.
    QFont mapFont(FontName);
    mapFont.setPixelSize(16);
    const QRawFont raw = QRawFont::fromFont(mapFont);
    FHasGlyph.assign(size_t((LastPage + 1) * PageChars), false);
    for (int32_t code = 0; code < int32_t(FHasGlyph.size()); ++code)
        FHasGlyph[size_t(code)] = raw.isValid() && raw.supportsCharacter(uint32_t(code));

    FillLanguage(Lab);
    FOldPosX = FOldPosY = -1;
    FPreviewCode = -1;
    FBackBuffSym.fill(Qt::white);
    DrawChars();
    FIntro = false;
}

QString TKxEdText::ResultText() const { return EdText->Text(); }

bool TKxEdText::Execute(TKXLab &Lab, TKXElement &Element)
{
    if (!GetPublishedProp(Element, QStringLiteral("Text")).isValid())
        return false;
    TKxEdText dialog(QApplication::activeWindow());
    dialog.IniElement(Lab, Element, QStringLiteral("Text"));
    return OnShowModal(dialog) == QDialog::Accepted;
}

void RegisterTextDialog() { TKXLab::SetElementDialog(TKXEle::deText, &TKxEdText::Execute); }

int32_t TKxEdText::CellCode(int32_t Page, int32_t Row, int32_t Column)
{
    if (Page < 0 || Page > LastPage || Row < 0 || Row >= Rows || Column < 0 || Column >= Columns)
        return -1;
    const int32_t code = Page * PageChars + Row * Columns + Column;
    return IsControl(code) ? -1 : code;
}

int32_t TKxEdText::ShownCode(int32_t Page, int32_t Row, int32_t Column) const
{
    const int32_t code = CellCode(Page, Row, Column);
    if (code < 0 || size_t(code) >= FHasGlyph.size() || !FHasGlyph[size_t(code)])
        return -1;
    return code;
}

void TKxEdText::FillLanguage(TKXCustomLab *Lab)
{
    auto *lab = dynamic_cast<TKXLab *>(Lab);
    auto text = [lab](const char *Key, const char *English) {
        return lab ? lab->DialogText(Key, QString::fromLatin1(English)) : QString::fromLatin1(English);
    };
    setWindowTitle(text("KxEdText", "Editing text"));
    ButOK->setText(text("KxOK", "OK"));
    ButCancel->setText(text("KxCancel", "Cancel"));
}

void TKxEdText::DrawChars()
{
    const int32_t page = SBar->value();
    FBackBuffer.fill(Qt::white);
    QPainter p(&FBackBuffer);
    QFont font(FFontName);
    font.setPixelSize(16);
    DrawCharCells(p, font, Rows, Columns, FCharWidth, FCharHeight,
                  [this, page](int32_t r, int32_t c) { return ShownCode(page, r, c); });
    DrawCellGrid(p, FBackBuffer.size(), Rows, Columns, FCharWidth, FCharHeight);
    p.end();
    PaintBoxSym->update();
}

void TKxEdText::Hover(QPoint P)
{
    if (FKind == 0 || FDrawing)
        return;
    const int32_t column = GridCellOf(P.x(), FCharWidth), row = GridCellOf(P.y(), FCharHeight);
    if (column + 1 == FOldPosX && row + 1 == FOldPosY)
        return;
    FDrawing = true;
    FOldPosX = column + 1;
    FOldPosY = row + 1;
    if (column >= 0 && row >= 0 && column < Columns && row < Rows) {
        ++FPreviewDrawings;
        FPreviewCode = ShownCode(SBar->value(), row, column);
        QPainter p(&FBackBuffSym);
        p.setPen(QPen(GridColor(PreviewPen), 2));
        p.setBrush(GridColor(PreviewBrush));
        p.drawRect(QRect(QPoint(0, 0), FBackBuffSym.size()).adjusted(1, 1, -1, -1));
        if (FPreviewCode >= 0) {
            QFont font(FFontName);
            font.setPixelSize(38);
            p.setFont(font);
            p.setPen(Qt::black);
            p.drawText(QRect(QPoint(0, 0), FBackBuffSym.size()), Qt::AlignCenter,
                       QString(QChar(char16_t(FPreviewCode))));
        }
        p.end();
        PBSym->update();
    }
    FDrawing = false;
}

void TKxEdText::Click(QPoint P)
{
    if (FKind == 0)
        return;
    const int32_t code =
        ShownCode(SBar->value(), GridCellOf(P.y(), FCharHeight), GridCellOf(P.x(), FCharWidth));
    if (code < 0)
        return; // outside the map, or an empty cell
    // The character goes in at the caret, in front of a selection, which stays.
    const QString text = EdText->Text();
    const int start = EdText->hasSelectedText() ? EdText->selectionStart() : EdText->cursorPosition();
    EdText->setText(text.left(start) + QChar(char16_t(code)) + text.mid(start));
    EdText->setCursorPosition(start + 1);
}

void TKxEdText::TextChanged()
{
    if (FIntro || FKind != 2)
        return;
    const QString text = EdText->Text();
    for (TKXElement *e : FElements)
        SetPublishedProp(*e, FPropName, text);
    if (FInspector)
        FInspector->RefreshProperty(FPropName);
}

} // namespace kx::designer
