#include "controls/KXAlignPickers.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QToolButton>

#include <algorithm>

namespace kx::designer {

namespace {

// Column (left, centre, right) and row (top, centre, bottom) of each TTextAlign place.
struct TPlace {
    int Col, Row;
    const char *Name;
    TKXEleAlign Ele;
};
const TPlace Places[9] = {
    {0, 2, "PanLeftBot", TKXEleAlign::eaLeftBottom},    // taLeBo
    {1, 2, "PanCenBot", TKXEleAlign::eaCenterBottom},   // taCeBo
    {2, 2, "PanRightBot", TKXEleAlign::eaRigthBottom},  // taRiBo
    {0, 0, "PanLeftTop", TKXEleAlign::eaLeftTop},       // taLeTo
    {1, 0, "PanCenTop", TKXEleAlign::eaCenterTop},      // taCeTo
    {2, 0, "PanRightTop", TKXEleAlign::eaRigthTop},     // taRiTo
    {0, 1, "PanLeftCen", TKXEleAlign::eaLeftCenter},    // taLeCe
    {1, 1, "PanCenCen", TKXEleAlign::eaCenterCenter},   // taCeCe
    {2, 1, "PanRightCen", TKXEleAlign::eaRigthCenter},  // taRiCe
};

const char *const JustNames[12] = {"SBAPLT", "SBAPRT", "SBAPCT", "SBAPJT", "SBAPLC", "SBAPRC",
                                   "SBAPCC", "SBAPJC", "SBAPLB", "SBAPRB", "SBAPCB", "SBAPJB"};

const QColor MarkColor(200, 0, 0);
const QColor MarkBack(255, 244, 200);

// A 12 x 12 picture: a square with a mark at (Col, Row) of a 3 x 3 grid; an element is a
// block, a text two short lines. The current choice is drawn red on a light ground.
QIcon PlaceIcon(int Col, int Row, bool Text, bool Marked)
{
    QPixmap pm(12, 12);
    pm.fill(Marked ? MarkBack : Qt::white);
    QPainter p(&pm);
    p.setPen(QColor(128, 128, 128));
    p.drawRect(0, 0, 11, 11);
    const QColor ink = Marked ? MarkColor : Qt::black;
    const int x = 2 + Col * 3, y = 2 + Row * 3;
    if (Text) {
        p.fillRect(x, y, 3, 1, ink);
        p.fillRect(x, y + 2, 3, 1, ink);
    } else {
        p.fillRect(x, y, 3, 3, ink);
    }
    return QIcon(pm);
}

// A paragraph picture: three lines left, right, centred or justified, at the top, centre or
// bottom of the square.
QIcon JustIcon(int Horz, int Vert, bool Marked)
{
    QPixmap pm(12, 12);
    pm.fill(Marked ? MarkBack : Qt::white);
    QPainter p(&pm);
    p.setPen(QColor(128, 128, 128));
    p.drawRect(0, 0, 11, 11);
    const QColor ink = Marked ? MarkColor : Qt::black;
    const int top = 2 + Vert * 2;
    const int lengths[3] = {8, 5, 7};
    for (int i = 0; i < 3; ++i) {
        const int len = Horz == 3 ? 8 : lengths[i];
        int x = 2;
        if (Horz == 1)
            x = 10 - len;
        else if (Horz == 2)
            x = 2 + (8 - len) / 2;
        p.fillRect(x, top + i * 2, len, 1, ink);
    }
    return QIcon(pm);
}

QToolButton *MakeButton(QWidget *Parent, const char *Name)
{
    auto *b = new QToolButton(Parent);
    b->setObjectName(QLatin1String(Name));
    b->setIconSize(QSize(12, 12));
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

void SetUpPopup(QDialog &Form)
{
    Form.setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
    Form.setAutoFillBackground(true);
    Form.setBackgroundRole(QPalette::Button);
}

} // namespace

void PlaceInsideScreen(QWidget &Widget, int X, int Y)
{
    QScreen *screen = QGuiApplication::screenAt(QPoint(X, Y));
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen) {
        Widget.move(X, Y);
        return;
    }
    const QRect area = screen->availableGeometry();
    const QSize size = Widget.size();
    X = std::clamp(X, area.left(), std::max(area.left(), area.right() + 1 - size.width()));
    Y = std::clamp(Y, area.top(), std::max(area.top(), area.bottom() + 1 - size.height()));
    Widget.move(X, Y);
}

// --- TFAlignEle --------------------------------------------------------------------------

TFAlignEle::TFAlignEle(QWidget *Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("FAlignEle"));
    SetUpPopup(*this);
    FTop = new QWidget(this);
    FTop->setObjectName(QStringLiteral("PanButTop"));
    FNone = new QLabel(tr("None"), FTop);
    FNone->setObjectName(QStringLiteral("PanNone"));
    FNone->setAlignment(Qt::AlignCenter);
    FNone->setFrameStyle(QFrame::Panel | QFrame::Raised);
    FNone->setCursor(Qt::PointingHandCursor);
    FNone->installEventFilter(this);
    FColumns = new QWidget(this);
    for (size_t i = 0; i < FButtons.size(); ++i) {
        FButtons[i] = MakeButton(FColumns, Places[i].Name);
        const auto place = static_cast<TTextAlign>(i);
        connect(FButtons[i], &QToolButton::clicked, this, [this, place] { Choose(place); });
    }
    resize(115, 66);
}

bool TFAlignEle::NoneShown() const
{
    return !FTop->isHidden();
}

void TFAlignEle::Choose(TTextAlign Place)
{
    FAlignEle = Places[static_cast<size_t>(Place)].Ele;
    FAlignTxt = Place;
    accept();
}

void TFAlignEle::ChooseNone()
{
    FAlignEle = TKXEleAlign::eaNone; // the text answer stays as it was
    accept();
}

void TFAlignEle::Layout(int PosX, int PosY, int FormWidth)
{
    resize(FormWidth, height());
    const int top = FTextMode ? 0 : 16;
    FTop->setGeometry(0, 0, FormWidth, 16);
    FNone->setGeometry(0, 0, FormWidth, 16);
    FColumns->setGeometry(0, top, FormWidth, height() - top);
    const int colW = FormWidth / 3;
    const int colH = FColumns->height();
    const int h = colH / 3;
    const int lefts[3] = {0, colW, 2 * colW};
    const int widths[3] = {colW, colW, FormWidth - 2 * colW};
    for (size_t i = 0; i < FButtons.size(); ++i) {
        const TPlace &pl = Places[i];
        const int y = pl.Row * h;
        const int bh = pl.Row == 2 ? colH - 2 * h : h;
        FButtons[i]->setGeometry(lefts[pl.Col], y, widths[pl.Col], bh);
    }
    PlaceInsideScreen(*this, PosX, PosY);
}

void TFAlignEle::IniEleAlign(int PosX, int PosY, int FormWidth, TKXEleAlign AL)
{
    FTextMode = false;
    FTop->show();
    FAlignEle = AL;
    for (size_t i = 0; i < FButtons.size(); ++i) {
        const bool marked = Places[i].Ele == AL;
        FButtons[i]->setIcon(PlaceIcon(Places[i].Col, Places[i].Row, false, marked));
    }
    QFont f = FNone->font();
    f.setBold(AL == TKXEleAlign::eaNone);
    FNone->setFont(f);
    QPalette pal = FNone->palette();
    pal.setColor(QPalette::WindowText, AL == TKXEleAlign::eaNone ? QColor(Qt::red) : palette().color(QPalette::ButtonText));
    FNone->setPalette(pal);
    Layout(PosX, PosY, FormWidth);
}

void TFAlignEle::IniTxtAlign(int PosX, int PosY, int FormWidth, TTextAlign TL)
{
    FTextMode = true;
    FTop->hide();
    FAlignTxt = TL;
    for (size_t i = 0; i < FButtons.size(); ++i)
        FButtons[i]->setIcon(PlaceIcon(Places[i].Col, Places[i].Row, true, static_cast<TTextAlign>(i) == TL));
    Layout(PosX, PosY, FormWidth);
}

bool TFAlignEle::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == FNone && Event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(Event)->button() == Qt::LeftButton) {
        ChooseNone();
        return true;
    }
    return QDialog::eventFilter(Watched, Event);
}

// --- TFJustText --------------------------------------------------------------------------

TFJustText::TFJustText(QWidget *Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("FJustText"));
    SetUpPopup(*this);
    for (size_t i = 0; i < FButtons.size(); ++i) {
        FButtons[i] = MakeButton(this, JustNames[i]);
        const auto format = static_cast<TKXTextFormat>(i);
        connect(FButtons[i], &QToolButton::clicked, this, [this, format] {
            FJustyTxt = format;
            accept();
        });
    }
    resize(115, 54);
}

void TFJustText::IniTxtJusty(int PosX, int PosY, int FormWidth, TKXTextFormat JT)
{
    FJustyTxt = JT;
    resize(FormWidth, height());
    const int w = FormWidth / 4;
    for (size_t i = 0; i < FButtons.size(); ++i) {
        const int col = static_cast<int>(i % 4), row = static_cast<int>(i / 4);
        FButtons[i]->setIcon(JustIcon(col, row, static_cast<TKXTextFormat>(i) == JT));
        const int width = col == 3 ? FormWidth - 3 * w : w;
        FButtons[i]->setGeometry(col * w, row * 18, width, 18);
    }
    PlaceInsideScreen(*this, PosX, PosY);
}

} // namespace kx::designer
