// Metafile mutation run, started by hand (ctest runs a short smoke of it):
//
//   build/tests/metafile_mutation [--count N] [--seed S] [--deadline-ms D] [--keep FOLDER]
//
// Mutates enhanced and placeable metafiles (bit flips, bytes and 16/32-bit fields set to
// edge values, cut, repeated and spliced ranges, bitmap records with every header size) and
// loads and draws each one as the program does, in a child process of its own with a
// deadline. A child that crashes or passes the deadline is a fault; its input is kept in
// FOLDER when given. Exit status 0 when there is none.
#include "platform/KXPicture.h"
#include "GuiApp.h"
#include "PictureFixtures.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

// Last: its Windows headers define min and max as macros.
#include <libEMF/emf.h>
#undef min
#undef max

using namespace kx;

namespace {

QByteArray Le16(uint16_t v)
{
    return QByteArray(1, char(v & 0xFF)) + QByteArray(1, char(v >> 8));
}

QByteArray Le32(uint32_t v)
{
    return Le16(uint16_t(v & 0xFFFF)) + Le16(uint16_t(v >> 16));
}

// A placeable metafile record: size in words, function, parameters.
QByteArray Record(uint16_t Function, const QByteArray &Params)
{
    QByteArray p = Params;
    if (p.size() % 2)
        p.append('\0');
    return Le32(uint32_t(3 + p.size() / 2)) + Le16(Function) + p;
}

// A 4 x 4 bitmap at 24 bits with an info header.
QByteArray SmallDib()
{
    QByteArray d = Le32(40) + Le32(4) + Le32(4) + Le16(1) + Le16(24) + Le32(0) + Le32(48) + QByteArray(16, '\0');
    for (int i = 0; i < 48; ++i)
        d.append(char(i * 37));
    return d;
}

// An enhanced metafile with shapes, a path, text and a bitmap, written through libEMF.
QByteArray RichEmf()
{
    FILE *fp = std::tmpfile();
    if (!fp)
        return {};
    const RECT frame{0, 0, 3000, 2000};
    static const char description[] = "zt\0mutation seed\0";
    HDC dc = CreateEnhMetaFileWithFILEA(0, fp, &frame, description);
    HPEN pen = CreatePen(PS_DASH, 2, RGB(0, 128, 0));
    SelectObject(dc, pen);
    HBRUSH brush = CreateSolidBrush(RGB(200, 50, 50));
    SelectObject(dc, brush);
    Rectangle(dc, 2, 2, 40, 30);
    Ellipse(dc, 30, 10, 90, 60);
    const POINT line[] = {{0, 0}, {20, 40}, {60, 5}, {90, 60}};
    Polyline(dc, line, 4);
    PolyBezier(dc, line, 4);
    BeginPath(dc);
    Polyline(dc, line, 4);
    EndPath(dc);
    FillPath(dc);
    Arc(dc, 5, 5, 50, 50, 0, 0, 50, 50);
    SetTextColor(dc, RGB(0, 0, 255));
    ExtTextOutA(dc, 10, 20, 0, nullptr, "Label", 5, nullptr);
    const QByteArray dib = SmallDib();
    StretchDIBits(dc, 50, 30, 20, 20, 0, 0, 4, 4, dib.constData() + 40,
                  reinterpret_cast<const BITMAPINFO *>(dib.constData()), DIB_RGB_COLORS, SRCCOPY);
    HENHMETAFILE mf = CloseEnhMetaFileWithFILE(dc);
    QByteArray bytes;
    const long n = std::ftell(fp);
    if (n > 0) {
        std::rewind(fp);
        bytes.resize(n);
        if (std::fread(bytes.data(), 1, size_t(n), fp) != size_t(n))
            bytes.clear();
    }
    DeleteEnhMetaFile(mf);
    std::fclose(fp);
    return bytes;
}

std::vector<QByteArray> Seeds()
{
    const QByteArray dib = SmallDib();
    std::vector<QByteArray> seeds = {
        zt::TwoColourEmf(),
        zt::TwoColourWmf(),
        // Stretched bitmap, stretch to device, set to device, bit block, pattern brush, and
        // a text and a polygon.
        zt::TwoColourWmfWith(Record(0x0B41, QByteArray(20, '\0') + dib)),
        zt::TwoColourWmfWith(Record(0x0F43, QByteArray(22, '\0') + dib)),
        zt::TwoColourWmfWith(Record(0x0D33, QByteArray(18, '\0') + dib)),
        zt::TwoColourWmfWith(Record(0x0940, QByteArray(16, '\0') + dib)),
        zt::TwoColourWmfWith(Record(0x0142, QByteArray(4, '\0') + dib)),
        zt::TwoColourWmfWith(Record(0x0521, Le16(5) + QByteArray("Label", 5) + QByteArray(1, '\0') + Le16(20) +
                                                Le16(10))),
        zt::TwoColourWmfWith(Record(0x0324, Le16(3) + Le16(0) + Le16(0) + Le16(100) + Le16(50) + Le16(20) +
                                                Le16(90))),
    };
    const QByteArray rich = RichEmf();
    if (!rich.isEmpty())
        seeds.push_back(rich);
    return seeds;
}

// One mutation of a seed.
QByteArray Mutate(const std::vector<QByteArray> &Seeds, std::mt19937 &Rng)
{
    QByteArray b = Seeds[Rng() % Seeds.size()];
    const auto pick = [&Rng](qsizetype n) { return n > 0 ? qsizetype(Rng() % uint32_t(n)) : 0; };
    static const uint32_t edge[] = {0, 1, 2, 3, 12, 40, 0x7F, 0x80, 0xFF, 0x7FFF, 0x8000, 0xFFFF,
                                    0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu};
    const int steps = Rng() % 4 == 0 ? 2 + int(Rng() % 3) : 1;
    for (int s = 0; s < steps && !b.isEmpty(); ++s) {
        // Mostly past the first header bytes, so the picture is still recognised.
        const qsizetype at = std::min<qsizetype>(b.size() - 1, 4 + pick(b.size() - 4));
        switch (Rng() % 8) {
        case 0: // flip bits
            b[at] = char(b[at] ^ char(1 << (Rng() % 8)));
            break;
        case 1: // a random byte
            b[at] = char(Rng());
            break;
        case 2: // a 16-bit field to an edge value, aligned
        {
            const qsizetype a = at & ~qsizetype(1);
            if (a + 2 <= b.size())
                b.replace(a, 2, Le16(uint16_t(edge[Rng() % std::size(edge)])));
            break;
        }
        case 3: // a 32-bit field to an edge value
        {
            const qsizetype a = at & ~qsizetype(1);
            if (a + 4 <= b.size())
                b.replace(a, 4, Le32(edge[Rng() % std::size(edge)]));
            break;
        }
        case 4: // cut the end
            b.truncate(std::max<qsizetype>(4, at));
            break;
        case 5: // a range removed
            b.remove(at, std::min<qsizetype>(b.size() - at, 1 + pick(64)));
            break;
        case 6: // a range repeated
            b.insert(at, b.mid(at, 1 + pick(64)));
            break;
        default: // a range from another seed
        {
            const QByteArray &other = Seeds[Rng() % Seeds.size()];
            const qsizetype from = pick(other.size());
            b.insert(at, other.mid(from, 1 + pick(128)));
            break;
        }
        }
    }
    return b;
}

// What the program does with a picture: load it, and draw it as the picture element does,
// plain, turned and through a painter.
int LoadAndDraw(const QByteArray &Bytes)
{
    TKXGraphic g;
    if (!g.Load(TKXGraphicClass::gcMetafile, Bytes))
        return 1;
    const QSize size = g.PixelSize().boundedTo({800, 800});
    for (int angle : {0, 90})
        (void)g.Render(size, angle, angle != 0);
    QImage image(200, 100, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    if (g.Svg())
        g.Svg()->render(&p, QRectF(0, 0, 200, 100));
    p.end();
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    int count = 3000;
    unsigned seed = 1;
    int deadlineMs = 20000; // above the loader's own bound
    QString keep;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--count")
            count = std::atoi(argv[i + 1]);
        else if (a == "--seed")
            seed = unsigned(std::strtoul(argv[i + 1], nullptr, 10));
        else if (a == "--deadline-ms")
            deadlineMs = std::atoi(argv[i + 1]);
        else if (a == "--keep")
            keep = QString::fromLocal8Bit(argv[i + 1]);
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    zt::RequireGuiApp();
    const std::vector<QByteArray> seeds = Seeds();
    std::mt19937 rng(seed);
    int loaded = 0, refused = 0, crashed = 0, hung = 0, slow = 0;
    double slowest = 0;
    using Clock = std::chrono::steady_clock;
    const Clock::time_point begin = Clock::now();
    for (int n = 0; n < count; ++n) {
        // The seeds themselves first: each must load.
        const QByteArray bytes = size_t(n) < seeds.size() ? seeds[size_t(n)] : Mutate(seeds, rng);
        std::fflush(nullptr);
        const Clock::time_point start = Clock::now();
        const pid_t child = ::fork();
        if (child < 0) {
            std::perror("fork");
            return 2;
        }
        if (child == 0)
            ::_exit(LoadAndDraw(bytes));
        int status = 0;
        bool timedOut = false;
        for (;;) {
            const pid_t r = ::waitpid(child, &status, WNOHANG);
            if (r == child)
                break;
            if (Clock::now() - start > std::chrono::milliseconds(deadlineMs)) {
                ::kill(child, SIGKILL);
                ::waitpid(child, &status, 0);
                timedOut = true;
                break;
            }
            ::usleep(1000);
        }
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        slowest = std::max(slowest, ms);
        if (ms > 1000)
            ++slow;
        const char *fault = nullptr;
        if (timedOut) {
            ++hung;
            fault = "hang";
        } else if (WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) > 1)) {
            ++crashed;
            fault = "crash";
        } else if (WEXITSTATUS(status) == 0) {
            ++loaded;
        } else {
            ++refused;
        }
        if (!fault && size_t(n) < seeds.size() && WEXITSTATUS(status) != 0) {
            ++crashed;
            fault = "seed refused";
        }
        if (fault) {
            std::printf("%s: input %d (%lld bytes)\n", fault, n, (long long)bytes.size());
            if (!keep.isEmpty()) {
                QDir().mkpath(keep);
                zt::WriteFile(QDir(keep).filePath(QStringLiteral("%1-%2-%3.bin").arg(fault).arg(seed).arg(n)), bytes);
            }
        }
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    std::printf("%d mutated metafiles from %zu seeds (seed %u) in %.1f s: %d loaded and drawn, %d refused, "
                "%d crashed, %d hung; %d took over 1 s, the slowest %.0f ms\n",
                count, seeds.size(), seed, seconds, loaded, refused, crashed, hung, slow, slowest);
    return crashed == 0 && hung == 0 ? 0 : 1;
}
