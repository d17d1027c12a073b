#include "email/email_shared_window.h"

#include "email/email_main_window.h"
#include "settings/placement.h"

namespace kovalt::email {

namespace keys = settings::keys;

EmailSharedWindow::EmailSharedWindow(const platform::InstanceContext& context,
                                     EmailMainWindow& opener)
    : MailFieldsWindow(context), opener_(opener) {}

platform::Result EmailSharedWindow::open() {
    // A fixed frame without minimise or maximise buttons.
    const platform::Result created = create(
        L"KOVALT_EMAIL_SHARED_SETTINGS", WS_CAPTION | WS_SYSMENU | WS_BORDER, WS_EX_CONTROLPARENT,
        L"KOV-ALT - EMAIL SHARED SETTINGS", opener_.hwnd(), context_.icons.program);
    if (!created.ok()) return created;
    createFieldControls();
    addButton(USE_THESE_SHARED_SETTINGS_BUTTON, L"USE THESE SHARED SETTINGS",
              {360, 4320, 3375, 495});
    addButton(CANCEL_BUTTON, L"Cancel", {5280, 4320, 1575, 495});
    addButton(OK_BUTTON, L"OK", {7440, 4320, 1815, 495}, BS_DEFPUSHBUTTON);
    setDefaultButton(OK_BUTTON);
    setCancelButton(CANCEL_BUTTON);
    createLabels(L"EMAIL SHARED SETTINGS");
    Form_Load();
    return {};
}

void EmailSharedWindow::Form_Load() {
    const settings::InstanceSettings stored = context_.settings();
    // Its own placement lives in the instance section; the values in the shared one.
    applyPlacement(settings::readPlacement(stored, keys::kEmailSharedPlacement));
    loadFields(stored, keys::kSharedEmailFields);
}

void EmailSharedWindow::Form_Unload() {
    context_.savePositionAtClose(*this, keys::kEmailSharedPlacement,
                                 L"Where the shared settings window is");
}

void EmailSharedWindow::OK_BUTTON_Click() {
    const settings::InstanceSettings stored = context_.settings();
    context_.savePosition(*this, keys::kEmailSharedPlacement);
    if (const std::optional<std::wstring> unstored = saveFields(stored, keys::kSharedEmailFields)) {
        showStatus(STATUS_LABEL, L"The shared settings were not all stored. " + *unstored);
        return;
    }
    close();
}

void EmailSharedWindow::USE_THESE_SHARED_SETTINGS_BUTTON_Click() {
    // What this window shows, unsaved edits included; the e-mail window's own TLS rules run
    // for every box they change, and its builder composes the copy at its next tick.
    opener_.setFields(fields());
    opener_.setTls(tls());
}

void EmailSharedWindow::onCommand(int id, int code, HWND) {
    if (onFieldCommand(id, code) || code != BN_CLICKED) return;
    switch (id) {
        case OK_BUTTON: OK_BUTTON_Click(); break;
        case CANCEL_BUTTON: CANCEL_BUTTON_Click(); break;
        case USE_THESE_SHARED_SETTINGS_BUTTON: USE_THESE_SHARED_SETTINGS_BUTTON_Click(); break;
        default: break;
    }
}

}  // namespace kovalt::email
