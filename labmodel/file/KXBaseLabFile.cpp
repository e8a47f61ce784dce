// The label document's file operations and the entry points of its undo history.
#include "document/KXBaseLab.h"

#include "data/KXDataset.h"
#include "file/KXLabelFile.h"
#include "stream/KXStream.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

#include <span>

namespace kx {

namespace {

const char *const ErrorReadingFile = "ERROR READING FILE";

// Sets a flag for a scope and puts the previous value back.
class TFlagScope {
public:
    TFlagScope(bool &Flag, bool Value) : FFlag(Flag), FOld(Flag) { FFlag = Value; }
    ~TFlagScope() { FFlag = FOld; }
    TFlagScope(const TFlagScope &) = delete;
    TFlagScope &operator=(const TFlagScope &) = delete;

private:
    bool &FFlag;
    bool FOld;
};

// After a label is read: print range from the first place of the sheet, and with an editor
// the zoom, the guides and the placement of aligned elements. The label is as the file has
// it, so nothing here is an edit to undo or a change to save.
void FollowUpLoad(TKXCustomLab &Lab)
{
    Lab.PrintInfo()->SetFirstRow(1);
    Lab.PrintInfo()->SetFirstCol(1);
    if (TKXCustomEditor *ed = Lab.Editor()) {
        ed->RecalcZoom(true);
        if (TKXDataRuler *ruler = ed->DataRuler()) {
            ruler->PutAlignX(Lab.BackSurf()->AlignX(), true);
            ruler->PutAlignY(Lab.BackSurf()->AlignY(), true);
        }
        ed->UpdateEditor(false);
        Lab.ReapplyEleAlign();
        if (TKXDataRuler *ruler = ed->DataRuler())
            ruler->SetCoorSelect(0, 0, 0, 0);
        ed->FZoomChanged = false;
    }
    Lab.SetModified(false);
}

// What a failed LoadLabel puts back: the label cleared, with the settings and catalogue it
// had before the load began.
class TLoadRestore {
public:
    explicit TLoadRestore(TKXCustomLab &Lab) : FLab(Lab) {}
    // Takes the document's state as it is now (once it is cleared).
    void Keep()
    {
        FHeader = TKXLabelFile::Capture(FLab);
        FVersion = FLab.FileVersion();
        FCatalogue.Assign(FLab.Datasets());
        FKept = true;
    }
    void Undo()
    {
        FLab.Clear();
        FLab.ClearCounters();
        if (!FKept)
            return;
        FLab.Datasets().Assign(FCatalogue);
        FLab.SetFileVersion(FVersion);
        try {
            TKXLabelFile::Apply(FHeader, FLab);
        } catch (const EKxError &) {
            // The old background picture no longer loads; its name is back all the same.
        }
    }

private:
    TKXCustomLab &FLab;
    TKXLabelHeader FHeader;
    TKXDatasets FCatalogue;
    int32_t FVersion = TKXCustomLab::CurrentVersion;
    bool FKept = false;
};

} // namespace

// ---------------------------------------------------------------------------------------
// Writing

void TKXCustomLab::SaveToStream(TKXStreamWriter &Stream)
{
    TKXStreamWriter out;
    {
        TFlagScope inStream(FLoading, true);
        TKXLabelFile::WriteHeader(TKXLabelFile::Capture(*this), out);
        out.WriteInt32(ElementCount());
        for (const auto &e : FElements)
            e->SaveToStream(out);
    }
    // Only a complete label reaches the caller's stream.
    Stream.WriteBytes(out.Bytes());
    FModified = false;
}

void TKXCustomLab::SaveToFile(const QString &FileName)
{
    TKXStreamWriter out;
    const bool modified = FModified;
    SaveToStream(out);
    FModified = modified;
    QSaveFile file(FileName);
    if (!file.open(QIODevice::WriteOnly))
        throw EKxError(file.errorString().toStdString());
    const TBytesArray &bytes = out.Bytes();
    // A write cut short (disk full, file-size limit) is not an error to QSaveFile: it would
    // even commit the cut file. The reason is the system's, taken right where the write or
    // the flush falls short; the temporary file is then dropped and the old file stays.
    errno = 0;
    bool written = file.write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size())) == qint64(bytes.size());
    if (written)
        written = file.flush();
    if (!written) {
        const int error = errno;
        const std::string reason = error != 0 ? std::strerror(error)
                                   : file.error() != QFileDevice::NoError ? file.errorString().toStdString()
                                                                           : std::string("the file was not written whole");
        file.cancelWriting();
        throw EKxError(reason);
    }
    if (!file.commit())
        throw EKxError(file.errorString().toStdString()); // QSaveFile drops the temporary file
    FModified = false;
}

// ---------------------------------------------------------------------------------------
// Reading

void TKXCustomLab::LoadFromStream(TKXStreamReader &Stream, bool Preview)
{
    FCurDrawType = Preview ? TKXDrawType::tdOpenDialog : TKXDrawType::tdLab;
    ClearPages();
    const int32_t layoutsBefore = FCountLayouts;
    FCountLayouts = 0;
    ClearUndoRedo();
    SetUnReIni(0);
    FSelected = nullptr;

    // Everything a failed read must put back.
    const TKXLabelHeader before = TKXLabelFile::Capture(*this);
    const int32_t versionBefore = FFileVersion;
    const size_t elementsBefore = FElements.size();
    const size_t countersBefore = FCounters.size();
    TKXDatasets catalogueBefore;
    catalogueBefore.Assign(FDatasets);

    FLoading = true;
    try {
        const TKXLabelHeader header = TKXLabelFile::ReadHeader(Stream);
        TKXLabelFile::Apply(header, *this);
        TKXLabelFile::PutExtDataset(header, *this);
        FFileVersion = header.Version;
        if (OnReadData)
            OnReadData(this);
        ValidateData(false, false, false);
        // The print range always starts over with a loaded label.
        FPrintInfo->SetFirstLab(1);
        FPrintInfo->SetLastLabZero();
        TKXLabelFile::AddCounters(header, *this);
        TKXLabelFile::ReadElements(Stream, *this, header.Version);
    } catch (...) {
        FSelected = nullptr;
        FElements.resize(elementsBefore);
        FCounters.resize(countersBefore);
        FCountLayouts = layoutsBefore;
        FDatasets.Assign(catalogueBefore);
        try {
            TKXLabelFile::Apply(before, *this);
        } catch (const EKxError &) {
            // The old background picture no longer loads; its name is back all the same.
        }
        FFileVersion = versionBefore;
        FLoading = false;
        SetUnReIni(1);
        throw;
    }
    SetUnReIni(1);
    FLoading = false;
    FModified = false;
}

void TKXCustomLab::LoadFromFile(const QString &FileName, bool Preview)
{
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EKxError(file.errorString().toStdString());
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EKxError(file.errorString().toStdString());
    file.close();
    TKXStreamReader reader(std::span<const uint8_t>(reinterpret_cast<const uint8_t *>(data.constData()),
                                                    size_t(data.size())));
    LoadFromStream(reader, Preview);
}

void TKXCustomLab::LoadLabel(const QString &FileName, bool Preview)
{
    TKXBusyScope busy(UIServices());
    TLoadRestore restore(*this);
    try {
        if (FEditor)
            FEditor->ClearSelection();
        Clear();
        ClearCounters();
        restore.Keep();
        if (FOpenCloseData && FDataSet)
            FDataSet->SetActive(false);
        LoadFromFile(FileName, Preview);
        FVaDa = !Preview && ValidateData(true, true, true);
    } catch (...) {
        restore.Undo();
        throw EKxError(ErrorReadingFile);
    }
    FollowUpLoad(*this);
}

void TKXCustomLab::LoadLabStream(TKXStreamReader &Stream, bool Preview)
{
    FCurDrawType = Preview ? TKXDrawType::tdOpenDialog : TKXDrawType::tdLab;
    TKXBusyScope busy(UIServices());
    TLoadRestore restore(*this);
    try {
        if (FEditor)
            FEditor->ClearSelection();
        Clear();
        ClearCounters();
        restore.Keep();
        if (!Preview && FOpenCloseData && FDataSet)
            FDataSet->SetActive(false);
        LoadFromStream(Stream, Preview);
        FVaDa = !Preview && ValidateData(true, true, true);
    } catch (...) {
        restore.Undo();
        throw EKxError(ErrorReadingFile);
    }
    FollowUpLoad(*this);
}

void TKXCustomLab::ReapplyEleAlign()
{
    const int16_t stepSize = FElementsAfected;
    const bool modified = FModified;
    SetUnReIni(0);
    // By index from the last: placing an element may look up others (its layout).
    for (int32_t i = ElementCount() - 1; i >= 0; --i) {
        TKXElement &e = *FElements[size_t(i)];
        if (e.AsLayout() || e.ElementType() == TKXEle::deLine)
            continue;
        const TKXEleAlign align = e.FKXEleAlign;
        e.FKXEleAlign = TKXEleAlign::eaNone;
        e.SetEleAlign(align);
    }
    SetUnReIni(stepSize);
    FModified = modified;
}

// ---------------------------------------------------------------------------------------
// Undo history

void TKXCustomLab::BeginUndoRecord(TKXURAction Kind, TKXElement &Element)
{
    if (FUndoRecorder && FElementsAfected > 0)
        FUndoRecorder->BeginUndoRecord(Kind, Element);
}

void TKXCustomLab::AddUndoElement(TKXURAction Kind, TKXElement &Element)
{
    if (FUndoRecorder && FElementsAfected > 0)
        FUndoRecorder->AddUndoElement(Kind, Element);
}

void TKXCustomLab::UndoRedo(TKXURAction Action)
{
    if (FUndoRecorder)
        FUndoRecorder->UndoRedo(Action);
}

int32_t TKXCustomLab::UndoCount() const
{
    return FUndoRecorder ? FUndoRecorder->UndoCount() : 0;
}

int32_t TKXCustomLab::RedoCount() const
{
    return FUndoRecorder ? FUndoRecorder->RedoCount() : 0;
}

} // namespace kx
