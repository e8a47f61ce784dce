// An enhanced metafile written through libEMF (see PictureFixtures.h).
#include <libEMF/emf.h>

#include <cstdio>
#include <string>

std::string ZtWriteTwoColourEmf()
{
    FILE *fp = std::tmpfile();
    if (!fp)
        return {};
    // The frame in hundredths of a millimetre; libEMF's reference device has 3.2 pixels a
    // millimetre, so the 20 x 10 mm frame is 64 x 32 device units.
    const RECT frame{0, 0, 2000, 1000};
    // The description: program and picture names, each ended by a NUL, then one more.
    static const char description[] = "zt\0two colours\0";
    HDC dc = CreateEnhMetaFileWithFILEA(0, fp, &frame, description);
    SelectObject(dc, GetStockObject(NULL_PEN));
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    SelectObject(dc, red);
    Rectangle(dc, 0, 0, 32, 32);
    SelectObject(dc, blue);
    Rectangle(dc, 32, 0, 64, 32);
    HENHMETAFILE mf = CloseEnhMetaFileWithFILE(dc);
    std::string bytes;
    const long n = std::ftell(fp);
    if (n > 0) {
        std::rewind(fp);
        bytes.resize(size_t(n));
        if (std::fread(bytes.data(), 1, bytes.size(), fp) != bytes.size())
            bytes.clear();
    }
    DeleteEnhMetaFile(mf);
    std::fclose(fp);
    return bytes;
}
