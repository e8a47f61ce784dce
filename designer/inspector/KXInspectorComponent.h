// The inspector the program places beside the editor: the rows of TKXCustomInspector
// with their names (English, Spanish, Dutch or the "inspector" section of a translation
// file) and the painting of the grid.
#pragma once

#include "inspector/KXInspector.h"

class QPainter;

namespace kx::designer {

class TKXInspector : public TKXCustomInspector {
public:
    // --- Lifecycle -----------------------------------------------------------------------
    explicit TKXInspector(QWidget *Parent = nullptr);

    // --- Captions ------------------------------------------------------------------------
    // Reads the current captions from the file named by IniTranslate (section "inspector",
    // key "KXI" + the property name, the English caption by default). Without such a file
    // the captions of the language in force are shown and the current captions stay as
    // they were.
    void LoadTranslation() override;
    // The last LoadTranslation found its file.
    bool Translated() const { return FTranslate; }
    // The caption of a listed property name.
    QString Caption(const QString &PropName) const;

    // --- Painting ------------------------------------------------------------------------
    // The text a value cell shows for the kinds drawn as text: lengths in the label's units
    // ("1,234.50 mm"), factors with two decimals, enumerations by their value's name.
    QString ValueText(const TKxProp &Row) const;
    // The grid's background and the ground of every value cell.
    QColor Color() const;
    void SetColor(const QColor &Value);

protected:
    void paintEvent(QPaintEvent *Event) override;

private:
    void PaintRow(QPainter &p, const TKxProp &Row, const QRect &NameCell, const QRect &ValueCell, int q);
    void PaintValue(QPainter &p, const TKxProp &Row, const QRect &Cell, int q);
    void PaintSymbolValue(QPainter &p, const QRect &Cell, int q);

    bool FTranslate = false;
};

} // namespace kx::designer
