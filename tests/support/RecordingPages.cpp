#include "RecordingPages.h"

#include <algorithm>

namespace zt {

kx::TKXCanvas &RecordingPages::BeginPage(int32_t PageNo)
{
    Pages.push_back({PageNo, false, std::make_unique<RecordingCanvas>()});
    return *Pages.back().Canvas;
}

void RecordingPages::EndPage(int32_t PageNo)
{
    if (!Pages.empty() && Pages.back().PageNo == PageNo)
        Pages.back().Ended = true;
}

std::vector<std::string> RecordingPages::Labels(size_t Index) const
{
    std::vector<std::string> out;
    for (const RecordedCall &c : Pages.at(Index).Canvas->Calls()) {
        if (c.Text.rfind("TextOut(", 0) != 0)
            continue;
        // TextOut(x,y,"text") -> text@x,y
        const size_t q = c.Text.find('"');
        const std::string xy = c.Text.substr(8, q - 9);
        const std::string text = c.Text.substr(q + 1, c.Text.size() - q - 3);
        out.push_back(text + "@" + xy);
    }
    return out;
}

std::vector<std::string> RecordingPages::AllTexts() const
{
    std::vector<std::string> out;
    for (size_t i = 0; i < Pages.size(); ++i)
        for (const std::string &l : Labels(i))
            out.push_back(l.substr(0, l.find('@')));
    return out;
}

bool TestRunData::ValidateData()
{
    if (!Bound || !Master_)
        return false;
    if (!Master_->Active())
        Master_->Open();
    return true;
}

int32_t TestRunData::InitCounters()
{
    int32_t n = 0;
    for (TestCounter &c : Counters) {
        c.Active = true;
        c.Value = c.From;
        n = std::max(n, int32_t((c.To - c.From) / c.Step) + 1);
    }
    return n;
}

void TestRunData::StepCounters()
{
    for (TestCounter &c : Counters)
        if (c.Active && c.To >= c.Value && c.To >= c.Value + c.Step)
            c.Value += c.Step;
}

void TestRunData::SetCountersToLabel(int32_t n)
{
    for (TestCounter &c : Counters)
        if (c.Active)
            c.Value = c.From + int64_t(c.Step * (n - 1));
}

std::vector<int64_t> TestRunData::CounterValues()
{
    std::vector<int64_t> v;
    for (const TestCounter &c : Counters)
        v.push_back(c.Value);
    return v;
}

void TestRunData::RestoreCounterValues(const std::vector<int64_t> &Values)
{
    for (size_t i = 0; i < Values.size() && i < Counters.size(); ++i)
        Counters[i].Value = Values[i];
}

void ProbeText::Draw(kx::TKXCanvas &Canvas, kx::TPoint po, kx::TKXDrawType, kx::TKXFillType Fill)
{
    using kx::TKXFillType;
    QString text;
    if ((Fill == TKXFillType::ftField || Fill == TKXFillType::ftFieldCounter) && FData.Master())
        text += "R" + FData.Master()->FieldByName("ID").AsString();
    if ((Fill == TKXFillType::ftCounter || Fill == TKXFillType::ftFieldCounter) && !FData.Counters.empty())
        text += "C" + QString::number(FData.Counters.front().Value);
    if (text.isEmpty())
        text = "-";
    Canvas.TextOut(po.x + FP1.x, po.y + FP1.y, text);
}

std::unique_ptr<MemoryDataset> MakeItems(int Count, const std::vector<int> &Rep)
{
    auto ds = std::make_unique<MemoryDataset>("Items");
    ds->AddColumn("ID", kx::TKXFieldType::ftInteger);
    if (!Rep.empty())
        ds->AddColumn("REP", kx::TKXFieldType::ftInteger);
    for (int i = 0; i < Count; ++i) {
        if (Rep.empty())
            ds->AddRow({i + 1});
        else
            ds->AddRow({i + 1, i < int(Rep.size()) ? QVariant(Rep[size_t(i)]) : QVariant()});
    }
    return ds;
}

} // namespace zt
