#include "dialogs/KXDialogEdit.h"

#include "core/KXCodec1252.h"
#include "core/KXError.h"
#include "document/KXBaseLab.h"
#include "document/KXDesignerServices.h"
#include "document/KXElement.h"
#include "prompts/KXPrompts.h"
#include "stream/KXStream.h"

#include <QDialog>

#include <algorithm>

namespace kx {

// ---------------------------------------------------------------------------------------
// Texts

QString ModelToEditor(const QString &Model)
{
    QString text = Model;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

QString EditorToModel(const QString &Editor)
{
    QString text = Editor;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar(0x2029), QLatin1Char('\n')); // paragraph separator of QTextDocument
    text.replace(QChar(0x2028), QLatin1Char('\n')); // line separator
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return text;
}

QString EditorToModel(const QString &Editor, const QString &Original)
{
    return Editor == ModelToEditor(Original) ? Original : EditorToModel(Editor);
}

QString FirstNonAnsi(const QString &Text)
{
    for (qsizetype i = 0; i < Text.size(); ++i) {
        const qsizetype n = (Text.at(i).isHighSurrogate() && i + 1 < Text.size() && Text.at(i + 1).isLowSurrogate()) ? 2 : 1;
        const QString one = Text.mid(i, n);
        if (!IsAnsiText(one.toStdU16String()))
            return one;
        i += n - 1;
    }
    return QString();
}

bool CheckAnsi(const QString &Text, const QString &Field)
{
    const QString bad = FirstNonAnsi(Text);
    if (bad.isEmpty())
        return true;
    const uint code = bad.size() == 2 ? QChar::surrogateToUcs4(bad.at(0), bad.at(1)) : bad.at(0).unicode();
    const QString where = Field.isEmpty() ? QStringLiteral("this text") : QStringLiteral("\"%1\"").arg(Field);
    Prompts().ShowError(QStringLiteral("The character \"%1\" (U+%2) cannot be kept in %3: Windows-1252 has no code for it.")
                            .arg(bad, QString::number(code, 16).toUpper().rightJustified(4, QLatin1Char('0')), where));
    return false;
}

std::string ToAnsi(const QString &Text)
{
    const QString bad = FirstNonAnsi(Text);
    if (!bad.isEmpty())
        throw EKxError("The character \"" + bad.toStdString() + "\" has no Windows-1252 code");
    return WideToAnsi(Text.toStdU16String());
}

QString FromAnsi(const std::string &Ansi) { return QString::fromStdU16String(AnsiToWide(Ansi)); }

// ---------------------------------------------------------------------------------------
// Elements

namespace {

TBytesArray RecordOf(const TKXElement &Element)
{
    TKXStreamWriter w;
    Element.SaveToStream(w);
    return w.TakeBytes();
}

} // namespace

TKXElementEdit::TKXElementEdit(TKXCustomLab &Lab, const std::vector<TKXElement *> &Elements)
    : FLab(Lab), FModified(Lab.Modified()), FStepSize(Lab.ElementsAfected())
{
    for (TKXElement *e : Elements) {
        if (!e)
            continue;
        // A column or row item is recorded as its layout, as every other change is.
        TKXElement *target = e->ItemLayout() ? e->ItemLayout() : e;
        if (std::any_of(FSnapshots.begin(), FSnapshots.end(),
                        [&](const TSnapshot &s) { return s.Serial == target->Serial(); }))
            continue;
        TSnapshot s;
        s.Serial = target->Serial();
        s.Cell = Lab.CellOf(*target);
        try {
            s.Record = RecordOf(*target);
            s.Valid = true;
        } catch (const EKxError &) {
            // A state the record cannot hold: Keep records the element as any change is
            // recorded, and Cancel cannot put it back.
        }
        FSnapshots.push_back(std::move(s));
    }
    FLab.SetUnReIni(0);
}

TKXElementEdit::~TKXElementEdit()
{
    try {
        if (!FDone)
            Restore();
    } catch (...) {
        // A destructor raises nothing; the snapshot stays what it could be made.
    }
    PutRecordingBack();
}

void TKXElementEdit::PutRecordingBack()
{
    if (FRecordingBack)
        return;
    FRecordingBack = true;
    FLab.SetUnReIni(FStepSize);
}

bool TKXElementEdit::Changed() const
{
    for (const TSnapshot &s : FSnapshots) {
        const TKXElement *e = FLab.ElementBySerial(s.Serial);
        if (!e)
            continue;
        if (!s.Valid || FLab.CellOf(*e) != s.Cell)
            return true;
        try {
            if (RecordOf(*e) != s.Record)
                return true;
        } catch (const EKxError &) {
            return true;
        }
    }
    return false;
}

bool TKXElementEdit::Keep()
{
    if (FDone)
        return false;
    FDone = true;
    std::vector<const TSnapshot *> changed;
    for (const TSnapshot &s : FSnapshots) {
        const TKXElement *e = FLab.ElementBySerial(s.Serial);
        if (!e)
            continue;
        bool differs = true;
        if (s.Valid && FLab.CellOf(*e) == s.Cell) {
            try {
                differs = RecordOf(*e) != s.Record;
            } catch (const EKxError &) {
            }
        }
        if (differs)
            changed.push_back(&s);
    }
    if (changed.empty()) {
        PutRecordingBack();
        return false;
    }
    // One step with every changed element, unless recording was off when the dialog
    // opened (the dialog runs inside a change that records itself).
    if (FStepSize > 0) {
        FLab.SetUnReIni(int32_t(changed.size()));
        for (const TSnapshot *s : changed) {
            TKXElement *e = FLab.ElementBySerial(s->Serial);
            if (s->Valid)
                FLab.RecordUndoState(*e, s->Record, s->Cell);
            else
                FLab.RecordUndo(TKXURAction::urProp, *e);
        }
    }
    PutRecordingBack();
    FLab.SetModified(true);
    return true;
}

void TKXElementEdit::Restore()
{
    if (FDone)
        return;
    FDone = true;
    bool restored = false;
    {
        // Recording is still off; records are read at the current version, as they were
        // written.
        TKXCurrentVersionRecords version(FLab);
        for (const TSnapshot &s : FSnapshots) {
            TKXElement *e = FLab.ElementBySerial(s.Serial);
            if (!e || !s.Valid)
                continue;
            try {
                if (RecordOf(*e) == s.Record)
                    continue;
            } catch (const EKxError &) {
            }
            TKXStreamReader r(s.Record);
            r.ReadUInt8(); // the type byte: the element is there
            e->LoadFromStream(r);
            if (TKXLayoutCells *layout = e->AsLayout())
                layout->RealignElements();
            restored = true;
        }
    }
    FLab.SetModified(FModified);
    PutRecordingBack();
    if (restored && FLab.Editor())
        FLab.Editor()->UpdateEditor(false);
}

void ConnectElementEdit(QDialog &Dialog, TKXElementEdit &Edit)
{
    QObject::connect(&Dialog, &QDialog::finished, &Dialog, [&Edit](int Result) {
        if (Result == QDialog::Accepted)
            Edit.Keep();
        else
            Edit.Restore();
    });
}

} // namespace kx
