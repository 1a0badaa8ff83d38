// The modal-dialog test hook for GoogleTest: include this instead of <wx/testing.h>.
//
// wxTEST_DIALOG(code, wxExpectModal<wxMessageDialog>(wxID_OK), ...) runs `code` and answers
// the modal dialogs it opens, in order. An unexpected dialog is a test failure and is answered
// with Cancel at once, so that the test never waits for a person.
#pragma once

#include <gtest/gtest.h>

#include <functional>

#define wxTEST_DIALOG_HOOK_CLASS vyr::test::GTestModalHook
#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/testing.h>
#include <wx/textctrl.h>

#include "app/unsaved_changes.h"
#include "dialogs/protocol_guard_dlg.h"
#include "ui/wx_text.h"

namespace vyr::test {

class GTestModalHook : public wxTestingModalHook {
  public:
    GTestModalHook(const char* file, int line, const char* func)
        : wxTestingModalHook(file, line, func), file_(file), line_(line) {}

  protected:
    int Enter(wxDialog* dialog) override {
        const int answer = wxTestingModalHook::Enter(dialog);
        return answer == wxID_NONE ? wxID_CANCEL : answer;
    }
    void ReportFailure(const wxString& message) override {
        ADD_FAILURE_AT(file_, line_) << message.utf8_string();
    }

  private:
    const char* file_;
    int line_;
};

// Expects a message box and checks its caption and text before answering it.
class ExpectMessage : public wxExpectModalBase<wxMessageDialog, ExpectMessage> {
  public:
    ExpectMessage(wxString title, wxString text, int answer = wxID_OK)
        : title_(std::move(title)), text_(std::move(text)), answer_(answer) {}
    // Any text: it is kept in *captured.
    ExpectMessage(wxString title, wxString* captured)
        : title_(std::move(title)), captured_(captured) {}

    // The same expectation, running `meanwhile` while the box is open (as long as a person
    // takes to read it) before answering it.
    ExpectMessage While(std::function<void()> meanwhile) const {
        ExpectMessage e(*this);
        e.meanwhile_ = std::move(meanwhile);
        return e;
    }

  protected:
    int OnInvoked(wxMessageDialog* dialog) const override {
        EXPECT_EQ(dialog->GetTitle(), title_);
        if (captured_ != nullptr)
            *captured_ = dialog->GetMessage();
        else
            EXPECT_EQ(dialog->GetMessage(), text_);
        if (meanwhile_)
            meanwhile_();
        return answer_;
    }

  private:
    wxString title_;
    wxString text_;
    wxString* captured_ = nullptr;
    std::function<void()> meanwhile_;
    int answer_ = wxID_OK;
};

// Expects a message box as ExpectMessage does, and runs `meanwhile` while it is open before
// answering it.
inline ExpectMessage ExpectMessageWhile(wxString title, wxString text,
                                        std::function<void()> meanwhile) {
    return ExpectMessage(std::move(title), std::move(text)).While(std::move(meanwhile));
}

// Accepts a message box of this title, whatever its text, and keeps the text in *text.
inline ExpectMessage CaptureMessage(wxString title, wxString* text) {
    return ExpectMessage(std::move(title), text);
}

// Expects the question whether to discard unsaved changes, captioned `title`.
inline ExpectMessage ExpectDiscard(const wxString& title, int answer = wxID_YES) {
    return ExpectMessage(title, Wx(UnsavedChanges::kQuestion), answer);
}

// Expects a file dialog with this message and "*.Vyr" files, and answers it with `path`. The
// path is given to the dialog object only: GTK's chooser would start reading the folder in
// the background and complain when the dialog is gone before it has finished.
class ChooseFile : public wxExpectModalBase<wxFileDialog, ChooseFile> {
  public:
    ChooseFile(wxString message, wxString path, int answer = wxID_OK)
        : message_(std::move(message)), path_(std::move(path)), answer_(answer) {}

  protected:
    int OnInvoked(wxFileDialog* dialog) const override {
        EXPECT_EQ(dialog->GetMessage(), message_);
        EXPECT_EQ(dialog->GetWildcard(), "*.Vyr");
        dialog->wxFileDialogBase::SetPath(path_);
        return answer_;
    }

  private:
    wxString message_;
    wxString path_;
    int answer_;
};

// Accepts the guard report and keeps its log (and, when asked, the window it is shown over).
class CaptureGuard : public wxExpectModalBase<ProtocolGuardDlg, CaptureGuard> {
  public:
    explicit CaptureGuard(wxString* log, wxWindow** parent = nullptr)
        : log_(log), parent_(parent) {}

  protected:
    int OnInvoked(ProtocolGuardDlg* dialog) const override {
        *log_ = dialog->LogField()->GetValue();
        if (parent_ != nullptr)
            *parent_ = dialog->GetParent();
        return wxID_OK;
    }

  private:
    wxString* log_;
    wxWindow** parent_;
};

}  // namespace vyr::test
