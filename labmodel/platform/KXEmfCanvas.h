// The canvas that writes an enhanced metafile (EMF) through libEMF: the page drawn as
// vectors (texts, lines and shapes stay what they are), clipped by the vector canvas.
#pragma once

#include "platform/KXVectorCanvas.h"

#include <QByteArray>

namespace kx {

class TKXEmfCanvas final : public TKXVectorCanvas {
public:
    // A page of Width x Height hundredths of a millimetre shown on DeviceWidth x DeviceHeight
    // device units, as a page metafile: the canvas's mapping takes label units to those device
    // units, and the file keeps hundredths of a millimetre. Throws EKxError when libEMF cannot
    // start the file.
    TKXEmfCanvas(int32_t Width, int32_t Height, int32_t DeviceWidth, int32_t DeviceHeight);
    ~TKXEmfCanvas() override;

    // Ends the recording and answers the file's bytes; throws EKxError when a record could
    // not be written. Nothing may be drawn afterwards.
    QByteArray Finish();
};

} // namespace kx
