#include "email/mail_fields_window.h"

#include "email/alert_scripts.h"

namespace kovalt::email {

namespace {
constexpr wchar_t kDefaultHome[] = L"C:\\TALVERO-ROOT\\SendEmail";
constexpr wchar_t kBrowseTitle[] = L"HOME FOLDER - SendEmail.exe";

constexpr int kFieldIds[] = {
    MailFieldsWindow::SE_HOME_TEXTBOX,           MailFieldsWindow::SMTP_SERVER_ADDRESS_PORT_TEXTBOX,
    MailFieldsWindow::SMTP_USERNAME_TEXTBOX,     MailFieldsWindow::SMTP_PASSWORD_TEXTBOX,
    MailFieldsWindow::SEND_FROM_ADDRESS_TEXTBOX, MailFieldsWindow::SEND_TO_ADDRESS_TEXTBOX,
    MailFieldsWindow::SEND_CC_ADDRESS_TEXTBOX,   MailFieldsWindow::SEND_BCC_ADDRESS_TEXTBOX};
constexpr std::pair<int, TlsBox> kTlsBoxes[] = {{MailFieldsWindow::TLS_NO_TICKBOX, TlsBox::No},
                                                {MailFieldsWindow::TLS_YES_TICKBOX, TlsBox::Yes},
                                                {MailFieldsWindow::TLS_AUTO_TICKBOX, TlsBox::Auto}};
}  // namespace

void MailFieldsWindow::createFieldControls() {
    addPictureButton(BROWSE_SE_HOME_FOLDER_BUTTON, context_.icons.folder, {240, 840, 360, 375});
    addButton(USE_BUTTON, L"Use", {6240, 600, 615, 240});
    setFont(addTextBox(SE_HOME_TEXTBOX, L"", {600, 840, 9015, 315}), L"Tahoma", 8, true);
    addTextBox(SMTP_SERVER_ADDRESS_PORT_TEXTBOX, L"", {240, 1560, 6495, 285});
    addTextBox(SMTP_USERNAME_TEXTBOX, L"", {240, 2280, 4575, 285});
    addTextBox(SMTP_PASSWORD_TEXTBOX, L"", {5040, 2280, 4575, 285}, ES_PASSWORD);
    addTickBox(SHOW_PASSWORD_TICKBOX, L"Show Password", {8160, 2040, 1575, 240});
    addTextBox(SEND_FROM_ADDRESS_TEXTBOX, L"", {240, 3000, 4575, 285});
    addTextBox(SEND_TO_ADDRESS_TEXTBOX, L"", {5040, 3000, 4575, 285});
    addTextBox(SEND_CC_ADDRESS_TEXTBOX, L"", {240, 3720, 4575, 285});
    addTextBox(SEND_BCC_ADDRESS_TEXTBOX, L"", {5040, 3720, 4575, 285});
    // The TLS boxes follow the group's rules, so their clicks are the window's to apply.
    addTickBox(TLS_NO_TICKBOX, L"no", {7200, 1440, 495, 255}, false);
    addTickBox(TLS_YES_TICKBOX, L"yes", {7920, 1440, 615, 255}, false);
    addTickBox(TLS_AUTO_TICKBOX, L"auto", {8760, 1440, 615, 255}, false);
    showTls();
}

void MailFieldsWindow::createLabels(const wchar_t* heading) {
    addHeading(TITLE_LABEL, L"KOV-ALT", {120, 120, 2295, 375});
    addHeading(HEADING_LABEL, heading, {2520, 120, 7215, 375});
    addLabel(HINT_LABEL, L"\"SendEmail.exe\" HOME - eg - C:\\TALVERO-ROOT\\SendEmail",
             {240, 600, 5895, 240});
    addLabel(SMTP_SERVER_PORT_LABEL, L"SMTP SERVER:PORT - e.g. IP:25 or FQDN:25",
             {240, 1320, 4695, 240});
    addControl(L"BUTTON", TLS_FRAME, L"TLS", BS_GROUPBOX | WS_CLIPSIBLINGS,
               {6960, 1200, 2655, 615});
    addLabel(SMTP_USERNAME_LABEL, L"SMTP Username", {240, 2040, 1455, 240});
    addLabel(SMTP_PASSWORD_LABEL, L"Password", {5040, 2040, 855, 240});
    addLabel(FROM_LABEL, L"From", {240, 2760, 1455, 240});
    addLabel(TO_LABEL, L"To", {5040, 2760, 1455, 240});
    addLabel(CC_LABEL, L"Cc", {240, 3480, 1455, 240});
    addLabel(BCC_LABEL, L"Bcc", {5040, 3480, 1455, 240});
    addStatusLine(STATUS_LABEL, {240, 4035, 9375, 255});
}

void MailFieldsWindow::loadFields(const settings::InstanceSettings& stored,
                                  const std::array<settings::SettingKey, 11>& keys) {
    setFields(storedFields(stored, keys));
    setTls(storedTls(stored, keys));
    SHOW_PASSWORD_TICKBOX_Click();  // unticked in a new window: the password starts masked
}

std::optional<std::wstring> MailFieldsWindow::saveFields(
    const settings::InstanceSettings& stored,
    const std::array<settings::SettingKey, 11>& keys) const {
    static constexpr const wchar_t* names[] = {L"mailer home folder",
                                               L"SMTP server",
                                               L"SMTP username",
                                               L"SMTP password",
                                               L"From address",
                                               L"To address",
                                               L"Cc address",
                                               L"Bcc address",
                                               L"TLS no",
                                               L"TLS yes",
                                               L"TLS auto"};
    platform::Result first;
    std::wstring unstored;
    size_t failed = 0;
    for (size_t i = 0; i < keys.size(); ++i) {
        const std::wstring value = i < 8 ? controlText(kFieldIds[i])
                                   : tls_.ticked(kTlsBoxes[i - 8].second) ? L"1"
                                                                          : L"0";
        if (const platform::Result saved = stored.save(keys[i], value); !saved.ok()) {
            first.keep(saved);
            ++failed;
            unstored += (unstored.empty() ? L"" : L", ") + std::wstring(names[i]);
        }
    }
    if (first.ok()) return std::nullopt;
    if (failed == keys.size()) unstored = L"any of them";
    return L"Not stored: " + unstored + L" (" + platform::describe(first) + L")";
}

MailFields MailFieldsWindow::fields() const {
    return {controlText(SE_HOME_TEXTBOX),           controlText(SMTP_SERVER_ADDRESS_PORT_TEXTBOX),
            controlText(SMTP_USERNAME_TEXTBOX),     controlText(SMTP_PASSWORD_TEXTBOX),
            controlText(SEND_FROM_ADDRESS_TEXTBOX), controlText(SEND_TO_ADDRESS_TEXTBOX),
            controlText(SEND_CC_ADDRESS_TEXTBOX),   controlText(SEND_BCC_ADDRESS_TEXTBOX)};
}

void MailFieldsWindow::setFields(const MailFields& f) {
    const std::wstring* values[] = {&f.home, &f.server, &f.user, &f.password,
                                    &f.from, &f.to,     &f.cc,   &f.bcc};
    for (size_t i = 0; i < 8; ++i) setControlText(kFieldIds[i], *values[i]);
}

void MailFieldsWindow::setTls(const TlsGroup& state) {
    tls_.copyFrom(state);
    showTls();
}

void MailFieldsWindow::showTls() {
    for (auto [id, box] : kTlsBoxes) {
        ::SendMessageW(control(id), BM_SETCHECK, tls_.ticked(box) ? BST_CHECKED : BST_UNCHECKED, 0);
        ::EnableWindow(control(id), tls_.enabled(box));
    }
}

void MailFieldsWindow::TLS_TICKBOX_Click(TlsBox box) {
    tls_.click(box);
    showTls();
}

void MailFieldsWindow::USE_BUTTON_Click() { setControlText(SE_HOME_TEXTBOX, kDefaultHome); }

void MailFieldsWindow::BROWSE_SE_HOME_FOLDER_BUTTON_Click() {
    // A cancelled browser leaves the field as it was.
    if (auto folder = context_.pickFolder(hwnd(), kBrowseTitle))
        setControlText(SE_HOME_TEXTBOX, *folder);
}

void MailFieldsWindow::SHOW_PASSWORD_TICKBOX_Click() {
    HWND password = control(SMTP_PASSWORD_TEXTBOX);
    ::SendMessageW(password, EM_SETPASSWORDCHAR, tickValue(SHOW_PASSWORD_TICKBOX) ? 0 : L'*', 0);
    ::InvalidateRect(password, nullptr, TRUE);
}

bool MailFieldsWindow::onFieldCommand(int id, int code) {
    if (code != BN_CLICKED) return false;
    switch (id) {
        case USE_BUTTON: USE_BUTTON_Click(); return true;
        case BROWSE_SE_HOME_FOLDER_BUTTON: BROWSE_SE_HOME_FOLDER_BUTTON_Click(); return true;
        case SHOW_PASSWORD_TICKBOX: SHOW_PASSWORD_TICKBOX_Click(); return true;
        case TLS_NO_TICKBOX: TLS_TICKBOX_Click(TlsBox::No); return true;
        case TLS_YES_TICKBOX: TLS_TICKBOX_Click(TlsBox::Yes); return true;
        case TLS_AUTO_TICKBOX: TLS_TICKBOX_Click(TlsBox::Auto); return true;
        default: return false;
    }
}

}  // namespace kovalt::email
