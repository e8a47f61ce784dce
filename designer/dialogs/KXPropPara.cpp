#include "dialogs/KXPropPara.h"

#include "component/KXLab.h"
#include "core/KXCodec1252.h"
#include "core/KXError.h"
#include "dialogs/KXDialogEdit.h"
#include "document/KXDesignerServices.h"
#include "elements/KXMatrixCodes.h"
#include "elements/KXParagraph.h"
#include "elements/KXPdf417.h"
#include "platform/KXUIServices.h"
#include "stream/KXStream.h"
#include "stream/KXStreamStr.h"

#include <QApplication>
#include <QFont>
#include <QFrame>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include <algorithm>

namespace kx::designer {

namespace {

// Takes the messages of the element's setters while a code is tried: a code too long for
// any symbol is told by the placeholder, not by a message per keystroke.
class TQuietServices final : public TKXUIServices {
public:
    explicit TQuietServices(TKXCustomLab &Lab) : FLab(Lab), FOld(&Lab.UIServices()) { Lab.SetUIServices(this); }
    ~TQuietServices() override { FLab.SetUIServices(FOld); }
    TQuietServices(const TQuietServices &) = delete;
    TQuietServices &operator=(const TQuietServices &) = delete;
    void ShowMessage(const QString &) override {}
    void BeginBusy() override { FOld->BeginBusy(); }
    void EndBusy() override { FOld->EndBusy(); }
    QString ChoosePicture(const QString &Filter, const QString &Dir) override { return FOld->ChoosePicture(Filter, Dir); }

private:
    TKXCustomLab &FLab;
    TKXUIServices *FOld;
};

} // namespace

std::function<int(TPropPara &)> TPropPara::OnShowModal = [](TPropPara &Dialog) { return Dialog.exec(); };

TPropPara::TPropPara(QWidget *Parent) : QDialog(Parent)
{
    setWindowTitle(QStringLiteral("Paragraph properties"));
    setWindowFlags((windowFlags() | Qt::Tool) & ~Qt::WindowContextHelpButtonHint);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    setFont(font);

    auto *panel1 = new QFrame(this);
    panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel1->setLineWidth(2);
    MemText = new QPlainTextEdit(panel1);
    QFont memoFont(QStringLiteral("MS Sans Serif"));
    memoFont.setPixelSize(13);
    MemText->setFont(memoFont);
    MemText->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto *panelLayout = new QVBoxLayout(panel1);
    panelLayout->setContentsMargins(2, 2, 2, 2);
    panelLayout->addWidget(MemText);

    ButOK = new QPushButton(QStringLiteral("OK"), this);
    ButCancel = new QPushButton(QStringLiteral("Cancel"), this);
    for (QPushButton *b : {ButOK, ButCancel}) {
        b->setFixedSize(75, 25);
        b->setAutoDefault(false); // Return is a line break in the box
    }
    auto *bottom = new QHBoxLayout;
    bottom->setContentsMargins(6, 6, 6, 6);
    bottom->addWidget(ButOK);
    bottom->addSpacing(4);
    bottom->addWidget(ButCancel);
    bottom->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(panel1, 1);
    layout->addLayout(bottom);
    resize(414, 246);

    connect(ButOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(MemText, &QPlainTextEdit::textChanged, this, [this]() { MemTextChange(); });
}

TPropPara::~TPropPara()
{
    // The edit goes before the dialog: a dialog still open is settled by the edit's own
    // end (restored), never by a late signal to an edit already gone.
    disconnect(this, &QDialog::finished, nullptr, nullptr);
}

TPropPara::TKind TPropPara::KindOf(const TKXElement &Element)
{
    switch (Element.ElementType()) {
    case TKXEle::deParagraph:
        return kParagraph;
    case TKXEle::dePdf417:
        return kPdf417;
    case TKXEle::deDataMatrix:
        return kDataMatrix;
    case TKXEle::deQRCode:
        return kQRCode;
    default:
        return kNone;
    }
}

QString TPropPara::ElementText() const
{
    switch (FKind) {
    case kParagraph:
        return static_cast<const TKXParagraph *>(FElement)->Text();
    case kPdf417:
        return static_cast<const TKXPdf417 *>(FElement)->Code();
    case kDataMatrix:
        return static_cast<const TKXDataMatrix *>(FElement)->Code();
    case kQRCode:
        return static_cast<const TKXQRCode *>(FElement)->Code();
    default:
        return {};
    }
}

bool TPropPara::Ini(TKXLab &Lab, TKXElement &Element)
{
    const TKind kind = KindOf(Element);
    if (kind == kNone)
        return false;
    FLab = &Lab;
    FElement = &Element;
    FKind = kind;
    FEdit = std::make_unique<TKXElementEdit>(Lab, std::vector<TKXElement *>{&Element});
    ConnectElementEdit(*this, *FEdit);
    FIntro = true;
    FillLanguage();
    FOriginal = ElementText();
    MemText->setPlainText(ModelToEditor(FOriginal));
    FOpened = FShown = MemText->toPlainText();
    MemText->moveCursor(QTextCursor::End);
    // A paragraph's text goes back as the box holds it; converted at the boundary, an
    // unedited text is the element's own, so the setter finds nothing to change.
    if (FKind == kParagraph && !FShown.isEmpty())
        static_cast<TKXParagraph *>(FElement)->SetText(ResultText());
    FIntro = false;
    return true;
}

QString TPropPara::ResultText() const
{
    // The box may show a text otherwise than the element holds it (a lone CR is a line
    // break there): untouched, it is the element's own text.
    const QString shown = MemText->toPlainText();
    return shown == FOpened ? FOriginal : EditorToModel(shown);
}

void TPropPara::MemTextChange()
{
    if (FIntro || !FElement)
        return;
    const QString shown = MemText->toPlainText();
    if (shown == FShown)
        return;
    if ((FKind == kPdf417 || FKind == kDataMatrix) && !CheckAnsi(shown)) {
        // Refused: the box goes back to the last text the element took, the caret where
        // the refused input began.
        const int caret = MemText->textCursor().position();
        const int back = int(std::max<qsizetype>(0, caret - (shown.size() - FShown.size())));
        FIntro = true;
        MemText->setPlainText(FShown);
        QTextCursor cursor = MemText->textCursor();
        cursor.setPosition(std::clamp(back, 0, int(FShown.size())));
        MemText->setTextCursor(cursor);
        FIntro = false;
        return;
    }
    FShown = shown;
    const QString text = ResultText();
    switch (FKind) {
    case kParagraph:
        static_cast<TKXParagraph *>(FElement)->SetText(text);
        break;
    case kPdf417:
        static_cast<TKXPdf417 *>(FElement)->SetCode(text);
        break;
    case kDataMatrix:
    case kQRCode:
        WriteMatrixCode(text);
        break;
    default:
        break;
    }
}

void TPropPara::WriteMatrixCode(const QString &Value)
{
    {
        TQuietServices quiet(*FLab);
        if (FKind == kDataMatrix)
            static_cast<TKXDataMatrix *>(FElement)->SetCode(Value);
        else
            static_cast<TKXQRCode *>(FElement)->SetCode(Value);
    }
    if (ElementText() == Value)
        return;
    // No symbol holds the text: the element takes it as a label read from a file would,
    // and draws its placeholder. Recording is off while the dialog runs.
    {
        TQuietServices quiet(*FLab);
        if (FKind == kDataMatrix)
            static_cast<TKXDataMatrix *>(FElement)->TakeCode(Value);
        else
            static_cast<TKXQRCode *>(FElement)->TakeCode(Value);
    }
    if (FLab->Editor())
        FLab->Editor()->UpdateEditor(false);
}

bool TPropPara::Execute(TKXLab &Lab, TKXElement &Element)
{
    TPropPara dialog(QApplication::activeWindow());
    if (!dialog.Ini(Lab, Element))
        return false;
    return OnShowModal(dialog) == QDialog::Accepted;
}

void RegisterParagraphDialog()
{
    for (const TKXEle kind : {TKXEle::deParagraph, TKXEle::dePdf417, TKXEle::deDataMatrix, TKXEle::deQRCode})
        TKXLab::SetElementDialog(kind, &TPropPara::Execute);
}

void TPropPara::FillLanguage()
{
    switch (FKind) {
    case kParagraph:
        setWindowTitle(FLab->DialogText("KxParaPro", QStringLiteral("Paragraph Properties")));
        break;
    case kPdf417:
        setWindowTitle(FLab->DialogText("KxPdfPro", QStringLiteral("PDF417 Properties")));
        break;
    case kDataMatrix:
        setWindowTitle(FLab->DialogText("KxDataMatrixPro", QStringLiteral("DataMatrix Properties")));
        break;
    case kQRCode:
        setWindowTitle(FLab->DialogText("KxQRPro", QStringLiteral("QR Properties")));
        break;
    default:
        break;
    }
    ButOK->setText(FLab->DialogText("KxOK", QStringLiteral("OK")));
    ButCancel->setText(FLab->DialogText("KxCancel", QStringLiteral("Cancel")));
}

} // namespace kx::designer
