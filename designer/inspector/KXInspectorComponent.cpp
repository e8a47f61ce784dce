#include "inspector/KXInspectorComponent.h"

#include "core/KXFormat.h"
#include "core/KXIniFile.h"
#include "document/KXBaseLab.h"
#include "elements/KXSymbol.h"
#include "inspector/KXInspectorCaptions.h"
#include "inspector/KXInspectorGlyphs.h"
#include "platform/KXQtCanvas.h"
#include "rulers/KXRulers.h"

#include <QFile>
#include <QFontMetrics>
#include <QPainter>

#include <exception>
#include <filesystem>
#include <string>

namespace kx::designer {

namespace {

// A glyph at the cell's centre less 7 pixels each way.
void DrawGlyph(QPainter &p, const QRect &Cell, const QPixmap &Glyph)
{
    p.drawPixmap(Cell.left() + Cell.width() / 2 - 7, Cell.top() + Cell.height() / 2 - 7, Glyph);
}

// Text whose cell's top-left corner is (X, Y).
void TextAt(QPainter &p, int X, int Y, const QString &Text)
{
    p.drawText(X, Y + p.fontMetrics().ascent(), Text);
}

} // namespace

TKXInspector::TKXInspector(QWidget *Parent) : TKXCustomInspector(Parent)
{
    FPropertyNames = InspectorCaptionKeys();
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::white);
    setPalette(pal);
    LoadTranslation();
}

QColor TKXInspector::Color() const
{
    return palette().color(QPalette::Base);
}

void TKXInspector::SetColor(const QColor &Value)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Value);
    setPalette(pal);
    viewport()->update();
}

// ---------------------------------------------------------------------------------------
// Captions

void TKXInspector::LoadTranslation()
{
    if (IniTranslate().isEmpty() || !QFile::exists(IniTranslate())) {
        FTranslate = false;
        return;
    }
    FTranslate = true;
    // A file that cannot be read gives every row its English caption, as a key that
    // cannot be read does.
    TKXIniFile ini;
    bool loaded = true;
    try {
        ini.Load(std::filesystem::path(IniTranslate().toStdString()));
    } catch (const std::exception &) {
        loaded = false;
    }
    for (TKXInspectorCaption &c : InspectorCaptions()) {
        c.Current = c.English;
        if (!loaded)
            continue;
        try {
            const std::string key = "KXI" + c.Key.toStdString();
            c.Current = QString::fromStdString(ini.ReadString("inspector", key, c.English.toStdString()));
        } catch (const std::exception &) {
            c.Current = c.English;
        }
    }
}

QString TKXInspector::Caption(const QString &PropName) const
{
    const std::vector<TKXInspectorCaption> &rows = InspectorCaptions();
    int s = -1;
    for (int i = 0; i < FPropertyNames.size(); ++i)
        if (FPropertyNames[i].compare(PropName, Qt::CaseInsensitive) == 0) {
            s = i;
            break;
        }
    if (s < 1 || s >= int(rows.size()))
        return rows[0].InLanguage(Language());
    if (FTranslate)
        return rows[size_t(s)].Current;
    return rows[size_t(s)].InLanguage(Language());
}

// ---------------------------------------------------------------------------------------
// Painting

void TKXInspector::paintEvent(QPaintEvent *)
{
    QPainter p(viewport());
    const QRect client = viewport()->rect();
    p.fillRect(client, Color());
    p.setFont(font());
    const int h = p.fontMetrics().height();
    QRect nameCell = GetVisibleItemRect(0, false);
    QRect valueCell = GetVisibleItemRect(0, true);
    const int q = nameCell.height() / 2 - h / 2 - 2;
    if (Props().empty())
        return;
    const int n = std::min(VisibleRows() + 1, PropCount() - TopProp());
    const int step = GetItemHeight();
    for (int i = TopProp(); i < TopProp() + n; ++i) {
        PaintRow(p, Props()[size_t(i)], nameCell, valueCell, q);
        nameCell.translate(0, step);
        valueCell.translate(0, step);
    }
}

void TKXInspector::PaintRow(QPainter &p, const TKxProp &Row, const QRect &NameCell, const QRect &ValueCell, int q)
{
    // The caption, shrunk by 2 pixels on each side, placed by NamesAlign.
    const QRect r = NameCell.adjusted(2, 2, -2, -2);
    const QString caption = Caption(Row.Name);
    const int w = p.fontMetrics().horizontalAdvance(caption);
    int x = r.left();
    if (NamesAlign() == TAlignment::taRightJustify)
        x = r.left() + r.width() - w;
    else if (NamesAlign() == TAlignment::taCenter)
        x = r.left() + (r.width() - w) / 2;
    p.setPen(NamesColor());
    TextAt(p, x, r.top() + q, caption);

    p.fillRect(ValueCell, Color());
    p.setPen(ValuesColor());
    p.save();
    p.setClipRect(ValueCell);
    PaintValue(p, Row, ValueCell, q);
    p.restore();

    // The row's bottom edge and the split, in the raised look of the grid.
    const int width = viewport()->width();
    const int bottom = NameCell.top() + NameCell.height();
    p.fillRect(0, bottom - 1, width, 1, palette().color(QPalette::Mid));
    p.fillRect(0, bottom - 2, width, 1, palette().color(QPalette::Button));
    p.fillRect(SplitPos() - 1, NameCell.top() - 1, 1, NameCell.height() + 1, palette().color(QPalette::Mid));
    p.fillRect(SplitPos(), NameCell.top() - 1, 1, NameCell.height() + 1, palette().color(QPalette::Light));
}

QString TKXInspector::ValueText(const TKxProp &Row) const
{
    using E = TKXElementProp;
    switch (Row.Kind) {
    case E::epInteger:
    case E::epNumber:
        return QString::number(Row.Valor.toLongLong());
    case E::epFloat: {
        const TKXCustomLab *lab = Label();
        const TKXUnits units = lab ? lab->Units() : TKXUnits::unMM;
        const char *pattern = units == TKXUnits::unINCH ? "##,###,##0.00 inch"
                              : units == TKXUnits::unCM ? "##,###,##0.00 cm"
                                                        : "##,###,##0.00 mm";
        return QString::fromStdString(FormatFloat(pattern, Row.Valor.toDouble()));
    }
    case E::epRatio:
    case E::epFactor:
        return QString::fromStdString(FormatFloat("##,###,##0.00", Row.Valor.toDouble()));
    case E::epEnum: {
        const int i = Row.Valor.toInt();
        const QStringList &names = Row.TypeInfo->EnumNames;
        return i >= 0 && i < names.size() ? names[i] : QString::number(i);
    }
    case E::epAngle:
        return QString::number(Row.Valor.toInt());
    default:
        return Row.Valor.toString();
    }
}

void TKXInspector::PaintValue(QPainter &p, const TKxProp &Row, const QRect &Cell, int q)
{
    using E = TKXElementProp;
    const QRect shrunk = Cell.adjusted(2, 2, -2, -2);
    switch (Row.Kind) {
    case E::epBoolean:
        DrawGlyph(p, Cell,
                  CheckGlyph(!Row.Enabled ? TKXCheckGlyph::cgDisabled
                                          : Row.Valor.toBool() ? TKXCheckGlyph::cgOn : TKXCheckGlyph::cgOff));
        break;
    case E::epString:
        TextAt(p, shrunk.left(), shrunk.top() + q, Row.Valor.toString());
        break;
    case E::epText:
    case E::epParaText: {
        // In the element's own font, so the text reads as it prints.
        const QFont keep = p.font();
        QFont f = keep;
        f.setFamily(FontName());
        p.setFont(f);
        TextAt(p, shrunk.left(), shrunk.top() + q, Row.Valor.toString());
        p.setFont(keep);
        break;
    }
    case E::epInteger:
    case E::epNumber:
        TextAt(p, Cell.left() + 2, Cell.top() + q, ValueText(Row));
        break;
    case E::epChar:
        PaintSymbolValue(p, Cell, q);
        break;
    case E::epAlignText:
        if (auto a = EnumFromOrdinal<TTextAlign>(Row.Valor.toInt()))
            DrawGlyph(p, Cell, TextAlignGlyph(*a));
        break;
    case E::epAlignPara:
        if (auto a = EnumFromOrdinal<TKXTextFormat>(Row.Valor.toInt()))
            DrawGlyph(p, Cell, TextFormatGlyph(*a));
        break;
    case E::epAlignEle:
        if (auto a = EnumFromOrdinal<TKXEleAlign>(Row.Valor.toInt()))
            DrawGlyph(p, Cell, EleAlignGlyph(*a));
        break;
    case E::epTable:
    case E::epDataPoly:
        DrawGlyph(p, Cell, TableGlyph());
        break;
    case E::epColor:
        p.fillRect(Cell, Color());
        p.fillRect(Cell.adjusted(4, 4, -4, -4), ToQColor(TColor(Row.Valor.toUInt())));
        break;
    default: // epFloat, epEnum, epRatio, epFactor and the kinds shown as plain text
        TextAt(p, shrunk.left() + 2, shrunk.top() + q, ValueText(Row));
        break;
    }
}

void TKXInspector::PaintSymbolValue(QPainter &p, const QRect &Cell, int q)
{
    const auto *symbol = dynamic_cast<const TKXSymbol *>(Select());
    if (!symbol)
        return;
    if (symbol->Number() != 0) {
        // The element's own pictogram, drawn by its routine into the 13 x 13 square: 1300
        // logical units on 13 pixels.
        const int x = Cell.left() + Cell.width() / 2 - 7, y = Cell.top() + Cell.height() / 2 - 7;
        constexpr int side = 100 * InspectorGlyphSize;
        p.save();
        TKXQtCanvas canvas(p, TKXMapping::FromExtents(side, side, InspectorGlyphSize, InspectorGlyphSize),
                           QTransform::fromTranslate(x, y));
        canvas.SetAntialiasing(true);
        const QColor ground = Color();
        const TColor back = TColor(ground.red()) | TColor(ground.green()) << 8 | TColor(ground.blue()) << 16;
        symbol->DrawSymbolNumber(canvas, 0, 0, side, symbol->Number(), symbol->Color(), back, symbol->FillColor(),
                                 false, false);
        p.restore();
        return;
    }
    const QFont keep = p.font();
    QFont f(symbol->FontName());
    f.setPointSize(11);
    f.setBold(symbol->Bold());
    p.setFont(f);
    TextAt(p, Cell.left() + Cell.width() / 2 - 4, Cell.top() + q, QString(QChar(symbol->Character())));
    p.setFont(keep);
}

} // namespace kx::designer
