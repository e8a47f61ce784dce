// The label component: the prompted texts asked before a preview (back to front, a cancel
// keeping the last answer, OnAskText replacing it), printer indexes that name no queue, the
// translated texts, and the element dialogs: kept as one undo step, cancelled or failed with
// the element and the label exactly as they were.
#include "EditorFixture.h"
#include "FakeDesignerServices.h"
#include "ScriptedPrompts.h"

#include "component/KXLab.h"
#include "core/KXError.h"
#include "elements/KXImage.h"
#include "elements/KXParagraph.h"
#include "elements/KXShapes.h"
#include "elements/KXText.h"
#include "platform/KXPrinterPort.h"
#include "preview/KXPreviewWindow.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kx;
using namespace kx::designer;

namespace {

class LabComponent : public ::testing::Test {
protected:
    LabComponent()
    {
        zt::RequireWidgetApp();
        lab.NewLabel();
        lab.Printer().SelectPdfFile({}); // the preview needs no printer
        lab.OnShowPreview = [this](TKxPrw &W) {
            ++previews;
            caption = W.windowTitle();
            pages = W.PageIdx();
        };
    }
    TKXAskText *Ask(const QString &ID, const QString &Question, const QString &Answer)
    {
        auto *a = lab.NewElement<TKXAskText>();
        a->SetID(ID);
        a->SetQuestion(Question);
        a->SetAnswer(Answer);
        return a;
    }

    TKXLab lab;
    int previews = 0;
    QString caption;
    int32_t pages = -1;
};

TEST_F(LabComponent, PromptedTextsAreAskedFromTheBackToTheFront)
{
    TKXAskText *a = Ask("AskA", "Question A?", "old A"); // index 0: the front
    TKXAskText *b = Ask("AskB", "Question B?", "old B");
    std::vector<std::pair<int32_t, std::string>> asked;
    lab.OnAskText = [&](TObject *, int32_t Pos, const AnsiString &ID, WideString &Text) {
        asked.push_back({Pos, ID});
        if (ID == "AskA")
            Text = u"from the handler";
    };
    zt::TKXScriptedPrompts prompts;
    prompts.AnswerText(QStringLiteral("new B"));
    prompts.AnswerText(std::nullopt); // A cancelled
    lab.Preview();

    ASSERT_EQ(prompts.Count(zt::TPromptKind::InputText), 2);
    EXPECT_EQ(prompts.Calls()[0].Text, "Question B?");
    EXPECT_EQ(prompts.Calls()[1].Text, "Question A?");
    EXPECT_EQ(prompts.Calls()[0].Caption, "WRITE ANSWER TO QUESTION");
    EXPECT_EQ(asked, (std::vector<std::pair<int32_t, std::string>>{{1, "AskB"}, {2, "AskA"}}));
    EXPECT_EQ(b->Answer(), "new B");
    EXPECT_EQ(a->Answer(), "from the handler");
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(caption, "Print Preview");
    EXPECT_EQ(pages, 1);

    // The next preview offers the answers given last time.
    prompts.AnswerText(std::nullopt);
    prompts.AnswerText(std::nullopt);
    lab.OnAskText = nullptr;
    lab.Preview();
    EXPECT_EQ(b->Answer(), "new B");
    EXPECT_EQ(a->Answer(), "from the handler");
}

TEST_F(LabComponent, ALabelWithoutPromptedTextsAsksNothing)
{
    auto *text = lab.NewElement<TKXText>();
    text->SetP1(500, 500);
    zt::TKXScriptedPrompts prompts; // any question would fail the test
    lab.Preview();
    EXPECT_EQ(previews, 1);
    prompts.ExpectMessages(0);
}

TEST_F(LabComponent, APrinterIndexThatNamesNoQueueIsAnErrorBeforeAnyQuestion)
{
    Ask("AskA", "Question A?", "old A");
    zt::TKXScriptedPrompts prompts; // no answer queued: no question may come
    const int32_t beyond = int32_t(TKXPrinterPort::PrinterNames().size());
    for (int32_t index : {beyond, beyond + 7}) {
        try {
            lab.Print(index);
            ADD_FAILURE() << "printed on printer " << index;
        } catch (const EKxError &e) {
            EXPECT_EQ(std::string(e.what()), "PRINTER NOT FOUND : " + std::to_string(index));
        }
        EXPECT_THROW(lab.Preview(index), EKxError);
    }
    EXPECT_THROW(lab.PrintOn(QStringLiteral("no such queue here")), EKxError);
    EXPECT_EQ(previews, 0);
    EXPECT_EQ(prompts.Count(zt::TPromptKind::InputText), 0);
}

TEST_F(LabComponent, TextsComeFromTheTranslationFileWhenThereIsOne)
{
    Ask("AskA", "Question A?", "old A");
    QTemporaryDir dir;
    const QString file = dir.filePath("deutsch.ini");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Dialogs]\nKxInputText=Antwort schreiben\nkxprintpr=Druckvorschau \xc3\xbc\n");
    }
    struct Case {
        QString File;
        QString Question;
        QString Caption;
    };
    const Case cases[] = {
        {file, "Antwort schreiben", QString::fromUtf8("Druckvorschau \xc3\xbc")},
        {dir.filePath("missing.ini"), "WRITE ANSWER TO QUESTION", "Print Preview"},
    };
    for (const Case &c : cases) {
        lab.SetIniTranslate(c.File);
        zt::TKXScriptedPrompts prompts;
        prompts.AnswerText(std::nullopt);
        lab.Preview();
        EXPECT_EQ(prompts.Calls().at(0).Caption, c.Question);
        EXPECT_EQ(caption, c.Caption);
    }
    // A key the file lacks keeps its English text.
    lab.SetIniTranslate(file);
    EXPECT_EQ(lab.DialogText("KxExit", "Exit"), "Exit");
}

class ElementDialogs : public LabComponent {
protected:
    ElementDialogs()
    {
        lab.SetUnReIni(0);
        para = lab.NewElement<TKXParagraph>();
        para->SetP1(200, 200);
        para->SetP2(4000, 2000);
        para->SetText(QStringLiteral("before"));
        lab.SetUnReIni(1);
        lab.ClearUndoRedo();
        lab.SetModified(false);
        lab.SetSelected(para);
    }
    ~ElementDialogs() override { TKXLab::SetElementDialog(TKXEle::deParagraph, nullptr); }

    TKXParagraph *para = nullptr;
};

TEST_F(ElementDialogs, AKeptDialogIsOneUndoStepAndACancelledOneChangesNothing)
{
    struct Case {
        const char *Name;
        bool Keep;
        bool Throws;
        int UndoSteps;
        QString Text;
        bool Modified;
    };
    const Case cases[] = {
        {"kept", true, false, 1, "typed twice", true},
        {"cancelled", false, false, 0, "before", false},
        {"failed", true, true, 0, "before", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        para->SetText(QStringLiteral("before"));
        lab.ClearUndoRedo();
        lab.SetModified(false);
        TKXLab::SetElementDialog(TKXEle::deParagraph, [&c](TKXLab &, TKXElement &E) {
            auto &p = dynamic_cast<TKXParagraph &>(E);
            p.SetText(QStringLiteral("typed"));
            p.SetText(QStringLiteral("typed twice")); // live changes as the person types
            if (c.Throws)
                throw EKxError("DIALOG FAILED");
            return c.Keep;
        });
        if (c.Throws)
            EXPECT_THROW(lab.ShowElementProp(), EKxError);
        else
            lab.ShowElementProp();
        EXPECT_EQ(para->Text(), c.Text);
        EXPECT_EQ(lab.UndoCount(), c.UndoSteps);
        EXPECT_EQ(lab.Modified(), c.Modified);
        // Recording is on again: a change afterwards is a step of its own.
        para->SetText(QStringLiteral("after"));
        EXPECT_EQ(lab.UndoCount(), c.UndoSteps + 1);
    }
    // Undoing the kept dialog puts the text back in one step.
    para->SetText(QStringLiteral("before"));
    lab.ClearUndoRedo();
    TKXLab::SetElementDialog(TKXEle::deParagraph, [](TKXLab &, TKXElement &E) {
        dynamic_cast<TKXParagraph &>(E).SetText(QStringLiteral("kept"));
        return true;
    });
    lab.ShowElementProp();
    ASSERT_EQ(lab.UndoCount(), 1);
    lab.UndoRedo(TKXURAction::urUndo);
    EXPECT_EQ(dynamic_cast<TKXParagraph *>(lab.GetElement(1))->Text(), "before");
}

TEST_F(ElementDialogs, KindsWithoutADialogOpenNothing)
{
    int opened = 0;
    TKXLab::SetElementDialog(TKXEle::deParagraph, [&](TKXLab &, TKXElement &) { return ++opened > 0; });
    auto *rect = lab.NewElement<TKXRect>();
    rect->SetP1(100, 100);
    rect->SetP2(900, 900);
    lab.ClearUndoRedo();
    lab.SetSelected(rect);
    lab.ShowElementProp();
    lab.SetSelected(nullptr);
    lab.ShowElementProp();
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(lab.UndoCount(), 0);
    lab.SetSelected(para);
    lab.ShowElementProp();
    EXPECT_EQ(opened, 1);
}

TEST_F(ElementDialogs, APictureIsChosenAsOneStepAndACancelledChoiceChangesNothing)
{
    QTemporaryDir dir;
    const QString png = dir.filePath("dot.png");
    QImage dot(4, 4, QImage::Format_RGB32);
    dot.fill(Qt::red);
    ASSERT_TRUE(dot.save(png));
    zt::FakeUIServices ui;
    lab.SetUIServices(&ui);
    auto *image = lab.NewElement<TKXImage>();
    image->SetP1(100, 100);
    image->SetP2(900, 900);
    lab.ClearUndoRedo();
    lab.SetModified(false);
    lab.SetSelected(image);

    ui.PictureToChoose.clear(); // cancelled
    lab.ShowElementProp();
    EXPECT_TRUE(image->FileImage().isEmpty());
    EXPECT_EQ(lab.UndoCount(), 0);
    EXPECT_FALSE(lab.Modified());

    ui.PictureToChoose = png;
    lab.ShowElementProp();
    EXPECT_EQ(image->FileImage(), png);
    EXPECT_EQ(lab.UndoCount(), 1);
    lab.SetUIServices(nullptr);
}

} // namespace
