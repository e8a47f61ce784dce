// Writes the seed labels of the label-reader fuzz target: every element kind saved through
// the library (one label per kind and one holding them all), and the same records under the
// headers of older file versions. The library writes only the current version; an older
// file is the independent composer's header and record E/D at that version followed by the
// kind's own fields as the library writes them, which is what most older records hold.
//   label_seeds <folder>
#include "document/KXBaseLab.h"
#include "document/KXElement.h"
#include "elements/KXBarCode.h"
#include "elements/KXImage.h"
#include "elements/KXLayout.h"
#include "elements/KXMatrixCodes.h"
#include "elements/KXParagraph.h"
#include "elements/KXPdf417.h"
#include "elements/KXPolyText.h"
#include "elements/KXShapes.h"
#include "elements/KXSymbol.h"
#include "elements/KXTable.h"
#include "elements/KXText.h"
#include "LabelFileComposer.h"
#include "stream/KXStream.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using namespace kx;

namespace {

using Maker = std::function<void(TKXCustomLab &)>;

struct Kind {
    const char *Name;
    Maker Make;
};

template <class T>
T &Place(TKXCustomLab &Lab, TRect R)
{
    auto *e = Lab.NewElement<T>();
    e->SetP1(R.Left, R.Top);
    e->SetP2(R.Right, R.Bottom);
    return *e;
}

std::vector<Kind> Kinds()
{
    return {
        {"text", [](TKXCustomLab &lab) {
             auto &t = Place<TKXText>(lab, {500, 500, 3000, 1000});
             t.SetText(QStringLiteral("Seed text"));
             t.SetShowBorder(true);
             t.SetShadow(true);
             t.SetTextAlign(TTextAlign::taCeCe);
         }},
        {"addtext", [](TKXCustomLab &lab) {
             auto &t = Place<TKXAddText>(lab, {500, 1500, 3000, 2000});
             t.SetText(QStringLiteral("value"));
         }},
        {"asktext", [](TKXCustomLab &lab) {
             auto &t = Place<TKXAskText>(lab, {500, 2500, 3000, 3000});
             t.SetText(QStringLiteral("ask"));
         }},
        {"line", [](TKXCustomLab &lab) { Place<TKXLine>(lab, {100, 100, 5000, 3000}).SetPenWidth(0.5f); }},
        {"rect", [](TKXCustomLab &lab) {
             auto &r = Place<TKXRect>(lab, {200, 200, 4000, 2500});
             r.SetRadio(2.0f);
             r.SetFigure(3);
         }},
        {"paragraph", [](TKXCustomLab &lab) {
             auto &p = Place<TKXParagraph>(lab, {300, 300, 4000, 3000});
             p.SetText(QStringLiteral("A paragraph of seed words that wraps over lines."));
         }},
        {"barcode", [](TKXCustomLab &lab) {
             auto &b = Place<TKXBarCode>(lab, {500, 500, 4000, 2000});
             b.SetBarCode(QStringLiteral("12345678"));
             b.SetShowNumber(true);
         }},
        {"qrcode", [](TKXCustomLab &lab) {
             auto &q = Place<TKXQRCode>(lab, {500, 500, 2500, 2500});
             q.SetCode(QStringLiteral("https://example.org/seed"));
         }},
        {"datamatrix", [](TKXCustomLab &lab) {
             auto &d = Place<TKXDataMatrix>(lab, {500, 500, 2500, 2500});
             d.SetCode(QStringLiteral("SEED 123"));
         }},
        {"pdf417", [](TKXCustomLab &lab) {
             auto &p = Place<TKXPdf417>(lab, {500, 500, 5000, 2500});
             p.SetCode(QStringLiteral("PDF417 SEED 0123456789"));
         }},
        {"symbol", [](TKXCustomLab &lab) {
             Place<TKXSymbol>(lab, {500, 500, 1500, 1500}).SetCharacter(u'K');
             Place<TKXSymbol>(lab, {2000, 500, 3000, 1500}).SetNumber(7);
         }},
        {"polytext", [](TKXCustomLab &lab) {
             auto &p = Place<TKXPolyText>(lab, {500, 500, 4000, 1500});
             p.AddDataElement(false)->SetText(QStringLiteral("Part one "));
             TKXDataPoly *second = p.AddDataElement(false);
             second->SetText(QStringLiteral("part two"));
             second->SetFontHeight(7.0f);
         }},
        {"table", [](TKXCustomLab &lab) {
             auto &t = Place<TKXTable>(lab, {200, 200, 5500, 3300});
             t.AddColumn().SetShowTitle(true);
             t.AddColumn().SetShowFooter(true);
             t.SetDrawTable(TKXDrawTable::dtRows);
         }},
        {"image", [](TKXCustomLab &lab) {
             auto &i = Place<TKXImage>(lab, {500, 500, 2500, 2000});
             QImage picture(8, 6, QImage::Format_RGB32);
             picture.fill(Qt::darkCyan);
             QByteArray png;
             QBuffer buffer(&png);
             buffer.open(QIODevice::WriteOnly);
             picture.save(&buffer, "PNG");
             i.LoadPictureBytes(png);
             i.SetEmbeded(true);
         }},
        {"layout", [](TKXCustomLab &lab) {
             auto &l = Place<TKXLayout>(lab, {100, 100, 5900, 3400});
             l.SetColCount(2);
             l.SetRowCount(2);
             auto &member = Place<TKXRect>(lab, {300, 300, 1000, 1000});
             member.IDLayout = l.IDL();
             member.ColLayout = 1;
             member.RowLayout = 1;
             l.AddElement(member);
         }},
    };
}

std::vector<uint8_t> Save(TKXCustomLab &Lab)
{
    TKXStreamWriter w;
    Lab.SaveToStream(w);
    return w.Bytes();
}

bool Write(const std::string &Path, const std::vector<uint8_t> &B)
{
    QFile f(QString::fromStdString(Path));
    if (!f.open(QIODevice::WriteOnly))
        return false;
    return f.write(reinterpret_cast<const char *>(B.data()), qint64(B.size())) == qint64(B.size());
}

// The element records of a label saved by the library: what follows the element count. The
// count stands where the composer puts it in a current label with the same header fields;
// the library's header is matched by saving an empty label.
std::vector<uint8_t> ElementBytes(const std::vector<uint8_t> &Label, size_t EmptySize)
{
    return {Label.begin() + std::ptrdiff_t(EmptySize), Label.end()};
}

// Record E (with D) of one element at the current version, as the composer writes it.
zt::ComposedElement RecordOf(const TKXElement &E)
{
    zt::ComposedElement c;
    c.Code = uint8_t(E.ElementType());
    c.ID = E.ID().toStdString();
    if (auto *d = dynamic_cast<const TKXData *>(&E)) {
        c.HasData = true;
        c.FontName = d->FontName().toStdString();
        c.FieldName = d->FieldName().toStdString();
    }
    return c;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: label_seeds <folder>\n");
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    const std::string dir = argv[1];
    size_t emptySize = 0;
    {
        TKXCustomLab empty;
        emptySize = Save(empty).size() - 4; // the element count (0) ends an empty label
    }
    TKXCustomLab all;
    int written = 0;
    for (const Kind &k : Kinds()) {
        TKXCustomLab lab;
        k.Make(lab);
        k.Make(all);
        const std::vector<uint8_t> bytes = Save(lab);
        written += Write(dir + "/kind-" + k.Name + "-2811.eti", bytes);
        // The same element under older headers: record E/D at that version, then the
        // kind's own fields as they stand.
        const std::vector<uint8_t> records = ElementBytes(bytes, emptySize + 4);
        const TKXElement &e = *lab.GetElement(lab.ElementCount());
        const zt::ComposedElement base = RecordOf(e);
        const size_t ownStart = zt::ComposeElement(base, TKXCustomLab::CurrentVersion, false).size();
        if (lab.ElementCount() != 1 || ownStart > records.size())
            continue;
        const std::vector<uint8_t> own(records.begin() + std::ptrdiff_t(ownStart), records.end());
        for (int32_t version : {19, 20, 2300, 2700, 2800, 2810}) {
            zt::ComposedLabel L;
            L.Version = version;
            zt::Bytes extra = zt::ComposeElement(base, version, false);
            extra.insert(extra.end(), own.begin(), own.end());
            L.ExtraElementBytes = extra;
            L.ExtraElementCount = 1;
            written += Write(dir + "/kind-" + k.Name + "-" + std::to_string(version) + ".eti", zt::ComposeLabel(L));
        }
    }
    written += Write(dir + "/all-kinds-2811.eti", Save(all));
    std::printf("%d seeds written to %s\n", written, dir.c_str());
    return 0;
}
