// The label document: one label design with its sheet geometry, frame, page title,
// background, print settings, its elements (in z-order) and the hooks of its undo history and
// data binding.
//
// Every element holds a non-owning pointer to its document and reports each change through
// NotifyChange; the document tells its editor, when one is linked, what to repaint. The
// document reaches the designer only through TKXCustomEditor and the user interface only
// through TKXUIServices.
#pragma once

#include "core/KXTypes.h"
#include "data/KXDataset.h"
#include "data/KXDatasets.h"
#include "document/KXCounter.h"
#include "document/KXDesignerServices.h"
#include "document/KXElement.h"
#include "document/KXSetup.h"
#include "document/KXUndoRecorder.h"
#include "platform/KXUIServices.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace kx {

class TKXCanvas;
class TKXMetafile;
class TKXPageTarget;
class TKXPrinterPort;
class TKXRunData;
struct TKXLabelFileExtras;
struct TKXLoopStart;
struct TKXPagePreview;
class TKXStreamReader;
class TKXStreamWriter;

class TKXCustomLab : public TObject {
public:
    // Format version the writer stores.
    static constexpr int32_t CurrentVersion = 2811;

    // --- Lifecycle ---------------------------------------------------------------------
    TKXCustomLab();
    ~TKXCustomLab() override;
    TKXCustomLab(const TKXCustomLab &) = delete;
    TKXCustomLab &operator=(const TKXCustomLab &) = delete;

    // Copies the other document's settings into this one's own set-up objects (nothing is
    // shared between the two), and Units, OpenCloseData, MarkEmptyImage,
    // GridNotDrawFields, OnlyBitmap and CheckBounds. The editor link stays this
    // document's own.
    void Assign(const TKXCustomLab &Source);
    // Opens the property dialog of the selected element; the designer's document does.
    virtual void ShowElementProp() {}

    // --- Services ----------------------------------------------------------------------
    TKXCustomEditor *Editor() const { return FEditor; }
    // Set by the editor when it is given this document. Links the document and the editor both ways (null unlinks); the editor's previous
    // document and this document's previous editor lose their links.
    void SetEditor(TKXCustomEditor *Value);
    bool EditorLinked() const { return FEditor != nullptr; }
    // The UI services in use: the installed ones, else a silent implementation.
    TKXUIServices &UIServices() const;
    void SetUIServices(TKXUIServices *Value) { FUIServices = Value; } // not owned
    // The undo history behind RecordUndo; owned. Null records nothing.
    void SetUndoRecorder(std::unique_ptr<TKXUndoRecorder> Value);
    TKXUndoRecorder *UndoRecorder() const { return FUndoRecorder.get(); }

    // --- Set-up objects (owned) ----------------------------------------------------------
    TKXMeasure *Measure() const { return FMeasure.get(); }
    TKXFrame *Frame() const { return FFrame.get(); }
    TKXTitle *Title() const { return FTitle.get(); }
    TKXBackSurf *BackSurf() const { return FBackSurf.get(); }
    TKXPrintInfo *PrintInfo() const { return FPrintInfo.get(); }
    // Copy the given object's settings into the owned one; null is ignored.
    void SetMeasure(const TKXMeasure *Value);
    void SetFrame(const TKXFrame *Value);
    void SetTitle(const TKXTitle *Value);
    void SetBackSurf(const TKXBackSurf *Value);
    void SetPrintInfo(const TKXPrintInfo *Value);

    // --- Units -------------------------------------------------------------------------
    TKXUnits Units() const { return FUnits; }
    void SetUnits(TKXUnits Value);
    // A value shown in Units to hundredths of a millimetre, and back.
    int32_t UnitsToInternal(long double Value) const;
    long double InternalToUnits(int64_t Value) const;

    // --- Change notification -------------------------------------------------------------
    // Kind: 0 all layers, 1 background, 2 elements, 3 selection, 4 elements + guide lines,
    // 5 selection + guide lines, 6 elements and selection + guide lines; other kinds mark
    // nothing. While the editor draws, the view is refreshed (Inspect: the inspector lists
    // the selection again; else it re-reads PropName) and the rulers get the extent of a
    // single selected element.
    void NotifyChange(int16_t Kind, bool Inspect, const QString &PropName);
    void InspectorPropChanged(const QString &PropName);

    bool Modified() const { return FModified; }
    void SetModified(bool Value) { FModified = Value; }

    // The current (first selected) element; not owned.
    TKXElement *Selected() const { return FSelected; }
    // With an editor: makes it the editor's selection; without: stores it.
    void SetSelected(TKXElement *Value);
    // Used by the editor's selection to keep Selected in step.
    void SetSelectedField(TKXElement *Value) { FSelected = Value; }

    // --- Whole-label operations ----------------------------------------------------------
    // Removes every element and the undo history; keeps the settings and counters.
    void Clear();
    // An empty label: print range 1 to 1, no data link, no elements, not modified.
    void NewLabel();
    // A quarter turn of the whole design, counter-clockwise (left) or clockwise (right).
    // Not recorded for undo.
    void RotateLeft();
    void RotateRight();

    // --- Layouts -------------------------------------------------------------------------
    // The first grid layout in list order with that identifier; null when none.
    TKXLayoutCells *FindLayout(int32_t LayoutID) const;
    // Places Element in the grid layout under it. Grid layouts are not built yet, so no
    // element is ever under one: the answer is false.
    bool FindLayoutCell(TKXElement &Element);
    int32_t GetCountLayouts() const { return FCountLayouts; }
    int32_t NewLayoutID() { return ++FCountLayouts; }

    // --- Design-surface markers (device pixels), appended while elements draw -----------
    void AddSelectSegment(uint16_t Tipo, TPoint P, TPoint Q);
    void AddRefSegment(uint16_t Tipo, TPoint P, TPoint Q);
    void AddSymbolPoint(uint16_t Tipo, TPoint P, bool Selected);
    void ClearRefArray() { FRefArray.clear(); }
    // What one recording of the editor's elements layer, or of its selection layer, fills.
    void ClearSymbolArray() { FSymbolArray.clear(); }
    void ClearSelectArrays()
    {
        FSelectArray.clear();
        FSymbolSelArray.clear();
    }
    // Empties all four arrays (the designer does before it repaints).
    void ClearMarkers();
    const std::vector<TKXSel> &SelectArray() const { return FSelectArray; }
    const std::vector<TKXSel> &RefArray() const { return FRefArray; }
    const std::vector<TKXSim> &SymbolArray() const { return FSymbolArray; }
    const std::vector<TKXSim> &SymbolSelArray() const { return FSymbolSelArray; }

    // --- Pictures --------------------------------------------------------------------------
    bool OnlyBitmap() const { return FOnlyBitmap; }
    void SetOnlyBitmap(bool Value);
    // The picture dialog's filter for the current OnlyBitmap.
    QString PictureFilter() const { return FPictureFilter; }
    // Lets the user choose a picture through the UI services (empty when cancelled).
    QString ChoosePicture() const;
    QString ImagesDir() const { return FImagesDir; }
    void SetImagesDir(const QString &Value) { FImagesDir = Value; }

    // --- Plain settings ------------------------------------------------------------------
    bool ShowMargins() const { return FShowMargins; }
    void SetShowMargins(bool Value);
    bool MarkEmptyImage() const { return FMarkEmptyImage; }
    void SetMarkEmptyImage(bool Value) { FMarkEmptyImage = Value; }
    bool GridNotDrawFields() const { return FGridNotDrawFields; }
    void SetGridNotDrawFields(bool Value) { FGridNotDrawFields = Value; }
    QString LabelDefs() const { return FLabelDefs; }
    void SetLabelDefs(const QString &Value) { FLabelDefs = Value; }
    QString IniTranslate() const { return FIniTranslate; }
    void SetIniTranslate(const QString &Value) { FIniTranslate = Value; }
    bool UseUnicodeEditor() const { return FUseUnicodeEditor; }
    void SetUseUnicodeEditor(bool Value) { FUseUnicodeEditor = Value; }
    // Element points stay inside the label.
    bool CheckBounds() const { return FCheckBounds; }
    void SetCheckBounds(bool Value) { FCheckBounds = Value; }
    bool MakeAdjustPrint() const { return FMakeAdjustPrint; }
    void SetMakeAdjustPrint(bool Value) { FMakeAdjustPrint = Value; }
    bool OpenCloseData() const { return FOpenCloseData; }
    void SetOpenCloseData(bool Value) { FOpenCloseData = Value; }
    bool LinkData() const { return FDaBa; }
    void SetLinkData(bool Value);
    TKXDataAccessType DataAccessType() const { return FDataAccessType; }
    void SetDataAccessType(TKXDataAccessType Value);
    TKXExtFileType ExtFileType() const { return FExtFileType; }
    void SetExtFileType(TKXExtFileType Value);
    TKXExtSeparator ExtSeparator() const { return FExtSeparator; }
    void SetExtSeparator(TKXExtSeparator Value);
    bool ExtHasHeader() const { return FExtHasHeader; }
    void SetExtHasHeader(bool Value) { FExtHasHeader = Value; }
    bool ExtSaveFileds() const { return FExtSaveFileds; }
    void SetExtSaveFileds(bool Value) { FExtSaveFileds = Value; }
    QString ExtFileName() const { return FExtFileName; }
    void SetExtFileName(const QString &Value);
    QString ExtTableName() const { return FExtTableName; }
    void SetExtTableName(const QString &Value);
    QString ExtTableDisplay() const { return FExtTableDisplay; }
    void SetExtTableDisplay(const QString &Value);

    int32_t Version() const { return FVersion; }
    // Version of the stream being read: the file's, or the current one for undo records
    // and the copy stream. Element loaders test it.
    int32_t FileVersion() const { return FFileVersion; }
    void SetFileVersion(int32_t Value) { FFileVersion = Value; }
    // A label stream is being read; set-up setters then skip their editor effects.
    bool Loading() const { return FLoading; }
    void SetLoading(bool Value) { FLoading = Value; }
    // While reading, a problem that does not stop the label from opening (a background
    // picture that is missing or cannot be decoded) is shown to the user once per read;
    // nothing is shown while QuietLoad is set (reading for a file preview, putting back the
    // label a failed read replaced).
    void ReportLoadProblem(const QString &Text);
    bool QuietLoad() const { return FQuietLoad; }
    void SetQuietLoad(bool Value) { FQuietLoad = Value; }
    TKXDrawType CurDrawType() const { return FCurDrawType; }
    void SetCurDrawType(TKXDrawType Value) { FCurDrawType = Value; }
    int32_t CurrentPage() const { return FCurPage; }

    // --- Undo hooks ----------------------------------------------------------------------
    // 0 records nothing; n > 0 gathers the next n element changes into one step.
    void SetUnReIni(int32_t EleAfected);
    int32_t ElementsAfected() const { return FElementsAfected; }
    // Records an element's prior state (urProp), its creation or its deletion into the
    // open step; a layout's column or row item records its layout.
    void RecordUndo(TKXURAction Kind, TKXElement &Element);
    // Records Element's change with Record (its SaveToStream bytes, taken before the change
    // began) and Cell (CellOf at that time) as the state an undo puts back. For a column or row item pass its layout.
    void RecordUndoState(TKXElement &Element, const TBytesArray &Record, const TKXLayoutCell &Cell);
    // Element's layout cell as it stands (for RecordUndoState).
    TKXLayoutCell CellOf(const TKXElement &Element) const;
    void ClearUndoRedo();

    // ---- label file and undo history ----------------------------------------------------
    // Writes the label in the current layout (version 2811) and clears Modified. A text too
    // long for the format throws EKxTextTooLong and nothing is written.
    void SaveToStream(TKXStreamWriter &Stream);
    // Reads a label stream onto this document; its elements are added to the ones there
    // (callers clear the label first). Preview reads for a file preview (bound elements
    // show their stored contents). A malformed stream throws EKxStreamError and leaves the
    // settings as they were and none of the stream's elements or counters behind.
    void LoadFromStream(TKXStreamReader &Stream, bool Preview);
    // Writes through a temporary file renamed into place: a failure (thrown as EKxError with
    // the file system's message, or EKxTextTooLong) leaves the previous file whole.
    void SaveToFile(const QString &FileName);
    // Opens the file read-only; a file that cannot be opened throws EKxError.
    void LoadFromFile(const QString &FileName, bool Preview);
    void SaveLabel(const QString &FileName) { SaveToFile(FileName); }
    // Clear, read the file, validate the binding, then the designer follow-up (zoom,
    // guides, re-placement of aligned elements). A failure to read leaves an empty label
    // with the settings it had and throws EKxError("ERROR READING FILE"); a binding that
    // does not validate is shown through the UI services and the label stays open (VaDa
    // false).
    void LoadLabel(const QString &FileName, bool Preview);
    void LoadLabStream(TKXStreamReader &Stream, bool Preview);
    // Places every aligned element again, last to first (not grid layouts or lines), as
    // its EleAlign setter does; neither recorded for undo nor marking the label modified.
    void ReapplyEleAlign();
    // The editor block the last label file held, written back while no editor is linked.
    const TKXLabelFileExtras &FileExtras() const { return *FFileExtras; }

    // Undo steps: the designer opens one for a newly inserted element (urCreate) and adds
    // to the open one; UndoRedo replays the last undo (urUndo) or redo (urRedo) step. A
    // replay that fails leaves the label and both lists as they were and raises EKxError.
    void BeginUndoRecord(TKXURAction Kind, TKXElement &Element);
    void AddUndoElement(TKXURAction Kind, TKXElement &Element);
    void UndoRedo(TKXURAction Action);
    int32_t UndoCount() const;
    int32_t RedoCount() const;

    // --- Element list: z-order, index 0 on top, drawn last to first -------------------
    // Creates an element of kind T, appends it (the bottom of the z-order) and gives it a
    // fresh name. A Serial of 0 draws a new one; an undo re-creating an element passes the
    // one it had, when no other element of the document holds it.
    template <class T>
    T *NewElement(uint64_t Serial = 0)
    {
        auto element = std::make_unique<T>(this);
        T *raw = element.get();
        AdoptElement(std::move(element), Serial);
        return raw;
    }
    // Appends an element (its document must be this one); with Refresh and an editor the
    // view is updated.
    void AddElement(std::unique_ptr<TKXElement> Element, bool Refresh);
    // Takes Element out of the label and frees it; false when it is not in the list.
    bool RemoveElement(TKXElement *Element, bool Update, bool Undo);
    // Frees every element marked for deletion.
    void PurgeDeletedElements();
    // 1-based; null outside 1 .. count.
    TKXElement *GetElement(int32_t ElementNo) const;
    int32_t ElementCount() const { return int32_t(FElements.size()); }
    int32_t IndexOf(const TKXElement *Element) const;
    // Moves an element of the list to Index (0 = top).
    void MoveElement(TKXElement *Element, int32_t Index);
    TKXElement *ElementBySerial(uint64_t Serial) const;
    // Identifiers compare ignoring the case of the ASCII letters.
    bool ElementExists(const QString &ID) const;
    // Selects the first element with that identifier; false (selection kept) when none.
    bool ElementByID(const QString &ID);
    // Prefix followed by the lowest number that no element's identifier holds.
    void GetNewElementName(const QString &Prefix, TKXEle Kind, QString &Name, int32_t &Number) const;
    // "Text" for deText, "PDF417" for dePdf417 ...; empty for dePoint and deColRowLay.
    static QString ElementPrefix(TKXEle Kind);

    // Draws every element not in a layout from the last to the first; on the design
    // surface (tdLab) the selected ones are left to DrawSelected.
    void DrawElements(TKXCanvas &Canvas, TPoint Origin, TKXDrawType DrawType, TKXFillType Fill);
    // The editor's selection layer: selected elements from the last selected to the first.
    void DrawSelected(TKXCanvas &Canvas, TPoint Origin, TKXDrawType DrawType, TKXFillType Fill);

    // ---- data binding and counters ----------------------------------------------------
    // Bound master and detail datasets: not owned, forgotten when destroyed. Binding a
    // master stores its component name and raises OnAssignedDataSet; null unbinds.
    TKXDataSet *DataSet() const { return FDataSet.data(); }
    void SetDataSet(TKXDataSet *Value);
    TKXDataSet *Detail() const { return FDetail.data(); }
    void SetDetail(TKXDataSet *Value);
    // Component names of the bound datasets, as the label file keeps them.
    QString DatasetName() const { return FDatasetName; }
    void SetDatasetName(const QString &Value) { FDatasetName = Value; }
    QString DetailName() const { return FDetailName; }
    void SetDetailName(const QString &Value) { FDetailName = Value; }
    // The data module searched for datasets by FindDataset; not owned.
    QObject *DataMod() const { return FDatMod.data(); }
    void SetDataMod(QObject *Value) { FDatMod = Value; }
    // The application's data modules, searched in order when DataMod is not set.
    void SetApplicationModules(const std::vector<QObject *> &Modules);
    // Result of the validation done when a label file was read.
    bool VaDa() const { return FVaDa; }
    void SetVaDa(bool Value) { FVaDa = Value; }
    // The catalogue of bindable datasets and the alias catalogue; the setters copy.
    TKXDatasets &Datasets() { return FDatasets; }
    const TKXDatasets &Datasets() const { return FDatasets; }
    void SetDatasets(const TKXDatasets &Value) { FDatasets.Assign(Value); }
    TKXAlias &BDEAlias() { return FBDEAlias; }
    void SetBDEAlias(const TKXAlias &Value) { FBDEAlias.Assign(Value); }
    bool BDEInstalled() const { return false; }

    // Binds the first dataset named dsName (ASCII case ignored) of DataMod, else of the
    // application's data modules ("Module.Name" when dot); false when none.
    bool FindDataset(const QString &dsName, bool dot, bool isDetail);
    // Re-binds the master by its stored name, applies its filter, opens the datasets when
    // OpenCloseData, adjusts the print range to the records (UpdateNumber), links counters
    // and checks every bound field (CheckFieldNames); the range and the fields are left
    // alone while the master is closed. Raises EKxError "CAN'T OPEN DATASET : <cause>", or
    // "INVALID FIELD NAME :" with the first missing field (one line per missing field
    // follows), or with CheckFieldNames "DATASET NOT FOUND :<name>" when the label is bound
    // to a dataset that cannot be found; no binding is switched off for a missing field.
    // True when a master is bound.
    bool ValidateData(bool UpdateNumber, bool CheckFieldNames, bool FullRange);
    // Every problem the last ValidateData found, one text each.
    const QStringList &ValidationProblems() const { return FValidationProblems; }
    // A field of the master's current record as text, by its type and DisplayFormat. The
    // dataset's error for a missing field passes to the caller; no master gives "".
    void GetFieldText(const QString &FieldName, const QString &DisplayFormat, bool FloatAsDateTime,
                      QString &Text) const;
    // Caption and field-name maps: the inspector shows captions, elements store names.
    virtual void CaptionToFieldName(const QString &Caption, bool &FloatAsDateTime, QString &FieldName,
                                    bool &IsCounter) const;
    virtual QString FieldNameToCaption(const QString &FieldName, bool &FloatAsDateTime,
                                       bool IsCounter) const;
    void DetailCaptionToFieldName(const QString &Caption, bool &FloatAsDateTime, QString &FieldName) const;
    QString DetailFieldNameToCaption(const QString &FieldName, bool &FloatAsDateTime) const;
    virtual bool IsFloatAsDateTime(const QString &FieldName) const;
    // Lists for the designer's dialogs and inspector.
    int GetDatasets(QStringList &List);
    QString GetActiveDatasetCaption() const;
    void GetDataFields(QStringList &List, bool AddCounters, bool OnlyBlob, bool OnlyBool,
                       bool RemoveBlob) const;
    void GetDetailFields(QStringList &List) const;
    void FillDBGrid(TKXDataGrid &Grid, int Idx) const;
    // Index of the first catalogue item whose BaseName is Name's last part; -1 when none.
    int GetDatasetIndex(const QString &Name) const;
    QString GetTableName(const QString &Cap, int &TbIdx) const;
    void AssignDetail(const QString &Cap);
    void AssignDetailBaseName(const QString &Name);
    // Moves the catalogue's last item to the front when it holds more than one.
    void PutExtDataAsFirstDataSet();

    // Counters, numbered from 1 in list order; owned.
    TKXCounter *NewCounter();
    int32_t CounterCount() const { return int32_t(FCounters.size()); }
    TKXCounter *GetCounter(int32_t CounterNo) const;
    // The first counter whose Name equals coName ignoring ASCII case; null when none.
    TKXCounter *FindCounter(const QString &coName) const;
    // Unbinds the elements that show it (recorded for undo) and frees it; false when the
    // counter is not this document's.
    bool RemoveCounter(TKXCounter *Counter);
    void ClearCounters();
    // Activates the counters bound elements use (OnAskDataCounter may change each range)
    // and answers the number of labels the longest sequence fills. A counter whose step is
    // 0, or negative without reaching NumTo, raises EKxError "INVALID COUNTER STEP :name".
    int32_t InitCounters();
    // Every active counter to its next value (none past NumTo).
    void StepCounters();
    // Every active counter to its n-th value (1-based), none past NumTo.
    void SetCountersToLabel(int32_t n);
    void FormatCounter(TKXCounter &Counter);

private:
    TKXDatasetItem *ActiveItem() const;
    TKXDatasetItem *ActiveDetailItem() const;
    QPointer<TKXDataSet> FDataSet;
    QPointer<TKXDataSet> FDetail;
    QString FDatasetName;
    QString FDetailName;
    QPointer<QObject> FDatMod;
    std::vector<QPointer<QObject>> FAppModules;
    TKXDatasets FDatasets;
    TKXAlias FBDEAlias;
    QStringList FValidationProblems;
    std::vector<std::unique_ptr<TKXCounter>> FCounters;

public:
    // ---- sheet rendering, print run and preview ----
    // Background, frame and title of the label at (x, y); see KXSheetRender.h for the
    // targets and units. SurfaceColor is the editor's colour (tdLab only).
    void PaintBackSurf(TKXCanvas &Canvas, int32_t x, int32_t y, TKXDrawType DrawType, const TRect &R,
                       TColor SurfaceColor = clWhite);
    void PaintFrame(TKXCanvas &Canvas, int32_t x, int32_t y);
    void PaintTitle(TKXCanvas &Canvas);
    void PaintTitle(TKXCanvas &Canvas, const QString &Text);
    // The alignment guides on the editor's label canvas; Skip while a guide is dragged.
    void PaintAlignLines(TKXCanvas &Canvas, bool Skip);

    // The printer the document prints on (created on first use, on the system's default
    // printer); select a queue or a PDF file on it before PrintLabels.
    TKXPrinterPort &Printer();
    // Where the binding and the counters come from; null goes back to the document's own.
    void SetRunData(TKXRunData *Value) { FRunData = Value; } // not owned
    TKXRunData &RunData();

    // The whole print run: Index >= 0 first selects that printer of the system's list. The
    // job is called "ZANTOR VCL PRINT: " and the label name. Raises EKxError when the data
    // cannot be validated, the printer cannot be set up, the job cannot be started or does
    // not finish; a job failing halfway is aborted. Bound controls are switched back on and
    // the label's modified state is left as it was, whatever happens.
    void PrintLabels(int32_t Index, TKXPrintKind PrintKind);
    // LabelsToPrint of a data-bound run, from FirstLab to LastLab (0: the end of the data).
    void CountLabelsToPrint();
    // Labels for the current record: its repetition field when the run has one and the
    // value reads as an integer, else Repetition.
    int64_t GetRecordRepetition();
    // Puts the master on the record of label Count (0-based, from record FirstLab) and
    // answers how many labels that record still gives, Count's own included.
    int64_t SeekLabel(int64_t Count);
    // Paper (the measure's sheet as a user-defined size), orientation and copies to the
    // printer. ApplyPrintInfo first selects the printer PrinterName names; SetPrinterDevMode
    // raises "CANT INITIALIZE DEVMODE STRUCT" when there is no printer.
    void ApplyPrintInfo();
    void SetPrinterDevMode();
    void AdjustPrinter();
    // The page loop of a prepared run (PrintLabels, or a test) onto Target.
    void PrintPages(TKXPageTarget &Target);
    // Clips Canvas to the union of the label circles of a sheet; Offset is subtracted from
    // the positions as in the page loop.
    void ClipCircle(TKXCanvas &Canvas, TPoint Offset);
    // Bound controls of the walked dataset (the detail when a table walks it) off or on.
    void LockDataControls(bool Enable);
    int32_t DPIHPrinter() const { return FDPIHPrinter; }
    long double FactorDotMM() const { return FFactorDotMM; }
    TKXPrintKind CurrentPrint() const { return FCurrentPrint; }

    // The preview: page metafiles of the run, all of them up to 10 pages, else pages 1 to 4
    // and the last four, the others rendered around the page asked for.
    void BuildOnDemandPreview();
    // The page's metafile or null when it is not there (yet). The handle keeps the page
    // alive: the cache may drop it from the list, the caller's page stays valid.
    std::shared_ptr<const TKXMetafile> GetPage(int32_t PageNo);
    int32_t TotalPages() const { return FPrintInfo->PagesToPrint; }
    // The label alone, 260 device units wide; the caller owns it.
    std::unique_ptr<TKXMetafile> GetMetafile();
    void ClearPages();
    void BuildPreviewPages();
    std::unique_ptr<TKXMetafile> BuildPreviewPage(int32_t PageNo);
    // Draws page PageNo of the prepared preview onto Target (BuildPreviewPage's work).
    void RenderPreviewPage(int32_t PageNo, TKXPageTarget &Target);
    void FillPageCache();
    // The page list, in page order for a short run, in order of rendering for a long one.
    const std::vector<TKXPagePreview> &PreviewPages() const { return FPages; }

    // Fill type, label and page counts of a run, as printing and the preview prepare them;
    // true when the run prints from the dataset. LockControls switches the walked dataset's
    // controls off (PrintLabels switches them on again when it ends).
    bool PrepareRun(bool LockControls);

private:
    void SetUpPrinter();
    void RunLabelLoop(TKXPageTarget &Target, const TKXLoopStart &Start);
    void StartPage(TKXPageTarget &Target, TKXCanvas &Canvas);
    void AdvanceData();
    bool SkipEmptyRecords(int64_t &Rep);
    void GoToFirstLab();
    std::unique_ptr<TKXPrinterPort> FPrinter;
    std::unique_ptr<TKXRunData> FOwnRunData;
    TKXRunData *FRunData = nullptr;
    std::vector<TKXPagePreview> FPages;
    bool FGetPrevData = false;
    bool FControlsLocked = false;
    bool FKeepPrinter = false; // PrintLabels was given a printer index
    int32_t FDPIHPrinter = 0;
    long double FFactorDotMM = 0;
    TKXPrintKind FCurrentPrint = TKXPrintKind::pkDriver;

public:
    // --- Events ------------------------------------------------------------------------
    TKXUndoRedoEvent OnUndoRedoEvent;
    TKXPrintTextEvent OnPrintText;
    TKXAskTextEvent OnAskText;
    TKXPrintDataPolyEvent OnPrintDataPoly;
    TKXPrintTitleEvent OnPrintTitle;
    TKXAssignedDataSet OnAssignedDataSet;
    TKXAskDataCounter OnAskDataCounter;
    TKXGetFontListEvent OnGetFontListEvent;
    std::function<void(TObject *Sender)> OnReadData;

private:
    friend class TKXLabelFile;
    friend class TKXUnnamedElements;
    void AdoptElement(std::unique_ptr<TKXElement> Element, uint64_t Serial);
    void SetPictureFilter();
    void Rotate(bool Left);
    void ValidateLoaded(bool Preview);

    TKXCustomEditor *FEditor = nullptr;
    TKXUIServices *FUIServices = nullptr;
    bool FNameNewElements = true; // off while elements are created to read their record
    std::unique_ptr<TKXUndoRecorder> FUndoRecorder;
    TKXUnits FUnits = TKXUnits::unMM;
    std::unique_ptr<TKXTitle> FTitle;
    std::unique_ptr<TKXMeasure> FMeasure;
    std::unique_ptr<TKXFrame> FFrame;
    std::unique_ptr<TKXBackSurf> FBackSurf;
    std::unique_ptr<TKXPrintInfo> FPrintInfo;
    bool FDaBa = false;
    bool FVaDa = false;
    bool FModified = false;
    int32_t FVersion = CurrentVersion;
    int32_t FFileVersion = CurrentVersion;
    int32_t FCountLayouts = 0;
    std::vector<TKXSim> FSymbolArray;
    std::vector<TKXSel> FRefArray;
    std::vector<TKXSim> FSymbolSelArray;
    std::vector<TKXSel> FSelectArray;
    int32_t FElementsAfected = 1;
    int32_t FElementsAdded = 0;
    TKXDataAccessType FDataAccessType = TKXDataAccessType::daDataSet;
    bool FShowMargins = false;
    TKXElement *FSelected = nullptr;
    QString FPictureFilter;
    bool FOnlyBitmap = false;
    bool FMakeAdjustPrint = true;
    bool FOpenCloseData = false;
    int32_t FCurPage = 0;
    bool FMarkEmptyImage = true;
    bool FGridNotDrawFields = false;
    bool FLoading = false;
    bool FQuietLoad = false;
    QStringList FLoadReports; // shown during the current read
    QString FImagesDir;
    TKXDrawType FCurDrawType = TKXDrawType::tdLab;
    QString FLabelDefs;
    QString FIniTranslate;
    bool FUseUnicodeEditor = true;
    TKXExtFileType FExtFileType = TKXExtFileType::efNone;
    QString FExtFileName;
    QString FExtTableName;
    QString FExtTableDisplay;
    bool FExtHasHeader = true;
    bool FExtSaveFileds = false;
    TKXExtSeparator FExtSeparator = TKXExtSeparator::esComa;
    bool FCheckBounds = true;
    bool FDestroying = false;
    std::unique_ptr<TKXLabelFileExtras> FFileExtras; // never null
    // The elements, owned; the order is the z-order.
    std::vector<std::unique_ptr<TKXElement>> FElements;
};

// While it lives, elements created on Lab get no name of their own: the record they are
// about to read brings it (label files, undo records, the copy stream). Naming a new
// element looks at every name on the label, so reading n elements stays linear this way.
class TKXUnnamedElements {
public:
    explicit TKXUnnamedElements(TKXCustomLab &Lab) : FLab(Lab), FBefore(Lab.FNameNewElements)
    {
        Lab.FNameNewElements = false;
    }
    ~TKXUnnamedElements() { FLab.FNameNewElements = FBefore; }
    TKXUnnamedElements(const TKXUnnamedElements &) = delete;
    TKXUnnamedElements &operator=(const TKXUnnamedElements &) = delete;

private:
    TKXCustomLab &FLab;
    bool FBefore;
};

// Element records this program writes while it runs (undo records, the editor's copy
// stream) are in the current layout, whatever version the label file last read had: they
// are read inside this scope, which puts the document's file version back when it ends.
// Without it, records pasted after opening an old file would be read as that file's
// (lengths in tenths, scaled by ten).
class TKXCurrentVersionRecords {
public:
    explicit TKXCurrentVersionRecords(TKXCustomLab &Lab) : FLab(Lab), FVersion(Lab.FileVersion())
    {
        Lab.SetFileVersion(TKXCustomLab::CurrentVersion);
    }
    ~TKXCurrentVersionRecords() { FLab.SetFileVersion(FVersion); }
    TKXCurrentVersionRecords(const TKXCurrentVersionRecords &) = delete;
    TKXCurrentVersionRecords &operator=(const TKXCurrentVersionRecords &) = delete;

private:
    TKXCustomLab &FLab;
    int32_t FVersion;
};

// One undo step for a command that changes several elements: announces Count changes and,
// when the command ends (also by an exception), puts recording back to one change per step.
// A count of 0 or less is never announced, since that would switch recording off for good:
// the step is then simply the next single change, if any.
class TKXUndoStep {
public:
    TKXUndoStep(TKXCustomLab &Lab, int32_t Count) : FLab(Lab)
    {
        FLab.SetUnReIni(Count > 0 ? Count : 1);
    }
    ~TKXUndoStep() { FLab.SetUnReIni(1); }
    TKXUndoStep(const TKXUndoStep &) = delete;
    TKXUndoStep &operator=(const TKXUndoStep &) = delete;

private:
    TKXCustomLab &FLab;
};

// Records nothing for the lifetime of a scope (changes gathered into a step elsewhere, or not
// to be undone one by one); one change per step again when it ends, also by an exception.
class TKXRecordingOff {
public:
    explicit TKXRecordingOff(TKXCustomLab &Lab) : FLab(Lab) { FLab.SetUnReIni(0); }
    ~TKXRecordingOff() { FLab.SetUnReIni(1); }
    TKXRecordingOff(const TKXRecordingOff &) = delete;
    TKXRecordingOff &operator=(const TKXRecordingOff &) = delete;

private:
    TKXCustomLab &FLab;
};

} // namespace kx
