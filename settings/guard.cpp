#include "guard.h"

#include "text.h"

namespace vyr {

namespace {

void AppendQuoted(std::wstring& out, std::string_view text) {
    out += L'"';
    out += Latin1ToWide(text);
    out += L'"';
}

}  // namespace

void GuardLog::BeginGuard(std::string_view context) {
    context_ = Latin1ToWide(context);
    log_.clear();
}

void GuardLog::LogInvalid(std::string_view key, int preset, std::string_view rejected,
                          std::string_view replacement) {
    log_ += L"    parameter: ";
    AppendQuoted(log_, key);
    log_ += L" preset: #" + std::to_wstring(preset) + L" invalid_value: ";
    AppendQuoted(log_, rejected);
    log_ += L" new value: ";
    AppendQuoted(log_, replacement);
    log_ += L'\n';
}

void GuardLog::LogMissing(std::string_view key, int preset, std::string_view replacement) {
    LogReplaced(key, preset, L"-missing-", replacement);
}

void GuardLog::LogUnanswered(std::string_view key, int preset, std::string_view replacement) {
    LogReplaced(key, preset, L"-no answer-", replacement);
}

void GuardLog::LogReplaced(std::string_view key, int preset, std::wstring_view why,
                           std::string_view replacement) {
    log_ += L"    parameter: ";
    AppendQuoted(log_, key);
    log_ += L" preset: #" + std::to_wstring(preset) + L" ";
    log_ += why;
    log_ += L" new value: ";
    AppendQuoted(log_, replacement);
    log_ += L'\n';
}

std::wstring GuardLog::Explanation() const {
    return L"The protocol guard has detected invalid parameter values while " + context_ +
           L".\nThis may happen from a version update or a setting corruption.\n"
           L"The invalid values have been exchanged, please check the listing below for details.";
}

}  // namespace vyr
