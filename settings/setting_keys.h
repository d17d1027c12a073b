// Every stored setting of the program: where it lives, what form its text has and what a read
// yields when the store holds nothing for it.
#pragma once

#include <array>
#include <string_view>

namespace kovalt::settings {

// The store's two application names: the main one, and the one the output-commands viewer keeps
// its placement under (the same name with a hyphen; its keys never mix with the main ones).
inline constexpr std::wstring_view kMainApp = L"KOVALT";
inline constexpr std::wstring_view kViewerApp = L"KOV-ALT";
inline constexpr std::wstring_view kSharedSection = L"KOV-ALT-SHARED-EMAIL-SETTINGS";

enum class Section {
    Instance,  // named by the running executable's file name without extension
    Shared,    // kSharedSection
};

enum class ValueForm {
    Placement,  // a number of twips
    TickState,  // 0 or 1
    FreeText,   // anything, stored unchanged
    Seconds,    // a whole number of seconds, from 1 to the key's most
};

struct SettingKey {
    std::wstring_view application;
    Section section;
    std::wstring_view name;
    ValueForm form;
    std::wstring_view defaultText;
    long long most = 86400;  // the most a value of seconds may be
};

// The four placement keys of one window.
struct PlacementKeys {
    SettingKey left, top, width, height;
};

namespace detail {
constexpr SettingKey text(std::wstring_view name, Section s = Section::Instance) {
    return {kMainApp, s, name, ValueForm::FreeText, L""};
}
constexpr SettingKey tick(std::wstring_view name, std::wstring_view def,
                          Section s = Section::Instance) {
    return {kMainApp, s, name, ValueForm::TickState, def};
}
constexpr SettingKey twips(std::wstring_view app, std::wstring_view name, std::wstring_view def) {
    return {app, Section::Instance, name, ValueForm::Placement, def};
}
constexpr PlacementKeys placement(std::wstring_view app, std::wstring_view left,
                                  std::wstring_view top, std::wstring_view width,
                                  std::wstring_view height, std::wstring_view defWidth,
                                  std::wstring_view defHeight) {
    return {twips(app, left, L"1000"), twips(app, top, L"1000"), twips(app, width, defWidth),
            twips(app, height, defHeight)};
}
}  // namespace detail

namespace keys {
using detail::placement;
using detail::text;
using detail::tick;

inline constexpr PlacementKeys kMainPlacement =
    placement(kMainApp, L"MAIN_Left", L"MAIN_Top", L"MAIN_Width", L"MAIN_Height", L"2640", L"645");
inline constexpr PlacementKeys kSettingsPlacement =
    placement(kMainApp, L"MAIN_SETTINGS_Left", L"MAIN_SETTINGS_Top", L"MAIN_SETTINGS_Width",
              L"MAIN_SETTINGS_Height", L"5535", L"7635");
inline constexpr PlacementKeys kEmailMainPlacement =
    placement(kMainApp, L"EMAIL-MAIN-SETTINGS-Left", L"EMAIL-MAIN-SETTINGS-Top",
              L"EMAIL-MAIN-SETTINGS-Width", L"EMAIL-MAIN-SETTINGS-Height", L"9915", L"5880");
inline constexpr PlacementKeys kEmailSharedPlacement =
    placement(kMainApp, L"SHARED-SETTINGS-Left", L"SHARED-SETTINGS-Top", L"SHARED-SETTINGS-Width",
              L"SHARED-SETTINGS-Height", L"9960", L"5505");
inline constexpr PlacementKeys kOutputCommandsPlacement =
    placement(kViewerApp, L"SINGLE_OUTPUT_COMMANDS_WINDOW-Left",
              L"SINGLE_OUTPUT_COMMANDS_WINDOW-Top", L"SINGLE_OUTPUT_COMMANDS_WINDOW-Width",
              L"SINGLE_OUTPUT_COMMANDS_WINDOW-Height", L"11865", L"3870");
inline constexpr PlacementKeys kAboutPlacement = placement(
    kMainApp, L"ABOUT_Left", L"ABOUT_Top", L"ABOUT_Width", L"ABOUT_Height", L"8025", L"2490");
inline constexpr PlacementKeys kStuckPlacement =
    placement(kMainApp, L"STUCK_SETTINGS_Left", L"STUCK_SETTINGS_Top", L"STUCK_SETTINGS_Width",
              L"STUCK_SETTINGS_Height", L"7000", L"4800");
inline constexpr PlacementKeys kDonationsPlacement =
    placement(kMainApp, L"DONATIONS_WINDOW-Left", L"DONATIONS_WINDOW-Top",
              L"DONATIONS_WINDOW-Width", L"DONATIONS_WINDOW-Height", L"8880", L"6330");
inline constexpr PlacementKeys kPushPlacement =
    placement(kMainApp, L"PUSH_SETTINGS_Left", L"PUSH_SETTINGS_Top", L"PUSH_SETTINGS_Width",
              L"PUSH_SETTINGS_Height", L"7000", L"5700");

// Instance section.
inline constexpr SettingKey PROCESS_NAME_TEXTBOX = text(L"PROCESS_NAME_TEXTBOX");
inline constexpr SettingKey RUNNER_NAME_TEXTBOX = text(L"RUNNER_NAME_TEXTBOX");
inline constexpr SettingKey ENABLED_TICKBOX = tick(L"ENABLED_TICKBOX", L"0");
inline constexpr SettingKey AlwaysOnTop_TICKBOX = tick(L"AlwaysOnTop_TICKBOX", L"1");
inline constexpr SettingKey EMAIL_OUTPUT_RUNNING_COMMAND_TEXTBOX =
    text(L"EMAIL_OUTPUT_RUNNING_COMMAND_TEXTBOX");
inline constexpr SettingKey EMAIL_OUTPUT_STOPPED_COMMAND_TEXTBOX =
    text(L"EMAIL_OUTPUT_STOPPED_COMMAND_TEXTBOX");

// Bringing the watched program back when it stops (off unless ticked).
inline constexpr SettingKey RESTART_TICKBOX = tick(L"RESTART_TICKBOX", L"0");
inline constexpr SettingKey RESTART_COMMAND_TEXTBOX = text(L"RESTART_COMMAND_TEXTBOX");
inline constexpr SettingKey RESTART_FOLDER_TEXTBOX = text(L"RESTART_FOLDER_TEXTBOX");

// The stopped alert again every so many minutes while stopped (empty or 0: never).
inline constexpr SettingKey REMINDER_MINUTES_TEXTBOX = text(L"REMINDER_MINUTES_TEXTBOX");

// Started by Windows at logon (/startup), the first check comes this many seconds after load.
inline constexpr SettingKey STARTUP_DELAY_SECONDS_TEXTBOX = {
    kMainApp, Section::Instance, L"STARTUP_DELAY_SECONDS_TEXTBOX", ValueForm::Seconds, L"60", 3600};
// What is owed when the strip closes, kept as it changes (in no window).
inline constexpr SettingKey OWED_ALERT = text(L"OWED_ALERT");

// Checks that find the watched program running but stuck, each off until filled in: its log
// unchanged for so many minutes, its address not answering so many times in a row, its CPU
// time unchanged for so many minutes, its window not responding. And a restart when it is.
inline constexpr SettingKey STUCK_FILE_TEXTBOX = text(L"STUCK_FILE_TEXTBOX");
inline constexpr SettingKey STUCK_FILE_MINUTES_TEXTBOX = {
    kMainApp, Section::Instance, L"STUCK_FILE_MINUTES_TEXTBOX", ValueForm::FreeText, L"10"};
inline constexpr SettingKey STUCK_ADDRESS_TEXTBOX = text(L"STUCK_ADDRESS_TEXTBOX");
inline constexpr SettingKey STUCK_ADDRESS_FAILURES_TEXTBOX = {
    kMainApp, Section::Instance, L"STUCK_ADDRESS_FAILURES_TEXTBOX", ValueForm::FreeText, L"3"};
inline constexpr SettingKey STUCK_CPU_MINUTES_TEXTBOX = text(L"STUCK_CPU_MINUTES_TEXTBOX");
inline constexpr SettingKey STUCK_WINDOW_TICKBOX = tick(L"STUCK_WINDOW_TICKBOX", L"0");
inline constexpr SettingKey RESTART_STUCK_TICKBOX = tick(L"RESTART_STUCK_TICKBOX", L"0");
// The push road: which service ("none", "ntfy", "Discord", "Slack", "Telegram", "Webhook"),
// where it is reached and as whom. The token and URLs may be stored protected for the user
// ("DPAPI:..."), or plain where an administrator put them.
inline constexpr SettingKey PUSH_SERVICE_COMBOBOX = {
    kMainApp, Section::Instance, L"PUSH_SERVICE_COMBOBOX", ValueForm::FreeText, L"none"};
inline constexpr SettingKey PUSH_URL_TEXTBOX = text(L"PUSH_URL_TEXTBOX");
inline constexpr SettingKey PUSH_TOKEN_TEXTBOX = text(L"PUSH_TOKEN_TEXTBOX");
inline constexpr SettingKey PUSH_CHAT_TEXTBOX = text(L"PUSH_CHAT_TEXTBOX");
// What is owed on the push road, as OWED_ALERT for e-mail.
inline constexpr SettingKey OWED_PUSH = text(L"OWED_PUSH");
// A URL pinged while the program runs, every so many minutes (empty: no heartbeat).
inline constexpr SettingKey HEARTBEAT_URL_TEXTBOX = text(L"HEARTBEAT_URL_TEXTBOX");
inline constexpr SettingKey HEARTBEAT_MINUTES_TEXTBOX = {
    kMainApp, Section::Instance, L"HEARTBEAT_MINUTES_TEXTBOX", ValueForm::FreeText, L"5"};

// Hidden: read at start and shown in no window; they shorten the alerts' waits for tests.
inline constexpr SettingKey ALERT_RETRY_SECONDS = {
    kMainApp, Section::Instance, L"ALERT_RETRY_SECONDS", ValueForm::Seconds, L"60"};
inline constexpr SettingKey ALERT_TIME_LIMIT_SECONDS = {
    kMainApp, Section::Instance, L"ALERT_TIME_LIMIT_SECONDS", ValueForm::Seconds, L"300"};
// In place of the reminder minutes, when present.
inline constexpr SettingKey REMINDER_SECONDS = {kMainApp, Section::Instance, L"REMINDER_SECONDS",
                                                ValueForm::Seconds, L"60"};
// In place of the heartbeat minutes, when present.
inline constexpr SettingKey HEARTBEAT_SECONDS = {kMainApp, Section::Instance, L"HEARTBEAT_SECONDS",
                                                 ValueForm::Seconds, L"300"};
// How far back tries count against the limit of alerts at once.
inline constexpr SettingKey ALERT_LIMIT_WINDOW_SECONDS = {
    kMainApp, Section::Instance, L"ALERT_LIMIT_WINDOW_SECONDS", ValueForm::Seconds, L"600"};
// How far back restarts count against their limit.
inline constexpr SettingKey RESTART_WINDOW_SECONDS = {
    kMainApp, Section::Instance, L"RESTART_WINDOW_SECONDS", ValueForm::Seconds, L"600"};
// How long a program the watchdog restarted must run before its RUNNING alert goes.
inline constexpr SettingKey RESTART_STABLE_SECONDS = {
    kMainApp, Section::Instance, L"RESTART_STABLE_SECONDS", ValueForm::Seconds, L"30"};

// A folder the instance writes its state to for Prometheus (empty: none), and how often at the
// least (hidden).
inline constexpr SettingKey METRICS_FOLDER_TEXTBOX = text(L"METRICS_FOLDER_TEXTBOX");
inline constexpr SettingKey METRICS_SECONDS = {kMainApp, Section::Instance, L"METRICS_SECONDS",
                                               ValueForm::Seconds, L"15"};

// In place of the stuck checks' minutes (the file's, the CPU time's) when present; the spacing
// of the address's tries; how long a window must not respond.
inline constexpr SettingKey STUCK_FILE_SECONDS = {
    kMainApp, Section::Instance, L"STUCK_FILE_SECONDS", ValueForm::Seconds, L"600"};
inline constexpr SettingKey STUCK_ADDRESS_SECONDS = {
    kMainApp, Section::Instance, L"STUCK_ADDRESS_SECONDS", ValueForm::Seconds, L"10"};
inline constexpr SettingKey STUCK_CPU_SECONDS = {kMainApp, Section::Instance, L"STUCK_CPU_SECONDS",
                                                 ValueForm::Seconds, L"600"};
inline constexpr SettingKey STUCK_WINDOW_SECONDS = {
    kMainApp, Section::Instance, L"STUCK_WINDOW_SECONDS", ValueForm::Seconds, L"30"};

// The eleven mailer fields, in the order every window reads and writes them. The same names
// exist in the instance section and, with independent values, in the shared section.
constexpr std::array<SettingKey, 11> emailFields(Section s) {
    return {text(L"SE_HOME_TEXTBOX", s),           text(L"SMTP_SERVER_ADDRESS_PORT_TEXTBOX", s),
            text(L"SMTP_USERNAME_TEXTBOX", s),     text(L"SMTP_PASSWORD_TEXTBOX", s),
            text(L"SEND_FROM_ADDRESS_TEXTBOX", s), text(L"SEND_TO_ADDRESS_TEXTBOX", s),
            text(L"SEND_CC_ADDRESS_TEXTBOX", s),   text(L"SEND_BCC_ADDRESS_TEXTBOX", s),
            tick(L"TLS_NO_TICKBOX", L"1", s),      tick(L"TLS_YES_TICKBOX", L"0", s),
            tick(L"TLS_AUTO_TICKBOX", L"0", s)};
}
inline constexpr std::array<SettingKey, 11> kInstanceEmailFields = emailFields(Section::Instance);
inline constexpr std::array<SettingKey, 11> kSharedEmailFields = emailFields(Section::Shared);

inline constexpr std::array<PlacementKeys, 9> kAllPlacements = {
    kMainPlacement,        kSettingsPlacement,       kEmailMainPlacement,
    kEmailSharedPlacement, kOutputCommandsPlacement, kAboutPlacement,
    kDonationsPlacement,   kStuckPlacement,          kPushPlacement};
}  // namespace keys

}  // namespace kovalt::settings
