// Saving one preview page as a picture file: PNG, 24-bit BMP, JPEG and GIF pictures of the
// page image (one pixel a tenth of a millimetre, as large as the page's metafile reports
// itself), and enhanced (EMF) or placeable 16-bit (WMF) metafiles in which the page is drawn
// again as vectors.
//
// Every file is made whole in memory and then written to a temporary file that is renamed
// into place, so a failure leaves no file (and an old file of that name as it was).
#pragma once

#include <QString>

#include <cstdint>

class QByteArray;
class QImage;

namespace kx {

class TKXCustomLab;

enum class TKXPageFormat { Bmp, Jpeg, Gif, Png, Emf, Wmf };

// Saves page PageNo (from 1) of the label's prepared preview (BuildOnDemandPreview) as
// FileName in Format. JpegQuality (1..100, clamped) is used by JPEG only. Throws EKxError
// with the reason when the page does not exist or the file cannot be made or written; no
// file is left then.
void SavePagePicture(TKXCustomLab &Lab, int32_t PageNo, TKXPageFormat Format, const QString &FileName,
                     int JpegQuality = 90);

// The steps of SavePagePicture, for the tests and the benchmarks.
// The page image: the page's metafile played onto a white image of its device size.
QImage PageImage(TKXCustomLab &Lab, int32_t PageNo);
// The file's bytes in Format.
QByteArray PagePictureBytes(TKXCustomLab &Lab, int32_t PageNo, TKXPageFormat Format, int JpegQuality = 90);
// The page as an enhanced metafile, drawn again as vectors.
QByteArray EmfBytes(TKXCustomLab &Lab, int32_t PageNo);
// The page as a placeable 16-bit metafile, drawn again as vectors.
QByteArray WmfBytes(TKXCustomLab &Lab, int32_t PageNo);
// Image as a GIF file: exact colours when it has at most 256, else quantised to 256.
QByteArray GifBytes(const QImage &Image);
// Writes Bytes through a temporary file renamed into place; throws EKxError with the
// reason, leaving no file.
void WriteFileAtomically(const QString &FileName, const QByteArray &Bytes);

} // namespace kx
