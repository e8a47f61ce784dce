#include "inspector/KXInspectorCaptions.h"

namespace kx::designer {

namespace {

struct TCaptionText {
    const char *Key, *English, *Spanish, *Dutch; // UTF-8
};

// Key, English, Spanish, Dutch; the first row names a property that has no row of its own.
// "Bold" has two rows with the same texts; lookups find the first.
const TCaptionText CaptionTexts[InspectorCaptionCount] = {
    {"NotFound", "Not Found", "Not Found", "Not Found"}, // 0
    {"ID", "ID", "ID", "ID"},
    {"Color", "Color", "Color", "Kleur"},
    {"BackColor", "Back Color", "Color Fondo", "Achtergrond kleur"},
    {"GridColor", "Grid Color", "Color Rejilla", "Rooster kleur"},
    {"RowColor", "Row Color", "Color Fila", "Row kleur"},
    {"Transparent", "Transparent", "Transparente", "Transparant"},
    {"Print", "Print", "Imprimir", "Afdrukken"},
    {"X1", "X1 =", "X1 =", "X1 ="},
    {"Y1", "Y1 =", "Y1 =", "Y1 ="},
    {"X2", "X2 =", "X2 =", "X2 ="}, // 10
    {"Y2", "Y2 =", "Y2 =", "Y2 ="},
    {"Text", "Text", "Texto", "Tekst"},
    {"DisplayFormat", "DisplayFormat", "Formato", "DisplayFormat"},
    {"Ellipse", "Ellipse", "Elipse", "Ellipse"},
    {"Radio", "Radio", "Radio", "Radio"},
    {"Name", "Name", "Nombre", "Naam"},
    {"Angle", "Angle", "Angulo", "Hoek"},
    {"FontName", "Font", "Fuente", "Lettertype"},
    {"Database", "Database", "Base Datos", "Patternbase"},
    {"FieldName", "FieldName", "Campo", "Veld"}, // 20
    {"TextD", "Caracter distance", "Separación letras", "Afstand karakter"},
    {"Italic", "Italic", "Cursiva", "Cursief"},
    {"Bold", "Bold", "Negrita", "Vet"},
    {"Underline", "Underline", "Subrayado", "Onderlijnen"},
    {"Before", "Before", "Prefijo", "Voor"},
    {"After", "After", "Sufijo", "Na"},
    {"Height", "Height", "Altura", "Hoogte"},
    {"Width", "Width", "Ancho", "Breedte"},
    {"Circle", "Circle", "Circulo", "Cirkel"},
    {"Radius", "Radius", "Radio", "Radius"}, // 30
    {"Style", "Style", "Estilo", "Stijl"},
    {"PenWidth", "Pen Width", "Grosor línea", "Pen breedte"},
    {"BarCode", "BarCode", "Código", "BarCode"},
    {"ShowNumber", "Show Number", "Ver Número", "Toon nummer"},
    {"LeftMargin", "L. Margin", "M. Izquierdo", "L. Marge"},
    {"TopMargin", "T. Margin", "M. Superior", "B. Marge"},
    {"BarWidth", "Bar Width", "Ancho barras", "Bar breedte"},
    {"Distance", "Distance", "Distanca", "Distance"},
    {"BHeight", "Bar Height", "Altura barras", "Bar Height"},
    {"CodeType", "BarCode Type", "Tipo Código", "BarCode Type"}, // 40
    {"Factor", "Factor", "Factor", "Factor"},
    {"Properties", "Properties", "Propiedades", "Eigenschappen"},
    {"FontHeight", "Font height", "Altura fuente", "Letter hoogte"},
    {"Aspect", "Aspect", "Aspect", "Aspect"},
    {"Autosize", "Autosize", "Autosize", "Autosize"},
    {"FileImage", "Image", "Imagen", "Image"},
    {"Symbol", "Symbol", "Símbolo", "Symbool"},
    {"Bold", "Bold", "Negrita", "Vet"},
    {"Alignment", "Alignment", "Alineación", "Alignment"},
    {"TextAlign", "TextAlign", "Alineación", "TextAlign"}, // 50
    {"Kind", "Kind", "Tipo", "Soort"},
    {"ShowBorder", "Show Border", "Ver Borde", "Toon Rand"},
    {"BorderColor", "Border Color", "Color Borde", "Rand kleur"},
    {"Shadow", "Shadow", "Sombreado", "Shadow"},
    {"ShadowColor", "Shadow Color", "Color Sombreado", "Shadow kleur"},
    {"GapX", "Gap.x =", "SombraX =", "Gap.x ="},
    {"GapY", "Gap.y =", "SombraY =", "Gap.y ="},
    {"GrayScale", "Gray Scale", "Escala Grises", "Gray Scale"},
    {"Character", "Symbol", "Símbolo", "Symbol"},
    {"EditTable", "Edit Table", "Edita Tabla", "Edit Table"}, // 60
    {"RowHeight", "Row Height", "Altura fila", "Row Height"},
    {"TitleHeight", "Title Height", "Altura título", "Title Height"},
    {"TitleVisible", "Title Visible", "Ver título", "Title Visible"},
    {"TitleFontHeight", "Title Font Height", "Altura fuente título", "Title Font Height"},
    {"TitleText", "Title Text", "Título", "Title Tekst"},
    {"GridStyle", "Grid Style", "Estilo rejilla", "Grid Style"},
    {"Locked", "Locked", "Fijo", "Locked"},
    {"Question", "Question", "Pregunta", "Question"},
    {"EleAlign", "Position", "Posición", "Position"},
    {"Answer", "Answer", "Respuesta", "Answer"}, // 70
    {"EditPoly", "Edit PolyText", "Edita Texto", "Edit PolyText"},
    {"IsBarcode", "BarCode?", "¿Código barras?", "BarCode?"},
    {"Checksum", "Checksum", "Dígito control", "Checksum"},
    {"Data", "Database", "Base Datos", "Patternbase"},
    {"Margin", "Margin", "Margen", "Margin"},
    {"ColCount", "ColCount", "Columnas", "ColCount"},
    {"RowCount", "RowCount", "Filas", "RowCount"},
    {"EqualRows", "EqualRows", "EqualRows", "EqualRows"},
    {"EqualCols", "EqualCols", "EqualCols", "EqualCols"},
    {"LineColor", "Line Color", "Color Línea", "Line Color"}, // 80
    {"Truncated", "Truncated", "Truncado", "Truncated"},
    {"CorrectionLevel", "Correction Level", "Nivel Corrección", "Correction Level"},
    {"Ratio", "Ratio", "Ratio", "Ratio"},
    {"Code", "Code", "Código", "Code"},
    {"PaddingX", "Padding X =", "Espacio X =", "Padding X ="},
    {"PaddingY", "Padding Y =", "Espacio Y =", "Padding Y ="},
    {"BorderRadio", "Border Radius", "Radio Borde", "Border Radius"},
    {"Separation", "Separation", "Separación", "Separation"},
    {"Encoding", "Encoding", "Codificación", "Encoding"},
    {"Embeded", "Embeded", "Incrustar", "Embeded"}, // 90
    {"FillColor", "Fill color", "Color relleno", "Fill color"},
};

std::vector<TKXInspectorCaption> MakeCaptions()
{
    std::vector<TKXInspectorCaption> rows;
    rows.reserve(InspectorCaptionCount);
    for (const TCaptionText &t : CaptionTexts) {
        TKXInspectorCaption c;
        c.Key = QString::fromUtf8(t.Key);
        c.English = QString::fromUtf8(t.English);
        c.Spanish = QString::fromUtf8(t.Spanish);
        c.Dutch = QString::fromUtf8(t.Dutch);
        c.Current = c.English;
        rows.push_back(std::move(c));
    }
    return rows;
}

} // namespace

std::vector<TKXInspectorCaption> &InspectorCaptions()
{
    static std::vector<TKXInspectorCaption> rows = MakeCaptions();
    return rows;
}

QString TKXInspectorCaption::InLanguage(TKXLanguage Language) const
{
    switch (Language) {
    case TKXLanguage::kxEnglish:
        return English;
    case TKXLanguage::kxSpanish:
        return Spanish;
    case TKXLanguage::kxDutch:
        return Dutch;
    default:
        return Current;
    }
}

QStringList InspectorCaptionKeys()
{
    QStringList keys;
    for (const TKXInspectorCaption &c : InspectorCaptions())
        keys << c.Key;
    return keys;
}

void ResetInspectorCaptions()
{
    for (TKXInspectorCaption &c : InspectorCaptions())
        c.Current = c.English;
}

} // namespace kx::designer
