#include "editor/KXResources.h"

#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSvgRenderer>

#include <array>
#include <cmath>

// Outside any namespace, as Qt's resource initialisation requires.
static void InitDesignerQrc() { Q_INIT_RESOURCE(designer); }

namespace kx::designer {

void InitDesignerResources()
{
    static const bool done = [] {
        InitDesignerQrc();
        return true;
    }();
    (void)done;
}

namespace {

struct TCursorSlot {
    int Slot;
    const char *Name;
    int HotX, HotY; // hot spot in the 32 x 32 picture
};

// The editor's cursors (tool cursors aim with the cross at 7, 7; the move and edit cursors
// and the rulers' alignment cursors at their centre).
constexpr std::array<TCursorSlot, 26> CursorSlots = {{
    {5, "KX_MOVELEFT", 16, 16}, {6, "KX_MOVETOP", 16, 16},  {7, "KX_MOVE", 16, 16},
    {8, "KX_TEXT", 7, 7},       {9, "KX_RECT", 7, 7},       {10, "KX_SYMB", 7, 7},
    {11, "KX_LINE", 7, 7},      {12, "KX_PARA", 7, 7},      {13, "KX_BARC", 7, 7},
    {14, "KX_ADDT", 7, 7},      {15, "KX_IMAG", 7, 7},      {16, "KX_TABL", 7, 7},
    {17, "KX_ASKT", 7, 7},      {18, "KX_POLT", 7, 7},      {19, "KX_REFLINE", 7, 7},
    {20, "KX_ALIGNX", 16, 16},  {21, "KX_ALIGNY", 16, 16},  {22, "KX_LAYOUT", 7, 7},
    {23, "KX_PDF", 7, 7},       {24, "KX_DATMA", 7, 7},     {25, "KX_QRCODE", 7, 7},
    {26, "KX_CIRCLE", 7, 7},    {27, "KX_DATETIME", 7, 7},  {28, "KX_HEDIT", 16, 16},
    {29, "KX_VEDIT", 16, 16},   {30, "KX_TRIANGLE", 7, 7},
}};

const TCursorSlot *FindSlot(int Slot)
{
    for (const TCursorSlot &s : CursorSlots)
        if (s.Slot == Slot)
            return &s;
    return nullptr;
}

double ScreenRatio()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? std::max(1.0, screen->devicePixelRatio()) : 1.0;
}

} // namespace

QString CursorResourceName(int Slot)
{
    const TCursorSlot *s = FindSlot(Slot);
    return s ? QString::fromLatin1(s->Name) : QString();
}

QCursor ScreenCursor(int Slot)
{
    static QHash<int, QCursor> table;
    const auto it = table.constFind(Slot);
    if (it != table.constEnd())
        return *it;
    const TCursorSlot *s = FindSlot(Slot);
    QCursor cursor(Qt::ArrowCursor);
    if (s) {
        InitDesignerResources();
        QSvgRenderer svg(QStringLiteral(":/designer/cursors/%1.svg").arg(QLatin1String(s->Name)));
        if (svg.isValid()) {
            const double ratio = ScreenRatio();
            const int px = int(std::lround(32 * ratio));
            QPixmap pm(px, px);
            pm.fill(Qt::transparent);
            QPainter p(&pm);
            svg.render(&p);
            p.end();
            pm.setDevicePixelRatio(ratio);
            cursor = QCursor(pm, s->HotX, s->HotY);
        }
    }
    table.insert(Slot, cursor);
    return cursor;
}

QImage LoadGlyph(const QString &Name, int Size)
{
    InitDesignerResources();
    QSvgRenderer svg(QStringLiteral(":/designer/glyphs/%1.svg").arg(Name));
    if (!svg.isValid())
        return QImage();
    QImage img(Size, Size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    svg.render(&p);
    return img;
}

} // namespace kx::designer
