// KOVALT_SETTINGS: where the user sets up the instance. Ticking monitoring or always-on-top
// and every edit of the watched name act on the open strip at once; OK and closing store the
// fields. Opened modal over the strip, created afresh at every opening.
#pragma once

#include <string>

#include "platform/ui/window.h"

namespace kovalt::monitor {
class MainWindow;
}

namespace kovalt::email {
class EmailMainWindow;
}

namespace kovalt::instance {

class SettingsWindow final : public ui::Window {
public:
    enum ControlId {
        TITLE_LABEL = 201,
        HEADING_LABEL,
        LINE_1,
        RUNNER_NAME_LABEL,
        RUNNER_NAME_TEXTBOX,
        PROCESS_NAME_LABEL,
        BROWSE_PROCESS_NAME_FILE_BUTTON,
        PROCESS_NAME_TEXTBOX,
        LINE_2,
        ENABLED_TICKBOX,
        AlwaysOnTop_TICKBOX,
        CREATE_FOLDERS_BUTTON,
        STATUS_LABEL,
        LINE_3,
        UPDATE_SETTINGS_LIGHT_TEXTBOX,
        ABOUT_BUTTON,
        VIEW_OUTPUT_COMMANDS_BUTTON,
        EMAIL_SETTINGS_BUTTON,
        OK_BUTTON,
    };

    static constexpr COLORREF kLightYellow = RGB(255, 255, 128);
    static constexpr COLORREF kRed = RGB(255, 0, 0);
    static constexpr COLORREF kGreen = RGB(0, 255, 0);

    explicit SettingsWindow(monitor::MainWindow& main);
    monitor::MainWindow& main() const { return main_; }

    // Creates the window (hidden) and runs its load; showModal() shows it.
    bool open();

    // The update light; the e-mail window turns it green once the alert scripts are written.
    void setUpdateLight(COLORREF color);
    COLORREF updateLight() const;
    // What the status line says (a folder that could not be made, a flag not stored).
    std::wstring status() const { return controlText(STATUS_LABEL); }

    // Event handlers.
    void Form_Load();
    void Form_Unload();
    void OK_BUTTON_Click();
    void ENABLED_TICKBOX_Click();
    void AlwaysOnTop_TICKBOX_Click();
    void PROCESS_NAME_TEXTBOX_Change();
    void PROCESS_NAME_TEXTBOX_LostFocus() { setUpdateLight(kRed); }
    void BROWSE_PROCESS_NAME_FILE_BUTTON_Click();
    void CREATE_FOLDERS_BUTTON_Click();
    void EMAIL_SETTINGS_BUTTON_Click();
    void ABOUT_BUTTON_Click();

    // The e-mail main settings window while it is open over this one, else null.
    email::EmailMainWindow* openEmailWindow() const { return emailWindow_; }

protected:
    void onCommand(int id, int code, HWND control) override;
    void onClose() override { Form_Unload(); }

private:
    void createControls();
    void saveFields();

    monitor::MainWindow& main_;
    email::EmailMainWindow* emailWindow_ = nullptr;
};

}  // namespace kovalt::instance
