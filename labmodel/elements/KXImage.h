// The picture element: a picture stretched into the rectangle from P1 to P2.
//
// The picture comes from a file (with a fallback path relative to the program's folder),
// from bytes embedded in the label file, or, when printing, from a blob field of the
// current record. The element can keep the picture's aspect ratio, size itself to the
// picture, turn it by 90, 180 or 270 degrees (counter-clockwise) and draw it in grey; the
// turned or grey copy is prepared once and rebuilt only when it is stale. A missing or
// invalid picture shows, on the design surface, as an outlined box with a red message.
//
// Embedded pictures travel with their bytes in every record the element writes: label
// files, undo records and the designer's copy stream.
#pragma once

#include "document/KXElement.h"
#include "platform/KXPicture.h"

#include <QImage>
#include <QString>

namespace kx {

class TKXImage : public TKXData {
public:
    explicit TKXImage(TKXCustomLab *AOwner);
    ~TKXImage() override;
    const TKXPropTable &Published() const override;
    static const TKXClassInfo &ClassInfo();
    const TKXClassInfo &ClassType() const override { return ClassInfo(); }
    TKXEle ElementType() const override { return TKXEle::deImage; }
    TRect GetRect() const override { return {FP1.x, FP1.y, FP2.x, FP2.y}; }
    void Draw(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, TKXFillType fill) override;
    void Rotated(bool) override { FImgChange = true; }

    // --- Properties ----------------------------------------------------------------------
    // The picture file; loading it is part of the setter. Ignored while the element is
    // bound to a field. An empty path removes the picture.
    QString FileImage() const { return FFileImage; }
    void SetFileImage(const QString &Value);
    // The picture file's path relative to the program's folder, kept for label files moved
    // together with the program.
    QString Relative() const { return FRelative; }
    bool GrayScale() const { return FGrayScale; }
    void SetGrayScale(bool Value);
    bool Aspect() const { return FAspect; }
    void SetAspect(bool Value);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    // The picture's bytes travel inside the label file. Stored directly, no notification.
    bool Embeded() const { return FEmbeded; }
    void SetEmbeded(bool Value) { FEmbeded = Value; }
    // Width and height of the rectangle in the document's units (P2 moves).
    float ImageWidth() const;
    void SetImageWidth(float Value);
    float ImageHeight() const;
    void SetImageHeight(float Value);
    void SetTransparent(bool Value) override;
    void SetAngle(int32_t Value) override;

    // A picture is available for drawing.
    bool Valid() const { return FValid; }
    // The element's own picture (from its file or its embedded bytes).
    const TKXGraphic &Picture() const { return FPic; }
    // Takes a picture from bytes (the designer's picture paste); false when they hold none.
    bool LoadPictureBytes(const QByteArray &Bytes);
    // The message the empty-image marker shows.
    QString EmptyText() const { return FEmptyText; }
    // The prepared (turned and/or grey) picture of the last drawing that needed one.
    const QImage &Prepared() const { return FBitComo; }

    // Loads FileImage; on failure the picture is gone and "INVALID FILE : " with the path
    // goes to the user through the UI services.
    void LoadImage();

    // --- Placement -------------------------------------------------------------------------
    // The editor placed the element (screen rectangle): P2 follows the border's right and
    // bottom edges.
    void SetBorder(const TRect &Value) override;

    // --- Streaming ----------------------------------------------------------------------------
    void SaveToStream(TKXStreamWriter &Stream) const override;
    void LoadFromStream(TKXStreamReader &Stream) override;

    // The program's folder, against which Relative is taken.
    static QString ProgramFolder();

protected:
    static void AddPublished(TKXPropTable &t);

private:
    // The picture this drawing shows: the bound field's on output, else the element's own;
    // null when there is none. Sets FValid and FEmptyText as the field says.
    const TKXGraphic *PictureToDraw(TKXDrawType DrawType, TKXFillType fill);
    bool DrawsOn(TKXDrawType DrawType) const;
    void ForgetKeptBytes();
    void PaintPicture(TKXCanvas &Canvas, const TKXGraphic &G, const TRect &R);
    void PaintEmpty(TKXCanvas &Canvas, const TRect &R);
    void PaintLocked(TKXCanvas &Canvas, TPoint po);

    bool FImgChange = true;     // FBitComo must be rebuilt before its next use
    QImage FBitComo;            // the turned and/or grey picture
    QSize FBitComoTarget;       // metafiles: the device size it was rendered for
    QString FFileImage;
    QString FRelative;
    TKXGraphic FPic;            // the element's own picture
    TKXGraphic FFieldPic;       // the picture of the current record, while printing
    const TKXGraphic *FBitComoSource = nullptr;
    // Embedded bytes read from a record that no picture class decodes: kept as they were
    // read and written back unchanged until the element gets another picture.
    QByteArray FKeptBytes;
    bool FKeptEmbedded = false;
    bool FValid = false;
    bool FAspect = true;
    bool FAutoSize = false;
    bool FGrayScale = false;
    mutable bool FEmbeded = false;
    QString FEmptyText;
};

} // namespace kx
