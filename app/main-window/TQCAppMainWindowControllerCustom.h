#pragma once

#include "app/main-window/TQCAppMainWindowController.h"

// The main window controller the application uses: it adds the chosen output format (MP3 or M4A,
// with its encoder options) to each batch record.
class TQCAppMainWindowControllerCustom final : public TQCAppMainWindowController {
    Q_OBJECT

public:
    void configureTaskInfoTemplate(TQTaskInfoRecord* record) override;
};
