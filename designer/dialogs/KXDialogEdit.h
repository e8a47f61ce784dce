// What every dialog that edits a label follows.
//
// Texts: an "ANSI" text of the model is Windows-1252 through the project's codec, never the
// local 8-bit encoding; a character Windows-1252 cannot carry is refused with a message
// (CheckAnsi), never replaced in silence. Multi-line texts are CR LF in the model and LF in
// Qt's editors, converted at the boundary only (ModelToEditor, EditorToModel), so opening a
// dialog and closing it without a change leaves every text as it was.
//
// Elements: TKXElementEdit takes the edited elements' records when the dialog opens and
// switches undo recording off, so the dialog's live changes record nothing. Keep() records
// exactly one undo step - the states from the snapshot - when something changed and marks
// the label modified; Restore() (Cancel, Escape, the close box) puts the snapshot back and
// records nothing; an edit that ends without either (an exception) restores as well. At the
// end recording is as it was before the dialog opened.
#pragma once

#include "core/KXTypes.h"
#include "document/KXUndoRecorder.h"

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

class QDialog;

namespace kx {

class TKXCustomLab;
class TKXElement;

// --- Texts ------------------------------------------------------------------------------

// CR LF -> LF for a Qt editor; a lone CR stays.
QString ModelToEditor(const QString &Model);
// An editor's text -> the model's: every line break (LF, CR LF, or Qt's paragraph and line
// separators) becomes CR LF.
QString EditorToModel(const QString &Editor);
// As above, but Original (the model's text the editor was filled from) comes back unchanged
// when the editor still shows it, line breaks and all.
QString EditorToModel(const QString &Editor, const QString &Original);

// The first character of Text that Windows-1252 lacks (a surrogate pair counts as one);
// empty when there is none.
QString FirstNonAnsi(const QString &Text);
// Whether Text can be an "ANSI" text; when not, tells the person through Prompts() which
// character cannot be kept (Field names the field, may be empty) and answers false.
bool CheckAnsi(const QString &Text, const QString &Field = QString());
// Text as Windows-1252 bytes; throws EKxError for a character the code page lacks.
std::string ToAnsi(const QString &Text);
QString FromAnsi(const std::string &Ansi);

// --- Elements ---------------------------------------------------------------------------

class TKXElementEdit {
public:
    // Takes the elements' records and layout cells, the label's modified flag and its undo
    // step size, then switches recording off.
    TKXElementEdit(TKXCustomLab &Lab, const std::vector<TKXElement *> &Elements);
    // Restores when neither Keep nor Restore was called; puts recording back.
    ~TKXElementEdit();
    TKXElementEdit(const TKXElementEdit &) = delete;
    TKXElementEdit &operator=(const TKXElementEdit &) = delete;

    // Whether an element's record or cell differs from its snapshot.
    bool Changed() const;
    // The dialog's OK: one undo step holding the snapshot states of the changed elements,
    // and the label marked modified; nothing when nothing changed. Answers whether
    // something changed.
    bool Keep();
    // The dialog's Cancel: every element gets its snapshot back and the label its modified
    // flag; nothing is recorded.
    void Restore();

private:
    struct TSnapshot {
        uint64_t Serial = 0;
        TBytesArray Record;
        TKXLayoutCell Cell;
        bool Valid = false; // the record could be written
    };
    void PutRecordingBack();

    TKXCustomLab &FLab;
    std::vector<TSnapshot> FSnapshots;
    bool FModified;
    int32_t FStepSize; // the undo step size when the dialog opened
    bool FDone = false;
    bool FRecordingBack = false;
};

// Closes Edit with Dialog: accepted keeps the change, any other end (Cancel, Escape, the
// close box) restores the snapshot. Edit must outlive the dialog's end.
void ConnectElementEdit(QDialog &Dialog, TKXElementEdit &Edit);

} // namespace kx
