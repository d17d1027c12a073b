#include "instance/push_window.h"

#include "monitor/push_settings.h"
#include "platform/protect.h"
#include "settings/protected_text.h"
#include "settings/placement.h"

namespace kovalt::instance {

namespace keys = settings::keys;
using monitor::PushService;

namespace {
constexpr PushService kServices[] = {PushService::None,     PushService::Ntfy,
                                     PushService::Discord,  PushService::Slack,
                                     PushService::Telegram, PushService::Webhook};
// The boxes kept protected for the user (a webhook URL is a secret too).
constexpr std::pair<int, const settings::SettingKey*> kSecrets[] = {
    {PushWindow::PUSH_URL_TEXTBOX, &keys::PUSH_URL_TEXTBOX},
    {PushWindow::PUSH_TOKEN_TEXTBOX, &keys::PUSH_TOKEN_TEXTBOX},
    {PushWindow::HEARTBEAT_URL_TEXTBOX, &keys::HEARTBEAT_URL_TEXTBOX}};
constexpr std::pair<int, const settings::SettingKey*> kPlain[] = {
    {PushWindow::PUSH_CHAT_TEXTBOX, &keys::PUSH_CHAT_TEXTBOX},
    {PushWindow::HEARTBEAT_MINUTES_TEXTBOX, &keys::HEARTBEAT_MINUTES_TEXTBOX}};
}  // namespace

PushWindow::PushWindow(const platform::InstanceContext& context, monitor::Switches& switches,
                       HWND owner)
    : context_(context), switches_(switches), owner_(owner) {}

platform::Result PushWindow::open() {
    const platform::Result created =
        create(L"KOVALT_PUSH_SETTINGS", WS_CAPTION | WS_SYSMENU | WS_BORDER, WS_EX_CONTROLPARENT,
               L"KOV-ALT - PUSH AND HEARTBEAT", owner_, context_.icons.program);
    if (!created.ok()) return created;
    createControls();
    Form_Load();
    return {};
}

void PushWindow::createControls() {
    addHeading(TITLE_LABEL, L"KOV-ALT", {120, 60, 1815, 315});
    addHeading(HEADING_LABEL, L"PUSH AND HEARTBEAT", {2040, 60, 4615, 315});
    addLabel(PUSH_SERVICE_LABEL, L"Push every alert to", {120, 525, 1815, 240});
    HWND services = addControl(L"COMBOBOX", PUSH_SERVICE_COMBOBOX, L"",
                               CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL, {2040, 480, 2000, 1800});
    for (PushService service : kServices)
        ::SendMessageW(services, CB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(monitor::serviceWord(service)));
    addLabel(PUSH_URL_LABEL, L"Topic or webhook URL (Telegram: its API, empty for the usual one)",
             {120, 900, 6535, 240});
    addTextBox(PUSH_URL_TEXTBOX, L"", {120, 1140, 6535, 315});
    addLabel(PUSH_TOKEN_LABEL, L"Token (Telegram's bot; ntfy's, if any)", {120, 1560, 3900, 240});
    addTextBox(PUSH_TOKEN_TEXTBOX, L"", {120, 1800, 3900, 315}, ES_PASSWORD);
    addLabel(PUSH_CHAT_LABEL, L"Chat (Telegram)", {4140, 1560, 2515, 240});
    addTextBox(PUSH_CHAT_TEXTBOX, L"", {4140, 1800, 2515, 315});
    addButton(SEND_TEST_PUSH_BUTTON, L"Send Test Push", {120, 2280, 1815, 375});
    addLabel(TEST_PUSH_STATUS_LABEL, L"", {2040, 2340, 4615, 255}, SS_ENDELLIPSIS | SS_NOTIFY);
    addLine(LINE_1, {120, 2805, 6535, 30});
    addLabel(HEARTBEAT_URL_LABEL,
             L"Heartbeat URL, pinged while the program runs (empty: no heartbeat)",
             {120, 2955, 6535, 240});
    addTextBox(HEARTBEAT_URL_TEXTBOX, L"", {120, 3195, 6535, 315});
    addLabel(HEARTBEAT_EVERY_LABEL, L"every", {120, 3645, 615, 240});
    addTextBox(HEARTBEAT_MINUTES_TEXTBOX, L"", {735, 3600, 615, 315});
    addLabel(HEARTBEAT_UNIT_LABEL, L"minutes", {1440, 3645, 1500, 240});
    addStatusLine(STATUS_LABEL, {120, 4065, 6535, 255});
    addButton(CANCEL_BUTTON, L"Cancel", {3240, 4440, 1575, 435});
    addButton(OK_BUTTON, L"OK", {4980, 4440, 1675, 435}, BS_DEFPUSHBUTTON);
    setDefaultButton(OK_BUTTON);
    setCancelButton(CANCEL_BUTTON);
}

void PushWindow::Form_Load() {
    const settings::InstanceSettings stored = context_.settings();
    applyPlacement(settings::readPlacement(stored, keys::kPushPlacement));
    const PushService service = monitor::serviceOf(stored.text(keys::PUSH_SERVICE_COMBOBOX));
    for (size_t i = 0; i < std::size(kServices); ++i)
        if (kServices[i] == service)
            ::SendMessageW(control(PUSH_SERVICE_COMBOBOX), CB_SETCURSEL, i, 0);
    for (const auto& [id, key] : kPlain) setControlText(id, stored.text(*key));
    // Kept for another account or PC, a value cannot be read here: it shows empty, and says so.
    bool unreadable = false;
    for (const auto& [id, key] : kSecrets) {
        const std::optional<std::wstring> value = platform::unprotect(stored.text(*key));
        unreadable = unreadable || !value;
        setControlText(id, value.value_or(L""));
    }
    if (unreadable)
        showStatus(STATUS_LABEL,
                   L"A stored URL or token could not be read: it was kept for another user or "
                   L"PC. Type it again.");
}

void PushWindow::Form_Unload() {
    switches_.forgetTest();  // a test on its way goes on; nobody is left to hear of it
    context_.savePositionAtClose(*this, keys::kPushPlacement, L"Where the window is");
}

monitor::PushConfig PushWindow::config() const {
    const LRESULT chosen = ::SendMessageW(control(PUSH_SERVICE_COMBOBOX), CB_GETCURSEL, 0, 0);
    return {chosen > 0 && chosen < LRESULT(std::size(kServices)) ? kServices[chosen]
                                                                 : PushService::None,
            controlText(PUSH_URL_TEXTBOX), controlText(PUSH_TOKEN_TEXTBOX),
            controlText(PUSH_CHAT_TEXTBOX)};
}

std::optional<std::wstring> PushWindow::store() {
    const monitor::PushConfig push = config();
    if (const auto problem = monitor::pushSettingsProblem(push, controlText(HEARTBEAT_URL_TEXTBOX),
                                                          controlText(HEARTBEAT_MINUTES_TEXTBOX)))
        return *problem + L". Nothing was stored.";
    const settings::InstanceSettings stored = context_.settings();
    // A secret goes protected, also one an administrator stored plain; the rest as typed. A key
    // is written only when it changes.
    std::vector<std::pair<const settings::SettingKey*, std::wstring>> values = {
        {&keys::PUSH_SERVICE_COMBOBOX, monitor::serviceWord(push.service)}};
    for (const auto& [id, key] : kPlain) values.emplace_back(key, controlText(id));
    for (const auto& [id, key] : kSecrets) {
        const std::wstring typed = controlText(id), now = stored.text(*key);
        if (typed.empty() || (settings::isProtected(now) && platform::unprotect(now) == typed)) {
            values.emplace_back(key, typed.empty() ? L"" : now);
            continue;
        }
        const std::optional<std::wstring> kept = platform::protect(typed);
        if (!kept) return L"The URLs and token could not be protected for you. Nothing was stored.";
        values.emplace_back(key, *kept);
    }
    platform::Result saved = context_.savePosition(*this, keys::kPushPlacement);
    for (const auto& [key, value] : values)
        if (stored.text(*key) != value) saved.keep(stored.save(*key, value));
    switches_.pushSettingsChanged();
    if (!saved.ok()) return L"The settings could not all be stored: " + platform::describe(saved);
    return std::nullopt;
}

void PushWindow::OK_BUTTON_Click() {
    if (const std::optional<std::wstring> problem = store())
        showStatus(STATUS_LABEL, *problem);
    else
        close();
}

void PushWindow::SEND_TEST_PUSH_BUTTON_Click() {
    const monitor::PushConfig push = config();
    if (push.service == PushService::None)
        return showTestOutcome(false, L"Test push not sent: choose a service first");
    if (const auto problem = monitor::pushSettingsProblem(push, L"", L""))
        return showTestOutcome(false, L"Test push not sent: " + *problem);
    ::SetWindowTextW(control(SEND_TEST_PUSH_BUTTON), L"Sending...");
    ::EnableWindow(control(SEND_TEST_PUSH_BUTTON), FALSE);
    showStatus(TEST_PUSH_STATUS_LABEL, L"");
    switches_.sendTestPush(
        push, [this](bool sent, const std::wstring& text) { showTestOutcome(sent, text); });
}

void PushWindow::showTestOutcome(bool sent, const std::wstring& text) {
    ::SetWindowTextW(control(SEND_TEST_PUSH_BUTTON), L"Send Test Push");
    ::EnableWindow(control(SEND_TEST_PUSH_BUTTON), TRUE);
    setColors(control(TEST_PUSH_STATUS_LABEL),
              {sent ? ui::colours::kBlack : ui::colours::kDarkRed, ::GetSysColor(COLOR_BTNFACE)});
    showStatus(TEST_PUSH_STATUS_LABEL, text);
}

void PushWindow::onCommand(int id, int code, HWND) {
    if (code != BN_CLICKED) return;
    switch (id) {
        case OK_BUTTON: OK_BUTTON_Click(); break;
        case CANCEL_BUTTON: CANCEL_BUTTON_Click(); break;
        case SEND_TEST_PUSH_BUTTON: SEND_TEST_PUSH_BUTTON_Click(); break;
        default: break;
    }
}

}  // namespace kovalt::instance
