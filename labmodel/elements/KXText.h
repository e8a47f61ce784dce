// Single-line text elements: a fixed text or the value of a bound field or counter
// (TKXText), the same between a fixed prefix and suffix (TKXAddText), and a text the user
// answers when printing (TKXAskText).
//
// TKXDataText holds the text, its format, the font styles, the shadow and the text box
// (layout and drawing, shared with the paragraph kind); TKXShadowDataText publishes the text
// properties and keeps the geometry kind in step with the binding. A text is placed by its
// anchor P1: TextAlign says which of the nine points of the text box P1 is, the box is
// measured from the shown text at every drawing, and the angle turns the box about P1.
// Lengths are hundredths of a millimetre.
#pragma once

#include "core/KXUtils.h"
#include "document/KXElement.h"

#include <QString>

namespace kx {

class TKXCanvas;

class TKXDataText : public TKXData {
public:
    explicit TKXDataText(TKXCustomLab *AOwner);
    const TKXPropTable &Published() const override;
    static const TKXClassInfo &ClassInfo();
    const TKXClassInfo &ClassType() const override { return ClassInfo(); }

    // --- Properties ----------------------------------------------------------------------
    bool Bold() const { return FBold; }
    void SetBold(bool Value);
    bool Underline() const { return FUnderline; }
    void SetUnderline(bool Value);
    bool Italic() const { return FItalic; }
    void SetItalic(bool Value);
    bool Shadow() const { return FShadow; }
    void SetShadow(bool Value);
    // The design text; for a bound element the caption of its field.
    QString Text() const { return FText; }
    void SetText(const QString &Value);
    // Pattern applied to the field value (FormatFloat / FormatDateTime patterns).
    QString DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const QString &Value);
    // Which point of the text box the anchor P1 is; P1 stays where it is.
    TTextAlign TextAlign() const { return FAlign; }
    void SetTextAlign(TTextAlign Value);
    TColor ShadowColor() const { return FShadowColor; }
    void SetShadowColor(TColor Value);
    // Shadow offset in the document's units; only a shadowed text notifies and marks the
    // document modified.
    float GapX() const;
    void SetGapX(float Value);
    float GapY() const;
    void SetGapY(float Value);
    // Character extra spacing in millimetres whatever the Units (stored in hundredths).
    float Separation() const;
    void SetSeparation(float Value);

    // --- Binding -------------------------------------------------------------------------
    // A bound text shows its field's caption on the design surface.
    void SetData(bool Value) override;
    void SetFieldName(const QString &Value) override;

    // --- Placement -----------------------------------------------------------------------
    // The editor moved or sized the text (screen rectangle): P1 follows the box by
    // TextAlign and angle; a bound text takes its design width from the box.
    void SetBorder(const TRect &Value) override;
    // Size of Text with the element's font (without character spacing), plus the shadow gap
    // and the border, in the document's units. The first form measures on a metafile canvas.
    TKXPoint2D GetTextSize() const;
    TKXPoint2D GetTextSize(TKXCanvas &Canvas) const;

    // The box of the last drawing: size, unturned top-left, text and shadow origins.
    TSize BoxSize() const { return FSize; }
    TSize TextSize() const { return FSizeTxt; }
    TPoint BoxTopLeft() const { return FTL; }
    TPoint TextOrigin() const { return FP; }
    TPoint ShadowOrigin() const { return SP; }

    // --- Streaming: record D, then record T ----------------------------------------------
    void SaveToStream(TKXStreamWriter &Stream) const override;
    void LoadFromStream(TKXStreamReader &Stream) override;

protected:
    static void AddPublished(TKXPropTable &t);

    // The shadow-text kinds keep their geometry kind in step with the binding.
    virtual void UpdateGeometryKind() {}
    // The fixed part of an added text (Before + After): the least design width.
    virtual QString FixedText() const { return {}; }
    // Whether the element draws on that target at all.
    bool DrawsOn(TKXDrawType DrawType) const;
    // On output, the value of a bound element for the fill type: the counter's formatted
    // value (empty when the counter is gone) or the field text. False when the fill type
    // keeps the design text.
    bool BoundValue(TKXFillType fill, QString &Value) const;
    // Raises the document's OnPrintText with the element's ID and Text.
    void PrintTextEvent(QString &Text);
    // Font, brush and spacing set-up, box layout and drawing of the shown text T.
    void DrawText(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, const QString &T);
    void SetupFont(TKXCanvas &Canvas) const;
    void LayoutBox(TKXCanvas &Canvas, TKXDrawType DrawType, const QString &T);

    TSize FSize;            // text box: text + shadow gap + border
    TSize FSizeTxt;         // text alone, or the design width in its place
    TPoint SP;              // shadow origin
    TPoint FP;              // text origin: top-left of the first character cell
    TPoint FTL;             // top-left of the box before rotation
    TPoint FShadowGap{50, 50};
    QString FText = QStringLiteral("-");
    QString FBefore;
    QString FDisplayFormat; // ANSI in label files
    TColor FShadowColor = 0x808080;
    bool FBold = false;
    bool FItalic = false;
    bool FUnderline = false;
    bool FShadow = false;
};

class TKXShadowDataText : public TKXDataText {
public:
    explicit TKXShadowDataText(TKXCustomLab *AOwner) : TKXDataText(AOwner) {}
    const TKXPropTable &Published() const override;
    static const TKXClassInfo &ClassInfo();
    const TKXClassInfo &ClassType() const override { return ClassInfo(); }
    TRect GetRect() const override { return {FP1.x, FP1.y, -1, -1}; }
    void LoadFromStream(TKXStreamReader &Stream) override;

protected:
    static void AddPublished(TKXPropTable &t);
    // stRectText while bound to a field or counter, stPoint otherwise.
    void UpdateGeometryKind() override;
};

class TKXText : public TKXShadowDataText {
public:
    explicit TKXText(TKXCustomLab *AOwner) : TKXShadowDataText(AOwner) {}
    const TKXPropTable &Published() const override;
    static const TKXClassInfo &ClassInfo();
    const TKXClassInfo &ClassType() const override { return ClassInfo(); }
    TKXEle ElementType() const override { return TKXEle::deText; }
    void Draw(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, TKXFillType fill) override;
    void SaveToStream(TKXStreamWriter &Stream) const override;

protected:
    static void AddPublished(TKXPropTable &t);
};

class TKXAddText : public TKXShadowDataText {
public:
    explicit TKXAddText(TKXCustomLab *AOwner);
    const TKXPropTable &Published() const override;
    static const TKXClassInfo &ClassInfo();
    const TKXClassInfo &ClassType() const override { return ClassInfo(); }
    TKXEle ElementType() const override { return TKXEle::deAddText; }
    void Draw(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, TKXFillType fill) override;
    void Normalize() override {}

    QString Before() const { return FBefore; }
    void SetBefore(const QString &Value);
    QString After() const { return FAfter; }
    void SetAfter(const QString &Value);

    void SaveToStream(TKXStreamWriter &Stream) const override;
    void LoadFromStream(TKXStreamReader &Stream) override;

protected:
    static void AddPublished(TKXPropTable &t);
    QString FixedText() const override { return FBefore + FAfter; }
    QString FAfter = QStringLiteral("Post");
};

class TKXAskText : public TKXShadowDataText {
public:
    explicit TKXAskText(TKXCustomLab *AOwner);
    const TKXPropTable &Published() const override;
    static const TKXClassInfo &ClassInfo();
    const TKXClassInfo &ClassType() const override { return ClassInfo(); }
    TKXEle ElementType() const override { return TKXEle::deAskText; }
    void Draw(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, TKXFillType fill) override;

    QString Question() const { return FQuestion; }
    void SetQuestion(const QString &Value);
    // The user's reply, stored by the label component before printing: no undo record.
    QString Answer() const { return FAnswer; }
    void SetAnswer(const QString &Value);

    void SaveToStream(TKXStreamWriter &Stream) const override;
    void LoadFromStream(TKXStreamReader &Stream) override;

protected:
    static void AddPublished(TKXPropTable &t);
    QString FQuestion = QStringLiteral("Question");
    QString FAnswer = QStringLiteral("Answer");
};

} // namespace kx
