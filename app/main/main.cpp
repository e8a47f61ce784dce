// ZANTOR WIN. Until the main window is built, the program shows one window with the design
// editor on a new label, or on the label file named on the command line, the property
// inspector docked beside it, and a plain tool strip to choose the drawing tool and the zoom,
// with Preview and Print.
#include "component/KXLab.h"
#include "core/KXError.h"
#include "data/KXDataModule.h"
#include "dialogs/KXEdText.h"
#include "dialogs/KXPropPara.h"
#include "dialogs/KXPropSym.h"
#include "document/KXBaseLab.h"
#include "editor/KXEditor.h"
#include "inspector/KXInspectorComponent.h"
#include "platform/KXPrinterPort.h"
#include "prompts/KXCommandRunner.h"
#include "prompts/KXPrompts.h"
#include "settings/KXDataRoot.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDockWidget>
#include <QMainWindow>
#include <QMessageBox>
#include <QToolBar>

#include <memory>
#include <utility>
#include <vector>

using namespace kx;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    designer::RegisterSymbolDialog();
    designer::RegisterParagraphDialog();
    designer::RegisterTextDialog();
    auto label = std::make_unique<designer::TKXLab>();
    label->NewLabel();

    // The data module is made before the window and goes after it. Without a data root the
    // program runs without data.
    std::unique_ptr<TDM> dm;
    try {
        EnsureDataFolders();
        dm = std::make_unique<TDM>();
    } catch (const EKxError &e) {
        QMessageBox::warning(nullptr, QStringLiteral("ZANTOR WIN"), QString::fromStdString(e.what()));
    }

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("ZANTOR WIN"));
    auto *editor = new designer::TKXEditor(&window);
    editor->SetZantor(label.get());
    // The program's editor shows its grid in red: the library's light grey default is all
    // but invisible on a white label.
    editor->GridSettings().SetColor(clRed);
    window.setCentralWidget(editor);

    // The inspector lists the editor's selection; the program hides the name, the margin and
    // the placement rows.
    auto *dock = new QDockWidget(QStringLiteral("Properties"), &window);
    dock->setObjectName(QStringLiteral("InspectorDock"));
    dock->setFeatures(QDockWidget::DockWidgetMovable);
    auto *inspector = new designer::TKXInspector(dock);
    inspector->AddExcludePropety(QStringLiteral("ID"));
    inspector->AddExcludePropety(QStringLiteral("Margin"));
    inspector->AddExcludePropety(QStringLiteral("EleAlign"));
    inspector->setMinimumWidth(240);
    dock->setWidget(inspector);
    window.addDockWidget(Qt::RightDockWidgetArea, dock);
    editor->SetInspector(inspector);

    // The tool strip: the drawing tools, then the zoom.
    QToolBar *tools = window.addToolBar(QStringLiteral("Tools"));
    tools->setMovable(false);
    auto *group = new QActionGroup(&window);
    const std::vector<std::pair<QString, TKXDrawTool>> toolList = {
        {QStringLiteral("Select"), TKXDrawTool::dwSelection}, {QStringLiteral("Text"), TKXDrawTool::dwText},
        {QStringLiteral("Line"), TKXDrawTool::dwLine},        {QStringLiteral("Rectangle"), TKXDrawTool::dwRect},
        {QStringLiteral("Circle"), TKXDrawTool::dwCircle},    {QStringLiteral("Barcode"), TKXDrawTool::dwBarCode},
        {QStringLiteral("Symbol"), TKXDrawTool::dwSymbol},    {QStringLiteral("Image"), TKXDrawTool::dwImage},
        {QStringLiteral("Paragraph"), TKXDrawTool::dwParagraph}, {QStringLiteral("Table"), TKXDrawTool::dwTable},
        {QStringLiteral("QR Code"), TKXDrawTool::dwQRCode},   {QStringLiteral("Data Matrix"), TKXDrawTool::dwDataMatrix},
        {QStringLiteral("PDF417"), TKXDrawTool::dwPdf417},
    };
    for (const auto &[name, tool] : toolList) {
        QAction *a = tools->addAction(name);
        a->setCheckable(true);
        a->setChecked(tool == editor->DrawTool());
        group->addAction(a);
        const TKXDrawTool t = tool;
        QObject::connect(a, &QAction::triggered, editor, [editor, t] { editor->SetDrawTool(t); });
    }
    tools->addSeparator();
    QObject::connect(tools->addAction(QStringLiteral("Zoom in")), &QAction::triggered, editor,
                     [editor] { editor->ZoomIn(); });
    QObject::connect(tools->addAction(QStringLiteral("Zoom out")), &QAction::triggered, editor,
                     [editor] { editor->ZoomOut(); });
    QObject::connect(tools->addAction(QStringLiteral("100 %")), &QAction::triggered, editor,
                     [editor] { editor->SetZoom(TKXZoom::zm100); });
    QObject::connect(tools->addAction(QStringLiteral("Fit width")), &QAction::triggered, editor,
                     [editor] { editor->SetZoom(TKXZoom::zmWidth); });
    QObject::connect(tools->addAction(QStringLiteral("Fit all")), &QAction::triggered, editor,
                     [editor] { editor->SetZoom(TKXZoom::zmFitAll); });
    QObject::connect(tools->addAction(QStringLiteral("Grid")), &QAction::triggered, editor, [editor] {
        editor->GridSettings().SetShow(!editor->GridSettings().Show());
    });
    // Preview and print the label (the prompted texts are asked first), on a row of their own.
    window.addToolBarBreak();
    QToolBar *labelBar = window.addToolBar(QStringLiteral("Label"));
    labelBar->setMovable(false);
    QAction *preview = labelBar->addAction(QStringLiteral("Preview"));
    preview->setObjectName(QStringLiteral("FilePreview"));
    ConnectCommand(preview, [&label] { label->Preview(); });
    QAction *print = labelBar->addAction(QStringLiteral("Print"));
    print->setObjectName(QStringLiteral("FilePrint"));
    ConnectCommand(print, [&label] {
        QString printer = label->Printer().PrinterName();
        if (Prompts().ChoosePrinter(printer))
            label->PrintOn(printer);
    });

    window.resize(1024, 720);
    window.show();
    editor->setFocus();
    if (dm)
        dm->OpenData(*label);
    const QStringList args = app.arguments();
    if (args.size() > 1) {
        const QString file = args.at(1);
        try {
            label->LoadLabel(file, false);
            window.setWindowTitle(QStringLiteral("ZANTOR WIN - %1").arg(file));
        } catch (const EKxError &e) {
            QMessageBox::warning(&window, QStringLiteral("ZANTOR WIN"),
                                 QStringLiteral("%1\n%2").arg(QString::fromStdString(e.what()), file));
        }
    }

    const int result = app.exec();
    // The editor goes with the window; the label must not point at it afterwards.
    editor->SetInspector(nullptr);
    delete editor;
    return result;
}
