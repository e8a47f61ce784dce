#include "ScriptedPrompts.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zt {

const char *PromptKindName(TPromptKind Kind)
{
    switch (Kind) {
    case TPromptKind::Message: return "Message";
    case TPromptKind::InputText: return "InputText";
    case TPromptKind::InputInteger: return "InputInteger";
    case TPromptKind::OpenFile: return "OpenFile";
    case TPromptKind::SaveFile: return "SaveFile";
    case TPromptKind::ChooseColor: return "ChooseColor";
    case TPromptKind::ChooseItem: return "ChooseItem";
    case TPromptKind::ChoosePrinter: return "ChoosePrinter";
    case TPromptKind::ShowError: return "ShowError";
    case TPromptKind::ShowInfo: return "ShowInfo";
    }
    return "?";
}

TKXScriptedPrompts::TKXScriptedPrompts() : FScope(*this) {}

TKXScriptedPrompts::~TKXScriptedPrompts()
{
    for (const auto &[kind, answer] : FAnswers)
        ADD_FAILURE() << "A scripted " << PromptKindName(kind) << " answer was never asked for";
}

// ---------------------------------------------------------------------------------------
// Answers

void TKXScriptedPrompts::AnswerMessage(int Result) { FAnswers.push_back({TPromptKind::Message, {{}, Result, 0}}); }

void TKXScriptedPrompts::AnswerText(std::optional<QString> Value)
{
    TAnswer a;
    a.Text = std::move(Value);
    a.Number = a.Text ? std::optional<int>(1) : std::nullopt;
    FAnswers.push_back({TPromptKind::InputText, a});
}

void TKXScriptedPrompts::AnswerInteger(std::optional<int> Value)
{
    FAnswers.push_back({TPromptKind::InputInteger, {{}, Value, 0}});
}

void TKXScriptedPrompts::AnswerOpen(std::optional<QString> FileName, int FilterIndex)
{
    TAnswer a;
    a.Text = std::move(FileName);
    a.Number = a.Text ? std::optional<int>(1) : std::nullopt;
    a.FilterIndex = FilterIndex;
    FAnswers.push_back({TPromptKind::OpenFile, a});
}

void TKXScriptedPrompts::AnswerSave(std::optional<QString> FileName, int FilterIndex)
{
    TAnswer a;
    a.Text = std::move(FileName);
    a.Number = a.Text ? std::optional<int>(1) : std::nullopt;
    a.FilterIndex = FilterIndex;
    FAnswers.push_back({TPromptKind::SaveFile, a});
}

void TKXScriptedPrompts::AnswerColor(std::optional<kx::TKXColor> Color)
{
    FAnswers.push_back({TPromptKind::ChooseColor, {{}, Color ? std::optional<int>(int(*Color)) : std::nullopt, 0}});
}

void TKXScriptedPrompts::AnswerItem(std::optional<int> Index)
{
    FAnswers.push_back({TPromptKind::ChooseItem, {{}, Index, 0}});
}

void TKXScriptedPrompts::AnswerPrinter(std::optional<QString> Name)
{
    TAnswer a;
    a.Text = std::move(Name);
    a.Number = a.Text ? std::optional<int>(1) : std::nullopt;
    FAnswers.push_back({TPromptKind::ChoosePrinter, a});
}

int TKXScriptedPrompts::Pending() const { return int(FAnswers.size()); }

std::optional<TKXScriptedPrompts::TAnswer> TKXScriptedPrompts::Next(TPromptKind Kind, const TPromptCall &Call)
{
    FCalls.push_back(Call);
    const auto it = std::find_if(FAnswers.begin(), FAnswers.end(), [&](const auto &a) { return a.first == Kind; });
    if (it == FAnswers.end()) {
        ADD_FAILURE() << "Unexpected " << PromptKindName(Kind) << " \"" << Call.Caption.toStdString()
                      << "\": " << Call.Text.toStdString();
        return std::nullopt;
    }
    TAnswer answer = it->second;
    FAnswers.erase(it);
    return answer;
}

// ---------------------------------------------------------------------------------------
// What was asked

int TKXScriptedPrompts::Count(TPromptKind Kind) const
{
    return int(std::count_if(FCalls.begin(), FCalls.end(), [&](const TPromptCall &c) { return c.Kind == Kind; }));
}

QStringList TKXScriptedPrompts::Errors() const
{
    QStringList texts;
    for (const TPromptCall &c : FCalls)
        if (c.Kind == TPromptKind::ShowError)
            texts << c.Text;
    return texts;
}

QStringList TKXScriptedPrompts::Infos() const
{
    QStringList texts;
    for (const TPromptCall &c : FCalls)
        if (c.Kind == TPromptKind::ShowInfo)
            texts << c.Text;
    return texts;
}

void TKXScriptedPrompts::ExpectMessages(int N) const
{
    const int shown = Count(TPromptKind::Message) + Count(TPromptKind::ShowError) + Count(TPromptKind::ShowInfo);
    EXPECT_EQ(shown, N) << "messages shown";
}

// ---------------------------------------------------------------------------------------
// TKXPrompts

int TKXScriptedPrompts::Message(const QString &Text, const QString &Caption, kx::TKXMsgButtons Buttons,
                                kx::TKXMsgIcon Icon)
{
    TPromptCall call{TPromptKind::Message, Caption, Text};
    call.Buttons = Buttons;
    call.Icon = Icon;
    const auto answer = Next(TPromptKind::Message, call);
    if (!answer || !answer->Number)
        return (Buttons & kx::mbCancel) ? kx::idCancel : (Buttons & kx::mbNo) ? kx::idNo : kx::idOK;
    return *answer->Number;
}

bool TKXScriptedPrompts::InputText(const QString &Caption, const QString &Prompt, QString &Value)
{
    const auto answer = Next(TPromptKind::InputText, {TPromptKind::InputText, Caption, Prompt});
    if (!answer || !answer->Text)
        return false;
    Value = *answer->Text;
    return true;
}

bool TKXScriptedPrompts::InputInteger(const QString &Caption, const QString &Prompt, int &Value, int Min, int Max)
{
    TPromptCall call{TPromptKind::InputInteger, Caption, Prompt};
    call.Min = Min;
    call.Max = Max;
    const auto answer = Next(TPromptKind::InputInteger, call);
    if (!answer || !answer->Number)
        return false;
    // The real dialog cannot give a number outside the range.
    EXPECT_TRUE(*answer->Number >= Min && *answer->Number <= Max)
        << "scripted number " << *answer->Number << " outside " << Min << ".." << Max;
    Value = *answer->Number;
    return true;
}

bool TKXScriptedPrompts::File(TPromptKind Kind, const QString &Caption, const std::vector<kx::TKXFileFilter> &Filters,
                              int &FilterIndex, QString &FileName)
{
    TPromptCall call{Kind, Caption, FileName};
    call.Filters = Filters;
    const auto answer = Next(Kind, call);
    if (!answer || !answer->Text)
        return false;
    FileName = *answer->Text;
    if (answer->FilterIndex > 0)
        FilterIndex = answer->FilterIndex;
    return true;
}

bool TKXScriptedPrompts::OpenFile(const QString &Caption, const std::vector<kx::TKXFileFilter> &Filters,
                                  int &FilterIndex, QString &FileName)
{
    return File(TPromptKind::OpenFile, Caption, Filters, FilterIndex, FileName);
}

bool TKXScriptedPrompts::SaveFile(const QString &Caption, const std::vector<kx::TKXFileFilter> &Filters,
                                  int &FilterIndex, QString &FileName)
{
    return File(TPromptKind::SaveFile, Caption, Filters, FilterIndex, FileName);
}

bool TKXScriptedPrompts::ChooseColor(kx::TKXColor &Color)
{
    const auto answer = Next(TPromptKind::ChooseColor, {TPromptKind::ChooseColor, QString(), QString()});
    if (!answer || !answer->Number)
        return false;
    Color = kx::TKXColor(*answer->Number);
    return true;
}

bool TKXScriptedPrompts::ChooseItem(const QString &Caption, const QString &Prompt, const QStringList &Items, int &Index)
{
    TPromptCall call{TPromptKind::ChooseItem, Caption, Prompt};
    call.Items = Items;
    const auto answer = Next(TPromptKind::ChooseItem, call);
    if (!answer || !answer->Number)
        return false;
    EXPECT_TRUE(*answer->Number >= 0 && *answer->Number < Items.size())
        << "scripted item " << *answer->Number << " of " << Items.size();
    Index = *answer->Number;
    return true;
}

bool TKXScriptedPrompts::ChoosePrinter(QString &Name)
{
    const auto answer = Next(TPromptKind::ChoosePrinter, {TPromptKind::ChoosePrinter, QString(), Name});
    if (!answer || !answer->Text)
        return false;
    Name = *answer->Text;
    return true;
}

void TKXScriptedPrompts::ShowError(const QString &Text) { FCalls.push_back({TPromptKind::ShowError, QString(), Text}); }

void TKXScriptedPrompts::ShowInfo(const QString &Text) { FCalls.push_back({TPromptKind::ShowInfo, QString(), Text}); }

} // namespace zt
