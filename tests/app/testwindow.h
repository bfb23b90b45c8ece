// The main window with its controller, as the program makes it, for the window tests.
#pragma once

#include "gui/mainForm.h"
#include "gui/uiManager.h"

#include <QString>

#include <memory>

// A main window with its controller, remembering its settings in SettingsFile (empty: none),
// shown.
struct TWindow {
    explicit TWindow(const QString& SettingsFile = QString()) {
        Form = std::make_unique<TmainDlg>(
            [this, SettingsFile](QObject* Sender) {
                UI = std::make_unique<TUIManager>(static_cast<TmainDlg*>(Sender), SettingsFile);
                UI->Initialize();
            },
            [this](QObject*) { UI.reset(); });
        Form->show();
    }
    // The form first: its destruction frees the controller.
    ~TWindow() { Form.reset(); }
    std::unique_ptr<TmainDlg> Form;
    std::unique_ptr<TUIManager> UI;
};
