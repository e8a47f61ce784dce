// Prompts for tests: each question is answered from a queue of answers for its kind and
// recorded (kind, caption, text). It installs itself as Prompts() for its lifetime. A
// question with no answer queued fails the test (and is answered as a cancelled dialog);
// answers left unused when it ends fail the test too.
//
//   zt::TKXScriptedPrompts prompts;
//   prompts.AnswerMessage(kx::idYes);
//   prompts.AnswerSave("/tmp/x.eti");
//   window.SaveAs();
//   EXPECT_EQ(prompts.Count(zt::TPromptKind::Message), 1);
#pragma once

#include "prompts/KXPrompts.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <optional>
#include <utility>
#include <vector>

namespace zt {

enum class TPromptKind { Message, InputText, InputInteger, OpenFile, SaveFile, ChooseColor, ChooseItem,
                         ChoosePrinter, ShowError, ShowInfo };

const char *PromptKindName(TPromptKind Kind);

// One question as it was asked.
struct TPromptCall {
    TPromptCall(TPromptKind K, QString C = {}, QString T = {}) : Kind(K), Caption(std::move(C)), Text(std::move(T)) {}
    TPromptKind Kind;
    QString Caption;
    QString Text;                  // the message or the prompt
    kx::TKXMsgButtons Buttons = 0; // messages
    kx::TKXMsgIcon Icon = kx::TKXMsgIcon::None;
    std::vector<kx::TKXFileFilter> Filters; // file dialogs
    QStringList Items;                      // ChooseItem
    int Min = 0, Max = 0;                   // InputInteger
};

class TKXScriptedPrompts final : public kx::TKXPrompts {
public:
    TKXScriptedPrompts();
    ~TKXScriptedPrompts() override;

    // --- Answers, queued per kind; std::nullopt (Cancel) answers false ---------------
    void AnswerMessage(int Result);
    void AnswerText(std::optional<QString> Value);
    void AnswerInteger(std::optional<int> Value);
    // FilterIndex 0 keeps the index the caller gave.
    void AnswerOpen(std::optional<QString> FileName, int FilterIndex = 0);
    void AnswerSave(std::optional<QString> FileName, int FilterIndex = 0);
    void AnswerColor(std::optional<kx::TKXColor> Color);
    void AnswerItem(std::optional<int> Index);
    void AnswerPrinter(std::optional<QString> Name);
    // Answers not used yet.
    int Pending() const;

    // --- What was asked ----------------------------------------------------------------
    const std::vector<TPromptCall> &Calls() const { return FCalls; }
    int Count(TPromptKind Kind) const;
    // The texts of the errors and of the information shown, in order.
    QStringList Errors() const;
    QStringList Infos() const;
    // Checks (as a test failure) that exactly N messages of any kind - Message, ShowError
    // and ShowInfo - were shown.
    void ExpectMessages(int N) const;
    void ClearCalls() { FCalls.clear(); }

    // --- TKXPrompts ----------------------------------------------------------------------
    int Message(const QString &Text, const QString &Caption, kx::TKXMsgButtons Buttons, kx::TKXMsgIcon Icon) override;
    bool InputText(const QString &Caption, const QString &Prompt, QString &Value) override;
    bool InputInteger(const QString &Caption, const QString &Prompt, int &Value, int Min, int Max) override;
    bool OpenFile(const QString &Caption, const std::vector<kx::TKXFileFilter> &Filters, int &FilterIndex,
                  QString &FileName) override;
    bool SaveFile(const QString &Caption, const std::vector<kx::TKXFileFilter> &Filters, int &FilterIndex,
                  QString &FileName) override;
    bool ChooseColor(kx::TKXColor &Color) override;
    bool ChooseItem(const QString &Caption, const QString &Prompt, const QStringList &Items, int &Index) override;
    bool ChoosePrinter(QString &Name) override;
    void ShowError(const QString &Text) override;
    void ShowInfo(const QString &Text) override;

private:
    struct TAnswer {
        std::optional<QString> Text;
        std::optional<int> Number;
        int FilterIndex = 0;
    };
    // The next answer of Kind; none queued fails the test.
    std::optional<TAnswer> Next(TPromptKind Kind, const TPromptCall &Call);
    bool File(TPromptKind Kind, const QString &Caption, const std::vector<kx::TKXFileFilter> &Filters,
              int &FilterIndex, QString &FileName);

    std::vector<TPromptCall> FCalls;
    std::deque<std::pair<TPromptKind, TAnswer>> FAnswers;
    kx::TKXPromptsScope FScope;
};

} // namespace zt
