#include "preview/KXPreviewWindow.h"

#include "component/KXLab.h"
#include "controls/KXAlignEdit.h"
#include "core/KXUtils.h"
#include "platform/KXMetafile.h"
#include "platform/KXPrinterPort.h"
#include "prompts/KXCommandRunner.h"
#include "prompts/KXPrompts.h"

#include <QFileInfo>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QSvgRenderer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

// Outside any namespace, as Qt's resource initialisation requires.
static void InitPreviewQrc() { Q_INIT_RESOURCE(preview); }

namespace kx::designer {

namespace {

// A tool-button picture from one of the window's SVG files, at 16 and 32 pixels; Qt derives
// the disabled and active looks from it.
QIcon PreviewIcon(const char *Name)
{
    static const bool loaded = [] {
        InitPreviewQrc();
        return true;
    }();
    (void)loaded;
    QSvgRenderer svg(QStringLiteral(":/preview/%1.svg").arg(QLatin1String(Name)));
    QIcon icon;
    for (int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        svg.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

const QColor Silver(0xC0, 0xC0, 0xC0);
const QColor Shadow(0x80, 0x80, 0x80);

} // namespace

// The scroll box: reports its resizes so that the paper is laid out again.
class TKxPrw::TKXBackScroll final : public QScrollArea {
public:
    explicit TKXBackScroll(TKxPrw &Owner) : QScrollArea(&Owner), FOwner(Owner) {}

protected:
    void resizeEvent(QResizeEvent *Event) override
    {
        QScrollArea::resizeEvent(Event);
        FOwner.PaperLayout();
    }

private:
    TKxPrw &FOwner;
};

// The paper: paints the page or the two pages on show.
class TKxPrw::TKXPaper final : public QWidget {
public:
    TKXPaper(TKxPrw &Owner, QWidget *Parent) : QWidget(Parent), FOwner(Owner)
    {
        setObjectName(QStringLiteral("pnPaper"));
        setCursor(Qt::OpenHandCursor);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        FOwner.PaintPaper(painter);
    }

private:
    TKxPrw &FOwner;
};

// ---------------------------------------------------------------------------------------
// Lifecycle

TKxPrw::TKxPrw(QWidget *Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("KxPrw"));
    setWindowTitle(QStringLiteral("Preview"));
    setModal(true);
    resize(410, 466);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ToolBarPreview = new QToolBar(this);
    ToolBarPreview->setObjectName(QStringLiteral("ToolBarPreview"));
    ToolBarPreview->setIconSize(QSize(16, 16));
    ToolBarPreview->setFixedHeight(30);
    layout->addWidget(ToolBarPreview);

    TbPageFirst = AddButton("TbPageFirst", "first", &TKxPrw::TbPageFirstClick);
    TbPagePrior = AddButton("TbPagePrior", "prior", &TKxPrw::TbPagePriorClick);
    AlignEdPages = new TKxAlignEdit(ToolBarPreview);
    AlignEdPages->setObjectName(QStringLiteral("AlignEdPages"));
    AlignEdPages->setFixedWidth(70);
    AlignEdPages->setReadOnly(true);
    AlignEdPages->setEnabled(false);
    ToolBarPreview->addWidget(AlignEdPages);
    TbPageNext = AddButton("TbPageNext", "next", &TKxPrw::TbPageNextClick);
    TbPageLast = AddButton("TbPageLast", "last", &TKxPrw::TbPageLastClick);
    ToolBarPreview->addSeparator();
    TbShowAll = AddButton("TbShowAll", "fitpage", &TKxPrw::TbShowAllClick);
    TbShowWidth = AddButton("TbShowWidth", "fitwidth", &TKxPrw::TbShowWidthClick);
    TbShowTwo = AddButton("TbShowTwo", "fittwo", &TKxPrw::TbShowTwoClick);
    TbZoomMinus = AddButton("TbZoomMinus", "zoomout", &TKxPrw::TbZoomMinusClick);
    TbZoomPlus = AddButton("TbZoomPlus", "zoomin", &TKxPrw::TbZoomPlusClick);
    ToolBarPreview->addSeparator();
    TbPrint = AddButton("TbPrint", "print", &TKxPrw::TbPrintClick);
    TbSave = AddButton("TbSave", "save", &TKxPrw::TbSaveClick);
    ToolBarPreview->addSeparator();
    TbExit = AddButton("TbExit", "exit", &TKxPrw::TbExitClick);

    BackScroll = new TKXBackScroll(*this);
    BackScroll->setObjectName(QStringLiteral("BackScroll"));
    BackScroll->setFrameShape(QFrame::NoFrame);
    BackScroll->setWidgetResizable(false);
    BackScroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette back = BackScroll->palette();
    back.setColor(QPalette::Window, Silver);
    BackScroll->setPalette(back);
    BackScroll->setBackgroundRole(QPalette::Window);
    BackScroll->viewport()->setAutoFillBackground(true);
    auto *content = new QWidget;
    content->setAutoFillBackground(false);
    pnPaper = new TKXPaper(*this, content);
    FPaper = QRect(10, 10, 393, 415);
    BackScroll->setWidget(content);
    SetPaper(FPaper);
    layout->addWidget(BackScroll, 1);

    Translate();
    UpdateZoomButtons();
    UpdatePageControls();
}

TKxPrw::~TKxPrw() = default;

QToolButton *TKxPrw::AddButton(const char *Name, const char *Icon, void (TKxPrw::*Handler)())
{
    auto *button = new QToolButton(ToolBarPreview);
    button->setObjectName(QLatin1String(Name));
    button->setIcon(PreviewIcon(Icon));
    button->setAutoRaise(true);
    ToolBarPreview->addWidget(button);
    // Every button is a command: an error is shown and goes no further.
    connect(button, &QToolButton::clicked, this, [this, Handler] { RunCommand([this, Handler] { (this->*Handler)(); }); });
    return button;
}

void TKxPrw::Ini(TKXLab &Lab)
{
    FKxLab = &Lab;
    Translate();
    if (TotalPages() <= 0) {
        FPageIdx = 0;
    } else {
        FPageIdx = 1;
        FVisualState = TKXVisualState::vsOnePage; // laid out when the scroll box has its size
    }
    FetchPages();
    UpdatePageControls();
    CheckPaper = false;
    PaperLayout();
}

void TKxPrw::Translate()
{
    setWindowTitle(FKxLab ? FKxLab->DialogText("KxPrintPr", QStringLiteral("Print Preview"))
                          : QStringLiteral("Preview"));
    auto text = [this](const char *Key, const char *English) {
        return FKxLab ? FKxLab->DialogText(Key, QLatin1String(English)) : QString(QLatin1String(English));
    };
    TbShowAll->setToolTip(text("KxFitOnePage", "Fit One Page"));
    TbShowWidth->setToolTip(text("KxFitWidth", "Fit Page Width"));
    TbShowTwo->setToolTip(text("KxFitTwoPage", "Fit Two Pages"));
    TbExit->setToolTip(text("KxExit", "Exit"));
}

int32_t TKxPrw::TotalPages() const { return FKxLab ? FKxLab->TotalPages() : 0; }

// ---------------------------------------------------------------------------------------
// State

QRect TKxPrw::PaperRect() const { return FPaper; }

QSize TKxPrw::ScrollSize() const { return BackScroll->maximumViewportSize(); }

const TKXMetafile *TKxPrw::ShownPage(int Index) const
{
    return Index >= 0 && Index < 2 ? FShown[size_t(Index)].get() : nullptr;
}

void TKxPrw::SetVisualState(TKXVisualState Value)
{
    if (Value == FVisualState)
        return;
    FVisualState = Value;
    FetchPages(); // two-page mode shows the next page too
    PaperLayout();
    UpdatePageControls();
}

// ---------------------------------------------------------------------------------------
// Pages

std::shared_ptr<const TKXMetafile> TKxPrw::FetchPage(int32_t Page)
{
    if (!FKxLab || Page < 1 || Page > TotalPages())
        return nullptr;
    std::shared_ptr<const TKXMetafile> page = FKxLab->GetPage(Page);
    // A long run's cache holds the pages around those asked for before, not necessarily this
    // one: GetPage has filled the cache around it, and the page itself is rendered here.
    if (!page) {
        page = FKxLab->BuildPreviewPage(Page);
        ++FPagesRendered;
    }
    return page;
}

void TKxPrw::FetchPages()
{
    FSheets = {};
    FShown[0] = FetchPage(FPageIdx);
    const bool two = FVisualState == TKXVisualState::vsTwoPage && FPageIdx > 0 && FPageIdx < TotalPages();
    FShown[1] = two ? FetchPage(FPageIdx + 1) : nullptr;
}

void TKxPrw::GoToPage(int32_t Page)
{
    const int32_t total = TotalPages();
    if (total <= 0)
        return;
    FPageIdx = std::clamp(Page, 1, total);
    FetchPages();
    pnPaper->update();
    UpdatePageControls();
}

void TKxPrw::TbPageFirstClick() { GoToPage(1); }

void TKxPrw::TbPagePriorClick()
{
    GoToPage(FVisualState == TKXVisualState::vsTwoPage && FPageIdx > 2 ? FPageIdx - 2 : FPageIdx - 1);
}

void TKxPrw::TbPageNextClick()
{
    const bool two = FVisualState == TKXVisualState::vsTwoPage && FPageIdx + 1 < TotalPages();
    GoToPage(FPageIdx + (two ? 2 : 1));
}

void TKxPrw::TbPageLastClick()
{
    const int32_t total = TotalPages();
    GoToPage(FVisualState == TKXVisualState::vsTwoPage && total > 1 ? total - 1 : total);
}

// ---------------------------------------------------------------------------------------
// Controls

void TKxPrw::UpdatePageControls()
{
    const int32_t total = TotalPages();
    const bool pages = FPageIdx > 0;
    const bool atEnd = !pages || FPageIdx >= total ||
                       (FVisualState == TKXVisualState::vsTwoPage && FPageIdx + 1 >= total);
    const bool atStart = !pages || FPageIdx <= 1;
    TbPageNext->setEnabled(!atEnd);
    TbPageLast->setEnabled(!atEnd);
    TbPageFirst->setEnabled(!atStart);
    TbPagePrior->setEnabled(!atStart);
    for (QToolButton *b : {TbShowAll, TbShowWidth, TbShowTwo, TbPrint, TbSave})
        b->setEnabled(pages);
    UpdateZoomButtons();
    AlignEdPages->setText(pages ? QStringLiteral("%1 - %2").arg(FPageIdx).arg(total) : QString());
}

void TKxPrw::UpdateZoomButtons()
{
    const bool zoomable = FPageIdx > 0 && FVisualState != TKXVisualState::vsTwoPage;
    TbZoomMinus->setEnabled(zoomable && FZoom >= 30);
    TbZoomPlus->setEnabled(zoomable && FZoom <= 500);
}

// ---------------------------------------------------------------------------------------
// Layout

void TKxPrw::SetPaper(const QRect &R)
{
    FPaper = R;
    pnPaper->setGeometry(R);
    // The scrolled area reaches to the paper's right and bottom edges.
    BackScroll->widget()->resize(std::max(0, R.right() + 1), std::max(0, R.bottom() + 1));
    pnPaper->update();
}

void TKxPrw::PaperLayout()
{
    if (CheckPaper)
        return;
    const QSize s = ScrollSize();
    const int32_t SW = s.width(), SH = s.height();
    // Nothing to lay out into, or nothing to lay out: the paper stays as it is.
    if (SW <= 2 || SH <= 2)
        return;
    if (FVisualState == TKXVisualState::vsZoom) {
        ApplyZoom();
        return;
    }
    int32_t PW = 0, PH = 0;
    if (FVisualState != TKXVisualState::vsNone) {
        if (!FShown[0] || FShown[0]->DeviceSize().isEmpty())
            return;
        PW = FShown[0]->DeviceSize().width();
        PH = FShown[0]->DeviceSize().height();
    }
    CheckPaper = true;
    QRect r;
    switch (FVisualState) {
    case TKXVisualState::vsNone:
        r = QRect(24, 24, SW - 48, SH - 48);
        break;
    case TKXVisualState::vsTwoPage:
        PW = 2 * PW + 24; // both pages as wide as the current one
        [[fallthrough]];
    case TKXVisualState::vsOnePage:
        if (double(SW) / SH > double(PW) / PH) {
            const int32_t h = SH - 2, w = MulDiv(h, PW, PH);
            r = QRect((SW - 2 - w) / 2, 0, w, h);
        } else {
            const int32_t w = SW - 2, h = MulDiv(w, PH, PW);
            r = QRect(0, (SH - 2 - h) / 2, w, h);
        }
        break;
    case TKXVisualState::vsWidth: {
        int32_t w = SW, h = MulDiv(w, PH, PW);
        if (h > SH - 2) {
            // A vertical scroll bar will appear: leave room for it.
            int32_t bar = BackScroll->verticalScrollBar()->sizeHint().width();
            if (bar <= 0)
                bar = BackScroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
            w = SW - bar - 2;
            h = MulDiv(w, PH, PW);
        }
        r = QRect(0, 0, w, h);
        break;
    }
    case TKXVisualState::vsZoom:
        break;
    }
    SetPaper(r);
    FPageW = r.width();
    FPageH = r.height();
    FZoom = 100;
    UpdateZoomButtons();
    CheckPaper = false;
}

void TKxPrw::ZoomBy(int32_t Step)
{
    if (FPageIdx <= 0)
        return;
    FVisualState = TKXVisualState::vsZoom;
    FZoom = std::clamp(FZoom + Step, 20, 520);
    UpdateZoomButtons();
    ApplyZoom();
}

void TKxPrw::ApplyZoom()
{
    const QSize s = ScrollSize();
    const int32_t SW = s.width(), SH = s.height();
    if (SW <= 2 || SH <= 2 || FPageW <= 0 || FPageH <= 0)
        return;
    const int32_t w = MulDiv(FPageW, FZoom, 100), h = MulDiv(FPageH, FZoom, 100);
    QRect r(FPaper.topLeft(), QSize(w, h));
    if (h < SH - 2)
        r.moveTop((SH - 2 - h) / 2);
    if (w < SW - 2)
        r.moveLeft((SW - 2 - w) / 2);
    SetPaper(r);
}

// ---------------------------------------------------------------------------------------
// Painting

void TKxPrw::PaintPaper(QPainter &Painter)
{
    if (CheckPaper)
        return;
    const QRect R = pnPaper->rect();
    if (FVisualState == TKXVisualState::vsNone) {
        Painter.fillRect(R, Qt::white);
        return;
    }
    Painter.fillRect(R, Silver);
    // Rectangles from their corners, the right and bottom edges excluded.
    auto box = [](int32_t l, int32_t t, int32_t r, int32_t b) { return QRect(QPoint(l, t), QPoint(r - 1, b - 1)); };
    auto sheet = [&](const QRect &Shadowed, const QRect &Sheet, int Index) {
        Painter.fillRect(Shadowed, Shadow);
        if (Sheet.isEmpty())
            return;
        const QImage &image = SheetImage(Index, Sheet.size());
        if (image.isNull())
            Painter.fillRect(Sheet, Qt::white);
        else
            Painter.drawImage(Sheet, image);
    };
    const int32_t right = R.width(), bottom = R.height();
    if (FVisualState == TKXVisualState::vsTwoPage) {
        const int32_t half = right / 2;
        sheet(box(12, 12, half - 6, bottom - 6), box(6, 6, half - 12, bottom - 12), 0);
        sheet(box(half + 12, 12, right - 6, bottom - 6), box(half + 6, 6, right - 12, bottom - 12), 1);
    } else {
        sheet(box(12, 12, right - 6, bottom - 6), box(6, 6, right - 12, bottom - 12), 0);
    }
}

const QImage &TKxPrw::SheetImage(int Index, QSize Size)
{
    TSheetImage &s = FSheets[size_t(Index)];
    const TKXMetafile *page = FShown[size_t(Index)].get();
    const qreal ratio = pnPaper->devicePixelRatioF();
    const QSize pixels = (QSizeF(Size) * ratio).toSize();
    if (!page || page->Empty()) {
        s = {};
        return s.Image;
    }
    if (s.Page != page || s.Image.size() != pixels) {
        s.Page = page;
        s.Image = page->ToImage(pixels);
        s.Image.setDevicePixelRatio(ratio);
    }
    return s.Image;
}

// ---------------------------------------------------------------------------------------
// Print and save

void TKxPrw::TbPrintClick()
{
    if (!FKxLab || FPageIdx <= 0)
        return;
    // The printer is the one choice offered: copies and the page range are the label's own.
    QString printer = FKxLab->Printer().PrinterName();
    if (printer.isEmpty())
        printer = TKXPrinterPort::DefaultPrinterName();
    if (!Prompts().ChoosePrinter(printer))
        return;
    try {
        FKxLab->PrintOn(printer);
    } catch (...) {
        Rebuild(); // the answers were given all the same
        throw;
    }
    Rebuild();
}

void TKxPrw::Rebuild()
{
    if (!FKxLab)
        return;
    FShown = {};
    FSheets = {};
    int32_t total = 0;
    try {
        FKxLab->BuildOnDemandPreview();
        total = TotalPages();
    } catch (...) {
        // No pages to show: the window stays usable to close.
        FPageIdx = 0;
        FVisualState = TKXVisualState::vsNone;
        PaperLayout();
        UpdatePageControls();
        pnPaper->update();
        throw;
    }
    if (total <= 0) {
        FPageIdx = 0;
        FVisualState = TKXVisualState::vsNone;
    } else {
        FPageIdx = std::clamp(FPageIdx, 1, total);
        if (FVisualState == TKXVisualState::vsNone)
            FVisualState = TKXVisualState::vsOnePage;
    }
    FetchPages();
    PaperLayout();
    UpdatePageControls();
    pnPaper->update();
}

std::vector<TKXFileFilter> TKxPrw::SaveFilters()
{
    return {
        {QStringLiteral("Enhanced metafile (*.wmf)"), QStringLiteral("*.emf *.wmf")},
        {QStringLiteral("Bitmap (*.bmp)"), QStringLiteral("*.bmp")},
        {QStringLiteral("Jpeg (*.jpg)"), QStringLiteral("*.jpg")},
        {QStringLiteral("GIF (*.gif)"), QStringLiteral("*.gif")},
        {QStringLiteral("PNG (*.png)"), QStringLiteral("*.png")},
    };
}

QString TKxPrw::SaveTarget(const QString &FileName, int FilterIndex, TKXPageFormat &Format)
{
    struct TExt {
        const char *Ext;
        TKXPageFormat Format;
    };
    static const TExt exts[] = {
        {"wmf", TKXPageFormat::Wmf}, {"emf", TKXPageFormat::Emf}, {"bmp", TKXPageFormat::Bmp},
        {"jpg", TKXPageFormat::Jpeg}, {"jpeg", TKXPageFormat::Jpeg}, {"gif", TKXPageFormat::Gif},
        {"png", TKXPageFormat::Png},
    };
    const QString suffix = QFileInfo(FileName).suffix();
    for (const TExt &e : exts)
        if (suffix.compare(QLatin1String(e.Ext), Qt::CaseInsensitive) == 0) {
            Format = e.Format;
            return FileName;
        }
    // Entry by entry: the extension appended and the format written.
    static const TExt entries[] = {
        {"emf", TKXPageFormat::Emf}, {"bmp", TKXPageFormat::Bmp}, {"jpg", TKXPageFormat::Jpeg},
        {"gif", TKXPageFormat::Gif}, {"png", TKXPageFormat::Png},
    };
    const TExt &e = entries[std::clamp(FilterIndex, 1, 5) - 1];
    Format = e.Format;
    QString name = FileName;
    if (!name.endsWith(QLatin1Char('.')))
        name += QLatin1Char('.');
    return name + QLatin1String(e.Ext);
}

void TKxPrw::TbSaveClick()
{
    if (!FKxLab || FPageIdx <= 0)
        return;
    int filter = FSaveFilter;
    QString name = FSaveFileName;
    if (!Prompts().SaveFile(QStringLiteral("Save"), SaveFilters(), filter, name) || name.isEmpty())
        return;
    FSaveFilter = filter;
    FSaveFileName = name;
    TKXPageFormat format = TKXPageFormat::Bmp;
    const QString file = SaveTarget(name, filter, format);
    int quality = 80;
    if (format == TKXPageFormat::Jpeg &&
        !Prompts().InputInteger(QStringLiteral("Compression"), QStringLiteral("Compression Quality (1..100)"),
                                quality, 1, 100))
        return; // no quality, no file
    SavePagePicture(*FKxLab, FPageIdx, format, file, quality);
}

} // namespace kx::designer
