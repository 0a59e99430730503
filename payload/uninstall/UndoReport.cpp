#include "UndoReport.h"

#include "journal/JournalRecord.h"
#include "base/pure/DecimalText.h"

namespace undo {
namespace {

constexpr std::size_t kMaxLines = 20;

std::wstring Where(const Step& step) {
    if (step.action == Action::RemoveFile || step.action == Action::RemoveFolder) return step.path;
    std::wstring where = step.root == journal::kRootLocalMachine ? L"HKEY_LOCAL_MACHINE\\" : L"HKEY_CURRENT_USER\\";
    where += step.path;
    if (step.action == Action::RemoveValue) where += L"\\" + step.valueName;
    return where;
}

std::wstring Line(const StepResult& result, const Leftovers& leftovers) {
    switch (result.outcome) {
        case Outcome::KeptNotEmpty: return Where(result.step) + L"（其中还有其他内容，已保留）";
        case Outcome::Refused: return Where(result.step) + L"（路径经过链接，未删除）";
        case Outcome::Failed:
            for (const std::wstring& marked : leftovers.atRestart)
                if (result.step.action == Action::RemoveFile && marked == result.step.path)
                    return Where(result.step) + L"（正在使用，将在重新启动计算机后删除）";
            return Where(result.step) + L"（错误 " + DecimalText(result.error) + L"）";
        default: return {};
    }
}

}  // namespace

Report MakeReport(const Plan& plan, const std::vector<StepResult>& results, const Leftovers& leftovers) {
    Report report;
    std::vector<std::wstring> lines;
    for (const Refusal& refusal : plan.refused) {
        lines.push_back(L"安装记录第 " + DecimalText(refusal.line) + L" 行不在允许的范围内：" +
                        Utf8ToUtf16(refusal.text));
        report.clean = false;
    }
    for (const StepResult& result : results) {
        if (std::wstring line = Line(result, leftovers); !line.empty()) lines.push_back(std::move(line));
        if (result.outcome == Outcome::Failed || result.outcome == Outcome::Refused) report.clean = false;
    }
    if (lines.empty()) {
        report.text = L"VexmoraZevlo邮箱 已成功卸载。";
        return report;
    }
    report.text = leftovers.entryKept ? L"VexmoraZevlo邮箱 尚未完全卸载，以下项目未删除：\n"
                                      : L"VexmoraZevlo邮箱 已卸载，以下项目未删除：\n";
    for (std::size_t i = 0; i < lines.size() && i < kMaxLines; ++i) report.text += L"\n" + lines[i];
    if (lines.size() > kMaxLines)
        report.text += L"\n……以及另外 " + DecimalText(lines.size() - kMaxLines) + L" 项";
    if (leftovers.entryKept) {
        report.clean = false;
        report.text += L"\n\n关闭正在使用这些文件的程序（或重新启动计算机）后，请在“程序和功能”中再次卸载 "
                       L"VexmoraZevlo邮箱，以删除其余项目。";
    }
    return report;
}

}  // namespace undo
